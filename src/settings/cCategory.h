// An entry of the caller-department list or the problem-category list,
// keyed by its name, with the rate that statistics and prefix codes use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Variant.h"

namespace zanvoro {

struct cCategory {
  std::string Category;
  Currency Rate;
  std::string Code;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;

  static constexpr size_t kFieldCount = 3;
  const std::string& ListKey() const { return Category; }
  std::vector<std::string> TextFields() const;
  static cCategory FromTextFields(const std::vector<std::string>& fields);
};

}  // namespace zanvoro
