#include "settings/cOutlookSettings.h"

#include <vector>

#include "errors/Trap.h"
#include "runtime/Text.h"
#include "settings/ListText.h"

namespace zanvoro {

namespace {

// The value of `text` as `type`, never raising: what does not convert gives
// the type's zero.
Variant Convert(const std::string& text, VarType type) {
  try {
    switch (type) {
      case VarType::Integer:
        return IsNumeric(text) ? Variant(CInt(Variant(text))) : Variant(int16_t{0});
      case VarType::Long:
        return Variant(ReadIntegerField(text));
      case VarType::LongLong:
        return IsNumeric(text) ? Variant(CLngLng(Variant(text))) : Variant(int64_t{0});
      case VarType::Double:
        return IsNumeric(text) ? Variant(CDbl(Variant(text))) : Variant(0.0);
      case VarType::Currency:
        return Variant(ReadCurrencyField(text));
      case VarType::Boolean:
        return Variant(CBool(Variant(Trim(text))));
      case VarType::Date:
        return IsDate(text) ? Variant(CDate(Variant(text))) : Variant(Date());
      default:
        return Variant(text);
    }
  } catch (const Error&) {  // out of range, or not a yes/no value
    switch (type) {
      case VarType::Integer:
        return Variant(int16_t{0});
      case VarType::LongLong:
        return Variant(int64_t{0});
      case VarType::Double:
        return Variant(0.0);
      case VarType::Boolean:
        return Variant(false);
      case VarType::Date:
        return Variant(Date());
      default:
        return Variant(text);
    }
  }
}

}  // namespace

Variant cOutlookSettings::GetValue(std::string_view key, VarType type) const {
  return Trap("OutlookSettings.GetValue", Variant{}, [&] {
    const cOutlookSetting* setting = items_.Find(key);
    return Convert(setting ? setting->KeyVal : std::string{}, type);
  });
}

void cOutlookSettings::SetValue(std::string_view key, std::string_view value) {
  Trap("OutlookSettings.SetValue", [&] {
    if (cOutlookSetting* setting = items_.Find(key)) {
      setting->KeyVal = std::string(value);
      return;
    }
    items_.Add(std::string(key), cOutlookSetting{std::string(key), std::string(value)});
  });
}

void cOutlookSettings::FromString(std::string_view text) {
  Trap("OutlookSettings.FromString", [&] {
    if (text.empty()) return;
    items_.Clear();
    for (std::vector<std::string>& fields : ReadListText(text)) {
      std::string key = fields[0];
      if (items_.Exists(key)) continue;  // the first value of a key wins
      fields.erase(fields.begin());
      std::string value = Join(fields, kListFieldSeparator);
      items_.Add(key, cOutlookSetting{key, std::move(value)});
    }
  });
}

std::string cOutlookSettings::ToString() const {
  return Trap("OutlookSettings.ToString", std::string{}, [&] {
    std::vector<std::string> entries;
    for (const auto& entry : items_) {
      entries.push_back(WriteListEntry({entry.Value().KeyID, entry.Value().KeyVal}));
    }
    return Join(entries, kListEntrySeparator);
  });
}

}  // namespace zanvoro
