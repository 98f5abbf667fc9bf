#include "settings/SettingsSteps.h"

#include <string>

#include "connection/LaterSteps.h"
#include "connection/RunningAddin.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsFolderStore.h"
#include "settings/cGlobalSettings.h"
#include "settings/cMySettings.h"

namespace zanvoro {

namespace {

std::unique_ptr<cGlobalSettings>& GlobalSlot() {
  static std::unique_ptr<cGlobalSettings> settings;
  return settings;
}

std::unique_ptr<cMySettings>& MySlot() {
  static std::unique_ptr<cMySettings> settings;
  return settings;
}

SettingsFolderSource& Source() {
  static SettingsFolderSource source;
  return source;
}

std::shared_ptr<host::MAPIFolder> SourceFolder() {
  return Source().folder ? Source().folder() : nullptr;
}

cGlobalSettings::Services AddinServices() {
  return cGlobalSettings::Services{[] { return SourceFolder(); },
                                   []() -> host::UserInfo {
                                     RunningAddin* addin = ConnectedAddin();
                                     if (!addin || !addin->Session()) return {};
                                     return addin->Session()->CurrentUser();
                                   },
                                   [] {
                                     RunningAddin* addin = ConnectedAddin();
                                     return addin ? addin->LanguageIndex() : 1;
                                   }};
}

}  // namespace

void SetSettingsFolderSource(SettingsFolderSource source) {
  Source() = std::move(source);
}

cGlobalSettings* SharedGlobalSettings() { return GlobalSlot().get(); }

cMySettings* SharedMySettings() { return MySlot().get(); }

void InstallSettingsSteps(LaterSteps& steps) {
  steps.create = [previous = std::move(steps.create)](SharedObject object) {
    if (previous) previous(object);
    if (object == SharedObject::GlobalSettings) {
      GlobalSlot() = std::make_unique<cGlobalSettings>(AddinServices());
    } else if (object == SharedObject::MySettings) {
      MySlot() = std::make_unique<cMySettings>();
    }
  };
  steps.release = [previous = std::move(steps.release)](SharedObject object) {
    if (previous) previous(object);
    if (object == SharedObject::GlobalSettings) {
      GlobalSlot().reset();
    } else if (object == SharedObject::MySettings) {
      MySlot().reset();
    }
  };
  steps.read_my_settings = [] {
    if (!MySlot()) MySlot() = std::make_unique<cMySettings>();
    MySlot()->ReadDBSettingsItem(SourceFolder());
  };
  steps.load_global_settings = [] {
    if (!GlobalSlot()) GlobalSlot() = std::make_unique<cGlobalSettings>(AddinServices());
    bool loaded = GlobalSlot()->LoadDBSettings();
    if (loaded) {
      // The stored location follows a Settings folder that was moved.
      if (Source().loaded) Source().loaded();
      if (RunningAddin* addin = ConnectedAddin()) addin->ReadOptionsWithUserOption();
    }
    return loaded;
  };
  steps.global_setting = [](std::string_view name) -> std::string {
    cGlobalSettings* settings = GlobalSlot().get();
    if (!settings || !settings->Loaded) return {};
    return CStr(settings->GeneralSettings.GetValue(name, VarType::String));
  };
  steps.settings_folder_writable = [] {
    std::shared_ptr<host::MAPIFolder> folder = SourceFolder();
    return folder && SettingsFolderWritable(*folder);
  };
}

cGlobalSettings& RequireGlobalSettings() {
  cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) throw Error(err::kObjectRequired, "The global settings are not loaded.");
  return *settings;
}

std::string GeneralSettingText(std::string_view key) {
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) return {};
  return Trim(CStr(settings->GeneralSettings.GetValue(key, VarType::String)));
}

int32_t GeneralSettingNumber(std::string_view key) {
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) return 0;
  return CLng(settings->GeneralSettings.GetValue(key, VarType::Long));
}

bool GeneralSettingOn(std::string_view key) { return GeneralSettingNumber(key) != 0; }

}  // namespace zanvoro
