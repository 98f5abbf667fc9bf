#include "periphery/frmArchive.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Store.h"
#include "host/ui/CheckBox.h"
#include "host/ui/ComboBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "host/ui/MsgBox.h"
#include "host/ui/ProgressBar.h"
#include "host/ui/TextBox.h"
#include "runtime/Date.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

// A phrase of the table by its key, with the English text where the table
// has none.
std::string KeyedPhraseOr(std::string_view key, std::string_view english) {
  const std::string* phrase = FindPhrase(key);
  return phrase && !phrase->empty() ? *phrase : std::string(english);
}

std::optional<Date> DateIn(const host::TextBox& box) { return ParseDate(box.Text()); }

// Every folder below `folder`, by its path under the store's root.
void ListFolders(const std::shared_ptr<host::MAPIFolder>& folder, const std::string& path,
                 host::ComboBox& list) {
  for (const auto& child : folder->Folders().All()) {
    std::string child_path = path.empty() ? child->Name() : path + "\\" + child->Name();
    list.AddItem(child_path);
    ListFolders(child, child_path, list);
  }
}

}  // namespace

frmArchive::frmArchive() : Form("frmArchive", CONST_ARCHIVE_CASES) {
  Add<host::Label>("lblChoose").SetCaption(CONST_CHOOSE_CASES_TO_MOVE_TO_PST);
  Add<host::Label>("lblFilter").SetCaption(CONST_FILTER);
  auto& filter = Add<host::ComboBox>("cboFilter");
  filter.SetStyle(host::ComboStyle::DropDownList);
  filter.AddItem(CONST_TILL_THIS_DATE);
  filter.AddItem(CONST_BETWEEN);
  filter.OnClick([this] { Trap("Archive.cboFilter", [this] { ShowFilterDates(); }); });
  Add<host::Label>("lblResolvedBefore").SetCaption(CONST_CASES_RESOLVED_BEFORE);
  Add<host::TextBox>("dtpDateBefore").SetText(ShortDateText(Today()));
  Add<host::TextBox>("dtpStart").SetText(ShortDateText(Today()));
  Add<host::TextBox>("dtpEnd").SetText(ShortDateText(Today()));
  Add<host::CommandButton>("cmdShowCases").SetCaption(CONST_SHOW_CASES);
  Get<host::CommandButton>("cmdShowCases").OnClick([this] {
    Trap("Archive.cmdShowCases", [this] { ShowCases(); });
  });
  Add<host::Label>("lblColumns")
      .SetCaption(KeyedPhraseOr("caseid", "Case ID") + "\t" + KeyedPhraseOr("subject", "Subject") +
                  "\t" + KeyedPhraseOr("dateclosed", "Date Closed"));
  auto& cases = Add<host::ListBox>("lvCases");
  cases.SetColumnCount(3);
  cases.SetMultiSelect(host::MultiSelect::Simple);
  auto& all = Add<host::CheckBox>("chkSelectAll");
  all.SetCaption(CONST_SELECT_ALL);
  all.OnClick([this] {
    Trap("Archive.chkSelectAll", [this] {
      auto& list = Get<host::ListBox>("lvCases");
      bool checked = Get<host::CheckBox>("chkSelectAll").Checked();
      for (int i = 0; i < list.ListCount(); ++i) list.SetSelected(i, checked);
    });
  });
  Add<host::Label>("lblPST").SetCaption(CONST_SPECIFY_A_PST_FILE);
  Add<host::TextBox>("txtPSTFile");
  Add<host::TextBox>("txtPSTName").SetText(kDefaultArchiveName);
  Add<host::CommandButton>("cmdNewPST").SetCaption(CONST_NEW);
  Get<host::CommandButton>("cmdNewPST").OnClick([this] {
    Trap("Archive.cmdNewPST", [this] { OpenStore(true); });
  });
  Add<host::CommandButton>("cmdOpenPST").SetCaption("Open");
  Get<host::CommandButton>("cmdOpenPST").OnClick([this] {
    Trap("Archive.cmdOpenPST", [this] { OpenStore(false); });
  });
  Add<host::Label>("lblSelectFolder")
      .SetCaption(CONST_SELECT_FOLDER_TO_MOVE_THE_CASES_IN_PST);
  Add<host::ComboBox>("cboSelectFolder");
  Add<host::CheckBox>("chkUseDateToNameSubFolder")
      .SetCaption(CONST_USE_DATE_TO_NAME_SUBFOLDER_PST);
  auto& progress = Add<host::ProgressBar>("pbProgress");
  progress.SetVisible(false);
  Add<host::CommandButton>("cmdStart").SetCaption(CONST_START);
  Get<host::CommandButton>("cmdStart").OnClick([this] {
    Trap("Archive.cmdStart", [this] { Start(); });
  });
  Add<host::CommandButton>("cmdCancel").SetCaption(CONST_CANCEL);
  Get<host::CommandButton>("cmdCancel").OnClick([this] { Unload(); });
  OnLoad([this] {
    Get<host::ComboBox>("cboFilter").SetListIndex(kTillThisDate);
    ShowFilterDates();
  });
}

void frmArchive::ShowFilterDates() {
  bool between = Get<host::ComboBox>("cboFilter").ListIndex() == kBetween;
  Get<host::TextBox>("dtpDateBefore").SetVisible(!between);
  Get<host::Label>("lblResolvedBefore").SetVisible(!between);
  Get<host::TextBox>("dtpStart").SetVisible(between);
  Get<host::TextBox>("dtpEnd").SetVisible(between);
  Refresh();
}

std::optional<ArchivePeriod> frmArchive::Period() const {
  ArchivePeriod period;
  period.Filter = Get<host::ComboBox>("cboFilter").ListIndex();
  if (period.Filter == kBetween) {
    auto start = DateIn(Get<host::TextBox>("dtpStart"));
    auto end = DateIn(Get<host::TextBox>("dtpEnd"));
    if (!start || !end) return std::nullopt;
    period.Start = *start;
    period.End = *end;
  } else {
    auto before = DateIn(Get<host::TextBox>("dtpDateBefore"));
    if (!before) return std::nullopt;
    period.DateBefore = *before;
  }
  return period;
}

std::vector<ArchiveCandidate> frmArchive::ListedCases() const {
  std::vector<ArchiveCandidate> listed = cases_;
  const auto& list = Get<host::ListBox>("lvCases");
  for (size_t i = 0; i < listed.size(); ++i)
    listed[i].Checked = list.Selected(static_cast<int>(i));
  return listed;
}

void frmArchive::ShowCases() {
  cases_.clear();
  FillList();
  std::optional<ArchivePeriod> period = Period();
  if (!period) return;
  cases_ = ListCasesToArchive(*period);
  FillList();
}

void frmArchive::FillList() {
  auto& list = Get<host::ListBox>("lvCases");
  list.Clear();
  for (size_t i = 0; i < cases_.size(); ++i) {
    int row = static_cast<int>(i);
    list.AddItem(cases_[i].CaseNumber);
    list.SetCell(row, 1, cases_[i].Subject);
    list.SetCell(row, 2, ShortDateText(cases_[i].DateClosed));
    list.SetSelected(row, cases_[i].Checked);
  }
  Refresh();
}

void frmArchive::OpenStore(bool create) {
  std::filesystem::path path = Get<host::TextBox>("txtPSTFile").Text();
  if (path.empty() || (!create && !std::filesystem::exists(path))) {
    host::MsgBox(CONST_SPECIFY_A_PST_FILE, host::vbCritical, kApplicationTitle);
    return;
  }
  store_ = OpenArchiveStore(path, Get<host::TextBox>("txtPSTName").Text());
  auto& folders = Get<host::ComboBox>("cboSelectFolder");
  folders.Clear();
  if (!store_) return;
  ListFolders(store_->GetRootFolder(), "", folders);
  int preferred = folders.FindItem(kDefaultArchiveFolder);
  if (preferred >= 0) {
    folders.SetListIndex(preferred);
  } else {
    folders.SetText(kDefaultArchiveFolder);
  }
  Refresh();
}

void frmArchive::Start() {
  if (host::MsgBox(CONST_CONFIRMATION_MOVE_CASES_TO_PST,
                   host::vbYesNo + host::vbInformation,
                   kApplicationTitle) != host::vbYes) {
    return;
  }
  std::optional<ArchivePeriod> period = Period();
  std::string folder_path = Get<host::ComboBox>("cboSelectFolder").Text();
  DateSubFolder dated = Get<host::CheckBox>("chkUseDateToNameSubFolder").Checked()
                            ? DateSubFolder::Yes
                            : DateSubFolder::No;
  std::shared_ptr<host::MAPIFolder> target =
      store_ && period && (!folder_path.empty() || dated == DateSubFolder::Yes)
          ? ArchiveTargetFolder(store_, folder_path, dated, *period)
          : nullptr;
  if (!target) {
    host::MsgBox(CONST_PLEASE_SPECIFY_A_VALID_FOLDER_IN_THE_PST, host::vbCritical,
                 kApplicationTitle);
    return;
  }
  auto& progress = Get<host::ProgressBar>("pbProgress");
  progress.SetVisible(true);
  progress.SetValue(0);
  report_ = MoveCasesToArchive(ListedCases(), target, [&](size_t done, size_t total) {
    progress.SetRange(0, static_cast<double>(total));
    progress.SetValue(static_cast<double>(done));
    Refresh();
  });
  progress.SetVisible(false);
  // The checked rows went; the others stay listed.
  std::vector<ArchiveCandidate> kept;
  for (const ArchiveCandidate& c : ListedCases()) {
    if (!c.Checked) kept.push_back(c);
  }
  cases_ = std::move(kept);
  FillList();
  host::MsgBox(ArchiveReportText(report_), host::vbInformation, kApplicationTitle);
}

}  // namespace zanvoro
