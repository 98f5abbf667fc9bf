// The global settings' side of the stores: every list's stored text form,
// and reading a list back from it.
#include "settings/SettingsFolderStore.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {
using L = SettingsList;
}  // namespace

std::string cGlobalSettings::ListText(SettingsList list) const {
  switch (list) {
    case L::Technicians:
      return Technicians.ToString();
    case L::Callers:
      return Callers.ToString();
    case L::Assets:
      return Assets.ToString();
    case L::FAQs:
      return FAQs.ToString();
    case L::ProblemTypes:
      return ProblemTypes.ToString();
    case L::NotificationTemplates:
      return MessageTemplates.ToString();
    case L::GeneralSettings:
      return GeneralSettings.ToString();
    case L::CallerDepartments:
      return CallerDepartments.ToString();
    case L::ProblemCategories:
      return ProblemCategories.ToString();
    case L::SLAs:
      return SLAs.ToString();
    case L::CounterSettings:
      return CounterSettings.ToString();
    default:
      break;
  }
  const cSingleList* single = SingleList(list);
  return single ? single->ToString(kLineBreak) : std::string();
}

void cGlobalSettings::ListFromText(SettingsList list, std::string_view text) {
  switch (list) {
    case L::Technicians:
      Technicians.FromString(text);
      return;
    case L::Callers:
      Callers.FromString(text);
      return;
    case L::Assets:
      Assets.FromString(text);
      return;
    case L::FAQs:
      FAQs.FromString(text);
      return;
    case L::ProblemTypes:
      ProblemTypes.FromString(text);
      return;
    case L::NotificationTemplates:
      MessageTemplates.FromString(text);
      return;
    case L::GeneralSettings:
      GeneralSettings.FromString(text);
      return;
    case L::CallerDepartments:
      CallerDepartments.FromString(text);
      return;
    case L::ProblemCategories:
      ProblemCategories.FromString(text);
      return;
    case L::SLAs:
      SLAs.FromString(text);
      return;
    case L::CounterSettings:
      CounterSettings.FromString(text);
      return;
    default:
      break;
  }
  if (cSingleList* single = SingleList(list)) single->FromString(text, kLineBreak);
}

Array2D cGlobalSettings::ListToArray(SettingsList list) const {
  switch (list) {
    case L::Technicians:
      return Technicians.ToArray();
    case L::Callers:
      return Callers.ToArray();
    case L::Assets:
      return Assets.ToArray();
    case L::FAQs:
      return FAQs.ToArray();
    case L::ProblemTypes:
      return ProblemTypes.ToArray();
    case L::CallerDepartments:
      return CallerDepartments.ToArray();
    case L::ProblemCategories:
      return ProblemCategories.ToArray();
    case L::SLAs:
      return SLAs.ToArray();
    default:
      break;
  }
  const cSingleList* single = SingleList(list);
  return single ? single->ToArray() : Array2D{};
}

void cGlobalSettings::ListFromArray(SettingsList list, const Array2D& array) {
  switch (list) {
    case L::Technicians:
      Technicians.FromArray(array);
      return;
    case L::Callers:
      Callers.FromArray(array);
      return;
    case L::Assets:
      Assets.FromArray(array);
      return;
    case L::FAQs:
      FAQs.FromArray(array);
      return;
    case L::ProblemTypes:
      ProblemTypes.FromArray(array);
      return;
    case L::CallerDepartments:
      CallerDepartments.FromArray(array);
      return;
    case L::ProblemCategories:
      ProblemCategories.FromArray(array);
      return;
    case L::SLAs:
      SLAs.FromArray(array);
      return;
    default:
      break;
  }
  if (cSingleList* single = SingleList(list)) single->FromArray(array);
}

cSingleList* cGlobalSettings::SingleList(SettingsList list) {
  switch (list) {
    case L::StatusList:
      return &StatusList;
    case L::AssetField2List:
      return &AssetField2List;
    case L::AssetField3List:
      return &AssetField3List;
    case L::CustomField4List:
      return &CustomField4List;
    case L::CustomField5List:
      return &CustomField5List;
    case L::CustomField6List:
      return &CustomField6List;
    default:
      return nullptr;
  }
}

const cSingleList* cGlobalSettings::SingleList(SettingsList list) const {
  return const_cast<cGlobalSettings*>(this)->SingleList(list);
}

}  // namespace zanvoro
