#include "settings/cProblemType.h"

#include "settings/ListText.h"

namespace zanvoro {

std::vector<std::string> cProblemType::TextFields() const {
  return {ProblemType,
          ProblemCategory,
          std::to_string(DefaultMinutes),
          DefaultTechnician,
          DefaultSLA,
          DefaultField,
          Code};
}

cProblemType cProblemType::FromTextFields(const std::vector<std::string>& fields) {
  cProblemType type;
  type.ProblemType = ListField(fields, 0);
  type.ProblemCategory = ListField(fields, 1);
  type.DefaultMinutes = ReadIntegerField(ListField(fields, 2));
  type.DefaultTechnician = ListField(fields, 3);
  type.DefaultSLA = ListField(fields, 4);
  type.DefaultField = ListField(fields, 5);
  type.Code = ListField(fields, 6);
  return type;
}

}  // namespace zanvoro
