// Where the helpdesk is: the six sibling folders (Ongoing, Resolved,
// Knowledge base, Settings, History, Schedule), found from one stored
// pointer, the location of the Settings folder in the user's registry
// values "VNHEntryID", "VNHStoreID", "VNHOutlookPath" and "VNHName".
//
// The found folders are held for the life of the add-in run. The getters
// are lazy: a folder that is not known yet makes them locate the helpdesk
// again and return what that found (nullptr when the kind has no marked
// sibling). ForgetHelpdeskFolders drops them (shut-down, reconfiguration).
//
// The session is the connected add-in's (ConnectedAddin()); without a
// connected add-in nothing is found. Every public procedure here follows
// the failure convention (Trap) and returns its neutral value on an
// unexpected failure. UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "case/cOutlookFolder.h"
#include "errors/HelpdeskFolder.h"
#include "host/store/StoreTypes.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
class NameSpace;
}  // namespace host

struct LaterSteps;

// Whether GetFolderFromPath tells the user when the path leads nowhere.
enum class PathMessage { Silent, Show };
// Whether GetOrCreateSubFolder adds a missing sub-folder.
enum class CreateMode { FindOnly, Create };

// What the user is told when the server holding the helpdesk's folders
// cannot be reached.
inline constexpr const char* kNetworkProblemsMessage =
    "Network problems are preventing connection to the Microsoft Exchange Server "
    "computer!\r\nPlease try again later.";

// The MAPI session of the connected add-in; nullptr when there is none.
std::shared_ptr<host::NameSpace> HelpdeskSession();

// Loads the Settings folder reference from the registry, resolves it and
// recognises its siblings. Without a stored location, or when it does not
// resolve, the folders stay unknown.
void LocateHelpdeskFolders();

// Reads a folder's description for the sibling scan. The default reads
// MAPIFolder::Description(); a server store may raise its network error.
using DescriptionReader = std::function<std::string(host::MAPIFolder&)>;

// Recognises the siblings of `settings_folder` (the folders of its parent)
// by their markers and holds them as the helpdesk folders. A description
// that cannot be read skips its folder, except for the client's network
// error (err::kNetworkError), which stops the scan and, when the add-in's
// network-message flag is set, tells the user to try again later. Kinds
// without a marked sibling stay unknown.
void DetectHelpdeskFolders(const std::shared_ptr<host::MAPIFolder>& settings_folder,
                           const DescriptionReader& read_description = {});

// The folder held for the kind whose tag is `tag_name` (compared upper
// case); nullptr for an unknown tag or when the Ongoing folder is not known.
std::shared_ptr<host::MAPIFolder> GetHelpdeskFolder(std::string_view tag_name);

// The lazy getters.
std::shared_ptr<host::MAPIFolder> HelpdeskFolderOf(HelpdeskFolder kind);
std::shared_ptr<host::MAPIFolder> GetOngoingFolder();
std::shared_ptr<host::MAPIFolder> GetResolvedFolder();
std::shared_ptr<host::MAPIFolder> GetSettingsFolder();
std::shared_ptr<host::MAPIFolder> GetKBFolder();
std::shared_ptr<host::MAPIFolder> GetHistoryFolder();
std::shared_ptr<host::MAPIFolder> GetScheduleFolder();
// The kind's full folder path, "" when it is not found (the error report's
// advice texts use it).
std::string HelpdeskFolderPath(HelpdeskFolder kind);
// Whether the folder of that kind is held now, without locating anything.
bool HelpdeskFolderKnown(HelpdeskFolder kind);
// Drops the held folders and the Settings folder reference.
void ForgetHelpdeskFolders();

// The reference to the Settings folder as last loaded or found.
const cOutlookFolder& SettingsFolderReference();

// Resolves a path in `session`. A full path ("\\Root\Folder\Sub") descends
// from the top-level folder named by its root; a single name is a mailbox
// owner, and gives that user's shared Inbox. An empty path, or one that
// leads nowhere, gives nullptr; with PathMessage::Show the user is told.
std::shared_ptr<host::MAPIFolder> GetFolderFromPath(host::NameSpace& session,
                                                    std::string_view path,
                                                    PathMessage message);
// The same in the connected add-in's session.
std::shared_ptr<host::MAPIFolder> GetFolderFromPath(std::string_view path,
                                                    PathMessage message);

// Writes the reference's four fields to the registry values. Raises the
// registry's Error.
void WriteSettingsFolderLocation(const cOutlookFolder& settings);
// Writes the current Settings folder's entry ID, store ID, path and name to
// the four registry values, so that the stored location follows a moved
// folder. Does nothing while no Settings folder is found.
void SaveSettingsFolderLocation();
// Writes the four given values.
void SaveSettingsFolderLocation(std::string_view outlook_path, std::string_view entry_id,
                                std::string_view store_id, std::string_view name);

// True while neither "VNHEntryID" nor "VNHStoreID" is stored.
bool IsFirstRun();

// The direct sub-folder of `parent` named exactly `name` (case-sensitive);
// with CreateMode::Create a missing one is added with item type `type`.
// nullptr when there is none (or it cannot be added: the failure is
// reported).
std::shared_ptr<host::MAPIFolder> GetOrCreateSubFolder(
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name,
    CreateMode create, host::ItemType type);

// The same without the failure convention: raises the store's Error.
std::shared_ptr<host::MAPIFolder> SubFolder(
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name,
    CreateMode create, host::ItemType type);

// Makes sure every technician has a calendar under the Schedule folder,
// named after them and marked with their technician marker (an existing
// folder with a description keeps it). Technicians whose folder cannot be
// made or marked are named in one friendly permission message. Returns
// their names; nothing happens without a Schedule folder.
std::vector<std::string> SetupDueDateScheduleFolder(
    const std::vector<std::string>& technicians);

// Plugs the folder locator, the first-run wizard, the folder lookups and
// the release of the folders into the connection's start-up and shut-down,
// and hands the Settings folder to the shared settings
// (SetSettingsFolderSource). Hooks already set for other objects are kept.
void AddHelpdeskFolderSteps(LaterSteps& steps);

}  // namespace zanvoro
