// The settings list numbers: each stored list of the helpdesk's shared
// settings has a number from 0 to 20 that also names its table and its
// property on the "ZanvoroSettings" item. Numbers 12, 13, 15 and 18 name no
// list (they are used as section numbers of saving and reloading only).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zanvoro {

enum class SettingsList : int32_t {
  Technicians = 0,
  Callers = 1,
  Assets = 2,
  FAQs = 3,
  ProblemTypes = 4,
  NotificationTemplates = 5,
  GeneralSettings = 6,
  AssetField2List = 7,
  AssetField3List = 8,
  CallerDepartments = 9,
  ProblemCategories = 10,
  StatusList = 11,
  CustomField4List = 14,
  SLAs = 16,
  CounterSettings = 17,
  CustomField5List = 19,
  CustomField6List = 20,
};

// The table and item property name of list `number` ("tTechnicians"); ""
// for a number that names no list.
std::string_view SettingsListName(int32_t number);
inline std::string_view SettingsListName(SettingsList list) {
  return SettingsListName(static_cast<int32_t>(list));
}
// The list named `name` (letter case ignored); nullopt for any other text.
std::optional<SettingsList> SettingsListFromName(std::string_view name);

// The sixteen lists that are properties of the "ZanvoroSettings" item:
// every list but the counters, which have an item of their own.
inline constexpr SettingsList kSettingsItemLists[] = {
    SettingsList::Technicians,
    SettingsList::Callers,
    SettingsList::Assets,
    SettingsList::FAQs,
    SettingsList::ProblemTypes,
    SettingsList::NotificationTemplates,
    SettingsList::GeneralSettings,
    SettingsList::AssetField2List,
    SettingsList::AssetField3List,
    SettingsList::CallerDepartments,
    SettingsList::ProblemCategories,
    SettingsList::StatusList,
    SettingsList::CustomField4List,
    SettingsList::SLAs,
    SettingsList::CustomField5List,
    SettingsList::CustomField6List,
};

}  // namespace zanvoro
