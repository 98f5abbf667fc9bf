#include "settings/cGlobalSettings.h"

#include <vector>

#include "errors/Trap.h"
#include "host/store/MAPIFolder.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/DefaultTemplates.h"
#include "settings/NewHelpdeskSettings.h"
#include "settings/SettingsDatabase.h"
#include "settings/SettingsFolderStore.h"
#include "settings/SettingsSections.h"
#include "settings/SettingsStore.h"

namespace zanvoro {

namespace {

using L = SettingsList;

// Texts stored before line breaks were used separate their lines so.
constexpr std::string_view kOldSeparator = "[SEP]";

std::string Setting(const cOutlookSettings& settings, std::string_view key) {
  return CStr(settings.GetValue(key, VarType::String));
}

}  // namespace

cGlobalSettings::cGlobalSettings() = default;

cGlobalSettings::cGlobalSettings(Services services) : services_(std::move(services)) {}

cGlobalSettings::~cGlobalSettings() = default;

void cGlobalSettings::unloadProblemTypes() { ProblemTypeCategories.Clear(); }

void cGlobalSettings::LoadProblemTypeCollection() {
  Trap("Global.LoadProblemTypeCollection", [&] {
    ProblemTypeCategories.Clear();
    for (const auto& entry : ProblemTypes) {
      const cProblemType& type = entry.Value();
      if (type.ProblemType.empty() || ProblemTypeCategories.Exists(type.ProblemType)) {
        continue;
      }
      ProblemTypeCategories.Add(type.ProblemType, type.ProblemCategory);
    }
  });
}

bool cGlobalSettings::ReloadSettings(int32_t section) {
  if (MySettings.DBChoice == cMySettings::kChoiceSettingsFolder) {
    return ReloadSettingsOutlook(section);
  }
  return Trap("Global.ReloadSettings", false, [&] { return ReloadSection(section); });
}

bool cGlobalSettings::ReloadSettingsOutlook(int32_t section) {
  return Trap("Global.ReloadSettingsOutlook", false,
              [&] { return ReloadSection(section); });
}

bool cGlobalSettings::ReloadSection(int32_t section) {
  std::unique_ptr<SettingsStore> store = OpenStore();
  if (!store) return true;
  std::optional<std::vector<SettingsList>> lists = ListsToReload(section, store->Kind());
  if (!lists) return true;
  store->ReadLists(*this, *lists);
  if (section == 1) LoadProblemTypeCollection();
  if (section == 4) ApplyDefaultMessageTemplates();
  if (section == 5) {
    MonitoredFolders = Replace(Setting(GeneralSettings, "sdoMonitoredEmailFolders"),
                               kOldSeparator, kLineBreak);
  }
  return true;
}

bool cGlobalSettings::LoadSettingsFromOutlook() {
  return Trap("Global.LoadSettingsFromOutlook", false, [&] {
    std::unique_ptr<SettingsStore> store = OpenStore();
    if (!store) return false;
    if (store->HasSettings())
      store->ReadLists(*this, SettingsLoadOrder(CountersAt::Last));
    return true;
  });
}

bool cGlobalSettings::LoadSettingsFromDB() {
  return Trap("Global.LoadSettingsFromDB", false, [&] {
    std::unique_ptr<SettingsStore> store = OpenStore();
    if (!store || !store->HasSettings()) return false;
    if (NewDatabase) {
      // A database made at this start-up starts with the initial settings.
      NewDatabase = false;
      store.reset();
      return LoadInitialSettingsToNewDB();
    }
    store->ReadLists(*this, SettingsLoadOrder(CountersAt::First));
    return true;
  });
}

bool cGlobalSettings::LoadDBSettings() {
  return Trap("Global.LoadDBSettings", false, [&] {
    Loaded = false;
    GetDateTimeFormat();
    ReadUserRegistryValues();
    MySettings.ReadDBSettingsItem(SettingsFolder());
    bool loaded = false;
    if (MySettings.DBChoice == cMySettings::kChoiceSettingsFolder) {
      NewDatabase = false;
      loaded = LoadSettingsFromOutlook();
    } else {
      OpenedSettingsDatabase opened = OpenSettingsDatabase(MySettings, SettingsFolder());
      NewDatabase = opened.created;
      loaded = opened.usable && LoadSettingsFromDB();
    }
    if (loaded) {
      // The service hours and the default message templates of the interface
      // language are taken from here by their subsystems.
      SendReceivedAction =
          CLng(GeneralSettings.GetValue("tpoSendReceivedAction", VarType::Long));
      LoadProblemTypeCollection();
      ApplyDefaultMessageTemplates();
      // A monitored-folder text in the old form is stored in the new one at once.
      if (ReadListsFromGeneralSettings()) SaveGlobalSettings(6);
      Loaded = true;
      subGetCurrentUser();
      ClearFormCacheOnStartup =
          CBool(GeneralSettings.GetValue("tpoClearFormCacheOnStartup", VarType::Boolean));
    }
    WriteUserRegistryValues();
    return loaded;
  });
}

bool cGlobalSettings::LoadFAQs() {
  return Trap("Global.LoadFAQs", false, [&] {
    std::unique_ptr<SettingsStore> store = OpenStore();
    if (!store) return false;
    const SettingsList lists[] = {L::FAQs};
    store->ReadLists(*this, lists);
    return true;
  });
}

bool cGlobalSettings::SaveFAQs() {
  return Trap("Global.SaveFAQs", false, [&] {
    const SettingsList lists[] = {L::FAQs};
    return SaveLists(lists);
  });
}

bool cGlobalSettings::LoadInitialSettingsToNewDB() {
  return Trap("Global.LoadInitialSettingsToNewDB", false, [&] {
    PutInitialGeneralSettings(GeneralSettings);
    ApplyDefaultMessageTemplates();
    SwitchOnNewHelpdeskNotifications(MessageTemplates);
    return SaveInitialSettings();
  });
}

bool cGlobalSettings::SaveInitialSettings() {
  return Trap("Global.SaveInitialSettings", false, [&] {
    if (MySettings.DBChoice == cMySettings::kChoiceSettingsFolder) {
      return SaveInitialSettingsOutlook();
    }
    return SaveSettingsToDB(12);
  });
}

bool cGlobalSettings::SaveInitialSettingsOutlook() {
  return Trap("Global.SaveInitialSettingsOutlook", false,
              [&] { return SaveGlobalSettings(12) && SaveCounterSettings(); });
}

bool cGlobalSettings::SaveSettingsToDB(int32_t section) {
  return Trap("Global.SaveSettingsToDB", false, [&] {
    std::vector<SettingsList> lists;
    switch (section) {
      case 0:
      case 1:
      case 2:
      case 4:
      case 5:
      case 7:
      case 8:
      case 9:
      case 10:
      case 11:
      case 14:
      case 16:
      case 19:
      case 20:
        lists = {static_cast<SettingsList>(section)};
        break;
      case 6:
        PutListsIntoGeneralSettings(true, true, true);
        lists = {L::GeneralSettings};
        break;
      case 18:
        PutListsIntoGeneralSettings(false, true, false);
        lists = {L::GeneralSettings};
        break;
      case 21:
        PutListsIntoGeneralSettings(false, false, true);
        lists = {L::GeneralSettings};
        break;
      case 12:
        PutListsIntoGeneralSettings(true, true, true);
        lists = ListsOfSaveEverything(MySettings.DBChoice !=
                                      cMySettings::kChoiceSettingsFolder);
        break;
      default:
        return true;
    }
    return SaveLists(lists);
  });
}

bool cGlobalSettings::SaveGlobalSettings(int32_t section) {
  return Trap("Global.SaveGlobalSettings", false,
              [&] { return SaveSettingsToDB(section); });
}

bool cGlobalSettings::SaveCounterSettings() {
  return Trap("Global.SaveCounterSettings", false, [&] {
    const SettingsList lists[] = {L::CounterSettings};
    return SaveLists(lists);
  });
}

std::optional<int32_t> cGlobalSettings::AdvanceCounter(std::string_view key) {
  std::unique_ptr<SettingsStore> store = OpenStore();
  if (!store) {
    throw Error(err::kCallFailed, "The settings store of the helpdesk cannot be opened.",
                "cGlobalSettings");
  }
  return store->AdvanceCounter(*this, key);
}

bool cGlobalSettings::SaveList(SettingsList list) {
  switch (list) {
    case L::GeneralSettings:
      ReadListsFromGeneralSettings();
      return SaveGlobalSettings(static_cast<int32_t>(list));
    case L::CounterSettings:
      return SaveCounterSettings();
    case L::FAQs:
      return SaveFAQs();
    default:
      return SaveGlobalSettings(static_cast<int32_t>(list));
  }
}

void cGlobalSettings::subGetCurrentUser() {
  Trap("Global.subGetCurrentUser", [&] {
    if (!services_.current_user) return;
    host::UserInfo user = services_.current_user();
    CurrentUserName = user.Name;
    CurrentUserEmail = user.Address;
    if (Trim(CurrentUserName).empty() || Technicians.Exists(CurrentUserName)) return;
    if (CBool(GeneralSettings.GetValue("sdoAutoAddNewTechnician", VarType::Boolean))) {
      AddCurrentUserToGlobalTechniciansList();
    }
  });
}

void cGlobalSettings::AddCurrentUserToGlobalTechniciansList() {
  Trap("Global.AddCurrentUserToGlobalTechniciansList", [&] {
    cTechnician technician;
    technician.Name = CurrentUserName;
    technician.Email = CurrentUserEmail;
    if (!Technicians.Add(std::move(technician))) return;
    Technicians.SortByKey();
    SaveGlobalSettings(static_cast<int32_t>(L::Technicians));
  });
}

void cGlobalSettings::GetDateTimeFormat() {
  Trap("Global.GetDateTimeFormat", [&] {
    const RegionalFormats& formats = CurrentRegionalFormats();
    ShortDateFormat = formats.short_date.empty() ? "M/d/yyyy" : formats.short_date;
    TimeFormat = formats.time.empty() ? "h:mm:ss tt" : formats.time;
  });
}

void cGlobalSettings::ActivatePassiveMode() {
  Trap("Global.ActivatePassiveMode", [&] {
    CallerDepartments.Clear();
    ProblemCategories.Clear();
    ProblemTypeCategories.Clear();
    Assets.Clear();
    AssetField2List.Clear();
    AssetField3List.Clear();
    CustomField4List.Clear();
    CustomField5List.Clear();
    CustomField6List.Clear();
    ProblemTypes.Clear();
  });
}

void cGlobalSettings::ApplyDefaultMessageTemplates() {
  Trap("Global.ApplyDefaultMessageTemplates",
       [&] { MessageTemplates.ApplyDefaults(TemplateLanguageFor(LanguageIndex())); });
}

std::string cGlobalSettings::NewTicketHTML(std::string_view body) const {
  return Trap("Global.NewTicketHTML", std::string{}, [&] {
    return MessageTemplates.NewCaseHTML(body, TemplateLanguageFor(LanguageIndex()));
  });
}

std::string cGlobalSettings::fncGetFileName(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string cGlobalSettings::GetProblemCategoryForProblemType(
    std::string_view problem_type) const {
  const std::string* category = ProblemTypeCategories.Find(problem_type);
  return category ? *category : std::string();
}

bool cGlobalSettings::ReadListsFromGeneralSettings() {
  return Trap("Global.ReadListsFromGeneralSettings", false, [&] {
    std::string monitored = Setting(GeneralSettings, "sdoMonitoredEmailFolders");
    bool old_form = monitored.find(kOldSeparator) != std::string::npos;
    MonitoredFolders = Replace(monitored, kOldSeparator, kLineBreak);
    OriginEmail = Setting(GeneralSettings, "sdoOriginEmail");
    OriginsList.FromString(
        Replace(Setting(GeneralSettings, "sdoOriginsList"), kOldSeparator, kLineBreak),
        kLineBreak);
    ProblemFieldsList.FromString(Replace(Setting(GeneralSettings, "sdoProblemFieldsList"),
                                         kOldSeparator, kLineBreak),
                                 kLineBreak);
    return old_form;
  });
}

void cGlobalSettings::ReadUserRegistryValues() { LoadUserRegistryValues(UserValues); }

void cGlobalSettings::WriteUserRegistryValues() const {
  StoreUserRegistryValues(UserValues);
}

std::shared_ptr<host::MAPIFolder> cGlobalSettings::SettingsFolder() const {
  return services_.settings_folder ? services_.settings_folder() : nullptr;
}

bool cGlobalSettings::SaveLists(std::span<const SettingsList> lists) {
  std::unique_ptr<SettingsStore> store = OpenStore();
  if (!store) {
    throw Error(err::kCallFailed,
                MySettings.DBChoice == cMySettings::kChoiceSettingsFolder
                    ? "The Settings folder of the helpdesk is not found."
                    : "The settings database cannot be opened.",
                "cGlobalSettings");
  }
  return store->WriteLists(*this, lists);
}

void cGlobalSettings::PutListsIntoGeneralSettings(bool monitored, bool origins,
                                                  bool problem_fields) {
  if (monitored) GeneralSettings.SetValue("sdoMonitoredEmailFolders", MonitoredFolders);
  if (origins)
    GeneralSettings.SetValue("sdoOriginsList", OriginsList.ToString(kLineBreak));
  if (problem_fields) {
    GeneralSettings.SetValue("sdoProblemFieldsList",
                             ProblemFieldsList.ToString(kLineBreak));
  }
}

int cGlobalSettings::LanguageIndex() const {
  return services_.language_index ? services_.language_index() : 1;
}

std::unique_ptr<SettingsStore> cGlobalSettings::OpenStore() const {
  if (services_.open_store) return services_.open_store(MySettings, SettingsFolder());
  return MakeSettingsStore(MySettings, SettingsFolder());
}

}  // namespace zanvoro
