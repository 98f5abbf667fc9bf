#include "settings/cGlobalSettings.h"

#include <vector>

#include "errors/Trap.h"
#include "host/store/MAPIFolder.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/DefaultTemplates.h"
#include "settings/SettingsFolderStore.h"
#include "settings/SettingsStore.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro {

namespace {

using L = SettingsList;

// The order in which the lists load; the counters come last from the
// settings folder (they have their own item), first from a database.
enum class CountersAt { First, Last };
std::vector<SettingsList> LoadOrder(CountersAt counters) {
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

// Save section 12: everything, the counters only into a database.
std::vector<SettingsList> EverythingToSave(bool database) {
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

// The initial general settings of a new helpdesk, in the order written.
struct InitialSetting {
  const char* key;
  const char* value;
};
constexpr InitialSetting kInitialSettings[] = {
    {"sdoAssetField1", "Name"},
    {"sdoAssetField2", "Type"},
    {"sdoAssetField3", "OS"},
    {"sdoAssetField4", "Make"},
    {"sdoAssetField5", "IP"},
    {"sdoCustomFieldLabel1", "Custom Field 1"},
    {"sdoCustomFieldLabel2", "Custom Field 2"},
    {"sdoCustomFieldLabel3", "Custom Field 3"},
    {"sdoCustomFieldLabel4", "Custom Field 4"},
    {"sdoCustomFieldLabel5", "Custom Field 5"},
    {"sdoCustomFieldLabel6", "Custom Field 6"},
    {"sdoCustomFieldLabel7", "Custom Field 7"},
    {"sdoCustomFieldLabel8", "Custom Field 8"},
    {"sdoCustomFieldLabel9", "Custom Field 9"},
    {"sdoCustomFieldLabel10", "Custom Field 10"},
    {"sdoAllowMultipleConversions", "1"},
    {"sdoAllowMultipleOperations", "1"},
    {"sdoEnableEmailHistory", "1"},
    {"sdoEnableDefaultTechnician", "1"},
    {"sdoGenerateRandomPasswordForNewCaller", "1"},
    {"sdoDayServiceStart", "1"},
    {"sdoDayServiceEnd", "6"},
    {"sdoGeneralSettingsAllowMeeting", "1"},
    {"sdoGeneralSettingsAllowTask", "1"},
    {"sdoOpenSupportCaseWhenCreated", "1"},
    {"sdoOpenKBWhenCreated", "1"},
    {"sdoCallerAutomaticallySaveInfo", "1"},
    {"sdoConsolidatedConversationEnabled", "1"},
    {"sdoConsolidatedConversationAddAttachments", "1"},
    {"sdoConsolidatedConversationAddSnippeForAutoMessage", "1"},
    {"sdoConsolidatedConversationAddLink", "1"},
    {"sdoConsolidatedConversationAddAttachmentsSnippet", "1"},
    {"sdoGeneralSettingsAllowPost", "1"},
    {"sdoAutoAddNewTechnician", "1"},
    {"tpoDontReopenCaseAutomatically", "1"},
    {"tpoClearFormCacheOnStartup", "1"},
    {"sdoInsertIDPrefixCodeToOriginalEmail", "1"},
    {"sdoEmbedShortcutLinkToReceivedEmails", "1"},
    {"sdoAddNotesToConversation", "1"},
};

// The notifications a new helpdesk sends from the start; every other
// template starts switched off until the administrator turns it on.
constexpr std::string_view kTemplatesOnForNewHelpdesk[] = {
    "sdoCaseCreationConfirmationEmail",
    "sdoCaseClosedEmail",
    "sdoCaseReOpenEmail",
    "sdoEmailTechnicianDueDateLapsed",
    "sdoEmailTechniciansWhenCallerReplies",
    "sdoSLAEmailSupervisors"};

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
      if (store->Kind() == SettingsStoreKind::Folder) lists.push_back(L::CounterSettings);
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
      return true;
  }
  store->ReadLists(*this, lists);
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
    if (store->HasSettings()) store->ReadLists(*this, LoadOrder(CountersAt::Last));
    return true;
  });
}

bool cGlobalSettings::LoadSettingsFromDB() {
  return Trap("Global.LoadSettingsFromDB", false, [&] {
    std::unique_ptr<SettingsStore> store = OpenStore();
    if (!store || !store->HasSettings()) return false;
    store->ReadLists(*this, LoadOrder(CountersAt::First));
    return true;
  });
}

bool cGlobalSettings::LoadDBSettings() {
  return Trap("Global.LoadDBSettings", false, [&] {
    Loaded = false;
    GetDateTimeFormat();
    ReadUserRegistryValues();
    MySettings.ReadDBSettingsItem(SettingsFolder());
    bool loaded = MySettings.DBChoice == cMySettings::kChoiceSettingsFolder
                      ? LoadSettingsFromOutlook()
                      : LoadSettingsFromDB();
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
    for (const InitialSetting& setting : kInitialSettings) {
      GeneralSettings.SetValue(setting.key, setting.value);
    }
    ApplyDefaultMessageTemplates();
    for (std::string_view key : kTemplatesOnForNewHelpdesk) {
      MessageTemplates.SetNotificaionEnabledValue(key, true);
    }
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
        lists =
            EverythingToSave(MySettings.DBChoice != cMySettings::kChoiceSettingsFolder);
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
  Trap("Global.ApplyDefaultMessageTemplates", [&] {
    TemplateLanguage language = TemplateLanguageFor(LanguageIndex());
    for (std::string_view key : DefaultTemplateKeys()) {
      if (!Trim(MessageTemplates.GetValue(key)).empty()) continue;
      MessageTemplates.SetValue(key, DefaultTemplateText(key, language));
    }
  });
}

std::string cGlobalSettings::NewTicketHTML(std::string_view body) const {
  return Trap("Global.NewTicketHTML", std::string{}, [&] {
    std::string page = MessageTemplates.GetValue("sdoNewCase");
    if (page.size() < 2) {
      page = DefaultTemplateResource("NEWCASE.TXT", TemplateLanguageFor(LanguageIndex()));
    }
    return Replace(page, "VNH_EMAILBODY", body);
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

void cGlobalSettings::ReadUserRegistryValues() {
  UserValues.Clear();
  bool hive = RegistryHive() != nullptr;
  for (const UserRegistryValue& value : kUserRegistryValues) {
    UserValues.Set(value.name, hive ? GetRegistryValue(kRegistryApp, "", value.name,
                                                       value.default_value)
                                    : std::string(value.default_value));
  }
}

void cGlobalSettings::WriteUserRegistryValues() const {
  if (!RegistryHive()) return;
  for (const UserRegistryValue& value : kUserRegistryValues) {
    const std::string* text = UserValues.Find(value.name);
    SetRegistryValue(kRegistryApp, "", value.name, text ? *text : value.default_value);
  }
}

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

bool LoadInitialSettingsToNewDB(const std::shared_ptr<host::MAPIFolder>& settings_folder,
                                int language_index) {
  return Trap("Global.LoadInitialSettingsToNewDB", false, [&] {
    if (!settings_folder) return false;
    cGlobalSettings settings(
        cGlobalSettings::Services{[settings_folder] { return settings_folder; },
                                  {},
                                  [language_index] { return language_index; }});
    // A new helpdesk keeps its settings in its own folder unless a store was
    // chosen for it already.
    if (!settings.MySettings.ReadDBSettingsItem(settings_folder)) {
      settings.MySettings.DBChoice = cMySettings::kChoiceSettingsFolder;
      if (!settings.MySettings.SaveDBSettingsItem(settings_folder)) return false;
    }
    return settings.LoadInitialSettingsToNewDB();
  });
}

}  // namespace zanvoro
