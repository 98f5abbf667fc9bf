#include "reports/CaseFigures.h"

#include <charconv>
#include <cmath>

#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

int64_t MinutesBetween(Date start, Date end) {
  if (IsAbsentDate(start) || IsAbsentDate(end)) return 0;
  int64_t minutes = DateDiff(DateInterval::Minute, start, end);
  return minutes < 0 ? 0 : minutes;
}

double RoundTwo(double value) { return RoundHalfEven(value * 100.0) / 100.0; }

struct PeriodName {
  TimePeriod period;
  const char* key;
  const char* english;
  const std::string* phrase;
};

const PeriodName kPeriodNames[] = {
    {TimePeriod::Today, "today", "Today", &CONST_TODAY},
    {TimePeriod::Yesterday, "yesterday", "Yesterday", &CONST_YESTERDAY},
    {TimePeriod::ThisWeek, "this-week", "This Week", &CONST_THIS_WEEK},
    {TimePeriod::LastWeek, "last-week", "Last Week", &CONST_LAST_WEEK},
    {TimePeriod::ThisMonth, "this-month", "This Month", &CONST_THIS_MONTH},
    {TimePeriod::LastMonth, "last-month", "Last Month", &CONST_LAST_MONTH},
    {TimePeriod::ThisYear, "this-year", "This Year", &CONST_THIS_YEAR},
    {TimePeriod::LastYear, "last-year", "Last Year", &CONST_LAST_YEAR},
    {TimePeriod::BetweenDates, "between", "Between dates", &CONST_BETWEEN_DATES},
};

}  // namespace

bool IsAbsentDate(Date d) {
  static const Date kEarliest = DateSerial(1950, 1, 1);
  return d.IsNoDate() || d < kEarliest;
}

CaseDurations DurationsOf(const CaseDates& dates, Date now) {
  const bool open = IsAbsentDate(dates.Closed);
  const Date closed_or_now = open ? now : dates.Closed;
  CaseDurations d;
  d.Open = MinutesBetween(dates.Created, closed_or_now);
  d.Resolution = open ? 0 : MinutesBetween(dates.Created, dates.Closed);
  d.Response = MinutesBetween(dates.Received, open ? now : dates.Created);
  d.Elapsed = MinutesBetween(dates.Due, closed_or_now);
  return d;
}

double HoursAndMinutes(int64_t minutes) {
  double hours = RoundTwo(static_cast<double>(minutes) / 60.0);
  double whole = std::floor(hours);
  return whole + RoundTwo((hours - whole) * 60.0 / 100.0);
}

std::string HoursAndMinutesText(int64_t minutes) {
  return TwoDecimals(HoursAndMinutes(minutes));
}

std::string TwoDecimals(double value) {
  // As "%.2f" writes it, without the formatted-output machinery: a report
  // writes two of these per case.
  char text[400];  // the longest double in fixed notation (about 312) fits
  char* end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
  return std::string(text, end);
}

Period PeriodOf(TimePeriod period, Date today, Date from, Date to) {
  const Date day = DatePart(today);
  auto days = [&](double n) { return Date(day.Serial() + n); };
  const int weekday = Weekday(day, 1);
  const int year = Year(day);
  const int month = Month(day);
  const Period this_week{days(-(weekday - 1)), days(7 - weekday)};
  switch (period) {
    case TimePeriod::Today:
      return {day, day};
    case TimePeriod::Yesterday:
      return {days(-1), days(-1)};
    case TimePeriod::ThisWeek:
      return this_week;
    case TimePeriod::LastWeek:
      return {Date(this_week.Start.Serial() - 7), Date(this_week.End.Serial() - 7)};
    case TimePeriod::ThisMonth:
      return {DateSerial(year, month, 1), day};
    case TimePeriod::LastMonth: {
      Date first = DateSerial(year, month - 1, 1);
      return {first, DateSerial(Year(first), Month(first),
                                DaysInMonth(Year(first), Month(first)))};
    }
    case TimePeriod::ThisYear:
      return {DateSerial(year, 1, 1), day};
    case TimePeriod::LastYear:
      return {DateSerial(year - 1, 1, 1), DateSerial(year - 1, 12, 31)};
    case TimePeriod::BetweenDates:
      return {DatePart(from), DatePart(to)};
  }
  return {day, day};
}

std::string PeriodCaption(TimePeriod period) {
  for (const PeriodName& name : kPeriodNames) {
    if (name.period == period) return name.phrase->empty() ? name.english : *name.phrase;
  }
  return {};
}

bool ParseTimePeriod(std::string_view text, TimePeriod& period) {
  std::string plain = Replace(Replace(Trim(text), "-", ""), " ", "");
  for (const PeriodName& name : kPeriodNames) {
    if (TextEquals(plain, Replace(name.key, "-", "")) ||
        TextEquals(plain, Replace(name.english, " ", "")) ||
        (!name.phrase->empty() && TextEquals(Trim(text), *name.phrase))) {
      period = name.period;
      return true;
    }
  }
  return false;
}

bool PassesResolutionFilter(ResolutionFilter filter, int64_t resolution_minutes) {
  switch (filter) {
    case ResolutionFilter::None:
      return true;
    case ResolutionFilter::Within24Hours:
      return resolution_minutes <= 24 * 60;
    case ResolutionFilter::Within48Hours:
      return resolution_minutes <= 48 * 60;
    case ResolutionFilter::Within72Hours:
      return resolution_minutes <= 72 * 60;
    case ResolutionFilter::After72Hours:
      return resolution_minutes > 72 * 60;
  }
  return true;
}

double StatisticsRate(const cGlobalSettings& settings, std::string_view technicians,
                      std::string_view category, std::string_view department) {
  switch (
      CLng(settings.GeneralSettings.GetValue("sdoRateForStatistics", VarType::Long))) {
    case 0: {
      const cTechnician* t =
          settings.Technicians.Find(settings.Technicians.PrimaryTechnician(technicians));
      return t ? t->Rate.ToDouble() : 0;
    }
    case 1: {
      const cCategory* c = settings.ProblemCategories.GetCategory(category);
      return c ? c->Rate.ToDouble() : 0;
    }
    case 2: {
      const cCategory* c = settings.CallerDepartments.GetCategory(department);
      return c ? c->Rate.ToDouble() : 0;
    }
    default:
      return 0;
  }
}

double CostOf(double rate, int64_t minutes) {
  return RoundTwo(rate * static_cast<double>(minutes) / 60.0);
}

}  // namespace zanvoro
