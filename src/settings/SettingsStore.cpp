#include "settings/SettingsStore.h"

#include <limits>
#include <string>

#include "runtime/Error.h"
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
  // The settings database (a file or a server) plugs in here.
  return nullptr;
}

}  // namespace zanvoro
