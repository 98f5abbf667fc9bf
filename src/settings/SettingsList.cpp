#include "settings/SettingsList.h"

#include "runtime/Text.h"

namespace zanvoro {

namespace {

constexpr std::string_view kNames[] = {
    "tTechnicians",
    "tCallers",
    "tAssets",
    "tFAQs",
    "tProblemTypes",
    "tNotificationTemplates",
    "tGeneralSettings",
    "tAssetField2List",
    "tAssetField3List",
    "tCallerDepartments",
    "tProblemCategories",
    "tStatusList",
    "",
    "",
    "tCustomField4List",
    "",
    "tSLAs",
    "tCounterSettings",
    "",
    "tCustomField5List",
    "tCustomField6List",
};

}  // namespace

std::string_view SettingsListName(int32_t number) {
  if (number < 0 || number >= static_cast<int32_t>(std::size(kNames))) return {};
  return kNames[number];
}

std::optional<SettingsList> SettingsListFromName(std::string_view name) {
  if (name.empty()) return std::nullopt;
  for (int32_t number = 0; number < static_cast<int32_t>(std::size(kNames)); ++number) {
    if (!kNames[number].empty() && TextEquals(kNames[number], name)) {
      return static_cast<SettingsList>(number);
    }
  }
  return std::nullopt;
}

}  // namespace zanvoro
