// The command procedures: what each backstage task and toolbar button does.
// The backstage (ZFO_M::SubExecuteAction), the explorer manager's toolbar
// buttons and the shell (`zanvoro command ID`) all come through RunCommand.
//
// Every procedure follows the failure convention: an unexpected failure is
// reported under the command's location and the command ends there. UI
// thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro {

class ZFO_M;

// Runs the command `id`: a backstage task id ("cmdTechniciansList") or a
// toolbar button id ("cmdResponsibles"), compared exactly. An id no command
// has shows "<id> - Not Implemented". A command that opens a helpdesk
// window runs ReconfigureAddin instead while no Settings folder location
// is stored.
void RunCommand(ZFO_M& addin, std::string_view id);

// Every id RunCommand knows, backstage and toolbar ids alike, each once.
std::vector<std::string> CommandIdentifiers();

// Opens the settings page `page` (location "SettingsData.LoadSection"): on
// the first run ReconfigureAddin; else the page's part of the settings is
// read again (ReloadSettings), the page becomes the current settings page
// and its window is shown modally, freshly loaded: the list editor for
// pages 1, 2, 3, 8 and 24, the mailbox-monitoring window for 5, the SLA
// window for 17, "Dialog not trapped!" for 21 and pages above 25, and the
// manager settings window for every other page.
void LoadSection(ZFO_M& addin, int32_t page);
// The page LoadSection opened last (-1 before any), and whether it was the
// settings data source page (20).
int32_t CurrentSettingsPage();
bool DatabasePageOpened();

// The maker's web addresses. Each is the general setting named here when it
// is set, else a placeholder address that leads nowhere.
enum class WebAddress {
  HomePage,
  VideoTutorials,
  KnowledgeBase,
  UpdateService,
  Download
};
// "sdoWebHomePage", "sdoWebVideoTutorials", "sdoWebKnowledgeBase",
// "sdoWebUpdateService" (scheme and host only, the service's path is
// added), "sdoWebDownload".
std::string_view WebAddressSetting(WebAddress address);
std::string WebAddressOf(WebAddress address);
// Opens `url` in the browser (host::ShellOpen); where no program for it can
// be started, tells the user the address instead.
void OpenInBrowser(const std::string& url);

// The update check: posts "app=VNH" to the update service's
// "/scriptslibrary/CheckNewUpdate.asp" (3 seconds to connect, 8 in all),
// and when the answer, its "." removed, is a number above the local version
// number, offers the download; otherwise says there is no update. An
// unreachable service is said so in a message.
void CheckForUpdates();

// Deletes the user's registry key, tells the user, reads the registry and
// the language again and runs ReconfigureAddin.
void ResetConnection(ZFO_M& addin);

// Shuts the add-in down once the user said yes.
void ConfirmShutdown(ZFO_M& addin);

}  // namespace zanvoro
