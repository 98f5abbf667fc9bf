// The helpdesk's service week: one range of weekdays and, when enabled, one
// daily window of service hours, read from the general settings at each
// load ("sdoDayServiceStart"/"sdoDayServiceEnd" stored 0 Sunday .. 6
// Saturday, "sdoServiceHoursEnabled", "sdoServiceHoursStart",
// "sdoServiceHoursEnd"). A window whose start equals its end gives no
// service hours and is treated as service hours disabled.
//
// Due dates count only service days and, when enabled, service hours. All
// times are the machine's local time. The present time is passed in, so the
// rules can be checked at any instant.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

class cOutlookSettings;
struct cSLA;
class cSLAs;

struct ServiceCalendar {
  int FirstServiceDay = 2;  // weekday number, 1 Sunday .. 7 Saturday
  int LastServiceDay = 7;
  bool ServiceHoursEnabled = false;
  Date ServiceStart;  // time of day on the zero date
  Date ServiceEnd;

  // Reads the calendar from the general settings (missing values: Monday to
  // Saturday, service hours off).
  static ServiceCalendar FromSettings(const cOutlookSettings& general);

  // Whether service hours take part (enabled, and a window that is not empty).
  bool UsesServiceHours() const;
  bool IsServiceDay(Date d) const;
  // Hour boundaries crossed between the service start and end (08:30 to
  // 17:00 gives 9).
  int32_t ServiceHoursPerDay() const;
  // The hours one day of response time stands for: the service hours per
  // day when service hours are used, else 24 (cSLA::ResponseTimeInHours).
  int32_t HoursPerResponseDay() const;
  // Whether `now` is not later than the day's service end (to the minute).
  bool WithinTodaysServiceHours(Date now) const;

  // When a response of `hours` counted from `start` falls due; `now` is the
  // present time.
  Date DueDate(int32_t hours, Date start, Date now) const;
  // The due date of a case that gets no SLA, by "sdoDueDateAssignment":
  // 0 or missing: now; 1: "sdoScheduleDueDateDays" service days from now;
  // otherwise the due date of 0 hours from now.
  Date DefaultDueDate(const cOutlookSettings& general, Date now) const;
};

// The SLA of `name` in `slas` (letter case ignored); nullptr when none.
const cSLA* SLAByName(const cSLAs& slas, std::string_view name);

}  // namespace zanvoro
