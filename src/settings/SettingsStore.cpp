#include "settings/SettingsStore.h"

#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/SettingsDatabase.h"
#include "settings/SettingsDatabaseStore.h"
#include "settings/SettingsFolderStore.h"
#include "settings/cGlobalSettings.h"
#include "settings/cMySettings.h"
#include "settings/cOutlookSettings.h"

namespace zanvoro {

std::optional<int32_t> SettingsStore::AdvanceCounter(cGlobalSettings& settings,
                                                     std::string_view key) {
  const SettingsList lists[] = {SettingsList::CounterSettings};
  ReadLists(settings, lists);
  int32_t next = NextCounterValue(settings.CounterSettings, key);
  cOutlookSettings before = settings.CounterSettings;
  settings.CounterSettings.SetValue(key, std::to_string(next));
  if (!WriteLists(settings, lists)) {
    settings.CounterSettings = std::move(before);
    return std::nullopt;
  }
  return next;
}

int32_t NextCounterValue(const cOutlookSettings& counters, std::string_view key) {
  int32_t last = CLng(counters.GetValue(key, VarType::Long));
  if (last == std::numeric_limits<int32_t>::max()) throw OverflowError();
  return last + 1;
}

std::unique_ptr<SettingsStore> MakeSettingsStore(
    const cMySettings& choice, std::shared_ptr<host::MAPIFolder> settings_folder) {
  if (choice.DBChoice == cMySettings::kChoiceSettingsFolder && settings_folder) {
    return std::make_unique<SettingsFolderStore>(std::move(settings_folder));
  }
  if (choice.DBChoice == cMySettings::kChoiceDatabaseFile ||
      choice.DBChoice == cMySettings::kChoiceDatabaseServer) {
    if (choice.DBChoice == cMySettings::kChoiceDatabaseFile &&
        Trim(choice.DatabaseInfo.Server).empty()) {
      return nullptr;
    }
    std::string location = SettingsDatabaseLocation(choice);
    // A database file is made at start-up only, never by opening it here.
    std::error_code ec;
    if (choice.DBChoice == cMySettings::kChoiceDatabaseFile &&
        !std::filesystem::exists(location, ec)) {
      return nullptr;
    }
    return std::make_unique<SettingsDatabaseStore>(std::move(location));
  }
  return nullptr;
}

}  // namespace zanvoro
