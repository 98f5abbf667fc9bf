#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "runtime/Date.h"
#include "settings/cOutlookSettings.h"
#include "settings/cSLA.h"
#include "settings/cSLAs.h"
#include "sla/ApplySLA.h"
#include "sla/ServiceCalendar.h"

namespace zanvoro {
namespace {

enum class Hours { Off, On };

Date At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return MakeDate({year, month, day, hour, minute, second});
}

// Monday to Friday, with service hours 08:00 to 17:00 when on.
ServiceCalendar Weekdays(Hours hours, Date start = TimeSerial(8, 0, 0),
                         Date end = TimeSerial(17, 0, 0)) {
  ServiceCalendar calendar;
  calendar.FirstServiceDay = 2;
  calendar.LastServiceDay = 6;
  calendar.ServiceHoursEnabled = hours == Hours::On;
  calendar.ServiceStart = start;
  calendar.ServiceEnd = end;
  return calendar;
}

std::string Text(Date d) {
  return d.IsNoDate() ? "no date" : FormatDate(d, "ddd yyyy-mm-dd hh:nn:ss");
}

// December 2026: Friday the 4th, Monday the 7th ... Saturday the 12th.
TEST(ServiceCalendar, DueDatesCountServiceDaysAndHours) {
  constexpr int64_t kHuge = std::numeric_limits<int32_t>::max();
  struct {
    const char* what;
    Hours hours;
    int64_t response;
    Date start;
    Date due;
  } cases[] = {
      {"weekend days on the way add a day each", Hours::Off, 48, At(2026, 12, 4, 10),
       At(2026, 12, 8, 10)},
      {"a start on Saturday counts from Monday's midnight", Hours::Off, 24,
       At(2026, 12, 12, 10), At(2026, 12, 15)},
      {"no response time is due at the start", Hours::Off, 0, At(2026, 12, 9, 10),
       At(2026, 12, 9, 10)},
      {"negative hours count as none", Hours::Off, -5, At(2026, 12, 9, 10),
       At(2026, 12, 9, 10)},
      {"hours past the service end skip the night", Hours::On, 4, At(2026, 12, 7, 15),
       At(2026, 12, 8, 10)},
      {"a day of service hours ends at the service end", Hours::On, 9, At(2026, 12, 7, 8),
       At(2026, 12, 7, 17)},
      {"more than a day of hours skips a night per whole day", Hours::On, 20,
       At(2026, 12, 7, 8), At(2026, 12, 9, 10)},
      {"a start on Saturday counts from Monday's service start", Hours::On, 4,
       At(2026, 12, 12, 10), At(2026, 12, 14, 12)},
      {"a start exactly at the service end counts from the next start", Hours::On, 4,
       At(2026, 12, 7, 17), At(2026, 12, 8, 12)},
      {"seconds of the start are kept", Hours::On, 4, At(2026, 12, 7, 17, 0, 30),
       At(2026, 12, 8, 12, 0, 30)},
      {"a start after the service end counts from the next start", Hours::On, 4,
       At(2026, 12, 7, 17, 1), At(2026, 12, 8, 12)},
      {"Friday after hours is due on Monday", Hours::On, 4, At(2026, 12, 11, 18),
       At(2026, 12, 14, 12)},
      {"Friday afternoon runs over the weekend", Hours::On, 4, At(2026, 12, 11, 15),
       At(2026, 12, 14, 10)},
      {"a huge count is no date", Hours::Off, kHuge, At(2026, 12, 7, 8), Date::NoDate()},
      {"a huge count of service hours is no date", Hours::On, kHuge, At(2026, 12, 7, 8),
       Date::NoDate()},
  };
  for (const auto& c : cases) {
    Date due = Weekdays(c.hours).DueDate(c.response, c.start, c.start);
    EXPECT_EQ(Text(due), Text(c.due)) << c.what;
  }
}

TEST(ServiceCalendar, DueDateNeverFallsOnTheWeekendNorBeforeTheStart) {
  const ServiceCalendar calendars[] = {
      Weekdays(Hours::Off), Weekdays(Hours::On),
      Weekdays(Hours::On, TimeSerial(8, 30, 0), TimeSerial(16, 45, 0))};
  const int64_t responses[] = {1, 4, 9, 15, 20, 48, 99};
  for (const ServiceCalendar& calendar : calendars) {
    for (Date start = At(2026, 1, 1); start < At(2027, 1, 1);
         start = DateAdd(DateInterval::Hour, 1, start)) {
      for (int64_t response : responses) {
        Date due = calendar.DueDate(response, start, start);
        int weekday = Weekday(due);
        ASSERT_TRUE(weekday >= 2 && weekday <= 6 && due >= start)
            << response << " hours from " << Text(start) << " gave " << Text(due)
            << (calendar.ServiceHoursEnabled ? " with service hours" : "");
      }
    }
  }
}

TEST(ServiceCalendar, ServiceHoursPerDayCountHourBoundariesAndNoneMeansHoursOff) {
  struct {
    Date start, end;
    int32_t hours;
  } cases[] = {{TimeSerial(8, 0, 0), TimeSerial(17, 0, 0), 9},
               {TimeSerial(8, 30, 0), TimeSerial(17, 0, 0), 9},
               {TimeSerial(8, 59, 0), TimeSerial(17, 59, 0), 9},
               {TimeSerial(8, 0, 0), TimeSerial(8, 0, 0), 0},
               {TimeSerial(8, 0, 0), TimeSerial(8, 59, 0), 0},
               {TimeSerial(17, 0, 0), TimeSerial(8, 0, 0), -9},
               {Date(), Date(), 0}};
  const ServiceCalendar off = Weekdays(Hours::Off);
  EXPECT_EQ(off.HoursPerResponseDay(), 24);
  for (const auto& c : cases) {
    ServiceCalendar calendar = Weekdays(Hours::On, c.start, c.end);
    EXPECT_EQ(calendar.ServiceHoursPerDay(), c.hours) << Text(c.start);
    EXPECT_EQ(calendar.HoursPerResponseDay(), c.hours > 0 ? c.hours : 24);
    if (c.hours > 0) continue;
    // A window without a whole hour counts as no service hours at all.
    EXPECT_FALSE(calendar.UsesServiceHours());
    for (Date start : {At(2026, 12, 7, 7), At(2026, 12, 11, 18), At(2026, 12, 13, 12)}) {
      for (int64_t response : {4, 9, 50}) {
        EXPECT_EQ(Text(calendar.DueDate(response, start, start)),
                  Text(off.DueDate(response, start, start)));
      }
    }
  }
}

TEST(ServiceCalendar, ReadsTheServiceWeekFromTheGeneralSettings) {
  struct {
    const char* settings;  // the general settings' text form
    int first, last;
    bool enabled;
    Date start, end;
  } cases[] = {
      {"", 2, 7, false, Date(), Date()},
      {"sdoDayServiceStart;0:sdoDayServiceEnd;4:sdoServiceHoursEnabled;1:"
       "sdoServiceHoursStart;08&colon00&colon00 AM:sdoServiceHoursEnd;05&colon30&colon00 "
       "PM",
       1, 5, true, TimeSerial(8, 0, 0), TimeSerial(17, 30, 0)},
      {"sdoDayServiceStart;x:sdoDayServiceEnd;7:sdoServiceHoursEnabled;0:"
       "sdoServiceHoursStart;later:sdoServiceHoursEnd;",
       2, 7, false, Date(), Date()},
      {"sdoDayServiceStart;1.0:sdoDayServiceEnd;-1:sdoServiceHoursEnabled;-1:"
       "sdoServiceHoursStart;3/7/2009 9&colon15&colon00 AM",
       2, 7, true, TimeSerial(9, 15, 0), Date()},
  };
  for (const auto& c : cases) {
    cOutlookSettings general;
    general.FromString(c.settings);
    ServiceCalendar calendar = ServiceCalendar::FromSettings(general);
    EXPECT_EQ(calendar.FirstServiceDay, c.first) << c.settings;
    EXPECT_EQ(calendar.LastServiceDay, c.last) << c.settings;
    EXPECT_EQ(calendar.ServiceHoursEnabled, c.enabled) << c.settings;
    EXPECT_EQ(Text(calendar.ServiceStart), Text(c.start)) << c.settings;
    EXPECT_EQ(Text(calendar.ServiceEnd), Text(c.end)) << c.settings;
  }
}

TEST(ServiceCalendar, DefaultDueDateFollowsTheAssignmentSetting) {
  const Date saturday = At(2026, 12, 12, 10);
  struct {
    const char* settings;
    Hours hours;
    Date due;
  } cases[] = {
      // Without a rule a case gets no due date, so it is never overdue at once.
      {"", Hours::Off, Date::NoDate()},
      {"sdoDueDateAssignment;0:sdoScheduleDueDateDays;3", Hours::Off, Date::NoDate()},
      {"sdoDueDateAssignment;1:sdoScheduleDueDateDays;2", Hours::Off, At(2026, 12, 16)},
      {"sdoDueDateAssignment;1:sdoScheduleDueDateDays;2", Hours::On, At(2026, 12, 16, 8)},
      {"sdoDueDateAssignment;1:sdoScheduleDueDateDays;99999999", Hours::On,
       Date::NoDate()},
      {"sdoDueDateAssignment;2", Hours::Off, At(2026, 12, 14)},
  };
  for (const auto& c : cases) {
    cOutlookSettings general;
    general.FromString(c.settings);
    EXPECT_EQ(Text(Weekdays(c.hours).DefaultDueDate(general, saturday)), Text(c.due))
        << c.settings;
  }
}

TEST(cSLA, ResponseTimesConvertToHours) {
  struct {
    const char* text;
    int32_t hours_of_9;  // with 9 hours per day
    int32_t hours_of_24;
  } cases[] = {{"1-hr", 1, 1},
               {"2-hrs", 2, 2},
               {"12-hrs", 12, 12},
               {"20-hrs", 20, 20},
               {"1-day", 9, 24},
               {"2-days", 18, 48},
               {"6-days", 54, 144},
               {"1-week", 63, 168},
               {"13-days", 117, 312},
               {"2-weeks", 126, 336},
               {"3-weeks", 189, 504},
               {"1-month", 270, 720},
               {"", 0, 0},
               {"1-Day", 0, 0},
               {"1-hrs", 0, 0},
               {"2 days", 0, 0},
               {" 1-hr", 0, 0}};
  for (const auto& c : cases) {
    cSLA sla{"Gold", "High", c.text};
    EXPECT_EQ(sla.ResponseTimeInHours(9), c.hours_of_9) << c.text;
    EXPECT_EQ(sla.ResponseTimeInHours(24), c.hours_of_24) << c.text;
  }
}

TEST(cSLA, PriorityMapsToImportance) {
  struct {
    const char* priority;
    int32_t importance;
  } cases[] = {{"Low", 0},  {"", 0},     {"Normal", 1},
               {"High", 2}, {"high", 0}, {"Urgent", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ((cSLA{"Gold", c.priority, "1-hr"}.OutlookPriority()), c.importance)
        << c.priority;
  }
}

class ApplySLATest : public testsupport::CaseTest {
 protected:
  ApplySLATest() {
    slas_.Add(cSLA{"Gold", "High", "4-hrs"});
    slas_.Add(cSLA{"Bronze", "Low", "2-days"});
  }
  cSLAs slas_;
  const Date monday_ = At(2026, 12, 7, 15);
};

TEST_F(ApplySLATest,
       WritesTheImportanceAndTheDueDateWithItsCompanionsOrNothingWhenUnknown) {
  auto item = NewOngoingItem();
  ServiceCalendar calendar = Weekdays(Hours::On);
  ASSERT_TRUE(ApplySLAToCaseItem(*item, "gold", slas_, calendar, monday_));
  Date due = At(2026, 12, 8, 10);
  EXPECT_EQ(item->Importance(), 2);
  EXPECT_EQ(Text(ReadItemDate(*item, caseprop::kDueDate)), Text(due));
  EXPECT_EQ(ReadItemText(*item, caseprop::kDueDateS), SortableDateText(due));
  EXPECT_EQ(ReadItemText(*item, caseprop::kDueDateLong), LongDateText(due));

  // Days of response time are days of service hours: 18 hours from Monday
  // 15:00.
  ASSERT_TRUE(ApplySLAToCaseItem(*item, "Bronze", slas_, calendar, monday_));
  EXPECT_EQ(item->Importance(), 0);
  EXPECT_EQ(Text(ReadItemDate(*item, caseprop::kDueDate)), Text(At(2026, 12, 9, 15)));

  auto untouched = NewOngoingItem();
  untouched->SetImportance(2);
  EXPECT_FALSE(ApplySLAToCaseItem(*untouched, "Platinum", slas_, calendar, monday_));
  EXPECT_EQ(untouched->Importance(), 2);
  EXPECT_TRUE(ReadItemDate(*untouched, caseprop::kDueDate).IsZero());
  EXPECT_EQ(ReadItemText(*untouched, caseprop::kDueDateS), "");
}

TEST_F(ApplySLATest, SharedCalendarFollowsTheLoadedSettings) {
  const ServiceCalendar& calendar = SharedServiceCalendar();
  EXPECT_EQ(calendar.FirstServiceDay, 2);  // a new helpdesk: Monday to Saturday
  EXPECT_EQ(calendar.LastServiceDay, 7);

  cOutlookSettings& general = Settings().GeneralSettings;
  general.SetValue("sdoDayServiceEnd", "5");
  general.SetValue("sdoServiceHoursEnabled", "1");
  general.SetValue("sdoServiceHoursStart", "08:00:00 AM");
  general.SetValue("sdoServiceHoursEnd", "05:00:00 PM");
  EXPECT_EQ(SharedServiceCalendar().LastServiceDay, 6);
  EXPECT_TRUE(SharedServiceCalendar().UsesServiceHours());
  EXPECT_EQ(SharedServiceCalendar().ServiceHoursPerDay(), 9);
}

}  // namespace
}  // namespace zanvoro
