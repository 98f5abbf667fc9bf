#include "reports/frmReports.h"

#include <fstream>
#include <optional>

#include "case/HelpdeskFolders.h"
#include "case/LocalDataFolders.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/os/AtomicFile.h"
#include "host/os/Processes.h"
#include "host/ui/CheckBox.h"
#include "host/ui/ComboBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Frame.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "settings/modRegistryEntry.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

constexpr const char* kInterface = "Interface";
constexpr const char* kDefaultPage =
    "To generate a report view, select a time period and the appropriate reports, fields "
    "from the boxes and click 'Show Report'";

std::string Kept(std::string_view name, std::string_view fallback) {
  return GetRegistryValue(kRegistryApp, kInterface, name, fallback);
}
void Keep(std::string_view name, std::string_view value) {
  SetRegistryValue(kRegistryApp, kInterface, name, value);
}

std::string CheckName(int kind) {
  return std::string("chk") + ReportKindKey(static_cast<ReportKind>(kind));
}

bool ReportsEditable() {
  const cGlobalSettings* settings = SharedGlobalSettings();
  return settings && CLng(settings->GeneralSettings.GetValue("sdoReportsEditable",
                                                             VarType::Long)) != 0;
}

}  // namespace

frmReports::frmReports()
    : Form("frmReports", CONST_REPORTS.empty() ? "Reports" : CONST_REPORTS) {
  Add<host::Label>("lblTimePeriod").SetCaption(CONST_SELECT_TIME_PERIOD);
  auto& period = Add<host::ComboBox>("cboTimePeriod");
  period.SetStyle(host::ComboStyle::DropDownList);
  for (int p = 0; p < kTimePeriodCount; ++p)
    period.AddItem(PeriodCaption(static_cast<TimePeriod>(p)));
  period.OnClick(
      [this] { Trap("Reports.cboTimePeriod", [this] { ShowPeriodDates(); }); });
  Add<host::TextBox>("dtpStart").SetText(ShortDateText(Today()));
  Add<host::TextBox>("dtpEnd").SetText(ShortDateText(Today()));
  Add<host::Frame>("fraResolution").SetCaption("Resolution time");
  auto& filter = Add<host::ComboBox>("cboResolutionFilter");
  filter.SetStyle(host::ComboStyle::DropDownList);
  for (const char* caption : kResolutionFilterCaptions) filter.AddItem(caption);
  for (int k = 0; k < kReportKindCount; ++k)
    Add<host::CheckBox>(CheckName(k))
        .SetCaption(ReportKindCaption(static_cast<ReportKind>(k)));
  auto& fields = Add<host::ListBox>("lstFields");
  fields.SetMultiSelect(host::MultiSelect::Simple);
  for (const std::string& caption : ReportFieldCaptions()) fields.AddItem(caption);
  Add<host::CommandButton>("cmdShowReport").SetCaption(CONST_SHOW_REPORT);
  Get<host::CommandButton>("cmdShowReport").OnClick([this] {
    Trap("Reports.cmdShowReport", [this] { ShowReport(); });
  });
  for (auto [name, key, caption] :
       {std::tuple{"cmdPrint", "print", "Print"}, std::tuple{"cmdSave", "save", "Save"},
        std::tuple{"cmdExit", "exit", "Exit"}}) {
    Add<host::CommandButton>(name).SetCaption(caption);
    std::string command = key;
    Get<host::CommandButton>(name).OnClick([this, command] { ToolbarCommand(command); });
  }
  Add<host::TextBox>("txtSaveAs");
  Add<host::Label>("webReport").SetCaption(kDefaultPage);
  OnLoad([this] { Trap("Reports.Load", [this] { LoadChoices(); }); });
  OnUnload([this](bool&) { Trap("Reports.Unload", [this] { SaveChoices(); }); });
}

void frmReports::LoadChoices() {
  int period = CLng(Variant(Kept("Reports_TimePeriodIndex", "0")));
  Get<host::ComboBox>("cboTimePeriod")
      .SetListIndex(period >= 0 && period < kTimePeriodCount ? period : 0);
  for (int k = 0; k < kReportKindCount; ++k) {
    std::string name =
        std::string("Reports_") + ReportKindKey(static_cast<ReportKind>(k));
    Get<host::CheckBox>(CheckName(k))
        .SetValue(Kept(name, k == 0 ? "1" : "0") == "1" ? host::CheckState::Checked
                                                        : host::CheckState::Unchecked);
  }
  int filter = CLng(Variant(Kept("Reports_ResolutionTimeFilter", "0")));
  Get<host::ComboBox>("cboResolutionFilter")
      .SetListIndex(filter >= 0 && filter < 5 ? filter : 0);
  std::string kept_fields = Kept("Reports_SelectedFieldsList", "");
  std::vector<std::string> chosen = Split(kept_fields, ";");
  auto& fields = Get<host::ListBox>("lstFields");
  for (int i = 0; i < fields.ListCount(); ++i) {
    bool on = kept_fields.empty() ? IsDefaultReportField(fields.List(i)) : false;
    for (const std::string& c : chosen) on = on || TextEquals(c, fields.List(i));
    fields.SetSelected(i, on);
  }
  int width = CLng(Variant(Kept("Reports_Width", "0")));
  int height = CLng(Variant(Kept("Reports_Height", "0")));
  if (width > 0) SetWidth(width);
  if (height > 0) SetHeight(height);
  ShowPeriodDates();
}

void frmReports::SaveChoices() {
  Keep("Reports_TimePeriodIndex",
       std::to_string(Get<host::ComboBox>("cboTimePeriod").ListIndex()));
  for (int k = 0; k < kReportKindCount; ++k) {
    Keep(std::string("Reports_") + ReportKindKey(static_cast<ReportKind>(k)),
         Get<host::CheckBox>(CheckName(k)).Checked() ? "1" : "0");
  }
  Keep("Reports_ResolutionTimeFilter",
       std::to_string(Get<host::ComboBox>("cboResolutionFilter").ListIndex()));
  Keep("Reports_SelectedFieldsList", Join(Choices().Fields, ";"));
  Keep("Reports_WindowState", "0");
  Keep("Reports_Width", std::to_string(Width()));
  Keep("Reports_Height", std::to_string(Height()));
}

void frmReports::ShowPeriodDates() {
  bool between = Get<host::ComboBox>("cboTimePeriod").ListIndex() ==
                 static_cast<int>(TimePeriod::BetweenDates);
  Get<host::TextBox>("dtpStart").SetVisible(between);
  Get<host::TextBox>("dtpEnd").SetVisible(between);
  Get<host::Frame>("fraResolution").SetVisible(!between);
  Get<host::ComboBox>("cboResolutionFilter").SetVisible(!between);
  Refresh();
}

ReportChoices frmReports::Choices() const {
  ReportChoices choices;
  int period = Get<host::ComboBox>("cboTimePeriod").ListIndex();
  choices.Period = static_cast<TimePeriod>(period >= 0 ? period : 0);
  if (choices.Period == TimePeriod::BetweenDates) {
    choices.From = ParseDate(Get<host::TextBox>("dtpStart").Text()).value_or(Date{});
    choices.To = ParseDate(Get<host::TextBox>("dtpEnd").Text()).value_or(Date{});
  } else {
    int filter = Get<host::ComboBox>("cboResolutionFilter").ListIndex();
    choices.Filter = static_cast<ResolutionFilter>(filter >= 0 ? filter : 0);
  }
  for (int k = 0; k < kReportKindCount; ++k)
    choices.Kinds[static_cast<size_t>(k)] = Get<host::CheckBox>(CheckName(k)).Checked();
  const auto& fields = Get<host::ListBox>("lstFields");
  for (int i = 0; i < fields.ListCount(); ++i)
    if (fields.Selected(i)) choices.Fields.push_back(fields.List(i));
  return choices;
}

void frmReports::ShowReport() {
  const cGlobalSettings* settings = SharedGlobalSettings();
  std::string document =
      BuildHelpdeskReport(Choices(), settings ? settings->CurrentUserName : "", Now());
  if (document.empty()) return;
  // An editable report lets the user change it in the browser before
  // printing or saving.
  if (ReportsEditable())
    document = Replace(document, "<body>", "<body contenteditable=\"true\">");
  document_ = std::move(document);
  std::filesystem::path folder = GetHelpdeskReportsFolder(CreateMode::Create);
  if (folder.empty()) folder = std::filesystem::temp_directory_path();
  pane_file_ = folder / "Helpdesk Report.html";
  host::WriteFileAtomically(pane_file_, document_);
  if (Get<host::TextBox>("txtSaveAs").Text().empty())
    Get<host::TextBox>("txtSaveAs")
        .SetText(
            (folder / ("Helpdesk Report " + FormatDate(Now(), "yyyy-MM-dd") + ".html"))
                .string());
  Get<host::Label>("webReport").SetCaption(pane_file_.string());
  Refresh();
}

void frmReports::ToolbarCommand(std::string_view key) {
  Trap("Reports.Toolbar", [&] {
    if (key == "exit") {
      Unload();
      return;
    }
    if (document_.empty()) {
      host::MsgBox(kDefaultPage, host::vbInformation, kApplicationTitle);
      return;
    }
    if (key == "print") {
      host::OpenWithDesktop(pane_file_.string());
    } else if (key == "save") {
      std::string path = Trim(Get<host::TextBox>("txtSaveAs").Text());
      if (path.empty()) return;
      host::WriteFileAtomically(path, document_);
      host::MsgBox("The report was saved as " + path, host::vbInformation,
                   kApplicationTitle);
    }
  });
}

void ShowReportsWindow() {
  Trap("Reports.ShowReportsWindow", [] {
    frmReports window;
    window.Show(host::ShowMode::Modal);
  });
}

}  // namespace zanvoro
