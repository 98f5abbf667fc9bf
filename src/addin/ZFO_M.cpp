#include "addin/ZFO_M.h"

#include "addin/frmNewDB.h"
#include "addin/frmSilent.h"
#include "addin/frmStartUp.h"
#include "errors/ErrorServices.h"
#include "errors/Trap.h"
#include "host/client/Application.h"
#include "host/mail/Worker.h"
#include "host/os/Hive.h"
#include "host/os/Locale.h"
#include "host/os/Processes.h"
#include "host/os/System.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/ui/MsgBox.h"
#include "runtime/Text.h"
#include "settings/RegistryOptions.h"
#include "settings/modRegistryEntry.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr const char* kCrLf = "\r\n";

ZFO_M*& ConnectedZFO_M() {
  static ZFO_M* addin = nullptr;
  return addin;
}

void ShowCritical(const std::string& prompt) {
  host::MsgBox(prompt, host::MsgBoxButtons::OK, host::MsgBoxIcon::Critical,
               host::MsgBoxDefault::Button1, kApplicationTitle);
}

}  // namespace

ZFO_M::ZFO_M(LaterSteps steps, AddinEnvironment environment)
    : steps_(std::move(steps)),
      attach_host_(std::move(environment.attach_host)),
      program_folder_(std::move(environment.program_folder)) {
  if (program_folder_.empty()) program_folder_ = host::ProgramFolder();
}

ZFO_M::~ZFO_M() {
  if (ConnectedZFO_M() == this) {
    ConnectedZFO_M() = nullptr;
    SetConnectedAddin(nullptr);
    SetErrorServices({});
    SetRegistryHive(nullptr);
  }
}

ZFO_M* ZFO_M::Connected() { return ConnectedZFO_M(); }

template <class F>
bool ZFO_M::Step(std::string_view location, F&& body) {
  if (shutdown_) return false;
  trace_.emplace_back(location);
  Trap(location, std::forward<F>(body));
  return !shutdown_;
}

template <class F>
void ZFO_M::Ignoring(std::string_view location, F&& body) {
  trace_.emplace_back(location);
  try {
    SetCurrentProcedure(location);
    body();
  } catch (...) {  // shut-down always runs to its end
  }
}

void ZFO_M::AddinInstance_OnConnection(std::shared_ptr<host::Application> application,
                                       ConnectMode /*mode*/) {
  ConnectedZFO_M() = this;
  SetConnectedAddin(this);
  ResetErrorState();
  TraceSwitchFromEnvironment();
  shutdown_ = false;
  inactive_ = false;
  global_settings_loaded_ = false;
  application_ = std::move(application);
  SetErrorServices(ErrorServices{
      [this] { return ApplicationForErrors(); },
      [this] { ShutdownAddin(); },
      [this](HelpdeskFolder folder) {
        return steps_.folder_path ? steps_.folder_path(folder) : std::string();
      },
      [this] {
        return steps_.global_setting ? steps_.global_setting("sdoOwner") : std::string();
      },
  });
  Trap("Connect.OnConnection", [&] {
    network_message_ = true;
    // Without a client there is no user and so no hive: the defaults stand
    // until the start-up finds that out and says so.
    if (application_) {
      hive_ =
          std::make_unique<host::Hive>(application_->GetProfile().EffectiveHivePath());
      SetRegistryHive(hive_.get());
    }
    ReadRegistryValues();
  });
}

void ZFO_M::ReadRegistryValues() {
  if (hive_) {
    entry_id_ = GetRegistryValue(kRegistryApp, "", "VNHEntryID", "");
    store_id_ = GetRegistryValue(kRegistryApp, "", "VNHStoreID", "");
    def_lang_ = GetRegistryValue(kRegistryApp, "", "DefLang", "");
    options_ = RegistryOptions::Read();
  }
  language_index_ =
      LanguageIndexFromName(def_lang_, static_cast<int>(host::SystemDefaultLCID()));
  LoadPhrases(language_index_);
}

void ZFO_M::AddinInstance_OnStartupComplete() {
  try {
    InitializeAddin();
  } catch (const std::exception& failure) {
    try {
      host::MsgBox(std::string("AddinInstance_OnStartupComplete") + kCrLf +
                   failure.what());
    } catch (...) {  // nobody to tell
    }
  } catch (...) {
  }
}

void ZFO_M::AddinInstance_OnBeginShutdown() { ShutdownAddin(); }

void ZFO_M::AddinInstance_OnDisconnection(RemoveMode /*mode*/) { ShutdownAddin(); }

void ZFO_M::AddinInstance_Terminate() { ShutdownAddin(); }

void ZFO_M::CreateObject(SharedObject object) {
  Step("Connect." + std::string(SharedObjectName(object)), [&] {
    if (steps_.create) steps_.create(object);
  });
}

void ZFO_M::InitializeAddin() {
  // 1. The start-up option: ask, stay inactive, or load.
  Step("Connect.StartUpOption", [&] {
    if (options_.StartUpOption == 1) {
      if (!start_up_window_) start_up_window_ = std::make_unique<frmStartUp>();
      start_up_window_->Show(host::ShowMode::Modal);
      inactive_ = start_up_window_->Answer() == StartUpAnswer::Inactive;
    } else if (options_.StartUpOption == 2) {
      inactive_ = true;
    }
  });
  if (inactive_) {
    ShutdownAddin();
    return;
  }
  // 2.
  if (!Step("FileModule.Initialize", [&] {
        file_system_ = true;
        starting_up_ = true;
      })) {
    return;
  }
  // 3.
  if (!Step("Connect.EnsureOutlookSession",
            [&] { EnsureOutlookSession(host::DefaultFolder::Inbox); })) {
    return;
  }
  // 4. to 7. The shared objects, in this order.
  CreateObject(SharedObject::UISettings);
  CreateObject(SharedObject::ExplorersEventManager);
  CreateObject(SharedObject::MonitoredFolderSettings);
  CreateObject(SharedObject::MonitorResearchMailbox);
  Step("ExplorersEvent.SetExplorers", [&] {
    if (steps_.hand_explorers && application_)
      steps_.hand_explorers(application_->Explorers());
  });
  CreateObject(SharedObject::SentCopyFoldersM);
  Step("SentCopyFolders.Initialize", [&] {
    if (steps_.initialize_sent_copy_folders) steps_.initialize_sent_copy_folders();
  });
  CreateObject(SharedObject::GlobalSettings);
  CreateObject(SharedObject::MySettings);
  CreateObject(SharedObject::MAPIUtils);
  if (shutdown_) return;
  // 8. The toolbar buttons of the explorer that is open.
  if (application_ && application_->Explorers().Count() > 0) {
    Step("ExplorersEvent.LoadZanvoroMenu", [&] {
      auto explorer = application_->ActiveExplorer();
      if (explorer && steps_.load_menu) steps_.load_menu(*explorer);
    });
  }
  // 9. The hidden host window with the tray icon.
  if (!Step("fSilentProcess.Load", [&] {
        if (!silent_) {
          silent_ = std::make_unique<frmSilent>(frmSilent::Services{
              [this](std::string_view name) {
                return steps_.global_setting ? steps_.global_setting(name)
                                             : std::string();
              },
              [this](HelpdeskFolder folder) {
                return steps_.folder ? steps_.folder(folder) : nullptr;
              },
              [this] {
                return application_ ? application_->ActiveExplorer() : nullptr;
              }});
        }
        silent_->Load();
      })) {
    return;
  }
  // 10. First run: new or existing helpdesk.
  bool first_run = false;
  if (!Step("Connect.IsFirstRun", [&] { first_run = IsFirstRun(); })) return;
  if (first_run && !FirstRunQuestion()) return;
  // 11. Tested again: the wizard may have stored a location.
  Step("Connect.IsFirstRun", [&] { first_run = IsFirstRun(); });
  if (!first_run) HelpdeskSteps();
  starting_up_ = false;
}

bool ZFO_M::FirstRunQuestion() {
  NewDBAnswer answer = NewDBAnswer::Existing;
  if (!Step("Connect.frmNewDB", [&] {
        if (!new_db_window_) new_db_window_ = std::make_unique<frmNewDB>();
        new_db_window_->Show(host::ShowMode::Modal);
        answer = new_db_window_->Answer();
      })) {
    return false;
  }
  if (answer == NewDBAnswer::New) {
    // Creating a new helpdesk store is the configuration program's work.
    Step("Connect.ConfigureServerPST", [&] { StartProgram(kConfigureProgram); });
    return false;
  }
  return Step("Connect.frmFirstTime", [&] {
    if (steps_.first_time_wizard) steps_.first_time_wizard();
  });
}

void ZFO_M::HelpdeskSteps() {
  Step("SettingsData.LocateHelpdeskFolders", [&] {
    if (steps_.locate_helpdesk_folders) steps_.locate_helpdesk_folders();
  });
  Step("MySettings.ReadDBSettingsItem", [&] {
    if (steps_.read_my_settings) steps_.read_my_settings();
  });
  Step("Database.UpdateSchema", [&] {
    if (steps_.update_database_schema) steps_.update_database_schema();
  });
  global_settings_loaded_ = false;
  Step("GlobalSettings.Load", [&] {
    global_settings_loaded_ =
        steps_.load_global_settings && steps_.load_global_settings();
  });
  if (!global_settings_loaded_) return;
  StartBackgroundWork();
  Step("SentCopyFolders.Watch", [&] {
    if (steps_.watch_sent_copy_folders) steps_.watch_sent_copy_folders();
  });
  Step("ResearchMailbox.StartTrackingFolder", [&] {
    if (steps_.start_tracking_folder) steps_.start_tracking_folder();
  });
}

void ZFO_M::StartBackgroundWork() {
  Step("Connect.StartBackgroundWork", [] {});
  if (!global_settings_loaded_ || shutdown_) return;
  Step("CaseHelper.TrackMailFolders", [&] {
    bool configured =
        steps_.monitored_folders_configured && steps_.monitored_folders_configured();
    if (configured && steps_.settings_folder_writable &&
        steps_.settings_folder_writable() && steps_.track_mail_folders) {
      steps_.track_mail_folders();
    }
  });
  Step("OpenFolderMonitor.Start", [&] {
    std::string enabled = steps_.global_setting
                              ? steps_.global_setting("sdoEnableOpenFolderMonitoring")
                              : "";
    if (OptionNumber(enabled) != 0 && steps_.start_open_folder_monitoring) {
      steps_.start_open_folder_monitoring();
    }
  });
  Step("Connect.ZanvoroProcess", [&] {
    // One worker per profile: another profile's worker on this machine does
    // not send this profile's mail.
    if (!CompanionRunning()) StartProgram(kCompanionProgram);
  });
  Step("CaseHelper.ProcessOngoingFolder", [&] {
    if (steps_.process_ongoing_folder) steps_.process_ongoing_folder();
  });
  Step("DueDateWatch.Start", [&] {
    if (steps_.start_due_date_watch) steps_.start_due_date_watch();
  });
}

void ZFO_M::ReconfigureAddin() {
  Step("Connect.ReconfigureAddin", [&] {
    ReleaseObject(SharedObject::GlobalSettings);
    ReleaseObject(SharedObject::HelpdeskFolders);
    global_settings_loaded_ = false;
  });
  CreateObject(SharedObject::GlobalSettings);
  if (!FirstRunQuestion()) return;
  bool first_run = true;
  Step("Connect.IsFirstRun", [&] { first_run = IsFirstRun(); });
  if (!first_run) HelpdeskSteps();
}

bool ZFO_M::ReloadHelpdeskSettings() {
  Step("GlobalSettings.Reload", [&] {
    // The watch on the former helpdesk's Ongoing folder; the background
    // work watches the new one when its settings ask for it.
    ReleaseObject(SharedObject::OpenFolderMonitor);
    ReleaseObject(SharedObject::GlobalSettings);
    ReleaseObject(SharedObject::MySettings);
    global_settings_loaded_ = false;
  });
  CreateObject(SharedObject::GlobalSettings);
  CreateObject(SharedObject::MySettings);
  Step("MySettings.ReadDBSettingsItem", [&] {
    if (steps_.read_my_settings) steps_.read_my_settings();
  });
  Step("GlobalSettings.Load", [&] {
    global_settings_loaded_ =
        steps_.load_global_settings && steps_.load_global_settings();
  });
  return global_settings_loaded_;
}

void ZFO_M::ReleaseObject(SharedObject object) {
  if (steps_.release) steps_.release(object);
}

void ZFO_M::ShutdownAddin() {
  // A window unloaded below may call back in here.
  if (shutting_down_) return;
  shutting_down_ = true;
  shutdown_ = true;
  starting_up_ = false;
  Ignoring("Ribbon.Invalidate", [&] {
    if (ribbon_) ribbon_->Invalidate();
    if (steps_.invalidate_ribbon) steps_.invalidate_ribbon();
  });
  Ignoring("Connect.TerminateZanvoroProcess", [&] {
    // Only this profile's worker: other users' workers keep running.
    if (application_) {
      host::TerminateProcess(host::RunningWorker(application_->GetProfile().folder));
    } else if (host::IsProcessRunning(kCompanionImage)) {
      host::TerminateProcesses(kCompanionImage);
    }
  });
  // Another user's add-in can take over monitoring once the claims are gone.
  Ignoring("MonitoredFolders.UnSetMonitoringModeToAllFolders", [&] {
    if (steps_.give_up_monitoring_claims) steps_.give_up_monitoring_claims();
  });
  // No pass of the watch may run on the objects released below.
  Ignoring("DueDateWatch.Stop", [&] {
    if (steps_.stop_due_date_watch) steps_.stop_due_date_watch();
  });
  auto release = [&](SharedObject object) {
    Ignoring("release " + std::string(SharedObjectName(object)),
             [&] { ReleaseObject(object); });
  };
  release(SharedObject::OpenFolderMonitor);
  release(SharedObject::GlobalSettings);
  global_settings_loaded_ = false;
  release(SharedObject::MonitoredFolderSettings);
  release(SharedObject::SharedCollections);
  Ignoring("release Application", [&] { application_.reset(); });
  release(SharedObject::MySettings);
  release(SharedObject::HelpdeskFolders);
  release(SharedObject::UISettings);
  Ignoring("release NameSpace", [&] { session_.reset(); });
  release(SharedObject::FileSystem);
  file_system_ = false;
  release(SharedObject::ExplorersEventManager);
  release(SharedObject::SentCopyFoldersM);
  release(SharedObject::MonitorResearchMailbox);
  release(SharedObject::RemainingCollection);
  release(SharedObject::Ribbon);
  ribbon_.reset();
  release(SharedObject::WordApplication);
  release(SharedObject::DatabaseConnections);
  release(SharedObject::MAPIUtils);
  // Windows: the hidden one first, then the others, then whatever is left.
  Ignoring("unload frmSilent", [&] {
    if (silent_) silent_->Unload();
  });
  Ignoring("unload windows", [&] {
    if (steps_.unload_windows) steps_.unload_windows();
  });
  Ignoring("unload frmErrorReport", [] { UnloadErrorWindows(); });
  Ignoring("unload frmNewDB", [&] {
    if (new_db_window_) new_db_window_->Unload();
  });
  Ignoring("unload frmStartUp", [&] {
    if (start_up_window_) start_up_window_->Unload();
  });
  shutting_down_ = false;
}

std::shared_ptr<host::Application> ZFO_M::GetOutlookApplication(
    host::DefaultFolder folder) {
  if (!application_ && attach_host_) application_ = attach_host_();
  if (!application_) {
    ShowCritical("Error trying to start Outlook!");
    ShutdownAddin();
    return nullptr;
  }
  if (application_->MajorVersion() < 10) {
    ShowCritical(CONST_OUTLOOK2003_NEEDED);
    ShutdownAddin();
    return nullptr;
  }
  session_ = application_->GetNamespace("MAPI");
  if (!application_->ActiveExplorer()) {
    host::Explorers& explorers = application_->Explorers();
    if (explorers.Count() == 0) {
      explorers.Add(session_->GetDefaultFolder(folder))->Display();
    }
    explorers.Item(1)->Activate();
  }
  return application_;
}

bool ZFO_M::EnsureOutlookSession(host::DefaultFolder folder) {
  try {
    return GetOutlookApplication(folder) != nullptr && session_ != nullptr;
  } catch (const Error& failure) {
    ShowCritical(Join({"Can't access Outlook API!", CONST_CHECK_PERMISSION,
                       std::to_string(failure.Number()), failure.Description(),
                       std::to_string(failure.Line())},
                      kCrLf));
  } catch (const std::exception& failure) {
    ShowCritical(Join({"Can't access Outlook API!", CONST_CHECK_PERMISSION,
                       std::to_string(err::kCallFailed), failure.what(), "0"},
                      kCrLf));
  }
  return false;
}

bool ZFO_M::IsFirstRun() { return HelpdeskLocationMissing(); }

bool ZFO_M::PopupSystrayBalloonInteractive(std::string_view title,
                                           std::string_view text) {
  if (!silent_ || !silent_->Loaded()) return false;
  return silent_->PopupSystrayBalloonInteractive(title, text);
}

void ZFO_M::ReadOptionsWithUserOption() {
  Trap("Connect.ReadOptions", [&] {
    std::string user = application_ ? application_->GetProfile().user_name : "";
    options_ = RegistryOptions::ReadWithUserOption(steps_.global_setting, user);
  });
}

bool ZFO_M::CompanionRunning() const {
  if (application_) return host::RunningWorker(application_->GetProfile().folder) != 0;
  return host::IsProcessRunning(kCompanionImage);
}

void ZFO_M::StartProgram(const char* program) {
  std::filesystem::path path = program_folder_ / program;
  std::vector<std::string> args;
  if (application_) args = {"--profile", application_->GetProfile().folder.string()};
  try {
    host::StartProcess(path, args);
  } catch (const Error& failure) {
    // A missing companion program is worth telling, not worth stopping for.
    host::MsgBox(CONST_ERROR_RUNNING_EXE + kCrLf + failure.Description(),
                 host::MsgBoxButtons::OK, host::MsgBoxIcon::Exclamation,
                 host::MsgBoxDefault::Button1, kApplicationTitle);
  }
}

host::Application* ZFO_M::ApplicationForErrors() {
  if (!application_ && attach_host_) {
    try {
      application_ = attach_host_();
    } catch (...) {
      return nullptr;
    }
  }
  return application_.get();
}

}  // namespace zanvoro
