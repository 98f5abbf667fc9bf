// The start-up and shut-down steps that belong to subsystems built on top
// of the connection: the folder locator, the settings, the explorer
// manager, the monitoring objects, the database and the ribbon. The
// connection (ZFO_M) calls every step in its fixed order and records it;
// a hook that is empty is a step that does nothing yet.
//
// Filled in by the folder/settings/monitoring subsystems as they arrive;
// until then every hook below is empty, which means: no shared objects are
// created, no helpdesk folder is found, the global settings do not load
// (so no monitoring and no companion process start), and shut-down has
// nothing of theirs to release.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "errors/HelpdeskFolder.h"

namespace zanvoro {

namespace host {
class Explorer;
class Explorers;
class MAPIFolder;
}  // namespace host

// The shared objects other subsystems own, in the order the shut-down
// releases them (the host application and the MAPI namespace are the
// connection's own and released by it in between).
enum class SharedObject {
  OpenFolderMonitor,        // cMonitorOpenFolder
  GlobalSettings,           // cGlobalSettings
  MonitoredFolderSettings,  // cMonitoredFolderSettings
  SharedCollections,        // the two shared collections
  MySettings,               // cMySettings: the personal database choice
  HelpdeskFolders,          // the six helpdesk folders
  UISettings,               // cUISettings
  FileSystem,               // the file-system object
  ExplorersEventManager,    // cExplorersEventManager
  SentCopyFoldersM,         // cSentCopyFoldersM
  MonitorResearchMailbox,   // cMonitorResearchMailbox
  RemainingCollection,      // the remaining collection
  Ribbon,                   // the ribbon handed to OnLoad
  WordApplication,          // the word processor a case export started
  DatabaseConnections,      // the two settings-database connections
  MAPIUtils,                // the secure wrapper's utilities (Cleanup)
};

// The object's class name ("cGlobalSettings"), for the step trace.
std::string_view SharedObjectName(SharedObject object);

struct LaterSteps {
  // Start-up steps 4 to 7: make the object (empty until loaded).
  std::function<void(SharedObject)> create;
  // Shut-down step 4 and 5: release (or close, quit, clean up) the object.
  std::function<void(SharedObject)> release;
  // Step 4: the explorer event manager takes the host's explorers.
  std::function<void(host::Explorers&)> hand_explorers;
  // Step 5: cSentCopyFoldersM.Initialize.
  std::function<void()> initialize_sent_copy_folders;
  // Step 8: the explorer manager builds its toolbar buttons on the explorer.
  std::function<void(host::Explorer&)> load_menu;
  // Step 10.3: the first-run wizard frmFirstTime.
  std::function<void()> first_time_wizard;
  // Steps 11.1 to 11.4.
  std::function<void()> locate_helpdesk_folders;
  std::function<void()> read_my_settings;
  std::function<void()> update_database_schema;
  // Returns whether the global settings loaded.
  std::function<bool()> load_global_settings;
  // StartBackgroundWork.
  std::function<bool()> monitored_folders_configured;
  // Tests write permission on the Settings folder (and shows the advice
  // when it is missing).
  std::function<bool()> settings_folder_writable;
  std::function<void()> track_mail_folders;
  std::function<void()> start_open_folder_monitoring;
  std::function<void()> process_ongoing_folder;
  // The lapsed-due-date watch: started last in the background work, stopped
  // at shut-down before any shared object is released.
  std::function<void()> start_due_date_watch;
  std::function<void()> stop_due_date_watch;
  // Step 11.5 after the background work.
  std::function<void()> watch_sent_copy_folders;
  std::function<void()> start_tracking_folder;
  // Shut-down step 1 (the ribbon's Invalidate) and step 3 (giving up this
  // user's monitoring claims, when the objects for it exist).
  std::function<void()> invalidate_ribbon;
  std::function<void()> give_up_monitoring_claims;
  // Shut-down step 6: unload the windows of the other subsystems.
  std::function<void()> unload_windows;

  // Lookups: a helpdesk folder (nullptr when not found), its full path (""),
  // and a global setting's text ("" when missing or not loaded).
  std::function<std::shared_ptr<host::MAPIFolder>(HelpdeskFolder)> folder;
  std::function<std::string(HelpdeskFolder)> folder_path;
  std::function<std::string(std::string_view)> global_setting;
};

}  // namespace zanvoro
