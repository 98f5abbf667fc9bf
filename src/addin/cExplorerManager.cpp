#include "addin/cExplorerManager.h"

#include "addin/ZFO_M.h"
#include "addin/cExplorersEventManager.h"
#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "connection/LaterSteps.h"
#include "errors/Trap.h"
#include "host/client/Application.h"
#include "host/client/Explorer.h"
#include "host/store/MAPIFolder.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

// Hosts from this major version on show the backstage instead of the menu.
constexpr int kBackstageMajorVersion = 14;

}  // namespace

std::vector<ButtonDefinition> ManagerButtons() {
  return {
      {"cmdContactManager", CONST_CONTACT_MANAGER, CONST_CONTACT_MANAGER_TT},
      {"cmdSearchCases", CONST_SEARCH_CASES, CONST_SEARCH_CASES_TT, 2683},
      {"cmdStatistics", CONST_STATISTICS, CONST_STATISTICS_TT, 956},
      {"cmdExportCases", CONST_EXPORT_TO_DATABASE, CONST_EXPORT_TO_DATABASE_TT, 2116},
      {"cmdArchive", CONST_ARCHIVE_CASES, CONST_ARCHIVE_CASES_TT, 106},
      {"cmdReports", CONST_SUMMARY_REPORTS, CONST_SUMMARY_REPORTS_TT},
      {"cmdDemoCases", CONST_DEMO_CASES, CONST_DEMO_CASES_TT, 1584},
      {"cmdRealTimeUsersInformation", CONST_ONLINE_STATUS_TECHS,
       "Real time information on technicians and the installed version of Zanvoro", 7256},
      {"cmdCopyNewFolders", CONST_COPY_NEW_ZANVORO_FOLDER,
       "Copy a new new Zanvoro folder from the Template PST, to get a fresh start!"},
      {"cmdResetConnection", "Reset Connection",
       "Reset Zanvoro connection settings configured on this system"},
      {"cmdHelp", CONST_HELP_TOPICS, CONST_HELP_TOPICS_TT, 983},
      {"cmdVideoTutorials", CONST_VIDEO_TUTORIALS,
       "Go to the video tutorials page of Zanvoro for Outlook", 3525},
      {"cmdCheckUpdates", CONST_CHECK_UPDATES, CONST_CHECK_UPDATES_TT, 2934},
      {"cmdHomepage", CONST_VISIT_HOME_PAGE, CONST_VISIT_HOME_PAGE_TT, 3885},
      {"cmdKnowledgeBaseSite", CONST_KNOWLEDGE_BASE,
       "Browse to the Knowledge Base section on the web", 3885},
      {"cmdAbout", CONST_ABOUT + " Zanvoro",
       CONST_ABOUT + " Zanvoro Manager for Outlook"},
      {"cmdShutdown", CONST_SHUTDOWN, CONST_SHUTDOWN_TT},
  };
}

cExplorerManager::cExplorerManager(std::shared_ptr<host::Explorer> explorer,
                                   cExplorersEventManager& owner, CommandRunner runner)
    : explorer_(explorer), owner_(owner), runner_(std::move(runner)) {
  // The handlers reach the manager only while it is shared and alive, and
  // hold it until they return: a handler may end its owner's hold on it.
  auto listen = [this](auto&& handler) {
    return [this, handler] {
      std::shared_ptr<cExplorerManager> alive = weak_from_this().lock();
      if (alive) (alive.get()->*handler)();
    };
  };
  connections_.emplace_back(explorer->OnActivate(listen(&cExplorerManager::OnActivate)));
  connections_.emplace_back(
      explorer->OnFolderSwitch(listen(&cExplorerManager::subTrackRequiredFolder)));
  connections_.emplace_back(explorer->OnClose(listen(&cExplorerManager::OnClose)));
}

cExplorerManager::~cExplorerManager() {
  // Only the menu this manager built: another manager of the same window
  // may own the one on the bar.
  if (popup_) popup_->Delete();
  subRemoveButtons();
}

void cExplorerManager::SetHostApplication(
    const std::shared_ptr<host::Application>& application) {
  application_ = application;
  if (!application) return;
  connections_.emplace_back(application->OnQuitEvent([this] {
    std::shared_ptr<cExplorerManager> alive = weak_from_this().lock();
    if (alive) OnQuit();
  }));
  // Nothing to do when the session has logged on.
  connections_.emplace_back(application->OnMAPILogonComplete([] {}));
}

bool cExplorerManager::DoesMenuExists() const {
  auto explorer = explorer_.lock();
  return explorer && explorer->ActiveMenuBar().FindControl(kMenuTag) != nullptr;
}

bool cExplorerManager::subAddButtons() {
  return Trap("Explorer.subAddButtons", false, [&] {
    if (DoesMenuExists()) return true;
    auto explorer = explorer_.lock();
    if (!explorer) return false;
    RemoveMenu();
    subRemoveButtons();
    popup_ = explorer->ActiveMenuBar().Controls().Add(host::ControlType::Popup,
                                                      host::ControlLife::Temporary);
    popup_->SetCaption(kMenuCaption);
    popup_->SetTag(kMenuTag);
    popup_->SetVisible(true);
    settings_buttons_.subAddButtons(popup_->Controls(), *this);
    navigation_buttons_.subAddButtons(popup_->Controls(), *this);
    for (const ButtonDefinition& definition : ManagerButtons()) {
      toolbar_buttons_.push_back(
          cWrappedButton::Add(popup_->Controls(), definition, *this));
    }
    auto application = application_.lock();
    if (application && application->MajorVersion() >= kBackstageMajorVersion) {
      popup_->SetVisible(false);
    }
    return false;
  });
}

void cExplorerManager::subRemoveButtons() {
  settings_buttons_.subRemoveButtons();
  navigation_buttons_.subRemoveButtons();
  toolbar_buttons_.clear();
}

void cExplorerManager::RemoveMenu() {
  auto explorer = explorer_.lock();
  if (!explorer) return;
  while (auto popup = explorer->ActiveMenuBar().FindControl(kMenuTag)) popup->Delete();
  popup_.reset();
}

void cExplorerManager::OnActivate() {
  Trap("Explorer.Activate", [&] { subAddButtons(); });
}

void cExplorerManager::OnClose() {
  Trap("Explorer.Exporer.close", [&] {
    auto self = shared_from_this();
    RemoveMenu();
    subRemoveButtons();
    owner_.Remove(*this);
    // The owner may be gone from here on.
    auto application = application_.lock();
    ZFO_M* addin = ZFO_M::Connected();
    if (application && application->Explorers().Count() < 1 && addin &&
        !addin->IsShutdown()) {
      addin->ShutdownAddin();
    }
  });
}

void cExplorerManager::OnQuit() {
  Trap("Explorer.Application.Quit", [&] {
    auto self = shared_from_this();
    subRemoveButtons();
    ZFO_M* addin = ZFO_M::Connected();
    if (addin && !addin->IsShutdown()) addin->ShutdownAddin();
  });
}

void cExplorerManager::subTrackRequiredFolder() {
  Trap("Explorer.FolderSwitch", [&] {
    auto explorer = explorer_.lock();
    if (!explorer) return;
    FolderKind kind = GetFolderKind(explorer->CurrentFolder().get());
    SetCurrentFolderKind(kind);
    if (kind == FolderKind::Ongoing) subMain();
  });
}

bool cExplorerManager::IsEmptyDatabase() const {
  return Trap("Explorer.IsEmptyDatabase", false, [] {
    const cGlobalSettings* settings = SharedGlobalSettings();
    if (!settings) return false;
    return settings->Callers.Count() == 0 && settings->Technicians.Count() == 0 &&
           settings->ProblemTypes.Count() == 0 &&
           settings->ProblemCategories.Count() == 0 &&
           settings->CallerDepartments.Count() == 0 && settings->Assets.Count() == 0 &&
           settings->SLAs.Count() == 0;
  });
}

void cExplorerManager::subMain() {
  Trap("Explorer.subMain", [&] {
    auto self = shared_from_this();
    ZFO_M* addin = ZFO_M::Connected();
    auto explorer = explorer_.lock();
    if (!addin || addin->IsShutdown() || !explorer) return;
    bool reload = true;
    std::shared_ptr<host::MAPIFolder> shown = explorer->CurrentFolder();
    // A half-reachable helpdesk must not stop the folder switch.
    try {
      if (shown && HelpdeskFolderKnown(HelpdeskFolder::Ongoing)) {
        std::shared_ptr<host::MAPIFolder> ongoing = GetOngoingFolder();
        if (ongoing && shown->EntryID() == ongoing->EntryID() &&
            shown->StoreID() == ongoing->StoreID() &&
            addin->Options().DoNotReloadSettings != 0) {
          reload = false;
        }
      }
      DetectHelpdeskFolders(shown);
    } catch (...) {  // see above
    }
    SaveSettingsFolderLocation();
    if (!reload) return;
    if (!addin->ReloadHelpdeskSettings()) return;
    if (IsEmptyDatabase() && runner_) runner_("cmdDemoCases");
    addin->StartBackgroundWork();
    if (addin->Hooks().watch_sent_copy_folders) addin->Hooks().watch_sent_copy_folders();
  });
}

void cExplorerManager::ButtonClick(host::CommandBarControl& button, bool&) {
  Trap("Explorer.ButtonClick", [&] {
    auto self = shared_from_this();
    const std::string command_id = button.Tag();
    if (cNavigationButtons::Target(command_id)) {
      auto application = application_.lock();
      std::shared_ptr<host::Explorer> active =
          application ? application->ActiveExplorer() : nullptr;
      if (!active) active = explorer_.lock();
      if (active) cNavigationButtons::Navigate(command_id, *active);
      return;
    }
    if (runner_) runner_(command_id);
  });
}

}  // namespace zanvoro
