// The settings a new helpdesk starts with: the initial general settings,
// the notifications switched on from the start, and filling a new
// helpdesk's Settings folder with them.
#pragma once

#include <memory>

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

class cMessageTemplates;
class cOutlookSettings;

// Puts the initial values of a new helpdesk into `general`.
void PutInitialGeneralSettings(cOutlookSettings& general);
// Switches on the caller's confirmation and closure mails, the reopening,
// due-date, caller-reply and SLA-breach mails; every other notification
// starts off until the administrator turns it on.
void SwitchOnNewHelpdeskNotifications(cMessageTemplates& templates);

// Fills the new helpdesk whose Settings folder is `settings_folder` with
// the initial settings: the "DBSettings" item choosing the folder as store
// (unless an item is already there), the "ZanvoroSettings" item with every
// list, the initial general settings, and the counters. `language_index`
// picks the default templates' language (6 French). Returns whether all was
// written.
bool LoadInitialSettingsToNewDB(const std::shared_ptr<host::MAPIFolder>& settings_folder,
                                int language_index = 1);

}  // namespace zanvoro
