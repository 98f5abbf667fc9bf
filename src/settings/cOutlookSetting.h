// One entry of a key/value settings store: the key ("sdoDayServiceStart")
// and its value, always held as text.
#pragma once

#include <cstdint>
#include <string>

namespace zanvoro {

struct cOutlookSetting {
  std::string KeyID;
  std::string KeyVal;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;
};

}  // namespace zanvoro
