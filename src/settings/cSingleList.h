// A list of plain texts (the status list, the asset-field and custom-field
// value lists, origins, problem fields), keyed by the text itself with
// letter case ignored: of two items that differ only in case the first is
// kept. Kept in ascending order after a whole-list read.
//
// Text form: the items joined by a separator the caller passes (a line
// break for origins and problem fields, a tab for ToStringTab). Reading
// skips empty and blank items, so a text ending in the separator gives no
// empty item, and an empty text gives an empty list.
//
// Table mapping (FromRecordset, ToRS: rows found by their text) comes with
// the settings database.
//
// Failures are reported under "SingleList.<operation>". UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Dictionary.h"
#include "settings/Array2D.h"

namespace zanvoro {

namespace host {
class ListControl;
}  // namespace host

class cSingleList {
 public:
  size_t Count() const { return items_.Count(); }
  bool IsEmpty() const { return items_.IsEmpty(); }
  bool Exists(std::string_view item) const { return items_.Exists(item); }
  // Appends `item`; false, and no change, when it is present or blank.
  bool Add(std::string item);
  bool Remove(std::string_view item) { return items_.Remove(item); }
  void Clear() { items_.Clear(); }
  std::vector<std::string> Items() const { return items_.Keys(); }

  // The item at `index` in the current order, from 0, trimmed; "" when out
  // of range.
  std::string GetItem(int64_t index) const;
  std::string FirstItem() const { return GetItem(0); }

  // Replaces the list by the items of `text` split at `separator`.
  void FromString(std::string_view text, std::string_view separator);
  std::string ToString(std::string_view separator) const;
  // The same with an empty first item, for a choice that may stay empty.
  std::string ToStringWithEmptyValue(std::string_view separator) const;
  std::string ToStringTab() const { return ToString("\t"); }

  // Clears `control` and adds every item; FromComboOrList replaces the list
  // by the control's items.
  void PopulateComboList(host::ListControl& control) const;
  void FromComboOrList(const host::ListControl& control);

  // One column, one row per item; FromArray reads the first column and
  // replaces the list.
  void FromArray(const Array2D& array);
  Array2D ToArray() const;

  // A random item, trimmed; "" when the list is empty.
  std::string RandomItem() const;

 private:
  void ReplaceWith(const std::vector<std::string>& items);

  Dictionary<std::string> items_;
};

}  // namespace zanvoro
