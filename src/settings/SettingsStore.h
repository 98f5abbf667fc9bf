// Where the helpdesk's shared settings live: the seam between the global
// settings and their storage. The settings folder (DBChoice 2) keeps every
// list as a text property of a few post items; a settings database
// (DBChoice 0, a database file, or 1, a database server) keeps one table per
// list and plugs in here as another SettingsStore.
//
// A store reads lists into the global settings and writes them from there;
// the order of the lists and which lists make a section are the global
// settings' business. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "settings/SettingsList.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

class cGlobalSettings;
class cMySettings;
class cOutlookSettings;

// The kinds of settings store, as `DBChoice` numbers them.
enum class SettingsStoreKind : int32_t {
  DatabaseFile = 0,
  DatabaseServer = 1,
  Folder = 2
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual SettingsStoreKind Kind() const = 0;
  // Whether the store holds a helpdesk's settings to read (the folder: its
  // "ZanvoroSettings" item exists; a database: its counter table opens).
  virtual bool HasSettings() = 0;
  // Reads `lists` into `settings`, in the order given. A list whose stored
  // form is missing or cannot be read stays as it was; the others are read.
  // Failures of the store itself (a lost folder) raise their Error.
  virtual void ReadLists(cGlobalSettings& settings,
                         std::span<const SettingsList> lists) = 0;
  // Writes `lists` from `settings` (the last writer wins for a whole list).
  // Returns false when the user lacks the right to write; they have been
  // shown the write-permission advice then, and nothing further was written.
  // Other failures raise their Error.
  virtual bool WriteLists(const cGlobalSettings& settings,
                          std::span<const SettingsList> lists) = 0;
  // Advances the counter `key` of the counter settings by one and returns
  // the new value, which no other instance is given: two instances advancing
  // the counter at the same moment get different values. The counters of
  // `settings` become the stored ones, with the new value. A missing or
  // non-numeric counter counts as 0; one at the 32-bit maximum raises an
  // overflow Error and stays as it was. Returns nullopt when the user lacks
  // the right to write (they have been shown the advice).
  // This default reloads the counters, increments and writes them, which is
  // only safe in a store that lets one writer at a time through; a store
  // that can compare and swap overrides it.
  virtual std::optional<int32_t> AdvanceCounter(cGlobalSettings& settings,
                                                std::string_view key);
};

// The value that follows counter `key` of `counters` (0 when missing or not
// numeric, so the first is 1). Raises an overflow Error past the 32-bit
// maximum.
int32_t NextCounterValue(const cOutlookSettings& counters, std::string_view key);

// The store `choice` names: the settings folder `settings_folder` for
// DBChoice 2, the settings database for 0 and 1 (SettingsDatabaseStore);
// nullptr for a missing folder, database file (the file is made at
// start-up only) or folder of the file (no "DBSettings" item says one). Raises the Error of a database that cannot be opened or
// a choice without its folder or server.
std::unique_ptr<SettingsStore> MakeSettingsStore(
    const cMySettings& choice, std::shared_ptr<host::MAPIFolder> settings_folder);

}  // namespace zanvoro
