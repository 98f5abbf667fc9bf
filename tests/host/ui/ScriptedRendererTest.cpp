#include <gtest/gtest.h>

#include "host/ui/CommandButton.h"
#include "host/ui/Form.h"
#include "host/ui/Label.h"
#include "host/ui/OptionButton.h"
#include "host/ui/ScriptedRenderer.h"
#include "host/ui/TextBox.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using R = MsgBoxResult;

// A start-up question: two options and OK. The answer is read after the
// modal Show returns, as the add-in does.
class StartUpForm : public Form {
 public:
  StartUpForm() : Form("frmStartUp", "Zanvoro Manager - Startup Options") {
    Add<Label>("lblQuestion").SetCaption("Load the add-in in this session?");
    Add<OptionButton>("optStart1").SetCaption("Active");
    Add<OptionButton>("optStart2").SetCaption("Inactive");
    Get<OptionButton>("optStart1").SetValue(true);
    Add<CommandButton>("cmdOK").SetCaption("OK");
    Get<CommandButton>("cmdOK").OnClick([this] { Hide(); });
  }
  bool Active() const { return Get<OptionButton>("optStart1").Value(); }
};

class ScriptedRendererTest : public ::testing::Test {
 protected:
  std::shared_ptr<ScriptedRenderer> renderer_ = std::make_shared<ScriptedRenderer>();
  ScopedRenderer scope_{renderer_};
};

TEST_F(ScriptedRendererTest, ScriptAnswersAModalQuestion) {
  renderer_->Script("frmStartUp",
                    {FormAction::Set("optStart2", true), FormAction::Click("cmdOK")});
  StartUpForm form;
  form.Show(ShowMode::Modal);
  EXPECT_FALSE(form.Active());
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(form.Loaded());
  EXPECT_EQ(renderer_->PendingScripts(), 0u);
  ASSERT_EQ(renderer_->Transcript().size(), 1u);
  const Shown& shown = renderer_->Transcript()[0];
  EXPECT_EQ(shown.kind, ShownKind::Form);
  EXPECT_EQ(shown.name, "frmStartUp");
  EXPECT_EQ(shown.title, "Zanvoro Manager - Startup Options");
  EXPECT_EQ(shown.ControlText("lblQuestion"), "Load the add-in in this session?");
  EXPECT_EQ(shown.ControlText("optStart2"), "Inactive");
  EXPECT_TRUE(renderer_->Saw("Load the add-in"));
}

TEST_F(ScriptedRendererTest, ModalFormWithoutAFittingScriptFailsInsteadOfHanging) {
  StartUpForm form;
  try {
    form.Show(ShowMode::Modal);
    FAIL() << "an unscripted modal window returned";
  } catch (const Error& e) {
    EXPECT_NE(e.Description().find("frmStartUp"), std::string::npos);
  }
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.ShownModal());
  renderer_->Script("frmStartUp", {FormAction::Set("optStart2", true)});
  EXPECT_THROW(form.Show(ShowMode::Modal), Error) << "a script must close its form";
  renderer_->Script("frmStartUp",
                    {FormAction::Click("cmdOK"), FormAction::Click("cmdOK")});
  EXPECT_THROW(form.Show(ShowMode::Modal), Error) << "and not outlive it";
  renderer_->Script("frmStartUp", {FormAction::Click("cmdMissing")});
  EXPECT_THROW(form.Show(ShowMode::Modal), Error);
}

TEST_F(ScriptedRendererTest, CloseBoxRunsQueryUnloadWithItsMode) {
  StartUpForm form;
  std::vector<UnloadMode> modes;
  form.OnQueryUnload([&](bool&, UnloadMode mode) { modes.push_back(mode); });
  renderer_->Script("FRMSTARTUP", {FormAction::Close()});
  form.Show(ShowMode::Modal);
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(modes, std::vector<UnloadMode>{UnloadMode::ControlMenu});
}

TEST_F(ScriptedRendererTest, MessageBoxesTakeQueuedAnswersThenThePolicy) {
  renderer_->Answer(R::No, "Delete");
  EXPECT_EQ(MsgBox("Delete case 17?", MsgBoxButtons::YesNo), R::No);
  EXPECT_EQ(MsgBox("Continue?", MsgBoxButtons::YesNo, MsgBoxIcon::Question,
                   MsgBoxDefault::Button2),
            R::No);
  renderer_->SetMessagePolicy(MessagePolicy::Fixed, R::Retry);
  EXPECT_EQ(MsgBox("Store busy", MsgBoxButtons::RetryCancel), R::Retry);
  EXPECT_THROW(MsgBox("Saved", MsgBoxButtons::OK), Error);  // Retry is no button here
  renderer_->SetMessagePolicy(MessagePolicy::Fail);
  EXPECT_THROW(MsgBox("Unexpected"), Error);
  renderer_->Answer(R::OK, "Archive");
  EXPECT_THROW(MsgBox("Delete everything?"), Error);
  EXPECT_EQ(renderer_->PendingAnswers(), 0u);
  EXPECT_EQ(renderer_->Transcript().size(), 3u);
  EXPECT_TRUE(renderer_->Saw("Store busy"));
  EXPECT_FALSE(renderer_->Saw("Unexpected"));
}

TEST_F(ScriptedRendererTest, MessageBoxesInsideAModalFormAreAnsweredInOrder) {
  StartUpForm form;
  auto& ok = form.Get<CommandButton>("cmdOK");
  ok.OnClick([&] {
    if (MsgBox("Really stay inactive?", MsgBoxButtons::YesNo) == R::Yes) form.Hide();
  });
  renderer_->Answer(R::No);
  renderer_->Answer(R::Yes);
  renderer_->Script("frmStartUp",
                    {FormAction::Click("cmdOK"), FormAction::Click("cmdOK")});
  form.Show(ShowMode::Modal);
  EXPECT_EQ(renderer_->TranscriptText(),
            "form frmStartUp \"Zanvoro Manager - Startup Options\"\n"
            "  lblQuestion: Load the add-in in this session?\n"
            "  optStart1: Active\n"
            "  optStart2: Inactive\n"
            "  cmdOK: OK\n"
            "message \"\": Really stay inactive? -> No\n"
            "message \"\": Really stay inactive? -> Yes\n");
}

TEST_F(ScriptedRendererTest, ModelessFormsRunAScriptWhenOneIsQueued) {
  Form form("frmSearch", "Search");
  auto& keywords = form.Add<TextBox>("txtKeywords");
  form.Show();
  EXPECT_TRUE(form.Visible());
  renderer_->Script("frmSearch", {FormAction::Set("txtKeywords", "printer"),
                                  FormAction::Do([](Form& f) { f.Refresh(); })});
  form.Hide();
  form.Show();
  EXPECT_EQ(keywords.Text(), "printer");
  ASSERT_EQ(renderer_->Transcript().size(), 3u);
  EXPECT_EQ(renderer_->Transcript()[2].kind, ShownKind::FormRefresh);
  EXPECT_EQ(renderer_->Transcript()[2].ControlText("txtKeywords"), "printer");
}

TEST_F(ScriptedRendererTest, BalloonClickRunsItsRouteOnceForRecentBalloonsOnly) {
  int shown_ongoing = 0;
  renderer_->ShowBalloon("New Case", "Case 17 created", BalloonIcon::Info,
                         [&] { ++shown_ongoing; });
  EXPECT_TRUE(renderer_->ClickLastBalloon());
  EXPECT_FALSE(renderer_->ClickLastBalloon());
  EXPECT_EQ(shown_ongoing, 1);
  renderer_->ShowBalloon("Zanvoro Manager for Outlook", "SMS sent", BalloonIcon::None);
  EXPECT_FALSE(renderer_->ClickLastBalloon());
  EXPECT_TRUE(renderer_->Saw("SMS sent"));
  // Only recent balloons can be clicked.
  BalloonId first =
      renderer_->ShowBalloon("t", "first", BalloonIcon::None, [&] { ++shown_ongoing; });
  for (int i = 0; i < 100; ++i) {
    renderer_->ShowBalloon("t", "more", BalloonIcon::None, [&] { ++shown_ongoing; });
  }
  EXPECT_FALSE(renderer_->ClickBalloon(first));
  EXPECT_TRUE(renderer_->ClickLastBalloon());
  EXPECT_EQ(shown_ongoing, 2);
}

}  // namespace
}  // namespace zanvoro::host
