#include <gtest/gtest.h>

#include "host/store/Attachments.h"
#include "intake/ReplyThreading.h"
#include "intake/ReplyThreadingTestSupport.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

// A reply as the mail client writes it: the answer, then the quoted
// history under a frame with a top border.
constexpr const char* kClientReply =
    R"html(<html xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office" xmlns="http://www.w3.org/TR/REC-html40">
<head>
<meta http-equiv=Content-Type content="text/html; charset=us-ascii">
<meta name=Generator content="Microsoft Word 15 (filtered medium)">
<style><!--
p.MsoNormal, li.MsoNormal, div.MsoNormal
	{margin:0cm;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;}
--></style><!--[if gte mso 9]><xml>
<o:shapedefaults v:ext="edit" spidmax="1026" />
</xml><![endif]-->
</head>
<body lang=EN-GB link="#0563C1" vlink="#954F72">
<div class=WordSection1>
<p class=MsoNormal>Hi,<o:p></o:p></p>
<p class=MsoNormal>The printer still jams on tray 2 &amp; 3.<o:p></o:p></p>
<p class=MsoNormal><o:p>&nbsp;</o:p></p>
<div>
<div style='border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm'>
<p class=MsoNormal><b><span lang=EN-US style='font-size:10.0pt;font-family:"Tahoma",sans-serif'>From:</span></b><span lang=EN-US style='font-size:10.0pt;font-family:"Tahoma",sans-serif'> Helpdesk [mailto:support@helpdesk.example] <br><b>Sent:</b> 07 December 2026 08:00<br><b>To:</b> Alice Martin<br><b>Subject:</b> [HD-12] Printer jams<o:p></o:p></span></p>
</div>
</div>
<p class=MsoNormal><o:p>&nbsp;</o:p></p>
<p class=MsoNormal>We have received your request.<o:p></o:p></p>
</div>
</body>
</html>
)html";

bool Has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

TEST(QuotedHistory, IsCutFromTheMailClientsFrameOn) {
  std::string stripped = StripQuotedHistoryHTML(kClientReply);
  EXPECT_EQ(stripped.rfind("<html>\n<head>", 0), 0u) << stripped;
  EXPECT_TRUE(Has(stripped,
                  "<p class=\"MsoNormal\">The printer still jams on tray 2 &amp; "
                  "3.<o:p></o:p></p>"));
  EXPECT_TRUE(Has(stripped, "<o:p>&nbsp;</o:p>"));
  EXPECT_TRUE(Has(stripped, "font-family:\"Calibri\",sans-serif;"));
  EXPECT_FALSE(Has(stripped, "From:"));
  EXPECT_FALSE(Has(stripped, "We have received"));
  EXPECT_TRUE(Has(stripped, "<div class=\"WordSection1\">"));
  EXPECT_EQ(stripped.substr(stripped.size() - 26), "</div></div></body></html>");
}

TEST(QuotedHistory, OnlyTheFrameWithTheRightBorderAndPaddingCounts) {
  struct {
    const char* style;
    bool cut;
  } cases[] = {
      {"border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm", true},
      {"border:none;border-top:solid #b5c4df 1.0pt;padding:3.0pt 0in 0in 0in", true},
      {"border-top-color:#B5C4DF;border-top-style:solid;padding-top:3pt", true},
      {"border-top: 1pt SOLID rgb(181,196,223); padding-top: 3.0pt", true},
      {"border:none;border-top:solid #E1E1E1 1.0pt;padding:3.0pt 0cm 0cm 0cm", false},
      {"border:none;border-top:dotted #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm", false},
      {"border:none;border-top:solid #B5C4DF 1.0pt;padding:4.0pt 0cm 0cm 0cm", false},
      {"border-top:solid #B5C4DF 1.0pt;border:none;padding:3.0pt", false},
      {"", false}};
  for (const auto& c : cases) {
    std::string html = std::string("<p>Answer</p><div style=\"") + c.style +
                       "\"><p>From: x</p></div><p>Quoted</p>";
    std::string stripped = StripQuotedHistoryHTML(html);
    EXPECT_EQ(Has(stripped, "Quoted"), !c.cut) << c.style;
    EXPECT_TRUE(Has(stripped, "Answer")) << c.style;
  }
}

TEST(QuotedHistory, AnswersWithoutHistoryAndMalformedHtmlComeThrough) {
  EXPECT_EQ(StripQuotedHistoryHTML(""), "");
  EXPECT_EQ(StripQuotedHistoryHTML("  \r\n"), "");
  EXPECT_EQ(StripQuotedHistoryHTML("<p>Thanks</p>"),
            "<html><body><p>Thanks</p></body></html>");
  EXPECT_EQ(StripQuotedHistoryHTML("Thanks <b>a lot"),
            "<html><body><p>Thanks <b>a lot</b></p></body></html>");
  for (const char* broken :
       {"<div style='border-top:solid #B5C4DF", "<div style=\"border-top:solid #B5C4DF;",
        "</div></div><div", "<<div>>",
        "<div style='padding:3pt;border-top:solid #b5c4df'>", "\xFF\xFE<\x00p>"}) {
    std::string stripped = StripQuotedHistoryHTML(broken);
    EXPECT_EQ(stripped.rfind("<html>", 0), 0u) << broken;
  }
}

TEST(QuotedHistory, PlainRepliesLoseWhatFollowsTheFirstFrom) {
  struct {
    const char* text;
    const char* kept;
  } cases[] = {
      {"Thanks!\r\n\r\nFrom: Helpdesk\r\nSent: today", "Thanks!\r\n\r\n"},
      {"Thanks!\r\n_____\r\nFrom: Helpdesk", "Thanks!\r\n\r\n"},
      {"Thanks!\r\n-----Original Message-----\r\nFrom: Helpdesk", "Thanks!\r\n\r\n"},
      {"Thanks!\r\n__________ done", "Thanks!\r\n done"},
      {"No history here", "No history here"},
      {"From: the start", ""},
      {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(StripQuotedHistoryText(c.text), c.kept) << c.text;
}

TEST(CaseBodyInsertion, GoesAfterTheBodyTagOrBeforeItsEnd) {
  struct {
    const char* html;
    const char* after_body;
    const char* before_end;
  } cases[] = {{"<html><body class=x><p>Case</p></body></html>",
                "<html><body class=x>\r\nNEW\r\n<p>Case</p></body></html>",
                "<html><body class=x><p>Case</p>\r\nNEW\r\n</body></html>"},
               {"<HTML><Body><p>Case</p></BODY></HTML>",
                "<HTML><Body>\r\nNEW\r\n<p>Case</p></BODY></HTML>",
                "<HTML><Body><p>Case</p>\r\nNEW\r\n</BODY></HTML>"},
               {"<p>Case</p>", "NEW\r\n<p>Case</p>", "<p>Case</p>\r\nNEW"},
               {"<body>", "NEW\r\n<body>", "<body>\r\nNEW"},
               {"<body", "NEW\r\n<body", "<body\r\nNEW"},
               {"", "NEW\r\n", "\r\nNEW"},
               // More than 20 characters after the end of the body: appended.
               {"<body>x</body></html>\r\n<!-- trailer -->",
                "<body>\r\nNEW\r\nx</body></html>\r\n<!-- trailer -->",
                "<body>x</body></html>\r\n<!-- trailer -->\r\nNEW"},
               {"<body>a</body><body>b</body>", "<body>\r\nNEW\r\na</body><body>b</body>",
                "<body>a</body><body>b\r\nNEW\r\n</body>"}};
  for (const auto& c : cases) {
    EXPECT_EQ(InsertAfterBodyTag("NEW", c.html), c.after_body) << c.html;
    EXPECT_EQ(InsertBeforeBodyEnd("NEW", c.html), c.before_end) << c.html;
  }
}

TEST(ConversationHeaderText, NamesWhoWroteToWhom) {
  struct {
    ConversationKind kind;
    const char* expected;
  } cases[] = {
      {ConversationKind::ReplyReceived, "Reply received from <b>Alice</b>"},
      {ConversationKind::ReplySent, "Reply sent to <b>Bob;Carl</b> by '<b>Alice</b>'"},
      {ConversationKind::ProblemDescription,
       "Problem description received from <b>Alice</b>"},
      {ConversationKind::Notification,
       "Case Closed Notification Sent to <b>Bob;Carl</b>"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ConversationHeaderText(c.kind, "Alice", "Bob;Carl",
                                     "Case Closed Notification Sent to"),
              c.expected);
  }
}

class Conversation : public testsupport::ThreadingTest {
 protected:
  Conversation() { Case("12"); }

  std::string CaseBody() { return Reread("12")->HTMLBody(); }
  bool AttachReply(const std::shared_ptr<host::Item>& mail) {
    return AddEmailToCase(mail, "12", MailKind::Reply, ConversationKind::ReplyReceived,
                          AttachedBy::Monitoring);
  }
};

TEST_F(Conversation, HeaderIsAFramedLineWithTheDateAndALinkToTheMailUnlessSwitchedOff) {
  std::string linked = ConversationHeader(ConversationKind::ReplyReceived,
                                          testsupport::kArrived, "Reply", "00CD");
  EXPECT_TRUE(linked.starts_with("<DIV align=left>\r\n<TABLE")) << linked;
  EXPECT_TRUE(Has(linked, "<b>" + GeneralDateText(testsupport::kArrived) +
                              "</b> - <a href=\"outlook:00CD\">Reply</a>"));
  EXPECT_TRUE(Has(ConversationHeader(ConversationKind::ReplyReceived,
                                     testsupport::kArrived, "Reply", ""),
                  "</b> - Reply</font>"));
  Set("sdoConsolidatedConversationAddLink", "0");
  EXPECT_TRUE(Has(ConversationHeader(ConversationKind::ReplyReceived,
                                     testsupport::kArrived, "Reply", "00CD"),
                  "</b> - Reply</font>"));
}

TEST_F(Conversation, SenderAndRecipientTextsDropSingleQuotes) {
  auto mail = Mail("Printer");
  mail->SetSenderName("Pat O'Brien");
  EXPECT_EQ(SenderText(*mail), "Pat OBrien");
  mail->SetSenderName("");
  EXPECT_EQ(SenderText(*mail), "alice@example.com");
  mail->Recipients().Add("'Bob Jones'");
  EXPECT_EQ(RecipientsText(*mail), "support@helpdesk.example;Bob Jones");
}

TEST_F(Conversation, EntriesReadNewestFirstOrOldestFirstBySetting) {
  for (const char* ordering : {"0", "1"}) {
    auto case_item = Reread("12");
    case_item->SetHTMLBody("<html><body><p>Case 12</p></body></html>");
    case_item->Save();
    Set("sdoConsolidatedConversationOrdering", ordering);
    AttachReply(Mail("Re: [HD-12] Printer", "<p>First reply</p>"));
    AttachReply(Mail("Re: [HD-12] Printer", "<p>Second reply</p>"));

    std::string body = CaseBody();
    size_t case_text = body.find("Case 12"), first = body.find("First reply"),
           second = body.find("Second reply");
    ASSERT_NE(first, std::string::npos) << body;
    ASSERT_NE(second, std::string::npos) << body;
    if (std::string(ordering) == "0") {
      EXPECT_LT(second, first);
      EXPECT_LT(first, case_text);
    } else {
      EXPECT_LT(case_text, first);
      EXPECT_LT(first, second);
    }
    EXPECT_TRUE(Has(body, "Reply received from <b>Alice Martin</b>"));
  }
}

TEST_F(Conversation, AnEntryIsTheHeaderOverTheStrippedReply) {
  auto mail = Mail("Re: [HD-12] Printer", kClientReply);
  ASSERT_TRUE(AttachReply(mail));
  std::string body = CaseBody();
  size_t at = body.find("<a href=\"outlook:" + mail->EntryID() +
                        "\">Reply received from <b>Alice Martin</b></a>");
  ASSERT_NE(at, std::string::npos) << body;
  EXPECT_LT(body.find("<body"), at);
  EXPECT_LT(at, body.find("The printer still jams"));
  EXPECT_FALSE(Has(body, "We have received"));
  EXPECT_TRUE(Has(body, "\r\n<BR>\r\n<html><body><p>Case 12</p></body></html>"));
}

TEST_F(Conversation, PlainRepliesEnterEscapedWithoutHistoryAndEmptyOnesNotAtAll) {
  auto empty = Mail("Re: [HD-12] Printer", "");
  empty->SetBody("");
  empty->Save();
  ASSERT_TRUE(AttachReply(empty));
  ASSERT_TRUE(AddEmailToCase(Mail("Printer", "<p>It jams.</p>"), "12", MailKind::NewCase,
                             ConversationKind::ProblemDescription,
                             AttachedBy::Monitoring));
  EXPECT_EQ(CaseBody(), "<html><body><p>Case 12</p></body></html>");

  auto mail = Mail("Re: [HD-12] Printer", "");
  mail->SetBodyFormat(1);
  mail->SetBody("Works <again>!\r\nThanks\r\n\r\nFrom: Helpdesk\r\nSent: today");
  mail->Save();
  ASSERT_TRUE(AttachReply(mail));
  std::string body = CaseBody();
  EXPECT_TRUE(Has(body, "Works &lt;again&gt;!<br>Thanks<br><br>")) << body;
  EXPECT_FALSE(Has(body, "Sent: today"));
}

TEST_F(Conversation, NotificationsGoInsideTheCaseBodyAtEitherEnd) {
  auto notice = [&] {
    auto mail = Mail("[HD-12] Case closed", "<p>Your case is closed.</p>");
    return AddEmailToCase(mail, "12", MailKind::Outgoing, ConversationKind::Notification,
                          AttachedBy::Monitoring, "Case Closed Notification Sent to");
  };
  Set("sdoConsolidatedConversationOrdering", "0");
  ASSERT_TRUE(notice());
  std::string body = CaseBody();
  EXPECT_EQ(body.rfind("<html><body>\r\n<DIV align=left>", 0), 0u) << body;
  EXPECT_TRUE(
      Has(body, "Case Closed Notification Sent to <b>support@helpdesk.example</b>"));

  Set("sdoConsolidatedConversationOrdering", "1");
  ASSERT_TRUE(notice());
  body = CaseBody();
  EXPECT_EQ(body.substr(body.size() - 16), "\r\n</body></html>");
  EXPECT_LT(body.find("<p>Case 12</p>"), body.rfind("Your case is closed."));

  Set("sdoConsolidatedConversationAddSnippeForAutoMessage", "0");
  std::string before = CaseBody();
  ASSERT_TRUE(notice());
  EXPECT_EQ(CaseBody(), before);
}

TEST_F(Conversation, AttachmentsComeAlongAndAreListedUnderTheEntry) {
  auto mail =
      Mail("Re: [HD-12] Printer", "<p>See <img src=\"cid:logo001@x\"> and the log</p>");
  mail->Attachments().AddBytes("printer.log", "jam at 09:00", "text/plain");
  mail->Attachments().AddBytes("logo.png", "PNG", "image/png")->SetContentId("logo001@x");
  mail->Attachments().AddBytes("Picture (Device Independent Bitmap)", "BMP");
  mail->Save();
  ASSERT_TRUE(AttachReply(mail));

  auto case_item = Reread("12");
  host::Attachments& attachments = case_item->Attachments();
  ASSERT_EQ(attachments.Count(), 2);
  EXPECT_EQ(attachments.Item(1)->FileName(), "printer.log");
  EXPECT_EQ(attachments.Item(1)->ContentId(), "");
  EXPECT_EQ(attachments.Item(2)->FileName(), "logo.png");
  EXPECT_EQ(attachments.Item(2)->ContentId(), "logo001@x");
  EXPECT_TRUE(Has(case_item->HTMLBody(), "New Attachments:</b> printer.log</font>"));

  // One of the same name is replaced.
  auto again = Mail("Re: [HD-12] Printer");
  again->Attachments().AddBytes("PRINTER.LOG", "new");
  EXPECT_EQ(CopyBodyAndAttachments(*again, *case_item), "PRINTER.LOG");
  ASSERT_EQ(attachments.Count(), 2);
  for (int32_t i = 1; i <= 2; ++i) {
    if (TextEquals(attachments.Item(i)->FileName(), "printer.log")) {
      EXPECT_EQ(attachments.Item(i)->Bytes(), "new");
    }
  }
}

TEST_F(Conversation, RichTextRepliesEnterTheConversationWithTheirPicturesEmbedded) {
  auto mail = Mail("Re: [HD-12] Printer",
                   "<html><body><p>Photo: <img src=\"12345_files/image001.png\"> "
                   "<img src=\"http://example.com/x.png\"></p></body></html>");
  mail->SetBodyFormat(3);
  mail->Attachments().AddBytes("image001.png", "PNG", "image/png");
  mail->Attachments().AddBytes("Picture (Device Independent Bitmap)", "BMP");
  mail->Save();
  ASSERT_TRUE(AttachReply(mail));
  std::string body = CaseBody();
  EXPECT_TRUE(Has(body, "Photo: <img src=\"cid:image001.png\">")) << body;
  EXPECT_TRUE(Has(body, "<img src=\"http://example.com/x.png\">"));
  // Converting and copying the attachments embed the picture once.
  auto case_item = Reread("12");
  ASSERT_EQ(case_item->Attachments().Count(), 1);
  EXPECT_EQ(case_item->Attachments().Item(1)->ContentId(), "image001.png");
}

}  // namespace
}  // namespace zanvoro
