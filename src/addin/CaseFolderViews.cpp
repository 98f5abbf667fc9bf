#include "addin/CaseFolderViews.h"

#include <algorithm>

#include "addin/cUISettings.h"
#include "case/CaseProperties.h"
#include "case/EntryListForms.h"
#include "case/cCase.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recordset.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/ListText.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

bool IsCaseView(FolderKind kind) {
  return kind == FolderKind::Ongoing || kind == FolderKind::Resolved;
}

FolderViewColumn Column(const char* name, const std::string& heading,
                        const char* property, CellKind kind, int width) {
  return FolderViewColumn{name, heading, property, kind, width};
}

const FolderViewColumn* FindColumn(const std::vector<FolderViewColumn>& columns,
                                   std::string_view wanted) {
  for (const FolderViewColumn& column : columns) {
    if (TextEquals(column.name, wanted) || TextEquals(column.heading, wanted)) {
      return &column;
    }
  }
  return nullptr;
}

[[noreturn]] void UnknownColumn(const std::vector<FolderViewColumn>& columns,
                                std::string_view wanted) {
  std::vector<std::string> names;
  for (const FolderViewColumn& column : columns) names.push_back(column.name);
  throw Error(err::kInvalidProcedureCall, "The view has no column \"" +
                                              std::string(wanted) +
                                              "\"; its columns: " + Join(names, ", "));
}

std::string ValueName(const FolderViewColumn& column) { return "Col_" + column.name; }

// A cell as read, with what it sorts by.
struct Cell {
  std::string text;
  double number = 0;
  std::string key;  // the text in lower case, for the sorted column only
};

Cell ReadCell(const FolderViewColumn& column, const Variant& value) {
  Cell cell;
  switch (column.kind) {
    case CellKind::Text:
      cell.text = CellText(value);
      break;
    case CellKind::Number:
      cell.text = Trim(CellText(value));
      cell.number = IsNumeric(cell.text) ? Val(cell.text) : 0;
      break;
    case CellKind::Date: {
      // Case dates are read from their sortable texts; item dates as dates.
      Date date = value.Type() == VarType::Date
                      ? CDate(value)
                      : entrylist::ReadEntryDate(CellText(value));
      // The store's year 4501 stands for no date.
      if (!date.IsZero() && Year(date) < 4501) {
        cell.text = GeneralDateText(date);
        cell.number = date.Serial();
      }
      break;
    }
  }
  return cell;
}

bool Less(const Cell& a, const Cell& b, CellKind kind) {
  if (kind == CellKind::Text) return a.key < b.key;
  return a.number < b.number;
}

}  // namespace

std::vector<FolderViewColumn> FolderViewColumns(FolderKind kind) {
  using K = CellKind;
  const FolderViewColumn number =
      Column("Number", CONST_NUMBER, caseprop::kCaseNumber, K::Number, 800);
  const FolderViewColumn subject =
      Column("Subject", CONST_SUBJECT, "Subject", K::Text, 3000);
  const FolderViewColumn caller =
      Column("Caller", CONST_CALLER, caseprop::kCallerName, K::Text, 1800);
  const FolderViewColumn technicians =
      Column("Technicians", CONST_TECHNICIANS, caseprop::kTechnicians, K::Text, 1800);
  const FolderViewColumn problem =
      Column("ProblemType", CONST_PROBLEM_TYPE, caseprop::kProblemType, K::Text, 1500);
  const FolderViewColumn created =
      Column("Created", CONST_CREATED, caseprop::kDateCreatedS, K::Date, 2200);
  switch (kind) {
    case FolderKind::Ongoing:
      return {number,
              subject,
              caller,
              technicians,
              Column("Status", CONST_STATUS, caseprop::kStatus, K::Text, 1200),
              problem,
              Column("Due", CONST_DUE_DATE, caseprop::kDueDateS, K::Date, 2200),
              created};
    case FolderKind::Resolved:
      return {number,
              subject,
              caller,
              technicians,
              problem,
              created,
              Column("Closed", CONST_CLOSED_ON, caseprop::kDateClosedS, K::Date, 2200)};
    default:
      return {subject, Column("From", CONST_FROM, "SenderName", K::Text, 2000),
              Column("Received", CONST_SENT_RECEIVED, "ReceivedTime", K::Date, 2200)};
  }
}

std::string_view FolderViewSection(FolderKind kind) {
  switch (kind) {
    case FolderKind::Ongoing:
      return "OngoingView";
    case FolderKind::Resolved:
      return "ResolvedView";
    default:
      return "FolderView";
  }
}

host::TableView BuildFolderView(const std::shared_ptr<host::MAPIFolder>& folder,
                                const FolderViewOptions& options) {
  if (!folder) throw Error(err::kObjectRequired, "Object required: a folder");
  FolderKind kind = GetFolderKind(folder.get());
  if (!IsCaseView(kind)) kind = FolderKind::Other;
  std::vector<FolderViewColumn> columns = FolderViewColumns(kind);

  const FolderViewColumn* sort = nullptr;
  SortOrder order = options.order;
  if (!options.sort_column.empty()) {
    sort = FindColumn(columns, options.sort_column);
    if (!sort) UnknownColumn(columns, options.sort_column);
  } else {
    sort = &columns.back();  // the newest first
    order = SortOrder::Descending;
    if (IsCaseView(kind)) {
      sort = &columns.front();
      order = SortOrder::Ascending;
    }
  }
  size_t sort_index = static_cast<size_t>(sort - columns.data());

  std::vector<LayoutValue> widths;
  for (const FolderViewColumn& column : columns) {
    widths.push_back({ValueName(column), std::to_string(column.width)});
  }
  WindowLayout layout = cUISettings::ReadLayout(FolderViewSection(kind), widths);

  host::TableView view;
  view.caption = folder->FolderPath();
  std::string query = "Select MessageClass";
  for (const FolderViewColumn& column : columns) {
    int width = layout.Number(ValueName(column));
    view.columns.push_back({column.heading, width > 0 ? width : column.width});
    query += ", \"" + column.property + "\"";
  }
  query += " from Folder";

  host::Recordset rows = folder->ExecSQL(query);
  std::vector<std::vector<Cell>> cells;
  for (; !rows.Eof(); rows.MoveNext()) {
    if (IsCaseView(kind) &&
        !StartsWithText(CellText(rows.Fields(size_t{0}).Value), kCaseMessageClass)) {
      continue;
    }
    std::vector<Cell> row;
    for (size_t c = 0; c < columns.size(); ++c) {
      row.push_back(ReadCell(columns[c], rows.Fields(c + 1).Value));
    }
    if (sort->kind == CellKind::Text) row[sort_index].key = LCase(row[sort_index].text);
    cells.push_back(std::move(row));
  }
  std::stable_sort(cells.begin(), cells.end(), [&](const auto& a, const auto& b) {
    return order == SortOrder::Ascending ? Less(a[sort_index], b[sort_index], sort->kind)
                                         : Less(b[sort_index], a[sort_index], sort->kind);
  });
  if (options.limit > 0 && cells.size() > options.limit) cells.resize(options.limit);
  for (const auto& row : cells) {
    std::vector<std::string> texts;
    for (const Cell& cell : row) texts.push_back(cell.text);
    view.rows.push_back(std::move(texts));
  }
  return view;
}

bool SaveFolderViewColumnWidth(FolderKind kind, std::string_view column, int width) {
  if (!IsCaseView(kind)) kind = FolderKind::Other;
  std::vector<FolderViewColumn> columns = FolderViewColumns(kind);
  const FolderViewColumn* found = FindColumn(columns, column);
  if (!found) UnknownColumn(columns, column);
  WindowLayout layout;
  layout.SetNumber(ValueName(*found), width);
  return cUISettings::SaveLayout(FolderViewSection(kind), layout);
}

}  // namespace zanvoro
