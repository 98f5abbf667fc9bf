// The seam between the query languages (Items.Find/Restrict filters and the
// table query "Select ... from Folder where ...") and the store's SQL. The
// query compiler knows the grammar; the store backend knows its schema and SQL
// dialect and answers these questions. Names from mail or from a filter never
// reach SQL text: the compiler emits placeholders and binds every literal.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zanvoro::host {

// What a literal in a condition looks like, and so how a column compares.
enum class ValueKind { Text, Number, Date, Boolean };

enum class CompareOp { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

// A property as the backend resolved it: an SQL expression over the item row
// (aliased "i" in every query) and the kind its values compare as.
struct ResolvedColumn {
  std::string sql;   // e.g. "i.subject" or a sub-select on the user property table
  ValueKind kind = ValueKind::Text;
  bool user_property = false;
};

class QueryTarget {
 public:
  virtual ~QueryTarget() = default;
  // Resolves a property name as written in a filter or query: a standard
  // property ("Subject", "EntryID", "LastModificationTime"), a user property
  // ("Case.CaseNumber"), or a named property by its DASL name in the
  // public-strings namespace ("...{00020329-0000-0000-C000-000000000046}/Case.CaseNumber").
  // `literal` is the kind of the value it is compared with (user properties
  // compare as that kind). Raises Error(err::kInvalidProcedureCall) for an
  // unknown standard property.
  virtual ResolvedColumn Resolve(std::string_view name, ValueKind literal) const = 0;
  // SQL for `column op <placeholder>`; text compares without regard to case.
  virtual std::string Comparison(const ResolvedColumn& column, CompareOp op,
                                 std::string_view placeholder) const = 0;
  // SQL for all of `column op <placeholder>` at once (a range such as
  // "from this date to that"). This joins each Comparison with AND; a
  // backend that can test the bounds together overrides it.
  virtual std::string AllComparisons(
      const ResolvedColumn& column,
      const std::vector<std::pair<CompareOp, std::string>>& bounds) const {
    std::string sql;
    for (const auto& [op, placeholder] : bounds)
      sql += (sql.empty() ? "(" : " AND (") + Comparison(column, op, placeholder) + ")";
    return sql;
  }
  // The dialect's placeholder for the n-th bound value (1-based): "?" or "$n".
  virtual std::string Placeholder(size_t n) const = 0;
};

}  // namespace zanvoro::host
