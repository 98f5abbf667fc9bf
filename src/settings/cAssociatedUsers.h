// The other people to copy on a caller's cases: a list of names with their
// e-mail addresses, keyed by name (letter case ignored), kept in name order
// after FromString.
//
// Text form: entries joined by "||", each entry the name, ">>" and the
// address; inside a caller's text form this whole text is one field.
// Reading takes the address from after the last ">>" of an entry, so a name
// holding ">>" comes back whole; an entry without ">>" is a name with no
// address; empty entries are skipped. Limit of the stored form: a name or
// address holding "||", an address holding ">>", or a "|" at the edge of an
// entry next to "||" does not come back as it was.
//
// Operations run under the failure convention with the locations
// "AssociatedUsers.<operation>". UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Dictionary.h"

namespace zanvoro {

struct AssociatedUser {
  std::string Name;
  std::string Email;
};

class cAssociatedUsers {
 public:
  size_t Count() const { return items_.Count(); }
  bool IsEmpty() const { return items_.IsEmpty(); }
  bool Exists(std::string_view name) const { return items_.Exists(name); }
  const AssociatedUser* Find(std::string_view name) const { return items_.Find(name); }
  // Appends a user; false, and no change, when the name is already present.
  bool Add(AssociatedUser user);
  bool Remove(std::string_view name) { return items_.Remove(name); }
  void Clear() { items_.Clear(); }
  // The user at `index` in the current order, from 0; nullptr when out of range.
  const AssociatedUser* GetItem(int64_t index) const;

  Dictionary<AssociatedUser>::const_iterator begin() const { return items_.begin(); }
  Dictionary<AssociatedUser>::const_iterator end() const { return items_.end(); }

  // Replaces the list from its text form (first name wins, then name order);
  // an empty text leaves it as it is.
  void FromString(std::string_view text);
  std::string ToString() const;
  // The addresses joined by ";" and the names joined by ",", in the current
  // order; empty addresses (names) leave no empty item.
  std::string ToEmails() const;
  std::string ToNames() const;

 private:
  std::string JoinField(std::string AssociatedUser::*field,
                        std::string_view separator) const;

  Dictionary<AssociatedUser> items_;
};

}  // namespace zanvoro
