#include "settings/SettingsSections.h"

namespace zanvoro {

namespace {
using L = SettingsList;
}  // namespace

std::vector<SettingsList> SettingsLoadOrder(CountersAt counters) {
  std::vector<SettingsList> lists = {L::Technicians,
                                     L::SLAs,
                                     L::Assets,
                                     L::AssetField2List,
                                     L::AssetField3List,
                                     L::CustomField4List,
                                     L::CustomField5List,
                                     L::CustomField6List,
                                     L::ProblemTypes,
                                     L::CallerDepartments,
                                     L::ProblemCategories,
                                     L::StatusList,
                                     L::Callers,
                                     L::GeneralSettings,
                                     L::NotificationTemplates};
  lists.insert(counters == CountersAt::First ? lists.begin() : lists.end(),
               L::CounterSettings);
  return lists;
}

std::vector<SettingsList> ListsOfSaveEverything(bool database) {
  std::vector<SettingsList> lists = {
      L::Technicians,           L::Callers,        L::Assets, L::ProblemTypes,
      L::NotificationTemplates, L::GeneralSettings};
  if (database) lists.push_back(L::CounterSettings);
  for (SettingsList list : {L::AssetField2List, L::AssetField3List, L::CallerDepartments,
                            L::ProblemCategories, L::StatusList, L::CustomField4List,
                            L::CustomField5List, L::CustomField6List, L::SLAs}) {
    lists.push_back(list);
  }
  return lists;
}

std::optional<std::vector<SettingsList>> ListsToReload(int32_t section,
                                                       SettingsStoreKind kind) {
  std::vector<SettingsList> lists;
  switch (section) {
    case 0:
    case 7:
    case 11:
    case 13:
    case 14:
    case 15:
    case 16:
    case 5:
      lists = {L::GeneralSettings};
      break;
    case 18:
      // A database keeps the counters apart from the general settings.
      lists = {L::GeneralSettings};
      if (kind == SettingsStoreKind::Folder) lists.push_back(L::CounterSettings);
      break;
    case 21:
      lists = {L::CounterSettings};
      break;
    case 1:
      lists = {L::ProblemTypes, L::ProblemCategories, L::StatusList};
      break;
    case 2:
      lists = {L::Technicians};
      break;
    case 3:
      lists = {L::CallerDepartments, L::Callers};
      break;
    case 4:
      lists = {L::NotificationTemplates};
      break;
    case 8:
      lists = {L::Assets};
      break;
    case 17:
      lists = {L::SLAs};
      break;
    default:
      return std::nullopt;
  }
  return lists;
}

}  // namespace zanvoro
