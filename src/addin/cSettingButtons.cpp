#include "addin/cSettingButtons.h"

#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr const char* kWebAccessCommand = "cmdWebAccess";

}  // namespace

std::vector<ButtonDefinition> cSettingButtons::Buttons() {
  const std::string sla = "Service Level Agreements (SLA)";
  return {
      {"cmdDatabaseSettings", CONST_HELPDESK_SETTINGS_DATA_SOURCE,
       CONST_HELPDESK_SETTINGS_DATA_SOURCE},
      {"cmdAccessControl", CONST_ACCESS_CONTROL, CONST_ACCESS_CONTROL_TT},
      {"cmdAssets", CONST_ASSETS_LIST, CONST_ASSETS_LIST_TT},
      {"cmdAssetFields", CONST_ASSET_FIELDS, CONST_ASSET_FIELDS},
      {"cmdOriginsList", CONST_ORIGINS_LIST, CONST_ORIGINS_LIST},
      {"cmdOriginOptions", CONST_ORIGIN_OPTIONS, CONST_ORIGIN_OPTIONS},
      {"cmdResponsibles", CONST_TECHNICIANS_LIST, CONST_TECHNICIANS_LIST},
      {"cmdCallers", CONST_CALLERS_LIST, CONST_CALLERS_LIST},
      {"cmdProblems", CONST_PROBLEMS_LIST, CONST_PROBLEMS_LIST},
      {"cmdEmailTemplates", CONST_TEMPLATES_MANAGER, CONST_TEMPLATES_MANAGER},
      {"cmdNotificationOptions", CONST_NOTIFICATION_OPTIONS, CONST_NOTIFICATION_OPTIONS},
      {"cmdEmailMonitoring", CONST_EMAIL_MONITORING_AUTOMATION,
       CONST_EMAIL_MONITORING_AUTOMATION},
      {"cmdFAQTemplates", CONST_PREDEFINED_ANSWERS, CONST_PREDEFINED_ANSWERS},
      {"cmdCustomFields", CONST_CUSTOM_FIELDS, CONST_CUSTOM_FIELDS},
      {"cmdMessaging", CONST_MOBILE_MESSAGING, CONST_MOBILE_MESSAGING},
      {"cmdAutomationOptions", CONST_AUTOMATION_OPTIONS, CONST_AUTOMATION_OPTIONS},
      {"cmdAdvancedOptions", CONST_ADVANCED_OPTIONS, CONST_ADVANCED_OPTIONS},
      {kWebAccessCommand, CONST_WEB_ACCESS, CONST_WEB_ACCESS},
      {"cmdSLAs", sla, sla},
      {"cmdCaseOptions", CONST_CASE_OPTIONS, CONST_CASE_OPTIONS},
      {"cmdUpgradeOptions", CONST_UPGRADE_OPTIONS, CONST_UPGRADE_OPTIONS},
      {"cmdWorkload", CONST_WORKLOAD, CONST_WORKLOAD},
      {"cmdOtherSettings", CONST_OTHER_SETTINGS, CONST_OTHER_SETTINGS},
  };
}

void cSettingButtons::subAddButtons(host::CommandBarControls& controls,
                                    IMyEventInterface& receiver) {
  popup_.Add(controls, CONST_SETTINGS, Buttons(), receiver);
}

void cSettingButtons::disableWebAccess() {
  if (auto button = popup_.Button(kWebAccessCommand)) button->SetEnabled(false);
}

}  // namespace zanvoro
