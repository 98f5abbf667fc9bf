#include "settings/cSLA.h"

#include "settings/ListText.h"

namespace zanvoro {

cSLA cSLA::FromTextFields(const std::vector<std::string>& fields) {
  return cSLA{ListField(fields, 0), ListField(fields, 1), ListField(fields, 2)};
}

}  // namespace zanvoro
