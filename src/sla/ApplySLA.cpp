#include "sla/ApplySLA.h"

#include <array>
#include <optional>
#include <string>

#include "case/CaseProperties.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "settings/cSLAs.h"
#include "sla/ServiceCalendar.h"

namespace zanvoro {
namespace {

// The settings the calendar is read from, as stored texts (nullopt: absent).
constexpr std::array<std::string_view, 5> kCalendarKeys = {
    calendarkey::kDayServiceStart, calendarkey::kDayServiceEnd,
    calendarkey::kServiceHoursEnabled, calendarkey::kServiceHoursStart,
    calendarkey::kServiceHoursEnd};
using CalendarTexts = std::array<std::optional<std::string>, kCalendarKeys.size()>;

CalendarTexts ReadCalendarTexts(const cOutlookSettings& general) {
  CalendarTexts texts;
  for (size_t i = 0; i < kCalendarKeys.size(); ++i) {
    if (const cOutlookSetting* setting = general.Find(kCalendarKeys[i])) {
      texts[i] = setting->KeyVal;
    }
  }
  return texts;
}

}  // namespace

bool ApplySLAToCaseItem(host::Item& item, std::string_view sla_name, const cSLAs& slas,
                        const ServiceCalendar& calendar, Date now) {
  return Trap("SLA.ApplySLAToCaseItem", false, [&] {
    const cSLA* sla = SLAByName(slas, sla_name);
    if (sla == nullptr) return false;
    item.SetImportance(sla->OutlookPriority());
    int32_t hours = sla->ResponseTimeInHours(calendar.HoursPerResponseDay());
    return WriteCaseDueDate(item, calendar.DueDate(hours, now, now));
  });
}

const ServiceCalendar& SharedServiceCalendar() {
  static const ServiceCalendar kDefault;
  // Kept with the texts it was read from: a new load of the settings that
  // changes any of them makes the next call read the calendar again.
  static CalendarTexts read_from;
  static ServiceCalendar calendar;
  static bool read = false;
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (settings == nullptr) return kDefault;
  CalendarTexts texts = ReadCalendarTexts(settings->GeneralSettings);
  if (!read || texts != read_from) {
    calendar = ServiceCalendar::FromSettings(settings->GeneralSettings);
    read_from = std::move(texts);
    read = true;
  }
  return calendar;
}

}  // namespace zanvoro
