// A category list (caller departments, problem categories), keyed by name
// (letter case ignored), kept in key order after a whole-list read.
// Failures are reported under "Categories.<operation>".
#pragma once

#include <string>
#include <string_view>

#include "settings/KeyedList.h"
#include "settings/cCategory.h"

namespace zanvoro {

class cCategories : public KeyedList<cCategory> {
 public:
  cCategories() : KeyedList("Categories", ListOrder::ByKey) {}

  // The category named `name`, nullptr when there is none.
  const cCategory* GetCategory(std::string_view name) const { return Find(name); }
  std::string ToStringTab() const { return JoinKeys("\t"); }
  const cCategory* RandomCategory() const { return RandomEntry("RandomCategory"); }
};

}  // namespace zanvoro
