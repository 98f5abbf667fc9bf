// A started helpdesk with prefix code "HD", a support folder in the
// helpdesk's store that mail arrives in, and the case items the threading
// tests attach mail to.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "case/cLogsList.h"
#include "errors/modErroHandling.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "runtime/Date.h"

namespace zanvoro::testsupport {

inline const Date kArrived = MakeDate({2026, 12, 7, 9, 5, 0});

class ThreadingTest : public CaseTest {
 protected:
  ThreadingTest() {
    Set("sdoAppendPrefixCode", "1");
    Set("sdoPrefixCodeChoice", "4");
    Set("sdoPrefixCodeGlobal", "HD");
    support_ = Ongoing()->Parent()->Folders().Add("Support");
  }
  // Nothing a test does is an unexpected failure.
  void TearDown() override { EXPECT_FALSE(ErrorReportShown()); }

  void Set(const char* key, const char* value) {
    Settings().GeneralSettings.SetValue(key, value);
  }
  std::shared_ptr<host::MAPIFolder> Support() { return support_; }
  std::shared_ptr<host::MAPIFolder> History() { return GetHistoryFolder(); }

  // An open case `number` with a small HTML body.
  std::shared_ptr<host::Item> Case(
      const std::string& number,
      const std::shared_ptr<host::MAPIFolder>& folder = nullptr) {
    auto item = SavedCaseItem(folder ? folder : Ongoing(), number);
    item->SetBodyFormat(2);
    item->SetHTMLBody("<html><body><p>Case " + number + "</p></body></html>");
    item->Save();
    return item;
  }
  // The case item as stored now.
  std::shared_ptr<host::Item> Reread(const std::string& number) {
    return GetCaseItemFromID(number);
  }
  std::vector<std::string> LogTexts(const std::string& number) {
    cLogsList log;
    log.FromXML(ReadItemText(*Reread(number), caseprop::kLog));
    std::vector<std::string> texts;
    for (const auto& entry : log) texts.push_back(entry.Value().Description);
    return texts;
  }

  // A saved HTML mail in the support folder from Alice to the support
  // mailbox.
  std::shared_ptr<host::Item> Mail(const std::string& subject,
                                   const std::string& html =
                                       "<html><body><p>Still "
                                       "jammed.</p></body></html>",
                                   const std::string& message_class = "IPM.Note") {
    auto mail = support_->Items()->Add(message_class);
    mail->SetSubject(subject);
    mail->SetSenderName("Alice Martin");
    mail->SetSenderEmailAddress("alice@example.com");
    mail->SetBodyFormat(2);
    mail->SetHTMLBody(html);
    mail->SetBody("Still jammed.");
    mail->SetReceivedTime(kArrived);
    mail->SetSentOn(kArrived);
    mail->Recipients().Add("support@helpdesk.example");
    mail->Save();
    return mail;
  }
  // The only item of `folder`; nullptr when it holds none or several.
  std::shared_ptr<host::Item> OnlyItem(const std::shared_ptr<host::MAPIFolder>& folder) {
    if (!folder || folder->Items()->Count() != 1) return nullptr;
    return folder->Items()->Item(1);
  }
  int Count(const std::shared_ptr<host::MAPIFolder>& folder) {
    return folder ? folder->Items()->Count() : -1;
  }

  std::shared_ptr<host::MAPIFolder> support_;
};

}  // namespace zanvoro::testsupport
