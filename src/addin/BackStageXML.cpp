#include "addin/BackStageXML.h"

#include <string_view>

#include "text/Phrases.h"

namespace zanvoro {

namespace {

// How a task without an image is written: the text between its label's
// closing quote and "isDefinitive".
enum class NoImage { TwoSpaces, OneSpace, Direct };

struct Task {
  const char* id;
  const std::string* label;  // a phrase variable; nullptr: `fixed_label`
  const char* fixed_label;
  const char* image;  // nullptr: `no_image`
  NoImage no_image;
};

std::string TaskXML(const Task& task) {
  std::string xml = "<task id=\"" + std::string(task.id) + "\" label=\"" +
                    (task.label ? *task.label : std::string(task.fixed_label)) + "\"";
  if (task.image) {
    xml += " imageMso=\"" + std::string(task.image) + "\" ";
  } else if (task.no_image == NoImage::TwoSpaces) {
    xml += "  ";
  } else if (task.no_image == NoImage::OneSpace) {
    xml += " ";
  }
  return xml + "isDefinitive=\"false\" onAction=\"SubExecuteAction\"/>";
}

template <size_t N>
std::string TasksXML(const Task (&tasks)[N]) {
  std::string xml;
  for (const Task& task : tasks) xml += TaskXML(task);
  return xml;
}

constexpr NoImage kImage = NoImage::OneSpace;  // unused when there is an image

}  // namespace

std::string GetBackStageXML() {
  const Task settings_tasks[] = {
      {"cmdDatabaseSettings", &CONST_SETTINGS_DATA_SOURCE, nullptr,
       "DataAutomaticallyLink", kImage},
      {"cmdAccessControl", &CONST_ACCESS_CONTROL, nullptr, "SiteCollectionAdmins",
       kImage},
      {"cmdAssetsList", &CONST_ASSETS_LIST, nullptr, "OrganizationChartLayoutLeftHanging",
       kImage},
      {"cmdAssetFields", &CONST_ASSET_FIELDS, nullptr, nullptr, NoImage::TwoSpaces},
      {"cmdTechniciansList", &CONST_TECHNICIANS_LIST, nullptr, "DatabasePermissionsMenu",
       kImage},
      {"cmdCallersList", &CONST_CALLERS_LIST, nullptr, "MailSelectNames", kImage},
      {"cmdProblemsList", &CONST_PROBLEMS_LIST, nullptr, "AdvancedMode", kImage},
      {"cmdOriginsList", &CONST_ORIGINS_LIST, nullptr, nullptr, NoImage::TwoSpaces},
      {"cmdOriginsOptions", &CONST_ORIGIN_OPTIONS, nullptr, nullptr, NoImage::TwoSpaces},
      {"cmdTemplatesManager", &CONST_TEMPLATES_MANAGER, nullptr, "RmsSendBizcardDesign",
       kImage},
      {"cmdNotificationOptions", &CONST_NOTIFICATION_OPTIONS, nullptr, "RoutingSlip",
       kImage},
      {"cmdEmailMonitoring", &CONST_EMAIL_MONITORING_AUTOMATION, nullptr,
       "StartAfterPrevious", kImage},
      {"cmdPredefinedAnswers", &CONST_PREDEFINED_ANSWERS, nullptr, "MailMergeRules",
       kImage},
      {"cmdCustomFields", &CONST_CUSTOM_FIELDS, nullptr, "PositionFitToWindow", kImage},
      {"cmdMobileMessaging", &CONST_MOBILE_MESSAGING, nullptr, "OmsForwardAsTextMessage",
       kImage},
      {"cmdAutomationOptions", &CONST_AUTOMATION_OPTIONS, nullptr, "DefinePrintStyles",
       kImage},
      {"cmdAdvancedOptions", &CONST_ADVANCED_OPTIONS, nullptr,
       "ControlSetControlDefaults", kImage},
      {"cmdWebAccess", &CONST_WEB_ACCESS, nullptr, "DataSourceCatalogServerScript",
       kImage},
      {"cmdSLA", nullptr, "Service Level Agreements (SLA)", nullptr, NoImage::OneSpace},
      {"cmdCaseOptions", &CONST_CASE_OPTIONS, nullptr, nullptr, NoImage::TwoSpaces},
      {"cmdAutomaticUpgrade", &CONST_AUTO_UPGRADE, nullptr, nullptr, NoImage::OneSpace},
      {"cmdWorkload", &CONST_WORKLOAD, nullptr, nullptr, NoImage::OneSpace},
      {"cmdOtherSettings", &CONST_OTHER_SETTINGS, nullptr, nullptr, NoImage::OneSpace},
  };
  const Task tool_tasks[] = {
      {"cmdContactManager", &CONST_CONTACT_MANAGER, nullptr, "Organizer", kImage},
      {"cmdSearchCases", &CONST_SEARCH_CASES, nullptr, "SearchUpscopeToAllItemsOfType",
       kImage},
      {"cmdStatistics", &CONST_STATISTICS, nullptr, "Chart3DColumnChart", kImage},
      {"cmdExportToDatabase", &CONST_EXPORT_TO_DATABASE, nullptr,
       "ServerRestoreSqlDatabase", kImage},
      {"cmdArchiveCases", &CONST_ARCHIVE_CASES, nullptr, "FileClose", kImage},
      {"cmdSummaryReports", &CONST_SUMMARY_REPORTS, nullptr, "SignatureLineInsert",
       kImage},
      {"cmdDemoCases", &CONST_DEMO_CASES, nullptr, "SourceControlShowHistory", kImage},
      {"cmdOnlineStatus", &CONST_ONLINE_STATUS_TECHS, nullptr, "PersonaStatusOnline",
       kImage},
      {"cmdCopyNewZanvoro", nullptr, "New Zanvoro Folder", nullptr, NoImage::Direct},
      {"cmdResetConnection", nullptr, "Reset Connection", nullptr, NoImage::Direct},
  };
  const Task help_tasks[] = {
      {"cmdHelpTopics", &CONST_HELP_TOPICS, nullptr, "Help", kImage},
      {"cmdVideoTutorials", &CONST_VIDEO_TUTORIALS, nullptr, "MovieFromFileInsert",
       kImage},
      {"cmdVisitHomepage", &CONST_VISIT_HOME_PAGE, nullptr, "HyperlinkInsert", kImage},
      {"cmdKnoweldgeBaseSite", &CONST_KNOWLEDGE_BASE, nullptr, "HyperlinkInsert", kImage},
      {"cmdAboutZanvoro", &CONST_ABOUT, nullptr, nullptr, NoImage::OneSpace},
      {"cmdShutdown", &CONST_SHUTDOWN, nullptr, nullptr, NoImage::OneSpace},
  };
  // "getVisible =" keeps the blank before "=" the tab was always written with.
  return "<backstage><tab id=\"ZanvoroManagerSettingsMenu\" getVisible =\"IsShutdown\" "
         "label=\"Zanvoro Manager\" insertAfterMso=\"TabHelp\"><firstColumn>"
         "<taskGroup id=\"SettingsTools\" label=\"" +
         CONST_MANAGERIAL_SETTINGS + "\" helperText=\"" +
         CONST_BACKSTAGE_SECTION_SETTINGS + "\"><category id=\"SettingsToolsCategory\">" +
         TasksXML(settings_tasks) +
         "</category></taskGroup></firstColumn><secondColumn>"
         "<taskGroup id=\"MangerialTools\" label=\"" +
         CONST_MANAGERIAL_TOOLS + "\"><category id=\"MangerialToolsCategory\">" +
         TasksXML(tool_tasks) + "</category><category id=\"HelpCategory\" label=\"" +
         CONST_OTHER_INFORMATION + "\">" + TasksXML(help_tasks) +
         "</category></taskGroup></secondColumn></tab></backstage>";
}

std::string GetCustomUIXML() {
  return "<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" "
         "onLoad=\"OnLoad\"><ribbon></ribbon>" +
         GetBackStageXML() + "</customUI>";
}

}  // namespace zanvoro
