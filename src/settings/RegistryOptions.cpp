#include "settings/RegistryOptions.h"

#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro {

bool HelpdeskLocationMissing() {
  return GetRegistryValue(kRegistryApp, "", "VNHEntryID", "").empty() &&
         GetRegistryValue(kRegistryApp, "", "VNHStoreID", "").empty();
}

int16_t OptionNumber(std::string_view text) {
  if (!IsNumeric(text)) return 0;
  try {
    return CInt(Variant(text));
  } catch (const Error&) {  // does not fit in 16 bits
    return 0;
  }
}

RegistryOptions RegistryOptions::Read() {
  auto number = [](const char* key, const char* default_value) {
    return OptionNumber(GetRegistryValue(kRegistryApp, "", key, default_value));
  };
  RegistryOptions o;
  o.AllowPhoneCalls = number("AllowPhoneCalls", "");
  o.PhoneCallsOption = number("PhoneCallsOption", "");
  o.COMPORT = number("COMPORT", "");
  o.DoNotReloadSettings = number("DoNotReloadSettings", "");
  o.UseDedicatedGroupForRibbons = number("UseDedicatedGroupForRibbons", "");
  o.RibbonTabPlacement = number("RibbonTabPlacement", "");
  o.TrackIncomingReplies = number("TrackIncomingReplies", "1");
  o.TrackOutgoingReplies = number("TrackOutgoingReplies", "1");
  o.IncomingRepliesDaysBackToScan = number("IncomingRepliesDaysBackToScan", "");
  o.intDaysBackToScan = number("intDaysBackToScan", "1");
  o.intMoveIncomingEmail = number("intMoveIncomingEmail", "0");
  o.intMoveOutgoingEmail = number("intMoveOutgoingEmail", "0");
  o.OverwriteOLAPCubeFolder = number("OverwriteOLAPCubeFolder", "0");
  o.StartUpOption = number("StartUpOption", "0");
  o.ClearFormCacheOnStartup = number("ClearFormCacheOnStartup", "0");
  o.DefLang = GetRegistryValue(kRegistryApp, "", "DefLang", "");
  o.OLAPCubeFolderPath = GetRegistryValue(kRegistryApp, "", "OLAPCubeFolderPath", "");
  o.IamTechnician = GetRegistryValue(kRegistryApp, "", "IamTechnician", "");
  return o;
}

RegistryOptions RegistryOptions::ReadWithUserOption(
    const std::function<std::string(std::string_view)>& global_setting,
    std::string_view user_name) {
  RegistryOptions o = Read();
  if (global_setting)
    o.UserOption = OptionNumber(global_setting("sdo_" + std::string(user_name)));
  return o;
}

}  // namespace zanvoro
