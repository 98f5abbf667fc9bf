// The figures the reports and the reporting database compute from a case's
// dates and time: the four durations, their hour form, the report periods,
// the resolution-time filter and the cost of the time spent. Pure
// functions of their arguments, except where the settings are named.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

class cGlobalSettings;

// A date the store holds as "no date" (the year 4501) or one before 1950.
bool IsAbsentDate(Date d);

// The dates a case's durations run between.
struct CaseDates {
  Date Created;
  Date Received;
  Date Due;
  Date Closed;  // absent while the case is open
};

// Whole minutes, never negative:
//  Open        created to closed, to `now` while open;
//  Resolution  created to closed, 0 while open;
//  Response    received to created, to `now` while open;
//  Elapsed     due to closed, to `now` while open.
// An absent start gives 0.
struct CaseDurations {
  int64_t Open = 0;
  int64_t Resolution = 0;
  int64_t Response = 0;
  int64_t Elapsed = 0;
};
CaseDurations DurationsOf(const CaseDates& dates, Date now);

// Minutes as hours and minutes in one number H.MM, two decimals: 90 gives
// 1.30, 45 gives 0.45, 100 gives 1.40.
double HoursAndMinutes(int64_t minutes);
std::string HoursAndMinutesText(int64_t minutes);

// A number with two decimals, "." as the separator ("12.50").
std::string TwoDecimals(double value);

// The report periods, in the order of the period list.
enum class TimePeriod {
  Today,
  Yesterday,
  ThisWeek,
  LastWeek,
  ThisMonth,
  LastMonth,
  ThisYear,
  LastYear,
  BetweenDates
};
inline constexpr int kTimePeriodCount = 9;

struct Period {
  Date Start;  // both days included, midnight
  Date End;
};

// The days `period` covers seen from `today` (weeks from Sunday to
// Saturday); BetweenDates takes `from` and `to`.
Period PeriodOf(TimePeriod period, Date today, Date from = {}, Date to = {});
// The period's caption from the phrase table ("Last Month").
std::string PeriodCaption(TimePeriod period);
// The period named by its caption or its English key ("last-month",
// "LastMonth", "Last Month"); false when none is.
bool ParseTimePeriod(std::string_view text, TimePeriod& period);

enum class ResolutionFilter {
  None,
  Within24Hours,
  Within48Hours,
  Within72Hours,
  After72Hours
};
inline constexpr const char* kResolutionFilterCaptions[] = {
    "None", "Within 24 hours", "Within 48 hours", "Within 72 hours", "After 72 hours"};

// Whether a case resolved in `resolution_minutes` passes: within N hours is
// at most N hours, after 72 hours is more than 72.
bool PassesResolutionFilter(ResolutionFilter filter, int64_t resolution_minutes);

// The hourly rate statistics charge for a case, after "sdoRateForStatistics":
// 0 the primary technician of `technicians`, 1 the problem category, 2 the
// caller's department; 0 when the list has no such entry.
double StatisticsRate(const cGlobalSettings& settings, std::string_view technicians,
                      std::string_view category, std::string_view department);
// rate x minutes / 60, rounded to two decimals.
double CostOf(double rate, int64_t minutes);

}  // namespace zanvoro
