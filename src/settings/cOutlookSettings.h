// A key/value settings store (the general options, the counters): keys
// compare without regard to letter case ("sdoOwner" and "SDOOWNER" are one
// key), values are text. When a text or table holds a key twice, the first
// value wins. Entries keep the order in which they were read or added.
//
// Text form: entries joined by ":", each the encoded key, ";" and the
// encoded value, encoded as in ListText.h (with the same limit: a literal
// "&semicolon" or "&colon" reads back as ";" or ":"). Reading is lenient:
// empty entries are skipped, an entry without ";" is a key with an empty
// value, and extra ";" in an entry (never written) stay in the value.
//
// Table mapping (FromRecordset, SaveToTable, ToRecordSet over KeyID and
// KeyVal) comes with the settings database; entries read from a table will
// carry the row's ID.
//
// Failures are reported under "OutlookSettings.<operation>". UI thread only.
#pragma once

#include <string>
#include <string_view>

#include "runtime/Dictionary.h"
#include "runtime/Variant.h"
#include "settings/cOutlookSetting.h"

namespace zanvoro {

class cOutlookSettings {
 public:
  size_t Count() const { return items_.Count(); }
  bool IsEmpty() const { return items_.IsEmpty(); }
  bool Exists(std::string_view key) const { return items_.Exists(key); }
  // The entry of `key`, nullptr when absent. Valid until the store changes.
  const cOutlookSetting* Find(std::string_view key) const { return items_.Find(key); }
  bool Remove(std::string_view key) { return items_.Remove(key); }
  void Clear() { items_.Clear(); }

  Dictionary<cOutlookSetting>::const_iterator begin() const { return items_.begin(); }
  Dictionary<cOutlookSetting>::const_iterator end() const { return items_.end(); }

  // The value of `key` as `type`:
  //   Integer, Long, LongLong, Double: the number when the text is numeric
  //     and fits, else 0;
  //   Currency: the same, 0 when not numeric;
  //   Boolean: "1", "-1", "True" (any case) and other non-zero numbers are
  //     true; anything that does not convert is false;
  //   Date: the date the text reads as, else the zero date;
  //   anything else: the text.
  // A missing key gives 0, false, the zero date or "" accordingly.
  Variant GetValue(std::string_view key, VarType type) const;
  // Adds `key` at the end, or replaces the value of a present key (keeping
  // its spelling, place and row).
  void SetValue(std::string_view key, std::string_view value);

  // Replaces the store from its text form; an empty text leaves it as it is.
  void FromString(std::string_view text);
  std::string ToString() const;

 private:
  Dictionary<cOutlookSetting> items_;
};

}  // namespace zanvoro
