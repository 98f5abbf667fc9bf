#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "addin/ZFO_M.h"
#include "addin/frmSilent.h"
#include "errors/modErroHandling.h"
#include "host/client/ClientTestSupport.h"
#include "host/os/Hive.h"
#include "host/os/Processes.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

using host::FormAction;
using host::ShownKind;
using host::testsupport::ClientTest;
using host::testsupport::ReadFile;
using host::testsupport::WriteFile;

// An add-in connected to a client on a throw-away profile, with every later
// step hooked so that the test sees what ran, and companion programs that
// leave a file behind when they run.
class StartupTest : public ClientTest {
 protected:
  StartupTest() {
    std::filesystem::create_directories(ProgramFolder());
    profile_ = TestProfile();
  }

  std::filesystem::path ProgramFolder() const { return dir_.Path() / "programs"; }
  std::filesystem::path RanMarker(const std::string& program) const {
    return dir_.Path() / (program + ".ran");
  }
  // A program that writes its arguments to RanMarker(name).
  void InstallProgram(const std::string& name) {
    std::filesystem::path path = ProgramFolder() / name;
    WriteFile(path, "#!/bin/sh\necho \"$@\" > \"" + RanMarker(name).string() + "\"\n");
    ::chmod(path.c_str(), 0755);
  }
  // Whether the program ran, waiting for the detached process to get there.
  bool ProgramRan(const std::string& name) {
    for (int i = 0; i < 200; ++i) {
      if (std::filesystem::exists(RanMarker(name)) &&
          !ReadFile(RanMarker(name)).empty()) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
  }

  void SetUserValue(const std::string& name, const std::string& value) {
    host::Hive(profile_.EffectiveHivePath())
        .SetValue("Software\\Pellworth\\VNH", name, value);
  }
  void StoreHelpdeskLocation() {
    SetUserValue("VNHEntryID", "settings-entry");
    SetUserValue("VNHStoreID", "settings-store");
  }

  LaterSteps RecordingSteps() {
    LaterSteps steps;
    steps.create = [this](SharedObject o) {
      calls_.push_back("create " + std::string(SharedObjectName(o)));
    };
    steps.release = [this](SharedObject o) {
      calls_.push_back("release " + std::string(SharedObjectName(o)));
    };
    steps.load_menu = [this](host::Explorer& explorer) {
      calls_.push_back("menu " + explorer.CurrentFolder()->Name());
    };
    steps.first_time_wizard = [this] { calls_.push_back("wizard"); };
    steps.locate_helpdesk_folders = [this] { calls_.push_back("locate"); };
    steps.load_global_settings = [this] {
      calls_.push_back("load settings");
      return settings_load_;
    };
    steps.monitored_folders_configured = [] { return true; };
    steps.settings_folder_writable = [] { return true; };
    steps.track_mail_folders = [this] { calls_.push_back("track mail folders"); };
    steps.start_open_folder_monitoring = [this] { calls_.push_back("open folder"); };
    steps.process_ongoing_folder = [this] { calls_.push_back("sweep"); };
    steps.global_setting = [this](std::string_view name) -> std::string {
      auto it = settings_.find(std::string(name));
      return it == settings_.end() ? "" : it->second;
    };
    steps.folder = [this](HelpdeskFolder folder) -> std::shared_ptr<host::MAPIFolder> {
      auto inbox = application_->GetNamespace("MAPI")->GetDefaultFolder(
          host::DefaultFolder::Inbox);
      const char* name = folder == HelpdeskFolder::KB ? "KB" : "Ongoing";
      auto found = inbox->Folders().Item(std::string_view(name));
      return found ? found : inbox->Folders().Add(name);
    };
    return steps;
  }

  // Connects an add-in to a client of `version` and completes the start-up.
  ZFO_M& Start(const std::string& version = "16.0") {
    profile_.host_version = version;
    application_ = std::make_shared<host::Application>(profile_, &loop_);
    addin_ =
        std::make_unique<ZFO_M>(RecordingSteps(), AddinEnvironment{{}, ProgramFolder()});
    addin_->AddinInstance_OnConnection(application_);
    addin_->AddinInstance_OnStartupComplete();
    return *addin_;
  }

  bool Ran(std::string_view step) const {
    const auto& steps = addin_->Steps();
    return std::find(steps.begin(), steps.end(), step) != steps.end();
  }

  host::Profile profile_;
  std::shared_ptr<host::Application> application_;
  std::unique_ptr<ZFO_M> addin_;
  std::vector<std::string> calls_;
  std::map<std::string, std::string> settings_;
  bool settings_load_ = true;
};

TEST_F(StartupTest, StartUpRunsEveryStepInItsFixedOrder) {
  StoreHelpdeskLocation();
  InstallProgram(ZFO_M::kCompanionProgram);
  settings_["sdoEnableOpenFolderMonitoring"] = "1";
  ZFO_M& addin = Start();

  EXPECT_EQ(addin.Steps(),
            (std::vector<std::string>{"Connect.StartUpOption",
                                      "FileModule.Initialize",
                                      "Connect.EnsureOutlookSession",
                                      "Connect.cUISettings",
                                      "Connect.cExplorersEventManager",
                                      "Connect.cMonitoredFolderSettings",
                                      "Connect.cMonitorResearchMailbox",
                                      "ExplorersEvent.SetExplorers",
                                      "Connect.cSentCopyFoldersM",
                                      "SentCopyFolders.Initialize",
                                      "Connect.cGlobalSettings",
                                      "Connect.cMySettings",
                                      "Connect.PLWMAPIUtils",
                                      "ExplorersEvent.LoadZanvoroMenu",
                                      "fSilentProcess.Load",
                                      "Connect.IsFirstRun",
                                      "Connect.IsFirstRun",
                                      "SettingsData.LocateHelpdeskFolders",
                                      "MySettings.ReadDBSettingsItem",
                                      "Database.UpdateSchema",
                                      "GlobalSettings.Load",
                                      "Connect.StartBackgroundWork",
                                      "CaseHelper.TrackMailFolders",
                                      "OpenFolderMonitor.Start",
                                      "Connect.ZanvoroProcess",
                                      "CaseHelper.ProcessOngoingFolder",
                                      "DueDateWatch.Start",
                                      "SentCopyFolders.Watch",
                                      "ResearchMailbox.StartTrackingFolder"}));
  EXPECT_EQ(calls_,
            (std::vector<std::string>{
                "create cUISettings", "create cExplorersEventManager",
                "create cMonitoredFolderSettings", "create cMonitorResearchMailbox",
                "create cSentCopyFoldersM", "create cGlobalSettings",
                "create cMySettings", "create PLWMAPIUtils", "menu Inbox", "locate",
                "load settings", "track mail folders", "open folder", "sweep"}));
  EXPECT_FALSE(addin.IsShutdown());
  EXPECT_FALSE(addin.StartingUp());
  EXPECT_TRUE(addin.GlobalSettingsLoaded());
  ASSERT_NE(application_->ActiveExplorer(), nullptr);
  EXPECT_EQ(application_->ActiveExplorer()->CurrentFolder()->Name(), "Inbox");
  EXPECT_EQ(addin.SilentWindow()->TrayTooltip(), "Zanvoro Manager for Outlook");
  ASSERT_TRUE(ProgramRan(ZFO_M::kCompanionProgram));
  EXPECT_EQ(ReadFile(RanMarker(ZFO_M::kCompanionProgram)),
            "--profile " + profile_.folder.string() + "\n");
}

TEST_F(StartupTest, AnotherProfilesWorkerNeitherStandsInForOursNorIsStopped) {
  StoreHelpdeskLocation();
  InstallProgram(ZFO_M::kCompanionProgram);
  // Another user's worker on this machine: a process of the same name.
  std::filesystem::create_directories(dir_.Path() / "elsewhere");
  std::filesystem::path other = dir_.Path() / "elsewhere" / ZFO_M::kCompanionProgram;
  std::filesystem::copy_file("/bin/sleep", other);
  pid_t other_pid = host::StartProcess(other, {"30"});
  ZFO_M& addin = Start();
  EXPECT_TRUE(ProgramRan(ZFO_M::kCompanionProgram));
  addin.ShutdownAddin();
  EXPECT_EQ(::kill(other_pid, 0), 0) << "the other user's worker was stopped";
  host::TerminateProcess(other_pid, std::chrono::milliseconds(100));
}

TEST_F(StartupTest, GlobalSettingsThatFailToLoadStartNoBackgroundWork) {
  StoreHelpdeskLocation();
  InstallProgram(ZFO_M::kCompanionProgram);
  settings_load_ = false;
  ZFO_M& addin = Start();
  EXPECT_TRUE(Ran("SettingsData.LocateHelpdeskFolders"));
  EXPECT_FALSE(Ran("Connect.StartBackgroundWork"));
  EXPECT_FALSE(Ran("SentCopyFolders.Watch"));
  EXPECT_FALSE(addin.GlobalSettingsLoaded());
  EXPECT_FALSE(std::filesystem::exists(RanMarker(ZFO_M::kCompanionProgram)));
}

TEST_F(StartupTest, ShutdownReleasesEverythingInItsFixedOrder) {
  StoreHelpdeskLocation();
  ZFO_M& addin = Start();
  addin.ClearSteps();
  calls_.clear();
  addin.ShutdownAddin();
  EXPECT_EQ(addin.Steps(),
            (std::vector<std::string>{"Ribbon.Invalidate",
                                      "Connect.TerminateZanvoroProcess",
                                      "MonitoredFolders.UnSetMonitoringModeToAllFolders",
                                      "DueDateWatch.Stop",
                                      "release cMonitorOpenFolder",
                                      "release cGlobalSettings",
                                      "release cMonitoredFolderSettings",
                                      "release SharedCollections",
                                      "release Application",
                                      "release cMySettings",
                                      "release HelpdeskFolders",
                                      "release cUISettings",
                                      "release NameSpace",
                                      "release FileSystemObject",
                                      "release cExplorersEventManager",
                                      "release cSentCopyFoldersM",
                                      "release cMonitorResearchMailbox",
                                      "release RemainingCollection",
                                      "release Ribbon",
                                      "release WordApplication",
                                      "release DatabaseConnections",
                                      "release PLWMAPIUtils",
                                      "unload frmSilent",
                                      "unload windows",
                                      "unload frmErrorReport",
                                      "unload frmNewDB",
                                      "unload frmStartUp"}));
  EXPECT_TRUE(addin.IsShutdown());
  EXPECT_EQ(addin.HostApplication(), nullptr);
  EXPECT_EQ(addin.Session(), nullptr);
  EXPECT_FALSE(addin.SilentWindow()->Loaded());
  // Shutting down again runs without errors.
  addin.AddinInstance_OnBeginShutdown();
  addin.AddinInstance_OnDisconnection(RemoveMode::HostShutdown);
  EXPECT_TRUE(addin.IsShutdown());
  EXPECT_EQ(CountShown("frmErrorReport"), 0);
}

TEST_F(StartupTest, OptionTwoConnectsShowsNothingAndHoldsNoHostObjects) {
  StoreHelpdeskLocation();
  SetUserValue("StartUpOption", "2");
  ZFO_M& addin = Start();
  EXPECT_TRUE(addin.IsShutdown());
  EXPECT_TRUE(addin.Inactive());
  EXPECT_EQ(addin.HostApplication(), nullptr);
  EXPECT_EQ(addin.Session(), nullptr);
  EXPECT_EQ(application_->Explorers().Count(), 0);
  EXPECT_TRUE(Renderer().Transcript().empty()) << Renderer().TranscriptText();
  EXPECT_FALSE(Ran("FileModule.Initialize"));
}

TEST_F(StartupTest, OptionOneAsksAndOnlyTheInactiveAnswerShutsDown) {
  StoreHelpdeskLocation();
  SetUserValue("StartUpOption", "1");
  for (auto action : {FormAction::Close(), FormAction::Click("cmdActive")}) {
    Renderer().Script("frmStartUp", {action});
    ZFO_M& addin = Start();
    EXPECT_FALSE(addin.IsShutdown()) << action.Describe();
    EXPECT_TRUE(Ran("GlobalSettings.Load")) << action.Describe();
    addin.ShutdownAddin();
  }
  Renderer().Script("frmStartUp", {FormAction::Click("cmdInactive")});
  ZFO_M& addin = Start();
  const host::Shown* question = LastShown("frmStartUp");
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->title, "Zanvoro Manager - Startup Options");
  EXPECT_EQ(question->ControlText("lblQuestion"),
            "Choose if Zanvoro Manager add-in should load or remain inactive in this "
            "Outlook session");
  EXPECT_TRUE(addin.IsShutdown());
  EXPECT_EQ(addin.HostApplication(), nullptr);
}

TEST_F(StartupTest, WithoutALocationTheNewOrExistingQuestionComesUpOnEveryStart) {
  for (int start = 0; start < 2; ++start) {
    Renderer().Script("frmNewDB", {FormAction::Click("cmdExisting")});
    ZFO_M& addin = Start();
    EXPECT_EQ(CountShown("frmNewDB"), start + 1);
    EXPECT_TRUE(Ran("Connect.frmFirstTime"));
    EXPECT_FALSE(Ran("SettingsData.LocateHelpdeskFolders"));
    EXPECT_FALSE(addin.IsShutdown());
    addin.ShutdownAddin();
  }
  EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "wizard"), 2);
}

TEST_F(StartupTest, ALocationStoredByTheWizardCountsInTheSameStart) {
  Renderer().Script("frmNewDB", {FormAction::Close()});
  profile_.host_version = "16.0";
  application_ = std::make_shared<host::Application>(profile_, &loop_);
  LaterSteps steps = RecordingSteps();
  steps.first_time_wizard = [this] { StoreHelpdeskLocation(); };
  addin_ = std::make_unique<ZFO_M>(steps, AddinEnvironment{{}, ProgramFolder()});
  addin_->AddinInstance_OnConnection(application_);
  addin_->AddinInstance_OnStartupComplete();
  EXPECT_TRUE(Ran("SettingsData.LocateHelpdeskFolders"));
  EXPECT_FALSE(addin_->IsFirstRun());
}

TEST_F(StartupTest, ANewHelpdeskStartsTheConfigurationProgramAndStops) {
  InstallProgram(ZFO_M::kConfigureProgram);
  Renderer().Script("frmNewDB", {FormAction::Click("cmdNew")});
  ZFO_M& addin = Start();
  ASSERT_TRUE(ProgramRan(ZFO_M::kConfigureProgram));
  EXPECT_EQ(ReadFile(RanMarker(ZFO_M::kConfigureProgram)),
            "--profile " + profile_.folder.string() + "\n");
  EXPECT_FALSE(Ran("Connect.frmFirstTime"));
  EXPECT_EQ(addin.Steps().back(), "Connect.ConfigureServerPST");
  EXPECT_FALSE(addin.IsShutdown());
}

TEST_F(StartupTest,
       ReconfiguringForgetsTheSettingsAndRunsTheHelpdeskStepsOnceALocationIsStored) {
  Renderer().Script("frmNewDB", {FormAction::Click("cmdExisting")});
  ZFO_M& addin = Start();
  EXPECT_FALSE(Ran("SettingsData.LocateHelpdeskFolders"));
  addin.Hooks().first_time_wizard = [this] { StoreHelpdeskLocation(); };
  addin.ClearSteps();
  calls_.clear();
  Renderer().Script("frmNewDB", {FormAction::Click("cmdExisting")});
  addin.ReconfigureAddin();
  EXPECT_EQ(calls_.front(), "release cGlobalSettings");
  EXPECT_EQ(calls_[1], "release HelpdeskFolders");
  EXPECT_EQ(calls_[2], "create cGlobalSettings");
  EXPECT_TRUE(Ran("SettingsData.LocateHelpdeskFolders"));
  EXPECT_TRUE(addin.GlobalSettingsLoaded());

  InstallProgram(ZFO_M::kConfigureProgram);
  addin.ClearSteps();
  Renderer().Script("frmNewDB", {FormAction::Click("cmdNew")});
  addin.ReconfigureAddin();
  EXPECT_TRUE(ProgramRan(ZFO_M::kConfigureProgram));
  EXPECT_EQ(addin.Steps().back(), "Connect.ConfigureServerPST");
}

TEST_F(StartupTest, AMissingConfigurationProgramIsToldAndNotFatal) {
  Renderer().Script("frmNewDB", {FormAction::Click("cmdNew")});
  ZFO_M& addin = Start();
  EXPECT_TRUE(Renderer().Saw((ProgramFolder() / ZFO_M::kConfigureProgram).string()))
      << Renderer().TranscriptText();
  EXPECT_FALSE(addin.IsShutdown());
  EXPECT_FALSE(ErrorReportShown());
}

TEST_F(StartupTest, AFailureInsideAStepGivesExactlyOneReportAndEndsShutDown) {
  StoreHelpdeskLocation();
  std::string report;
  Renderer().Script("frmErrorReport", {FormAction::Do([&](host::Form& form) {
                                         report =
                                             form.Get<host::TextBox>("txtReport").Text();
                                       }),
                                       FormAction::Click("cmdCancel")});
  profile_.host_version = "16.0";
  application_ = std::make_shared<host::Application>(profile_, &loop_);
  LaterSteps steps = RecordingSteps();
  steps.create = [](SharedObject object) {
    if (object == SharedObject::MonitoredFolderSettings) {
      throw Error(err::kCallFailed, "cannot read the monitored folders", "Settings");
    }
  };
  steps.locate_helpdesk_folders = [] { throw Error(err::kNotFound, "second failure"); };
  addin_ = std::make_unique<ZFO_M>(steps, AddinEnvironment{{}, ProgramFolder()});
  addin_->AddinInstance_OnConnection(application_);
  addin_->AddinInstance_OnStartupComplete();
  addin_->ReconfigureAddin();

  EXPECT_EQ(CountShown("frmErrorReport"), 1);
  EXPECT_NE(report.find("In Function: Connect.cMonitoredFolderSettings\r\nSource: "
                        "Settings\r\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("Exception Description: cannot read the monitored folders"),
            std::string::npos);
  EXPECT_TRUE(addin_->IsShutdown());
  EXPECT_EQ(addin_->HostApplication(), nullptr);
  EXPECT_FALSE(Ran("fSilentProcess.Load"));
}

TEST_F(StartupTest, TheLanguageChosenByDefLangShowsInTheErrorReport) {
  struct {
    const char* def_lang;
    const char* cancel;
    const char* view_report;
  } cases[] = {
      {"ESPANOL", "Cancelar", "Ver informe"},
      {"german", "Abbrechen", "Bericht anzeigen"},
      {"Finnish", "Peruuta", "N\u00e4yt\u00e4 raportti"},
  };
  for (const auto& c : cases) {
    ResetErrorState();
    StoreHelpdeskLocation();
    SetUserValue("DefLang", c.def_lang);
    Renderer().Script("frmErrorReport", {FormAction::Click("cmdCancel")});
    application_ = std::make_shared<host::Application>(profile_, &loop_);
    LaterSteps steps = RecordingSteps();
    steps.locate_helpdesk_folders = [] { throw Error(err::kNotFound, "no folders"); };
    addin_ = std::make_unique<ZFO_M>(steps, AddinEnvironment{{}, ProgramFolder()});
    addin_->AddinInstance_OnConnection(application_);
    addin_->AddinInstance_OnStartupComplete();
    const host::Shown* report = LastShown("frmErrorReport");
    ASSERT_NE(report, nullptr) << c.def_lang;
    EXPECT_EQ(report->ControlText("cmdCancel"), c.cancel) << c.def_lang;
    EXPECT_EQ(report->ControlText("cmdViewReport"), c.view_report) << c.def_lang;
  }
  ResetErrorState();
  LoadPhrases(kLanguageEnglish);
}

TEST_F(StartupTest, AClientOlderThanVersionTenIsRefusedAndTenIsAccepted) {
  StoreHelpdeskLocation();
  ZFO_M& old = Start("9.0");
  EXPECT_TRUE(old.IsShutdown());
  EXPECT_TRUE(Renderer().Saw(CONST_OUTLOOK2003_NEEDED));
  EXPECT_EQ(Renderer().Transcript().back().flags, host::vbCritical);
  EXPECT_EQ(application_->Explorers().Count(), 0);

  Renderer().ClearTranscript();
  ZFO_M& accepted = Start("10.2");
  EXPECT_FALSE(accepted.IsShutdown());
  EXPECT_FALSE(Renderer().Saw(CONST_OUTLOOK2003_NEEDED));
  EXPECT_NE(accepted.Session(), nullptr);
}

TEST_F(StartupTest, WithoutAClientTheAddinSaysSoAndShutsDown) {
  addin_ =
      std::make_unique<ZFO_M>(RecordingSteps(), AddinEnvironment{{}, ProgramFolder()});
  addin_->AddinInstance_OnConnection(nullptr);
  addin_->AddinInstance_OnStartupComplete();
  EXPECT_TRUE(Renderer().Saw("Error trying to start Outlook!"));
  EXPECT_TRUE(addin_->IsShutdown());
}

TEST_F(StartupTest, BalloonClicksShowTheirFolderInTheActiveExplorerUnlessBalloonsAreOff) {
  StoreHelpdeskLocation();
  ZFO_M& addin = Start();
  struct {
    const char* title;
    const char* folder;
  } cases[] = {{"New Case", "Ongoing"},     {"New KB", "KB"},
               {"Emails added", "Ongoing"}, {"New KBs", "KB"},
               {"Email added", "Ongoing"},  {"Other", "Ongoing"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(addin.PopupSystrayBalloonInteractive(c.title, "text"));
    EXPECT_EQ(Renderer().Transcript().back().kind, ShownKind::Balloon);
    Renderer().ClickLastBalloon();
    EXPECT_EQ(application_->ActiveExplorer()->CurrentFolder()->Name(), c.folder)
        << c.title;
  }
  addin.ShutdownAddin();
  settings_["sdoDisableBalloons"] = "1";
  Renderer().ClearTranscript();
  EXPECT_FALSE(Start().PopupSystrayBalloonInteractive("New Case", "text"));
  EXPECT_FALSE(Renderer().Saw("New Case"));
}

TEST_F(StartupTest, ConnectionReadsTheLanguageAndTheOptions) {
  StoreHelpdeskLocation();
  SetUserValue("DefLang", "espanol");
  SetUserValue("intDaysBackToScan", "5");
  application_ = std::make_shared<host::Application>(profile_, &loop_);
  ZFO_M addin(RecordingSteps(), AddinEnvironment{{}, ProgramFolder()});
  addin.AddinInstance_OnConnection(application_);
  EXPECT_EQ(ZFO_M::Connected(), &addin);
  EXPECT_EQ(addin.LanguageIndex(), kLanguageSpanish);
  EXPECT_EQ(addin.Options().intDaysBackToScan, 5);
  EXPECT_EQ(addin.EntryID(), "settings-entry");
  EXPECT_TRUE(addin.NetworkMessage());
  EXPECT_TRUE(addin.Steps().empty()) << "nothing else is made at connection";
  LoadPhrases(kLanguageEnglish);
}

}  // namespace
}  // namespace zanvoro
