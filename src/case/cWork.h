// One work entry of a case: who spent how many minutes on what, and when.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/Date.h"

namespace zanvoro {

struct cWork {
  int32_t ID = 0;
  Date WorkDate;
  std::string User;
  int32_t Minutes = 0;
  std::string Description;

  // Description, WorkDate (general date text), Minutes and User, joined by tabs.
  std::string ToString() const;
  // One row of the work table.
  std::string ToHTML() const;
};

}  // namespace zanvoro
