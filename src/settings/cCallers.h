// The caller list: callers keyed by e-mail address (letter case ignored),
// kept in key order after a whole-list read. Failures are reported under
// "Callers.<operation>".
#pragma once

#include <string>
#include <string_view>

#include "runtime/Dictionary.h"
#include "settings/KeyedList.h"
#include "settings/cCaller.h"

namespace zanvoro {

class cCallers : public KeyedList<cCaller> {
 public:
  cCallers() : KeyedList("Callers", ListOrder::ByKey) {}

  // The name of the caller whose address is `email` (letter case ignored);
  // "" when there is none.
  std::string GetCallerNameFromEmail(std::string_view email) const;
  // Address and name of the caller at `index` in key order; "" when out of
  // range.
  std::string GetCallerEmailByIndex(int64_t index) const;
  std::string GetCallerNameByIndex(int64_t index) const;

  // Rebuilds the index from caller name to address that CallerNames
  // returns: callers without a name are left out, and of two callers with
  // one name (letter case ignored) the first in key order is kept.
  void LoadCallerNamesInDictionary();
  const Dictionary<std::string>& CallerNames() const { return names_; }

  // FromArray for demo data, whose rows hold the first ten fields only (no
  // associated users); further columns are ignored.
  void FromArrayDemo(const Array2D& array);

  // A random caller, nullptr when the list is empty.
  const cCaller* RandomCaller() const { return RandomEntry("RandomCaller"); }

 private:
  Dictionary<std::string> names_;
};

}  // namespace zanvoro
