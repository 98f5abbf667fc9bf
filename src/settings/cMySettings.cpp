#include "settings/cMySettings.h"

#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/UserProperties.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/ListText.h"
#include "settings/SettingsFolderStore.h"

namespace zanvoro {

namespace {

constexpr const char* kChoiceProperty = "DBChoice";
constexpr const char* kConnectionProperty = "DBConnectionString";
constexpr const char* kInfoProperty = "DatabaseInfo";

}  // namespace

std::string DatabaseInfoFields::ToString() const {
  return Join({Server, DatabaseName, std::to_string(Security), UserName, Password}, "|");
}

DatabaseInfoFields DatabaseInfoFields::FromString(std::string_view text) {
  std::vector<std::string> fields = Split(text, "|");
  auto field = [&](size_t index) {
    return index < fields.size() ? fields[index] : std::string();
  };
  DatabaseInfoFields info;
  info.Server = field(0);
  info.DatabaseName = field(1);
  info.Security = ReadIntegerField(field(2));
  info.UserName = field(3);
  info.Password = field(4);
  return info;
}

bool cMySettings::ReadDBSettingsItem(
    const std::shared_ptr<host::MAPIFolder>& settings_folder) {
  return Trap("MySettings.ReadDBSettingsItem", false, [&] {
    *this = cMySettings{};
    if (!settings_folder) return false;
    auto item =
        GetOutlookSettingItem(*settings_folder, kItemSubject, SettingItemMode::Find);
    if (!item) return false;
    DBChoice = ReadIntegerField(Trim(SettingItemText(*item, kChoiceProperty)));
    DBConnectionString = SettingItemText(*item, kConnectionProperty);
    DatabaseInfo = DatabaseInfoFields::FromString(SettingItemText(*item, kInfoProperty));
    return true;
  });
}

bool cMySettings::SaveDBSettingsItem(
    const std::shared_ptr<host::MAPIFolder>& settings_folder) const {
  return Trap("MySettings.SaveDBSettingsItem", false, [&] {
    if (!settings_folder) return false;
    auto item =
        GetOutlookSettingItem(*settings_folder, kItemSubject, SettingItemMode::Create);
    if (!item) return false;
    auto& properties = item->UserProperties();
    host::UserProperty* choice = properties.Find(kChoiceProperty);
    if (!choice) choice = properties.Add(kChoiceProperty, host::UserPropertyType::Number);
    choice->SetValue(Variant(DBChoice));
    SetSettingItemText(*item, kConnectionProperty, DBConnectionString);
    SetSettingItemText(*item, kInfoProperty, DatabaseInfo.ToString());
    try {
      item->Save();
    } catch (const Error& error) {
      if (error.Number() != err::kAccessDenied) throw;
      ShowSettingsWritePermissionError(error, "MySettings.SaveDBSettingsItem");
      return false;
    }
    return true;
  });
}

}  // namespace zanvoro
