#include <ctime>

#include "MailTestSupport.h"

namespace zanvoro::host::testing {
namespace {

using MailImportTest = MailTest;

// The local time of a UTC moment, as a Date.
Date LocalFromUtc(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  std::time_t t = timegm(&tm);
  std::tm local{};
  localtime_r(&t, &local);
  return MakeDate(DateParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                            local.tm_hour, local.tm_min, local.tm_sec});
}

bool HasAttachment(Item& item, const std::string& name) {
  for (int32_t i = 1; i <= item.Attachments().Count(); ++i)
    if (item.Attachments().Item(i)->FileName() == name) return true;
  return false;
}

TEST_F(MailImportTest, CorpusMailsArriveWithTheirClassSubjectAndBody) {
  struct {
    const char* file;
    const char* message_class;
    const char* subject;
    const char* body_part;
    int32_t attachments;
    BodyFormat format;
  } cases[] = {
      {"nested.eml", "IPM.Note",
       "Rechnung f\xC3\xBCr M\xC3\xA4rz \xE2\x80\x93 Drucker defekt",
       "Gr\xC3\xBC\xC3\x9F"
       "e\r\nMaria",
       2, BodyFormat::HTML},
      {"latin1.eml", "IPM.Note",
       "Pr\xC3\xA9sentation d\xC3\xA9"
       "fectueuse",
       "vid\xC3\xA9oprojecteur de la salle \xC2\xAB R\xC3\xA9union \xC2\xBB", 0,
       BodyFormat::Plain},
      {"windows1252.eml", "IPM.Note", "Laptop charger",
       "costs \xE2\x82\xAC 45 \xE2\x80\x93 can you order one? It\xE2\x80\x99s the "
       "\xE2\x80\x9Cslim\xE2\x80\x9D model.",
       0, BodyFormat::Plain},
      {"reply-html.eml", "IPM.Note", "RE: Printer on floor 3",
       "We replaced the toner. Please try again.", 1, BodyFormat::HTML},
      {"out-of-office.eml", "IPM.Note.Rules.OofTemplate.Microsoft",
       "Automatic reply: [HW-17] Printer on floor 3", "out of the office until 16 March",
       0, BodyFormat::Plain},
      {"bounce.eml", "REPORT.IPM.Note.NDR", "Undelivered Mail Returned to Sender",
       "could not\r\nbe delivered", 2, BodyFormat::Plain},
      {"read-receipt.eml", "REPORT.IPM.Note.IPNRN", "Read: [HW-17] Printer on floor 3",
       "Your message was displayed", 1, BodyFormat::Plain},
      {"calendar-request.eml", "IPM.Schedule.Meeting.Request",
       "Printer replacement visit", "replace the printer on Friday", 1,
       BodyFormat::Plain},
      {"signed.eml", "IPM.Note.SMIME.MultipartSigned", "Certificate renewal",
       "renew the VPN certificate of laptop L-204", 1, BodyFormat::Plain},
      {"unknown-charset.eml", "IPM.Note", "Caf\xC3\xA9 terminal",
       "The caf\xC3\xA9 terminal shows \"d\xC3\xA9"
       "faut\".",
       0, BodyFormat::Plain},
      {"no-date.eml", "IPM.Note", "Scanner alert", "Paper jam in tray 2.", 0,
       BodyFormat::Plain},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::string raw = ReadCorpus(c.file);
    EXPECT_EQ(MessageClassFor(raw), c.message_class);
    ImportOutcome outcome;
    auto item = Import(raw, &outcome);
    EXPECT_FALSE(outcome.damaged) << outcome.problem;
    EXPECT_EQ(item->MessageClass(), c.message_class);
    EXPECT_EQ(item->Subject(), c.subject);
    EXPECT_NE(item->Body().find(c.body_part), std::string::npos) << item->Body();
    EXPECT_EQ(item->Attachments().Count(), c.attachments);
    EXPECT_EQ(item->BodyFormat(), static_cast<int32_t>(c.format));
    EXPECT_EQ(item->ReceivedTime(), DeliveryTime());
    EXPECT_FALSE(item->MessageID().empty());
  }
}

TEST_F(MailImportTest, NestedMailKeepsPeoplePicturesAndAttachments) {
  ImportOutcome outcome;
  auto item = Import(ReadCorpus("nested.eml"), &outcome);
  EXPECT_EQ(outcome.message_id, "<20260303091402.4711@kunde.example>");
  EXPECT_EQ(item->MessageID(), outcome.message_id);
  EXPECT_EQ(item->SenderName(), "Maria K\xC3\xB6ller");
  EXPECT_EQ(item->SenderEmailAddress(), "maria.keller@kunde.example");
  EXPECT_EQ(item->SenderEmailType(), "SMTP");
  EXPECT_EQ(item->SentOnBehalfOfName(), "");
  EXPECT_EQ(item->SentOn(), LocalFromUtc(2026, 3, 3, 8, 14, 2));
  EXPECT_EQ(item->Importance(), 2);

  std::vector<Recipients::Row> expected = {
      {RecipientType::To, "Support Team", "support@helpdesk.example", true},
      {RecipientType::To, "tom@helpdesk.example", "tom@helpdesk.example", true},
      {RecipientType::CC, "J\xC3\xBCrgen Beck", "juergen.beck@kunde.example", true},
  };
  EXPECT_EQ(item->Recipients().Rows(), expected);

  EXPECT_NE(item->HTMLBody().find("<img src=\"cid:logo.png@01DA8C65\""),
            std::string::npos);
  EXPECT_EQ(item->Body().rfind("Guten Morgen,\r\n\r\nder Drucker", 0), 0u)
      << item->Body();
  Attachment* logo = item->Attachments().Item(1);
  EXPECT_EQ(logo->FileName(), "logo.png");
  EXPECT_EQ(logo->ContentId(), "logo.png@01DA8C65");
  EXPECT_EQ(logo->MimeType(), "image/png");
  EXPECT_EQ(logo->Bytes().substr(0, 4), "\x89PNG");
  Attachment* invoice = item->Attachments().Item(2);
  EXPECT_EQ(invoice->FileName(), "Rechnung M\xC3\xA4rz 2026.pdf");
  EXPECT_EQ(invoice->ContentId(), "");
  EXPECT_EQ(invoice->MimeType(), "application/pdf");
  EXPECT_EQ(invoice->Bytes().substr(0, 8), "%PDF-1.4");
  EXPECT_EQ(invoice->Bytes().back(), '\n');
}

TEST_F(MailImportTest, ReplyKeepsItsPlaceInTheConversation) {
  auto item = Import(ReadCorpus("reply-html.eml"));
  EXPECT_EQ(item->InReplyTo(), "<20260303091402.4711@kunde.example>");
  EXPECT_EQ(item->References(),
            "<20260301120000.1@kunde.example> <20260303091402.4711@kunde.example>");
  EXPECT_EQ(item->ConversationTopic(), "Printer on floor 3");
  // The reply's index is its parent's with one 5-byte level added.
  auto parent = Import(ReadCorpus("nested.eml"));
  EXPECT_EQ(parent->ConversationIndex(), "01DA8C650DE7F57276737570706F7274746872656164");
  EXPECT_EQ(item->ConversationIndex(), parent->ConversationIndex() + "00000061F0");
  EXPECT_EQ(item->Attachments().Item(1)->FileName(), "Toner-Wechsel.txt");
  EXPECT_EQ(item->Attachments().Item(1)->Bytes(), "Toner HP 59A replaced 2026-03-03\r\n");
  // The quoted history stays in both bodies.
  EXPECT_NE(item->HTMLBody().find("border-top:solid #E1E1E1"), std::string::npos);
  EXPECT_NE(item->Body().find("The printer prints blank pages."), std::string::npos);
}

TEST_F(MailImportTest, MailWithoutThreadIndexOrDateStartsAConversationSentWhenItArrived) {
  auto first = Import(ReadCorpus("no-date.eml"));
  auto second = Import(ReadCorpus("no-date.eml"));
  const std::string index = first->ConversationIndex();
  ASSERT_EQ(index.size(), 44u);
  EXPECT_EQ(index.substr(0, 2), "01");
  EXPECT_EQ(index.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_NE(index, second->ConversationIndex());
  EXPECT_EQ(index.substr(0, 6), second->ConversationIndex().substr(0, 6));
  EXPECT_EQ(first->ConversationTopic(), "Scanner alert");
  // Without a readable date it was sent when it arrived.
  EXPECT_EQ(first->SentOn(), DeliveryTime());
  EXPECT_EQ(Import("From: a@b.example\r\nDate: yesterday\r\n\r\nhi\r\n")->SentOn(),
            DeliveryTime());
  EXPECT_EQ(first->SenderName(), "scanner@kunde.example");
  EXPECT_EQ(first->SenderEmailAddress(), "scanner@kunde.example");
}

TEST_F(MailImportTest, TruncatedMailKeepsWhatCanBeReadAndTheOriginal) {
  std::string raw = ReadCorpus("truncated.eml");
  ImportOutcome outcome;
  auto item = Import(raw, &outcome);
  EXPECT_TRUE(outcome.damaged);
  EXPECT_NE(outcome.problem.find("ends before its last part is complete"),
            std::string::npos);
  EXPECT_EQ(item->Subject(), "Scan of the error page");
  EXPECT_EQ(item->SenderEmailAddress(), "maria.keller@kunde.example");
  EXPECT_EQ(item->Body().rfind("This message could not be read in full", 0), 0u);
  EXPECT_NE(item->Body().find("The scan is attached."), std::string::npos);
  Attachment* original = item->Attachments().Item(item->Attachments().Count());
  EXPECT_EQ(original->FileName(), "original.eml");
  EXPECT_EQ(original->Bytes(), raw);
}

TEST_F(MailImportTest, InputThatIsNoMailStillBecomesAnItem) {
  const std::string inputs[] = {
      "",
      "just some words\r\nand no header at all\r\n",
      std::string("\x00\xff\xfe garbage \x80\x81", 14),
      "Content-Type: multipart/mixed\r\n\r\n--x\r\n",
      "Subject: =?x-none?Q?=ZZ?= \r\nFrom: <<<@@@>>>\r\nTo: ,,,\r\nDate: "
      "yesterday\r\n\r\nhi",
      std::string("Subject: n\0ul\r\n\r\nbody\r\n", 21),
  };
  for (const std::string& raw : inputs) {
    SCOPED_TRACE(raw);
    ImportOutcome outcome;
    std::shared_ptr<Item> item;
    ASSERT_NO_THROW(item = Import(raw, &outcome));
    EXPECT_FALSE(item->MessageClass().empty());
    EXPECT_EQ(item->Subject().find('\0'), std::string::npos);
    EXPECT_EQ(item->ReceivedTime(), DeliveryTime());
    if (outcome.damaged) {
      EXPECT_FALSE(outcome.problem.empty());
      EXPECT_TRUE(HasAttachment(*item, "original.eml"));
      EXPECT_NE(item->Body().find("original.eml"), std::string::npos);
    }
  }
}

TEST_F(MailImportTest, MessageClassFollowsWhatKindOfMailItIs) {
  struct {
    const char* headers;
    const char* message_class;
  } cases[] = {
      {"Subject: Printer\r\n", "IPM.Note"},
      {"Subject: Printer\r\nAuto-Submitted: auto-replied\r\n",
       "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: Printer\r\nAuto-Submitted: auto-generated\r\n", "IPM.Note"},
      {"Subject: Printer\r\nAuto-Submitted: no\r\n", "IPM.Note"},
      {"Subject: Printer\r\nX-Autoreply: yes\r\n",
       "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: Printer\r\nX-Autorespond: Printer\r\n",
       "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: Out of Office: Printer\r\n", "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: Automatic reply: Printer\r\n", "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: Auto: Printer\r\n", "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: Abwesenheitsnotiz: Drucker\r\n", "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: =?UTF-8?Q?R=C3=A9ponse_automatique_:_Imprimante?=\r\n",
       "IPM.Note.Rules.OofTemplate.Microsoft"},
      {"Subject: RE: Out of Office: Printer\r\n", "IPM.Note"},
      {"Subject: Automation of printer jobs\r\n", "IPM.Note"},
      {"Subject: Secret\r\nContent-Type: application/pkcs7-mime; "
       "smime-type=enveloped-data; "
       "name=smime.p7m\r\nContent-Transfer-Encoding: base64\r\n",
       "IPM.Note.SMIME"},
      {"Subject: Secret\r\nContent-Type: application/x-pkcs7-mime; name=smime.p7m\r\n",
       "IPM.Note.SMIME"},
      {"Subject: Visit\r\nContent-Type: text/calendar; method=REQUEST\r\n",
       "IPM.Schedule.Meeting.Request"},
      {"Subject: Visit\r\nContent-Type: text/calendar; method=CANCEL\r\n", "IPM.Note"},
      {"Subject: Report\r\nContent-Type: multipart/report; report-type=delivery-status; "
       "boundary=b\r\nAuto-Submitted: auto-replied\r\n",
       "REPORT.IPM.Note.NDR"},
  };
  for (const auto& c : cases) {
    std::string raw = std::string("From: a@b.example\r\n") + c.headers + "\r\nbody\r\n";
    EXPECT_EQ(MessageClassFor(raw), c.message_class) << c.headers;
  }
}

TEST_F(MailImportTest, ImportanceComesFromImportanceOrPriority) {
  struct {
    const char* headers;
    int32_t importance;
  } cases[] = {
      {"", 1},
      {"Importance: high\r\n", 2},
      {"Importance: Low\r\n", 0},
      {"Importance: normal\r\nX-Priority: 1\r\n", 1},
      {"X-Priority: 1 (Highest)\r\n", 2},
      {"X-Priority: 2\r\n", 2},
      {"X-Priority: 3 (Normal)\r\n", 1},
      {"X-Priority: 4\r\n", 0},
      {"X-Priority: 5 (Lowest)\r\n", 0},
      {"X-Priority: urgent\r\n", 1},
  };
  for (const auto& c : cases) {
    auto item = NewMail();
    ImportMessage(
        std::string("From: a@b.example\r\nSubject: x\r\n") + c.headers + "\r\nhi\r\n",
        *item, DeliveryTime());
    EXPECT_EQ(item->Importance(), c.importance) << c.headers;
  }
}

TEST_F(MailImportTest,
       HtmlOnlyMailGetsAPlainTextBodyTooAndMailSentOnBehalfNamesBothMailboxes) {
  auto item = Import(
      "From: a@b.example\r\nSubject: x\r\nContent-Type: text/html; charset=iso-8859-1\r\n"
      "\r\n<html><body><p>Gr\xFC\xDF"
      "e</p><p>Zeile&nbsp;zwei</p></body></html>\r\n");
  EXPECT_EQ(item->BodyFormat(), static_cast<int32_t>(BodyFormat::HTML));
  EXPECT_NE(item->HTMLBody().find("Gr\xC3\xBC\xC3\x9F"
                                  "e"),
            std::string::npos);
  EXPECT_EQ(item->Body(),
            "Gr\xC3\xBC\xC3\x9F"
            "e\r\n\r\nZeile\xC2\xA0zwei");

  auto on_behalf = Import(
      "From: Helpdesk <helpdesk@example.com>\r\nSender: Ann Smith <ann@example.com>\r\n"
      "To: x@example.org\r\nSubject: x\r\n\r\nhi\r\n");
  EXPECT_EQ(on_behalf->SentOnBehalfOfName(), "Helpdesk");
  EXPECT_EQ(on_behalf->SenderName(), "Ann Smith");
  EXPECT_EQ(on_behalf->SenderEmailAddress(), "ann@example.com");
}

}  // namespace
}  // namespace zanvoro::host::testing
