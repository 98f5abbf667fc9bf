#include "settings/cSLA.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "settings/ListText.h"

namespace zanvoro {
namespace {

enum class ResponseUnit { Hours, Days };

struct ResponseTimeText {
  std::string_view text;
  int32_t count;
  ResponseUnit unit;
};

// The response times the SLA editor offers, in its order.
constexpr ResponseTimeText kResponseTimes[] = {
    {"1-hr", 1, ResponseUnit::Hours},    {"2-hrs", 2, ResponseUnit::Hours},
    {"3-hrs", 3, ResponseUnit::Hours},   {"4-hrs", 4, ResponseUnit::Hours},
    {"5-hrs", 5, ResponseUnit::Hours},   {"6-hrs", 6, ResponseUnit::Hours},
    {"7-hrs", 7, ResponseUnit::Hours},   {"8-hrs", 8, ResponseUnit::Hours},
    {"9-hrs", 9, ResponseUnit::Hours},   {"10-hrs", 10, ResponseUnit::Hours},
    {"11-hrs", 11, ResponseUnit::Hours}, {"12-hrs", 12, ResponseUnit::Hours},
    {"15-hrs", 15, ResponseUnit::Hours}, {"20-hrs", 20, ResponseUnit::Hours},
    {"1-day", 1, ResponseUnit::Days},    {"2-days", 2, ResponseUnit::Days},
    {"3-days", 3, ResponseUnit::Days},   {"4-days", 4, ResponseUnit::Days},
    {"5-days", 5, ResponseUnit::Days},   {"6-days", 6, ResponseUnit::Days},
    {"1-week", 7, ResponseUnit::Days},   {"8-days", 8, ResponseUnit::Days},
    {"9-days", 9, ResponseUnit::Days},   {"10-days", 10, ResponseUnit::Days},
    {"11-days", 11, ResponseUnit::Days}, {"12-days", 12, ResponseUnit::Days},
    {"13-days", 13, ResponseUnit::Days}, {"2-weeks", 14, ResponseUnit::Days},
    {"3-weeks", 21, ResponseUnit::Days}, {"1-month", 30, ResponseUnit::Days},
};

}  // namespace

cSLA cSLA::FromTextFields(const std::vector<std::string>& fields) {
  return cSLA{ListField(fields, 0), ListField(fields, 1), ListField(fields, 2)};
}

int32_t cSLA::OutlookPriority() const {
  if (Priority == "Normal") return 1;
  if (Priority == "High") return 2;
  return 0;
}

int32_t cSLA::ResponseTimeInHours(int32_t hours_per_day) const {
  for (const ResponseTimeText& entry : kResponseTimes) {
    if (entry.text != ResponseTime) continue;
    if (entry.unit == ResponseUnit::Hours) return entry.count;
    int64_t hours = int64_t{entry.count} * hours_per_day;
    return static_cast<int32_t>(std::clamp<int64_t>(
        hours, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  }
  return 0;
}

}  // namespace zanvoro
