// The one date type: a day count since 30 December 1899, the time of day as
// the fraction (06:00 on 31 December 1899 is 1.25). Negative counts reach
// back before 1899 with the fraction still meaning the time of that day, as
// the mail client stores them. 1 January 4501 is the mail client's "no date".
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zanvoro {

class Date {
 public:
  constexpr Date() = default;  // the zero date: 30 December 1899 00:00
  constexpr explicit Date(double serial) : serial_(serial) {}

  constexpr double Serial() const { return serial_; }
  constexpr bool IsZero() const { return serial_ == 0; }

  // 1 January 4501 00:00, the value a date property holds when it is unset.
  static constexpr Date NoDate() { return Date(949998.0); }
  // True for any time on 1 January 4501 or later (the year 4501 means unset).
  bool IsNoDate() const;

  friend constexpr auto operator<=>(Date, Date) = default;

 private:
  double serial_ = 0;
};

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// Valid years are 100..9999; outside, these raise Error(err::kOverflow).
// Month and day overflow roll over as in DateSerial(2009, 14, 0) (31 January
// 2010) and DateSerial(2009, 3, 0) (28 February 2009); DateSerial reads the
// years 0..29 as 2000..2029 and 30..99 as 1930..1999. Hours, minutes and
// seconds roll over into the neighbouring days the same way.
Date DateSerial(int year, int month, int day);
Date TimeSerial(int hour, int minute, int second);
Date MakeDate(const DateParts& parts);  // years taken as written
// Rounded to the nearest second; a serial outside the valid years raises kOverflow.
DateParts SplitDate(Date d);
int DaysInMonth(int year, int month);  // REQUIRES: 1 <= month <= 12

int Year(Date d);
int Month(Date d);
int Day(Date d);
int Hour(Date d);
int Minute(Date d);
int Second(Date d);
// Day of the week, Sunday = 1 ... Saturday = 7 when first_day_of_week is 1
// (1 = Sunday ... 7 = Saturday; 0 means the system's, Sunday); any other
// first_day_of_week raises kInvalidProcedureCall.
int Weekday(Date d, int first_day_of_week = 1);
Date DatePart(Date d);  // midnight of the same day
Date TimePart(Date d);  // the time on the zero date

Date Now();    // local time, to the second
Date Today();  // local midnight

enum class DateInterval {
  Year,
  Quarter,
  Month,
  DayOfYear,
  Day,
  Weekday,
  Week,
  Hour,
  Minute,
  Second
};
// "yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s" (case-insensitive);
// anything else raises Error(err::kInvalidProcedureCall).
DateInterval ParseInterval(std::string_view code);

// Adds whole units of the interval (a fractional number is truncated toward
// zero); months and years clamp to the last day of the target month
// (31 January + 1 month = 28 or 29 February). Out of range raises kOverflow.
Date DateAdd(DateInterval interval, double number, Date d);
// Number of interval boundaries crossed from `from` to `to`, negative when `to`
// is earlier: hours compare the hour parts only (08:59 to 09:00 is 1 hour;
// 08:00 to 08:59 is 0), days the dates (23:59 to 00:01 the next day is 1),
// months year * 12 + month; weeks count the first days of the week passed,
// weekdays the whole weeks (days / 7). Both dates are first rounded to the second.
int64_t DateDiff(DateInterval interval, Date from, Date to, int first_day_of_week = 1);

// The regional formats of the current user, set once by the host from the
// profile; the defaults are the United States ones.
struct RegionalFormats {
  std::string short_date = "M/d/yyyy";
  std::string long_date = "dddd, MMMM d, yyyy";
  std::string time = "h:mm:ss tt";
};
const RegionalFormats& CurrentRegionalFormats();
void SetRegionalFormats(RegionalFormats formats);

// Formats with a picture: the regional-settings letters ("M/d/yyyy",
// "dddd, MMMM d, yyyy", "h:mm:ss tt", "HH:mm") and the classic Format letters
// ("HH:MM:SS AM/PM", "mm/dd/yyyy hh:nn", "am/pm", "AMPM"); an "m" next to an
// hour or before a second is minutes. Hours are 24-hour unless the picture
// has a designator: "tt" makes "h" 12-hour ("H" stays 24-hour), "AM/PM",
// "am/pm", "A/P", "a/p" and "AMPM" make every hour 12-hour. Text in single or
// double quotes and a character after a backslash are copied as they are.
// Named formats (any case) "General Date", "Long Date", "Short Date",
// "Long Time" use the regional ones; "Medium Time" is "hh:mm AM/PM" and
// "Short Time" "HH:mm"; an empty picture is the general date.
std::string FormatDate(Date d, std::string_view format);
// The general date text: short date, a space and the long time; the date
// alone at midnight; the time alone on the zero date.
std::string GeneralDateText(Date d);
std::string LongDateText(Date d);   // the regional long date
std::string ShortDateText(Date d);  // the regional short date

// Year, month, day, hour and minute without leading zeros joined by TAB:
// 7 March 2009 09:05 gives "2009\t3\t7\t9\t5".
std::string SortableDateText(Date d);
// Reads the sortable text back (three to five fields, spaces around a field
// allowed); nullopt when it is not one or names no real date and time.
std::optional<Date> ReadSortableDateText(std::string_view text);

// Reads an ordinary date text: ISO "2009-03-07 09:05:00", the regional short
// date with an optional time, "7 March 2009", "March 7, 2009 9:05 PM",
// month names in English, times alone ("9:05", "9:05:30 PM"). The numeric
// date follows the order of the regional short date (M/d/yyyy or d/M/yyyy);
// a date without a year is in the current year; two-digit years 00..29 are
// 2000..2029, 30..99 are 1930..1999. A time alone is on the zero date.
// nullopt when the text is not a date or names a day that does not exist.
std::optional<Date> ParseDate(std::string_view text);
bool IsDate(std::string_view text);

}  // namespace zanvoro
