#include <cstdio>

#include "host/store/SqliteBackend.h"
#include "host/store/SqliteBackendImpl.h"
#include "host/store/SqliteSchema.h"
#include "host/store/StoreValues.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

// The start of a property search driven by the property's index (see
// AllComparisons). Its conditions follow up to the closing parenthesis; they
// hold placeholders only, never a literal.
constexpr std::string_view kIndexDriven =
    "i.id IN (SELECT p.item_id FROM item_properties p WHERE ";

// Whether the search of user property values `conditions` (as the index
// driven search has them) costs less checked on each item of folder
// `folder_id` than looked up item by item from the list the index gives.
// The list holds the matching items of every folder, and a look-up costs
// about one and a half checks: the folder is checked when it holds fewer
// than one and a half items for each one listed. Counting the list and the
// folder's items (never past that) costs a small part of either.
bool CheckEachItem(SqliteBackend::Impl& impl, int64_t folder_id,
                   const std::string& conditions, const std::vector<Variant>& params) {
  long long name_id = 0;
  if (std::sscanf(conditions.c_str(), "p.name_id = %lld", &name_id) != 1) return false;
  // Without its index the list is a pass over every item's properties.
  if (!impl.searched.contains(name_id)) return true;
  int64_t listed = 0;
  {
    SqliteQuery q(impl, "SELECT count(*) FROM item_properties p WHERE " + conditions);
    for (size_t i = 0; i < params.size(); ++i) q.Bind(static_cast<int>(i + 2), params[i]);
    if (q.Step()) listed = q.Int(0);
  }
  if (listed == 0) return false;
  SqliteQuery q(impl, "SELECT 1 FROM items WHERE folder_id = ?1 LIMIT 1 OFFSET ?2");
  q.Bind(1, folder_id).Bind(2, listed + listed / 2);
  return !q.Step();
}

}  // namespace

std::string ChooseSearchPaths(SqliteBackend::Impl& impl, int64_t folder_id,
                              const std::string& where_sql,
                              const std::vector<Variant>& params) {
  size_t at = where_sql.find(kIndexDriven);
  if (at == std::string::npos) return where_sql;
  std::string sql;
  size_t done = 0;
  for (; at != std::string::npos; at = where_sql.find(kIndexDriven, done)) {
    const size_t begin = at + kIndexDriven.size();
    const size_t end = where_sql.find(')', begin);
    if (end == std::string::npos) break;
    const std::string conditions = where_sql.substr(begin, end - begin);
    sql.append(where_sql, done, at - done);
    if (CheckEachItem(impl, folder_id, conditions, params)) {
      sql += "EXISTS (SELECT 1 FROM item_properties p WHERE p.item_id = i.id AND " +
             conditions + ")";
    } else {
      sql.append(where_sql, at, end + 1 - at);
    }
    done = end + 1;
  }
  sql.append(where_sql, done);
  return sql;
}

ResolvedColumn SqliteBackend::Resolve(std::string_view name, ValueKind literal) const {
  NamedProperty named = ParsePropertyName(name);
  if (named.entry_id) return {"i.entry_id", ValueKind::Text, false};
  if (named.standard)
    return {"i." + ColumnName(*named.standard), KindOf(named.standard->kind), false};
  const std::string& user_name = named.user_name;
  int64_t name_id = NameId(*impl_, user_name, false);
  if (name_id == 0) return {"NULL", literal, true};
  return {UserPropertySql(name_id, literal == ValueKind::Text ? kUserTextValue : kUserNumValue),
          literal, true};
}

std::string SqliteBackend::Comparison(const ResolvedColumn& column, CompareOp op,
                                      std::string_view placeholder) const {
  std::string ph(placeholder);
  bool text = column.kind == ValueKind::Text;
  std::string collate = text ? " COLLATE NOCASE" : "";
  if (column.user_property) {
    if (column.sql == "NULL") return "0";
    int64_t name_id = 0;
    std::string value_column;
    if (ParseUserPropertySql(column.sql, name_id, value_column))
      return AllComparisons(column, {{op, ph}});
  }
  return column.sql + " " + OperatorSql(op) + " " + ph + collate;
}

std::string SqliteBackend::AllComparisons(
    const ResolvedColumn& column,
    const std::vector<std::pair<CompareOp, std::string>>& bounds) const {
  int64_t name_id = 0;
  std::string value_column;
  if (!column.user_property || !ParseUserPropertySql(column.sql, name_id, value_column))
    return QueryTarget::AllComparisons(column, bounds);
  if (!impl_->searched.contains(name_id)) impl_->to_index.insert(name_id);
  // Driven by the property's partial index (its condition names the id
  // literally so SQLite can use it), so a search never walks the folder;
  // one pass over it for all the bounds.
  std::string collate = column.kind == ValueKind::Text ? " COLLATE NOCASE" : "";
  // ChooseSearchPaths turns it into a check of each item of the folder when
  // the index lists many items for the folder's size.
  std::string sql = std::string(kIndexDriven) + "p.name_id = " + std::to_string(name_id);
  for (const auto& [op, placeholder] : bounds)
    sql += " AND p." + value_column + " " + OperatorSql(op) + " " + placeholder + collate;
  return sql + ")";
}

std::string SqliteBackend::Placeholder(size_t n) const { return "?" + std::to_string(n); }

}  // namespace zanvoro::host
