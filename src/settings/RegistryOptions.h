// The per-user options read from the registry at connection (all the
// add-in's values but the four Settings folder values). Numbers are 16-bit;
// a value that is not a number that fits leaves its field at 0.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zanvoro {

struct RegistryOptions {
  int16_t AllowPhoneCalls = 0;
  int16_t PhoneCallsOption = 0;
  int16_t COMPORT = 0;
  int16_t DoNotReloadSettings = 0;
  int16_t UseDedicatedGroupForRibbons = 0;
  int16_t RibbonTabPlacement = 0;
  int16_t TrackIncomingReplies = 0;
  int16_t TrackOutgoingReplies = 0;
  int16_t IncomingRepliesDaysBackToScan = 0;
  int16_t intDaysBackToScan = 0;
  int16_t intMoveIncomingEmail = 0;
  int16_t intMoveOutgoingEmail = 0;
  int16_t OverwriteOLAPCubeFolder = 0;
  int16_t StartUpOption = 0;
  int16_t ClearFormCacheOnStartup = 0;
  std::string DefLang;
  std::string OLAPCubeFolderPath;
  std::string IamTechnician;
  // The global setting "sdo_<current user>", filled only by ReadWithUserOption.
  int16_t UserOption = 0;

  // Reads every value from the registry (GetRegistryValue under "VNH"),
  // with the defaults of absent values. Raises the registry's errors.
  static RegistryOptions Read();
  // Read, then UserOption from `global_setting("sdo_" + user_name)`, once the
  // global settings are loaded.
  static RegistryOptions ReadWithUserOption(
      const std::function<std::string(std::string_view)>& global_setting,
      std::string_view user_name);
};

// True while neither "VNHEntryID" nor "VNHStoreID" is stored: no helpdesk
// has been chosen yet. Raises the registry's errors.
bool HelpdeskLocationMissing();

// The text as a 16-bit number; 0 when it is not one or does not fit.
int16_t OptionNumber(std::string_view text);

}  // namespace zanvoro
