// Date arithmetic on day counts. Every operation first splits the serial into
// a calendar day number (day 0 is 30 December 1899, counting backwards below
// it) and the time of day, works on those integers and composes the result.
#include "runtime/Date.h"

#include <date/date.h>
#include <time.h>

#include <algorithm>
#include <cmath>

#include "runtime/Error.h"

namespace zanvoro {
namespace {

constexpr int64_t kMsPerDay = 86'400'000;
constexpr int64_t kMsPerHour = 3'600'000;
constexpr int64_t kMsPerMinute = 60'000;
constexpr int64_t kMsPerSecond = 1'000;
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;
// Day numbers of 1 January 100 and 31 December 9999.
constexpr int64_t kFirstDay = -657434;
constexpr int64_t kLastDay = 2958465;
// Day number of 1 January 1970, where the civil calendar library counts from.
constexpr int64_t kUnixEpochDay = 25569;

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

void CheckDay(int64_t day) {
  if (day < kFirstDay || day > kLastDay) throw OverflowError();
}

// A serial split into its calendar day and the milliseconds into that day.
struct Moment {
  int64_t day = 0;
  int64_t ms = 0;
};

// The time of day is rounded to a multiple of `unit_ms`; rounding up to
// midnight moves to the next calendar day.
Moment ToMoment(double serial, int64_t unit_ms) {
  if (!std::isfinite(serial) || serial <= kFirstDay - 1 || serial >= kLastDay + 1) {
    throw OverflowError();
  }
  double whole = std::trunc(serial);
  double fraction = std::fabs(serial - whole);
  Moment m{static_cast<int64_t>(whole),
           std::llround(fraction * static_cast<double>(kMsPerDay / unit_ms)) * unit_ms};
  if (m.ms >= kMsPerDay) {
    m.day += 1;
    m.ms -= kMsPerDay;
  }
  CheckDay(m.day);
  return m;
}

// Below day 0 the whole part counts days back while the fraction still adds
// the time of day, so the fraction is subtracted there.
Date Compose(int64_t day, double fraction) {
  CheckDay(day);
  double whole = static_cast<double>(day);
  return Date(day >= 0 ? whole + fraction : whole - fraction);
}

Date ComposeMs(int64_t total_ms) {
  return Compose(FloorDiv(total_ms, kMsPerDay),
                 static_cast<double>(FloorMod(total_ms, kMsPerDay)) / kMsPerDay);
}

struct Civil {
  int year = 0;
  int month = 0;
  int day = 0;
};

Civil CivilFromDay(int64_t day) {
  date::year_month_day ymd{date::sys_days{date::days{day - kUnixEpochDay}}};
  return {static_cast<int>(ymd.year()),
          static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

// The day number of year/month/day with month and day rolling over into the
// neighbouring months and years.
int64_t DayFromRollingCivil(int64_t year, int64_t month, int64_t day) {
  int64_t months = year * 12 + (month - 1);
  int64_t normal_year = FloorDiv(months, 12);
  // Far outside the calendar nothing can roll back into the valid years.
  if (normal_year < kMinYear - 200'000 || normal_year > kMaxYear + 200'000) {
    throw OverflowError();
  }
  auto first = date::year{static_cast<int>(normal_year)} /
               date::month{static_cast<unsigned>(FloorMod(months, 12) + 1)} /
               date::day{1};
  int64_t result =
      date::sys_days{first}.time_since_epoch().count() + kUnixEpochDay + day - 1;
  CheckDay(result);
  return result;
}

int64_t WholeSeconds(int64_t hour, int64_t minute, int64_t second) {
  return hour * 3600 + minute * 60 + second;
}

Date FromDayAndSeconds(int64_t day, int64_t seconds) {
  return ComposeMs(day * kMsPerDay + seconds * kMsPerSecond);
}

// Sunday = 1 for first_day_of_week 1; 0 stands for the system's (Sunday).
int CheckFirstDayOfWeek(int first_day_of_week) {
  if (first_day_of_week == 0) return 1;
  if (first_day_of_week < 1 || first_day_of_week > 7) throw InvalidProcedureCallError();
  return first_day_of_week;
}

// The calendar day and the exact time fraction, for moves by whole days that
// keep the time as it was.
struct ExactSplit {
  int64_t day = 0;
  double fraction = 0;
};

ExactSplit SplitExact(double serial) {
  ToMoment(serial, 1);  // the range check
  double whole = std::trunc(serial);
  return {static_cast<int64_t>(whole), std::fabs(serial - whole)};
}

Date AddMonths(double serial, int64_t months) {
  ExactSplit split = SplitExact(serial);
  Civil c = CivilFromDay(split.day);
  int64_t target = static_cast<int64_t>(c.year) * 12 + (c.month - 1) + months;
  int64_t year = FloorDiv(target, 12);
  if (year < kMinYear || year > kMaxYear) throw OverflowError();
  int month = static_cast<int>(FloorMod(target, 12)) + 1;
  int clamped = std::min(c.day, DaysInMonth(static_cast<int>(year), month));
  return Compose(DayFromRollingCivil(year, month, clamped), split.fraction);
}

Date AddDays(double serial, int64_t days) {
  ExactSplit split = SplitExact(serial);
  return Compose(split.day + days, split.fraction);
}

}  // namespace

bool Date::IsNoDate() const { return serial_ >= NoDate().Serial(); }

int DaysInMonth(int year, int month) {
  auto last = date::year{year} / date::month{static_cast<unsigned>(month)} / date::last;
  return static_cast<int>(static_cast<unsigned>(last.day()));
}

Date DateSerial(int year, int month, int day) {
  int64_t full_year = year;
  if (year >= 0 && year < 30) full_year += 2000;
  if (year >= 30 && year < 100) full_year += 1900;
  return Compose(DayFromRollingCivil(full_year, month, day), 0);
}

Date TimeSerial(int hour, int minute, int second) {
  return FromDayAndSeconds(0, WholeSeconds(hour, minute, second));
}

Date MakeDate(const DateParts& parts) {
  int64_t day = DayFromRollingCivil(parts.year, parts.month, parts.day);
  return FromDayAndSeconds(day, WholeSeconds(parts.hour, parts.minute, parts.second));
}

DateParts SplitDate(Date d) {
  Moment m = ToMoment(d.Serial(), kMsPerSecond);
  Civil c = CivilFromDay(m.day);
  int64_t seconds = m.ms / kMsPerSecond;
  return {c.year,
          c.month,
          c.day,
          static_cast<int>(seconds / 3600),
          static_cast<int>(seconds / 60 % 60),
          static_cast<int>(seconds % 60)};
}

int Year(Date d) { return SplitDate(d).year; }
int Month(Date d) { return SplitDate(d).month; }
int Day(Date d) { return SplitDate(d).day; }
int Hour(Date d) { return SplitDate(d).hour; }
int Minute(Date d) { return SplitDate(d).minute; }
int Second(Date d) { return SplitDate(d).second; }

int Weekday(Date d, int first_day_of_week) {
  int first = CheckFirstDayOfWeek(first_day_of_week);
  // Day 1, 31 December 1899, was a Sunday.
  int64_t sunday_based = FloorMod(ToMoment(d.Serial(), kMsPerSecond).day - 1, 7) + 1;
  return static_cast<int>(FloorMod(sunday_based - first, 7)) + 1;
}

Date DatePart(Date d) { return Compose(ToMoment(d.Serial(), kMsPerSecond).day, 0); }

Date TimePart(Date d) { return ComposeMs(ToMoment(d.Serial(), kMsPerSecond).ms); }

Date Now() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return MakeDate({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                   local.tm_min, local.tm_sec});
}

Date Today() { return DatePart(Now()); }

Date DateAdd(DateInterval interval, double number, Date d) {
  // Beyond this no count of any unit stays inside the valid years.
  if (!std::isfinite(number) || std::fabs(number) > 1e12) throw OverflowError();
  auto n = static_cast<int64_t>(std::trunc(number));
  double serial = d.Serial();
  auto add_ms = [&](int64_t unit) {
    Moment m = ToMoment(serial, 1);
    return ComposeMs(m.day * kMsPerDay + m.ms + n * unit);
  };
  switch (interval) {
    case DateInterval::Year:
      return AddMonths(serial, n * 12);
    case DateInterval::Quarter:
      return AddMonths(serial, n * 3);
    case DateInterval::Month:
      return AddMonths(serial, n);
    case DateInterval::DayOfYear:
    case DateInterval::Day:
    case DateInterval::Weekday:
      return AddDays(serial, n);
    case DateInterval::Week:
      return AddDays(serial, n * 7);
    case DateInterval::Hour:
      return add_ms(kMsPerHour);
    case DateInterval::Minute:
      return add_ms(kMsPerMinute);
    case DateInterval::Second:
      return add_ms(kMsPerSecond);
  }
  throw InvalidProcedureCallError();
}

int64_t DateDiff(DateInterval interval, Date from, Date to, int first_day_of_week) {
  int first = CheckFirstDayOfWeek(first_day_of_week);
  Moment a = ToMoment(from.Serial(), kMsPerSecond);
  Moment b = ToMoment(to.Serial(), kMsPerSecond);
  auto civil_a = [&] { return CivilFromDay(a.day); };
  auto civil_b = [&] { return CivilFromDay(b.day); };
  switch (interval) {
    case DateInterval::Year:
      return civil_b().year - civil_a().year;
    case DateInterval::Quarter: {
      Civil ca = civil_a(), cb = civil_b();
      return (cb.year * 4 + (cb.month - 1) / 3) - (ca.year * 4 + (ca.month - 1) / 3);
    }
    case DateInterval::Month: {
      Civil ca = civil_a(), cb = civil_b();
      return (cb.year * 12 + cb.month) - (ca.year * 12 + ca.month);
    }
    case DateInterval::DayOfYear:
    case DateInterval::Day:
      return b.day - a.day;
    case DateInterval::Weekday:
      return (b.day - a.day) / 7;
    case DateInterval::Week:
      // Day `first` is the first day of a week (day 1 was a Sunday).
      return FloorDiv(b.day - first, 7) - FloorDiv(a.day - first, 7);
    case DateInterval::Hour:
      return (b.day * 24 + b.ms / kMsPerHour) - (a.day * 24 + a.ms / kMsPerHour);
    case DateInterval::Minute:
      return (b.day * 1440 + b.ms / kMsPerMinute) - (a.day * 1440 + a.ms / kMsPerMinute);
    case DateInterval::Second:
      return (b.day * 86400 + b.ms / kMsPerSecond) -
             (a.day * 86400 + a.ms / kMsPerSecond);
  }
  throw InvalidProcedureCallError();
}

}  // namespace zanvoro
