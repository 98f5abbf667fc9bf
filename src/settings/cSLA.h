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
};

}  // namespace zanvoro
