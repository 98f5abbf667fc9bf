#include "settings/frmManagerSettings.h"

#include <optional>

#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsDatabase.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr int32_t kPersonalPage = 10;
constexpr int32_t kDatabasePage = 20;

// The store-choice fields of the database page.
const std::vector<std::string>& DatabaseOptions() {
  static const std::vector<std::string> options = {
      "DBChoice", "DBConnectionString", "Server",  "DatabaseName",
      "Security", "UserName",           "Password"};
  return options;
}

}  // namespace

std::vector<std::string> SettingsPageOptions(int32_t page) {
  switch (page) {
    case 0:
      return {"sdoOwner", "sdoManagers", "sdoAllowMultipleOperations",
              "sdoAllowMultipleConversions"};
    case 7:
      return {"sdoWebURLCWS"};
    case 9: {
      std::vector<std::string> labels = {"sdoHideCustomFields"};
      for (int i = 1; i <= 10; ++i)
        labels.push_back("sdoCustomFieldLabel" + std::to_string(i));
      return labels;
    }
    case kPersonalPage: {
      std::vector<std::string> names;
      for (const UserRegistryValue& value : kUserRegistryValues)
        names.emplace_back(value.name);
      return names;
    }
    case 11:
      return {
          "sdoSMSOption",          "sdoSMSGatewayName",     "sdoSMSGatewayAddress",
          "sdoSMSGatewayUserName", "sdoSMSGatewayPassword", "sdoSMSGatewaySenderName",
          "sdoSMSGatewayAPIID",    "sdoSMSGatewayTimeout",  "sdoSMSDefaultCountryCode",
          "sdoSMSEmailService"};
    case 13:
      return {"sdoAutoAddNewTechnician",
              "sdoAutoAssignTechOnNewCaseEmailAuto",
              "sdoMoveEmailOption",
              "sdoMoveEmailOptionAuto",
              "sdoEnableOpenFolderMonitoring",
              "sdoProcessEmailsFromExistingCallersOnly",
              "sdoLoopGuardMails",
              "sdoLoopGuardMinutes"};
    case 14:
      return {"sdoCaseCreationConfirmationEmail",
              "sdoCaseAssignmentEmail",
              "sdoCaseClosedEmail",
              "sdoCaseReOpenEmail",
              "sdoEmailManagerWhenCaseCreated",
              "sdoEmailTechniciansWhenCallerReplies",
              "sdoEmailTechnicianDueDateLapsed",
              "sdoDisableNotificationIfTechIsEmpty"};
    case 15:
      return {"sdoAdminEmai",
              "sdoAdminAlertOnNonExistentCase",
              "sdoAdminAlertOnConflictedEmail",
              "sdoEmailReplyWithoutCaseTodoWhat",
              "sdoEnableEmailHistory",
              "sdoDisableBalloons"};
    case 16:
      return {"sdoHideAssets",  "sdoAssetField1", "sdoAssetField2",
              "sdoAssetField3", "sdoAssetField4", "sdoAssetField5"};
    case 18:
      return {"sdoPrefixCodeChoice",
              "sdoPrefixCodeGlobal",
              "sdoAppendPrefixCode",
              "sdoCaseOptionStatusNewCase",
              "sdoCaseOptionStatusResolvedCase",
              "sdoCaseOptionStatusReOpenedCase",
              "sdoCaseOptionSLANewCase",
              "sdoMandatoryTimeSpent",
              "sdoOpenSupportCaseWhenCreated"};
    case 19:
      return {"sdoWorkloadFoldersOption", "sdoWorkloadFoldersTech",
              "sdoWorkloadFoldersComputer"};
    case kDatabasePage:
      return DatabaseOptions();
    case 22:
      return {"sdoWebUpdateService", "sdoWebDownload"};
    case 23:
      return {"sdoServiceHoursEnabled", "sdoServiceHoursStart", "sdoServiceHoursEnd",
              "sdoDayServiceStart",     "sdoDayServiceEnd",     "sdoDueDateAssignment",
              "sdoScheduleDueDateDays", "sdoWebHomePage",       "sdoWebVideoTutorials",
              "sdoWebKnowledgeBase"};
    case 25:
      return {"sdoOriginEmail", "sdoMandatoryOrigin"};
    default:
      return {};
  }
}

std::string SettingsPageTitle(int32_t page) {
  switch (page) {
    case 0:
      return CONST_ACCESS_CONTROL;
    case 7:
      return CONST_WEB_ACCESS;
    case 9:
      return CONST_CUSTOM_FIELDS;
    case kPersonalPage:
      return "Personal Settings";
    case 11:
      return CONST_MOBILE_MESSAGING;
    case 13:
      return CONST_AUTOMATION_OPTIONS;
    case 14:
      return CONST_NOTIFICATION_OPTIONS;
    case 15:
      return CONST_ADVANCED_OPTIONS;
    case 16:
      return CONST_ASSET_FIELDS;
    case 18:
      return CONST_CASE_OPTIONS;
    case 19:
      return CONST_WORKLOAD;
    case kDatabasePage:
      return CONST_SETTINGS_DATA_SOURCE;
    case 22:
      return CONST_AUTO_UPGRADE;
    case 23:
      return CONST_OTHER_SETTINGS;
    case 25:
      return CONST_ORIGIN_OPTIONS;
    default:
      return CONST_SETTINGS;
  }
}

frmManagerSettings::frmManagerSettings(cGlobalSettings& settings, int32_t page)
    : Form("frmManagerSettings", SettingsPageTitle(page)),
      settings_(settings),
      page_(page),
      options_(SettingsPageOptions(page)) {
  auto& info = Add<host::Label>("lblInfo");
  if (options_.empty()) info.SetCaption("This page has no options of its own.");
  for (const std::string& option : options_) {
    Add<host::Label>("lbl" + option).SetCaption(option);
    Add<host::TextBox>("txt" + option).SetText(Value(option));
  }
  auto& save = Add<host::CommandButton>("cmdSave");
  save.SetCaption("Save");
  save.OnClick([this] {
    Trap("ManagerSettings.cmdSave", [&] {
      saved_ = SaveOptions();
      if (saved_) Unload();
    });
  });
  if (page_ == kDatabasePage) {
    auto& test = Add<host::CommandButton>("cmdTest");
    test.SetCaption("Test");
    test.OnClick([this] { Trap("ManagerSettings.cmdTest", [&] { TestConnection(); }); });
  }
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
}

std::string frmManagerSettings::Value(const std::string& option) const {
  if (page_ == kPersonalPage) {
    const std::string* value = settings_.UserValues.Find(option);
    return value ? *value : std::string();
  }
  if (page_ == kDatabasePage) {
    const cMySettings& choice = settings_.MySettings;
    const DatabaseInfoFields& info = choice.DatabaseInfo;
    if (option == "DBChoice") return std::to_string(choice.DBChoice);
    if (option == "DBConnectionString") return choice.DBConnectionString;
    if (option == "Server") return info.Server;
    if (option == "DatabaseName") return info.DatabaseName;
    if (option == "Security") return std::to_string(info.Security);
    if (option == "UserName") return info.UserName;
    if (option == "Password") return info.Password;
    return {};
  }
  const cOutlookSetting* setting = settings_.GeneralSettings.Find(option);
  return setting ? setting->KeyVal : std::string();
}

std::optional<cMySettings> frmManagerSettings::TypedChoice() {
  auto typed = [&](const std::string& option) {
    return Get<host::TextBox>("txt" + option).Text();
  };
  cMySettings choice = settings_.MySettings;
  for (const char* number : {"DBChoice", "Security"}) {
    std::string text = Trim(typed(number));
    if (!IsNumeric(text)) {
      host::MsgBox(std::string(number) + " must be a number.", host::MsgBoxButtons::OK,
                   host::MsgBoxIcon::Exclamation);
      return std::nullopt;
    }
  }
  choice.DBChoice = CLng(Variant(Trim(typed("DBChoice"))));
  if (choice.DBChoice < cMySettings::kChoiceDatabaseFile ||
      choice.DBChoice > cMySettings::kChoiceSettingsFolder) {
    host::MsgBox(
        "DBChoice must be 0 (a database file), 1 (a database server) or 2 "
        "(the settings folder).",
        host::MsgBoxButtons::OK, host::MsgBoxIcon::Exclamation);
    return std::nullopt;
  }
  choice.DBConnectionString = typed("DBConnectionString");
  choice.DatabaseInfo.Server = typed("Server");
  choice.DatabaseInfo.DatabaseName = typed("DatabaseName");
  choice.DatabaseInfo.Security = CLng(Variant(Trim(typed("Security"))));
  choice.DatabaseInfo.UserName = typed("UserName");
  choice.DatabaseInfo.Password = typed("Password");
  return choice;
}

void frmManagerSettings::TestConnection() {
  std::optional<cMySettings> choice = TypedChoice();
  if (!choice) return;
  if (choice->DBChoice != cMySettings::kChoiceDatabaseServer) {
    host::MsgBox("Only a database server (DBChoice 1) can be tested.",
                 host::MsgBoxButtons::OK, host::MsgBoxIcon::Information,
                 host::MsgBoxDefault::Button1, kApplicationTitle);
    return;
  }
  host::MsgBox(TestServerConnectionText(*choice), host::MsgBoxButtons::OK,
               host::MsgBoxIcon::Information, host::MsgBoxDefault::Button1,
               kApplicationTitle);
}

bool frmManagerSettings::SaveOptions() {
  auto typed = [&](const std::string& option) {
    return Get<host::TextBox>("txt" + option).Text();
  };
  if (page_ == kPersonalPage) {
    for (const std::string& option : options_)
      settings_.UserValues.Set(option, typed(option));
    settings_.WriteUserRegistryValues();
    return true;
  }
  if (page_ == kDatabasePage) {
    std::optional<cMySettings> choice = TypedChoice();
    if (!choice || !choice->SaveDBSettingsItem(settings_.SettingsFolder())) return false;
    settings_.MySettings = *choice;
    return true;
  }
  if (options_.empty()) return true;
  cOutlookSettings before = settings_.GeneralSettings;
  // Only what was changed is written: an option never set keeps its default.
  for (const std::string& option : options_) {
    if (typed(option) != Value(option))
      settings_.GeneralSettings.SetValue(option, typed(option));
  }
  if (!settings_.SaveList(SettingsList::GeneralSettings)) {
    settings_.GeneralSettings = std::move(before);
    return false;
  }
  settings_.ReloadSettings(page_);
  return true;
}

}  // namespace zanvoro
