// Claim records: which user's instance monitors a shared folder. A record
// is an XML text
//   <MonitoredFolder><Data><FolderPath/><DateTagged/><UserName/></Data>
//   </MonitoredFolder>
// (DateTagged in the sortable date text) kept under the folder's
// PropertyID ("OngoingCases" for the Ongoing folder): with the settings in
// the Settings folder, as a text property of that name on its
// "MonitoredFoldersSettings" item; with a settings database, as a general
// setting of that key.
//
// The claim window: another user's record younger than 12 hours is
// respected; an older one belongs to an instance that stopped without
// giving its claims up, and is taken over. A record of the current user is
// always rewritten with the present time, which is how a running instance
// keeps its claims fresh.
//
// In the Settings folder a claim is written as a compare-and-swap on the
// item: read fresh, decided, and saved only when nobody saved the item
// since; otherwise read and decided again. Two instances claiming one
// folder at the same moment never both win. UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
}  // namespace host

class cGlobalSettings;

inline constexpr const char* kOngoingCasesClaimKey = "OngoingCases";
inline constexpr double kClaimWindowHours = 12;

struct MonitoringClaim {
  std::string FolderPath;
  std::optional<Date> DateTagged;  // nullopt when missing or unreadable
  std::string UserName;
};

// The record's XML text, and reading it back (nullopt for empty text or
// text that is not such a record).
std::string ClaimRecordXml(const MonitoringClaim& claim);
std::optional<MonitoringClaim> ReadClaimRecord(std::string_view xml);

enum class ClaimAction { Set, Clear };

class cMonitoredFolderSettings {
 public:
  // Where the records live and who claims. Empty members take the
  // connected add-in's: the helpdesk's Settings folder, the shared global
  // settings (folder mode when the store choice is the Settings folder),
  // the current user's name and the time by the Settings folder's store
  // (the server's for a store on a server; else the local time).
  struct Services {
    std::function<std::shared_ptr<host::MAPIFolder>()> settings_folder;
    std::function<cGlobalSettings*()> global_settings;
    std::function<bool()> folder_mode;
    std::function<std::string()> user_name;
    std::function<Date()> now;
  };

  cMonitoredFolderSettings();
  explicit cMonitoredFolderSettings(Services services);

  // The UserName of the record under `key`; "" when there is none.
  std::string MonitoredByUser(std::string_view key);
  // The record under `key`; nullopt when there is none.
  std::optional<MonitoringClaim> Claim(std::string_view key);
  // False when the folder is now claimed for the current user (the record
  // rewritten with `folder_path`, now and their name); true when another
  // user's claim is respected or the claim cannot be written.
  bool IsFolderMonitored(std::string_view key, std::string_view folder_path);
  // Writes the current user's record under `key`, or with Clear empties a
  // record of theirs (another user's record stays). Returns whether it was
  // written. Raises nothing: a failure to write is the answer false.
  bool SetFolderFlag(std::string_view key, std::string_view folder_path,
                     ClaimAction action);
  // Empties every record of the current user.
  void UnSetMonitoringModeToAllFolders();

  std::string UserName() const;
  Date Now() const;

 private:
  enum class Decision { Write, Keep, Respect };
  // Reads the record, asks `decide` what to do with it and writes the new
  // text when told to, retrying when someone else saved in between.
  // Returns false when the record was respected or the write failed.
  bool Update(std::string_view key,
              const std::function<Decision(const std::optional<MonitoringClaim>&,
                                           std::string& new_text)>& decide);
  bool FolderMode() const;
  std::shared_ptr<host::Item> SettingsItem(bool create) const;
  bool Mine(const MonitoringClaim& claim) const;

  Services services_;
};

}  // namespace zanvoro
