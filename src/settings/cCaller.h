// A caller: someone who raises cases, keyed by e-mail address in the caller
// list. `Technician` and `SLA` name the caller's default technician and
// default SLA; `AssociatedUsers` are the people copied on the caller's cases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/cAssociatedUsers.h"

namespace zanvoro {

struct cCaller {
  std::string Email;
  std::string Name;
  std::string Phone;
  std::string Mobile;
  std::string Department;
  std::string Company;
  std::string Address;
  std::string Technician;
  std::string Password;
  std::string SLA;
  cAssociatedUsers AssociatedUsers;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;

  // Fields in text-form order, the last the associated users' text form.
  static constexpr size_t kFieldCount = 11;
  const std::string& ListKey() const { return Email; }
  std::vector<std::string> TextFields() const;
  static cCaller FromTextFields(const std::vector<std::string>& fields);
};

}  // namespace zanvoro
