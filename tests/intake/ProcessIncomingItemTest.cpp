#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "case/CaseID.h"
#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "case/NotificationCodes.h"
#include "case/cCase.h"
#include "host/mail/Dispatch.h"
#include "host/mail/OutboxTransport.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "host/ui/ScriptedRenderer.h"
#include "intake/ProcessIncomingItem.h"
#include "intake/cMonitoredFolderData.h"
#include "notify/SendSMS.h"
#include "runtime/Text.h"
#include "settings/SettingsFolderStore.h"

namespace zanvoro {
namespace {

using host::DefaultFolder;

const Date kReceived = MakeDate({2026, 12, 7, 9, 5, 0});

class Intake : public testsupport::CaseTest {
 protected:
  Intake() {
    SetMonitoringControl({[](host::MAPIFolder&) {}, [this] { ++stopped_all_; }});
    Settings().Callers.Clear();
    Settings().ProblemTypes.Clear();
    Settings().Technicians.Add(cTechnician{
        .Name = "Bob Jones", .Email = "bob@desk.example", .Mobile = "555-0102"});
    Settings().Technicians.Add(
        cTechnician{.Name = "Carl Boss", .Email = "carl@desk.example"});
    Settings().SLAs.Add(
        cSLA{.Name = "Gold", .Priority = "High", .ResponseTime = "4-hrs"});
    for (const char* key :
         {"sdoGeneralSettingsAllowPost", "sdoGeneralSettingsAllowMeeting",
          "sdoGeneralSettingsAllowTask"}) {
      Set(key, "0");
    }
    for (const char* key :
         {"sdoCaseCreationConfirmationEmail", "sdoCaseAssignmentEmail",
          "sdoEmailManagerWhenCaseCreated", "sdoEmailCallerWhenAssignedTechnician",
          "sdoCaseCreationConfirmationSMS", "sdoCaseAssignmentSMS",
          "sdoSMSCallerWhenAssignedTechnician", "sdoSMSManagerWhenCaseCreated"}) {
      Settings().MessageTemplates.SetNotificaionEnabledValue(key, false);
    }
  }
  ~Intake() override { SetMonitoringControl({}); }

  void Set(const char* key, const char* value) {
    Settings().GeneralSettings.SetValue(key, value);
  }
  void TurnOn(const char* template_key) {
    Settings().MessageTemplates.SetNotificaionEnabledValue(template_key, true);
  }
  std::shared_ptr<host::MAPIFolder> Folder(DefaultFolder which) {
    return Session().GetDefaultFolder(which);
  }
  std::shared_ptr<host::MAPIFolder> Inbox() { return Folder(DefaultFolder::Inbox); }

  // A saved mail in the Inbox from `from` to the support mailbox.
  std::shared_ptr<host::Item> Mail(const std::string& subject,
                                   const std::string& from = "alice@example.com",
                                   const std::string& message_class = "IPM.Note") {
    auto mail = Inbox()->Items()->Add(message_class);
    mail->SetSubject(subject);
    mail->SetSenderName("Alice Martin");
    mail->SetSenderEmailAddress(from);
    mail->SetSenderEmailType("SMTP");
    mail->SetBodyFormat(2);
    mail->SetHTMLBody("<html><body><p>The printer jams.</p></body></html>");
    mail->SetImportance(2);
    mail->SetReceivedTime(kReceived);
    mail->Recipients().Add("support@helpdesk.example");
    mail->Save();
    return mail;
  }
  void KnownCaller(const std::string& technician = "Bob Jones") {
    Settings().Callers.Add(cCaller{.Email = "alice@example.com",
                                   .Name = "Alice M.",
                                   .Phone = "555-0100",
                                   .Mobile = "555-0101",
                                   .Department = "Accounts",
                                   .Company = "Martin & Co",
                                   .Address = "1 Main St",
                                   .Technician = technician,
                                   .SLA = "Gold"});
    Settings()
        .Callers.Find("alice@example.com")
        ->AssociatedUsers.Add({"Dan", "dan@example.com"});
    Set("sdoEnableDefaultTechnician", "1");
  }
  std::shared_ptr<host::Item> Contact(const std::string& addresses) {
    auto contact = Folder(DefaultFolder::Contacts)->Items()->Add("IPM.Contact");
    contact->SetFullName("Alice Martin");
    contact->SetEmail1Address(addresses);
    return contact;
  }
  bool Process(const std::shared_ptr<host::Item>& mail,
               const cMonitoredFolderData* data = nullptr) {
    return ProcessIncomingItem(mail, "Email", data);
  }
  std::string Text(const std::shared_ptr<host::Item>& item, const char* name) {
    return ReadItemText(*item, name);
  }
  int Count(const std::shared_ptr<host::MAPIFolder>& folder) {
    return folder ? folder->Items()->Count() : 0;
  }
  std::shared_ptr<host::MAPIFolder> SetAside(const char* name) {
    return Inbox()->Folders().Item(name);
  }
  // Sends what waits in the Outbox; the mails as they were filed.
  std::vector<std::shared_ptr<host::Item>> SentCopies() {
    host::OutboxTransport transport(dir_.Path() / "outbox");
    host::ExportOptions options;
    options.user = Session().CurrentUser();
    options.message_id_domain = "desk.example.test";
    host::Dispatch(Session(), transport, options);
    std::vector<std::shared_ptr<host::Item>> sent;
    auto copies = Folder(DefaultFolder::SentMail)->Folders().Item("ManagerCopy");
    for (int32_t i = 1; copies && i <= copies->Items()->Count(); ++i)
      sent.push_back(copies->Items()->Item(i));
    return sent;
  }
  int stopped_all_ = 0;
};

TEST_F(Intake, AMailFromAKnownCallerMakesTheCaseWithEveryFieldAndABalloon) {
  KnownCaller();
  Set("sdoSetCallerDefaultSLA", "1");
  Set("sdoCaseOptionStatusNewCase", "New");
  Settings().ProblemTypes.Add(cProblemType{
      .ProblemType = "Printer", .ProblemCategory = "Hardware", .DefaultField = "Tray"});
  auto mail = Mail("Printer jams on floor 3");

  ASSERT_TRUE(Process(mail));

  auto item = GetCaseItemFromID("1");
  ASSERT_TRUE(item);
  Date created = ReadItemDate(*item, caseprop::kDateCreated);
  EXPECT_LT(std::abs(created.Serial() - Now().Serial()), 1.0 / 24 / 60);
  Date due = ReadItemDate(*item, caseprop::kDueDate);
  struct {
    const char* property;
    std::string value;
  } expected[] = {
      {caseprop::kAuthor, Settings().CurrentUserName},
      {caseprop::kOrigin, "Email"},
      {caseprop::kCaseNumber, "1"},
      {caseprop::kRecipientEmailAddress, "support@helpdesk.example"},
      {caseprop::kCallerName, "Alice M."},
      {caseprop::kCallerEmail, "alice@example.com"},
      {caseprop::kCallerPhone, "555-0100"},
      {caseprop::kCallerDepartment, "Accounts"},
      {caseprop::kCallerMobile, "555-0101"},
      {caseprop::kCallerCompany, "Martin & Co"},
      {caseprop::kCallerAddress, "1 Main St"},
      {caseprop::kTechnicians, "Bob Jones"},
      {caseprop::kServiceLevel, "Gold"},
      {caseprop::kStatus, "New"},
      {caseprop::kProblemCategory, "Hardware"},
      {caseprop::kProblemType, "Printer"},
      {caseprop::kProblemField, "Tray"},
  };
  for (const auto& e : expected) EXPECT_EQ(Text(item, e.property), e.value) << e.property;
  EXPECT_NE(Text(item, caseprop::kAssociatedUsers).find("dan@example.com"),
            std::string::npos);
  EXPECT_EQ(ReadItemDate(*item, caseprop::kReceivedDate), kReceived);
  EXPECT_GT(due, created) << "the Gold SLA gives four hours";
  EXPECT_NE(Text(item, caseprop::kBody).find("Alice M."), std::string::npos);
  EXPECT_EQ(item->Subject(), "[1] Printer jams on floor 3");
  EXPECT_NE(item->HTMLBody().find("The printer jams."), std::string::npos);
  EXPECT_NE(item->HTMLBody().find("Problem description received from <b>"),
            std::string::npos);
  EXPECT_EQ(item->BodyFormat(), 2);
  EXPECT_EQ(item->Importance(), 2);
  EXPECT_TRUE(item->UnRead());
  EXPECT_EQ(item->MessageClass(), "IPM.Post.PLWSupportCase");
  EXPECT_EQ(mail->BillingInformation(), "1") << "the mail is attached to its case";
  auto balloons = BalloonTexts();
  ASSERT_FALSE(balloons.empty());
  EXPECT_TRUE(
      StartsWithText(balloons.back(), "New Case #1 generated from incoming email at "));
  EXPECT_NE(balloons.back().find("\r\n\r\n'Printer jams on floor 3'"), std::string::npos);
}

TEST_F(Intake, TheCallerAndTheTechnicianAreToldThroughTheTransport) {
  KnownCaller();
  TurnOn("sdoCaseCreationConfirmationEmail");
  TurnOn("sdoCaseAssignmentEmail");
  ASSERT_TRUE(Process(Mail("Printer jams")));

  auto sent = SentCopies();
  ASSERT_EQ(sent.size(), 2u);
  std::map<std::string, std::shared_ptr<host::Item>> by_label;
  for (const auto& mail : sent) by_label[mail->BillingInformation()] = mail;
  auto confirmation = by_label["Case Allotment Notification Sent to"];
  ASSERT_TRUE(confirmation);
  EXPECT_EQ(Recipients(*confirmation), "alice@example.com");
  EXPECT_EQ(confirmation->Subject(), "[1] Printer jams");
  EXPECT_NE(confirmation->HTMLBody().find("Alice M."), std::string::npos);
  EXPECT_EQ(confirmation->HTMLBody().find("VNH_"), std::string::npos);
  auto assignment = by_label["Case Assignment Notification Sent to"];
  ASSERT_TRUE(assignment);
  EXPECT_EQ(Recipients(*assignment), "bob@desk.example");
  EXPECT_NE(assignment->Subject().find("[1]"), std::string::npos);
}

TEST_F(Intake, TheManagersAreToldOfACaseWithoutTechnician) {
  Set("sdoManagers", "Carl Boss");
  TurnOn("sdoEmailManagerWhenCaseCreated");
  ASSERT_TRUE(Process(Mail("Printer jams")));

  auto sent = SentCopies();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]->BillingInformation(), "Unassigned Case Notification sent to");
  EXPECT_EQ(Recipients(*sent[0]), "carl@desk.example");
  EXPECT_TRUE(StartsWithText(sent[0]->Subject(), "New case generated: [1] Printer jams"));
}

TEST_F(Intake, TheConfirmationSmsGoesToTheCallersMobile) {
  KnownCaller();
  TurnOn("sdoCaseCreationConfirmationSMS");
  std::vector<std::string> messages;
  // No SMS gateway can run here: the transport records what it is given.
  SetSmsTransport([&](std::string_view number, std::string_view text, const cCase*) {
    messages.push_back(std::string(number) + ": " + std::string(text));
    return std::string("SUCCESS");
  });
  ASSERT_TRUE(Process(Mail("Printer jams")));
  SetSmsTransport({});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(
      StartsWithText(messages[0], "555-0101: Dear Alice M., SupportCase 1 created"));
}

TEST_F(Intake, ItemsThatAreNoMailForACaseAreSetAside) {
  struct {
    const char* message_class;
    const char* folder;
  } cases[] = {
      {"IPM.Note.Rules.OofTemplate.Microsoft", "Unprocessed Emails"},
      {"REPORT.IPM.Note.NDR", "Unprocessed Emails"},
      {"IPM.Note.SMIME", "Unprocessed Emails"},
      {"IPM.Schedule.Meeting.Request", "Conflicted Emails"},
  };
  for (const auto& c : cases) {
    auto mail = Mail("Out of office", "alice@example.com", c.message_class);
    Process(mail);
    EXPECT_EQ(mail->Parent()->Name(), c.folder) << c.message_class;
    EXPECT_EQ(mail->BillingInformation(), "") << c.message_class;
  }
  EXPECT_FALSE(GetCaseItemFromID("1"));
}

TEST_F(Intake, OnlyKnownCallersMakeCasesWhenTheSettingSaysSo) {
  Set("sdoProcessEmailsFromExistingCallersOnly", "1");
  KnownCaller();
  auto stranger = Mail("Printer jams", "mallory@example.net");
  EXPECT_FALSE(Process(stranger));
  EXPECT_EQ(stranger->Parent()->Name(), "Unprocessed Emails");
  EXPECT_TRUE(Process(Mail("Printer jams")));
  EXPECT_TRUE(GetCaseItemFromID("1"));
}

TEST_F(Intake, AMeetingRequestMakesACaseWhenMeetingsAreAllowed) {
  Set("sdoGeneralSettingsAllowMeeting", "1");
  auto meeting = Mail("Planning", "alice@example.com", "IPM.Schedule.Meeting.Request");
  meeting->SetBody("Let us meet.\r\nTomorrow.");
  meeting->Save();
  ASSERT_TRUE(Process(meeting));
  auto item = GetCaseItemFromID("1");
  ASSERT_TRUE(item);
  EXPECT_NE(item->HTMLBody().find("Let us meet.<br>Tomorrow."), std::string::npos);
}

TEST_F(Intake, AReplyToAVanishedCaseIsSetAsideWithTheAdministratorAlertedOrMadeANewCase) {
  Set("sdoEmailReplyWithoutCaseTodoWhat", "1");
  Set("sdoEmailReplyWithoutCaseTodoWhatAlertAdmin", "1");
  Set("sdoAdminAlertOnNonExistentCase", "1");
  Set("sdoAdminEmai", "Carl@Desk.example");
  auto mail = Mail("Re: [HD-12] Printer");
  EXPECT_FALSE(Process(mail));
  EXPECT_EQ(mail->Parent()->Name(), "Unprocessed Emails");

  auto outbox = Folder(DefaultFolder::Outbox);
  ASSERT_EQ(Count(outbox), 1);
  auto alert = outbox->Items()->Item(1);
  EXPECT_EQ(alert->Subject(),
            Settings().CurrentUserName +
                ": Notification of failed processing of incoming email!");
  for (std::string part :
       {std::string("Dear Carl Boss,"), std::string("because the case ID under the "),
        std::string("Email Subject: 'Re: [HD-12] Printer'"),
        "Moved to:" + SetAside("Unprocessed Emails")->FolderPath()}) {
    EXPECT_NE(alert->HTMLBody().find(part), std::string::npos) << alert->HTMLBody();
  }

  // Told so, the intake makes a new case of it instead.
  Set("sdoEmailReplyWithoutCaseTodoWhat", "0");
  ASSERT_TRUE(Process(Mail("Re: [HD-12] Printer")));
  auto item = GetCaseItemFromID("1");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->Subject(), "[1] Re: Printer");
}

TEST_F(Intake, AReplyToAnExistingCaseIsAddedToItAndAnnouncedUnlessSystemGenerated) {
  SavedCaseItem(Ongoing(), "12");
  auto mail = Mail("Re: [12] Case 12");
  ASSERT_TRUE(Process(mail));
  EXPECT_EQ(mail->BillingInformation(), "12");
  EXPECT_FALSE(GetCaseItemFromID("1")) << "no new case";
  auto balloons = BalloonTexts();
  ASSERT_FALSE(balloons.empty());
  EXPECT_TRUE(
      StartsWithText(balloons.back(), "New incoming response added to Case #12 at "));

  // A system-generated one never is.
  auto generated = Mail("[12] Printer (System Generated)");
  EXPECT_FALSE(Process(generated));
  EXPECT_EQ(generated->Parent()->Name(), "Unprocessed Emails");
  EXPECT_NE(generated->BillingInformation(), "12");
}

TEST_F(Intake, AProblemTypeNameOfTwoCharactersNeverMatchesTheSubject) {
  Settings().ProblemTypes.Add(
      cProblemType{.ProblemType = "PC", .ProblemCategory = "Hardware"});
  Settings().ProblemTypes.Add(
      cProblemType{.ProblemType = "VPN", .ProblemCategory = "Network"});
  struct {
    const char* subject;
    const char* type;
  } cases[] = {
      {"My PC is slow", ""},
      {"vpn drops after a minute", "VPN"},
      {"PC cannot reach the VPN", "VPN"},
  };
  int number = 0;
  for (const auto& c : cases) {
    ASSERT_TRUE(Process(Mail(c.subject)));
    auto item = GetCaseItemFromID(std::to_string(++number));
    ASSERT_TRUE(item) << c.subject;
    EXPECT_EQ(Text(item, caseprop::kProblemType), c.type) << c.subject;
  }
}

TEST_F(Intake, ACounterThatGivesZeroMakesACaseWithoutNumberOrNotifications) {
  TurnOn("sdoCaseCreationConfirmationEmail");
  auto counters = GetOutlookSettingItem(*Settings().SettingsFolder(), kCounterItemSubject,
                                        SettingItemMode::Create);
  SetSettingItemText(*counters, "tCounterSettings", "CaseIDCount;-1");
  counters->Save();

  auto mail = Mail("Printer jams");
  Process(mail);

  ASSERT_EQ(Count(Ongoing()), 1);
  auto item = Ongoing()->Items()->Item(1);
  EXPECT_EQ(item->Subject(), "Printer jams");
  EXPECT_EQ(Text(item, caseprop::kCaseNumber), "");
  EXPECT_EQ(Count(Folder(DefaultFolder::Outbox)), 0);
  EXPECT_EQ(mail->Parent()->Name(), "Conflicted Emails");
}

TEST_F(Intake, ASenderWithTwoSmtpAddressesIsIdentifiedByTheirAddress) {
  KnownCaller();
  Contact("alice@example.com;a.martin@example.com")->Save();
  auto mail = Mail("Printer jams");
  EXPECT_EQ(SenderOf(*mail).smtp_address, "alice@example.com;a.martin@example.com");
  EXPECT_EQ(SenderCallerAddress(*mail), "alice@example.com");

  ASSERT_TRUE(Process(mail));
  auto item = GetCaseItemFromID("1");
  ASSERT_TRUE(item);
  EXPECT_EQ(Text(item, caseprop::kCallerEmail), "alice@example.com");
  EXPECT_EQ(Text(item, caseprop::kCallerName), "Alice M.");
}

TEST_F(Intake, AnUnknownSenderTakesTheContactsFieldsAndJoinsTheCallers) {
  Set("sdoCallerAutomaticallySaveInfo", "1");
  Set("sdoGenerateRandomPasswordForNewCaller", "1");
  auto contact = Contact("alice@example.com");
  contact->SetBusinessTelephoneNumber("555-0200");
  contact->SetCompanyName("Martin GmbH");
  contact->SetDepartment("Sales");
  contact->SetMobileTelephoneNumber("555-0201");
  contact->SetBusinessAddress("2 High St");
  contact->SetOfficeLocation("Room 4");
  contact->Save();

  ASSERT_TRUE(Process(Mail("Printer jams")));

  auto item = GetCaseItemFromID("1");
  ASSERT_TRUE(item);
  EXPECT_EQ(Text(item, caseprop::kCallerPhone), "555-0200");
  EXPECT_EQ(Text(item, caseprop::kCallerCompany), "Martin GmbH");
  EXPECT_EQ(Text(item, caseprop::kCallerDepartment), "Sales");
  EXPECT_EQ(Text(item, caseprop::kCallerMobile), "555-0201");
  EXPECT_EQ(Text(item, caseprop::kCallerAddress), "2 High St");
  const cCaller* caller = Settings().Callers.Find("alice@example.com");
  ASSERT_TRUE(caller);
  EXPECT_EQ(caller->Name, "Alice Martin");
  EXPECT_EQ(caller->Password.size(), 10u);
  EXPECT_EQ(GetLoginHTML("alice@example.com"),
            WebAccessLoginTable("alice@example.com", caller->Password));
}

TEST_F(Intake, TheMonitoredFolderGivesItsDefaults) {
  cMonitoredFolderData data;
  data.DefaultProblemCategory = "Hardware";
  data.DefaultProblemType = "Printer";
  data.DefaultTechnician = "Carl Boss";
  data.DefaultSLA = "Gold";
  ASSERT_TRUE(Process(Mail("Something broke"), &data));
  auto item = GetCaseItemFromID("1");
  ASSERT_TRUE(item);
  EXPECT_EQ(Text(item, caseprop::kProblemCategory), "Hardware");
  EXPECT_EQ(Text(item, caseprop::kProblemType), "Printer");
  EXPECT_EQ(Text(item, caseprop::kTechnicians), "Carl Boss");
  EXPECT_EQ(Text(item, caseprop::kServiceLevel), "Gold");
  EXPECT_EQ(item->Importance(), 2);
}

TEST_F(Intake, AnAlreadyProcessedMailIsDeleted) {
  auto mail = Mail("Printer jams");
  mail->SetBillingInformation(kAlreadyProcessed);
  mail->Save();
  EXPECT_FALSE(Process(mail));
  EXPECT_EQ(Count(Inbox()), 0);
  EXPECT_EQ(Count(Ongoing()), 0);
}

TEST_F(Intake, AnOngoingFolderThatRefusesNewCasesStopsAllMonitoring) {
  Ongoing()->SetPermission(Session().CurrentUser().Address, host::Role::Reviewer);
  auto mail = Mail("Printer jams");
  Process(mail);
  EXPECT_EQ(stopped_all_, 1);
  EXPECT_EQ(mail->Parent()->Name(), "Inbox");
  const host::Shown* advice = LastShown("frmErrorKBDialog");
  ASSERT_TRUE(advice);
  bool found = false;
  for (const auto& [name, text] : advice->controls)
    found = found || text.find("appears to be corrupted!") != std::string::npos;
  EXPECT_TRUE(found);
}

TEST(IntakeRules, MessageClassesFollowTheirRules) {
  struct {
    const char* message_class;
    bool processable;
  } cases[] = {
      {"IPM.Note", true},
      {"ipm.post", true},
      {"IPM.Note.SMIME.MultipartSigned", true},
      {"IPM.Note.SMIME", false},
      {"IPM.Note.Rules.OofTemplate.Microsoft", false},
      {"REPORT.IPM.Note.DR", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsProcessableMailClass(c.message_class), c.processable) << c.message_class;
}

TEST_F(Intake, CompatibleAndNonCaseClassesFollowTheSettings) {
  Set("sdoGeneralSettingsAllowTask", "1");
  struct {
    const char* message_class;
    bool compatible;
    bool non_case;
  } cases[] = {
      {"IPM.Note", true, true},
      {"IPM.Post", false, true},
      {"IPM.Appointment", false, true},
      {"IPM.Task", true, true},
      {"IPM.Contact", false, false},
      {"IPM.StickyNote", false, false},
      {"IPM.Post.PLWSupportCase", false, false},
      {"IPM.Post.PLWSupportCase.Closed", false, false},
  };
  for (const auto& c : cases) {
    auto item = Inbox()->Items()->Add(c.message_class);
    EXPECT_EQ(IsCompatibleMessageClass(*item), c.compatible) << c.message_class;
    EXPECT_EQ(fncIsNonCaseItem(*item), c.non_case) << c.message_class;
  }
}

}  // namespace
}  // namespace zanvoro
