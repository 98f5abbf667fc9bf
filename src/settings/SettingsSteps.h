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

namespace zanvoro {

struct LaterSteps;
class cGlobalSettings;
class cMySettings;

void InstallSettingsSteps(LaterSteps& steps);

// The shared objects; nullptr before they are made and after they are
// released.
cGlobalSettings* SharedGlobalSettings();
cMySettings* SharedMySettings();

}  // namespace zanvoro
