// The SLA list, keyed by name (letter case ignored), kept in key order after
// a whole-list read. Failures are reported under "SLAs.<operation>".
#pragma once

#include <string>

#include "settings/KeyedList.h"
#include "settings/cSLA.h"

namespace zanvoro {

class cSLAs : public KeyedList<cSLA> {
 public:
  cSLAs() : KeyedList("SLAs", ListOrder::ByKey) {}

  std::string ToStringTab() const { return JoinKeys("\t"); }
  const cSLA* RandomSLA() const { return RandomEntry("RandomSLA"); }
};

}  // namespace zanvoro
