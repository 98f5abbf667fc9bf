// The global settings and the helpdesk's store choice as shared objects of
// the connected add-in, and the start-up steps that make and load them.
//
// InstallSettingsSteps fills these hooks of the connection's LaterSteps
// (a hook already set for another subsystem is kept and called first where
// hooks chain): making and releasing the GlobalSettings and MySettings
// objects, reading the store choice, loading the global settings (after
// which the connection's options are read again with the user's "sdo_"
// setting), the global-setting lookup, and the Settings folder's
// write-permission test. UI thread only.
#pragma once

#include <memory>

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

struct LaterSteps;
class cGlobalSettings;
class cMySettings;

void InstallSettingsSteps(LaterSteps& steps);

// The shared objects; nullptr before they are made and after they are
// released.
cGlobalSettings* SharedGlobalSettings();
cMySettings* SharedMySettings();

// The Settings folder of the connected add-in's helpdesk: the one its
// folder lookup finds, or (while no lookup is installed) the folder the
// user's stored location ("VNHEntryID", "VNHStoreID") names. nullptr when
// there is none.
std::shared_ptr<host::MAPIFolder> HelpdeskSettingsFolder();

}  // namespace zanvoro
