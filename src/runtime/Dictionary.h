// A keyed container whose keys are compared without regard to letter case
// ("sdoOwner" and "SDOOWNER" are one key), in insertion order until
// SortByKey. Each key keeps the spelling it was first added with.
//
// Lookups go through an index of the case-folded keys and take constant time;
// Remove and SortByKey take linear time. Pointers and references to values are
// valid until the next Add, Set of a new key, Remove, SortByKey or Clear.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

template <class V>
class Dictionary {
 public:
  class Entry {
   public:
    Entry(std::string key, std::string folded, V value)
        : key_(std::move(key)), folded_(std::move(folded)), value_(std::move(value)) {}

    const std::string& Key() const { return key_; }
    V& Value() { return value_; }
    const V& Value() const { return value_; }

   private:
    friend class Dictionary;
    std::string key_;
    std::string folded_;  // LCase(key_), the index key
    V value_;
  };

  using iterator = typename std::vector<Entry>::iterator;
  using const_iterator = typename std::vector<Entry>::const_iterator;

  size_t Count() const { return entries_.size(); }
  bool IsEmpty() const { return entries_.empty(); }
  bool Exists(std::string_view key) const { return index_.contains(LCase(key)); }

  // Adds a new key; a key that is already present raises
  // Error(err::kKeyAlreadyAssociated) and leaves the dictionary unchanged.
  void Add(std::string key, V value) {
    std::string folded = LCase(key);
    if (index_.contains(folded)) {
      throw Error(err::kKeyAlreadyAssociated,
                  "This key is already associated with an element of this collection");
    }
    Append(std::move(key), std::move(folded), std::move(value));
  }

  // Replaces the value of a present key (keeping its first spelling and its
  // place) or adds the key at the end.
  void Set(std::string key, V value) {
    std::string folded = LCase(key);
    if (auto it = index_.find(folded); it != index_.end()) {
      entries_[it->second].value_ = std::move(value);
      return;
    }
    Append(std::move(key), std::move(folded), std::move(value));
  }

  // The value of `key`, or nullptr when it is absent.
  V* Find(std::string_view key) {
    auto it = index_.find(LCase(key));
    return it == index_.end() ? nullptr : &entries_[it->second].value_;
  }
  const V* Find(std::string_view key) const {
    auto it = index_.find(LCase(key));
    return it == index_.end() ? nullptr : &entries_[it->second].value_;
  }

  // The value of `key`; an absent key raises Error(err::kSubscriptOutOfRange).
  V& Get(std::string_view key) {
    if (V* value = Find(key)) return *value;
    throw OutOfRange();
  }
  const V& Get(std::string_view key) const {
    if (const V* value = Find(key)) return *value;
    throw OutOfRange();
  }

  // The entry at a 0-based position in the current order; a position past the
  // end raises Error(err::kSubscriptOutOfRange).
  Entry& At(size_t position) {
    if (position >= entries_.size()) throw OutOfRange();
    return entries_[position];
  }
  const Entry& At(size_t position) const {
    if (position >= entries_.size()) throw OutOfRange();
    return entries_[position];
  }

  // Removes `key`; false when it was absent.
  bool Remove(std::string_view key) {
    auto it = index_.find(LCase(key));
    if (it == index_.end()) return false;
    size_t position = it->second;
    index_.erase(it);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    for (auto& [folded, at] : index_) {
      if (at > position) --at;
    }
    return true;
  }

  void Clear() {
    entries_.clear();
    index_.clear();
  }

  // Puts the entries in ascending key order as TextCompare orders them; keys
  // that differ only in case cannot both be present, so the order is total.
  void SortByKey() {
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.folded_ < b.folded_; });
    for (size_t i = 0; i < entries_.size(); ++i) index_[entries_[i].folded_] = i;
  }

  // The keys in the current order, as first spelled.
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const Entry& e : entries_) keys.push_back(e.key_);
    return keys;
  }

  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

 private:
  static Error OutOfRange() {
    return Error(err::kSubscriptOutOfRange, "Subscript out of range");
  }

  void Append(std::string key, std::string folded, V value) {
    entries_.emplace_back(std::move(key), std::move(folded), std::move(value));
    try {
      index_.emplace(entries_.back().folded_, entries_.size() - 1);
    } catch (...) {
      entries_.pop_back();
      throw;
    }
  }

  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t> index_;  // folded key -> position
};

}  // namespace zanvoro
