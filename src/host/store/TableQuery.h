// The table query over one folder's items:
//   Select EntryID, Subject, "<DASL name>" from Folder
//     where <condition> order by LastModificationTime desc
// Keywords in any case; columns are standard property names or DASL names in
// double quotes; the condition uses the Sql syntax of Filter.h. The query is
// compiled into the parts of one SELECT, which the backend completes with its
// FROM and its restriction to the folder; items are never loaded whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/Filter.h"
#include "host/store/QueryTarget.h"

namespace zanvoro::host {

struct TableQuery {
  // Column names as written, without quotes; also the recordset's field names.
  std::vector<std::string> columns;
  std::optional<Condition> condition;
  std::string order_by;  // empty: no ordering asked for
  bool descending = false;
};

// Parses "Select <col>[, <col>...] from Folder [where <cond>] [order by <col>
// [asc|desc]]". Raises Error(err::kInvalidProcedureCall) on bad syntax, with
// a description naming the position and the text found there:
//   Cannot parse query. Error at "Folders" (character 22): expected "Folder".
TableQuery ParseTableQuery(std::string_view text);

struct SqlSelect {
  std::vector<std::string> column_sql;   // one SQL expression per column
  std::vector<std::string> field_names;  // the names as written, same order
  SqlCondition where;                    // sql empty when there is no condition
  std::string order_by_sql;              // "expr" or "expr DESC"; empty if none
};

// Resolves each column (as a Text-kind property) and the ordering column
// through `target` and compiles the condition (CompileCondition), its
// placeholders numbered from `first_placeholder`.
SqlSelect CompileTableQuery(const TableQuery& query, const QueryTarget& target,
                            size_t first_placeholder = 1);

}  // namespace zanvoro::host
