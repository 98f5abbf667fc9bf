#include "settings/cCaller.h"

#include "settings/ListText.h"

namespace zanvoro {

std::vector<std::string> cCaller::TextFields() const {
  return {Email,
          Name,
          Phone,
          Mobile,
          Department,
          Company,
          Address,
          Technician,
          Password,
          SLA,
          AssociatedUsers.ToString()};
}

cCaller cCaller::FromTextFields(const std::vector<std::string>& fields) {
  cCaller caller;
  ReadListFields(fields, {&caller.Email, &caller.Name, &caller.Phone, &caller.Mobile,
                          &caller.Department, &caller.Company, &caller.Address,
                          &caller.Technician, &caller.Password, &caller.SLA});
  caller.AssociatedUsers.FromString(ListField(fields, 10));
  return caller;
}

}  // namespace zanvoro
