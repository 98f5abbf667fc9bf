#include "settings/frmContactManager.h"

#include "errors/Trap.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

frmContactManager::frmContactManager(cGlobalSettings& settings, MailRoute write)
    : Form("frmContactManager", CONST_CONTACT_MANAGER),
      settings_(settings),
      write_(std::move(write)) {
  Add<host::TextBox>("txtFind");
  auto& find = Add<host::CommandButton>("cmdFind");
  find.SetCaption("Find");
  find.OnClick([this] { Trap("ContactManager.cmdFind", [&] { Find(); }); });
  auto& contacts = Add<host::ListBox>("lstContacts");
  contacts.SetColumnCount(4);
  contacts.OnClick([this] {
    const cCaller* caller = Picked();
    if (!caller) return;
    Get<host::Label>("lblDetails")
        .SetCaption(
            Join({caller->Name, caller->Email, "Phone: " + caller->Phone,
                  "Mobile: " + caller->Mobile, "Department: " + caller->Department,
                  "Company: " + caller->Company, "Address: " + caller->Address,
                  "Technician: " + caller->Technician, "SLA: " + caller->SLA},
                 "\r\n"));
  });
  Add<host::Label>("lblDetails");
  auto& email = Add<host::CommandButton>("cmdEmail");
  email.SetCaption("Write");
  email.SetEnabled(static_cast<bool>(write_));
  email.OnClick([this] {
    Trap("ContactManager.cmdEmail", [&] {
      if (const cCaller* caller = Picked(); caller && write_) write_(*caller);
    });
  });
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
  Find();
}

void frmContactManager::Find() {
  std::string text = Trim(Get<host::TextBox>("txtFind").Text());
  found_.clear();
  auto& contacts = Get<host::ListBox>("lstContacts");
  contacts.Clear();
  for (const auto& entry : settings_.Callers) {
    const cCaller& caller = entry.Value();
    bool match = text.empty();
    for (const std::string* field : {&caller.Name, &caller.Email, &caller.Company,
                                     &caller.Department, &caller.Phone, &caller.Mobile}) {
      match = match || InStr(*field, text, CompareMode::Text) > 0;
    }
    if (!match) continue;
    found_.push_back(caller);
    contacts.AddItem(caller.Name);
    int row = contacts.ListCount() - 1;
    contacts.SetCell(row, 1, caller.Email);
    contacts.SetCell(row, 2, caller.Phone);
    contacts.SetCell(row, 3, caller.Company);
  }
  Refresh();
}

const cCaller* frmContactManager::Picked() const {
  int row = Get<host::ListBox>("lstContacts").ListIndex();
  return row >= 0 && static_cast<size_t>(row) < found_.size()
             ? &found_[static_cast<size_t>(row)]
             : nullptr;
}

}  // namespace zanvoro
