// The helpdesk's service week: one range of weekdays and, when enabled, one
// daily window of service hours, read from the general settings at each
// load ("sdoDayServiceStart"/"sdoDayServiceEnd" stored 0 Sunday .. 6
// Saturday, "sdoServiceHoursEnabled", "sdoServiceHoursStart",
// "sdoServiceHoursEnd"). A window that crosses no hour boundary (its start
// equal to its end, or both in one hour) or that ends before it starts gives
// no service hours and is treated as service hours disabled.
//
// Due dates count only service days and, when enabled, service hours. All
// times are the machine's local time. The present time is passed in, so the
// rules can be checked at any instant. Hour counts are hour boundaries
// crossed (08:59 to 09:00 is one hour), as DateDiff counts them.
//
// DueDate never raises: a due date that would fall on 1 January 4501 or
// later is Date::NoDate() (no due date), and a start outside the valid years
// is reported under "ServiceCalendar.DueDate" and given back as the due date.
// The other members REQUIRE dates within the valid years (else kOverflow).
// UI thread only; a calendar is a plain value.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

class cOutlookSettings;
struct cSLA;
class cSLAs;

// The general settings the calendar and the default due date are read from.
namespace calendarkey {
inline constexpr const char* kDayServiceStart = "sdoDayServiceStart";
inline constexpr const char* kDayServiceEnd = "sdoDayServiceEnd";
inline constexpr const char* kServiceHoursEnabled = "sdoServiceHoursEnabled";
inline constexpr const char* kServiceHoursStart = "sdoServiceHoursStart";
inline constexpr const char* kServiceHoursEnd = "sdoServiceHoursEnd";
inline constexpr const char* kDueDateAssignment = "sdoDueDateAssignment";
inline constexpr const char* kScheduleDueDateDays = "sdoScheduleDueDateDays";
}  // namespace calendarkey

struct ServiceCalendar {
  int FirstServiceDay = 2;  // weekday number, 1 Sunday .. 7 Saturday
  int LastServiceDay = 7;
  bool ServiceHoursEnabled = false;
  Date ServiceStart;  // time of day on the zero date
  Date ServiceEnd;

  // Reads the calendar from the general settings. A missing or unreadable
  // value keeps its default: Monday to Saturday, service hours off, and a
  // window of midnight to midnight. Days are whole numbers 0..6; the times
  // are date texts ("08:00:00 AM", also with a date) whose time is used.
  static ServiceCalendar FromSettings(const cOutlookSettings& general);

  // Whether service hours take part: enabled, and a window of at least one
  // hour boundary from start to end.
  bool UsesServiceHours() const;
  bool IsServiceDay(Date d) const;
  bool IsServiceWeekday(int weekday) const;  // 1 Sunday .. 7 Saturday
  // Hour boundaries crossed between the service start and end (08:30 to
  // 17:00 gives 9); 0 or less for an empty or inverted window.
  int32_t ServiceHoursPerDay() const;
  // The hours one day of response time stands for: the service hours per
  // day when service hours are used, else 24 (cSLA::ResponseTimeInHours).
  int32_t HoursPerResponseDay() const;
  // Whether `now` is not later than the day's service end (to the minute).
  bool WithinTodaysServiceHours(Date now) const;

  // When a response of `hours` counted from `start` falls due; `now` is the
  // present time (it decides whether the start day's service hours are
  // over). Negative hours count as 0. The due date is never before `start`
  // and always on a service day when the service week has one.
  Date DueDate(int64_t hours, Date start, Date now) const;
  // The due date of a case that gets no SLA, by "sdoDueDateAssignment":
  // 0 or missing: no due date (Date::NoDate); 1: "sdoScheduleDueDateDays" days of
  // response time (HoursPerResponseDay each) from now; otherwise the due date of 0 hours
  // from now.
  Date DefaultDueDate(const cOutlookSettings& general, Date now) const;
};

// The SLA of `name` in `slas` (letter case ignored); nullptr when none.
const cSLA* SLAByName(const cSLAs& slas, std::string_view name);

}  // namespace zanvoro
