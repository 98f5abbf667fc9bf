#include <gtest/gtest.h>

#include <sstream>

#include "host/ui/CheckBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/ConsoleRenderer.h"
#include "host/ui/Form.h"
#include "host/ui/TableView.h"
#include "host/ui/TextBox.h"

namespace zanvoro::host {
namespace {

using R = MsgBoxResult;

// A console fed from a string, as a pipe would feed it.
struct Console {
  explicit Console(std::string input, ConsoleMode mode = ConsoleMode::Unattended)
      : in(std::move(input)),
        renderer(std::make_shared<ConsoleRenderer>(in, out, mode)),
        scope(renderer) {}
  std::istringstream in;
  std::ostringstream out;
  std::shared_ptr<ConsoleRenderer> renderer;
  ScopedRenderer scope;
};

// A small window: a name, a check box and OK, which closes it.
struct NameForm : Form {
  NameForm() : Form("frmName", "Your name") {
    Add<TextBox>("txtName");
    Add<CheckBox>("chkAgree").SetCaption("I agree");
    Add<CommandButton>("cmdOK").SetCaption("OK");
    Get<CommandButton>("cmdOK").OnClick([this] { Hide(); });
  }
};

TEST(ConsoleRenderer, UnattendedMessageBoxTakesTheDefaultAndSaysSo) {
  Console console("6\n");
  EXPECT_FALSE(console.renderer->Interactive());
  EXPECT_EQ(MsgBox("Delete?\r\nThis cannot be undone.", MsgBoxButtons::YesNo,
                   MsgBoxIcon::Question, MsgBoxDefault::Button2, "Zanvoro"),
            R::No);
  EXPECT_EQ(console.out.str(),
            "-- Zanvoro (Question) --\n"
            "Delete?\nThis cannot be undone.\n"
            "[1] Yes  [2] No\n"
            "-> No (default button, no terminal)\n");
}

TEST(ConsoleRenderer, InteractiveMessageBoxReadsNumbersNamesAndLetters) {
  Console console("x\nn\n3\nretry\n\n", ConsoleMode::Interactive);
  EXPECT_EQ(MsgBox("Save?", MsgBoxButtons::YesNoCancel), R::No);
  EXPECT_EQ(MsgBox("Save?", MsgBoxButtons::YesNoCancel), R::Cancel);
  EXPECT_EQ(MsgBox("Busy", MsgBoxButtons::RetryCancel, MsgBoxIcon::None,
                   MsgBoxDefault::Button2),
            R::Retry);
  EXPECT_EQ(MsgBox("Busy", MsgBoxButtons::RetryCancel, MsgBoxIcon::None,
                   MsgBoxDefault::Button2),
            R::Cancel);                                       // empty line
  EXPECT_EQ(MsgBox("Done", MsgBoxButtons::OKCancel), R::OK);  // end of input
  EXPECT_NE(console.out.str().find("Type a number from 1 to 3"), std::string::npos);
}

TEST(ConsoleRenderer, PipedCommandsDriveAModalForm) {
  Console console(
      "set txtName Alice Smith\nclick chkMissing\ncheck chkAgree\nclick cmdOK\n");
  NameForm form;
  form.Show(ShowMode::Modal);
  EXPECT_EQ(form.Get<TextBox>("txtName").Text(), "Alice Smith");
  EXPECT_TRUE(form.Get<CheckBox>("chkAgree").Checked());
  EXPECT_FALSE(form.Visible());
  const std::string out = console.out.str();
  EXPECT_NE(out.find("== Your name [frmName] =="), std::string::npos) << out;
  EXPECT_NE(out.find("> set txtName Alice Smith"), std::string::npos) << out;
  EXPECT_NE(out.find("txtName  [Alice Smith]"), std::string::npos) << out;
  EXPECT_NE(out.find("chkAgree  [x] I agree"), std::string::npos) << out;
  EXPECT_NE(out.find("! frmName has no control named chkMissing"), std::string::npos)
      << out;
}

TEST(ConsoleRenderer, EndOfInputClosesTheFormWithItsCloseBoxOrHidesOneThatRefuses) {
  Console console("");
  NameForm form;
  std::vector<UnloadMode> modes;
  form.OnQueryUnload([&](bool&, UnloadMode mode) { modes.push_back(mode); });
  form.Show(ShowMode::Modal);
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(modes, std::vector<UnloadMode>{UnloadMode::ControlMenu});
  EXPECT_NE(console.out.str().find("(end of input: closing frmName)"), std::string::npos);

  Console refused("close\n");
  NameForm stays;
  stays.OnQueryUnload([](bool& cancel, UnloadMode) { cancel = true; });
  stays.Show(ShowMode::Modal);
  EXPECT_FALSE(stays.Visible());
  EXPECT_TRUE(stays.Loaded());
  EXPECT_NE(refused.out.str().find("frmName stays open."), std::string::npos);
}

TEST(ConsoleRenderer, BalloonIsOneLine) {
  Console console("");
  console.renderer->ShowBalloon("New Case", "Case 17\r\ncreated", BalloonIcon::Info);
  EXPECT_EQ(console.out.str(), "[balloon] New Case: Case 17 created\n");
}

TEST(ConsoleRenderer, TableCellsArePaddedOrCutToTheirColumnsCountingCharacters) {
  Console console("");
  TableView view{"\\\\Helpdesk\\Ongoing",
                 {{"Number", 400}, {"Subject", 1300}, {"Caller", 100}},
                 {{"7", "Printer\tjams", "Zoë"}, {"12", "Écran noir", "Éloïse"}, {}}};
  console.renderer->ShowTable(view);
  EXPECT_EQ(console.out.str(),
            "\\\\Helpdesk\\Ongoing\n"
            "Num~  Subject        Ca~\n"
            "----  -------------  ---\n"
            "7     Printer jams   Zoë\n"
            "12    Écran noir     Él~\n"
            "\n");
}

}  // namespace
}  // namespace zanvoro::host
