#include <cstdio>
#include <map>

#include "host/store/SqliteBackend.h"
#include "host/store/SqliteBackendImpl.h"
#include "host/store/SqliteSchema.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

// The user property table's value column for a comparison literal.
constexpr std::string_view kTextValue = "text_value";
constexpr std::string_view kNumValue = "num_value";

ValueKind KindOf(PropKind kind) {
  switch (kind) {
    case PropKind::Text:
      return ValueKind::Text;
    case PropKind::Long:
      return ValueKind::Number;
    case PropKind::Date:
      return ValueKind::Date;
    case PropKind::Boolean:
      return ValueKind::Boolean;
  }
  return ValueKind::Text;
}

const char* OperatorSql(CompareOp op) {
  switch (op) {
    case CompareOp::Equal:
      return "=";
    case CompareOp::NotEqual:
      return "<>";
    case CompareOp::Less:
      return "<";
    case CompareOp::LessOrEqual:
      return "<=";
    case CompareOp::Greater:
      return ">";
    case CompareOp::GreaterOrEqual:
      return ">=";
  }
  return "=";
}

// The mail client's DASL names of a few standard properties.
const std::map<std::string, Prop, std::less<>>& DaslNames() {
  static const std::map<std::string, Prop, std::less<>> names = {
      {"urn:schemas:httpmail:subject", Prop::Subject},
      {"urn:schemas:httpmail:textdescription", Prop::Body},
      {"urn:schemas:httpmail:htmldescription", Prop::HTMLBody},
      {"urn:schemas:httpmail:datereceived", Prop::ReceivedTime},
      {"urn:schemas:httpmail:fromname", Prop::SenderName},
      {"urn:schemas:httpmail:fromemail", Prop::SenderEmailAddress},
      {"urn:schemas:httpmail:importance", Prop::Importance},
      {"urn:schemas:httpmail:read", Prop::UnRead},
      {"urn:schemas:mailheader:message-id", Prop::MessageID},
      {"urn:schemas:mailheader:in-reply-to", Prop::InReplyTo},
      {"dav:getlastmodified", Prop::LastModificationTime},
      {"urn:schemas:calendar:dtstart", Prop::Start},
      {"urn:schemas:calendar:dtend", Prop::End},
      {"urn:schemas:calendar:location", Prop::Location},
  };
  return names;
}

constexpr std::string_view kPublicStrings = "http://schemas.microsoft.com/mapi/string/";

// The scalar sub-select a user property resolves to, and its parts back.
std::string UserPropertySql(int64_t name_id, std::string_view column) {
  return "(SELECT p." + std::string(column) +
         " FROM item_properties p WHERE p.name_id = " + std::to_string(name_id) +
         " AND p.item_id = i.id)";
}

}  // namespace

bool ParseUserPropertySql(const std::string& sql, int64_t& name_id, std::string& column) {
  char col[16] = {};
  long long id = 0;
  if (std::sscanf(sql.c_str(),
                  "(SELECT p.%15[a-z_] FROM item_properties p WHERE p.name_id = %lld AND",
                  col, &id) != 2)
    return false;
  name_id = id;
  column = col;
  return column == kTextValue || column == kNumValue;
}

ResolvedColumn SqliteBackend::Resolve(std::string_view name, ValueKind literal) const {
  std::string_view user_name = name;
  if (StartsWithText(name, kPublicStrings)) {
    size_t end = name.find("}/");
    if (end == std::string_view::npos || end + 2 >= name.size())
      throw Error(err::kInvalidProcedureCall, "Unknown property: " + std::string(name),
                  kStoreSource);
    user_name = name.substr(end + 2);
  } else if (name.find(':') != std::string_view::npos) {
    auto it = DaslNames().find(LCase(name));
    if (it == DaslNames().end())
      throw Error(err::kInvalidProcedureCall, "Unknown property: " + std::string(name),
                  kStoreSource);
    const StandardProperty& p = Describe(it->second);
    return {"i." + ColumnName(p), KindOf(p.kind), false};
  } else if (TextEquals(name, "EntryID")) {
    return {"i.entry_id", ValueKind::Text, false};
  } else if (const StandardProperty* p = FindStandardProperty(name)) {
    return {"i." + ColumnName(*p), KindOf(p->kind), false};
  }
  int64_t name_id = NameId(*impl_, user_name, false);
  if (name_id == 0) return {"NULL", literal, true};
  return {UserPropertySql(name_id, literal == ValueKind::Text ? kTextValue : kNumValue),
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
