// What every store backend does alike with values and names: how a user
// property's value is kept (its text form and, when it has one, its number),
// and what a property name in a filter or table query names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/store/QueryTarget.h"
#include "host/store/StandardProperty.h"
#include "host/store/StoreTypes.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

// Value columns of a user property: its text form, and its number (also
// dates as day counts and yes/no as 1/0) when it has one.
struct EncodedValue {
  std::optional<std::string> text;
  std::optional<double> number;
};

EncodedValue EncodeUserProperty(UserPropertyType type, const Variant& value);
// The value back from its columns (`number` absent when it was NULL).
Variant DecodeUserProperty(UserPropertyType type, std::string text,
                           std::optional<double> number);

ValueKind KindOf(PropKind kind);
// "=", "<>", "<", ...
const char* OperatorSql(CompareOp op);

// A property name as written in a filter or query: a standard property
// (`standard` set), the entry ID (`entry_id`), or else a user property named
// `user_name`. Raises Error(err::kInvalidProcedureCall) for an unknown DASL
// name.
struct NamedProperty {
  const StandardProperty* standard = nullptr;
  bool entry_id = false;
  std::string user_name;
};
NamedProperty ParsePropertyName(std::string_view name);

// The user property table's value columns.
inline constexpr std::string_view kUserTextValue = "text_value";
inline constexpr std::string_view kUserNumValue = "num_value";

// The scalar sub-select over item_properties a user property resolves to
// (column `column` of the row of name `name_id`), and its parts back: false
// for SQL that is not such a sub-select.
std::string UserPropertySql(int64_t name_id, std::string_view column);
bool ParseUserPropertySql(const std::string& sql, int64_t& name_id, std::string& column);

}  // namespace zanvoro::host
