// A service-level agreement as the SLA list holds it: its name, its
// priority and its response time, each as stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zanvoro {

struct cSLA {
  std::string Name;
  std::string Priority;
  std::string ResponseTime;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;

  static constexpr size_t kFieldCount = 3;
  const std::string& ListKey() const { return Name; }
  std::vector<std::string> TextFields() const { return {Name, Priority, ResponseTime}; }
  static cSLA FromTextFields(const std::vector<std::string>& fields);

  // Importance for the priority: "Normal" 1, "High" 2, anything else
  // (including "Low" and "") 0.
  int32_t OutlookPriority() const;
  // The response time in hours: hour texts ("1-hr" .. "20-hrs") as written;
  // day texts ("1-day" .. "1-month", a week 7 days, a month 30) as days
  // times `hours_per_day` (the service calendar's HoursPerResponseDay); 0 for
  // any other text.
  int32_t ResponseTimeInHours(int32_t hours_per_day) const;
};

}  // namespace zanvoro
