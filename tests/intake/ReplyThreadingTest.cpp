#include <gtest/gtest.h>

#include "case/CaseID.h"
#include "host/store/StoreBackend.h"
#include "intake/ReplyThreading.h"
#include "intake/ReplyThreadingTestSupport.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

class ReplyThreading : public testsupport::ThreadingTest {
 protected:
  ~ReplyThreading() override { host::SetStoreStepHookForTesting(nullptr); }

  bool AttachReply(const std::shared_ptr<host::Item>& mail, const std::string& number,
                   AttachedBy by = AttachedBy::Monitoring) {
    return AddEmailToCase(mail, number, MailKind::Reply, ConversationKind::ReplyReceived,
                          by);
  }
  // The store refuses every move with `number`.
  void FailMoves(int32_t number) {
    host::SetStoreStepHookForTesting([number](std::string_view step) {
      if (step == "move:updated") throw Error(number, "The move was refused.", "Store");
    });
  }
};

TEST_F(ReplyThreading, CaseExistsInOngoingOrResolved) {
  Case("4");
  Case("5", Resolved());
  EXPECT_TRUE(CaseExists("4"));
  EXPECT_TRUE(CaseExists("5"));
  EXPECT_FALSE(CaseExists("6"));
  EXPECT_FALSE(CaseExists(""));
}

TEST_F(ReplyThreading, AReplyCarryingTwoCaseTagsGoesToTheFirst) {
  Case("3");
  Case("12");
  auto mail = Mail("Re: [HD-3] Printer [HD-12] jams");
  std::string number = ExtractCaseID(mail->Subject());
  ASSERT_EQ(number, "3");

  EXPECT_TRUE(ProcessCallerReply(mail, number));

  auto filed = OnlyItem(History());
  ASSERT_TRUE(filed);
  EXPECT_EQ(filed->BillingInformation(), "3");
  EXPECT_EQ(filed->Subject(), "Re: [HD-3] Printer [HD-12] jams");
  ASSERT_EQ(LogTexts("3").size(), 1u);
  EXPECT_EQ(LogTexts("3")[0].rfind("Email Reply from Caller (", 0), 0u);
  EXPECT_TRUE(LogTexts("12").empty());
}

TEST_F(ReplyThreading, FiledSubjectsCarryTheCaseTag) {
  struct {
    const char* subject;
    const char* append_option;  // sdoInsertIDPrefixCodeToOriginalEmail
    const char* filed;
  } cases[] = {{"Printer jams", "1", "Printer jams [HD-12]"},
               {"Printer jams", "0", "[HD-12] Printer jams"},
               {"  Printer jams  ", "0", "[HD-12] Printer jams"},
               {"Re: [HD-12] Printer jams", "1", "Re: [HD-12] Printer jams"},
               {"Re: [12] Printer jams", "0", "Re: [12] Printer jams"},
               {"[9] Printer jams", "1", "[HD-12] Printer jams"},
               {"Printer [XY-9] jams [9]", "1", "[HD-12] Printer  jams"}};
  Case("12");
  for (const auto& c : cases) {
    Set("sdoInsertIDPrefixCodeToOriginalEmail", c.append_option);
    auto mail = Mail(c.subject);
    ASSERT_TRUE(AttachReply(mail, "12")) << c.subject;
    EXPECT_EQ(mail->Subject(), c.filed) << c.subject;
    EXPECT_EQ(mail->BillingInformation(), "12") << c.subject;
    mail->Delete();
  }
}

TEST_F(ReplyThreading, AttachedMailCarriesTheMarkers) {
  Case("12");
  auto reply = Mail("Re: [HD-12] Printer");
  ASSERT_TRUE(AttachReply(reply, "12"));
  EXPECT_EQ(reply->BillingInformation(), "12");
  EXPECT_EQ(reply->FlagStatus(), 1);
  EXPECT_EQ(reply->FlagRequest().rfind("Added to Support Case #12 on '", 0), 0u);
  EXPECT_EQ(ReadItemText(*reply, "EmailFlag"), "Received");
  EXPECT_TRUE(reply->Saved());

  auto first = Mail("Printer");
  ASSERT_TRUE(AddEmailToCase(first, "12", MailKind::NewCase,
                             ConversationKind::ProblemDescription,
                             AttachedBy::Monitoring));
  EXPECT_EQ(
      first->FlagRequest().rfind("Support Case # 12 generated from this email at ", 0),
      0u);
  EXPECT_EQ(ReadItemText(*first, "EmailFlag"), "");
  EXPECT_EQ(LogTexts("12").back().rfind("Case created from email ", 0), 0u);

  auto sent = Mail("[HD-12] Case Allotment");
  ASSERT_TRUE(AddEmailToCase(sent, "12", MailKind::Outgoing,
                             ConversationKind::Notification, AttachedBy::Monitoring,
                             "Case Allotment Notification Sent to"));
  EXPECT_EQ(ReadItemText(*sent, "EmailFlag"), "Sent");
  EXPECT_EQ(LogTexts("12").size(), 2u);  // the sender logged its own mail
}

TEST_F(ReplyThreading, MonitoringMovesTheMailAndUserCommandsFollowTheirOption) {
  struct {
    AttachedBy by;
    const char* auto_option;  // sdoMoveEmailOptionAuto
    const char* user_option;  // sdoMoveEmailOption
    int left_in_support;
    int processed;  // -1: no "Processed Emails" folder
  } cases[] = {{AttachedBy::Monitoring, "0", "0", 0, -1},
               {AttachedBy::Monitoring, "1", "0", 0, 1},
               {AttachedBy::UserCommand, "1", "1", 0, -1},
               {AttachedBy::UserCommand, "0", "0", 1, -1}};
  Case("12");
  for (const auto& c : cases) {
    auto support =
        Ongoing()->Parent()->Folders().Add("Support " + std::to_string(&c - cases));
    support_ = support;
    auto history_before = Count(History());
    Set("sdoMoveEmailOptionAuto", c.auto_option);
    Set("sdoMoveEmailOption", c.user_option);
    auto mail = Mail("Re: [HD-12] Printer");
    ASSERT_TRUE(AttachReply(mail, "12", c.by));
    EXPECT_EQ(Count(support), c.left_in_support) << c.auto_option << c.user_option;
    EXPECT_EQ(Count(History()), history_before + 1);
    EXPECT_EQ(Count(support->Folders().Item("Processed Emails")), c.processed);
  }
}

TEST_F(ReplyThreading, TheMailKeptInViewGetsTheCaseLink) {
  auto case_item = Case("12");
  Set("sdoMoveEmailOptionAuto", "1");
  auto mail = Mail("Re: [HD-12] Printer");
  ASSERT_TRUE(AttachReply(mail, "12"));
  auto kept = OnlyItem(Support()->Folders().Item("Processed Emails"));
  ASSERT_TRUE(kept);
  EXPECT_NE(kept->HTMLBody().find("<a href=\"outlook:" + case_item->EntryID() + "\">"),
            std::string::npos);
  EXPECT_NE(kept->HTMLBody().find("Support Case #12"), std::string::npos);
  // The filed mail and the conversation stay without the link.
  EXPECT_EQ(OnlyItem(History())->HTMLBody().find("Support Case #12"), std::string::npos);
}

TEST_F(ReplyThreading, EmbedCaseLinkPutsTheLinkInFront) {
  auto mail = Mail("Printer", "<p>Hi</p>");
  EmbedCaseLink(*mail, "00AB12", "12");
  EXPECT_TRUE(mail->HTMLBody().starts_with("<div align=\"right\">")) << mail->HTMLBody();
  EXPECT_NE(mail->HTMLBody().find("<a href=\"outlook:00AB12\"><b><font size=\"1\" "
                                  "face=\"Tahoma\">Support Case #12</font></b></a>"),
            std::string::npos);
  EXPECT_TRUE(mail->HTMLBody().ends_with("</div>\r\n<p>Hi</p>"));
  EXPECT_TRUE(mail->Saved());

  auto plain = Mail("Printer", "");
  plain->SetBody("a < b\r\nline two");
  EmbedCaseLink(*plain, "00AB12", "12");
  EXPECT_NE(plain->HTMLBody().find("</div>\r\na &lt; b<br>line two"), std::string::npos);

  auto meeting = Mail("Printer", "<p>Hi</p>", "IPM.Schedule.Meeting.Request");
  EmbedCaseLink(*meeting, "00AB12", "12");
  EXPECT_EQ(meeting->HTMLBody(), "<p>Hi</p>");
}

// A move refused as failed leaves a marked, emptied leftover; any other
// failure leaves the mail with its markers only. Neither reaches History.
TEST_F(ReplyThreading, AMoveFailureLeavesTheMailOrAMarkedLeftover) {
  struct {
    int32_t error;
    bool attached;
    const char* billing;
    const char* subject;
  } cases[] = {{err::kMoveFailed, true, "ALREADYPROCESSED", ""},
               {err::kAccessDenied, false, "12", "Re: [HD-12] Printer"}};
  Case("12");
  for (const auto& c : cases) {
    auto mail = Mail("Re: [HD-12] Printer");
    FailMoves(c.error);
    EXPECT_EQ(AttachReply(mail, "12"), c.attached) << c.error;
    host::SetStoreStepHookForTesting(nullptr);
    auto left = OnlyItem(Support());
    ASSERT_TRUE(left) << c.error;
    EXPECT_EQ(left->BillingInformation(), c.billing);
    EXPECT_EQ(left->Subject(), c.subject);
    EXPECT_EQ(Count(History()), 0);
    EXPECT_EQ(Reread("12")->HTMLBody(), "<html><body><p>Case 12</p></body></html>");
    left->Delete();
  }
}

TEST_F(ReplyThreading, WithoutTheHistoryFolderTheMailKeepsItsMarkersWhereItIs) {
  Case("12");
  History()->Delete();
  ForgetHelpdeskFolders();
  ASSERT_FALSE(GetHistoryFolder());
  auto mail = Mail("Re: [HD-12] Printer");
  EXPECT_TRUE(AttachReply(mail, "12"));
  EXPECT_EQ(Count(Support()), 1);
  EXPECT_EQ(mail->BillingInformation(), "12");
  EXPECT_TRUE(LogTexts("12").empty());
}

TEST_F(ReplyThreading, OnlyMailAndPostsAreAttached) {
  Case("12");
  auto task = Mail("Re: [HD-12] Printer", "<p>x</p>", "IPM.Task");
  EXPECT_FALSE(AttachReply(task, "12"));
  EXPECT_EQ(task->BillingInformation(), "");
  EXPECT_TRUE(AttachReply(Mail("Re: [HD-12] Printer", "<p>x</p>", "IPM.Post"), "12"));
}

TEST_F(ReplyThreading, CloseRequestsAreFoundInSubjectOrBody) {
  struct {
    const char* subject;
    const char* body;
    bool close;
  } cases[] = {{"Please CLOSE CASE", "", true},
               {"Printer", "Thanks, you can close ticket now.", true},
               {"Printer", "close\r\ncase", false},
               {"Closed case?", "", false},
               {"Printer", "Works again.", false}};
  for (const auto& c : cases) {
    auto mail = Mail(c.subject);
    mail->SetBody(c.body);
    EXPECT_EQ(IsCloseRequest(*mail), c.close) << c.subject << " / " << c.body;
  }
}

TEST_F(ReplyThreading, AReplyToAResolvedCaseReopensItUnlessTurnedOffAndEscalatesWhenSet) {
  Case("7", Resolved());
  Set("tpoDontReopenCaseAutomatically", "1");
  ReopenCaseOnReply("7");
  EXPECT_EQ(Reread("7")->Parent()->EntryID(), Resolved()->EntryID());

  Set("tpoDontReopenCaseAutomatically", "0");
  ReopenCaseOnReply("7");
  EXPECT_EQ(Reread("7")->Parent()->EntryID(), Ongoing()->EntryID());

  // It escalates the status when an escalated status is set.
  EscalateCaseOnReply("7");
  EXPECT_EQ(ReadItemText(*Reread("7"), "Case.Status"), "");
  Set("sdoCaseOptionStatusEscalatedCase", "Escalated");
  EscalateCaseOnReply("7");
  EXPECT_EQ(ReadItemText(*Reread("7"), "Case.Status"), "Escalated");
}

TEST_F(ReplyThreading, AReplyAskingToCloseClosesTheCaseAfterAttachingTheMail) {
  Case("12");
  auto mail = Mail("Re: [HD-12] Printer - please close case");
  EXPECT_TRUE(ProcessCallerReply(mail, "12"));
  EXPECT_EQ(Reread("12")->Parent()->EntryID(), Resolved()->EntryID());
  EXPECT_EQ(Count(History()), 1);
}

class TechnicianOfConversation : public testsupport::ThreadingTest {
 protected:
  // A mail in History with conversation index `index` handled by `technician`.
  void Filed(const std::string& index, const std::string& technician) {
    auto item = History()->Items()->Add("IPM.Note");
    item->SetConversationIndex(index);
    if (!technician.empty())
      WriteItemProperty(*item, "Technician", Variant(technician), VarType::String);
    item->Save();
  }
  std::string TechnicianFor(const std::string& index,
                            const std::string& message_class = "IPM.Note") {
    auto mail = Support()->Items()->Add(message_class);
    mail->SetConversationIndex(index);
    mail->Save();
    return GetTechnicianFromConversation(*mail);
  }
};

TEST_F(TechnicianOfConversation, IsFoundUpToThreeLevelsUpForMailOnly) {
  const std::string root = "01D3C4B5A6F1";  // any hex text will do
  Filed(root, "Bob Jones");
  Filed("", "Bob Jones");
  Filed("AB", "Bob Jones");
  struct {
    std::string index;
    const char* expected;
  } cases[] = {{root + "0A0B0C0D0E", "Bob Jones"},
               {root + "0A0B0C0D0E" + "1A1B1C1D1E", "Bob Jones"},
               {root + "0A0B0C0D0E" + "1A1B1C1D1E" + "2A2B2C2D2E", "Bob Jones"},
               {root + "0A0B0C0D0E" + "1A1B1C1D1E" + "2A2B2C2D2E" + "3A3B3C3D3E", ""},
               {"02FFFFFFFF" + std::string("0A0B0C0D0E"), ""},
               {root, ""},
               {"ABCDEF0123", ""},
               {"AB0123", ""},
               {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(TechnicianFor(c.index), c.expected) << c.index;
  EXPECT_EQ(TechnicianFor(root + "0A0B0C0D0E", "IPM.Post"), "");
}

}  // namespace
}  // namespace zanvoro
