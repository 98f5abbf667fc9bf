// The per-user values of the registry that the global settings read at load
// and write back: their names and defaults, and the reading and writing of
// all of them. Without a registry hive the defaults are read and nothing is
// written. Raises the registry's errors. UI thread only.
#pragma once

#include <string>

#include "runtime/Dictionary.h"

namespace zanvoro {

// The per-user values of the registry key "Software\Pellworth\VNH" that the
// settings read at load and write back, with their defaults.
struct UserRegistryValue {
  const char* name;
  const char* default_value;
};
inline constexpr UserRegistryValue kUserRegistryValues[] = {
    {"AllowPhoneCalls", ""},
    {"PhoneCallsOption", ""},
    {"COMPORT", ""},
    {"DoNotReloadSettings", ""},
    {"DefLang", ""},
    {"UseDedicatedGroupForRibbons", ""},
    {"TrackIncomingReplies", "1"},
    {"TrackOutgoingReplies", "1"},
    {"IncomingRepliesDaysBackToScan", ""},
    {"intDaysBackToScan", "1"},
    {"intMoveIncomingEmail", "0"},
    {"intMoveOutgoingEmail", "0"},
    {"OverwriteOLAPCubeFolder", "0"},
    {"OLAPCubeFolderPath", ""},
    {"IamTechnician", ""},
    {"RibbonTabPlacement", ""},
    {"StartUpOption", "0"},
    {"ClearFormCacheOnStartup", "0"},
};

// Every value of kUserRegistryValues under "VNH", with its default when it
// is missing; `values` holds those and no others afterwards.
void LoadUserRegistryValues(Dictionary<std::string>& values);
// Writes every value of kUserRegistryValues back (its default when `values`
// lacks it).
void StoreUserRegistryValues(const Dictionary<std::string>& values);

}  // namespace zanvoro
