#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "case/CaseTestSupport.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "intake/Monitoring.h"
#include "intake/cMonitoredFolderData.h"
#include "intake/cMonitoredFolderDataList.h"
#include "intake/cMonitoredFolderSettings.h"
#include "runtime/Date.h"
#include "runtime/Variant.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {
namespace {

using namespace std::chrono_literals;

enum class CaseState { Open, Closed };

// --- Text forms ------------------------------------------------------------

TEST(MonitoredFolderData, ReadsAndWritesItsTextForms) {
  struct {
    const char* text;
    const char* folder_name;
    const char* property_id;
    int16_t active;
    bool mandatory;
    const char* action_mode;
    const char* written;  // ToString after reading
  } cases[] = {
      {"\\\\Mailbox - Ann\\Inbox\\Support|E1|S1|4711|Hardware|Printer|Bob|Gold|1|New",
       "\\\\Mailbox - Ann\\Inbox\\Support", "4711", 1, false, "New",
       "\\\\Mailbox - Ann\\Inbox\\Support|E1|S1|4711|Hardware|Printer|Bob|Gold|1|New"},
      // Without the tenth field the mode is Both.
      {"\\\\Box\\Support|E1|S1|4711|||||0", "\\\\Box\\Support", "4711", 0, false, "Both",
       "\\\\Box\\Support|E1|S1|4711|||||0|Both"},
      // A mailbox name always takes its own name as claim key.
      {"Help Desk|||999|||||1|Update", "Help Desk", "HelpDesk", 1, false, "Update",
       "Help Desk|||HelpDesk|||||1|Update"},
      // The marker makes a mandatory entry; the key keeps it.
      {"[SYSTEM_OUTLOOK_MAILBOX]support_eu|||x|||||1|Both", "support_eu", "supporteu", 1,
       true, "Both", "[SYSTEM_OUTLOOK_MAILBOX]support_eu|||supporteu|||||1|Both"},
      // An Active that is no number leaves the entry on.
      {"\\\\Box\\Support|E1|S1|4711|||||yes|Both", "\\\\Box\\Support", "4711", 1, false,
       "Both", "\\\\Box\\Support|E1|S1|4711|||||1|Both"},
  };
  for (const auto& c : cases) {
    cMonitoredFolderData data;
    data.ReadFromString(c.text);
    EXPECT_EQ(data.FolderName, c.folder_name) << c.text;
    EXPECT_EQ(data.PropertyID, c.property_id) << c.text;
    EXPECT_EQ(data.Active, c.active) << c.text;
    EXPECT_EQ(data.blnMandatoryMailbox, c.mandatory) << c.text;
    EXPECT_EQ(data.ActionMode, c.action_mode) << c.text;
    EXPECT_EQ(data.ToString(), c.written) << c.text;
  }
  // The older form, a mailbox name alone, is active with its stripped name as key.
  cMonitoredFolderData data;
  data.ReadFromString("Help_Desk, [EU] & #1");
  EXPECT_EQ(data.FolderName, "Help_Desk, [EU] & #1");
  EXPECT_EQ(data.KeyFolderPathOrName, "Help_Desk, [EU] & #1");
  EXPECT_EQ(data.PropertyID, "HelpDeskEU1");
  EXPECT_EQ(data.Active, 1);
  EXPECT_EQ(data.ActionMode, "Both");
}

TEST(MonitoredFolderData, ActionModeChoosesBetweenNewMailAndReplies) {
  struct {
    const char* mode;
    bool new_mail;
    bool reply;
  } cases[] = {
      {"Both", true, true},    {"New", true, false},    {"Update", false, true},
      {"update", false, true}, {"Other", false, false},
  };
  for (const auto& c : cases) {
    cMonitoredFolderData data;
    data.ActionMode = c.mode;
    EXPECT_EQ(data.Accepts(false), c.new_mail) << c.mode;
    EXPECT_EQ(data.Accepts(true), c.reply) << c.mode;
  }
}

TEST(MonitoredFolderDataList, SkipsEmptyLinesKeepsTheFirstOfAKeyAndTellsOfOlderForms) {
  cMonitoredFolderDataList list;
  EXPECT_FALSE(list.FromString(
      "  "
      "\\\\Box\\Support|E1|S1|1|||||1|New\r\n\r\n\\\\BOX\\support|E2|S2|2|||||1|Both\r\n"
      "\\\\Box\\Sales|E3|S3|3|||||0|Update\r\n"));
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Find("\\\\box\\SUPPORT")->EntryID, "E1");
  EXPECT_EQ(list.ToString(),
            "\\\\Box\\Support|E1|S1|1|||||1|New\r\n\\\\Box\\Sales|E3|S3|3|||||0|Update");
  EXPECT_TRUE(list.FromString("Support|E1|S1|1|||||1|New\r\nhelpdesk"));
  EXPECT_EQ(list.Find("helpdesk")->PropertyID, "helpdesk");
}

// --- Claim records ---------------------------------------------------------

TEST(ClaimRecord, IsTheMonitoredFolderDataElementWithItsThreeChildren) {
  MonitoringClaim claim{"\\\\Box\\Support", MakeDate({2009, 3, 7, 9, 5, 0}), "Ann Smith"};
  std::string xml = ClaimRecordXml(claim);
  EXPECT_NE(
      xml.find("<MonitoredFolder><Data><FolderPath>\\\\Box\\Support</FolderPath>"
               "<DateTagged>2009\t3\t7\t9\t5</DateTagged><UserName>Ann Smith</UserName>"
               "</Data></MonitoredFolder>"),
      std::string::npos)
      << xml;
  std::optional<MonitoringClaim> read = ReadClaimRecord(xml);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->UserName, "Ann Smith");
  EXPECT_EQ(SortableDateText(*read->DateTagged), "2009\t3\t7\t9\t5");
  EXPECT_FALSE(ReadClaimRecord(""));
  EXPECT_FALSE(ReadClaimRecord("<not xml"));
  EXPECT_FALSE(ReadClaimRecord("<Other/>"));
}

// A helpdesk with the add-in started on it, the monitoring steps plugged
// in, a folder "Support" in Ann's mailbox and a clock that stands still.
class Monitoring : public testsupport::HelpdeskTest {
 protected:
  Monitoring() {
    SetMonitoringClock({[this] { return now_; }, std::chrono::hours(1)});
    MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
    LaterSteps steps;
    InstallSettingsSteps(steps);
    AddHelpdeskFolderSteps(steps);
    InstallMonitoringSteps(steps);
    application_ = std::make_shared<host::Application>(profile_, &loop_);
    addin_ = std::make_unique<ZFO_M>(std::move(steps),
                                     AddinEnvironment{{}, dir_.Path() / "programs"});
    addin_->AddinInstance_OnConnection(application_);
    addin_->AddinInstance_OnStartupComplete();
    support_ =
        Session().GetDefaultFolder(host::DefaultFolder::Inbox)->Folders().Add("Support");
    settings_folder_ = GetSettingsFolder();
  }
  ~Monitoring() override {
    if (addin_) addin_->ShutdownAddin();
    SetMonitoringClock({});
  }

  cGlobalSettings& Settings() { return *SharedGlobalSettings(); }

  cMonitoredFolderData SupportEntry(const char* mode = "Both") {
    cMonitoredFolderData data;
    data.FolderName = data.KeyFolderPathOrName = support_->FolderPath();
    data.EntryID = support_->EntryID();
    data.StoreID = support_->StoreID();
    data.PropertyID = "4711";
    data.ActionMode = mode;
    return data;
  }
  void Monitor(const std::vector<cMonitoredFolderData>& entries) {
    cMonitoredFolderDataList list;
    for (const auto& entry : entries) list.Add(entry);
    ASSERT_TRUE(WriteMonitoredFolders(Settings(), list));
    RefreshMonitorMailFolders(AskUser::No);
  }
  // The claims as another user's instance sees them, at `when`.
  cMonitoredFolderSettings ClaimsOf(std::string user, Date when) {
    cMonitoredFolderSettings::Services services;
    auto folder = settings_folder_;
    services.settings_folder = [folder] { return folder; };
    services.folder_mode = [] { return true; };
    services.user_name = [user] { return user; };
    services.now = [when] { return when; };
    return cMonitoredFolderSettings(services);
  }
  std::shared_ptr<host::Item> NewMail(const std::shared_ptr<host::MAPIFolder>& folder,
                                      const std::string& subject) {
    auto mail = folder->Items()->Add("IPM.Note");
    mail->SetSubject(subject);
    mail->SetSenderName("Carl Jones");
    mail->SetSenderEmailAddress("carl@example.com");
    mail->SetBody("The printer does not print.");
    mail->Save();
    return mail;
  }
  std::vector<std::shared_ptr<host::Item>> Cases() {
    std::vector<std::shared_ptr<host::Item>> cases;
    auto items = GetOngoingFolder()->Items();
    for (int32_t i = 1; i <= items->Count(); ++i) {
      auto item = items->Item(i);
      if (item->MessageClass() == "IPM.Post.PLWSupportCase") cases.push_back(item);
    }
    return cases;
  }

  Date now_ = MakeDate({2026, 3, 2, 9, 0, 0});
  std::shared_ptr<host::MAPIFolder> support_;
  std::shared_ptr<host::MAPIFolder> settings_folder_;
};

TEST_F(Monitoring, ClaimWindowRespectsOnlyAnotherUsersRecentClaim) {
  struct {
    const char* holder;
    double age_hours;  // negative: written in the future (another clock)
    bool respected;
  } cases[] = {
      {"Bob Brown", 1, true},   {"Bob Brown", 11.9, true}, {"Bob Brown", 12.5, false},
      {"Bob Brown", 72, false}, {"Bob Brown", -2, true},   {"ann smith", 1, false},
      {"", 1, false},
  };
  for (const auto& c : cases) {
    Date written(now_.Serial() - c.age_hours / 24.0);
    ASSERT_TRUE(
        ClaimsOf(c.holder, written).SetFolderFlag("K", "\\\\Box\\F", ClaimAction::Set));
    cMonitoredFolderSettings ann = ClaimsOf("Ann Smith", now_);
    EXPECT_EQ(ann.IsFolderMonitored("K", "\\\\Box\\F"), c.respected)
        << c.holder << " " << c.age_hours;
    EXPECT_EQ(ann.MonitoredByUser("K"), c.respected ? c.holder : "Ann Smith")
        << c.holder << " " << c.age_hours;
  }
}

TEST_F(Monitoring, FolderWithAnotherUsersFreshClaimIsLeftAndAStaleOneTakenOver) {
  struct {
    double age_hours;
    bool watched;
  } cases[] = {{1, false}, {13, true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(ClaimsOf("Bob Brown", Date(now_.Serial() - c.age_hours / 24))
                    .SetFolderFlag("4711", support_->FolderPath(), ClaimAction::Set));
    Monitor({SupportEntry()});
    EXPECT_EQ(WatchedMonitoredFolders().size(), c.watched ? 1u : 0u) << c.age_hours;
    EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("4711"),
              c.watched ? "Ann Smith" : "Bob Brown")
        << c.age_hours;
  }
}

TEST_F(Monitoring, RunningInstanceRefreshesItsOwnClaimsOnItsTimer) {
  Monitor({SupportEntry()});
  ASSERT_EQ(WatchedMonitoredFolders().size(), 1u);
  now_ = Date(now_.Serial() + 2.0 / 24);
  SetMonitoringClock({[this] { return now_; }, 1ms});
  std::string expected = SortableDateText(now_);
  EXPECT_TRUE(loop_.RunUntil(
      [&] {
        auto claim = ClaimsOf("Ann Smith", now_).Claim("4711");
        return claim && claim->DateTagged &&
               SortableDateText(*claim->DateTagged) == expected;
      },
      10s));
  EXPECT_EQ(WatchedMonitoredFolders().size(), 1u);
}

TEST_F(Monitoring, RefreshDropsAFolderAnotherUserTookOver) {
  Monitor({SupportEntry()});
  ASSERT_EQ(WatchedMonitoredFolders().size(), 1u);
  // This instance stood still for a day; Bob's took the folder over.
  now_ = Date(now_.Serial() + 1);
  ASSERT_TRUE(ClaimsOf("Bob Brown", now_)
                  .SetFolderFlag("4711", support_->FolderPath(), ClaimAction::Set));
  RefreshMonitoringClaims();
  EXPECT_TRUE(WatchedMonitoredFolders().empty());
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("4711"), "Bob Brown");
}

TEST_F(Monitoring, AnInstanceStandingByTakesUpClaimsThatLapsed) {
  for (const auto& [key, path] :
       {std::pair{std::string("4711"), support_->FolderPath()},
        std::pair{std::string(kOngoingCasesClaimKey), GetOngoingFolder()->FolderPath()}})
    ASSERT_TRUE(ClaimsOf("Bob Brown", now_).SetFolderFlag(key, path, ClaimAction::Set));
  Monitor({SupportEntry()});
  EXPECT_FALSE(InitializeOpenFolderMonitoring());
  RefreshMonitoringClaims();
  EXPECT_TRUE(WatchedMonitoredFolders().empty()) << "Bob's claim is fresh";
  // Bob's instance stopped without giving its claims up; they lapse.
  now_ = Date(now_.Serial() + 13.0 / 24);
  SetMonitoringClock({[this] { return now_; }, 1ms});
  EXPECT_TRUE(loop_.RunUntil(
      [] { return WatchedMonitoredFolders().size() == 1 && OngoingFolderWatched(); },
      10s));
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("4711"), "Ann Smith");
}

TEST_F(Monitoring, StartUpWatchesTheSentCopyFolderAndShutdownGivesUpOnlyItsOwnClaims) {
  EXPECT_TRUE(SentCopyFolderWatched());
  EXPECT_TRUE(Session()
                  .GetDefaultFolder(host::DefaultFolder::SentMail)
                  ->Folders()
                  .Item("ManagerCopy"));
  Monitor({SupportEntry()});
  ASSERT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("4711"), "Ann Smith");
  ASSERT_TRUE(
      ClaimsOf("Bob Brown", now_).SetFolderFlag("B", "\\\\Box\\B", ClaimAction::Set));
  addin_->ShutdownAddin();
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("4711"), "");
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("B"), "Bob Brown");
  EXPECT_TRUE(WatchedMonitoredFolders().empty());
  EXPECT_FALSE(SentCopyFolderWatched());
}

TEST_F(Monitoring, MandatoryInactiveAndMissingFoldersAreNotWatched) {
  cMonitoredFolderData inactive = SupportEntry();
  inactive.FolderName = inactive.KeyFolderPathOrName =
      "\\\\Mailbox - Ann Smith\\Inbox\\Off";
  inactive.EntryID.clear();
  inactive.Active = 0;
  cMonitoredFolderData mandatory;
  mandatory.ReadFromString("[SYSTEM_OUTLOOK_MAILBOX]Ann Smith|||x|||||1|Both");
  cMonitoredFolderData missing;
  missing.ReadFromString("\\\\Mailbox - Ann Smith\\Inbox\\Nowhere|||77|||||1|Both");
  Monitor({inactive, mandatory, missing, SupportEntry()});
  EXPECT_EQ(WatchedMonitoredFolders(), std::vector<std::string>{support_->FolderPath()});
}

TEST_F(Monitoring, WorkloadOptionReservesMonitoringForOneTechnicianOrComputer) {
  struct {
    const char* option;
    const char* technician;
    const char* computer;
    bool allowed;
  } cases[] = {
      {"0", "Bob Brown", "elsewhere", true},
      {"1", "", "", true},
      {"1", "ANN SMITH", "", true},
      {"1", "Bob Brown", "", false},
      {"2", "", "  ", true},
      {"2", "", "no-such-computer", false},
  };
  for (const auto& c : cases) {
    Settings().GeneralSettings.SetValue("sdoWorkloadFoldersOption", c.option);
    Settings().GeneralSettings.SetValue("sdoWorkloadFoldersTech", c.technician);
    Settings().GeneralSettings.SetValue("sdoWorkloadFoldersComputer", c.computer);
    EXPECT_EQ(WorkloadAllowsMonitoring(), c.allowed) << c.option << " " << c.technician;
  }
}

TEST_F(Monitoring, AskedAboutWaitingMailTheUserMayLeaveItWhereItIs) {
  NewMail(support_, "Waiting");
  Renderer().Answer(host::MsgBoxResult::No,
                    "unprocessed emails in this monitored folder");
  cMonitoredFolderDataList list;
  list.Add(SupportEntry());
  ASSERT_TRUE(WriteMonitoredFolders(Settings(), list));
  RefreshMonitorMailFolders(AskUser::Yes);
  const host::Shown* box = nullptr;
  for (const host::Shown& shown : Renderer().Transcript()) {
    if (shown.kind == host::ShownKind::MessageBox) box = &shown;
  }
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "Zanvoro Manager for Outlook");
  EXPECT_NE(box->text.find(
                "There are 1 unprocessed emails in this monitored folder 'Support'!"),
            std::string::npos);
  EXPECT_EQ(support_->Items()->Count(), 1);
  EXPECT_EQ(WatchedMonitoredFolders().size(), 1u);
}

TEST_F(Monitoring, ListOfTheOlderFormFindsTheFolderAndIsStoredWithANumericKey) {
  Settings().MonitoredFolders = support_->FolderPath();
  RefreshMonitorMailFolders(AskUser::No);
  cMonitoredFolderDataList stored = MonitoredFolderList(Settings());
  ASSERT_EQ(stored.Count(), 1u);
  const cMonitoredFolderData* entry = stored.Find(support_->FolderPath());
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->EntryID, support_->EntryID());
  EXPECT_EQ(entry->StoreID, support_->StoreID());
  EXPECT_EQ(entry->Active, 1);
  int32_t key = std::stoi(entry->PropertyID);
  EXPECT_GE(key, 1000);
  EXPECT_LE(key, 999999);
  EXPECT_NE(Settings().MonitoredFolders.find('|'), std::string::npos);
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser(entry->PropertyID), "Ann Smith");
}

// The intake at work behind the watches, without notification mail.
class MonitoringIntake : public Monitoring {
 protected:
  MonitoringIntake() {
    for (const char* key :
         {"sdoCaseCreationConfirmationEmail", "sdoCaseAssignmentEmail",
          "sdoEmailManagerWhenCaseCreated", "sdoEmailCallerWhenAssignedTechnician",
          "sdoCaseCreationConfirmationSMS", "sdoCaseAssignmentSMS",
          "sdoSMSCallerWhenAssignedTechnician", "sdoSMSManagerWhenCaseCreated"}) {
      Settings().MessageTemplates.SetNotificaionEnabledValue(key, false);
    }
  }
  // A case item `[number] Printer` in the Ongoing folder.
  void SavedCase(const char* number, CaseState state = CaseState::Open) {
    auto item = GetOngoingFolder()->Items()->Add(state == CaseState::Closed
                                                     ? "IPM.Post.PLWSupportCase.Closed"
                                                     : "IPM.Post.PLWSupportCase");
    item->SetSubject(std::string("[") + number + "] Printer");
    WriteItemProperty(*item, "Case.CaseNumber", Variant(number), VarType::String);
    if (state == CaseState::Closed) {
      WriteItemProperty(*item, "Case.Closed", Variant("1"), VarType::String);
    }
    item->Save();
  }
  std::string CaseNumberOf(const std::string& subject_part) {
    for (const auto& item : Cases()) {
      if (item->Subject().find(subject_part) != std::string::npos) {
        return ReadItemText(*item, "Case.CaseNumber");
      }
    }
    return {};
  }
};

TEST_F(MonitoringIntake, MailDeliveredIntoAMonitoredFolderBecomesACase) {
  Monitor({SupportEntry()});
  ASSERT_EQ(WatchedMonitoredFolders().size(), 1u);
  NewMail(support_, "Printer broken");
  ASSERT_TRUE(
      loop_.RunUntil([&] { return !CaseNumberOf("Printer broken").empty(); }, 20s));
  EXPECT_EQ(support_->Items()->Count(), 0) << "the mail was filed away";
}

TEST_F(MonitoringIntake, MailWaitingAtStartIsProcessedFromTheLastToTheFirst) {
  NewMail(support_, "First problem");
  NewMail(support_, "Second problem");
  Monitor({SupportEntry()});
  std::string first = CaseNumberOf("First problem");
  std::string second = CaseNumberOf("Second problem");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_LT(std::stoi(second), std::stoi(first));
  for (const host::Shown& shown : Renderer().Transcript()) {
    EXPECT_EQ(shown.text.find("unprocessed emails"), std::string::npos) << "no question";
  }
}

TEST_F(MonitoringIntake, UpdateModeTakesOnlyRepliesAndNewModeOnlyNewMail) {
  struct {
    const char* subject;
    const char* mode;
  } cases[] = {{"Printer broken", "Update"}, {"RE: [12] Printer broken", "New"}};
  for (const auto& c : cases) {
    auto mail = NewMail(support_, c.subject);
    EXPECT_FALSE(ProcessMonitoredItem(mail, SupportEntry(c.mode))) << c.mode;
    EXPECT_EQ(support_->Items()->Count(), 1) << c.mode;
    mail->Delete();
  }
  EXPECT_TRUE(Cases().empty());
  SavedCase("12");
  auto mail = NewMail(support_, "RE: [12] Printer");
  EXPECT_TRUE(ProcessMonitoredItem(mail, SupportEntry("Update")));
  EXPECT_EQ(mail->BillingInformation(), "12");
}

TEST_F(MonitoringIntake, OngoingFolderTurnsMailIntoCasesAndReopensClosedCases) {
  ASSERT_TRUE(InitializeOpenFolderMonitoring());
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser(kOngoingCasesClaimKey),
            "Ann Smith");
  NewMail(GetOngoingFolder(), "Scanner jammed");
  SavedCase("5", CaseState::Closed);
  EXPECT_TRUE(loop_.RunUntil(
      [&] {
        return !CaseNumberOf("Scanner jammed").empty() &&
               CaseNumberOf("[5] Printer") == "5";
      },
      20s));
  EXPECT_EQ(Cases().size(), 2u) << "reopened, not made a new case";
}

TEST_F(MonitoringIntake, SentCopyIsAttachedToItsCaseAsOutgoingMail) {
  SavedCase("7");
  auto copies = Session()
                    .GetDefaultFolder(host::DefaultFolder::SentMail)
                    ->Folders()
                    .Item("ManagerCopy");
  ASSERT_TRUE(copies);
  struct {
    const char* subject;
    const char* billing;
  } cases[] = {
      {"[7] Printer: your case was opened", "Case Allotment Notification Sent to"},
      {"Your printer", "7"},
  };
  for (const auto& c : cases) {
    auto mail = copies->Items()->Add("IPM.Note");
    mail->SetSubject(c.subject);
    mail->SetBillingInformation(c.billing);
    mail->Recipients().Add("carl@example.com");
    mail->Save();
    EXPECT_TRUE(loop_.RunUntil([&] { return copies->Items()->Count() == 0; }, 20s))
        << c.subject;
  }
  auto history = GetHistoryFolder()->Items();
  int attached = 0;
  for (int32_t i = 1; i <= history->Count(); ++i) {
    auto filed = history->Item(i);
    if (filed->BillingInformation() == "7" &&
        ReadItemText(*filed, "EmailFlag") == "Sent") {
      ++attached;
    }
  }
  EXPECT_EQ(attached, 2);
}

// Only the instance holding the Ongoing folder's claim sweeps it.
TEST_F(MonitoringIntake, StartUpSweepIsLeftToTheClaimHolderElseReopensAndMakesCases) {
  ASSERT_TRUE(ClaimsOf("Bob Brown", Date(now_.Serial() - 1.0 / 24))
                  .SetFolderFlag(kOngoingCasesClaimKey, GetOngoingFolder()->FolderPath(),
                                 ClaimAction::Set));
  SavedCase("5", CaseState::Closed);
  NewMail(GetOngoingFolder(), "Scanner jammed");
  ProcessExistingEmailsInOngoinCasesFolder();
  EXPECT_EQ(Cases().size(), 0u);
  EXPECT_EQ(GetOngoingFolder()->Items()->Count(), 2) << "the mail waits for Bob";
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser(kOngoingCasesClaimKey),
            "Bob Brown");

  now_ = Date(now_.Serial() + 0.5);  // Bob's claim runs out
  ProcessExistingEmailsInOngoinCasesFolder();
  EXPECT_EQ(CaseNumberOf("[5] Printer"), "5");
  EXPECT_FALSE(CaseNumberOf("Scanner jammed").empty());
  EXPECT_EQ(Cases().size(), 2u);
}

TEST_F(MonitoringIntake, FolderWhoseMailCannotBeWrittenIsDroppedWithItsClaim) {
  Monitor({SupportEntry()});
  ASSERT_EQ(WatchedMonitoredFolders().size(), 1u);
  NewMail(support_, "Printer jams");
  support_->SetPermission(Session().CurrentUser().Address, host::Role::Reviewer);
  EXPECT_TRUE(loop_.RunUntil([&] { return WatchedMonitoredFolders().empty(); }, 20s));
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("4711"), "");
  EXPECT_EQ(support_->Items()->Count(), 1) << "the mail stays where it is";
}

TEST_F(MonitoringIntake, OngoingFolderRefusingNewCasesStopsAllMonitoring) {
  Monitor({SupportEntry()});
  ASSERT_TRUE(InitializeOpenFolderMonitoring());
  GetOngoingFolder()->SetPermission(Session().CurrentUser().Address,
                                    host::Role::Reviewer);
  NewMail(support_, "Printer jams");
  EXPECT_TRUE(loop_.RunUntil(
      [&] { return WatchedMonitoredFolders().empty() && !OngoingFolderWatched(); }, 20s));
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser("4711"), "");
  EXPECT_EQ(ClaimsOf("Ann Smith", now_).MonitoredByUser(kOngoingCasesClaimKey), "");
}

TEST_F(MonitoringIntake, TrackingFolderNamesTheTechnicianOfTheConversation) {
  const std::string parent_index = "01D0A1B2C3D4E5F60718293A4B5C";
  auto filed = GetHistoryFolder()->Items()->Add("IPM.Note");
  filed->SetSubject("[3] Printer");
  filed->SetConversationIndex(parent_index);
  WriteItemProperty(*filed, "Technician", Variant("Bob Brown"), VarType::String);
  filed->Save();
  auto tracked =
      Session().GetDefaultFolder(host::DefaultFolder::Inbox)->Folders().Add("Tracked");
  Settings().GeneralSettings.SetValue("tpoTrackingFolderEnabled", "1");
  Settings().GeneralSettings.SetValue("tpoTrackingFolderEntryID", tracked->EntryID());
  Settings().GeneralSettings.SetValue("tpoTrackingFolderStoreID", tracked->StoreID());
  ASSERT_TRUE(StartTrackingFolder());
  auto answer = NewMail(tracked, "RE: [3] Printer");
  answer->SetConversationIndex(parent_index + "0011223344");
  answer->Save();
  auto own = NewMail(tracked, "Unrelated");
  WriteItemProperty(*own, "Technician", Variant("Dora"), VarType::String);
  own->Save();
  auto technician = [&](const std::shared_ptr<host::Item>& mail) {
    return ReadItemText(*Session().GetItemFromID(mail->EntryID()), "Technician");
  };
  EXPECT_TRUE(loop_.RunUntil([&] { return technician(answer) == "Bob Brown"; }, 20s));
  EXPECT_EQ(technician(own), "Dora") << "a technician already named stays";
}

}  // namespace
}  // namespace zanvoro
