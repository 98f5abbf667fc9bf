// The list operations the case's log and work list share: entries keyed by
// their ID, kept in insertion order, an ID taken once only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "runtime/Dictionary.h"

namespace zanvoro {

// T has an int32_t `ID` and a `ToString()`.
template <class T>
class EntryList {
 public:
  size_t Count() const { return items_.Count(); }
  bool Exists(int32_t id) const { return items_.Exists(std::to_string(id)); }
  // Adds `entry` unless its ID is taken; returns whether it was added.
  bool Add(T entry) {
    std::string key = std::to_string(entry.ID);
    if (items_.Exists(key)) return false;
    items_.Add(std::move(key), std::move(entry));
    return true;
  }
  // 0-based, in list order; nullptr outside.
  const T* GetItem(size_t index) const {
    return index < items_.Count() ? &items_.At(index).Value() : nullptr;
  }
  typename Dictionary<T>::const_iterator begin() const { return items_.begin(); }
  typename Dictionary<T>::const_iterator end() const { return items_.end(); }

  // Each entry's text followed by "\r\n====\r\n".
  std::string ToString() const {
    std::string text;
    for (const auto& entry : items_) {
      text += entry.Value().ToString();
      text += "\r\n====\r\n";
    }
    return text;
  }

 protected:
  void Clear() { items_.Clear(); }

 private:
  Dictionary<T> items_;  // keyed by the decimal ID
};

}  // namespace zanvoro
