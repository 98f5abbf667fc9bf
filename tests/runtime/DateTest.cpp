#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "runtime/Date.h"
#include "runtime/Error.h"

namespace zanvoro {
namespace {

// Every part of a date, so a failing case shows the whole value.
std::string Parts(Date d) {
  DateParts p = SplitDate(d);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month,
                p.day, p.hour, p.minute, p.second);
  return text;
}

Date At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return MakeDate({year, month, day, hour, minute, second});
}

int32_t ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.Number();
  }
  return 0;
}

// Puts the regional formats back when a test changed them.
class RegionalFormatsGuard {
 public:
  explicit RegionalFormatsGuard(RegionalFormats formats)
      : saved_(CurrentRegionalFormats()) {
    SetRegionalFormats(std::move(formats));
  }
  ~RegionalFormatsGuard() { SetRegionalFormats(saved_); }

 private:
  RegionalFormats saved_;
};

TEST(DateSerial, CountsDaysFromTheZeroDateRollsOverKnowsLeapCenturiesAndOverflows) {
  struct {
    int year, month, day;
    double serial;
  } cases[] = {
      {1899, 12, 30, 0},     {1899, 12, 29, -1},   {2009, 3, 7, 39879},
      {4501, 1, 1, 949998},  {100, 1, 1, -657434}, {9999, 12, 31, 2958465},
      {2009, 14, 0, 40209},   // 31 January 2010
      {2009, 3, 0, 39872},    // 28 February 2009
      {2008, 3, 0, 39507},    // 29 February 2008
      {2009, 1, -30, 39783},  // 1 December 2008
      {9, 3, 7, 39879},       // two-digit years 0..29 are this century
      {99, 12, 31, 36525},    // and 30..99 the last one
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateSerial(c.year, c.month, c.day).Serial(), c.serial)
        << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(DaysInMonth(2008, 2), 29);
  EXPECT_EQ(DaysInMonth(2009, 2), 28);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(Parts(DateSerial(2100, 3, 0)), "2100-02-28 00:00:00");
  EXPECT_EQ(ErrorNumberOf([] { DateSerial(10000, 1, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { DateSerial(100, 1, 0); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { DateSerial(2000000000, 1, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { SplitDate(Date(1e300)); }), err::kOverflow);
}

TEST(Date, NegativeSerialsCountDaysBackButKeepTheTimeForward) {
  Date d(-1.25);
  EXPECT_EQ(Parts(d), "1899-12-29 06:00:00");
  EXPECT_EQ(At(1899, 12, 29, 6).Serial(), -1.25);
  EXPECT_EQ(Parts(DatePart(d)), "1899-12-29 00:00:00");
  EXPECT_EQ(TimePart(d).Serial(), 0.25);
  Date almost_midnight(39879 + 86399.6 / 86400);
  EXPECT_EQ(Parts(almost_midnight), "2009-03-08 00:00:00") << "to the nearest second";
  EXPECT_EQ(Hour(Date(39879 + 9.0 / 24 - 1e-9)), 9);
}

TEST(TimeSerial, RollsIntoTheNeighbouringDays) {
  EXPECT_EQ(Parts(TimeSerial(9, 5, 0)), "1899-12-30 09:05:00");
  EXPECT_EQ(Parts(TimeSerial(25, 0, 0)), "1899-12-31 01:00:00");
  EXPECT_EQ(Parts(TimeSerial(0, -1, 0)), "1899-12-29 23:59:00");
  EXPECT_EQ(Parts(TimeSerial(0, 90, 61)), "1899-12-30 01:31:01");
}

TEST(Date, YearsFrom4501OnMeanNoDate) {
  EXPECT_TRUE(Date::NoDate().IsNoDate());
  EXPECT_EQ(Parts(Date::NoDate()), "4501-01-01 00:00:00");
  EXPECT_TRUE(At(4501, 1, 1, 12).IsNoDate());
  EXPECT_FALSE(At(4500, 12, 31, 23, 59, 59).IsNoDate());
  EXPECT_FALSE(Date(-1.25).IsNoDate());
}

TEST(Weekday, CountsFromTheFirstDayOfTheWeek) {
  struct {
    Date date;
    int first_day, weekday;
  } cases[] = {
      {At(2009, 3, 7), 1, 7}, {At(2009, 3, 8), 1, 1}, {At(2009, 3, 7), 2, 6},
      {At(2009, 3, 8), 2, 7}, {At(2009, 3, 9), 2, 1}, {Date(0), 1, 7},
      {Date(-1.25), 1, 6},    {At(2009, 3, 7), 0, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Weekday(c.date, c.first_day), c.weekday)
        << Parts(c.date) << " " << c.first_day;
  }
  EXPECT_EQ(ErrorNumberOf([] { Weekday(Date(0), 8); }), err::kInvalidProcedureCall);
}

TEST(ParseInterval, ReadsTheCodesInAnyCase) {
  EXPECT_EQ(ParseInterval("yyyy"), DateInterval::Year);
  EXPECT_EQ(ParseInterval("YYYY"), DateInterval::Year);
  EXPECT_EQ(ParseInterval("ww"), DateInterval::Week);
  EXPECT_EQ(ParseInterval("n"), DateInterval::Minute);
  EXPECT_EQ(ErrorNumberOf([] { ParseInterval("x"); }), err::kInvalidProcedureCall);
  EXPECT_EQ(ErrorNumberOf([] { ParseInterval(""); }), err::kInvalidProcedureCall);
}

TEST(DateAdd, ClampsMonthsCountsDaysAndTimesExactlyAndOverflowsPastTheValidYears) {
  struct {
    const char* interval;
    double number;
    Date from;
    const char* result;
  } cases[] = {
      {"m", 1, At(2009, 1, 31), "2009-02-28 00:00:00"},
      {"m", 1, At(2008, 1, 31, 9, 5), "2008-02-29 09:05:00"},
      {"yyyy", 1, At(2008, 2, 29), "2009-02-28 00:00:00"},
      {"yyyy", 4, At(2008, 2, 29), "2012-02-29 00:00:00"},
      {"yyyy", 92, At(2008, 2, 29), "2100-02-28 00:00:00"},
      {"q", 1, At(2008, 11, 30), "2009-02-28 00:00:00"},
      {"m", -13, At(2009, 3, 31), "2008-02-29 00:00:00"},
      {"m", 1.9, At(2009, 3, 7), "2009-04-07 00:00:00"},
      {"m", -1.9, At(2009, 3, 7), "2009-02-07 00:00:00"},
      {"d", 1, At(2008, 2, 28), "2008-02-29 00:00:00"},
      {"d", 1, At(2100, 2, 28), "2100-03-01 00:00:00"},
      {"y", 2, At(2008, 2, 28), "2008-03-01 00:00:00"},
      {"w", 7, At(2009, 3, 7), "2009-03-14 00:00:00"},
      {"ww", 2, At(2009, 3, 7, 8), "2009-03-21 08:00:00"},
      {"h", 25, At(2008, 2, 28, 8), "2008-02-29 09:00:00"},
      {"n", -30, At(2009, 3, 7, 0, 10), "2009-03-06 23:40:00"},
      {"s", 1, At(2009, 12, 31, 23, 59, 59), "2010-01-01 00:00:00"},
      {"d", 1, Date(-1.25), "1899-12-30 06:00:00"},
      {"h", 18, Date(-1.25), "1899-12-30 00:00:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Parts(DateAdd(ParseInterval(c.interval), c.number, c.from)), c.result)
        << c.interval << " " << c.number << " " << Parts(c.from);
  }
  EXPECT_EQ(DateAdd(DateInterval::Month, 1, Date(39879.375)).Serial(), 39910.375);
  EXPECT_EQ(DateAdd(DateInterval::Day, -2, Date(0.75)).Serial(), -2.75);
  EXPECT_EQ(ErrorNumberOf([] { DateAdd(DateInterval::Year, 1, At(9999, 12, 31)); }),
            err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { DateAdd(DateInterval::Day, -1, At(100, 1, 1)); }),
            err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { DateAdd(DateInterval::Second, 1e300, At(2009, 1, 1)); }),
            err::kOverflow);
}

TEST(DateDiff, CountsTheBoundariesCrossed) {
  struct {
    const char* interval;
    Date from, to;
    int64_t result;
  } cases[] = {
      {"h", At(2009, 3, 7, 8, 30), At(2009, 3, 7, 17, 0), 9},
      {"h", At(2009, 3, 7, 8, 59), At(2009, 3, 7, 9, 0), 1},
      {"h", At(2009, 3, 7, 8, 0), At(2009, 3, 7, 8, 59), 0},
      {"h", At(2009, 3, 7, 17, 0), At(2009, 3, 7, 8, 30), -9},
      {"h", At(2009, 3, 6, 23, 0), At(2009, 3, 7, 1, 0), 2},
      {"h", At(2009, 3, 7, 8), Date(39879 + 9.0 / 24 - 1e-9), 1},
      {"d", At(2009, 3, 7, 23, 59), At(2009, 3, 8, 0, 1), 1},
      {"d", At(2009, 3, 7, 0, 1), At(2009, 3, 7, 23, 59), 0},
      {"d", At(2008, 2, 28), At(2008, 3, 1), 2},
      {"d", At(2100, 2, 28), At(2100, 3, 1), 1},
      {"d", Date(-1.25), Date(0.25), 1},
      {"n", At(2009, 3, 7, 9, 5, 59), At(2009, 3, 7, 9, 6, 0), 1},
      {"n", At(2009, 3, 7, 9, 5, 0), At(2009, 3, 7, 9, 5, 59), 0},
      {"n", At(2009, 3, 7, 23, 50), At(2009, 3, 8, 0, 10), 20},
      {"s", At(2009, 3, 7, 9, 5, 0), At(2009, 3, 7, 9, 6, 1), 61},
      {"m", At(2009, 1, 31), At(2009, 2, 1), 1},
      {"m", At(2009, 3, 7), At(2008, 3, 7), -12},
      {"yyyy", At(2008, 12, 31), At(2009, 1, 1), 1},
      {"q", At(2009, 3, 31), At(2009, 4, 1), 1},
      {"ww", At(2009, 3, 7), At(2009, 3, 8), 1},  // Saturday to Sunday
      {"ww", At(2009, 3, 8), At(2009, 3, 14), 0},
      {"ww", At(2009, 3, 14), At(2009, 3, 1), -1},
      {"ww", At(2009, 3, 1), At(2009, 3, 15), 2},
      {"w", At(2009, 3, 7), At(2009, 3, 13), 0},
      {"w", At(2009, 3, 7), At(2009, 3, 14), 1},
      {"w", At(2009, 3, 14), At(2009, 3, 1), -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateDiff(ParseInterval(c.interval), c.from, c.to), c.result)
        << c.interval << " " << Parts(c.from) << " -> " << Parts(c.to);
  }
  // Weeks start on the given first day: Sunday 8 March to Monday 9 March
  // crosses a Monday but no Sunday.
  EXPECT_EQ(DateDiff(DateInterval::Week, At(2009, 3, 8), At(2009, 3, 9), 2), 1);
  EXPECT_EQ(DateDiff(DateInterval::Week, At(2009, 3, 9), At(2009, 3, 14), 1), 0);
}

TEST(FormatDate, ReadsBothPictureDialects) {
  Date morning = At(2009, 3, 7, 9, 5, 0);
  Date afternoon = At(2009, 3, 7, 14, 5, 9);
  struct {
    Date date;
    const char* picture;
    const char* text;
  } cases[] = {
      {morning, "M/d/yyyy", "3/7/2009"},
      {morning, "dddd, MMMM d, yyyy", "Saturday, March 7, 2009"},
      {morning, "h:mm:ss tt", "9:05:00 AM"},
      {morning, "mm/dd/yyyy hh:nn", "03/07/2009 09:05"},
      {morning, "ddd d MMM yy", "Sat 7 Mar 09"},
      {morning, "mmmm y", "March 9"},
      {morning, "H:m:s t", "9:5:0 A"},
      {afternoon, "HH:MM:SS AM/PM", "02:05:09 PM"},
      {afternoon, "h:mm:ss tt", "2:05:09 PM"},
      {afternoon, "HH:mm tt", "14:05 PM"},
      {afternoon, "HH:mm", "14:05"},
      {afternoon, "hh:nn", "14:05"},
      {afternoon, "h:mm am/pm", "2:05 pm"},
      {afternoon, "h A/P", "2 P"},
      {afternoon, "hh AMPM", "02 PM"},
      {afternoon, "mm:ss", "05:09"},
      {afternoon, "yyyy-MM-dd'T'HH:mm:ss", "2009-03-07T14:05:09"},
      {afternoon, "yyyy-MM-ddTHH:mm", "2009-03-07T14:05"},
      {afternoon, "\"Day\" d, 'Month' M, \\q q", "Day 7, Month 3, q 1"},
      {afternoon, "ddddd ttttt", "3/7/2009 2:05:09 PM"},
      {afternoon, "dddddd", "Saturday, March 7, 2009"},
      {afternoon, "c", "3/7/2009 2:05:09 PM"},
      {afternoon, "w ww", "7 10"},
      {afternoon, "General Date", "3/7/2009 2:05:09 PM"},
      {afternoon, "long date", "Saturday, March 7, 2009"},
      {afternoon, "Short Date", "3/7/2009"},
      {afternoon, "Long Time", "2:05:09 PM"},
      {afternoon, "Medium Time", "02:05 PM"},
      {afternoon, "Short Time", "14:05"},
      {afternoon, "", "3/7/2009 2:05:09 PM"},
      {Date(-1.25), "yyyy-MM-dd HH:mm", "1899-12-29 06:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDate(c.date, c.picture), c.text) << c.picture;
  }
}

TEST(GeneralDateText, LeavesOutMidnightAndTheZeroDate) {
  EXPECT_EQ(GeneralDateText(At(2009, 3, 7, 9, 5)), "3/7/2009 9:05:00 AM");
  EXPECT_EQ(GeneralDateText(At(2009, 3, 7)), "3/7/2009");
  EXPECT_EQ(GeneralDateText(TimeSerial(9, 5, 0)), "9:05:00 AM");
  EXPECT_EQ(GeneralDateText(Date()), "12:00:00 AM");
  EXPECT_EQ(GeneralDateText(Date(-1.25)), "12/29/1899 6:00:00 AM");
  EXPECT_EQ(LongDateText(At(2009, 3, 7, 9, 5)), "Saturday, March 7, 2009");
}

TEST(RegionalFormats, EuropeanProfileChangesTextsAndReading) {
  RegionalFormatsGuard guard({"d/M/yyyy", "dddd d MMMM yyyy", "HH:mm:ss"});
  Date d = At(2009, 1, 13, 14, 5, 9);
  EXPECT_EQ(GeneralDateText(d), "13/1/2009 14:05:09");
  EXPECT_EQ(ShortDateText(d), "13/1/2009");
  EXPECT_EQ(LongDateText(d), "Tuesday 13 January 2009");
  EXPECT_EQ(ParseDate("13/1/2009 14:05:09"), d);
  EXPECT_EQ(ParseDate("3/7"), At(Year(Today()), 7, 3));
  EXPECT_FALSE(ParseDate("1/13/2009"));
}

TEST(RegionalFormats,
     TwoDigitYearProfileReadsItsOwnShortDateAndASelfNamingFormatDoesNotLoop) {
  RegionalFormatsGuard guard({"dd.MM.yy", "d. MMMM yyyy", "HH:mm"});
  Date d = At(2009, 3, 7, 14, 5);
  EXPECT_EQ(GeneralDateText(d), "07.03.09 14:05");
  EXPECT_EQ(ParseDate("07.03.09 14:05"), d);
  EXPECT_EQ(ParseDate("2009-03-07 14:05"), d);
  SetRegionalFormats({"ddddd", "dddddd c", "ttttt"});
  EXPECT_EQ(GeneralDateText(At(2009, 3, 7, 9, 5)), " ") << "a self-naming format";
}

TEST(SortableDateText, JoinsTheNumbersByTabsAndReadsBackOnlyRealDates) {
  EXPECT_EQ(SortableDateText(At(2009, 3, 7, 9, 5, 40)), "2009\t3\t7\t9\t5");
  EXPECT_EQ(SortableDateText(At(2009, 12, 31, 23, 59, 59)), "2009\t12\t31\t23\t59");
  EXPECT_EQ(SortableDateText(Date::NoDate()), "4501\t1\t1\t0\t0");
  struct {
    const char* text;
    const char* result;  // nullptr: not a sortable text
  } cases[] = {
      {"2009\t3\t7\t9\t5", "2009-03-07 09:05:00"},
      {"2009\t3\t7", "2009-03-07 00:00:00"},
      {"2009\t3\t7\t9", "2009-03-07 09:00:00"},
      {" 2009 \t 3\t7 \t9\t5 ", "2009-03-07 09:05:00"},
      {"2008\t2\t29\t0\t0", "2008-02-29 00:00:00"},
      {"4501\t1\t1\t0\t0", "4501-01-01 00:00:00"},
      {"", nullptr},
      {"2009\t3", nullptr},
      {"2009\t3\t7\t9\t5\t0", nullptr},
      {"2009\t3\t7\t9\t5\t", nullptr},
      {"2009\t\t7", nullptr},
      {"2009\t2\t29", nullptr},
      {"2100\t2\t29", nullptr},
      {"2009\t13\t1", nullptr},
      {"2009\t3\t7\t24\t0", nullptr},
      {"2009\t3\t7\t9\t60", nullptr},
      {"2009\t-3\t7", nullptr},
      {"2009\t3\tx", nullptr},
      {"2009 3 7 9 5", nullptr},
      {"99\t3\t7", nullptr},
  };
  for (const auto& c : cases) {
    std::optional<Date> read = ReadSortableDateText(c.text);
    if (c.result == nullptr) {
      EXPECT_FALSE(read) << c.text;
    } else {
      ASSERT_TRUE(read) << c.text;
      EXPECT_EQ(Parts(*read), c.result) << c.text;
    }
  }
}

TEST(ParseDate, ReadsOrdinaryDateTexts) {
  struct {
    const char* text;
    const char* result;  // nullptr: not a date
  } cases[] = {
      {"2009-03-07", "2009-03-07 00:00:00"},
      {"2009-03-07 09:05:00", "2009-03-07 09:05:00"},
      {"2009-03-07T09:05:00", "2009-03-07 09:05:00"},
      {"3/7/2009", "2009-03-07 00:00:00"},
      {"3/7/2009 9:05", "2009-03-07 09:05:00"},
      {"3/7/2009 9:05:30", "2009-03-07 09:05:30"},
      {"3/7/2009 9:05 PM", "2009-03-07 21:05:00"},
      {"  3/7/2009   9:05 pm ", "2009-03-07 21:05:00"},
      {"3/7/2009 12:00 AM", "2009-03-07 00:00:00"},
      {"3/7/2009 12:30 PM", "2009-03-07 12:30:00"},
      {"9:05 3/7/2009", "2009-03-07 09:05:00"},
      {"3-7-2009", "2009-03-07 00:00:00"},
      {"3/7/09", "2009-03-07 00:00:00"},
      {"3/7/29", "2029-03-07 00:00:00"},
      {"3/7/30", "1930-03-07 00:00:00"},
      {"1/1/100", "0100-01-01 00:00:00"},
      {"7 March 2009", "2009-03-07 00:00:00"},
      {"March 7, 2009", "2009-03-07 00:00:00"},
      {"March 7, 2009 9:05 PM", "2009-03-07 21:05:00"},
      {"Mar 7 2009", "2009-03-07 00:00:00"},
      {"mar. 7, 2009 21:05", "2009-03-07 21:05:00"},
      {"7-Mar-2009", "2009-03-07 00:00:00"},
      {"Sept 30 2009", "2009-09-30 00:00:00"},
      {"Saturday, March 7, 2009", "2009-03-07 00:00:00"},
      {"Sat, 07 Mar 2009 09:05:00", "2009-03-07 09:05:00"},
      {"March 2009", "2009-03-01 00:00:00"},
      {"3/2009", "2009-03-01 00:00:00"},
      {"29 Feb 2008", "2008-02-29 00:00:00"},
      {"9:05", "1899-12-30 09:05:00"},
      {"9:05:30 PM", "1899-12-30 21:05:30"},
      {"9 PM", "1899-12-30 21:00:00"},
      {"9am", "1899-12-30 09:00:00"},
      {"23:59:59", "1899-12-30 23:59:59"},
      {"", nullptr},
      {"   ", nullptr},
      {"hello", nullptr},
      {"2009", nullptr},
      {"1.5", nullptr},
      {"42", nullptr},
      {"2009-02-30", nullptr},
      {"29 Feb 2100", nullptr},
      {"13/1/2009", nullptr},
      {"3/7/2009/1", nullptr},
      {"3//7/2009", nullptr},
      {"3/7-2009", nullptr},
      {"1/1/10000", nullptr},
      {"1/1/0099", nullptr},
      {"March 7 May 2009", nullptr},
      {"Smarch 7, 2009", nullptr},
      {"9:61", nullptr},
      {"25:00", nullptr},
      {"13:00 PM", nullptr},
      {"9:05:30:10", nullptr},
      {"3/7/2009 9:05 XM", nullptr},
      {"Sat, 07 Mar 2009 09:05:00 +0000", nullptr},
      {"3/7/2009 9:05 3/8/2009", nullptr},
      {"12345678901/1/2009", nullptr},
      {"HW-17", nullptr},
      {"T9:05", nullptr},
      {", 9:05", nullptr},
      {"-3/7/2009", nullptr},
      {"3\xC2\xA0"
       "7\xC2\xA0"
       "2009",
       nullptr},
  };
  for (const auto& c : cases) {
    std::optional<Date> read = ParseDate(c.text);
    EXPECT_EQ(IsDate(c.text), read.has_value()) << c.text;
    if (c.result == nullptr) {
      EXPECT_FALSE(read) << c.text << " read as " << Parts(*read);
    } else {
      ASSERT_TRUE(read) << c.text;
      EXPECT_EQ(Parts(*read), c.result) << c.text;
    }
  }
  int year = Year(Today());
  EXPECT_EQ(ParseDate("3/7"), At(year, 3, 7)) << "a date without year is in this one";
  EXPECT_EQ(ParseDate("7 March"), At(year, 3, 7));
}

TEST(ParseDate, ReadsBackWhatTheFormatsWrite) {
  Date dates[] = {At(2009, 3, 7, 9, 5, 30),
                  At(2008, 2, 29),
                  TimeSerial(21, 5, 0),
                  At(100, 1, 1, 0, 0, 1),
                  At(9999, 12, 31, 23, 59, 59),
                  Date(-1.25),
                  Date::NoDate()};
  for (Date d : dates) {
    EXPECT_EQ(ParseDate(GeneralDateText(d)), d) << GeneralDateText(d);
    EXPECT_EQ(ParseDate(FormatDate(d, "yyyy-MM-dd HH:mm:ss")), d) << Parts(d);
    EXPECT_EQ(ReadSortableDateText(SortableDateText(d)), MakeDate([&] {
                DateParts p = SplitDate(d);
                p.second = 0;
                return p;
              }()))
        << Parts(d);
    if (!TimePart(d).IsZero() || DatePart(d).IsZero()) continue;
    EXPECT_EQ(ParseDate(LongDateText(d)), d) << LongDateText(d);
  }
}

}  // namespace
}  // namespace zanvoro
