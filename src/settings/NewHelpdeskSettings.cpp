#include "settings/NewHelpdeskSettings.h"

#include <string_view>

#include "errors/Trap.h"
#include "settings/cGlobalSettings.h"
#include "settings/cMessageTemplates.h"
#include "settings/cOutlookSettings.h"

namespace zanvoro {

namespace {

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

}  // namespace

void PutInitialGeneralSettings(cOutlookSettings& general) {
  for (const InitialSetting& setting : kInitialSettings) {
    general.SetValue(setting.key, setting.value);
  }
}

void SwitchOnNewHelpdeskNotifications(cMessageTemplates& templates) {
  for (std::string_view key : kTemplatesOnForNewHelpdesk) {
    templates.SetNotificaionEnabledValue(key, true);
  }
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
