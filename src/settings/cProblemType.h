// A problem type and the defaults a case of that type takes. The problem
// type list keys an entry by its type name immediately followed by its
// category name, so one type name ("Other") can sit under several
// categories and a case finds its entry from the pair it stores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zanvoro {

struct cProblemType {
  std::string ProblemType;
  std::string ProblemCategory;
  int32_t DefaultMinutes = 0;
  std::string DefaultTechnician;
  std::string DefaultSLA;
  std::string DefaultField;
  std::string Code;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;

  static constexpr size_t kFieldCount = 7;
  std::string ListKey() const { return ProblemType + ProblemCategory; }
  std::vector<std::string> TextFields() const;
  static cProblemType FromTextFields(const std::vector<std::string>& fields);
};

}  // namespace zanvoro
