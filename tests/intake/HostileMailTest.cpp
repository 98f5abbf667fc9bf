// Real-world and hostile mail through the intake: what reaches a case, a
// notification or the printed sheet never runs script, and each sender form
// gives the right caller.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "host/html/HtmlDocument.h"
#include "host/mail/MailImport.h"
#include "host/os/AtomicFile.h"
#include "host/store/NameSpace.h"
#include "intake/ProcessIncomingItem.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

using host::DefaultFolder;
namespace fs = std::filesystem;

constexpr int32_t kPrintSheet = 2;

class HostileMail : public testsupport::CaseTest {
 protected:
  HostileMail() {
    SetMonitoringControl({[](host::MAPIFolder&) {}, [] {}});
    Settings().Technicians.Add(
        cTechnician{.Name = "Bob Jones", .Email = "bob@desk.example"});
    Set("sdoCallerAutomaticallySaveInfo", "1");
    Set("sdoEnableDefaultTechnician", "1");
    Set("sdoAdminEmai", "bob@desk.example");
    for (const char* key : {"sdoCaseCreationConfirmationEmail", "sdoCaseAssignmentEmail",
                            "sdoEmailManagerWhenCaseCreated"})
      Settings().MessageTemplates.SetNotificaionEnabledValue(key, true);
  }
  ~HostileMail() override { SetMonitoringControl({}); }

  void Set(const char* key, const char* value) {
    Settings().GeneralSettings.SetValue(key, value);
  }
  std::shared_ptr<host::MAPIFolder> Folder(DefaultFolder which) {
    return Session().GetDefaultFolder(which);
  }
  // The mail of `rfc5322` delivered into the Inbox and handed to the intake.
  std::shared_ptr<host::Item> Deliver(std::string_view rfc5322) {
    auto mail = Folder(DefaultFolder::Inbox)->Items()->Add("IPM.Note");
    host::ImportMessage(rfc5322, *mail, Now());
    mail->Save();
    ProcessIncomingItem(mail, "Email", nullptr);
    return mail;
  }
  std::shared_ptr<host::Item> DeliverFile(const char* name) {
    auto text = host::ReadFileIfExists(fs::path(ZANVORO_CORPUS_DIR) / name);
    EXPECT_TRUE(text) << name;
    return Deliver(text ? *text : "");
  }
  int SetAsideCount() {
    auto folder = Folder(DefaultFolder::Inbox)->Folders().Item(kUnprocessedFolderName);
    return folder ? folder->Items()->Count() : 0;
  }
  std::vector<std::shared_ptr<host::Item>> Outbox() {
    std::vector<std::shared_ptr<host::Item>> mails;
    auto items = Folder(DefaultFolder::Outbox)->Items();
    for (int32_t i = 1; i <= items->Count(); ++i) mails.push_back(items->Item(i));
    return mails;
  }
  std::string CaseText(const char* number, const char* property) {
    auto item = GetCaseItemFromID(number);
    return item ? ReadItemText(*item, property) : "(no case " + std::string(number) + ")";
  }
};

// What in `html` would run or load on its own in a browser, read off the
// markup as a browser parses it.
std::vector<std::string> ActiveContent(const std::string& html) {
  const std::string markup = host::HtmlDocument(html).Html();
  const std::regex patterns[] = {
      std::regex(
          R"(<(script|iframe|frame|object|embed|applet|form|input|button|svg|math|base|link)\b)",
          std::regex::icase),
      std::regex(R"(<[a-z][^>]*\son[a-z]+\s*=)", std::regex::icase),
      std::regex(R"(<[^>]*=\s*"\s*(javascript|vbscript|data:text|data:image/svg)[^"]*")",
                 std::regex::icase),
      std::regex(R"(<meta[^>]*refresh)", std::regex::icase),
      std::regex(R"(expression\s*\(|expr\\)", std::regex::icase),
  };
  std::vector<std::string> found;
  for (const std::regex& pattern : patterns) {
    for (auto it = std::sregex_iterator(markup.begin(), markup.end(), pattern);
         it != std::sregex_iterator(); ++it)
      found.push_back(it->str());
  }
  return found;
}

TEST_F(HostileMail, InjectedMarkupReachesNoCaseNotificationOrSheet) {
  DeliverFile("xss-body.eml");

  auto item = GetCaseItemFromID("1");
  ASSERT_TRUE(item);
  cCase c;
  ASSERT_TRUE(c.GetCaseFromOutlookItem(item, SaveUnsaved::No));
  std::vector<std::pair<std::string, std::string>> shown = {
      {"case body", item->HTMLBody()}, {"printed sheet", c.ToHTML(kPrintSheet)}};
  for (const auto& mail : Outbox()) shown.emplace_back(mail->Subject(), mail->HTMLBody());
  ASSERT_GE(shown.size(), 3u) << "the caller's confirmation";
  for (const auto& [what, html] : shown) {
    EXPECT_EQ(ActiveContent(html), std::vector<std::string>{}) << what;
    EXPECT_EQ(html.find("<script>alert('name')"), std::string::npos) << what;
  }

  // What the caller wrote stays readable, with its formatting and pictures.
  const std::string body = item->HTMLBody();
  for (const char* kept :
       {"<b>The printer jams</b>", "cid:logo@example.net", "https://example.net/help",
        "data:image/png;base64", "floor 3", "cell", "styled"})
    EXPECT_NE(body.find(kept), std::string::npos) << kept;
  // Header fields are text in HTML, and stay as written in plain renderings.
  EXPECT_NE(shown[1].second.find("&lt;img src=x onerror=alert(1)&gt;"),
            std::string::npos);
  EXPECT_NE(item->Subject().find("<img src=x onerror=alert(1)>"), std::string::npos);
  bool dear_escaped = false;
  for (const auto& mail : Outbox())
    dear_escaped |=
        mail->HTMLBody().find("&lt;script&gt;alert(&#39;name&#39;)") != std::string::npos;
  EXPECT_TRUE(dear_escaped) << "the caller's name in the confirmation";

  // The same mail as the caller's reply enters the conversation made safe.
  Set("sdoConsolidatedConversationEnabled", "1");
  auto text = host::ReadFileIfExists(fs::path(ZANVORO_CORPUS_DIR) / "xss-body.eml");
  ASSERT_TRUE(text);
  Deliver(Replace(*text, "\nSubject: ", "\nSubject: Re: [1] "));
  const std::string conversation = GetCaseItemFromID("1")->HTMLBody();
  EXPECT_GT(conversation.size(), body.size()) << "the reply is in the conversation";
  EXPECT_EQ(ActiveContent(conversation), std::vector<std::string>{});
}

TEST_F(HostileMail, TheCallerAddressIsTheMailboxWhateverTheFromFieldLooksLike) {
  struct {
    const char* file;
    const char* address;
  } cases[] = {
      {"display-name-address.eml", "jang.abcdef@xyzlinux12345678.it"},
      {"several-from.eml", "dave@example.org"},
      {"bom.eml", "carol@example.com"},
  };
  int number = 0;
  for (const auto& c : cases) {
    DeliverFile(c.file);
    std::string n = std::to_string(++number);
    EXPECT_EQ(CaseText(n.c_str(), caseprop::kCallerEmail), c.address) << c.file;
    EXPECT_TRUE(Settings().Callers.Exists(c.address)) << c.file;
  }
  for (const auto& caller : Settings().Callers)
    EXPECT_TRUE(caller.Value().Email.find_first_of(",; <>") == std::string::npos)
        << caller.Value().Email;
  // The confirmation goes to the mailbox, not to the display name (an
  // unresolved recipient is named by the address it was given).
  bool to_jang = false;
  for (const auto& mail : Outbox())
    for (int32_t i = 1; i <= mail->Recipients().Count(); ++i)
      to_jang |= mail->Recipients().Item(i)->Name() == "jang.abcdef@xyzlinux12345678.it";
  EXPECT_TRUE(to_jang);
}

TEST_F(HostileMail, OddMailIsReadCleanlyOrSetAsideAndNothingIsLost) {
  DeliverFile("nul-bytes.eml");
  const std::string body =
      CaseText("1", "Case.Body") + GetCaseItemFromID("1")->HTMLBody();
  EXPECT_EQ(body.find('\0'), std::string::npos);
  EXPECT_NE(GetCaseItemFromID("1")->HTMLBody().find("ABC"), std::string::npos);
  for (const auto& mail : Outbox())
    EXPECT_EQ(mail->HTMLBody().find('\0'), std::string::npos) << mail->Subject();

  // Reports that hide what they are make no case.
  for (const char* report :
       {"dsn-no-report-type.eml", "dsn-in-mixed.eml", "feedback-report.eml"})
    DeliverFile(report);
  EXPECT_EQ(SetAsideCount(), 3);
  EXPECT_FALSE(GetCaseItemFromID("2"));

  // A reply to a case that is gone starts a new one, without a gap where
  // the tag was.
  Set("sdoEmailReplyWithoutCaseTodoWhat", "0");
  Deliver(
      "From: alice@example.com\r\nTo: support@helpdesk.example\r\n"
      "Subject: Re: [99999] Laptop battery\r\n\r\nStill broken.\r\n");
  auto reply_case = GetCaseItemFromID("2");
  ASSERT_TRUE(reply_case);
  EXPECT_NE(reply_case->Subject().find("Re: Laptop battery"), std::string::npos)
      << reply_case->Subject();
  EXPECT_EQ(reply_case->Subject().find("  "), std::string::npos) << reply_case->Subject();

  // Without a service level or a due-date rule a case has no due date, so
  // it is not overdue the moment it is made.
  EXPECT_TRUE(ReadItemDate(*GetCaseItemFromID("2"), caseprop::kDueDate).IsNoDate());
}

TEST_F(HostileMail, AFloodFromOneSenderIsSetAsideWithOneAlert) {
  Set("sdoLoopGuardMails", "3");
  Set("sdoLoopGuardMinutes", "10");
  for (int i = 0; i < 6; ++i) {
    Deliver(
        "From: Robot <robot@example.com>\r\nTo: support@helpdesk.example\r\n"
        "Subject: Your ticket " +
        std::to_string(i) + "\r\n\r\nThank you for your mail.\r\n");
  }
  Deliver(
      "From: alice@example.com\r\nTo: support@helpdesk.example\r\n"
      "Subject: Printer\r\n\r\nThe printer jams.\r\n");

  EXPECT_TRUE(GetCaseItemFromID("3"));
  EXPECT_EQ(CaseText("4", caseprop::kCallerEmail), "alice@example.com");
  EXPECT_FALSE(GetCaseItemFromID("5"));
  EXPECT_EQ(SetAsideCount(), 3);
  int alerts = 0;
  for (const auto& mail : Outbox())
    alerts += mail->Subject().find("failed processing") != std::string::npos;
  EXPECT_EQ(alerts, 1);
}

}  // namespace
}  // namespace zanvoro
