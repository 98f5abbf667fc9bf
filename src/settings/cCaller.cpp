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
  caller.Email = ListField(fields, 0);
  caller.Name = ListField(fields, 1);
  caller.Phone = ListField(fields, 2);
  caller.Mobile = ListField(fields, 3);
  caller.Department = ListField(fields, 4);
  caller.Company = ListField(fields, 5);
  caller.Address = ListField(fields, 6);
  caller.Technician = ListField(fields, 7);
  caller.Password = ListField(fields, 8);
  caller.SLA = ListField(fields, 9);
  caller.AssociatedUsers.FromString(ListField(fields, 10));
  return caller;
}

}  // namespace zanvoro
