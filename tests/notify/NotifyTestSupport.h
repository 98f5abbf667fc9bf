// A started add-in on a fresh helpdesk with two technicians and a case
// assigned to them: what the notification and due-date tests start from.
// SMS go to a recording transport only when a test installs it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "case/CaseTestSupport.h"
#include "case/cCase.h"
#include "notify/SendSMS.h"

namespace zanvoro::testsupport {

struct SentSms {
  std::string number;
  std::string message;
};

// Hands each SMS to `sent` and answers "SUCCESS"; SetSmsTransport({}) ends it.
inline void RecordSms(std::vector<SentSms>& sent) {
  SetSmsTransport(
      [&sent](std::string_view number, std::string_view message, const cCase*) {
        sent.push_back({std::string(number), std::string(message)});
        return std::string("SUCCESS");
      });
}

class NotifyTest : public CaseTest {
 protected:
  NotifyTest() {
    Settings().Technicians.Add(cTechnician{
        .Name = "Bob Jones", .Email = "bob@example.test", .Mobile = "555-0101"});
    Settings().Technicians.Add(cTechnician{
        .Name = "Cara Diaz", .Email = "cara@example.test", .Mobile = "555-0102"});
    c_.CaseNumber = "12";
    c_.CaseID = "12";
    c_.Subject = "[12] Printer jams";
    c_.Body = "The printer jams.";
    c_.Caller = cCaller{.Email = "dan@example.test", .Name = "Dan Caller"};
    c_.Technicians.LoadTechniciansToDicList("Bob Jones/Cara Diaz");
    c_.AssociatedUsers.emplace();
    c_.AssociatedUsers->Add({"Eve Park", "eve@example.test"});
    // Tests compare whole rendered texts: none may show the current time
    // (VNH_NOW), which can tick between two renderings.
    for (const char* key : {"sdoCaseAssignmentEmail", "sdoEmailManagerWhenCaseCreated"}) {
      Settings().MessageTemplates.SetValue(key,
                                           "<p>Case VNH_CASENUMBER: VNH_SUBJECT</p>");
    }
    Settings().MessageTemplates.SetValue("sdoCaseAssignmentSMS",
                                         "Case VNH_CASENUMBER is assigned to you.");
  }
  ~NotifyTest() override { SetSmsTransport({}); }
  // No procedure met an unexpected failure (it would have shown the report).
  void TearDown() override {
    EXPECT_EQ(CountShown("frmErrorReport"), 0);
    EXPECT_EQ(CountShown("frmFriendlyError"), 0);
  }

  void SetSetting(const char* key, const char* value) {
    Settings().GeneralSettings.SetValue(key, value);
  }
  void EnableTemplate(const char* key, bool enabled = true) {
    Settings().MessageTemplates.SetNotificaionEnabledValue(key, enabled);
  }

  void InstallRecordingSmsTransport() { RecordSms(sms_); }

  std::vector<SentSms> sms_;
  cCase c_;
};

}  // namespace zanvoro::testsupport
