// A technician of the helpdesk, keyed by name in the technician list.
// `AdminAccess` is the yes/no value as stored ("1"/"0", or "True"/"-1" from
// a database column) and is written back unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Variant.h"

namespace zanvoro {

struct cTechnician {
  std::string Name;
  std::string Email;
  Currency Rate;
  std::string Phone;
  std::string Mobile;
  std::string AdminAccess;
  std::string Password;
  std::string Code;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;

  // Whether `AdminAccess` holds a yes ("1", "-1", "True" in any case).
  bool HasAdminAccess() const;

  static constexpr size_t kFieldCount = 8;
  const std::string& ListKey() const { return Name; }
  std::vector<std::string> TextFields() const;
  static cTechnician FromTextFields(const std::vector<std::string>& fields);
};

}  // namespace zanvoro
