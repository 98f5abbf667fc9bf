#include "settings/cFAQ.h"

#include "settings/ListText.h"

namespace zanvoro {

cFAQ cFAQ::FromTextFields(const std::vector<std::string>& fields) {
  return cFAQ{ListField(fields, 0), ListField(fields, 1), ListField(fields, 2),
              ListField(fields, 3)};
}

}  // namespace zanvoro
