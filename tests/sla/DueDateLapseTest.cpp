// Lapsed due dates: which cases a pass notifies, once per due date, and the
// watch that runs the passes.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "case/CaseProperties.h"
#include "connection/LaterSteps.h"
#include "errors/modErroHandling.h"
#include "host/store/NameSpace.h"
#include "notify/NotifyTestSupport.h"
#include "notify/SendSMS.h"
#include "sla/DueDateLapse.h"

namespace zanvoro {
namespace {

class DueDateLapseTest : public testsupport::CaseTest {
 protected:
  DueDateLapseTest() {
    Settings().Technicians.Add(cTechnician{
        .Name = "Bob Jones", .Email = "bob@example.com", .Mobile = "+15550001"});
    Settings().Technicians.Add(cTechnician{
        .Name = "Sue Park", .Email = "sue@example.com", .Mobile = "+15550002"});
    testsupport::RecordSms(sms_);
  }
  ~DueDateLapseTest() override {
    EXPECT_FALSE(ErrorReportShown()) << "a failure was trapped";
    StopDueDateWatch();
    SetSmsTransport({});
  }

  void SetGeneral(const char* key, const char* value) {
    Settings().GeneralSettings.SetValue(key, value);
  }

  // A saved case `number` in `folder` assigned to Bob and due at `due`.
  std::shared_ptr<host::Item> CaseDue(
      const std::string& number, Date due,
      std::shared_ptr<host::MAPIFolder> folder = nullptr) {
    auto item = SavedCaseItem(folder ? folder : Ongoing(), number);
    WriteCaseDueDate(*item, due);
    WriteItemProperty(*item, caseprop::kTechnicians, Variant("Bob Jones"),
                      VarType::String);
    WriteItemProperty(*item, caseprop::kStatus, Variant("Open"), VarType::String);
    item->Save();
    return item;
  }
  std::shared_ptr<host::Item> Reread(const std::shared_ptr<host::Item>& item) {
    return application_->GetNamespace("MAPI")->GetItemFromID(item->EntryID());
  }

  // Restarts the add-in on the same store, as a new session of the client;
  // `watch` plugs the watch into its start-up.
  enum class WithWatch { No, Yes };
  void Restart(WithWatch watch = WithWatch::No) {
    addin_->ShutdownAddin();
    addin_.reset();
    LaterSteps steps;
    InstallSettingsSteps(steps);
    AddHelpdeskFolderSteps(steps);
    if (watch == WithWatch::Yes) InstallDueDateWatchSteps(steps);
    application_ = std::make_shared<host::Application>(profile_, &loop_);
    addin_ = std::make_unique<ZFO_M>(std::move(steps),
                                     AddinEnvironment{{}, dir_.Path() / "programs"});
    addin_->AddinInstance_OnConnection(application_);
    addin_->AddinInstance_OnStartupComplete();
  }

  std::vector<testsupport::SentSms> sms_;
};

Date At(int day, int hour, int minute = 0) {
  return Date(DateSerial(2026, 3, day).Serial() + TimeSerial(hour, minute, 0).Serial());
}
const Date kNow = At(10, 12);

TEST_F(DueDateLapseTest, ALapsedCaseNotifiesItsTechniciansOnceEvenAfterARestart) {
  CaseDue("7", At(10, 9));
  EXPECT_EQ(CheckLapsedDueDates(kNow), 1);
  auto mails = Outbox();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_NE(mails[0]->Subject().find("Due Date lapsed"), std::string::npos)
      << mails[0]->Subject();
  EXPECT_EQ(Recipients(*mails[0]), "bob@example.com");
  EXPECT_EQ(mails[0]->BillingInformation(), "Case Due Date Lapsed Notification Sent to");

  EXPECT_EQ(CheckLapsedDueDates(kNow), 0) << "a second pass sends again";
  Restart();
  EXPECT_EQ(CheckLapsedDueDates(kNow), 0) << "a fresh add-in on the store sends again";
  EXPECT_EQ(Outbox().size(), 1u);
}

TEST_F(DueDateLapseTest,
       ALapsedCaseIsLoggedAndMarkedAndNotifiesAgainWhenItsDueDateMoves) {
  SetGeneral("sdoCaseOptionStatusDueDateLapsedCase", "Overdue");
  auto item = CaseDue("7", At(9, 9));
  ASSERT_EQ(CheckLapsedDueDates(kNow), 1);
  auto stored = Reread(item);
  EXPECT_EQ(ReadItemText(*stored, caseprop::kStatus), "Overdue");
  EXPECT_NE(ReadItemText(*stored, caseprop::kLog).find("Due-date lapsed ("),
            std::string::npos);
  EXPECT_EQ(ReadItemText(*stored, kDueDateLapsedNotifiedProperty),
            SortableDateText(At(9, 9)));

  WriteCaseDueDate(*stored, At(10, 11));
  stored->Save();
  EXPECT_EQ(CheckLapsedDueDates(kNow), 1);
  EXPECT_EQ(Outbox().size(), 2u);
}

TEST_F(DueDateLapseTest,
       CasesNotYetDueWithoutDueDateOrClosedSendNothingNorDoSwitchedOffTemplates) {
  CaseDue("7", At(10, 13));
  CaseDue("8", Date::NoDate());
  CaseDue("9", Date());  // the zero date: never set
  CaseDue("10", At(10, 9), Resolved());
  auto closed_in_ongoing = CaseDue("11", At(10, 9));
  WriteItemProperty(*closed_in_ongoing, caseprop::kClosed, Variant("1"), VarType::String);
  closed_in_ongoing->Save();
  EXPECT_EQ(CheckLapsedDueDates(kNow), 0);
  EXPECT_TRUE(Outbox().empty());

  // Switched-off templates send nothing, but the case is still marked.
  Settings().MessageTemplates.SetNotificaionEnabledValue(
      "sdoEmailTechnicianDueDateLapsed", false);
  CaseDue("12", At(10, 9));
  EXPECT_EQ(CheckLapsedDueDates(kNow), 1);
  EXPECT_TRUE(Outbox().empty());
  EXPECT_TRUE(sms_.empty());
  EXPECT_EQ(CheckLapsedDueDates(kNow), 0);
}

TEST_F(DueDateLapseTest, TheThresholdFollowsTheTimingSettingSoHoursBeforeWarnAhead) {
  struct {
    const char* timing;
    const char* hours;
    double expected_hours_ahead;
  } rows[] = {{"", "", 0},  {"0", "4", 0},    {"1", "4", 4},  {"1", "1.5", 1.5},
              {"1", "", 0}, {"1", "soon", 0}, {"1", "-3", 0}, {"2", "4", 0}};
  for (const auto& row : rows) {
    SetGeneral("tpoDueDateLapsedCheckTiming", row.timing);
    SetGeneral("tpoDueDateLapsedHoursBefore", row.hours);
    EXPECT_NEAR(LapseThreshold(kNow).Serial(),
                kNow.Serial() + row.expected_hours_ahead / 24.0, 1e-9)
        << "timing '" << row.timing << "', hours '" << row.hours << "'";
  }
  SetGeneral("tpoDueDateLapsedCheckTiming", "1");
  SetGeneral("tpoDueDateLapsedHoursBefore", "2");
  CaseDue("7", At(10, 13, 30));
  CaseDue("8", At(10, 14, 30));
  EXPECT_EQ(CheckLapsedDueDates(kNow), 1);
  ASSERT_EQ(Outbox().size(), 1u);
  EXPECT_NE(Outbox()[0]->Subject().find("[7]"), std::string::npos);
}

TEST_F(DueDateLapseTest, SupervisorsFoundInTheTechnicianListGetTheSlaBreachByMailAndSms) {
  Settings().MessageTemplates.SetNotificaionEnabledValue("sdoSMSTechnicianDueDateLapsed",
                                                         true);
  Settings().MessageTemplates.SetNotificaionEnabledValue("sdoSLASMSSupervisors", true);
  SetGeneral("sdoSLASupervisors", "sue park; Nobody Known");
  CaseDue("7", At(10, 9));
  ASSERT_EQ(CheckLapsedDueDates(kNow), 1);
  auto mails = Outbox();
  ASSERT_EQ(mails.size(), 2u);
  std::shared_ptr<host::Item> breach;
  for (const auto& mail : mails) {
    if (mail->Subject().find("SLA breach") != std::string::npos) breach = mail;
  }
  ASSERT_NE(breach, nullptr);
  EXPECT_EQ(Recipients(*breach), "sue@example.com");
  EXPECT_EQ(breach->BillingInformation(), "SLA Breach Notification Sent to");
  ASSERT_EQ(sms_.size(), 2u);
  EXPECT_EQ(sms_[0].number, "+15550001");
  EXPECT_NE(sms_[0].message.find("has already lapsed"), std::string::npos);
  EXPECT_EQ(sms_[1].number, "+15550002");
  EXPECT_NE(sms_[1].message.find("Reporting SLA breach for case 7"), std::string::npos);
}

TEST_F(DueDateLapseTest, TheWatchRunsAPassSoonAfterItStartsAndTheAddinOwnsIt) {
  CaseDue("7", Date(Now().Serial() - 1));
  StartDueDateWatch({std::chrono::milliseconds(1), std::chrono::hours(1)});
  EXPECT_TRUE(DueDateWatchRunning());
  EXPECT_TRUE(
      loop_.RunUntil([&] { return Outbox().size() == 1; }, std::chrono::seconds(20)));
  StopDueDateWatch();
  EXPECT_FALSE(DueDateWatchRunning());

  Restart(WithWatch::Yes);
  EXPECT_TRUE(DueDateWatchRunning());
  addin_->ShutdownAddin();
  EXPECT_FALSE(DueDateWatchRunning());
}

}  // namespace
}  // namespace zanvoro
