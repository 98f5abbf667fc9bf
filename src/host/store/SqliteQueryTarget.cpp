#include "host/store/SqliteBackend.h"
#include "host/store/SqliteBackendImpl.h"
#include "host/store/SqliteSchema.h"
#include "host/store/StoreValues.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

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
  std::string sql = "i.id IN (SELECT p.item_id FROM item_properties p WHERE p.name_id = " +
                    std::to_string(name_id);
  for (const auto& [op, placeholder] : bounds)
    sql += " AND p." + value_column + " " + OperatorSql(op) + " " + placeholder + collate;
  return sql + ")";
}

std::string SqliteBackend::Placeholder(size_t n) const { return "?" + std::to_string(n); }

}  // namespace zanvoro::host
