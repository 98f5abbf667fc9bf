// A frequently asked question with its answer, keyed by the question.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zanvoro {

struct cFAQ {
  std::string Question;
  std::string Answer;
  std::string ProblemCategory;
  std::string ProblemType;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;

  static constexpr size_t kFieldCount = 4;
  const std::string& ListKey() const { return Question; }
  std::vector<std::string> TextFields() const {
    return {Question, Answer, ProblemCategory, ProblemType};
  }
  static cFAQ FromTextFields(const std::vector<std::string>& fields);
};

}  // namespace zanvoro
