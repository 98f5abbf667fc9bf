#include "settings/cTechnician.h"

#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/ListText.h"

namespace zanvoro {

bool cTechnician::HasAdminAccess() const {
  std::string value = Trim(AdminAccess);
  if (value.empty()) return false;
  try {
    return CBool(Variant(value));
  } catch (const Error&) {  // neither a number nor True/False
    return false;
  }
}

std::vector<std::string> cTechnician::TextFields() const {
  return {Name, Email, CurrencyText(Rate), Phone, Mobile, AdminAccess, Password, Code};
}

cTechnician cTechnician::FromTextFields(const std::vector<std::string>& fields) {
  cTechnician technician;
  technician.Name = ListField(fields, 0);
  technician.Email = ListField(fields, 1);
  technician.Rate = ReadCurrencyField(ListField(fields, 2));
  technician.Phone = ListField(fields, 3);
  technician.Mobile = ListField(fields, 4);
  technician.AdminAccess = ListField(fields, 5);
  technician.Password = ListField(fields, 6);
  technician.Code = ListField(fields, 7);
  return technician;
}

}  // namespace zanvoro
