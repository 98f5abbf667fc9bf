#include <gtest/gtest.h>

#include "host/ui/CheckBox.h"
#include "host/ui/ComboBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Form.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "host/ui/OptionButton.h"
#include "host/ui/ProgressBar.h"
#include "host/ui/ScriptedRenderer.h"
#include "host/ui/TextBox.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

TEST(Form, ValueChangesFireEventsOnceAndOptionButtonsClearOnlyTheirGroup) {
  Form form("frmOptions");
  auto& a1 = form.Add<OptionButton>("optA1", "a");
  auto& a2 = form.Add<OptionButton>("optA2", "a");
  auto& b1 = form.Add<OptionButton>("optB1", "b");
  int clicks = 0;
  a2.OnClick([&] { ++clicks; });
  a1.SetValue(true);
  b1.SetValue(true);
  a2.SetValue(true);
  a2.SetValue(true);  // already selected: no second event
  EXPECT_FALSE(a1.Value());
  EXPECT_TRUE(a2.Value());
  EXPECT_TRUE(b1.Value());
  EXPECT_EQ(clicks, 1);
  a2.Click();  // a click fires even on the selected button
  EXPECT_EQ(clicks, 2);

  auto& check = form.Add<CheckBox>("chkX");
  auto& text = form.Add<TextBox>("txtX");
  int check_clicks = 0;
  int text_changes = 0;
  check.OnClick([&] { ++check_clicks; });
  text.OnChange([&] { ++text_changes; });
  check.SetValue(CheckState::Checked);
  check.SetValue(CheckState::Checked);
  check.Click();
  text.SetText("a");
  text.SetText("a");
  EXPECT_EQ(check.Value(), CheckState::Unchecked);
  EXPECT_EQ(check_clicks, 2);
  EXPECT_EQ(text_changes, 1);
}

TEST(Form, ComboBoxKeepsTextAndSelectionTogether) {
  Form form("frmCombo");
  auto& combo = form.Add<ComboBox>("cboTech");
  combo.AddItem("Ann");
  combo.AddItem("Bob");
  int clicks = 0;
  int changes = 0;
  combo.OnClick([&] { ++clicks; });
  combo.OnChange([&] { ++changes; });
  combo.SetListIndex(1);
  EXPECT_EQ(combo.Text(), "Bob");
  combo.SetText("ann");  // an entry: selects it, in its own spelling
  EXPECT_EQ(combo.ListIndex(), 0);
  EXPECT_EQ(combo.Text(), "Ann");
  combo.SetText("Carol");  // free text in a drop-down combo
  EXPECT_EQ(combo.Text(), "Carol");
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(changes, 1);

  auto& fixed = form.Add<ComboBox>("cboFixed", ComboStyle::DropDownList);
  fixed.AddItem("High");
  EXPECT_THROW(fixed.SetText("Low"), Error);
  fixed.SetText("high");
  EXPECT_EQ(fixed.Text(), "High");
}

TEST(Form, ListPositionsAreCheckedAndFollowTheirEntries) {
  Form form("frmList");
  auto& list = form.Add<ListBox>("lstCases");
  list.SetColumnCount(2);
  for (const char* item : {"17", "18", "19"}) list.AddItem(item);
  list.SetCell(2, 1, "Printer");
  list.SetItemData(2, 1900);
  list.SetListIndex(2);
  list.AddItem("16", 0);
  EXPECT_EQ(list.ListIndex(), 3);
  list.RemoveItem(1);
  EXPECT_EQ(list.ListIndex(), 2);
  EXPECT_EQ(list.Text(), "19");
  EXPECT_EQ(list.Cell(2, 1), "Printer");
  EXPECT_EQ(list.Cell(0, 1), "");
  EXPECT_EQ(list.ItemData(2), 1900);
  EXPECT_EQ(list.Texts()[2], "19\tPrinter");
  EXPECT_THROW(list.List(3), Error);
  EXPECT_THROW(list.SetListIndex(-2), Error);
  EXPECT_THROW(list.AddItem("x", 5), Error);
  list.RemoveItem(2);
  EXPECT_EQ(list.ListIndex(), -1);
}

TEST(Form, MultiSelectListTogglesEntriesTheUserClicks) {
  auto renderer = std::make_shared<ScriptedRenderer>();
  ScopedRenderer scope(renderer);
  Form form("frmPick");
  auto& list = form.Add<ListBox>("lstTechs");
  list.SetMultiSelect(MultiSelect::Simple);
  for (const char* item : {"Ann", "Bob", "Carol"}) list.AddItem(item);
  form.Show();
  form.UserSet("lstTechs", "carol");
  form.UserSelect("lstTechs", 0);
  form.UserSelect("lstTechs", 2);
  EXPECT_TRUE(list.Selected(0));
  EXPECT_FALSE(list.Selected(2));
  EXPECT_EQ(list.SelCount(), 1);
  EXPECT_THROW(form.UserSet("lstTechs", "Dave"), Error);
}

TEST(Form, ProgressBarClampsToItsRange) {
  Form form("frmProgress");
  auto& bar = form.Add<ProgressBar>("pbArchive");
  bar.SetRange(0, 40);
  bar.SetValue(10);
  EXPECT_EQ(bar.Percent(), 25);
  bar.SetValue(55);
  EXPECT_EQ(bar.Value(), 40);
  bar.SetValue(-3);
  EXPECT_EQ(bar.Percent(), 0);
  bar.SetRange(5, 5);  // refused: the range stays
  EXPECT_EQ(bar.Max(), 40);
}

TEST(Form, UnloadAsksQueryUnloadWhichMayCancel) {
  Form form("frmAsk");
  int loads = 0;
  std::vector<UnloadMode> asked;
  bool keep = true;
  form.OnLoad([&] { ++loads; });
  form.OnQueryUnload([&](bool& cancel, UnloadMode mode) {
    asked.push_back(mode);
    cancel = keep;
  });
  form.Load();
  form.Load();
  EXPECT_FALSE(form.Unload());
  EXPECT_TRUE(form.Loaded());
  keep = false;
  EXPECT_TRUE(form.Unload(UnloadMode::AppWindows));
  EXPECT_FALSE(form.Loaded());
  EXPECT_TRUE(form.Unload());  // unloading an unloaded window is harmless
  form.Load();
  EXPECT_EQ(loads, 2);
  EXPECT_EQ(asked, (std::vector<UnloadMode>{UnloadMode::Code, UnloadMode::AppWindows}));
}

TEST(Form, ControlNamesAreUniqueAndTyped) {
  Form form("frmNames");
  form.Add<TextBox>("txtName");
  EXPECT_THROW(form.Add<Label>("TXTNAME"), Error);
  EXPECT_THROW(form.Add<Label>(""), Error);
  EXPECT_EQ(&form.Get<TextBox>("txtname"), form.Find("txtName"));
  EXPECT_EQ(form.Find("txtMissing"), nullptr);
  try {
    form.Get<CheckBox>("txtName");
    FAIL() << "a text box was handed out as a check box";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), err::kTypeMismatch);
  }
  EXPECT_THROW(form.Get<Label>("lblMissing"), Error);
}

TEST(Form, UserActionsRefuseWhatTheUserCannotReach) {
  auto renderer = std::make_shared<ScriptedRenderer>();
  ScopedRenderer scope(renderer);
  Form form("frmReach");
  int clicks = 0;
  auto& button = form.Add<CommandButton>("cmdGo");
  button.OnClick([&] { ++clicks; });
  auto& report = form.Add<TextBox>("txtReport");
  report.SetLocked(true);
  form.Add<OptionButton>("optOnly");
  EXPECT_THROW(form.UserClick("cmdGo"), Error);  // not shown yet
  form.Show();
  button.SetEnabled(false);
  EXPECT_THROW(form.UserClick("cmdGo"), Error);
  button.SetEnabled(true);
  button.SetVisible(false);
  EXPECT_THROW(form.UserClick("cmdGo"), Error);
  EXPECT_THROW(form.UserSet("txtReport", "edited"), Error);
  EXPECT_THROW(form.UserSet("cmdGo", "text"), Error);
  EXPECT_THROW(form.UserCheck("optOnly", false), Error);
  EXPECT_THROW(form.UserSet("optOnly", "maybe"), Error);
  EXPECT_EQ(clicks, 0);
  button.Click();  // code may click it all the same
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace zanvoro::host
