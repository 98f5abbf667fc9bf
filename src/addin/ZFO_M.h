// The add-in's connection to the mail client: the connection events the
// client raises, the start-up sequence that builds the shared objects in a
// fixed order, the start-up options, the first-run branch, the hidden host
// window and the shut-down that releases everything again.
//
// Life cycle: Loaded after AddinInstance_OnConnection (host, options and
// language known, nothing else made); Running after InitializeAddin (run
// from AddinInstance_OnStartupComplete); shut down after ShutdownAddin
// (shut-down flag set, objects released; it stays so until the next
// connection). An unexpected failure reported by the error report ends in
// the shut-down state.
//
// Each start-up and shut-down step is recorded by its location string in
// Steps(), in the order it ran. Subsystems that come later plug their steps
// in through LaterSteps. UI thread only; one connected add-in per process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "connection/LaterSteps.h"
#include "connection/RunningAddin.h"
#include "host/store/StoreTypes.h"
#include "host/ui/Backstage.h"
#include "settings/RegistryOptions.h"

namespace zanvoro {

namespace host {
class Application;
class Hive;
class NameSpace;
}  // namespace host

class frmNewDB;
class frmSilent;
class frmStartUp;

// How the client loaded the add-in, and why it unloads it.
enum class ConnectMode : int32_t {
  AfterStartup = 0,
  Startup = 1,
  External = 2,
  CommandLine = 3
};
enum class RemoveMode : int32_t { HostShutdown = 0, UserClosed = 1 };

// What the program gives the add-in besides its application.
struct AddinEnvironment {
  // Attaches to the running client when the add-in has lost its
  // application; empty when there is nothing to attach to.
  std::function<std::shared_ptr<host::Application>()> attach_host;
  // Where "ConfigureServerPST" and "ZanvoroProcess" are; empty means the
  // program's own folder (host::ProgramFolder()).
  std::filesystem::path program_folder;
};

class ZFO_M : public RunningAddin, public host::RibbonExtensibility {
 public:
  static constexpr const char* kConfigureProgram = "ConfigureServerPST";
  static constexpr const char* kCompanionProgram = "ZanvoroProcess";
  static constexpr const char* kCompanionImage = "ZANVOROPROCESS.EXE";

  explicit ZFO_M(LaterSteps steps = {}, AddinEnvironment environment = {});
  ~ZFO_M() override;
  ZFO_M(const ZFO_M&) = delete;
  ZFO_M& operator=(const ZFO_M&) = delete;

  // The connected add-in of this process; nullptr before the first
  // connection. The subsystems below the add-in ask ConnectedAddin() instead.
  static ZFO_M* Connected();

  // Connection events. None of them lets a failure out.
  // Keeps the application, opens its user's hive, resets the error state,
  // reads the registry values and options, loads the phrases for "DefLang"
  // (or the system language). Nothing else is made here.
  void AddinInstance_OnConnection(std::shared_ptr<host::Application> application,
                                  ConnectMode mode = ConnectMode::Startup);
  // InitializeAddin; a failure that escapes it is shown in a message box
  // "AddinInstance_OnStartupComplete" CR LF description.
  void AddinInstance_OnStartupComplete();
  void AddinInstance_OnBeginShutdown();
  void AddinInstance_OnDisconnection(RemoveMode mode = RemoveMode::HostShutdown);
  void AddinInstance_Terminate();

  // The start-up sequence. Stops early when a step shut the add-in down.
  void InitializeAddin();
  // The background work after the global settings loaded: mail-folder
  // tracking, open-folder monitoring, the companion process, the sweep of
  // the Ongoing folder, the lapsed-due-date watch.
  void StartBackgroundWork();
  // Asks new-or-existing again and, when a location is stored then, runs
  // the helpdesk part of the start-up.
  void ReconfigureAddin();
  // Another helpdesk became the active one (the explorer manager): the
  // Ongoing folder's watch ends, the global settings and the personal
  // database choice are made anew and loaded. Returns whether the global
  // settings loaded.
  bool ReloadHelpdeskSettings();
  // Sets the shut-down flag and releases everything in a fixed order. Each
  // step ignores its own failure. Calling it again is harmless.
  void ShutdownAddin();

  // The host application with a MAPI session and an explorer open on the
  // default folder `folder` (when none is active): attaches when the
  // application is missing. No application ("Error trying to start
  // Outlook!") or one older than version 10 (the CONST_OUTLOOK2003_NEEDED
  // text, critical) shut the add-in down and give nullptr.
  std::shared_ptr<host::Application> GetOutlookApplication(
      host::DefaultFolder folder = host::DefaultFolder::Inbox);
  // GetOutlookApplication, showing the five-line critical message ("Can't
  // access Outlook API!", CONST_CHECK_PERMISSION, number, description,
  // line) when it fails. Returns whether the session is there.
  bool EnsureOutlookSession(host::DefaultFolder folder = host::DefaultFolder::Inbox);

  // True while neither "VNHEntryID" nor "VNHStoreID" is stored. Raises the
  // registry's errors.
  static bool IsFirstRun();
  // Reads the registry values and options again and reloads the phrases of
  // the interface language they name (after the user's key was deleted).
  void ReadRegistryValues();

  // Ribbon callbacks. The custom UI document (GetCustomUIXML) for the
  // explorer ribbon, "" for any other ribbon (inspectors).
  std::string IRibbonExtensibility_GetCustomUI(std::string_view ribbon_id);
  // Keeps the ribbon: the shut-down invalidates it.
  void OnLoad(std::shared_ptr<host::RibbonUI> ribbon);
  // The backstage tab's visibility: true while the add-in runs, false once
  // it is shut down (the negation of the shut-down flag).
  bool IsShutdown(const host::RibbonControl& control) const;
  // Runs the command the control's Id names (RunCommand, modCommands.h).
  void SubExecuteAction(const host::RibbonControl& control);
  // No task has an image of its own: "".
  std::string getImages(const host::RibbonControl& control) const;
  const std::shared_ptr<host::RibbonUI>& Ribbon() const { return ribbon_; }

  // host::RibbonExtensibility: the callbacks above under the names the
  // document gives them ("OnLoad", "IsShutdown", "SubExecuteAction"); an
  // unknown name does nothing (and gives false).
  std::string GetCustomUI(std::string_view ribbon_id) override;
  void RibbonLoaded(std::string_view callback,
                    const std::shared_ptr<host::RibbonUI>& ribbon) override;
  bool RibbonGetBool(std::string_view callback,
                     const host::RibbonControl& control) override;
  void RibbonAction(std::string_view callback,
                    const host::RibbonControl& control) override;

  // The hidden window's balloon (see frmSilent); false when none is loaded.
  bool PopupSystrayBalloonInteractive(std::string_view title,
                                      std::string_view text) override;

  // Run flags.
  bool IsShutdown() const override { return shutdown_; }
  bool StartingUp() const { return starting_up_; }
  bool Inactive() const { return inactive_; }
  bool NetworkMessage() const override { return network_message_; }
  bool GlobalSettingsLoaded() const override { return global_settings_loaded_; }

  const RegistryOptions& Options() const { return options_; }
  // Re-reads the options with the "sdo_<user>" global setting (after the
  // global settings loaded).
  void ReadOptionsWithUserOption() override;
  const std::string& EntryID() const { return entry_id_; }
  const std::string& StoreID() const { return store_id_; }
  const std::string& DefLang() const { return def_lang_; }
  int LanguageIndex() const override { return language_index_; }

  std::shared_ptr<host::Application> HostApplication() const override {
    return application_;
  }
  std::shared_ptr<host::NameSpace> Session() const override { return session_; }
  frmSilent* SilentWindow() const { return silent_.get(); }
  LaterSteps& Hooks() { return steps_; }
  const std::filesystem::path& ProgramFolder() const { return program_folder_; }

  const std::vector<std::string>& Steps() const { return trace_; }
  void ClearSteps() { trace_.clear(); }

 private:
  // Records `location` and runs `body` under the failure convention;
  // returns false when the add-in is shut down afterwards.
  template <class F>
  bool Step(std::string_view location, F&& body);
  // Records `location` and runs `body`, ignoring any failure (shut-down).
  template <class F>
  void Ignoring(std::string_view location, F&& body);
  void CreateObject(SharedObject object);
  void ReleaseObject(SharedObject object);
  // Steps 10 and 11 of the start-up, shared with ReconfigureAddin.
  // FirstRunQuestion returns false when the start-up stops there (a new
  // helpdesk is being made, or the add-in was shut down).
  bool FirstRunQuestion();
  void HelpdeskSteps();
  void StartProgram(const char* program);
  // Whether the send/receive worker of this profile runs (without a client:
  // any worker on the machine).
  bool CompanionRunning() const;
  host::Application* ApplicationForErrors();

  LaterSteps steps_;
  std::function<std::shared_ptr<host::Application>()> attach_host_;
  std::filesystem::path program_folder_;

  std::shared_ptr<host::Application> application_;
  std::shared_ptr<host::NameSpace> session_;
  std::unique_ptr<host::Hive> hive_;
  RegistryOptions options_;
  std::string entry_id_;
  std::string store_id_;
  std::string def_lang_;
  int language_index_ = 1;

  std::unique_ptr<frmStartUp> start_up_window_;
  std::unique_ptr<frmNewDB> new_db_window_;
  std::unique_ptr<frmSilent> silent_;
  std::shared_ptr<host::RibbonUI> ribbon_;

  bool shutdown_ = false;
  bool shutting_down_ = false;
  bool starting_up_ = false;
  bool inactive_ = false;
  bool network_message_ = false;
  bool file_system_ = false;
  bool global_settings_loaded_ = false;
  std::vector<std::string> trace_;
};

}  // namespace zanvoro
