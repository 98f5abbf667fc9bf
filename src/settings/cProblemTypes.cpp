#include "settings/cProblemTypes.h"

#include "runtime/Text.h"

namespace zanvoro {

const cProblemType* cProblemTypes::Query(std::string_view problem_type) const {
  return Trap("Problems.Query", static_cast<const cProblemType*>(nullptr),
              [&]() -> const cProblemType* {
                for (const Entry& entry : items_) {
                  if (TextEquals(entry.Value().ProblemType, problem_type))
                    return &entry.Value();
                }
                return nullptr;
              });
}

const cProblemType* cProblemTypes::Query(std::string_view problem_type,
                                         std::string_view problem_category) const {
  return Trap("Problems.Query", static_cast<const cProblemType*>(nullptr),
              [&]() -> const cProblemType* {
                const cProblemType* found =
                    Find(std::string(problem_type) + std::string(problem_category));
                // The joined key alone could also match another split of the
                // same letters ("ab" + "c" and "a" + "bc").
                if (found && TextEquals(found->ProblemType, problem_type)) return found;
                return nullptr;
              });
}

std::string cProblemTypes::ToStringTab() const {
  return Trap("Problems.ToStringTab", std::string{}, [&] {
    std::vector<std::string> names;
    for (const Entry& entry : items_) names.push_back(entry.Value().ProblemType);
    return Join(names, "\t");
  });
}

}  // namespace zanvoro
