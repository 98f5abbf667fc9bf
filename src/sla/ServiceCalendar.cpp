#include "sla/ServiceCalendar.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "errors/Trap.h"
#include "runtime/Variant.h"
#include "settings/cOutlookSettings.h"
#include "settings/cSLAs.h"

namespace zanvoro {
namespace {

constexpr int kDaysPerWeek = 7;
constexpr int64_t kHoursPerDay = 24;

// The stored weekday (0 Sunday .. 6 Saturday) as a weekday number (1 Sunday
// .. 7 Saturday); nullopt when the text is not one of them.
std::optional<int> ReadServiceDay(const cOutlookSettings& general, std::string_view key) {
  const cOutlookSetting* setting = general.Find(key);
  if (setting == nullptr || !IsNumeric(setting->KeyVal)) return std::nullopt;
  double stored = RoundHalfEven(Val(setting->KeyVal));
  if (!(stored >= 0 && stored <= kDaysPerWeek - 1)) return std::nullopt;
  return static_cast<int>(stored) + 1;
}

// The time of day of a stored date-time text; nullopt when it reads as none.
std::optional<Date> ReadServiceTime(const cOutlookSettings& general,
                                    std::string_view key) {
  const cOutlookSetting* setting = general.Find(key);
  if (setting == nullptr) return std::nullopt;
  std::optional<Date> read = ParseDate(setting->KeyVal);
  if (!read) return std::nullopt;
  return TimePart(*read);
}

// The day of `day` at the time of day of `time`.
Date OnDayAt(Date day, Date time) {
  DateParts parts = SplitDate(day);
  DateParts clock = SplitDate(TimePart(time));
  parts.hour = clock.hour;
  parts.minute = clock.minute;
  parts.second = clock.second;
  return MakeDate(parts);
}

Date AddHours(Date d, int64_t hours) {
  return DateAdd(DateInterval::Hour, static_cast<double>(hours), d);
}

// Whether `hours` added to `d` reaches the year that means "no date"; checked
// before adding, so no date arithmetic ever leaves the valid years.
bool ReachesNoDate(Date d, int64_t hours) {
  return d.Serial() + static_cast<double>(hours) / kHoursPerDay >=
         Date::NoDate().Serial();
}

}  // namespace

ServiceCalendar ServiceCalendar::FromSettings(const cOutlookSettings& general) {
  ServiceCalendar calendar;
  calendar.FirstServiceDay = ReadServiceDay(general, calendarkey::kDayServiceStart)
                                 .value_or(calendar.FirstServiceDay);
  calendar.LastServiceDay = ReadServiceDay(general, calendarkey::kDayServiceEnd)
                                .value_or(calendar.LastServiceDay);
  calendar.ServiceHoursEnabled =
      CLng(general.GetValue(calendarkey::kServiceHoursEnabled, VarType::Long)) != 0;
  calendar.ServiceStart = ReadServiceTime(general, calendarkey::kServiceHoursStart)
                              .value_or(calendar.ServiceStart);
  calendar.ServiceEnd = ReadServiceTime(general, calendarkey::kServiceHoursEnd)
                            .value_or(calendar.ServiceEnd);
  return calendar;
}

bool ServiceCalendar::UsesServiceHours() const {
  // An empty window would make every day's hours 0 and the count of whole
  // days in a response time a division by zero.
  return ServiceHoursEnabled && ServiceHoursPerDay() >= 1;
}

bool ServiceCalendar::IsServiceDay(Date d) const { return IsServiceWeekday(Weekday(d)); }

bool ServiceCalendar::IsServiceWeekday(int weekday) const {
  return weekday >= FirstServiceDay && weekday <= LastServiceDay;
}

int32_t ServiceCalendar::ServiceHoursPerDay() const {
  return static_cast<int32_t>(
      DateDiff(DateInterval::Hour, TimePart(ServiceStart), TimePart(ServiceEnd)));
}

int32_t ServiceCalendar::HoursPerResponseDay() const {
  return UsesServiceHours() ? ServiceHoursPerDay() : static_cast<int32_t>(kHoursPerDay);
}

bool ServiceCalendar::WithinTodaysServiceHours(Date now) const {
  return DateDiff(DateInterval::Minute, OnDayAt(now, ServiceEnd), now) <= 0;
}

Date ServiceCalendar::DueDate(int64_t hours, Date start, Date now) const {
  return Trap("ServiceCalendar.DueDate", start, [&] {
    const bool service_hours = UsesServiceHours();
    int64_t counted = std::max<int64_t>(hours, 0);
    // Hours of response time that run past a day's service end skip the
    // night until the next service start.
    int64_t overnight_gap = 0;
    if (service_hours) {
      Date next_day = DateAdd(DateInterval::Day, 1, start);
      overnight_gap = DateDiff(DateInterval::Hour, OnDayAt(start, ServiceEnd),
                               OnDayAt(next_day, ServiceStart));
      int64_t per_day = ServiceHoursPerDay();
      int64_t left_today =
          DateDiff(DateInterval::Hour, start, OnDayAt(start, ServiceEnd));
      if (counted <= per_day) {
        if (left_today >= 1 && counted > left_today) counted += overnight_gap;
      } else {
        counted += overnight_gap * (counted / per_day);
      }
    }

    // A start outside the service week counts from the next service day;
    // a week without one waits six days.
    int offset = 0;
    if (!IsServiceDay(start)) {
      offset = 6;
      for (int k = 1; k <= 5; ++k) {
        if (IsServiceDay(DateAdd(DateInterval::Day, k, start))) {
          offset = k;
          break;
        }
      }
    }

    Date base = start;
    if (offset == 0) {
      if (service_hours && !WithinTodaysServiceHours(now)) {
        base = OnDayAt(DateAdd(DateInterval::Day, 1, start), ServiceStart);
      }
    } else {
      Date first_day = DateAdd(DateInterval::Day, offset, start);
      base = service_hours ? OnDayAt(first_day, ServiceStart) : DatePart(first_day);
    }

    if (ReachesNoDate(base, counted)) return Date::NoDate();
    Date due = AddHours(base, counted);

    // Every day passed on the way that is not a service day adds a day. The
    // days are counted once, from the base to the first due date; whole
    // weeks at a time, as each week holds the same weekdays.
    int64_t days = DateDiff(DateInterval::Day, base, due);
    if (days > 0) {
      int per_week = 0;
      for (int weekday = 1; weekday <= kDaysPerWeek; ++weekday) {
        if (!IsServiceWeekday(weekday)) ++per_week;
      }
      int64_t skipped = days / kDaysPerWeek * per_week;
      int base_weekday = Weekday(base);
      for (int64_t i = 1; i <= days % kDaysPerWeek; ++i) {
        int weekday = static_cast<int>((base_weekday - 1 + i) % kDaysPerWeek) + 1;
        if (!IsServiceWeekday(weekday)) ++skipped;
      }
      if (ReachesNoDate(due, skipped * kHoursPerDay)) return Date::NoDate();
      due = AddHours(due, skipped * kHoursPerDay);
    }

    if (service_hours &&
        DateDiff(DateInterval::Minute, OnDayAt(due, ServiceEnd), due) > 0) {
      due = AddHours(due, overnight_gap);
    }
    for (int again = 0; again < 2 && !IsServiceDay(due); ++again) {
      due = AddHours(due, kHoursPerDay);
    }
    return due.IsNoDate() ? Date::NoDate() : due;
  });
}

Date ServiceCalendar::DefaultDueDate(const cOutlookSettings& general, Date now) const {
  int32_t assignment =
      CLng(general.GetValue(calendarkey::kDueDateAssignment, VarType::Long));
  // A due date of "now" would make every such case overdue the moment it
  // is made: without a rule for it, a case has no due date.
  if (assignment == 0) return Date::NoDate();
  if (assignment == 1) {
    int64_t days =
        CLng(general.GetValue(calendarkey::kScheduleDueDateDays, VarType::Long));
    return DueDate(days * HoursPerResponseDay(), now, now);
  }
  return DueDate(0, now, now);
}

const cSLA* SLAByName(const cSLAs& slas, std::string_view name) {
  return slas.Find(name);
}

}  // namespace zanvoro
