// What an explorer shows of a folder as a table. The case folders show
// their cases: the Ongoing folder the number, subject, caller,
// technicians, status, problem type, due and creation dates; the Resolved
// folder the number, subject, caller, technicians, problem type, creation
// and closing dates. Any other folder shows its items' subject, sender and
// received time. Column widths (twips) are remembered in the user's hive,
// one section per view ("OngoingView", "ResolvedView", "FolderView"),
// value "Col_" + the column's name. UI thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "case/FolderMarkers.h"
#include "host/ui/TableView.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

enum class SortOrder { Ascending, Descending };
enum class CellKind { Text, Number, Date };

struct FolderViewOptions {
  // A column's name or heading (any case); empty: the view's own order
  // (case number ascending; other folders the newest first).
  std::string sort_column;
  SortOrder order = SortOrder::Ascending;
  // Rows at most, after sorting; 0: every row.
  size_t limit = 0;
};

struct FolderViewColumn {
  std::string name;      // "Number"
  std::string heading;   // in the loaded language
  std::string property;  // read by the table query
  CellKind kind = CellKind::Text;
  int width = 1500;  // the default width
};

// The columns of the view of a folder of `kind`, in order.
std::vector<FolderViewColumn> FolderViewColumns(FolderKind kind);
// The hive section of the view of `kind`.
std::string_view FolderViewSection(FolderKind kind);

// The view of `folder`: its kind's columns at their remembered widths and
// one row per item, read with one table query; case views list only case
// items. An unknown sort column raises Error(err::kInvalidProcedureCall)
// naming the view's columns.
host::TableView BuildFolderView(const std::shared_ptr<host::MAPIFolder>& folder,
                                const FolderViewOptions& options = {});
// Remembers the width of the column `column` (name or heading) of the view
// of `kind`. Raises Error(err::kInvalidProcedureCall) for an unknown
// column; false when the hive cannot be written.
bool SaveFolderViewColumnWidth(FolderKind kind, std::string_view column, int width);

}  // namespace zanvoro
