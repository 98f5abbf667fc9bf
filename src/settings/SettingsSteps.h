// The global settings and the helpdesk's store choice as shared objects of
// the connected add-in, and the start-up steps that make and load them.
//
// InstallSettingsSteps fills these hooks of the connection's LaterSteps
// (a hook already set for another subsystem is kept and called first where
// hooks chain): making and releasing the GlobalSettings and MySettings
// objects, reading the store choice, loading the global settings from the
// helpdesk's Settings folder (from the SettingsFolderSource; after a load
// the source learns of it, and the connection's options are read again with
// the user's "sdo_" setting), the global-setting lookup, and the Settings
// folder's write-permission test. UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

struct LaterSteps;
class cGlobalSettings;
class cMySettings;

void InstallSettingsSteps(LaterSteps& steps);

// Where the shared settings are kept: the helpdesk's Settings folder
// (nullptr when it is not found), and what to do after they loaded from it.
// The helpdesk folders hand theirs in when their steps are added; until
// then there is no Settings folder and the settings do not load.
struct SettingsFolderSource {
  std::function<std::shared_ptr<host::MAPIFolder>()> folder;
  std::function<void()> loaded;
};
void SetSettingsFolderSource(SettingsFolderSource source);

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
