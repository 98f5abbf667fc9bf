#include "settings/frmManagerList.h"

#include <cctype>
#include <string_view>

#include "errors/Trap.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"
#include "settings/Csv.h"
#include "settings/ListTransfer.h"
#include "settings/SettingsFolderStore.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

// The save section that writes the origins (into the general settings).
constexpr int32_t kOriginsSection = 18;

SettingsList StoredList(ManagedList list) {
  switch (list) {
    case ManagedList::ProblemTypes:
      return SettingsList::ProblemTypes;
    case ManagedList::Technicians:
      return SettingsList::Technicians;
    case ManagedList::Callers:
      return SettingsList::Callers;
    case ManagedList::Assets:
      return SettingsList::Assets;
    case ManagedList::SLAs:
      return SettingsList::SLAs;
    case ManagedList::FAQs:
      return SettingsList::FAQs;
    case ManagedList::Origins:
      break;
  }
  return SettingsList::GeneralSettings;
}

std::string Title(ManagedList list) {
  switch (list) {
    case ManagedList::ProblemTypes:
      return CONST_PROBLEMS_LIST;
    case ManagedList::Technicians:
      return CONST_TECHNICIANS_LIST;
    case ManagedList::Callers:
      return CONST_CALLERS_LIST;
    case ManagedList::Assets:
      return CONST_ASSETS_LIST;
    case ManagedList::Origins:
      return CONST_ORIGINS_LIST;
    case ManagedList::SLAs:
      return "Service Level Agreements (SLA)";
    case ManagedList::FAQs:
      return CONST_PREDEFINED_ANSWERS;
  }
  return {};
}

std::string Csv(const std::vector<std::string>& fields,
                const std::vector<frmManagerList::Row>& rows) {
  std::string csv = WriteCsvRecord(fields);
  for (const frmManagerList::Row& row : rows) csv += WriteCsvRecord(row);
  return csv;
}

// The file's line numbers become entry numbers: line 2 holds entry 1.
std::string AsEntries(std::string_view problems) {
  constexpr std::string_view kLine = "line ";
  std::string text;
  size_t at = 0;
  for (size_t found; (found = problems.find(kLine, at)) != std::string_view::npos;) {
    size_t digits = found + kLine.size();
    size_t end = digits;
    while (end < problems.size() && std::isdigit(static_cast<unsigned char>(problems[end])))
      ++end;
    if (end == digits || end - digits > 9) {  // not a line number we made
      text.append(problems.substr(at, end - at));
    } else {
      text.append(problems.substr(at, found - at));
      text += "entry " + std::to_string(std::stoi(std::string(problems.substr(digits, end - digits))) - 1);
    }
    at = end;
  }
  text.append(problems.substr(at));
  return text;
}

}  // namespace

frmManagerList::frmManagerList(cGlobalSettings& settings, ManagedList list,
                               std::string form_name)
    : Form(std::move(form_name), Title(list)), settings_(settings), list_(list) {
  ReadList();
  auto& entries = Add<host::ListBox>("lstEntries");
  entries.SetColumnCount(static_cast<int>(fields_.size()));
  entries.OnClick([this] { Trap("ManagerList.lstEntries", [&] { ShowPicked(); }); });
  for (const std::string& field : fields_) {
    Add<host::Label>("lbl" + field).SetCaption(field);
    Add<host::TextBox>("txt" + field);
  }
  struct Button {
    const char* name;
    const char* caption;
    std::function<void()> run;
  };
  const Button buttons[] = {
      {"cmdAdd", "Add",
       [this] {
         std::vector<Row> rows = rows_;
         rows.push_back(TypedRow());
         if (Accept(std::move(rows)))
           Get<host::ListBox>("lstEntries")
               .SetListIndex(static_cast<int>(rows_.size()) - 1);
       }},
      {"cmdUpdate", "Update",
       [this] {
         int picked = Picked();
         if (picked < 0) return;
         std::vector<Row> rows = rows_;
         rows[static_cast<size_t>(picked)] = TypedRow();
         if (Accept(std::move(rows)))
           Get<host::ListBox>("lstEntries").SetListIndex(picked);
       }},
      {"cmdDelete", "Delete",
       [this] {
         int picked = Picked();
         if (picked < 0) return;
         std::vector<Row> rows = rows_;
         rows.erase(rows.begin() + picked);
         Accept(std::move(rows));
       }},
      {"cmdSave", "Save",
       [this] {
         if (SaveList()) Unload();
       }},
  };
  for (const Button& button : buttons) {
    auto& control = Add<host::CommandButton>(button.name);
    control.SetCaption(button.caption);
    control.OnClick([this, location = std::string("ManagerList.") + button.name,
                     run = button.run] { Trap(location, run); });
  }
  auto& insert = Add<host::CommandButton>("cmdInsert");
  insert.SetCaption("Insert");
  insert.SetVisible(false);
  insert.OnClick([this] {
    Trap("ManagerList.cmdInsert", [&] {
      int picked = Picked();
      if (picked >= 0 && insert_) {
        insert_(rows_[static_cast<size_t>(picked)]);
        Unload();
      }
    });
  });
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
  FillEntries();
}

void frmManagerList::OnInsert(std::function<void(const Row&)> insert) {
  insert_ = std::move(insert);
  Get<host::CommandButton>("cmdInsert").SetVisible(static_cast<bool>(insert_));
}

void frmManagerList::ReadList() {
  rows_.clear();
  if (list_ == ManagedList::Origins) {
    fields_ = {"Origin"};
    for (const std::string& origin : settings_.OriginsList.Items())
      rows_.push_back({origin});
    return;
  }
  std::vector<CsvRecord> records = ReadCsv(ExportListCsv(settings_, StoredList(list_)));
  fields_ = TransferColumns(StoredList(list_));
  for (size_t r = 1; r < records.size(); ++r) rows_.push_back(records[r].fields);
}

frmManagerList::Row frmManagerList::TypedRow() const {
  Row row;
  for (const std::string& field : fields_)
    row.push_back(Get<host::TextBox>("txt" + field).Text());
  return row;
}

int frmManagerList::Picked() const {
  int picked = Get<host::ListBox>("lstEntries").ListIndex();
  if (picked < 0 || static_cast<size_t>(picked) >= rows_.size()) {
    host::MsgBox("Select an entry of the list first.", host::MsgBoxButtons::OK,
                 host::MsgBoxIcon::Exclamation);
    return -1;
  }
  return picked;
}

std::string frmManagerList::Problems(const std::vector<Row>& rows) const {
  if (list_ == ManagedList::Origins) {
    std::vector<std::string> problems;
    cSingleList seen;
    for (size_t i = 0; i < rows.size(); ++i) {
      std::string origin = Trim(rows[i].at(0));
      std::string where = "entry " + std::to_string(i + 1) + ": ";
      if (origin.empty()) {
        problems.push_back(where + "Origin is empty");
      } else if (!seen.Add(origin)) {
        problems.push_back(where + "\"" + origin + "\" is already in the list");
      }
    }
    return Join(problems, "\n");
  }
  // The rules are the list's own: the import of its CSV form checks every
  // entry, here into settings nobody else sees.
  cGlobalSettings scratch;
  try {
    ImportListCsv(scratch, StoredList(list_), Csv(fields_, rows));
  } catch (const Error& refused) {
    if (refused.Number() != err::kInvalidProcedureCall) throw;
    return AsEntries(refused.Description());
  }
  return {};
}

bool frmManagerList::Accept(std::vector<Row> rows) {
  std::string problems = Problems(rows);
  if (!problems.empty()) {
    host::MsgBox(problems, host::MsgBoxButtons::OK, host::MsgBoxIcon::Exclamation,
                 host::MsgBoxDefault::Button1, Caption());
    return false;
  }
  rows_ = std::move(rows);
  FillEntries();
  return true;
}

bool frmManagerList::SaveList() {
  if (list_ == ManagedList::Origins) {
    cSingleList before = settings_.OriginsList;
    settings_.OriginsList.Clear();
    for (const Row& row : rows_) settings_.OriginsList.Add(Trim(row.at(0)));
    if (settings_.SaveGlobalSettings(kOriginsSection)) return true;
    settings_.OriginsList = std::move(before);
    return false;
  }
  SettingsList stored = StoredList(list_);
  std::string before = ExportListCsv(settings_, stored);
  ImportListCsv(settings_, stored, Csv(fields_, rows_));
  if (settings_.SaveList(stored)) return true;
  // What is in memory stays what is stored.
  ImportListCsv(settings_, stored, before);
  return false;
}

void frmManagerList::FillEntries() {
  auto& entries = Get<host::ListBox>("lstEntries");
  entries.Clear();
  for (const Row& row : rows_) {
    entries.AddItem(row.empty() ? std::string() : row[0]);
    int index = entries.ListCount() - 1;
    for (size_t column = 1; column < row.size(); ++column)
      entries.SetCell(index, static_cast<int>(column), row[column]);
  }
  Refresh();
}

void frmManagerList::ShowPicked() {
  int picked = Get<host::ListBox>("lstEntries").ListIndex();
  if (picked < 0 || static_cast<size_t>(picked) >= rows_.size()) return;
  const Row& row = rows_[static_cast<size_t>(picked)];
  for (size_t i = 0; i < fields_.size(); ++i)
    Get<host::TextBox>("txt" + fields_[i])
        .SetText(i < row.size() ? row[i] : std::string());
}

}  // namespace zanvoro
