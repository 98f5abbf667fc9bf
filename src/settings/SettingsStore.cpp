#include "settings/SettingsStore.h"

#include "settings/SettingsFolderStore.h"
#include "settings/cMySettings.h"

namespace zanvoro {

std::unique_ptr<SettingsStore> MakeSettingsStore(
    const cMySettings& choice, std::shared_ptr<host::MAPIFolder> settings_folder) {
  if (choice.DBChoice == cMySettings::kChoiceSettingsFolder && settings_folder) {
    return std::make_unique<SettingsFolderStore>(std::move(settings_folder));
  }
  // The settings database (a file or a server) plugs in here.
  return nullptr;
}

}  // namespace zanvoro
