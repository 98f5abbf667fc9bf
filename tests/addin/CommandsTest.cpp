#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "addin/ZFO_M.h"
#include "addin/modCommands.h"
#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/frmSearch.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/net/LoopbackHttpServer.h"
#include "host/ui/Backstage.h"
#include "host/ui/ScriptedRenderer.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

using host::FormAction;
using host::MsgBoxResult;
using host::ShownKind;

class Commands : public testsupport::CaseTest {
 protected:
  Commands() {
    // Stored: the settings pages read the general settings again.
    Settings().GeneralSettings.SetValue("sdoWebUpdateService", service_.Address());
    EXPECT_TRUE(Settings().SaveList(SettingsList::GeneralSettings));
    Renderer().ClearTranscript();
  }
  void Run(const std::string& id) { RunCommand(*addin_, id); }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const host::Shown& shown : Renderer().Transcript())
      if (shown.kind == ShownKind::MessageBox) texts.push_back(shown.text);
    return texts;
  }
  std::string Opened() {
    for (const host::Shown& shown : Renderer().Transcript())
      if (shown.kind == ShownKind::Opened) return shown.text;
    return {};
  }

  testsupport::LoopbackHttpServer service_;
};

TEST_F(Commands, BackstageDocumentIsExactToTheCharacterInEnglishAndFrench) {
  // Each task: id, English label, French label, and what follows the label.
  const char* kImage = " imageMso=\"";
  struct Task {
    const char* id;
    const char* en;
    const char* fr;
    std::string tail;
  };
  auto image = [&](const char* name) { return std::string(kImage) + name + "\" "; };
  const std::string two = "  ", one = " ", none = "";
  const std::vector<Task> settings_tasks = {
      {"cmdDatabaseSettings", "Helpdesk Settings Data Source",
       "Source de données des paramètres du helpdesk", image("DataAutomaticallyLink")},
      {"cmdAccessControl", "Access Control", "Contrôle d'accès",
       image("SiteCollectionAdmins")},
      {"cmdAssetsList", "Assets List", "Liste des équipements",
       image("OrganizationChartLayoutLeftHanging")},
      {"cmdAssetFields", "Asset Fields", "Champs d'équipement", two},
      {"cmdTechniciansList", "Technicians List", "Liste des techniciens",
       image("DatabasePermissionsMenu")},
      {"cmdCallersList", "Callers List", "Liste des demandeurs",
       image("MailSelectNames")},
      {"cmdProblemsList", "Problems List", "Liste des problèmes", image("AdvancedMode")},
      {"cmdOriginsList", "Origins List", "Liste des origines", two},
      {"cmdOriginsOptions", "Origin Options", "Options d'origine", two},
      {"cmdTemplatesManager", "Templates Manager", "Gestionnaire de modèles",
       image("RmsSendBizcardDesign")},
      {"cmdNotificationOptions", "Notification Options", "Options de notification",
       image("RoutingSlip")},
      {"cmdEmailMonitoring", "Email Monitoring and Automation",
       "Surveillance des e-mails et automatisation", image("StartAfterPrevious")},
      {"cmdPredefinedAnswers", "Predefined Answers", "Réponses prédéfinies",
       image("MailMergeRules")},
      {"cmdCustomFields", "Custom Fields", "Champs personnalisés",
       image("PositionFitToWindow")},
      {"cmdMobileMessaging", "Mobile Messaging", "Messagerie mobile",
       image("OmsForwardAsTextMessage")},
      {"cmdAutomationOptions", "Automation Options", "Options d'automatisation",
       image("DefinePrintStyles")},
      {"cmdAdvancedOptions", "Advanced Options", "Options avancées",
       image("ControlSetControlDefaults")},
      {"cmdWebAccess", "Web Access", "Accès web", image("DataSourceCatalogServerScript")},
      {"cmdSLA", "Service Level Agreements (SLA)", "Service Level Agreements (SLA)", one},
      {"cmdCaseOptions", "Case Options", "Options des tickets", two},
      {"cmdAutomaticUpgrade", "Automatic Upgrade", "Mise à niveau automatique", one},
      {"cmdWorkload", "Workload", "Charge de travail", one},
      {"cmdOtherSettings", "Other Settings", "Autres paramètres", one}};
  const std::vector<Task> tool_tasks = {
      {"cmdContactManager", "Contact Manager", "Gestionnaire de contacts",
       image("Organizer")},
      {"cmdSearchCases", "Search Cases", "Rechercher des tickets",
       image("SearchUpscopeToAllItemsOfType")},
      {"cmdStatistics", "Statistics", "Statistiques", image("Chart3DColumnChart")},
      {"cmdExportToDatabase", "Export to Database", "Exporter vers une base de données",
       image("ServerRestoreSqlDatabase")},
      {"cmdArchiveCases", "Archive Cases", "Archiver les tickets", image("FileClose")},
      {"cmdSummaryReports", "Summary Reports", "Rapports de synthèse",
       image("SignatureLineInsert")},
      {"cmdDemoCases", "Demo Cases", "Tickets de démonstration",
       image("SourceControlShowHistory")},
      {"cmdOnlineStatus", "Online Status of Technicians",
       "Statut en ligne des techniciens", image("PersonaStatusOnline")},
      {"cmdCopyNewZanvoro", "New Zanvoro Folder", "New Zanvoro Folder", none},
      {"cmdResetConnection", "Reset Connection", "Reset Connection", none}};
  const std::vector<Task> help_tasks = {
      {"cmdHelpTopics", "Help Topics", "Rubriques d'aide", image("Help")},
      {"cmdVideoTutorials", "Video Tutorials", "Tutoriels vidéo",
       image("MovieFromFileInsert")},
      {"cmdVisitHomepage", "Visit Home Page", "Visiter le site web",
       image("HyperlinkInsert")},
      {"cmdKnoweldgeBaseSite", "Knowledge Base", "Base de connaissances",
       image("HyperlinkInsert")},
      {"cmdAboutZanvoro", "About", "À propos de", one},
      {"cmdShutdown", "Shutdown", "Arrêter", one}};
  struct Language {
    int index;
    bool french;
    const char* settings;
    const char* helper;
    const char* tools;
    const char* other;
  } languages[] = {
      {kLanguageEnglish, false, "Managerial Settings",
       "Configure the helpdesk settings shared by all technicians", "Managerial Tools",
       "Other Information"},
      {kLanguageFrench, true, "Paramètres de gestion",
       "Configurer les paramètres du helpdesk partagés par tous les techniciens",
       "Outils de gestion", "Autres informations"},
  };
  for (const Language& language : languages) {
    LoadPhrases(language.index);
    auto tasks = [&](const std::vector<Task>& list) {
      std::string xml;
      for (const Task& task : list) {
        xml += std::string("<task id=\"") + task.id + "\" label=\"" +
               (language.french ? task.fr : task.en) + "\"" + task.tail +
               "isDefinitive=\"false\" onAction=\"SubExecuteAction\"/>";
      }
      return xml;
    };
    std::string expected =
        std::string(
            "<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" "
            "onLoad=\"OnLoad\"><ribbon></ribbon><backstage><tab "
            "id=\"ZanvoroManagerSettingsMenu\" getVisible =\"IsShutdown\" "
            "label=\"Zanvoro "
            "Manager\" insertAfterMso=\"TabHelp\"><firstColumn><taskGroup "
            "id=\"SettingsTools\" label=\"") +
        language.settings + "\" helperText=\"" + language.helper +
        "\"><category id=\"SettingsToolsCategory\">" + tasks(settings_tasks) +
        "</category></taskGroup></firstColumn><secondColumn><taskGroup "
        "id=\"MangerialTools\" label=\"" +
        language.tools + "\"><category id=\"MangerialToolsCategory\">" +
        tasks(tool_tasks) + "</category><category id=\"HelpCategory\" label=\"" +
        language.other + "\">" + tasks(help_tasks) +
        "</category></taskGroup></secondColumn></tab></backstage></customUI>";
    EXPECT_EQ(addin_->IRibbonExtensibility_GetCustomUI("Microsoft.Outlook.Explorer"),
              expected)
        << language.index;
  }
  LoadPhrases(kLanguageEnglish);
  EXPECT_EQ(addin_->IRibbonExtensibility_GetCustomUI("Microsoft.Outlook.Mail.Read"), "");
}

TEST_F(Commands, TheHostShowsTheBackstageItReadsAndHidesItAfterTheShutdown) {
  host::Backstage backstage(*addin_);
  ASSERT_EQ(backstage.VisibleTabs().size(), 1u);
  size_t tasks = 0;
  for (const auto& group : backstage.VisibleTabs()[0]->groups)
    for (const auto& category : group.categories) tasks += category.tasks.size();
  EXPECT_EQ(tasks, 39u);
  Renderer().Script("frmAbout", {FormAction::Click("cmdHomePage"), FormAction::Close()});
  EXPECT_TRUE(backstage.RunTask("cmdAboutZanvoro"));
  EXPECT_EQ(Opened(), "https://www.zanvoro.invalid/");
  EXPECT_TRUE(addin_->IsShutdown(host::RibbonControl{"ZanvoroManagerSettingsMenu"}));
  addin_->ShutdownAddin();
  EXPECT_FALSE(addin_->IsShutdown(host::RibbonControl{"ZanvoroManagerSettingsMenu"}));
  EXPECT_EQ(backstage.Ribbon()->Invalidations(), 1);
  EXPECT_TRUE(backstage.VisibleTabs().empty());
}

TEST_F(Commands, EveryIdentifierOfBothTablesOpensItsWindowOrDoesItsJob) {
  const std::string home = "https://www.zanvoro.invalid/";
  service_.Answer("0.0.9");
  struct {
    const char* id;
    const char* form;     // the window it opens, or
    const char* message;  // a part of the message it shows, or
    std::string opened;   // the address it opens, or
    const char* folder;   // the helpdesk folder the explorer shows then
    int page;             // the settings page it opens (-1: none)
  } commands[] = {
      {"cmdAccessControl", "frmManagerSettings", "", "", "", 0},
      {"cmdProblemsList", "frmManagerList", "", "", "", 1},
      {"cmdProblems", "frmManagerList", "", "", "", 1},
      {"cmdTechniciansList", "frmManagerList", "", "", "", 2},
      {"cmdResponsibles", "frmManagerList", "", "", "", 2},
      {"cmdCallersList", "frmManagerList", "", "", "", 3},
      {"cmdCallers", "frmManagerList", "", "", "", 3},
      {"cmdEmailMonitoring", "frmEmailMonitoring", "", "", "", 5},
      {"cmdWebAccess", "frmManagerSettings", "", "", "", 7},
      {"cmdAssetsList", "frmManagerList", "", "", "", 8},
      {"cmdAssets", "frmManagerList", "", "", "", 8},
      {"cmdCustomFields", "frmManagerSettings", "", "", "", 9},
      {"cmdPersonalSettings", "frmManagerSettings", "", "", "", 10},
      {"cmdMobileMessaging", "frmManagerSettings", "", "", "", 11},
      {"cmdMessaging", "frmManagerSettings", "", "", "", 11},
      {"cmdAutomationOptions", "frmManagerSettings", "", "", "", 13},
      {"cmdNotificationOptions", "frmManagerSettings", "", "", "", 14},
      {"cmdAdvancedOptions", "frmManagerSettings", "", "", "", 15},
      {"cmdAssetFields", "frmManagerSettings", "", "", "", 16},
      {"cmdCaseOptions", "frmManagerSettings", "", "", "", 18},
      {"cmdWorkload", "frmManagerSettings", "", "", "", 19},
      {"cmdDatabaseSettings", "frmManagerSettings", "", "", "", 20},
      {"cmdAutomaticUpgrade", "frmManagerSettings", "", "", "", 22},
      {"cmdUpgradeOptions", "frmManagerSettings", "", "", "", 22},
      {"cmdOtherSettings", "frmManagerSettings", "", "", "", 23},
      {"cmdOriginsList", "frmManagerList", "", "", "", 24},
      {"cmdOriginsOptions", "frmManagerSettings", "", "", "", 25},
      {"cmdOriginOptions", "frmManagerSettings", "", "", "", 25},
      {"cmdTemplatesManager", "frmTemplates", "", "", "", -1},
      {"cmdEmailTemplates", "frmTemplates", "", "", "", -1},
      {"cmdPredefinedAnswers", "frmFAQs", "", "", "", -1},
      {"cmdFAQTemplates", "frmFAQs", "", "", "", -1},
      {"cmdSLA", "frmManagerSLA", "", "", "", 17},
      {"cmdSLAs", "frmManagerSLA", "", "", "", 17},
      {"cmdContactManager", "frmContactManager", "", "", "", -1},
      {"cmdSearchCases", "frmSearch", "", "", "", -1},
      {"cmdStatistics", "frmStatistics", "", "", "", -1},
      {"cmdExportToDatabase", "frmStatistics", "", "", "", -1},
      {"cmdExportCases", "frmStatistics", "", "", "", -1},
      {"cmdArchiveCases", "frmArchive", "", "", "", -1},
      {"cmdArchive", "frmArchive", "", "", "", -1},
      {"cmdSummaryReports", "frmReports", "", "", "", -1},
      {"cmdReports", "frmReports", "", "", "", -1},
      {"cmdDemoCases", "frmLoadDemo", "", "", "", -1},
      {"cmdOnlineStatus", "frmRealTimeUsers", "", "", "", -1},
      {"cmdRealTimeUsersInformation", "frmRealTimeUsers", "", "", "", -1},
      {"cmdCopyNewZanvoro", "", "ConfigureServerPST.exe does not exists", "", "", -1},
      {"cmdCopyNewFolders", "", "ConfigureServerPST.exe does not exists", "", "", -1},
      {"cmdHelpTopics", "", "ZanvoroHelp.pdf", "", "", -1},
      {"cmdHelp", "", "ZanvoroHelp.pdf", "", "", -1},
      {"cmdVideoTutorials", "", "", "https://www.zanvoro.invalid/video-tutorials/", "",
       -1},
      {"cmdCheckUpdates", "", "There is no update available!", "", "", -1},
      {"cmdVisitHomePage", "", "", home, "", -1},
      {"cmdVisitHomepage", "", "", home, "", -1},
      {"cmdHomepage", "", "", home, "", -1},
      {"cmdKnoweldgeBaseSite", "", "", "https://www.zanvoro.invalid/knowledge-base/", "",
       -1},
      {"cmdKnowledgeBaseSite", "", "", "https://www.zanvoro.invalid/knowledge-base/", "",
       -1},
      {"cmdEmailToAdministrator", "Inspector", "", "", "", -1},
      {"cmdAboutZanvoro", "frmAbout", "", "", "", -1},
      {"cmdAbout", "frmAbout", "", "", "", -1},
      {"cmdShutdown", "", "Are you sure you want to shutdown Zanvoro Manager", "", "",
       -1},
      {"cmdHomeOpen", "", "", "", "Ongoing", -1},
      {"cmdHomeResolved", "", "", "", "Resolved", -1},
      {"cmdHomeKB", "", "", "", "KB", -1},
      {"cmdHomeHistory", "", "", "", "History", -1},
      {"cmdNoSuchCommand", "", "cmdNoSuchCommand - Not Implemented", "", "", -1},
  };
  std::set<std::string> listed;
  for (const auto& c : commands) {
    SCOPED_TRACE(c.id);
    listed.insert(c.id);
    Renderer().ClearTranscript();
    if (*c.form && std::string(c.form) != "Inspector")
      Renderer().Script(c.form, {FormAction::Close()});
    if (std::string(c.id) == "cmdShutdown") Renderer().Answer(MsgBoxResult::No);
    int page_before = CurrentSettingsPage();
    Run(c.id);
    EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
    if (*c.form) {
      EXPECT_NE(LastShown(c.form), nullptr) << Renderer().TranscriptText();
    }
    if (*c.message) {
      ASSERT_EQ(Messages().size(), 1u) << Renderer().TranscriptText();
      EXPECT_NE(Messages()[0].find(c.message), std::string::npos) << Messages()[0];
    } else {
      EXPECT_TRUE(Messages().empty()) << Renderer().TranscriptText();
    }
    EXPECT_EQ(Opened(), c.opened);
    if (*c.folder) {
      auto shown = application_->ActiveExplorer()->CurrentFolder();
      auto expected = std::string(c.folder) == "Ongoing"    ? GetOngoingFolder()
                      : std::string(c.folder) == "Resolved" ? GetResolvedFolder()
                      : std::string(c.folder) == "KB"       ? GetKBFolder()
                                                            : GetHistoryFolder();
      EXPECT_EQ(shown->EntryID(), expected->EntryID());
    }
    EXPECT_EQ(CurrentSettingsPage(), c.page < 0 ? page_before : c.page);
  }
  EXPECT_FALSE(addin_->IsShutdown());
  // cmdResetConnection has its own test.
  listed.insert("cmdResetConnection");
  listed.erase("cmdNoSuchCommand");
  std::vector<std::string> known = CommandIdentifiers();
  EXPECT_EQ(listed, std::set<std::string>(known.begin(), known.end()));
}

TEST_F(Commands, WithoutAStoredLocationHelpdeskCommandsAskNewOrExistingInstead) {
  Renderer().Script("frmNewDB", {FormAction::Click("cmdNew")});
  Run("cmdResetConnection");
  EXPECT_TRUE(ZFO_M::IsFirstRun());
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages()[0],
            "Zanvoro Connection settings have been resetted successfully on this "
            "system!\r\n\r\nNow you can proceed with the new connection settings");
  EXPECT_EQ(CountShown("frmNewDB"), 1);
  for (const char* id : {"cmdSearchCases", "cmdResponsibles", "cmdArchive"}) {
    Renderer().Script("frmNewDB", {FormAction::Click("cmdNew")});
    Run(id);
  }
  EXPECT_EQ(CountShown("frmNewDB"), 4);
  EXPECT_EQ(
      CountShown("frmSearch") + CountShown("frmManagerList") + CountShown("frmArchive"),
      0);
}

TEST_F(Commands, TheUpdateCheckOffersANewerVersionOnly) {
  struct {
    std::string answer;
    int status;
    const char* message;
    bool download;
  } cases[] = {
      {" 9.9.9\r\n", 200,
       "A new version (9.9.9) is available for uppgrade!\r\n\r\n"
       "Do you want to download it?",
       true},
      {"0.1.0", 200, "There is no update available!", false},
      {GetVersionString(), 200, "There is no update available!", false},
      {"", 200, "There is no update available!", false},
      {"<html>oops</html>", 200, "There is no update available!", false},
      {"9.9.9", 500, "There is no update available!", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    Renderer().ClearTranscript();
    service_.Answer(c.answer, c.status);
    if (c.download) Renderer().Answer(MsgBoxResult::Yes);
    CheckForUpdates();
    ASSERT_EQ(Messages().size(), 1u) << Renderer().TranscriptText();
    EXPECT_EQ(Messages()[0], c.message);
    EXPECT_EQ(Opened(), c.download ? "https://www.zanvoro.invalid/download/" : "");
  }
  EXPECT_EQ(service_.Requests().front(),
            "POST /scriptslibrary/CheckNewUpdate.asp?app=VNH");

  // Nothing listens on a port that was bound and let go.
  int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  int port = ntohs(address.sin_port);
  Settings().GeneralSettings.SetValue("sdoWebUpdateService",
                                      "http://127.0.0.1:" + std::to_string(port));
  Renderer().ClearTranscript();
  CheckForUpdates();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("The update service cannot be reached"),
            std::string::npos);
}

TEST_F(Commands, TheListEditorAddsEditsAndDeletesAndRefusesWhatTheListRefuses) {
  size_t technicians = Settings().Technicians.Count();
  Renderer().Script(
      "frmManagerList",
      {FormAction::Set("txtName", "Zed Quinn"),
       FormAction::Set("txtEmail", "zed@example.com"), FormAction::Set("txtRate", "abc"),
       FormAction::Click("cmdAdd"),  // refused: rate
       FormAction::Set("txtRate", "12.5"), FormAction::Click("cmdAdd"),
       FormAction::Click("cmdAdd"),                                   // refused: taken
       FormAction::Set("txtName", " "), FormAction::Click("cmdAdd"),  // refused: empty
       FormAction::Set("txtName", "Yves Roy"), FormAction::Click("cmdAdd"),
       FormAction::Set("txtEmail", "yves@example.com"), FormAction::Click("cmdUpdate"),
       FormAction::Set("txtName", "Zed Quinn"), FormAction::Click("cmdUpdate"),  // taken
       FormAction::Set("lstEntries", "Zed Quinn"), FormAction::Click("cmdDelete"),
       FormAction::Click("cmdSave")});
  Run("cmdResponsibles");
  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
  std::vector<std::string> refusals = Messages();
  ASSERT_EQ(refusals.size(), 4u) << Renderer().TranscriptText();
  EXPECT_NE(refusals[0].find("Rate \"abc\" is not a number"), std::string::npos);
  EXPECT_NE(refusals[1].find("\"Zed Quinn\" is already on entry"), std::string::npos);
  EXPECT_NE(refusals[2].find("Name is empty"), std::string::npos);
  EXPECT_NE(refusals[3].find("is already on entry"), std::string::npos);
  // What the window saved is what the store gives back.
  Settings().Technicians.Clear();
  ASSERT_TRUE(Settings().ReloadSettings(2));
  EXPECT_EQ(Settings().Technicians.Count(), technicians + 1);
  EXPECT_FALSE(Settings().Technicians.Exists("Zed Quinn"));
  ASSERT_TRUE(Settings().Technicians.Exists("Yves Roy"));
  EXPECT_EQ(Settings().Technicians.Find("Yves Roy")->Email, "yves@example.com");
}

TEST_F(Commands, APredefinedAnswerAddedInItsListGoesIntoTheReplyBeingWritten) {
  auto reply = application_->CreateItem(host::ItemType::Mail);
  reply->SetBody("> the caller's question");
  application_->DisplayItem(reply);
  Renderer().Script("frmFAQs",
                    {FormAction::Set("txtQuestion", "Reset a password?"),
                     FormAction::Set("txtAnswer", "Use the self-service page."),
                     FormAction::Click("cmdAdd"), FormAction::Click("cmdSave")});
  Run("cmdPredefinedAnswers");
  Renderer().Script("frmFAQs", {FormAction::Set("lstEntries", "Reset a password?"),
                                FormAction::Click("cmdInsert")});
  Run("cmdPredefinedAnswers");
  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
  EXPECT_EQ(reply->Body(), "Use the self-service page.\r\n> the caller's question");
}

TEST_F(Commands, TheDemoLoaderMakesOpenAndResolvedDemoCases) {
  int32_t open = Ongoing()->Items()->Count(), resolved = Resolved()->Items()->Count();
  Renderer().Script(
      "frmLoadDemo",
      {FormAction::Set("txtCount", "0"), FormAction::Click("cmdLoad"),
       FormAction::Set("txtCount", "3"), FormAction::Set("chkResolved", true),
       FormAction::Click("cmdLoad"), FormAction::Click("cmdClose")});
  Run("cmdDemoCases");
  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
  ASSERT_EQ(Messages().size(), 1u);  // the count 0 refused
  EXPECT_EQ(Ongoing()->Items()->Count(), open + 2);
  EXPECT_EQ(Resolved()->Items()->Count(), resolved + 1);
}

TEST_F(Commands, ASettingsPageSavesItsOptionsForTheNextReading) {
  Renderer().Script("frmManagerSettings", {FormAction::Set("txtsdoCaseClosedEmail", "0"),
                                           FormAction::Click("cmdSave")});
  Run("cmdNotificationOptions");
  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
  // The page shows its own options only.
  EXPECT_EQ(LastShown("frmManagerSettings")->ControlText("txtsdoAdminEmai"), "");
  Settings().GeneralSettings.SetValue("sdoCaseClosedEmail", "changed in memory only");
  ASSERT_TRUE(Settings().ReloadSettings(14));
  EXPECT_EQ(Settings().GeneralSettings.Find("sdoCaseClosedEmail")->KeyVal, "0");
}

TEST_F(Commands, TheCaseSearchFindsByNumberCallerSubjectAndTextAndOpensTheCase) {
  auto first = SavedCaseItem(Ongoing(), "41");
  first->SetSubject("[41] Printer jams");
  WriteItemProperty(*first, caseprop::kCallerName, Variant("Carla Diaz"),
                    VarType::String);
  WriteItemProperty(*first, caseprop::kBody, Variant("paper tray two"), VarType::String);
  first->Save();
  auto second = SavedCaseItem(Resolved(), "42");
  WriteItemProperty(*second, caseprop::kCallerEmail, Variant("bo@example.com"),
                    VarType::String);
  second->Save();
  struct {
    CaseSearchField field;
    const char* text;
    std::vector<std::string> numbers;
  } searches[] = {
      {CaseSearchField::Number, "42", {"42"}},
      {CaseSearchField::Number, "4", {}},
      {CaseSearchField::Caller, "carla", {"41"}},
      {CaseSearchField::Caller, "BO@EXAMPLE", {"42"}},
      {CaseSearchField::Subject, "printer", {"41"}},
      {CaseSearchField::Text, "Tray", {"41"}},
      {CaseSearchField::Text, "", {"41", "42"}},
  };
  for (const auto& s : searches) {
    std::vector<std::string> numbers;
    for (const CaseSearchHit& hit : SearchCases({Ongoing(), Resolved()}, s.field, s.text))
      numbers.push_back(hit.CaseNumber);
    EXPECT_EQ(numbers, s.numbers) << s.text;
  }
  Renderer().Script(
      "frmSearch",
      {FormAction::Set("cboField", "Caller"), FormAction::Set("txtFind", "diaz"),
       FormAction::Click("cmdSearch"), FormAction::Select("lstResults", 0),
       FormAction::Click("cmdOpen"), FormAction::Close()});
  Run("cmdSearchCases");
  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
  ASSERT_NE(application_->ActiveInspector(), nullptr);
  EXPECT_EQ(application_->ActiveInspector()->CurrentItem()->EntryID(), first->EntryID());
}

}  // namespace
}  // namespace zanvoro
