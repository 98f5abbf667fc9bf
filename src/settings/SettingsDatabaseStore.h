// The settings database as the settings store (DBChoice 0, a database
// file, and 1, a database server): one table per list (SettingsDatabase.h).
//
// Reading a list reads every row of its table, columns mapped by name and
// NULL read as "", in the loader's order (technicians and SLAs by Name,
// assets by AssetName, the others as stored); of two rows with one key the
// first wins. A column missing from an older table reads as "".
//
// Writing a list makes its table hold exactly the list, in one transaction:
// the row of each entry (found by its key, letter case ignored) is updated,
// entries without one get a new row, and the rows of removed entries are
// deleted, so unchanged entries keep their ID. Columns missing from an
// older table are not written. Writers of one table take turns (its lock
// is held to the end of the write); the last writer wins for a whole list.
//
// The session is this store's own; failures are Error(err::kCallFailed)
// naming the database and the cause. UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"

namespace soci {
class session;
}  // namespace soci

namespace zanvoro {

struct SettingsTable;

class SettingsDatabaseStore : public SettingsStore {
 public:
  // Opens the database at `location` (SettingsDatabaseLocation).
  explicit SettingsDatabaseStore(std::string location);
  ~SettingsDatabaseStore() override;

  SettingsStoreKind Kind() const override;
  // Whether tCounterSettings is there.
  bool HasSettings() override;
  // A list whose table is missing or cannot be read stays as it was.
  void ReadLists(cGlobalSettings& settings, std::span<const SettingsList> lists) override;
  // Always true: a database has no write permission of its own to advise on.
  bool WriteLists(const cGlobalSettings& settings,
                  std::span<const SettingsList> lists) override;
  // Holds the counter table's lock while it reads the counters, increments
  // `key` and writes it, so no two instances get the same value.
  std::optional<int32_t> AdvanceCounter(cGlobalSettings& settings,
                                        std::string_view key) override;

  const std::string& Location() const { return location_; }

 private:
  void ReadList(cGlobalSettings& settings, const SettingsTable& table);
  void WriteList(const cGlobalSettings& settings, const SettingsTable& table);
  // Begins writing `table`: the lock that makes writers take turns.
  void LockForWriting(const SettingsTable& table);

  std::string location_;
  std::unique_ptr<soci::session> session_;
};

}  // namespace zanvoro
