// What the keyed reference lists share: a dictionary from key to entry whose
// keys ignore letter case, the text form of ListText.h and the array form.
//
// An entry type E provides
//   static constexpr size_t kFieldCount;               // fields in text order
//   std::string ListKey() const;                        // its key in the list
//   std::vector<std::string> TextFields() const;        // kFieldCount texts
//   static E FromTextFields(const std::vector<std::string>& fields);
// where FromTextFields takes missing fields as "" and ignores extra ones.
//
// Reading a whole list (FromString, FromArray) replaces it: the first entry
// read for a key wins and later ones are dropped; then a list kept in key
// order sorts itself ascending by key, and one kept as read keeps the order
// of the text. Add appends and never sorts, so a list built name by name
// (the technicians of a case, primary first) keeps its order.
//
// Table mapping (FromRecordset, ToRecordSet) comes with the settings
// database; entries already carry the row `ID` it needs.
//
// The whole-list operations run under the failure convention with the
// location "<module>.SetString", ".GetString", ".SetArray", ".GetArray"; a
// failure part-way through a read leaves the entries read before it. Values
// are copied with the list. UI thread only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "errors/Trap.h"
#include "runtime/Dictionary.h"
#include "settings/Array2D.h"
#include "settings/ListRandom.h"
#include "settings/ListText.h"

namespace zanvoro {

enum class ListOrder { ByKey, AsRead };

template <class E>
class KeyedList {
 public:
  using Entry = typename Dictionary<E>::Entry;

  size_t Count() const { return items_.Count(); }
  bool IsEmpty() const { return items_.IsEmpty(); }
  bool Exists(std::string_view key) const { return items_.Exists(key); }
  // The entry under `key`, or nullptr. Valid until the list changes.
  const E* Find(std::string_view key) const { return items_.Find(key); }
  E* Find(std::string_view key) { return items_.Find(key); }
  // Appends `entry` under its key; false, and no change, when the key is
  // already present.
  bool Add(E entry) {
    std::string key = entry.ListKey();
    if (items_.Exists(key)) return false;
    items_.Add(std::move(key), std::move(entry));
    return true;
  }
  bool Remove(std::string_view key) { return items_.Remove(key); }
  void Clear() { items_.Clear(); }
  void SortByKey() { items_.SortByKey(); }
  // The entry at `index` in the current order, from 0; nullptr when out of
  // range.
  const E* GetItem(int64_t index) const {
    if (index < 0 || static_cast<uint64_t>(index) >= items_.Count()) return nullptr;
    return &items_.At(static_cast<size_t>(index)).Value();
  }
  std::vector<std::string> Keys() const { return items_.Keys(); }

  // Entries in the current order (Entry::Key(), Entry::Value()).
  typename Dictionary<E>::const_iterator begin() const { return items_.begin(); }
  typename Dictionary<E>::const_iterator end() const { return items_.end(); }

  // Replaces the list from its text form; an empty text leaves it as it is.
  void FromString(std::string_view text) {
    Trap(Location("SetString"), [&] {
      if (text.empty()) return;
      ReplaceWith(ReadListText(text));
    });
  }
  // The text form, entries in the current order.
  std::string ToString() const {
    return Trap(Location("GetString"), std::string{}, [&] {
      std::vector<std::string> entries;
      for (const Entry& entry : items_) {
        entries.push_back(WriteListEntry(entry.Value().TextFields()));
      }
      return Join(entries, kListEntrySeparator);
    });
  }

  // Replaces the list from rows of fields in text order; rows whose cells are
  // all empty are skipped.
  void FromArray(const Array2D& array) {
    Trap(Location("SetArray"), [&] { ReplaceWith(ArrayRows(array, E::kFieldCount)); });
  }
  // One row per entry in the current order, kFieldCount text cells each.
  Array2D ToArray() const {
    return Trap(Location("GetArray"), Array2D{}, [&] {
      Array2D array(items_.Count(), E::kFieldCount);
      size_t row = 0;
      for (const Entry& entry : items_) {
        std::vector<std::string> fields = entry.Value().TextFields();
        for (size_t column = 0; column < fields.size() && column < E::kFieldCount;
             ++column) {
          array.Set(row, column, std::move(fields[column]));
        }
        ++row;
      }
      return array;
    });
  }

 protected:
  KeyedList(std::string module, ListOrder order)
      : module_(std::move(module)), order_(order) {}

  std::string Location(std::string_view procedure) const {
    return module_ + "." + std::string(procedure);
  }

  // Empties the list, then adds an entry made by `make` per row (first key
  // wins) and puts the list in its order. Runs inside the caller's trap.
  void ReplaceWith(const std::vector<std::vector<std::string>>& rows,
                   E (*make)(const std::vector<std::string>&) = &E::FromTextFields) {
    items_.Clear();
    for (const std::vector<std::string>& fields : rows) Add(make(fields));
    if (order_ == ListOrder::ByKey && items_.Count() > 1) items_.SortByKey();
  }

  // The first `columns` cells of every row as text, leaving out rows that
  // are all empty.
  static std::vector<std::vector<std::string>> ArrayRows(const Array2D& array,
                                                         size_t columns) {
    std::vector<std::vector<std::string>> rows;
    size_t width = std::min(columns, array.Columns());
    for (size_t row = 0; row < array.Rows(); ++row) {
      std::vector<std::string> fields;
      bool blank = true;
      for (size_t column = 0; column < width; ++column) {
        fields.push_back(CellText(array.At(row, column)));
        blank = blank && fields.back().empty();
      }
      if (!blank) rows.push_back(std::move(fields));
    }
    return rows;
  }

  // A randomly chosen entry under the location `<module>.<procedure>`;
  // nullptr when the list is empty.
  const E* RandomEntry(std::string_view procedure) const {
    return Trap(Location(procedure), static_cast<const E*>(nullptr), [&]() -> const E* {
      if (items_.IsEmpty()) return nullptr;
      return &items_.At(RandomListIndex(items_.Count())).Value();
    });
  }

  // The values of one text field in the current order, empty ones left out,
  // joined by `separator`.
  std::string JoinField(std::string E::*field, std::string_view separator) const {
    std::vector<std::string> values;
    for (const Entry& entry : items_) {
      const std::string& value = entry.Value().*field;
      if (!value.empty()) values.push_back(value);
    }
    return Join(values, separator);
  }

  // The keys in the current order joined by `separator`.
  std::string JoinKeys(std::string_view separator) const {
    return Join(items_.Keys(), separator);
  }

  Dictionary<E> items_;

 private:
  std::string module_;
  ListOrder order_;
};

}  // namespace zanvoro
