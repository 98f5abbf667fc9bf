#include <gtest/gtest.h>

#include <filesystem>

#include "errors/ErrorServices.h"
#include "errors/Trap.h"
#include "errors/frmErrorReport.h"
#include "errors/frmFriendlyError.h"
#include "errors/modErroHandling.h"
#include "host/client/ClientTestSupport.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

using host::FormAction;
using host::testsupport::ClientTest;

// A run of the add-in as the error report sees it: the application, and a
// shut-down that is counted.
class ErrorReportTest : public ClientTest {
 protected:
  ErrorReportTest() {
    LoadPhrases(kLanguageEnglish);
    ResetErrorState();
    application_ = MakeApplication();
    SetErrorServices(ErrorServices{
        [this] { return application_.get(); }, [this] { ++shutdowns_; },
        [](HelpdeskFolder folder) {
          return folder == HelpdeskFolder::Ongoing ? std::string("\\\\Helpdesk\\Ongoing")
                                                   : std::string();
        },
        [] { return std::string("Ann Owner"); }});
  }
  ~ErrorReportTest() override {
    ResetErrorState();
    SetErrorServices({});
  }

  // Scripts the error report: remember the report text, then click `button`.
  void AnswerReport(const char* button) {
    Renderer().Script("frmErrorReport",
                      {FormAction::Do([this](host::Form& form) {
                         report_ = form.Get<host::TextBox>("txtReport").Text();
                       }),
                       FormAction::Click(button)});
  }

  std::shared_ptr<host::Application> application_;
  int shutdowns_ = 0;
  std::string report_;
};

TEST(ErrorReportText, HasSixLinesEachEndedByCrLfAndAKnownFailureFiveWithoutTheLast) {
  std::string text =
      ErrorReportText("16.0", 12, "Case.GetCase", "ZANVORO_M", -2147221233, "Not found");
  EXPECT_EQ(text,
            "In Outlook version: 16.0\r\n"
            "At Line: 12\r\n"
            "In Function: Case.GetCase\r\n"
            "Source: ZANVORO_M\r\n"
            "Exception Number: -2147221233\r\n"
            "Exception Description: Not found\r\n");
  EXPECT_EQ(KnownFailureReportText("16.0", 70, "Permission denied", 0, "Case.Save"),
            "Outlook version: 16.0\r\n"
            "Exception Number: 70\r\n"
            "Exception Description: Permission denied\r\n"
            "Line: 0\r\n"
            "Function: Case.Save");
}

TEST_F(ErrorReportTest, TrapReturnsTheNeutralValueAndReportsTheFailureUnderItsLocation) {
  AnswerReport("cmdCancel");
  int result = Trap("Case.Count", -1, []() -> int {
    throw Error(err::kObjectDeleted, "The item has been moved or deleted.", "Store");
  });
  EXPECT_EQ(result, -1);
  EXPECT_EQ(CurrentProcedure(), "Case.Count");
  EXPECT_EQ(report_,
            "In Outlook version: 16.0\r\nAt Line: 0\r\nIn Function: Case.Count\r\n"
            "Source: Store\r\nException Number: -2147221238\r\n"
            "Exception Description: The item has been moved or deleted.\r\n");
}

TEST_F(ErrorReportTest, OnlyTheFirstFailureOfARunIsReported) {
  AnswerReport("cmdCancel");
  Trap("Case.First", [] { throw Error(err::kTypeMismatch, "Type mismatch"); });
  Trap("Case.Second", [] { throw std::runtime_error("second"); });
  EXPECT_EQ(CountShown("frmErrorReport"), 1);
  EXPECT_TRUE(ErrorReportShown());
  EXPECT_NE(report_.find("In Function: Case.First"), std::string::npos);
  EXPECT_EQ(Renderer().PendingScripts(), 0u);
}

TEST_F(ErrorReportTest, RaiseRecordsTheLineAndOtherFailuresReportLineZero) {
  AnswerReport("cmdCancel");
  int line = 0;
  Trap("Case.Lined", [&] {
    line = __LINE__ + 1;
    Raise(Error(err::kOverflow, "Overflow"));
  });
  EXPECT_NE(report_.find("At Line: " + std::to_string(line) + "\r\n"), std::string::npos);

  ResetErrorState();
  AnswerReport("cmdCancel");
  Trap("Case.Unlined", [] { throw std::logic_error("broken"); });
  EXPECT_NE(report_.find("At Line: 0\r\n"), std::string::npos);
  EXPECT_NE(report_.find("Exception Description: broken\r\n"), std::string::npos);
}

TEST_F(ErrorReportTest, EveryWayOutOfTheReportShutsTheAddinDown) {
  for (const char* button : {"cmdCancel", "cmdOpenEmail"}) {
    ResetErrorState();
    int before = shutdowns_;
    AnswerReport(button);
    ShowError("Failure", 5, 3, "Test.WayOut", DirectSend::Hidden);
    EXPECT_EQ(shutdowns_, before + 1) << button;
  }
  ResetErrorState();
  Renderer().Script("frmErrorReport", {FormAction::Click("lblSendDirectly")});
  ShowError("Failure", 5, 3, "Test.WayOut", DirectSend::Offered);
  EXPECT_EQ(shutdowns_, 3);
}

TEST_F(ErrorReportTest, TheSendDirectlyLinkIsHiddenUnlessOffered) {
  Renderer().Script("frmErrorReport", {FormAction::Click("lblSendDirectly")});
  ShowError("Failure", 5, 0, "Test.Hidden", DirectSend::Hidden);
  // The user cannot click what is hidden: the window stays up and the
  // scripted user fails, which the report path swallows.
  EXPECT_EQ(shutdowns_, 0);
  const host::Shown* shown = LastShown("frmErrorReport");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->ControlText("lblSendDirectly"), "");
  EXPECT_EQ(shown->ControlText("lblVersion"), "Build " + GetVersionString());
  EXPECT_EQ(shown->ControlText("lblApplication"), kApplicationTitle);
  EXPECT_EQ(shown->ControlText("lblDescription"), CONST_EXCEPTION_DESCRIPTION);
}

TEST_F(ErrorReportTest, ViewReportTogglesTheHeightAndTheReportBox) {
  std::vector<int> heights;
  std::vector<bool> report_visible;
  auto look = FormAction::Do([&](host::Form& form) {
    heights.push_back(form.Height());
    report_visible.push_back(form.Get<host::TextBox>("txtReport").Visible());
  });
  Renderer().Script("frmErrorReport", {look, FormAction::Click("cmdViewReport"), look,
                                       FormAction::Click("cmdViewReport"), look,
                                       FormAction::Click("cmdCancel")});
  ShowError("Failure", 5, 0, "Test.Toggle", DirectSend::Hidden);
  EXPECT_EQ(heights, (std::vector<int>{frmErrorReport::kCollapsedHeight,
                                       frmErrorReport::kExpandedHeight,
                                       frmErrorReport::kCollapsedHeight}));
  EXPECT_EQ(report_visible, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(heights[1], 5535);
}

TEST_F(ErrorReportTest, OpenEmailSavesAndDisplaysTheErrorMail) {
  AnswerReport("cmdOpenEmail");
  ShowError("Failure", 5, 0, "Test.Mail", DirectSend::Hidden);
  auto inspector = application_->ActiveInspector();
  ASSERT_NE(inspector, nullptr);
  auto mail = inspector->CurrentItem();
  EXPECT_TRUE(mail->Saved());
  EXPECT_EQ(mail->Parent()->Name(), "Drafts");
  EXPECT_EQ(mail->Subject(),
            "Exception (" + GetVersionString() + ") : " + kApplicationTitle);
  EXPECT_EQ(mail->Body(), report_);
  ASSERT_EQ(mail->Recipients().Count(), 1);
  EXPECT_EQ(mail->Recipients().Item(1)->Name(), kDefaultErrorMailbox);
}

TEST_F(ErrorReportTest, SendingDirectlyPutsTheMailInTheOutboxForTheConfiguredMailbox) {
  host::testsupport::ScopedEnv mailbox("ZANVORO_ERROR_MAILBOX", "errors@example.com");
  SendErrorEmail("report", SendMode::Direct);
  auto outbox =
      application_->GetNamespace("MAPI")->GetDefaultFolder(host::DefaultFolder::Outbox);
  ASSERT_EQ(outbox->Items()->Count(), 1);
  auto mail = outbox->Items()->Item(1);
  EXPECT_EQ(mail->Recipients().Item(1)->Name(), "errors@example.com");
  EXPECT_EQ(mail->Body(), "report");
}

TEST_F(ErrorReportTest, AFailedErrorMailIsToldInACriticalBox) {
  // A client whose profile names no mailbox store cannot make a mail.
  host::Profile profile = TestProfile();
  profile.stores.clear();
  application_ = std::make_shared<host::Application>(profile, &loop_);
  SendErrorEmail("report", SendMode::Review);
  const auto& transcript = Renderer().Transcript();
  ASSERT_FALSE(transcript.empty());
  EXPECT_EQ(transcript.back().text, "Failed to send error email using MS Outlook!");
  EXPECT_EQ(transcript.back().title, kApplicationTitle);
  EXPECT_EQ(transcript.back().flags, host::vbCritical);
}

TEST_F(ErrorReportTest, PlaceholdersAreReplacedAndUnknownFoldersBecomeEmpty) {
  struct {
    const char* message;
    const char* expected;
  } cases[] = {{"No placeholders here", "No placeholders here"},
               {"Folder <VNH_OPENFOLDER>!", "Folder \\\\Helpdesk\\Ongoing!"},
               {"[<VNH_KBFOLDER>]", "[]"},
               {"Ask <VNH_OWNER> about <VNH_SETTINGFOLDER>", "Ask Ann Owner about "}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceFolderPlaceholders(c.message), c.expected) << c.message;
  }
}

TEST_F(ErrorReportTest, FriendlyErrorShowsTheAdviceAndItsExitShutsDown) {
  std::vector<int> heights;
  auto look = FormAction::Do([&](host::Form& form) { heights.push_back(form.Height()); });
  Renderer().Script("frmFriendlyError", {look, FormAction::Click("cmdViewReport"), look,
                                         FormAction::Click("cmdExit")});
  std::string message = "You need write permission over the <VNH_OPENFOLDER> folder";
  ShowFriendlyError(message, "Access denied", 70, 4, "Settings.Save");
  EXPECT_EQ(message, "You need write permission over the \\\\Helpdesk\\Ongoing folder");
  const host::Shown* shown = LastShown("frmFriendlyError");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->ControlText("lblMessage"), message);
  EXPECT_EQ(shown->ControlText("txtReport"),
            KnownFailureReportText("16.0", 70, "Access denied", 4, "Settings.Save"));
  EXPECT_EQ(shown->ControlText("cmdViewReport"), CONST_HIDE_REPORT);
  EXPECT_EQ(heights, (std::vector<int>{5175, 3750}));
  EXPECT_EQ(shutdowns_, 1);
}

TEST_F(ErrorReportTest, KnowledgeBaseDialogShowsTheArticleAndLeavesTheAddinRunning) {
  Renderer().Script("frmErrorKBDialog", {FormAction::Click("cmdExit")});
  std::string message =
      "The form cache of the <VNH_OPENFOLDER> folder appears to be corrupted!";
  ShowErrorKBDialog("https://kb.example.com/1", message, "Cannot create", 5, 0,
                    "CaseHelper.CreateCase");
  const host::Shown* shown = LastShown("frmErrorKBDialog");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->ControlText("wwwKB"), KBArticlePage("https://kb.example.com/1"));
  EXPECT_EQ(
      KBArticlePage("u"),
      "<html><head><title>Refer to KB article for more reference</title></head><body>"
      "<font face=\"Arial\" size=\"2\"><b>Refer to this KB article for a possible "
      "fix:</b><br><i><a target=\"_blank\" href=\"u\">u</a><i></font></body></html>");
  EXPECT_EQ(shutdowns_, 0);
}

TEST_F(ErrorReportTest, TheTraceSwitchOnlyOnAValueOneAppendsLocationsWithTheirTime) {
  {
    host::testsupport::ScopedEnv trace("ZANVORO_TRACE", "yes");
    TraceSwitchFromEnvironment();
    EXPECT_FALSE(TraceSwitch());
  }
  SetCurrentProcedure("Case.GetCase");
  WriteTraceLog("something");
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "Documents"));

  host::testsupport::ScopedEnv trace("ZANVORO_TRACE", "1");
  TraceSwitchFromEnvironment();
  ASSERT_TRUE(TraceSwitch());
  SetCurrentProcedure("Case.GetCase");
  WriteTraceLog("second line");
  WriteTraceLog("");
  std::filesystem::path file =
      dir_.Path() / "Documents" / "Torvanel Logs" / "Zanvoro Manager for Outlook.log.txt";
  EXPECT_EQ(TraceLogFile(), file.string());
  std::vector<std::string> lines = Split(host::testsupport::ReadFile(file), "\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("\tCase.GetCase"), std::string::npos);
  EXPECT_NE(lines[1].find("\tsecond line"), std::string::npos);
  EXPECT_GT(lines[0].find('\t'), 0u) << "a date and time first";
  SetTraceSwitch(false);
}

}  // namespace
}  // namespace zanvoro
