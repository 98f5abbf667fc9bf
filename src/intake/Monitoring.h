// Mailbox monitoring: which folders this instance watches and what it does
// with what arrives there. Watched are the monitored folders and mailboxes
// of the list "sdoMonitoredEmailFolders" (each claimed for this user, see
// cMonitoredFolderSettings), the Ongoing folder (mail dropped or delivered
// straight into it), an optional tracking folder (which technician handled
// a conversation) and the "ManagerCopy" folder under Sent Items (the sent
// copies of the helpdesk's own mail). Every watch is an ItemAdd
// subscription held in memory from start-up (or the last refresh) until
// shut-down, a refresh, the loss of write access to one folder or the
// Ongoing folder's refusal of new cases. While it holds claims, a running
// instance rewrites them every hour, so that they never look abandoned.
//
// InstallMonitoringSteps plugs all of it into the connection's start-up
// and shut-down. Every public procedure follows the failure convention
// (Trap, locations "CaseHelper.<procedure>"); an error inside an event
// handler is trapped and the next item is processed normally. UI thread
// only.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Date.h"

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

struct LaterSteps;
struct cMonitoredFolderData;
class cGlobalSettings;
class cMonitoredFolderDataList;
class cMonitoredFolderSettings;

// Whether TrackMailFolders asks before it processes the mail already lying
// in a monitored folder (without asking it does).
enum class AskUser { No, Yes };

// Makes and releases the monitoring objects (MonitoredFolderSettings,
// MonitorResearchMailbox, SentCopyFoldersM, OpenFolderMonitor) and fills the
// hooks monitored_folders_configured, track_mail_folders,
// start_open_folder_monitoring, process_ongoing_folder,
// watch_sent_copy_folders, start_tracking_folder and
// give_up_monitoring_claims; hooks of other subsystems are kept and called
// first. Installs the MonitoringControl the intake uses.
void InstallMonitoringSteps(LaterSteps& steps);

// The claim records object; nullptr before it is made and after release.
cMonitoredFolderSettings* SharedMonitoredFolderSettings();

// The monitored-folder list of `settings` (its "sdoMonitoredEmailFolders"
// text), and writing it back (general settings saved). WriteMonitoredFolders
// returns whether it was saved.
cMonitoredFolderDataList MonitoredFolderList(const cGlobalSettings& settings);
bool WriteMonitoredFolders(cGlobalSettings& settings,
                           const cMonitoredFolderDataList& list);

// A folder or mailbox to monitor, as an administrator names it.
struct MonitoredFolderRequest {
  std::string name;  // a folder path ("\\Store\\Folder") or a mailbox name
  std::string category;
  std::string type;
  std::string technician;
  std::string sla;
  std::string mode = "Both";  // New, Update or Both, letter case ignored
};
// Adds the folder to the monitored folders of `settings` and saves them.
// Raises Error naming the problem, with nothing saved, when the name is
// empty or holds "|", the folder is not found (a mailbox may be), it is a
// helpdesk folder or below one, it is monitored already, or the mode is
// another word; raises Error(err::kCallFailed) when the save fails.
// Returns the new entry.
cMonitoredFolderData AddMonitoredFolder(cGlobalSettings& settings,
                                        const MonitoredFolderRequest& request);

// Whether the workload option lets this user on this computer monitor:
// "sdoWorkloadFoldersOption" 1 names a technician ("sdoWorkloadFoldersTech"),
// 2 a computer ("sdoWorkloadFoldersComputer"); empty names and other
// options let everyone.
bool WorkloadAllowsMonitoring();

// Drops every monitored-folder watch, then, when the list is not empty and
// the Settings folder is writable, TrackMailFolders.
void RefreshMonitorMailFolders(AskUser ask);
// Watches every active, non-mandatory listed folder that can be opened and
// is claimed for this user; mail already there is processed first, from
// the last item to the first (after asking, with AskUser::Yes).
void TrackMailFolders(AskUser ask);
// Watches the Ongoing folder when the workload gate lets this user and the
// claim "OngoingCases" is theirs. Returns whether it is watched.
bool InitializeOpenFolderMonitoring();
// The start-up sweep: every item of the Ongoing folder that is not an open
// case is processed (a closed case re-opened, anything else handed to the
// intake). Only when the claim "OngoingCases" is this user's or can be made
// theirs: another user's instance sweeping the same folder leaves it alone.
void ProcessExistingEmailsInOngoinCasesFolder();
// ItemAdd of a monitored folder: an item whose subject carries a case
// reference is processed under ActionMode "Update" or "Both", one without
// under "New" or "Both". Returns whether the intake processed it.
bool ProcessMonitoredItem(const std::shared_ptr<host::Item>& item,
                          const cMonitoredFolderData& folder_data);
// Watches "ManagerCopy" under the default Sent Items folder (made when
// missing). Returns whether it is watched.
bool SetupSentCopySentItemsFolder();
// Watches the tracking folder when "tpoTrackingFolderEnabled" is on and
// "tpoTrackingFolderEntryID"/"tpoTrackingFolderStoreID" open. Returns
// whether it is watched.
bool StartTrackingFolder();
// Gives up this user's claims and drops every watch of the monitored
// folders and the Ongoing folder.
void StopAllMonitoring();

// What is watched now: the monitored folders' names (in list order), and
// whether the Ongoing, sent-copy and tracking folders are.
std::vector<std::string> WatchedMonitoredFolders();
bool OngoingFolderWatched();
bool SentCopyFolderWatched();
bool TrackingFolderWatched();

// Rewrites the claims this instance holds with the present time; a folder
// whose claim another user holds now is no longer watched, and one this
// instance was asked to watch while another held it is watched once that
// claim lapsed. The hourly timer runs this, also while this instance only
// stands by.
void RefreshMonitoringClaims();

// The clock of the claims and the refresh timer's interval: replaceable
// for tests. Setting it applies to claims made from then on; an empty
// `now` is the local time.
struct MonitoringClock {
  std::function<Date()> now;
  std::chrono::milliseconds refresh_interval = std::chrono::hours(1);
};
void SetMonitoringClock(MonitoringClock clock);

}  // namespace zanvoro
