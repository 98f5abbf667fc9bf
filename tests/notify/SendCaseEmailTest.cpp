#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "case/ItemProperty.h"
#include "host/mail/Dispatch.h"
#include "host/mail/OutboxTransport.h"
#include "host/os/System.h"
#include "host/store/Attachments.h"
#include "notify/NotifyTestSupport.h"
#include "notify/SendCaseEmail.h"
#include "notify/SendSMS.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

using host::RecipientType;

// The label marks a sent notification in the case's mail; mail a technician
// writes has none, and a kind that is no mail is "NIL".
TEST(NotificationLabel, NamesTheNotificationsOnly) {
  struct {
    int32_t kind;
    const char* label;
  } cases[] = {{3, ""},
               {10, ""},
               {12, "Case Closure Notification Sent to"},
               {25, "Unassigned Case Notification sent to"},
               {16, "NIL"},
               {0, "NIL"}};
  for (const auto& c : cases) EXPECT_EQ(NotificationLabel(c.kind), c.label) << c.kind;
}

TEST(SmsSucceeded, TakesSuccessInAnyCaseWithDetail) {
  struct {
    const char* result;
    bool sent;
  } cases[] = {{"SUCCESS", true},     {"Success", true},   {"SUCCESS: 555-0101", true},
               {"", false},           {"error 17", false}, {kNoSmsTransport, false},
               {"NOT SUCCESS", false}};
  for (const auto& c : cases) EXPECT_EQ(SmsSucceeded(c.result), c.sent) << c.result;
}

class CaseMail : public testsupport::NotifyTest {};

TEST_F(CaseMail, CopyRulesFollowEachKindsSetting) {
  struct {
    int32_t kind;
    const char* setting;  // "" when no setting asks for copies
  } cases[] = {{3, "tpoBccUsersOnEmailToCaller"},
               {10, "tpoBccUsersOnEmailToTechnician"},
               {12, "tpoAlertAssociatedUsersCaller"},
               {13, "tpoAlertAssociatedUsersTechnician"},
               {21, "tpoAlertAssociatedUsersTechnician"},
               {25, ""},
               {2, ""}};
  const char* settings[] = {
      "tpoBccUsersOnEmailToCaller", "tpoBccUsersOnEmailToTechnician",
      "tpoAlertAssociatedUsersCaller", "tpoAlertAssociatedUsersTechnician"};
  for (const char* setting : settings) SetSetting(setting, "0");
  for (const auto& c : cases) EXPECT_FALSE(ShouldCopyUsers(c.kind)) << c.kind;
  for (const char* on : settings) {
    for (const char* setting : settings) SetSetting(setting, setting == on ? "1" : "0");
    for (const auto& c : cases) {
      EXPECT_EQ(ShouldCopyUsers(c.kind), std::string(c.setting) == on)
          << c.kind << " with " << on;
    }
  }
}

TEST_F(CaseMail,
       SentNotificationCarriesRecipientsSubjectLabelAndLandsInTheSentCopyFolder) {
  SetSetting("tpoAlertAssociatedUsersTechnician", "1");
  ASSERT_EQ(SendCaseEmail("bob@example.test; cara@example.test", 13, c_, SendMode::Send),
            kSendSuccess);

  auto outbox = Outbox();
  ASSERT_EQ(outbox.size(), 1u);
  host::Item& mail = *outbox[0];
  EXPECT_EQ(Recipients(mail, RecipientType::To), "bob@example.test; cara@example.test");
  EXPECT_EQ(Recipients(mail, RecipientType::BCC), "eve@example.test");
  EXPECT_EQ(mail.Subject(), c_.ToSubjectHTML(13));
  EXPECT_EQ(mail.HTMLBody(), c_.ToHTML(13));
  EXPECT_EQ(mail.BodyFormat(), static_cast<int32_t>(host::BodyFormat::HTML));
  EXPECT_EQ(mail.BillingInformation(), "Case Assignment Notification Sent to");
  auto copies = GetSentCopyFolder();
  ASSERT_NE(copies, nullptr);
  EXPECT_EQ(copies->Name(), kSentCopyFolderName);
  EXPECT_EQ(copies->Parent()->EntryID(),
            Session().GetDefaultFolder(host::DefaultFolder::SentMail)->EntryID());
  EXPECT_EQ(mail.SaveSentMessageFolderID(), copies->EntryID());
  EXPECT_EQ(BalloonTexts(), std::vector<std::string>{CONST_ASSIGNMENT_NOTIFICATION});

  // The sent copy lands there once the transport took the mail.
  host::OutboxTransport transport(dir_.Path() / "outbox");
  host::ExportOptions options;
  options.user = {"Ann Smith", "ann@example.com"};
  EXPECT_EQ(host::Dispatch(Session(), transport, options).sent, 1);
  ASSERT_EQ(copies->Items()->Count(), 1);
  EXPECT_EQ(copies->Items()->Item(1)->BillingInformation(),
            "Case Assignment Notification Sent to");
}

TEST_F(CaseMail, ClosureMailAddsTheClosureListToTheBlindCopies) {
  SetSetting("tpoAlertAssociatedUsersCaller", "1");
  SetSetting("tpoAreUsersToNotifyOnClosedCase", "1");
  SetSetting("tpoUsersToNotifyOnClosedCase", "boss@example.test;audit@example.test");
  SendCaseEmail("dan@example.test", 12, c_, SendMode::Send);

  auto outbox = Outbox();
  ASSERT_EQ(outbox.size(), 1u);
  EXPECT_EQ(Recipients(*outbox[0], RecipientType::BCC),
            "eve@example.test; boss@example.test; audit@example.test");
}

TEST_F(CaseMail, SendingMailboxIsTheSupportMailboxOrTheOneTheCallerWroteTo) {
  struct {
    const char* support_mailbox;
    const char* use_recipient_account;
    const char* expected;
  } cases[] = {
      {"help@example.test", "1", "help@example.test"},
      {"help@example.test", "0", "help@example.test"},
      {"", "1", "desk@example.test"},
      {"  ", "1", "desk@example.test"},
      {"", "0", ""},
  };
  for (const auto& c : cases) {
    SetSetting("sdoSupportMailbox", c.support_mailbox);
    SetSetting("tpoMonitoringUseRecipientAccountForOutgoing", c.use_recipient_account);
    auto mail = application_->CreateItem(host::ItemType::Mail);
    SetSendingAccount(*mail, "desk@example.test");
    EXPECT_EQ(mail->SentOnBehalfOfName(), c.expected)
        << "'" << c.support_mailbox << "' " << c.use_recipient_account;
  }
}

TEST_F(CaseMail,
       ForwardDisplaysTheMailWithoutRecipientsAndPrintWritesTheSheetToDocuments) {
  EXPECT_EQ(SendCaseEmail(kForwardRecipient, 3, c_, SendMode::Send), "");

  EXPECT_TRUE(Outbox().empty());
  auto inspector = application_->ActiveInspector();
  ASSERT_NE(inspector, nullptr);
  EXPECT_EQ(inspector->CurrentItem()->Recipients().Count(), 0);
  EXPECT_EQ(inspector->CurrentItem()->Subject(), c_.ToSubjectHTML(3));

  host::testsupport::ScopedEnv opener("ZANVORO_OPENER", "/bin/true");
  EXPECT_EQ(SendCaseEmail("", 2, c_, SendMode::Send), "");
  EXPECT_TRUE(Outbox().empty());
  auto sheet = host::DocumentsFolder() / "Zanvoro Case 12.html";
  ASSERT_TRUE(std::filesystem::exists(sheet));
  EXPECT_EQ(host::testsupport::ReadFile(sheet), c_.ToHTML(2));
}

TEST_F(CaseMail, CaseAttachmentsAreCopiedAndFileNamesListed) {
  auto item = SavedCaseItem(Ongoing(), "12");
  item->Attachments().AddBytes("log.txt", "paper jam at tray 2", "text/plain");
  host::Attachment* picture =
      item->Attachments().AddBytes("shot.png", "PNG", "image/png");
  picture->SetContentId("shot@case");
  item->Save();
  ASSERT_TRUE(c_.GetCaseFromOutlookItem(item, SaveUnsaved::No));

  SendCaseEmail("dan@example.test", 3, c_, SendMode::Send);
  auto outbox = Outbox();
  ASSERT_EQ(outbox.size(), 1u);
  host::Attachments& attached = outbox[0]->Attachments();
  ASSERT_EQ(attached.Count(), 2);
  EXPECT_EQ(attached.Item(1)->Bytes(), "paper jam at tray 2");
  EXPECT_EQ(attached.Item(2)->ContentId(), "shot@case");
  EXPECT_EQ(outbox[0]->HTMLBody(), c_.ToHTML(3) + "<BR><BR>log.txt");
}

class Notifications : public testsupport::NotifyTest {};

TEST_F(Notifications, TechniciansGetTheAssignmentByMailAndSms) {
  InstallRecordingSmsTransport();
  EnableTemplate("sdoCaseAssignmentEmail");
  EnableTemplate("sdoCaseAssignmentSMS");
  NotifyTechniciansOfAssignment(c_);

  auto outbox = Outbox();
  ASSERT_EQ(outbox.size(), 1u);
  EXPECT_EQ(Recipients(*outbox[0], RecipientType::To),
            "bob@example.test; cara@example.test");
  ASSERT_EQ(sms_.size(), 1u);
  EXPECT_EQ(sms_[0].number, "555-0101,555-0102");
  EXPECT_EQ(sms_[0].message, c_.ToHTML(8));
  EXPECT_EQ(BalloonTexts(),
            (std::vector<std::string>{CONST_ASSIGNMENT_NOTIFICATION, CONST_SMS_SENT}));
}

TEST_F(Notifications, DisabledOrBlankTemplatesSendNothing) {
  struct {
    bool enabled;
    const char* text;  // nullptr: the default text
  } cases[] = {{false, nullptr}, {true, ""}, {true, " \r\n "}};
  InstallRecordingSmsTransport();
  for (const auto& c : cases) {
    for (const char* key : {"sdoCaseAssignmentEmail", "sdoCaseAssignmentSMS"}) {
      EnableTemplate(key, c.enabled);
      if (c.text) Settings().MessageTemplates.SetValue(key, c.text);
    }
    NotifyTechniciansOfAssignment(c_);
    EXPECT_TRUE(Outbox().empty()) << c.enabled;
    EXPECT_TRUE(sms_.empty()) << c.enabled;
  }
  EXPECT_TRUE(BalloonTexts().empty());
}

TEST_F(Notifications, SmsWithoutTransportIsRefusedAndNothingIsShownOrLogged) {
  EXPECT_EQ(SendSMS("555-0101", "hello", &c_), kNoSmsTransport);

  auto item = SavedCaseItem(Ongoing(), "12");
  WriteItemProperty(*item, "Case.Technicians", Variant("Bob Jones/Cara Diaz"),
                    VarType::String);
  item->Save();
  ASSERT_TRUE(c_.GetCaseFromOutlookItem(item, SaveUnsaved::No));
  ASSERT_EQ(c_.Technicians.Mobiles(), "555-0101,555-0102");
  std::string log_before = ReadItemText(*item, "Case.Log");
  EnableTemplate("sdoCaseAssignmentSMS");
  NotifyTechniciansOfAssignment(c_);

  EXPECT_TRUE(BalloonTexts().empty());
  EXPECT_EQ(ReadItemText(*GetCaseItemFromID("12"), "Case.Log"), log_before);
}

TEST_F(Notifications, ManagersAreToldOnlyWhenListedAsTechniciansOfAnUnassignedCase) {
  struct {
    const char* managers;
    const char* technicians;
    const char* mailed;  // "": nothing is sent
    const char* texted;
  } cases[] = {
      {"Nobody Known;Someone Else", "", "", ""},
      {"", "", "", ""},
      {"Cara Diaz", "Bob Jones", "", ""},
      {"cara diaz; Nobody Known, BOB JONES", "", "cara@example.test; bob@example.test",
       "555-0102,555-0101"},
  };
  InstallRecordingSmsTransport();
  EnableTemplate("sdoEmailManagerWhenCaseCreated");
  EnableTemplate("sdoSMSManagerWhenCaseCreated");
  for (const auto& c : cases) {
    SetSetting("sdoManagers", c.managers);
    c_.Technicians.LoadTechniciansToDicList(c.technicians);
    NotifyManagersOfUnassignedCase(c_, nullptr);
    auto outbox = Outbox();
    if (*c.mailed == '\0') {
      EXPECT_TRUE(outbox.empty()) << c.managers;
      EXPECT_TRUE(sms_.empty()) << c.managers;
      continue;
    }
    ASSERT_EQ(outbox.size(), 1u) << c.managers;
    EXPECT_EQ(Recipients(*outbox[0], RecipientType::To), c.mailed);
    EXPECT_EQ(outbox[0]->BillingInformation(), "Unassigned Case Notification sent to");
    ASSERT_EQ(sms_.size(), 1u) << c.managers;
    EXPECT_EQ(sms_[0].number, c.texted);
    EXPECT_EQ(sms_[0].message, c_.ToHTML(26));
  }
}

TEST_F(Notifications, CallerReplyReachesTheTechniciansUnlessTheMailDisablesIt) {
  InstallRecordingSmsTransport();
  EnableTemplate("sdoEmailTechniciansWhenCallerReplies");
  EnableTemplate("sdoSMSTechniciansWhenCallerReplies");
  auto reply = application_->CreateItem(host::ItemType::Mail);
  WriteItemProperty(*reply, "DisableNotification", Variant(true), VarType::Boolean);
  NotifyTechniciansOfCallerReply(c_, *reply);
  EXPECT_TRUE(Outbox().empty());
  EXPECT_TRUE(sms_.empty());

  WriteItemProperty(*reply, "DisableNotification", Variant(false), VarType::Boolean);
  NotifyTechniciansOfCallerReply(c_, *reply);
  ASSERT_EQ(Outbox().size(), 1u);
  EXPECT_EQ(Outbox()[0]->Subject(), c_.ToSubjectHTML(19));
  ASSERT_EQ(sms_.size(), 1u);
  EXPECT_EQ(sms_[0].message, c_.ToHTML(20));
}

}  // namespace
}  // namespace zanvoro
