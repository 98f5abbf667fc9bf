#include <gtest/gtest.h>

#include "host/mail/Dispatch.h"
#include "host/mail/MailImport.h"
#include "host/mail/SmtpTransport.h"
#include "host/mail/servers/LoopbackServers.h"
#include "host/store/Attachments.h"
#include "host/store/Recipients.h"
#include "host/store/StoreTestSupport.h"
#include "host/store/UserProperties.h"

namespace zanvoro::host {
namespace {

class SmtpSending : public testing::StoreTest {
 protected:
  void StartSink(bool refuse = false) {
    std::string problem;
    if (!sink_.Start(problem, refuse)) GTEST_SKIP() << problem;
    ns_ = OpenAnn();
    server_.host = "127.0.0.1";
    server_.port = sink_.Port();
    options_.user = testing::Ann();
    options_.message_id_domain = "desk.example.test";
  }

  void Submit() {
    auto mail = ns_->GetDefaultFolder(DefaultFolder::Drafts)->Items()->Add("IPM.Note");
    mail->SetSubject("Case 31: VPN – Zugang gesperrt");
    mail->SetBodyFormat(static_cast<int32_t>(BodyFormat::HTML));
    mail->SetHTMLBody(
        "<html><body><p>Hello <b>Bob</b>,</p><p>the VPN works again.</p>"
        "</body></html>");
    mail->Recipients().Add("Bob Jones <bob@example.test>");
    mail->Recipients().Add("carl@example.test")->SetType(RecipientType::CC);
    mail->Recipients().Add("dora@example.test")->SetType(RecipientType::BCC);
    mail->Attachments().AddBytes("log.bin", std::string("\x00\x01\xff binary", 10),
                                 "application/octet-stream");
    mail->Save();
    mail->Send();
  }

  testing::SmtpSink sink_;
  std::unique_ptr<NameSpace> ns_;
  MailServer server_;
  ExportOptions options_;
};

TEST_F(SmtpSending, TheServerGetsTheSameSubjectRecipientsBodiesAndAttachments) {
  StartSink();
  Submit();
  SmtpTransport transport(server_);

  DispatchReport report = Dispatch(*ns_, transport, options_);
  transport.Close();

  ASSERT_EQ(report.sent, 1);
  std::vector<std::string> mails = sink_.Mails();
  ASSERT_EQ(mails.size(), 1u);
  const std::string& text = mails[0];
  EXPECT_NE(text.find("X-MailFrom: ann@example.com"), std::string::npos) << text;
  for (const char* to : {"bob@example.test", "carl@example.test", "dora@example.test"})
    EXPECT_NE(text.find(to), std::string::npos) << to;

  auto back = ns_->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add("IPM.Note");
  ImportMessage(text, *back, Now());
  EXPECT_EQ(back->Subject(), "Case 31: VPN – Zugang gesperrt");
  EXPECT_NE(back->HTMLBody().find("the VPN works again."), std::string::npos);
  EXPECT_NE(back->Body().find("the VPN works again."), std::string::npos);
  std::vector<std::string> to, cc;
  for (int i = 1; i <= back->Recipients().Count(); ++i) {
    Recipient* r = back->Recipients().Item(i);
    (r->Type() == RecipientType::CC ? cc : to).push_back(r->Address());
  }
  EXPECT_EQ(to, std::vector<std::string>{"bob@example.test"});
  EXPECT_EQ(cc, std::vector<std::string>{"carl@example.test"});
  ASSERT_EQ(back->Attachments().Count(), 1);
  EXPECT_EQ(back->Attachments().Item(1)->FileName(), "log.bin");
  EXPECT_EQ(back->Attachments().Item(1)->Bytes(), std::string("\x00\x01\xff binary", 10));
}

TEST_F(SmtpSending, ARefusedRecipientIsAPermanentFailureReportedInTheInbox) {
  StartSink(true);
  Submit();
  SmtpTransport transport(server_);

  DispatchReport report = Dispatch(*ns_, transport, options_);

  EXPECT_EQ(report.failed, 1);
  auto outbox = ns_->GetDefaultFolder(DefaultFolder::Outbox);
  ASSERT_EQ(outbox->Items()->Count(), 1);
  std::string error =
      CStr(outbox->Items()->Item(1)->UserProperties().Find(kErrorProperty)->Value());
  EXPECT_NE(error.find("550"), std::string::npos) << error;
  EXPECT_EQ(ns_->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Count(), 1);
}

TEST_F(SmtpSending, AServerThatIsNotThereIsARetry) {
  ns_ = OpenAnn();
  Submit();
  server_.host = "127.0.0.1";
  server_.port = testing::FreePort();
  options_.user = testing::Ann();
  SmtpTransport transport(server_);
  EXPECT_EQ(Dispatch(*ns_, transport, options_).retrying, 1);
}

}  // namespace
}  // namespace zanvoro::host
