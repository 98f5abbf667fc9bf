#include "case/ItemProperty.h"

#include "errors/modErroHandling.h"
#include "host/store/Item.h"
#include "host/store/UserProperties.h"
#include "host/ui/MsgBox.h"
#include "runtime/Error.h"

namespace zanvoro {

namespace {

bool IsNumberCode(VarType type) {
  return type == VarType::Integer || type == VarType::Long || type == VarType::Double;
}

host::UserPropertyType PropertyTypeFor(VarType type) {
  switch (type) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
      return host::UserPropertyType::Number;
    case VarType::Currency:
      return host::UserPropertyType::Currency;
    case VarType::Date:
      return host::UserPropertyType::DateTime;
    case VarType::Boolean:
      return host::UserPropertyType::YesNo;
    default:
      return host::UserPropertyType::Text;
  }
}

// A conversion that the value does not allow gives `otherwise`.
template <class F>
Variant Converted(F&& convert, Variant otherwise) {
  try {
    return Variant(convert());
  } catch (const Error&) {
    return otherwise;
  }
}

Variant ReadFound(const Variant& value, VarType type, const Variant& fallback) {
  switch (type) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
      return IsNumeric(value) ? value : Variant(int32_t{0});
    case VarType::Currency:
      return value.IsNull() ? Variant(Currency{}) : value;
    case VarType::Date:
      return IsDate(value) ? value : Variant(kZeroDate);
    case VarType::Boolean:
      return Converted([&] { return CBool(value); }, Variant(false));
    default: {
      bool empty =
          value.IsEmpty() || value.IsNull() || (value.IsText() && value.Text().empty());
      bool fallback_empty = fallback.IsEmpty() || fallback.IsNull() ||
                            (fallback.IsText() && fallback.Text().empty());
      return empty && !fallback_empty ? fallback : value;
    }
  }
}

Variant ReadMissing(VarType type, const Variant& fallback) {
  switch (type) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
      return IsNumeric(fallback) && CDbl(fallback) != 0 ? fallback : Variant(int32_t{0});
    case VarType::Currency:
      return fallback.IsEmpty() || (fallback.IsText() && fallback.Text().empty())
                 ? Variant(Currency{})
                 : fallback;
    case VarType::Date:
      return Variant(kZeroDate);
    case VarType::Boolean:
      return IsNumeric(fallback) ? Variant(CBool(fallback)) : Variant();
    default:
      return fallback;
  }
}

Variant ValueToWrite(const Variant& value, VarType type) {
  if (IsNumberCode(type)) return IsNumeric(value) ? value : Variant(int32_t{0});
  switch (type) {
    case VarType::Currency:
      return value.IsNull() ? Variant(Currency{}) : value;
    case VarType::Date:
      // A value that is no date is stored as "no date".
      return IsDate(value) ? value : Variant("1/1/4501");
    case VarType::Boolean:
      return Converted([&] { return CBool(value); }, Variant(""));
    default:
      return Converted([&] { return CStr(value); }, Variant(""));
  }
}

void ShowConflict(host::Item& item) {
  host::MsgBox(
      std::string("There is a conflict with this Outlook item '") + item.Subject() +
          "'\r\nYou would need to resolve this conflict, by opening it, and choosing a "
          "version of the item to retain!",
      host::vbInformation, kApplicationTitle);
}

}  // namespace

Variant ReadItemProperty(host::Item& item, std::string_view name, VarType type,
                         const Variant& fallback) {
  host::UserProperty* property = item.UserProperties().Find(name);
  if (!property) return ReadMissing(type, fallback);
  return ReadFound(property->Value(), type, fallback);
}

bool WriteItemProperty(host::Item& item, std::string_view name, const Variant& value,
                       VarType type) {
  host::UserProperty* property = nullptr;
  try {
    property = item.UserProperties().Find(name);
  } catch (const Error& error) {
    if (error.Number() != err::kObjectChanged) throw;
    ShowConflict(item);
    return false;
  }
  if (!property) property = item.UserProperties().Add(name, PropertyTypeFor(type), false);
  property->SetValue(ValueToWrite(value, type));
  return true;
}

std::string ReadItemText(host::Item& item, std::string_view name,
                         std::string_view fallback) {
  Variant value = ReadItemProperty(item, name, VarType::String, Variant(fallback));
  return Converted([&] { return CStr(value); }, Variant("")).Text();
}

Date ReadItemDate(host::Item& item, std::string_view name) {
  Variant value = ReadItemProperty(item, name, VarType::Date);
  try {
    return CDate(value);
  } catch (const Error&) {
    return kZeroDate;
  }
}

int32_t ReadItemLong(host::Item& item, std::string_view name) {
  Variant value = ReadItemProperty(item, name, VarType::Long);
  try {
    return CLng(value);
  } catch (const Error&) {
    return 0;
  }
}

bool ReadItemBoolean(host::Item& item, std::string_view name) {
  Variant value = ReadItemProperty(item, name, VarType::Boolean);
  return value.As<bool>() ? *value.As<bool>() : false;
}

}  // namespace zanvoro
