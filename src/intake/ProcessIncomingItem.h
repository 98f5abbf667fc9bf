// Turning an item that arrived in a watched place into a case: the one
// entry point every watcher calls (a monitored folder or mailbox, the
// Ongoing folder, the start-up sweep). An item either becomes a new case,
// is attached to its existing case, or is set aside ("Unprocessed Emails",
// "Conflicted Emails" beside it).
//
// Every public procedure follows the failure convention (Trap, locations
// "CaseHelper.<procedure>"). UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
}  // namespace host

struct cMonitoredFolderData;

// Processes `item` (see above). `origin` is the "sdoOriginEmail" setting;
// `folder_data` the monitored folder's record, or nullptr (the Ongoing
// folder, the start-up sweep). Returns whether the item was processed.
bool ProcessIncomingItem(const std::shared_ptr<host::Item>& item, std::string_view origin,
                         const cMonitoredFolderData* folder_data);

// What the intake asks of the monitoring when a folder cannot be written
// (stop watching that folder until the next start) or the Ongoing folder
// refuses new cases (stop watching every folder). The monitoring installs
// them; without them nothing is stopped.
struct MonitoringControl {
  std::function<void(host::MAPIFolder& folder)> stop_folder;
  std::function<void()> stop_all;
};
void SetMonitoringControl(MonitoringControl control);

}  // namespace zanvoro
