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
  ReadListFields(
      fields, {&type.ProblemType, &type.ProblemCategory, nullptr, &type.DefaultTechnician,
               &type.DefaultSLA, &type.DefaultField, &type.Code});
  type.DefaultMinutes = ReadIntegerField(ListField(fields, 2));
  return type;
}

}  // namespace zanvoro
