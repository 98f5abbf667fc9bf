// The global settings and the helpdesk's store choice as shared objects of
// the connected add-in, and the start-up steps that make and load them.
//
// InstallSettingsSteps fills these hooks of the connection's LaterSteps
// (a hook already set for another subsystem is kept and called first where
// hooks chain): making and releasing the GlobalSettings and MySettings
// objects, reading the store choice, loading the global settings from the
// helpdesk's Settings folder (GetSettingsFolder; after a load the folder's
// location is saved again and the connection's options are read again with
// the user's "sdo_" setting), the global-setting lookup, and the Settings
// folder's write-permission test. UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zanvoro {

struct LaterSteps;
class cGlobalSettings;
class cMySettings;

void InstallSettingsSteps(LaterSteps& steps);

// The shared objects; nullptr before they are made and after they are
// released.
cGlobalSettings* SharedGlobalSettings();

// The shared settings; raises Error(err::kObjectRequired) when there are
// none (the add-in is not connected or has not made them).
cGlobalSettings& RequireGlobalSettings();

// A general setting of the shared settings, for the subsystems that act on
// them: its text trimmed, as a whole number (0 when missing or not
// numeric), and whether it is on (not 0). Without shared settings: "", 0,
// off.
std::string GeneralSettingText(std::string_view key);
int32_t GeneralSettingNumber(std::string_view key);
bool GeneralSettingOn(std::string_view key);
cMySettings* SharedMySettings();

}  // namespace zanvoro
