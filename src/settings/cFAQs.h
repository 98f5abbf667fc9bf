// The FAQ list, keyed by question (letter case ignored). Unlike the other
// lists it keeps the order of its text. Failures are reported under
// "FAQs.<operation>".
#pragma once

#include "settings/KeyedList.h"
#include "settings/cFAQ.h"

namespace zanvoro {

class cFAQs : public KeyedList<cFAQ> {
 public:
  cFAQs() : KeyedList("FAQs", ListOrder::AsRead) {}

  const cFAQ* RandomFAQ() const { return RandomEntry("RandomFAQ"); }
};

}  // namespace zanvoro
