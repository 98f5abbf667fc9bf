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
  ReadListFields(fields, {&technician.Name, &technician.Email, nullptr, &technician.Phone,
                          &technician.Mobile, &technician.AdminAccess,
                          &technician.Password, &technician.Code});
  technician.Rate = ReadCurrencyField(ListField(fields, 2));
  return technician;
}

}  // namespace zanvoro
