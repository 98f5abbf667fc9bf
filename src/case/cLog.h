// One entry of a case's log: what happened to the case, when and by whom.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

struct cLog {
  int32_t ID = 0;  // sequence number within the case, from 1
  Date ActionDate;
  std::string Technician;
  std::string Description;

  // Description, ActionDate (general date text) and Technician, joined by tabs.
  std::string ToString() const;
  // One row of the log table.
  std::string ToHTML() const;
};

// The description of log action `action` (0 phone call to caller ... 17
// due date lapsed; "Other" for any other code), dated now, with `extra`
// where the action carries one.
std::string LogActionText(int32_t action, std::string_view extra = {});

}  // namespace zanvoro
