#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "case/CaseProperties.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "case/cWorks.h"
#include "host/store/NameSpace.h"
#include "host/ui/ScriptedRenderer.h"
#include "notify/DueDateEntries.h"
#include "notify/NotifyTestSupport.h"
#include "notify/SendSMS.h"
#include "workflow/CaseOperations.h"

namespace zanvoro {
namespace {

using host::FormAction;
using host::MsgBoxResult;

class CaseOperations : public testsupport::CaseTest {
 protected:
  CaseOperations() {
    Settings().Technicians.Add(cTechnician{
        .Name = "Bob Jones", .Email = "bob@example.com", .Mobile = "555-0102"});
    Settings().ProblemTypes.Add(cProblemType{
        .ProblemType = "Printer", .ProblemCategory = "Hardware", .DefaultMinutes = 15});
    Settings().SLAs.Add(
        cSLA{.Name = "Gold", .Priority = "High", .ResponseTime = "4-hrs"});
    testsupport::RecordSms(sms_);
  }
  ~CaseOperations() override { SetSmsTransport({}); }

  void Set(const char* key, const char* value) {
    Settings().GeneralSettings.SetValue(key, value);
  }
  void Write(host::Item& item, const char* name, const std::string& value) {
    WriteItemProperty(item, name, Variant(value), VarType::String);
  }

  // An open case of a caller with an e-mail address and a mobile number,
  // assigned to Bob Jones.
  std::shared_ptr<host::Item> OpenCase(const std::string& number) {
    auto item = SavedCaseItem(Ongoing(), number);
    Write(*item, caseprop::kCallerName, "Carol Diaz");
    Write(*item, caseprop::kCallerEmail, "carol@example.com");
    Write(*item, caseprop::kCallerMobile, "555-0101");
    Write(*item, caseprop::kTechnicians, "Bob Jones");
    Write(*item, caseprop::kProblemCategory, "Hardware");
    Write(*item, caseprop::kProblemType, "Printer");
    item->Save();
    return item;
  }
  // The same case, closed, in the Resolved folder.
  std::shared_ptr<host::Item> ClosedCase(const std::string& number) {
    auto item = OpenCase(number);
    EXPECT_TRUE(MarkComplete(item, MandatoryCheck::Skip)) << Renderer().TranscriptText();
    mails_before_ = SentMails().size();
    sms_.clear();
    return GetCaseItemFromID(number);
  }

  bool IsIn(const std::shared_ptr<host::MAPIFolder>& folder, const std::string& number) {
    return FindCaseItemInFolder(folder, number) != nullptr;
  }
  std::shared_ptr<host::MAPIFolder> Default(host::DefaultFolder which) {
    return Session().GetDefaultFolder(which);
  }
  // Every mail handed to the transport: those waiting in the Outbox and the
  // sent copies.
  std::vector<std::shared_ptr<host::Item>> SentMails() {
    std::vector<std::shared_ptr<host::Item>> mails;
    auto collect = [&mails](const std::shared_ptr<host::MAPIFolder>& folder) {
      if (!folder) return;
      auto items = folder->Items();
      for (int32_t i = 1; i <= items->Count(); ++i) mails.push_back(items->Item(i));
    };
    collect(Default(host::DefaultFolder::Outbox));
    collect(Default(host::DefaultFolder::SentMail));
    host::Folders sent_folders = Default(host::DefaultFolder::SentMail)->Folders();
    for (int32_t i = 1; i <= sent_folders.Count(); ++i) collect(sent_folders.Item(i));
    return mails;
  }
  bool LogHas(host::Item& item, std::string_view start) {
    cLogsList log;
    log.FromXML(ReadItemText(item, caseprop::kLog));
    for (const auto& entry : log)
      if (entry.Value().Description.starts_with(start)) return true;
    return false;
  }

  std::vector<testsupport::SentSms> sms_;
  size_t mails_before_ = 0;
};

// --- The check before closing ----------------------------------------------

TEST_F(CaseOperations, TheCheckNamesTheFirstMissingMandatoryField) {
  const struct {
    std::vector<std::pair<const char*, const char*>> settings;
    std::vector<std::pair<const char*, const char*>> fields;
    const char* expected;
  } cases[] = {
      {{}, {}, ""},
      {{{"sdoMandatoryStatus", "1"}},
       {},
       "Status field is mandatory and should not be empty!"},
      {{{"sdoMandatoryStatus", "1"}}, {{"Case.Status", "  "}}, "Status"},
      {{{"sdoMandatoryStatus", "1"}}, {{"Case.Status", "Open"}}, ""},
      {{{"sdoMandatoryStatus", "1"}, {"sdoMandatoryOrigin", "1"}}, {}, "Origin"},
      {{{"sdoMandatoryCallerEmail", "1"}}, {}, "Caller Email"},
      {{{"sdoMandatoryServiceLevel", "1"}}, {}, "Service Level"},
      {{{"sdoMandatoryTechnicians", "1"}}, {{"Case.Technicians", "Bob Jones"}}, ""},
      {{{"sdoMandatoryNotes", "1"}}, {}, "Notes"},
      {{{"sdoMandatoryNotes", "1"}, {"sdoHideNotes", "1"}}, {}, ""},
      {{{"sdoMandatoryTimeSpent", "1"}, {"sdoHideTimeSpent", "1"}}, {}, ""},
      {{{"sdoMandatoryAssociatedUsers", "1"}}, {}, "Associated Users"},
      {{{"sdoCustomFieldLabel3Mandatory", "1"}, {"sdoCustomFieldLabel3", "Asset tag"}},
       {},
       "Asset tag field is mandatory and should not be empty!"},
      {{{"sdoCustomFieldLabel3Mandatory", "1"}, {"sdoHideCustomFields", "1"}}, {}, ""},
      {{{"sdoCustomFieldLabel3Mandatory", "1"}}, {{"Case.CustomField3", "T-9"}}, ""},
  };
  int number = 100;
  for (const auto& c : cases) {
    for (const auto& [key, value] : c.settings) Set(key, value);
    auto item = SavedCaseItem(Ongoing(), std::to_string(++number));
    for (const auto& [name, value] : c.fields) Write(*item, name, value);
    std::string message = PerformCheckBeforeMarkingComplete(*item);
    if (std::string_view(c.expected).empty()) {
      EXPECT_EQ(message, "") << number;
    } else {
      EXPECT_TRUE(message.starts_with(c.expected)) << number << ": " << message;
    }
    for (const auto& [key, value] : c.settings) Set(key, "0");
  }
}

TEST_F(CaseOperations, AFailedCheckKeepsTheCaseOpenUnlessSkipped) {
  auto blank_subject = OpenCase("7");
  blank_subject->SetSubject("   ");
  EXPECT_EQ(PerformCheckBeforeMarkingComplete(*blank_subject),
            "Subject field is mandatory and should not be empty!");
  EXPECT_FALSE(MarkComplete(blank_subject, MandatoryCheck::Run));
  EXPECT_TRUE(Renderer().Saw("Subject field is mandatory"))
      << Renderer().TranscriptText();

  Set("sdoMandatoryStatus", "1");
  EXPECT_FALSE(MarkComplete(OpenCase("8"), MandatoryCheck::Run));
  EXPECT_TRUE(Renderer().Saw("Status field is mandatory")) << Renderer().TranscriptText();
  for (const char* number : {"7", "8"}) {
    auto stored = GetCaseItemFromID(number);
    EXPECT_TRUE(IsIn(Ongoing(), number));
    EXPECT_EQ(ReadItemText(*stored, caseprop::kClosed), "0");
    EXPECT_EQ(stored->MessageClass(), kCaseMessageClass);
  }
  // Skipping the check closes it with its mandatory field empty.
  EXPECT_TRUE(MarkComplete(GetCaseItemFromID("8"), MandatoryCheck::Skip));
  EXPECT_TRUE(IsIn(Resolved(), "8"));
  EXPECT_FALSE(IsIn(Ongoing(), "8"));
}

// --- Closing ----------------------------------------------------------------

TEST_F(CaseOperations, ClosingMovesTheCaseToResolvedMarkedClosedAndLogged) {
  Set("sdoCaseOptionStatusResolvedCase", "Resolved");
  ASSERT_TRUE(MarkComplete(OpenCase("7"), MandatoryCheck::Run))
      << Renderer().TranscriptText();
  EXPECT_FALSE(IsIn(Ongoing(), "7"));
  auto closed = FindCaseItemInFolder(Resolved(), "7");
  ASSERT_NE(closed, nullptr);
  EXPECT_EQ(closed->MessageClass(), kClosedCaseMessageClass);
  EXPECT_EQ(ReadItemText(*closed, caseprop::kClosed), "1");
  EXPECT_EQ(ReadItemText(*closed, caseprop::kStatus), "Resolved");
  EXPECT_FALSE(ReadItemDate(*closed, caseprop::kDateClosed).IsZero());
  EXPECT_NE(ReadItemText(*closed, caseprop::kDateClosedS), "");
  EXPECT_NE(ReadItemText(*closed, caseprop::kDateClosedLong), "");
  EXPECT_TRUE(LogHas(*closed, "Case closed (")) << ReadItemText(*closed, caseprop::kLog);
}

TEST_F(CaseOperations, ClosingWithoutTimeSpentAddsTheDefaultMinutesOnce) {
  Set("sdoMandatoryTimeSpent", "1");
  for (const auto& [number, minutes] : {std::pair{"7", 0}, std::pair{"8", 30}}) {
    auto item = OpenCase(number);
    WriteItemProperty(*item, caseprop::kTimeSpent, Variant(minutes), VarType::Long);
    item->Save();
    ASSERT_TRUE(MarkComplete(item, MandatoryCheck::Run)) << Renderer().TranscriptText();
  }
  EXPECT_EQ(ReadItemText(*GetCaseItemFromID("8"), caseprop::kTimeSpentDescription), "");
  EXPECT_EQ(ReadItemLong(*GetCaseItemFromID("8"), caseprop::kTimeSpent), 30);

  auto closed = GetCaseItemFromID("7");
  cWorks works;
  works.FromXML(ReadItemText(*closed, caseprop::kTimeSpentDescription));
  ASSERT_EQ(works.Count(), 1u);
  EXPECT_EQ(works.GetItem(0)->Minutes, 15);
  EXPECT_EQ(works.GetItem(0)->Description, "Default Time for 'Printer'");
  EXPECT_EQ(ReadItemLong(*closed, caseprop::kTimeSpent), 15);

  // Closed again after a re-opening, the case already has its time.
  ASSERT_TRUE(ReOpenCase(closed, Confirm::DontAsk));
  ASSERT_TRUE(MarkComplete(GetCaseItemFromID("7"), MandatoryCheck::Run));
  works = cWorks{};
  works.FromXML(ReadItemText(*GetCaseItemFromID("7"), caseprop::kTimeSpentDescription));
  EXPECT_EQ(works.Count(), 1u);
}

TEST_F(CaseOperations, ClosingTellsTheCallerUnlessTheCaseDisablesNotifications) {
  Settings().MessageTemplates.SetNotificaionEnabledValue("sdoCaseClosedEmail", true);
  Settings().MessageTemplates.SetNotificaionEnabledValue("sdoCaseClosedSMS", true);
  auto silent = OpenCase("8");
  WriteItemProperty(*silent, "DisableNotification", Variant(true), VarType::Boolean);
  silent->Save();
  ASSERT_TRUE(MarkComplete(silent, MandatoryCheck::Run));
  EXPECT_TRUE(IsIn(Resolved(), "8"));
  EXPECT_TRUE(SentMails().empty());
  EXPECT_TRUE(sms_.empty());

  ASSERT_TRUE(MarkComplete(OpenCase("7"), MandatoryCheck::Run));
  auto mails = SentMails();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_NE(mails[0]->BillingInformation().find("Case Closure Notification Sent to"),
            std::string::npos);
  EXPECT_NE(mails[0]->Subject().find("7"), std::string::npos) << mails[0]->Subject();
  ASSERT_GE(mails[0]->Recipients().Count(), 1);
  EXPECT_NE(mails[0]->Recipients().Item(1)->Name().find("carol@example.com"),
            std::string::npos);
  ASSERT_EQ(sms_.size(), 1u);
  EXPECT_EQ(sms_[0].number, "555-0101");
  EXPECT_NE(sms_[0].message.find("has been closed"), std::string::npos)
      << sms_[0].message;
}

TEST_F(CaseOperations, WithoutRightsOnResolvedTheCaseStaysOpen) {
  Set("sdoCaseOptionStatusResolvedCase", "Resolved");
  Set("sdoMandatoryTimeSpent", "1");
  auto ongoing = Ongoing();
  Resolved()->SetPermission("ann@example.com", host::Role::Reviewer);
  Renderer().Script("frmFriendlyError", {FormAction::Click("cmdExit")});
  auto item = OpenCase("7");
  Write(*item, caseprop::kStatus, "Open");
  WriteItemProperty(*item, caseprop::kTimeSpent, Variant(0), VarType::Long);
  item->Save();
  EXPECT_FALSE(MarkComplete(item, MandatoryCheck::Run));
  EXPECT_TRUE(Renderer().Saw("enough permission over the \\\\Zanvoro Helpdesk\\Resolved"))
      << Renderer().TranscriptText();
  // The advice window ends the add-in's run; the store tells what happened.
  auto stored = Session().GetItemFromID(item->EntryID());
  EXPECT_EQ(stored->Parent()->EntryID(), ongoing->EntryID());
  EXPECT_EQ(stored->MessageClass(), kCaseMessageClass);
  EXPECT_EQ(ReadItemText(*stored, caseprop::kClosed), "0");
  EXPECT_EQ(ReadItemText(*stored, caseprop::kDateClosedS), "");
  EXPECT_EQ(ReadItemText(*stored, caseprop::kStatus), "Open");
  EXPECT_EQ(ReadItemText(*stored, caseprop::kTimeSpentDescription), "");
  EXPECT_TRUE(SentMails().empty());
}

// --- Re-opening -------------------------------------------------------------

TEST_F(CaseOperations, ReOpeningMovesTheCaseBackOpenLoggedAndTellsTheTechnicians) {
  Set("sdoCaseOptionStatusReOpenedCase", "Re-opened");
  Set("sdoCaseOptionSLAReopenedCase", "Gold");
  Settings().MessageTemplates.SetNotificaionEnabledValue("sdoCaseReOpenEmail", true);
  Settings().MessageTemplates.SetNotificaionEnabledValue("sdoCaseReOpenSMS", true);
  auto closed = ClosedCase("7");
  ASSERT_TRUE(ReOpenCase(closed, Confirm::DontAsk)) << Renderer().TranscriptText();
  EXPECT_FALSE(IsIn(Resolved(), "7"));
  auto open = FindCaseItemInFolder(Ongoing(), "7");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->MessageClass(), kCaseMessageClass);
  EXPECT_EQ(ReadItemText(*open, caseprop::kClosed), "0");
  EXPECT_EQ(ReadItemText(*open, caseprop::kDateClosedS), "");
  EXPECT_EQ(ReadItemText(*open, caseprop::kDateClosedLong), "");
  EXPECT_TRUE(ReadItemDate(*open, caseprop::kDateClosed).IsZero());
  EXPECT_TRUE(open->UnRead());
  EXPECT_EQ(ReadItemText(*open, caseprop::kStatus), "Re-opened");
  EXPECT_EQ(ReadItemText(*open, caseprop::kServiceLevel), "Gold");
  Date due = ReadItemDate(*open, caseprop::kDueDate);
  EXPECT_FALSE(due.IsZero() || due.IsNoDate());
  EXPECT_EQ(open->Importance(), 2);
  EXPECT_TRUE(LogHas(*open, "Case re-opened (")) << ReadItemText(*open, caseprop::kLog);

  auto mails = SentMails();
  ASSERT_EQ(mails.size(), mails_before_ + 1);
  EXPECT_NE(mails.back()->BillingInformation().find("Case Reopening Notification"),
            std::string::npos);
  ASSERT_GE(mails.back()->Recipients().Count(), 1);
  EXPECT_NE(mails.back()->Recipients().Item(1)->Name().find("bob@example.com"),
            std::string::npos);
  ASSERT_EQ(sms_.size(), 1u);
  EXPECT_EQ(sms_[0].number, "555-0102");
}

TEST_F(CaseOperations, AnsweringNoOrReOpeningAnOpenCaseChangesNothing) {
  auto closed = ClosedCase("7");
  Renderer().Answer(MsgBoxResult::No, "Are you sure you want to re-open Case #7?");
  EXPECT_FALSE(ReOpenCase(closed, Confirm::Ask));
  EXPECT_TRUE(IsIn(Resolved(), "7"));
  EXPECT_EQ(ReadItemText(*GetCaseItemFromID("7"), caseprop::kClosed), "1");

  auto open = OpenCase("8");
  EXPECT_FALSE(ReOpenCase(open, Confirm::DontAsk));
  EXPECT_FALSE(LogHas(*GetCaseItemFromID("8"), "Case re-opened ("));
  Renderer().Answer(MsgBoxResult::No, "Are you sure you want to delete the case");
  EXPECT_FALSE(DeleteSelectedCase(open, Confirm::Ask));
  EXPECT_NE(GetCaseItemFromID("8"), nullptr);
  EXPECT_EQ(Renderer().PendingAnswers(), 0u);
}

TEST_F(CaseOperations, TheOperationsByEntryIDFindTheirCaseAndIgnoreAnUnknownOne) {
  const std::string entry_id = OpenCase("7")->EntryID();
  EXPECT_TRUE(MarkCaseComplete(entry_id, MandatoryCheck::Run));
  EXPECT_TRUE(IsIn(Resolved(), "7"));
  EXPECT_TRUE(CaseReOpen(entry_id, Confirm::DontAsk));
  EXPECT_TRUE(IsIn(Ongoing(), "7"));
  EXPECT_TRUE(RemoveCaseItem(entry_id, Confirm::DontAsk));
  EXPECT_EQ(GetCaseItemFromID("7"), nullptr);
  EXPECT_FALSE(MarkCaseComplete(entry_id, MandatoryCheck::Skip));
  EXPECT_FALSE(CaseReOpen("", Confirm::DontAsk));
  EXPECT_FALSE(RemoveCaseItem(entry_id, Confirm::DontAsk));
  EXPECT_EQ(LastShown("frmErrorReport"), nullptr) << Renderer().TranscriptText();
}

// --- Deleting ---------------------------------------------------------------

TEST_F(CaseOperations, DeletingRemovesTheCaseItsMailsAndItsDueDateEntries) {
  Set("sdoMaintainDueDateSchedule", "1");
  auto item = OpenCase("7");
  WriteCaseDueDate(*item, MakeDate({2030, 1, 2, 9, 0, 0}));
  item->Save();
  cCase c;
  ASSERT_TRUE(c.GetCaseFromOutlookItem(item, SaveUnsaved::No));
  AddDueDateAppointment(c);
  ASSERT_EQ(GetScheduleFolder()->Items()->Count(), 1);
  auto history = GetHistoryFolder();
  for (const char* label : {"7", "7", "8"}) {
    auto mail = history->Items()->Add("IPM.Note");
    mail->SetSubject(std::string("mail of ") + label);
    mail->SetBillingInformation(label);
    mail->Save();
  }

  Renderer().Answer(MsgBoxResult::Yes,
                    "Are you sure you want to delete the case '[7] Case 7' from the "
                    "folder?\r\n\r\nAll related email replies, due date reminders in "
                    "mailbox calendar and tasks (if available)\r\nrelated to this case "
                    "will also be deleted!");
  ASSERT_TRUE(DeleteSelectedCase(item, Confirm::Ask)) << Renderer().TranscriptText();
  EXPECT_EQ(Renderer().PendingAnswers(), 0u);
  EXPECT_EQ(GetCaseItemFromID("7"), nullptr);
  ASSERT_EQ(history->Items()->Count(), 1);
  EXPECT_EQ(history->Items()->Item(1)->BillingInformation(), "8");
  EXPECT_EQ(Default(host::DefaultFolder::DeletedItems)->Items()->Count(), 2);
  EXPECT_EQ(GetScheduleFolder()->Items()->Count(), 0);
}

TEST_F(CaseOperations, RemovingMailsOfANumberWithAQuoteMatchesOnlyThatNumber) {
  auto history = GetHistoryFolder();
  for (const char* label : {"7' or 'x' = 'x", "7", ""}) {
    auto mail = history->Items()->Add("IPM.Note");
    mail->SetBillingInformation(label);
    mail->Save();
  }
  RemoveAllEmails("7' or 'x' = 'x");
  EXPECT_EQ(history->Items()->Count(), 2);
  RemoveAllEmails("");
  EXPECT_EQ(history->Items()->Count(), 2);
}

}  // namespace
}  // namespace zanvoro
