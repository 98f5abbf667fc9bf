#include "case/frmSearch.h"

#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "errors/Trap.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "host/ui/ComboBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"
#include "settings/ListText.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr const char* kFields[] = {"Case number", "Caller", "Subject", "Text"};
constexpr const char* kFolders[] = {"Ongoing and resolved cases", "Ongoing cases",
                                    "Resolved cases", "Knowledge base"};

std::string Quoted(std::string_view text) { return "'" + Replace(text, "'", "''") + "'"; }

bool Matches(std::string_view value, std::string_view text) {
  return InStr(value, text, CompareMode::Text) > 0;
}

}  // namespace

std::vector<CaseSearchHit> SearchCases(
    const std::vector<std::shared_ptr<host::MAPIFolder>>& folders, CaseSearchField field,
    std::string_view text) {
  std::vector<CaseSearchHit> hits;
  std::string find = Trim(text);
  std::string query = std::string("Select EntryID, Subject, \"") + caseprop::kCaseNumber +
                      "\", \"" + caseprop::kCallerName + "\", \"" +
                      caseprop::kCallerEmail + "\", \"" + caseprop::kBody +
                      "\" from Folder";
  // A number is a lookup of its own: the store finds it without reading the rest.
  if (field == CaseSearchField::Number && !find.empty())
    query += std::string(" where \"") + caseprop::kCaseNumber + "\" = " + Quoted(find);
  for (const std::shared_ptr<host::MAPIFolder>& folder : folders) {
    if (!folder) continue;
    host::Recordset rows = folder->ExecSQL(query);
    for (; !rows.Eof(); rows.MoveNext()) {
      auto cell = [&](const char* name) { return CellText(rows.Fields(name).Value); };
      CaseSearchHit hit{
          cell("EntryID"), folder->StoreID(),           Trim(cell(caseprop::kCaseNumber)),
          cell("Subject"), cell(caseprop::kCallerName), folder->Name()};
      std::string email = cell(caseprop::kCallerEmail);
      bool found = find.empty();
      switch (field) {
        case CaseSearchField::Number:
          found = true;
          break;
        case CaseSearchField::Caller:
          found = found || Matches(hit.Caller, find) || Matches(email, find);
          break;
        case CaseSearchField::Subject:
          found = found || Matches(hit.Subject, find);
          break;
        case CaseSearchField::Text:
          found =
              found || Matches(cell(caseprop::kBody), find) || Matches(hit.Subject, find);
          break;
      }
      if (hit.Caller.empty()) hit.Caller = email;
      if (found) hits.push_back(std::move(hit));
    }
  }
  return hits;
}

frmSearch::frmSearch(Opener open)
    : Form("frmSearch", CONST_SEARCH_CASES), open_(std::move(open)) {
  auto& field = Add<host::ComboBox>("cboField", host::ComboStyle::DropDownList);
  for (const char* name : kFields) field.AddItem(name);
  field.SetListIndex(0);
  Add<host::TextBox>("txtFind");
  auto& folder = Add<host::ComboBox>("cboFolder", host::ComboStyle::DropDownList);
  for (const char* name : kFolders) folder.AddItem(name);
  folder.SetListIndex(0);
  auto& search = Add<host::CommandButton>("cmdSearch");
  search.SetCaption("Search");
  search.OnClick([this] { Trap("Search.cmdSearch", [&] { Search(); }); });
  Add<host::Label>("lblCount");
  auto& results = Add<host::ListBox>("lstResults");
  results.SetColumnCount(4);
  auto& open_button = Add<host::CommandButton>("cmdOpen");
  open_button.SetCaption("Open");
  open_button.OnClick([this] { Trap("Search.cmdOpen", [&] { OpenSelected(); }); });
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
}

void frmSearch::Search() {
  std::vector<std::shared_ptr<host::MAPIFolder>> folders;
  switch (Get<host::ComboBox>("cboFolder").ListIndex()) {
    case 1:
      folders = {GetOngoingFolder()};
      break;
    case 2:
      folders = {GetResolvedFolder()};
      break;
    case 3:
      folders = {GetKBFolder()};
      break;
    default:
      folders = {GetOngoingFolder(), GetResolvedFolder()};
      break;
  }
  int field = Get<host::ComboBox>("cboField").ListIndex();
  hits_ = SearchCases(folders, static_cast<CaseSearchField>(field < 0 ? 0 : field),
                      Get<host::TextBox>("txtFind").Text());
  auto& results = Get<host::ListBox>("lstResults");
  results.Clear();
  for (const CaseSearchHit& hit : hits_) {
    results.AddItem(hit.CaseNumber);
    int row = results.ListCount() - 1;
    results.SetCell(row, 1, hit.Subject);
    results.SetCell(row, 2, hit.Caller);
    results.SetCell(row, 3, hit.Folder);
  }
  Get<host::Label>("lblCount").SetCaption(std::to_string(hits_.size()) + " found");
  Refresh();
}

void frmSearch::OpenSelected() {
  int row = Get<host::ListBox>("lstResults").ListIndex();
  if (row < 0 || static_cast<size_t>(row) >= hits_.size()) {
    host::MsgBox("Select a case to open.");
    return;
  }
  std::shared_ptr<host::NameSpace> session = HelpdeskSession();
  if (!session || !open_) return;
  open_(session->GetItemFromID(hits_[static_cast<size_t>(row)].EntryID,
                               hits_[static_cast<size_t>(row)].StoreID));
}

}  // namespace zanvoro
