#include <gtest/gtest.h>

#include "host/ui/MsgBox.h"
#include "host/ui/ScriptedRenderer.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using R = MsgBoxResult;

TEST(MsgBox, ClassicFlagWordsReadAsButtonsIconAndDefaultOrAreRefused) {
  struct {
    int32_t flags;
    MsgBoxButtons buttons;
    MsgBoxIcon icon;
    std::vector<R> results;
    R default_result;
  } cases[] = {
      {vbOKOnly, MsgBoxButtons::OK, MsgBoxIcon::None, {R::OK}, R::OK},
      {vbYesNo + vbQuestion,
       MsgBoxButtons::YesNo,
       MsgBoxIcon::Question,
       {R::Yes, R::No},
       R::Yes},
      {vbYesNoCancel + vbExclamation + vbDefaultButton3,
       MsgBoxButtons::YesNoCancel,
       MsgBoxIcon::Exclamation,
       {R::Yes, R::No, R::Cancel},
       R::Cancel},
      {vbRetryCancel + vbCritical + vbDefaultButton2,
       MsgBoxButtons::RetryCancel,
       MsgBoxIcon::Critical,
       {R::Retry, R::Cancel},
       R::Cancel},
      {vbAbortRetryIgnore + vbInformation + vbDefaultButton2,
       MsgBoxButtons::AbortRetryIgnore,
       MsgBoxIcon::Information,
       {R::Abort, R::Retry, R::Ignore},
       R::Retry},
      // A default past the last button falls back to the first.
      {vbOKCancel + vbDefaultButton4,
       MsgBoxButtons::OKCancel,
       MsgBoxIcon::None,
       {R::OK, R::Cancel},
       R::OK},
  };
  for (const auto& c : cases) {
    auto request = MessageBoxRequest::FromFlags("p", c.flags + vbSystemModal, "t");
    EXPECT_EQ(request.buttons, c.buttons) << c.flags;
    EXPECT_EQ(request.icon, c.icon) << c.flags;
    EXPECT_EQ(request.Results(), c.results) << c.flags;
    EXPECT_EQ(request.DefaultResult(), c.default_result) << c.flags;
    EXPECT_EQ(request.Flags(), c.flags + vbSystemModal) << c.flags;
  }
  EXPECT_EQ(vbYesNo + vbQuestion, 36);
  for (int32_t flags : {6, 15, 80, 240, 1024}) {
    EXPECT_THROW(MessageBoxRequest::FromFlags("p", flags, "t"), Error) << flags;
  }
}

TEST(MsgBox, ClassicCallReturnsClassicNumberAndWithoutRendererFailsLoudly) {
  auto renderer = std::make_shared<ScriptedRenderer>();
  ScopedRenderer scope(renderer);
  renderer->Answer(R::No);
  EXPECT_EQ(
      MsgBox("Delete the case?", vbYesNo + vbQuestion, "Zanvoro Manager for Outlook"),
      vbNo);
  EXPECT_EQ(MsgBox("Saved.", MsgBoxButtons::OK, MsgBoxIcon::Information), R::OK);
  ASSERT_EQ(renderer->Transcript().size(), 2u);
  EXPECT_EQ(renderer->Transcript()[0].flags, 36);
  EXPECT_EQ(renderer->Transcript()[0].title, "Zanvoro Manager for Outlook");
  EXPECT_EQ(renderer->Transcript()[1].flags, vbInformation);
  ScopedRenderer none(nullptr);
  try {
    MsgBox("Anyone there?");
    FAIL() << "a message box was shown without a renderer";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), err::kObjectRequired);
  }
}

}  // namespace
}  // namespace zanvoro::host
