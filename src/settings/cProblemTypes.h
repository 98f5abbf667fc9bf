// The problem-type list, keyed by type name followed by category name (see
// cProblemType.h; letter case ignored), kept in key order after a
// whole-list read. Failures are reported under "Problems.<operation>".
#pragma once

#include <string>
#include <string_view>

#include "settings/KeyedList.h"
#include "settings/cProblemType.h"

namespace zanvoro {

class cProblemTypes : public KeyedList<cProblemType> {
 public:
  cProblemTypes() : KeyedList("Problems", ListOrder::ByKey) {}

  // The first entry in the list's order whose type name is `problem_type`
  // (letter case ignored), nullptr when there is none.
  const cProblemType* Query(std::string_view problem_type) const;
  // The entry of `problem_type` under `problem_category`, nullptr when there
  // is none.
  const cProblemType* Query(std::string_view problem_type,
                            std::string_view problem_category) const;
  // The type names in the list's order joined by tabs.
  std::string ToStringTab() const;
  const cProblemType* RandomProblemType() const {
    return RandomEntry("RandomProblemType");
  }
};

}  // namespace zanvoro
