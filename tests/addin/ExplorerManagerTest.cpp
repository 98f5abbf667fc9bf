#include <gtest/gtest.h>

#include <algorithm>

#include "addin/cExplorersEventManager.h"
#include "addin/cUISettings.h"
#include "case/FolderMarkers.h"
#include "case/HelpdeskTestSupport.h"
#include "case/ItemProperty.h"
#include "host/client/CommandBars.h"
#include "host/os/Hive.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "intake/Monitoring.h"
#include "settings/SettingsList.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro {
namespace {

// The add-in started on a client with two helpdesk sets in one store,
// Team A (the user's) and Team B, and the toolbar's commands recorded.
class ExplorerManager : public testsupport::HelpdeskTest {
 protected:
  ExplorerManager() {
    team_a_ = MakeHelpdesk("helpdesk.zdb", "Team A", Registration::ForUser);
    team_b_ = MakeHelpdesk("helpdesk.zdb", "Team B");
  }
  ~ExplorerManager() override {
    if (addin_) addin_->ShutdownAddin();
  }

  // Starts the add-in on a client of `version`, after a session ended.
  void Start(const std::string& version = "16.0", const std::string& no_reload = "") {
    if (addin_) addin_->ShutdownAddin();
    addin_.reset();
    application_.reset();
    profile_.host_version = version;
    profile_.Save();
    host::Hive hive(profile_.EffectiveHivePath());
    hive.SetValue("Software\\Pellworth\\VNH", "DefLang", "ENGLISH");
    hive.SetValue("Software\\Pellworth\\VNH", "DoNotReloadSettings", no_reload);
    LaterSteps steps;
    InstallSettingsSteps(steps);
    if (with_monitoring_) InstallMonitoringSteps(steps);
    InstallExplorerSteps(steps, [this](std::string_view id) { ran_.emplace_back(id); });
    Connect(std::move(steps)).AddinInstance_OnStartupComplete();
    ASSERT_FALSE(addin_->IsShutdown()) << Renderer().TranscriptText();
  }

  std::shared_ptr<host::Explorer> Explorer() { return application_->ActiveExplorer(); }
  std::shared_ptr<host::MAPIFolder> Folder(const NewHelpdesk& set, size_t index) {
    return Session().GetFolderFromID(set.folders[index].EntryID);
  }
  std::shared_ptr<host::CommandBarControl> Control(std::string_view tag) {
    return Explorer()->ActiveMenuBar().FindControl(tag);
  }
  std::vector<std::string> Captions(std::string_view popup_caption) {
    std::vector<std::string> captions;
    for (const auto& popup : Control(kMenuTag)->Controls().All()) {
      if (popup->Caption() != popup_caption) continue;
      for (const auto& button : popup->Controls().All())
        captions.push_back(button->Caption());
    }
    return captions;
  }
  int Reloads() const {
    const auto& steps = addin_->Steps();
    return static_cast<int>(
        std::count(steps.begin(), steps.end(), "GlobalSettings.Reload"));
  }

  NewHelpdesk team_a_;
  NewHelpdesk team_b_;
  bool with_monitoring_ = false;
  std::vector<std::string> ran_;
};

TEST_F(ExplorerManager, ToolbarMenuHasTheEnglishCaptionsTooltipsAndFaces) {
  Start();
  auto popup = Control(kMenuTag);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->Caption(), "Zanvoro Manager");
  EXPECT_EQ(Captions("Settings"),
            (std::vector<std::string>{"Helpdesk Settings Data Source",
                                      "Access Control",
                                      "Assets List",
                                      "Asset Fields",
                                      "Origins List",
                                      "Origin Options",
                                      "Technicians List",
                                      "Callers List",
                                      "Problems List",
                                      "Templates Manager",
                                      "Notification Options",
                                      "Email Monitoring and Automation",
                                      "Predefined Answers",
                                      "Custom Fields",
                                      "Mobile Messaging",
                                      "Automation Options",
                                      "Advanced Options",
                                      "Web Access",
                                      "Service Level Agreements (SLA)",
                                      "Case Options",
                                      "Upgrade Options",
                                      "Workload",
                                      "Other Settings"}));
  EXPECT_EQ(Control("cmdAccessControl")->TooltipText(),
            "Choose which technicians have administrator rights");
  EXPECT_EQ(Control("cmdAssets")->TooltipText(), "Manage the list of assets");
  EXPECT_EQ(Captions("Navigate To"),
            (std::vector<std::string>{"Ongoing Cases Folder", "Resolved Cases Folder",
                                      "Knowledge Base Folder", "Email History Folder"}));
  EXPECT_EQ(Control("cmdHomeHistory")->TooltipText(),
            "Go to the folder of processed emails");

  struct {
    const char* tag;
    const char* caption;
    const char* tooltip;
    int face;
  } buttons[] = {
      {"cmdContactManager", "Contact Manager", "Open the contact manager", 0},
      {"cmdSearchCases", "Search Cases", "Search the ongoing and resolved cases", 2683},
      {"cmdStatistics", "Statistics", "View helpdesk statistics", 956},
      {"cmdExportCases", "Export to Database", "Export cases to a database for reporting",
       2116},
      {"cmdArchive", "Archive Cases", "Move resolved cases into a PST archive", 106},
      {"cmdReports", "Summary Reports", "Generate summary reports of the cases", 0},
      {"cmdDemoCases", "Demo Cases", "Load demo cases to try out the helpdesk", 1584},
      {"cmdRealTimeUsersInformation", "Online Status of Technicians",
       "Real time information on technicians and the installed version of Zanvoro", 7256},
      {"cmdCopyNewFolders", "New Zanvoro Folder",
       "Copy a new new Zanvoro folder from the Template PST, to get a fresh start!", 0},
      {"cmdResetConnection", "Reset Connection",
       "Reset Zanvoro connection settings configured on this system", 0},
      {"cmdHelp", "Help Topics", "Open the Zanvoro user guide", 983},
      {"cmdVideoTutorials", "Video Tutorials",
       "Go to the video tutorials page of Zanvoro for Outlook", 3525},
      {"cmdCheckUpdates", "Check for Updates",
       "Check whether a newer version of Zanvoro is available", 2934},
      {"cmdHomepage", "Visit Home Page", "Go to the Zanvoro home page", 3885},
      {"cmdKnowledgeBaseSite", "Knowledge Base",
       "Browse to the Knowledge Base section on the web", 3885},
      {"cmdAbout", "About Zanvoro", "About Zanvoro Manager for Outlook", 0},
      {"cmdShutdown", "Shutdown",
       "Shut down Zanvoro Manager until the mail client is restarted", 0},
  };
  // The manager buttons follow the two popups, in this order.
  ASSERT_EQ(popup->Controls().Count(), 2 + static_cast<int32_t>(std::size(buttons)));
  for (size_t i = 0; i < std::size(buttons); ++i) {
    auto button = popup->Controls().Item(static_cast<int32_t>(i) + 3);
    EXPECT_EQ(button->Tag(), buttons[i].tag);
    EXPECT_EQ(button->Caption(), buttons[i].caption);
    EXPECT_EQ(button->TooltipText(), buttons[i].tooltip);
    EXPECT_EQ(button->FaceId(), buttons[i].face) << buttons[i].tag;
    EXPECT_TRUE(button->Temporary());
  }
}

TEST_F(ExplorerManager, PopupIsHiddenFromMajorVersion14On) {
  struct {
    const char* version;
    bool visible;
  } cases[] = {{"12.0", true}, {"14.0", false}, {"16.0", false}};
  for (const auto& c : cases) {
    Start(c.version);
    ASSERT_NE(Control(kMenuTag), nullptr) << c.version;
    EXPECT_EQ(Control(kMenuTag)->Visible(), c.visible) << c.version;
  }
}

TEST_F(ExplorerManager, EachExplorerHasItsMenuAndClosingTheLastShutsTheAddinDown) {
  Start();
  auto first = Explorer();
  auto second = application_->Explorers().Add(Folder(team_a_, 1));
  second->Display();
  cExplorersEventManager* managers = SharedExplorersEventManager();
  ASSERT_NE(managers, nullptr);
  EXPECT_EQ(managers->Keys(), (std::vector<std::string>{"EXPLORER1", "EXPLORER2"}));
  EXPECT_NE(second->ActiveMenuBar().FindControl(kMenuTag), nullptr);
  EXPECT_NE(second->ActiveMenuBar().FindControl(kMenuTag),
            first->ActiveMenuBar().FindControl(kMenuTag));

  // A menu taken off the bar comes back when the window is activated.
  second->ActiveMenuBar().FindControl(kMenuTag)->Delete();
  second->Activate();
  EXPECT_NE(second->ActiveMenuBar().FindControl(kMenuTag), nullptr);

  second->Close();
  EXPECT_FALSE(addin_->IsShutdown());
  EXPECT_EQ(managers->Keys(), (std::vector<std::string>{"EXPLORER1"}));
  first->Close();
  EXPECT_TRUE(addin_->IsShutdown());
  EXPECT_EQ(SharedExplorersEventManager(), nullptr);
}

TEST_F(ExplorerManager, OngoingFolderAgainReloadsSettingsUnlessDoNotReloadSettingsIsSet) {
  struct {
    const char* no_reload;
    int reloads;
  } cases[] = {{"", 2}, {"1", 0}};
  for (const auto& c : cases) {
    Start("16.0", c.no_reload);
    auto inbox = Explorer()->CurrentFolder();
    for (int visit = 0; visit < 2; ++visit) {
      SetRegistryValue(kRegistryApp, "", "VNHName", "stale");
      Explorer()->SelectFolder(Folder(team_a_, 0));
      EXPECT_EQ(CurrentFolderKind(), FolderKind::Ongoing);
      EXPECT_EQ(UserValue("VNHName"), "Settings") << "the location is refreshed";
      Explorer()->SelectFolder(inbox);
      EXPECT_EQ(CurrentFolderKind(), FolderKind::Other);
    }
    EXPECT_EQ(Reloads(), c.reloads) << "DoNotReloadSettings=" << c.no_reload;
    ASSERT_NE(SharedGlobalSettings(), nullptr);
    EXPECT_TRUE(SharedGlobalSettings()->Loaded);
  }
}

TEST_F(ExplorerManager, OngoingFolderOfAnotherSetMakesItTheActiveHelpdesk) {
  Start("16.0", "1");
  Explorer()->SelectFolder(Folder(team_b_, 0));
  EXPECT_EQ(UserValue("VNHEntryID"), team_b_.settings.EntryID);
  EXPECT_EQ(GetOngoingFolder()->EntryID(), team_b_.folders[0].EntryID);
  EXPECT_EQ(GetResolvedFolder()->EntryID(), team_b_.folders[1].EntryID);
  EXPECT_EQ(Reloads(), 1) << "another set's settings always load";
  EXPECT_TRUE(ran_.empty()) << "its creator is a technician";
  // Team B without technicians has no reference data at all.
  cGlobalSettings& team_b = *SharedGlobalSettings();
  team_b.Technicians.Clear();
  team_b.GeneralSettings.SetValue("sdoAutoAddNewTechnician", "0");
  ASSERT_TRUE(team_b.SaveList(SettingsList::Technicians));
  ASSERT_TRUE(team_b.SaveList(SettingsList::GeneralSettings));

  Explorer()->SelectFolder(Folder(team_a_, 0));
  EXPECT_EQ(UserValue("VNHEntryID"), team_a_.settings.EntryID);
  EXPECT_EQ(Reloads(), 2);
  Explorer()->SelectFolder(Folder(team_b_, 0));
  EXPECT_EQ(ran_, (std::vector<std::string>{"cmdDemoCases"}))
      << "an empty helpdesk offers the demo data";
}

TEST_F(ExplorerManager,
       ClosedCaseDraggedIntoTheWatchedOngoingFolderOfTheNewSetIsReopened) {
  with_monitoring_ = true;
  Start("16.0", "1");
  Explorer()->SelectFolder(Folder(team_b_, 0));
  SharedGlobalSettings()->GeneralSettings.SetValue("sdoEnableOpenFolderMonitoring", "1");
  ASSERT_TRUE(SharedGlobalSettings()->SaveList(SettingsList::GeneralSettings));
  Explorer()->SelectFolder(Folder(team_a_, 0));
  EXPECT_FALSE(OngoingFolderWatched()) << "Team A does not watch its Ongoing folder";
  Explorer()->SelectFolder(Folder(team_b_, 0));
  ASSERT_TRUE(OngoingFolderWatched());

  auto closed = Folder(team_b_, 1)->Items()->Add("IPM.Post.PLWSupportCase.Closed");
  closed->SetSubject("[5] Printer");
  WriteItemProperty(*closed, "Case.CaseNumber", Variant("5"), VarType::String);
  WriteItemProperty(*closed, "Case.Closed", Variant("1"), VarType::String);
  closed->Save();
  closed->Move(Folder(team_b_, 0));
  auto ongoing = Folder(team_b_, 0)->Items();
  EXPECT_TRUE(loop_.RunUntil(
      [&] {
        return ongoing->Count() == 1 &&
               ongoing->Item(1)->MessageClass() == "IPM.Post.PLWSupportCase";
      },
      std::chrono::seconds(20)))
      << Renderer().TranscriptText();
  Explorer()->SelectFolder(Folder(team_a_, 0));
  EXPECT_FALSE(OngoingFolderWatched()) << "the watch follows the active helpdesk";
}

TEST_F(ExplorerManager, NavigationButtonsShowTheirFolderAndOthersRunTheirCommand) {
  Start();
  ASSERT_TRUE(Control("cmdHomeResolved")->Execute());
  EXPECT_EQ(Explorer()->CurrentFolder()->EntryID(), team_a_.folders[1].EntryID);
  EXPECT_EQ(CurrentFolderKind(), FolderKind::Resolved);
  ASSERT_TRUE(Control("cmdSearchCases")->Execute());
  EXPECT_EQ(ran_, (std::vector<std::string>{"cmdSearchCases"}));

  ShowNotImplemented("cmdSearchCases");
  EXPECT_TRUE(Renderer().Saw("cmdSearchCases - Not Implemented"));
}

TEST_F(ExplorerManager, WindowLayoutsReadTheirDefaultsAndKeepWhatWasSaved) {
  Start();
  WindowLayout search = cUISettings::ReadValues(UISection::SearchCases);
  struct {
    const char* name;
    int16_t value;
  } defaults[] = {{"Search_Width", 12000},   {"Search_Height", 8000},
                  {"Search_WindowState", 0}, {"Search_By", 0},
                  {"Search_CaseType", 2},    {"Search_Col_Subject", 1665}};
  for (const auto& d : defaults) EXPECT_EQ(search.Number(d.name), d.value) << d.name;
  EXPECT_EQ(cUISettings::ReadValues(UISection::ProblemsList).Number("Types_Col_Name"),
            1700);
  EXPECT_EQ(cUISettings::ReadValues(UISection::SelectKBUI).Number("SelectedFormat"), 2);

  search.SetNumber("Search_Width", 9000);
  search.SetNumber("Search_Col_Subject", 2400);
  ASSERT_TRUE(cUISettings::SaveValues(UISection::SearchCases, search));
  WindowLayout reports = cUISettings::ReadValues(UISection::ReportsUI);
  reports.SetText("SelectedFieldsList", "Subject;Caller");
  ASSERT_TRUE(cUISettings::SaveValues(UISection::ReportsUI, reports));

  EXPECT_EQ(host::Hive(profile_.EffectiveHivePath())
                .GetValue("Software\\Pellworth\\VNH\\SearchCases", "Search_Width"),
            "9000");
  WindowLayout again = cUISettings::ReadValues(UISection::SearchCases);
  EXPECT_EQ(again.Number("Search_Width"), 9000);
  EXPECT_EQ(again.Number("Search_Col_Subject"), 2400);
  EXPECT_EQ(again.Number("Search_Height"), 8000);
  EXPECT_EQ(cUISettings::ReadValues(UISection::ReportsUI).Text("SelectedFieldsList"),
            "Subject;Caller");
}

}  // namespace
}  // namespace zanvoro
