// A helpdesk made by CreateNewHelpdesk for the profile's user, and the
// add-in started on it with the folder and settings steps: the global
// settings are loaded, the helpdesk folders are found. What the case record,
// numbering and rendering tests start from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "case/HelpdeskFolders.h"
#include "case/HelpdeskTestSupport.h"
#include "case/ItemProperty.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::testsupport {

class CaseTest : public HelpdeskTest {
 protected:
  CaseTest() {
    MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
    LaterSteps steps;
    InstallSettingsSteps(steps);
    AddHelpdeskFolderSteps(steps);
    application_ = std::make_shared<host::Application>(profile_, &loop_);
    addin_ = std::make_unique<ZFO_M>(std::move(steps),
                                     AddinEnvironment{{}, dir_.Path() / "programs"});
    addin_->AddinInstance_OnConnection(application_);
    addin_->AddinInstance_OnStartupComplete();
  }

  cGlobalSettings& Settings() { return *SharedGlobalSettings(); }
  std::shared_ptr<host::MAPIFolder> Ongoing() { return GetOngoingFolder(); }
  std::shared_ptr<host::MAPIFolder> Resolved() { return GetResolvedFolder(); }
  // A new, unsaved post item in the Ongoing folder.
  std::shared_ptr<host::Item> NewOngoingItem() {
    return Ongoing()->Items()->Add("IPM.Post.PLWSupportCase");
  }
  // A saved case item with number `number` in `folder`, its "Case.Closed"
  // following the folder (Resolved: "1", else "0").
  std::shared_ptr<host::Item> SavedCaseItem(
      const std::shared_ptr<host::MAPIFolder>& folder, const std::string& number) {
    bool closed = folder->EntryID() == Resolved()->EntryID();
    auto item = folder->Items()->Add(closed ? "IPM.Post.PLWSupportCase.Closed"
                                            : "IPM.Post.PLWSupportCase");
    item->SetSubject("[" + number + "] Case " + number);
    WriteItemProperty(*item, "Case.CaseNumber", Variant(number), VarType::String);
    WriteItemProperty(*item, "Case.Closed", Variant(closed ? "1" : "0"), VarType::String);
    item->Save();
    return item;
  }

  // The mails waiting in the Outbox.
  std::vector<std::shared_ptr<host::Item>> Outbox() {
    auto items = Session().GetDefaultFolder(host::DefaultFolder::Outbox)->Items();
    std::vector<std::shared_ptr<host::Item>> mails;
    for (int32_t i = 1; i <= items->Count(); ++i) mails.push_back(items->Item(i));
    return mails;
  }
  // The recipients of `type`, each by address (by name when it has none),
  // joined by "; ".
  static std::string Recipients(host::Item& mail,
                                host::RecipientType type = host::RecipientType::To) {
    std::vector<std::string> names;
    for (int32_t i = 1; i <= mail.Recipients().Count(); ++i) {
      host::Recipient* r = mail.Recipients().Item(i);
      if (r->Type() == type)
        names.push_back(r->Address().empty() ? r->Name() : r->Address());
    }
    return Join(names, "; ");
  }
  std::vector<std::string> BalloonTexts() const {
    std::vector<std::string> texts;
    for (const host::Shown& shown : renderer_->Transcript()) {
      if (shown.kind == host::ShownKind::Balloon) texts.push_back(shown.text);
    }
    return texts;
  }
};

}  // namespace zanvoro::testsupport
