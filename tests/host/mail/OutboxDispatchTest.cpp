#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host/mail/DeliveryTestSupport.h"
#include "host/mail/Dispatch.h"
#include "host/mail/MailImport.h"
#include "host/mail/OutboxTransport.h"
#include "host/mail/SendmailTransport.h"
#include "host/os/AtomicFile.h"
#include "host/store/Attachments.h"
#include "host/store/Recipients.h"
#include "host/store/StoreTestSupport.h"
#include "host/store/UserProperties.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

namespace fs = std::filesystem;

class OutboxDispatch : public testing::StoreTest {
 protected:
  void SetUp() override {
    ns_ = OpenAnn();
    options_.user = testing::Ann();
    options_.message_id_domain = "desk.example.test";
    options_.now = MakeDate(DateParts{2026, 3, 3, 12, 0, 0});
  }

  std::shared_ptr<MAPIFolder> Folder(DefaultFolder which) {
    return ns_->GetDefaultFolder(which);
  }

  // A mail to Bob with a copy to Carl and a blind copy to Dora, submitted.
  std::shared_ptr<Item> Submit(const std::string& subject) {
    auto mail = Folder(DefaultFolder::Drafts)->Items()->Add("IPM.Note");
    mail->SetSubject(subject);
    mail->SetBody("Your case is open.\r\nWe will call you.");
    mail->Recipients().Add("Bob Jones <bob@example.test>");
    mail->Recipients().Add("carl@example.test")->SetType(RecipientType::CC);
    mail->Recipients().Add("dora@example.test")->SetType(RecipientType::BCC);
    mail->Attachments().AddBytes("notes.txt", "line one\nline two\n", "text/plain");
    mail->Save();
    mail->Send();
    return mail;
  }

  // A sendmail stand-in: keeps its arguments and input, says `say` on its
  // standard error and ends with `status`.
  fs::path Program(int status, const std::string& say = "") {
    fs::path script = dir_.File("sendmail-" + std::to_string(status));
    WriteFileAtomically(script,
                        "#!/bin/sh\n"
                        "echo \"$@\" > \"" +
                            dir_.File("args") +
                            "\"\n"
                            "cat > \"" +
                            dir_.File("input") +
                            "\"\n"
                            "echo '" +
                            say +
                            "' >&2\n"
                            "exit " +
                            std::to_string(status) + "\n");
    chmod(script.c_str(), 0755);
    return script;
  }

  std::string Property(Item& item, const char* name) {
    UserProperty* p = item.UserProperties().Find(name);
    return p ? CStr(p->Value()) : std::string("(none)");
  }

  std::unique_ptr<NameSpace> ns_;
  ExportOptions options_;
};

TEST_F(OutboxDispatch, ASentMailLeavesTheOutboxForSentItemsAndParsesBackTheSame) {
  auto mail = Submit("Case 17: printer");
  EXPECT_EQ(Folder(DefaultFolder::Outbox)->Items()->Count(), 1);
  OutboxTransport transport(dir_.File("outbox"));

  DispatchReport report = Dispatch(*ns_, transport, options_);

  EXPECT_EQ(report.sent, 1);
  EXPECT_EQ(Folder(DefaultFolder::Outbox)->Items()->Count(), 0);
  ASSERT_EQ(Folder(DefaultFolder::SentMail)->Items()->Count(), 1);
  auto sent = Folder(DefaultFolder::SentMail)->Items()->Item(1);
  EXPECT_EQ(sent->SentOn(), options_.now);
  EXPECT_FALSE(sent->MessageID().empty());
  EXPECT_EQ(sent->UserProperties().Find(Item::kSubmittedProperty), nullptr);
  EXPECT_EQ(sent->UserProperties().Find(kAttemptsProperty), nullptr);

  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir_.File("outbox") + "/new"))
    files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  std::string text = *ReadFileIfExists(files[0]);
  EXPECT_TRUE(StartsWithText(text, "X-Envelope-From: <ann@example.com>\r\n"));
  for (const char* to : {"bob@example.test", "carl@example.test", "dora@example.test"})
    EXPECT_NE(text.find(std::string("X-Envelope-To: <") + to + ">"), std::string::npos);

  auto back = Folder(DefaultFolder::Inbox)->Items()->Add("IPM.Note");
  ImportMessage(text, *back, options_.now);
  EXPECT_EQ(back->Subject(), "Case 17: printer");
  EXPECT_NE(back->Body().find("We will call you."), std::string::npos);
  ASSERT_EQ(back->Attachments().Count(), 1);
  EXPECT_EQ(back->Attachments().Item(1)->FileName(), "notes.txt");
  EXPECT_EQ(back->Attachments().Item(1)->Bytes(), "line one\nline two\n");
  EXPECT_EQ(back->MessageID(), sent->MessageID());
}

TEST_F(OutboxDispatch, TheSentCopyGoesToTheFolderTheMailChose) {
  auto copies = Folder(DefaultFolder::Inbox)->Folders().Add("ManagerCopy");
  auto mail = Folder(DefaultFolder::Drafts)->Items()->Add("IPM.Note");
  mail->SetSubject("Case 18");
  mail->Recipients().Add("bob@example.test");
  mail->SetSaveSentMessageFolder(*copies);
  mail->Save();
  mail->Send();
  EXPECT_EQ(mail->SaveSentMessageFolderID(), copies->EntryID());
  OutboxTransport transport(dir_.File("outbox"));

  Dispatch(*ns_, transport, options_);

  EXPECT_EQ(copies->Items()->Count(), 1);
  EXPECT_EQ(Folder(DefaultFolder::SentMail)->Items()->Count(), 0);
}

TEST_F(OutboxDispatch,
       ATemporaryFailureStaysInTheOutboxAndIsRetriedWithBackOffForTwoDays) {
  auto mail = Submit("Case 19");
  SendmailTransport busy(Program(75, "queue is full"));

  DispatchReport first = Dispatch(*ns_, busy, options_);
  EXPECT_EQ(first.retrying, 1);
  auto waiting = Folder(DefaultFolder::Outbox)->Items()->Item(1);
  EXPECT_NE(Property(*waiting, kErrorProperty).find("queue is full"), std::string::npos);
  EXPECT_EQ(Property(*waiting, kAttemptsProperty), "1");

  // Not due again within the first minute.
  EXPECT_EQ(Dispatch(*ns_, busy, options_).retrying, 0);

  options_.now = DateAdd(DateInterval::Minute, 2, options_.now);
  SendmailTransport working(Program(0));
  EXPECT_EQ(Dispatch(*ns_, working, options_).sent, 1);
  EXPECT_EQ(Folder(DefaultFolder::Outbox)->Items()->Count(), 0);
  EXPECT_EQ(
      Replace(*ReadFileIfExists(dir_.File("args")), "\n", ""),
      "-i -f ann@example.com -- bob@example.test carl@example.test dora@example.test");
  std::string input = *ReadFileIfExists(dir_.File("input"));
  EXPECT_NE(input.find("Subject: Case 19"), std::string::npos);
  EXPECT_EQ(input.find("dora@example.test"), std::string::npos)
      << "blind copies stay hidden";

  // A mail that cannot go out for two days fails.
  Submit("Case 21");
  options_.now = DateAdd(DateInterval::Day, 3, Now());
  EXPECT_EQ(Dispatch(*ns_, busy, options_).failed, 1);
}

TEST_F(OutboxDispatch, APermanentFailureIsReportedInTheInboxAndTheMailStaysMarked) {
  Submit("Case 20");
  SendmailTransport refusing(Program(67, "bob@example.test: user unknown"));

  DispatchReport report = Dispatch(*ns_, refusing, options_);

  EXPECT_EQ(report.failed, 1);
  ASSERT_EQ(Folder(DefaultFolder::Outbox)->Items()->Count(), 1);
  auto stuck = Folder(DefaultFolder::Outbox)->Items()->Item(1);
  EXPECT_EQ(Property(*stuck, kFailedProperty), "True");
  EXPECT_NE(Property(*stuck, kErrorProperty).find("user unknown"), std::string::npos);
  ASSERT_EQ(Folder(DefaultFolder::Inbox)->Items()->Count(), 1);
  auto ndr = Folder(DefaultFolder::Inbox)->Items()->Item(1);
  EXPECT_EQ(ndr->MessageClass(), "REPORT.IPM.Note.NDR");
  EXPECT_EQ(ndr->Subject(), "Undeliverable: Case 20");
  EXPECT_NE(ndr->Body().find("user unknown"), std::string::npos);

  EXPECT_EQ(Dispatch(*ns_, refusing, options_).failed, 0) << "reported once";
}

TEST_F(OutboxDispatch, AMailWhoseRecipientHasNoAddressFailsWithoutBlockingTheRest) {
  auto bad = Folder(DefaultFolder::Drafts)->Items()->Add("IPM.Note");
  bad->SetSubject("Nobody");
  bad->Recipients().Add("Someone Unknown");
  bad->Save();
  bad->Send();
  Submit("Case 22");
  OutboxTransport transport(dir_.File("outbox"));

  DispatchReport report = Dispatch(*ns_, transport, options_);
  EXPECT_EQ(report.failed, 1);
  EXPECT_EQ(report.sent, 1);
}

}  // namespace
}  // namespace zanvoro::host
