#include "MailTestSupport.h"
#include "host/mail/MailExport.h"

namespace zanvoro::host::testing {
namespace {

using MailExportTest = MailTest;

constexpr const char* kPicture = "\x89PNG\r\n\x1a\n-picture-bytes-\x00\x01\xff";

ExportOptions AnnSends() {
  ExportOptions options;
  options.user = Ann();
  options.message_id_domain = "helpdesk.example";
  options.now = MakeDate(DateParts{2026, 3, 3, 14, 5, 9});
  return options;
}

// The value of a header field of the message, unfolded; "" when absent.
std::string HeaderOf(const std::string& mail, const std::string& name) {
  std::string head = mail.substr(0, mail.find("\r\n\r\n") + 2);
  size_t pos = ("\r\n" + head).find("\r\n" + name + ": ");
  if (pos == std::string::npos) return {};
  std::string value;
  for (size_t i = pos + name.size() + 2; i < head.size(); ++i) {
    if (head.compare(i, 2, "\r\n") == 0) {
      if (i + 2 < head.size() && (head[i + 2] == ' ' || head[i + 2] == '\t')) {
        ++i;
        continue;
      }
      break;
    }
    value += head[i];
  }
  return value;
}

void AddRecipient(Item& item, const std::string& name, const std::string& address,
                  RecipientType type) {
  item.Recipients().Append(Recipients::Row{type, name, address, true});
}

// An HTML mail with a picture in its body and a document attached.
std::shared_ptr<Item> RichMail(std::shared_ptr<Item> item) {
  item->SetSubject(
      "Drucker \xC3\xBC"
      "berpr\xC3\xBC"
      "ft \xE2\x80\x93 [HW-17]");
  AddRecipient(*item, "Maria K\xC3\xB6ller", "maria.keller@kunde.example",
               RecipientType::To);
  AddRecipient(*item, "tom@helpdesk.example", "tom@helpdesk.example", RecipientType::To);
  AddRecipient(*item, "Lena Fischer", "lena@kunde.example", RecipientType::CC);
  AddRecipient(*item, "Audit", "audit@helpdesk.example", RecipientType::BCC);
  item->SetHTMLBody(
      "<html><body><p>Hallo Maria,</p><p>der Drucker ist gepr\xC3\xBC"
      "ft.</p>"
      "<p><img src=\"cid:logo@helpdesk.example\"></p></body></html>");
  item->SetBodyFormat(static_cast<int32_t>(BodyFormat::HTML));
  Attachment* logo =
      item->Attachments().AddBytes("logo.png", std::string(kPicture, 27), "image/png");
  logo->SetContentId("logo@helpdesk.example");
  item->Attachments().AddBytes(
      "Pr\xC3\xBC"
      "fbericht M\xC3\xA4rz.pdf",
      "%PDF-1.4\nbinary\r\n\x00\xff end\n");
  return item;
}

TEST_F(MailExportTest, ExportedMailImportsBackAsTheSameMail) {
  auto item = RichMail(NewMail());
  ExportedMail mail = ExportMessage(*item, AnnSends());
  auto back = Import(mail.rfc5322);

  EXPECT_EQ(back->Subject(), item->Subject());
  EXPECT_EQ(back->SenderName(), "Ann Smith");
  EXPECT_EQ(back->SenderEmailAddress(), "ann@example.com");
  std::vector<Recipients::Row> expected = {
      {RecipientType::To, "Maria K\xC3\xB6ller", "maria.keller@kunde.example", true},
      {RecipientType::To, "tom@helpdesk.example", "tom@helpdesk.example", true},
      {RecipientType::CC, "Lena Fischer", "lena@kunde.example", true},
  };
  EXPECT_EQ(back->Recipients().Rows(), expected);
  EXPECT_EQ(back->BodyFormat(), static_cast<int32_t>(BodyFormat::HTML));
  EXPECT_EQ(back->HTMLBody(), item->HTMLBody());
  EXPECT_EQ(back->Body(),
            "Hallo Maria,\r\n\r\nder Drucker ist gepr\xC3\xBC"
            "ft.");
  EXPECT_EQ(back->MessageID(), mail.message_id);
  EXPECT_EQ(back->SentOn(), AnnSends().now);

  ASSERT_EQ(back->Attachments().Count(), 2);
  for (int32_t i = 1; i <= 2; ++i) {
    Attachment* sent = item->Attachments().Item(i);
    Attachment* got = back->Attachments().Item(i);
    EXPECT_EQ(got->FileName(), sent->FileName());
    EXPECT_EQ(got->Bytes(), sent->Bytes());
    EXPECT_EQ(got->ContentId(), sent->ContentId());
  }
  EXPECT_EQ(back->Attachments().Item(1)->MimeType(), "image/png");
  EXPECT_EQ(back->Attachments().Item(2)->MimeType(), "application/pdf");
}

TEST_F(MailExportTest, PlainMailRoundTripsExactly) {
  auto item = NewMail();
  item->SetSubject("Printer");
  item->Recipients().Add("maria.keller@kunde.example");
  item->SetBody("Line one\r\nLine two \xC3\xBCnd \xE2\x82\xAC 5 =\r\n\r\n-- \r\nTom");
  item->SetHTMLBody("<p>ignored</p>");
  item->SetBodyFormat(static_cast<int32_t>(BodyFormat::Plain));
  ExportedMail mail = ExportMessage(*item, AnnSends());
  EXPECT_EQ(mail.rfc5322.find("text/html"), std::string::npos);
  auto back = Import(mail.rfc5322);
  EXPECT_EQ(back->Body(), item->Body());
  EXPECT_EQ(back->BodyFormat(), static_cast<int32_t>(BodyFormat::Plain));
  EXPECT_EQ(back->Recipients().Rows().at(0).address, "maria.keller@kunde.example");
}

TEST_F(MailExportTest, MailIsSevenBitWithBlindCopiesOnlyInTheEnvelope) {
  ExportedMail mail = ExportMessage(*RichMail(NewMail()), AnnSends());
  for (char c : mail.rfc5322) ASSERT_LT(static_cast<unsigned char>(c), 0x80u);
  EXPECT_NE(HeaderOf(mail.rfc5322, "Subject").find("=?"), std::string::npos);
  EXPECT_NE(mail.rfc5322.find("multipart/related"), std::string::npos);
  EXPECT_NE(mail.rfc5322.find("multipart/alternative"), std::string::npos);
  EXPECT_EQ(HeaderOf(mail.rfc5322, "MIME-Version"), "1.0");
  EXPECT_EQ(mail.rfc5322.find("audit@helpdesk.example"), std::string::npos);
  std::vector<std::string> expected = {"maria.keller@kunde.example",
                                       "tom@helpdesk.example", "lena@kunde.example",
                                       "audit@helpdesk.example"};
  EXPECT_EQ(mail.envelope_recipients, expected);
  EXPECT_EQ(mail.envelope_from, "ann@example.com");
}

TEST_F(MailExportTest, MailNeedsSomeoneToReachAndAnAddressNeedsNoAddressBook) {
  auto item = NewMail();
  item->SetSubject("Nobody");
  ExpectError(err::kCallFailed, [&] { ExportMessage(*item, AnnSends()); });
  item->Recipients().Add("Someone Unknown");
  ExpectError(err::kCallFailed, [&] { ExportMessage(*item, AnnSends()); });
  auto addressed = NewMail();
  addressed->Recipients().Add("Maria Keller <maria.keller@kunde.example>");
  ExportedMail mail = ExportMessage(*addressed, AnnSends());
  EXPECT_EQ(mail.envelope_recipients,
            std::vector<std::string>{"maria.keller@kunde.example"});
  EXPECT_NE(HeaderOf(mail.rfc5322, "To").find("Maria Keller"), std::string::npos);
}

TEST_F(MailExportTest, MailSentOnBehalfComesFromTheMailboxAndNamesTheSender) {
  auto item = NewMail();
  item->Recipients().Add("maria.keller@kunde.example");
  item->SetSentOnBehalfOfName("Helpdesk <helpdesk@example.com>");
  ExportedMail mail = ExportMessage(*item, AnnSends());
  EXPECT_EQ(HeaderOf(mail.rfc5322, "From"), "\"Helpdesk\" <helpdesk@example.com>");
  EXPECT_EQ(HeaderOf(mail.rfc5322, "Sender"), "\"Ann Smith\" <ann@example.com>");
  EXPECT_EQ(mail.envelope_from, "ann@example.com");
  auto back = Import(mail.rfc5322);
  EXPECT_EQ(back->SentOnBehalfOfName(), "Helpdesk");
  EXPECT_EQ(back->SenderEmailAddress(), "ann@example.com");

  item->SetSentOnBehalfOfName("Helpdesk");
  ExpectError(err::kCallFailed, [&] { ExportMessage(*item, AnnSends()); });
}

TEST_F(MailExportTest, GeneratedMailAsksNotToBeAnsweredAutomatically) {
  auto item = NewMail();
  item->Recipients().Add("maria.keller@kunde.example");
  ExportOptions options = AnnSends();
  ExportedMail person = ExportMessage(*item, options);
  EXPECT_EQ(HeaderOf(person.rfc5322, "Auto-Submitted"), "");
  EXPECT_EQ(HeaderOf(person.rfc5322, "X-Auto-Response-Suppress"), "");
  options.origin = MailOrigin::Generated;
  ExportedMail generated = ExportMessage(*item, options);
  EXPECT_EQ(HeaderOf(generated.rfc5322, "Auto-Submitted"), "auto-generated");
  EXPECT_EQ(HeaderOf(generated.rfc5322, "X-Auto-Response-Suppress"), "All");
  // Our own notifications are not auto-replies.
  EXPECT_EQ(MessageClassFor(generated.rfc5322), "IPM.Note");
}

TEST_F(MailExportTest, HeadersCarryIdentityThreadAndImportance) {
  auto item = NewMail();
  item->SetSubject("RE: Printer");
  item->Recipients().Add("maria.keller@kunde.example");
  item->SetInReplyTo("<20260303091402.4711@kunde.example>");
  item->SetReferences("<a@kunde.example> <20260303091402.4711@kunde.example>");
  item->SetConversationIndex("01DA8C650DE7F57276737570706F727474687265616400000061F0");
  item->SetConversationTopic("Printer");
  item->SetImportance(2);
  ExportedMail mail = ExportMessage(*item, AnnSends());
  EXPECT_EQ(mail.message_id.front(), '<');
  EXPECT_NE(mail.message_id.find("@helpdesk.example>"), std::string::npos);
  EXPECT_EQ(HeaderOf(mail.rfc5322, "Message-ID"), mail.message_id);
  EXPECT_EQ(HeaderOf(mail.rfc5322, "In-Reply-To"), "<20260303091402.4711@kunde.example>");
  EXPECT_EQ(HeaderOf(mail.rfc5322, "Thread-Index"),
            "AdqMZQ3n9XJ2c3VwcG9ydHRocmVhZAAAAGHw");
  EXPECT_EQ(HeaderOf(mail.rfc5322, "Importance"), "high");
  EXPECT_EQ(HeaderOf(mail.rfc5322, "X-Priority").substr(0, 1), "1");
  EXPECT_NE(HeaderOf(mail.rfc5322, "Date").find("3 Mar 2026 14:05:09"),
            std::string::npos);

  auto back = Import(mail.rfc5322);
  EXPECT_EQ(back->InReplyTo(), item->InReplyTo());
  EXPECT_EQ(back->References(), item->References());
  EXPECT_EQ(back->ConversationIndex(), item->ConversationIndex());
  EXPECT_EQ(back->ConversationTopic(), "Printer");
  EXPECT_EQ(back->Importance(), 2);

  EXPECT_NE(ExportMessage(*item, AnnSends()).message_id, mail.message_id);
}

}  // namespace
}  // namespace zanvoro::host::testing
