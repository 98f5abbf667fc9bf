#include "addin/modCommands.h"

#include <filesystem>
#include <functional>
#include <memory>

#include "addin/ZFO_M.h"
#include "addin/frmAbout.h"
#include "addin/frmRealTimeUsers.h"
#include "case/HelpdeskFolders.h"
#include "case/frmLoadDemo.h"
#include "case/frmSearch.h"
#include "errors/Trap.h"
#include "host/client/Application.h"
#include "host/net/HttpClient.h"
#include "host/os/Processes.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "host/ui/MsgBox.h"
#include "host/ui/Renderer.h"
#include "intake/frmEmailMonitoring.h"
#include "periphery/frmArchive.h"
#include "reports/frmReports.h"
#include "reports/frmStatistics.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "settings/frmContactManager.h"
#include "settings/frmManagerList.h"
#include "settings/frmManagerSettings.h"
#include "settings/frmTemplates.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kUpdatePath = "/scriptslibrary/CheckNewUpdate.asp";
constexpr const char* kUpdateQuery = "app=VNH";

int32_t current_page = -1;
bool database_page = false;

void Inform(const std::string& text) {
  host::MsgBox(text, host::MsgBoxButtons::OK, host::MsgBoxIcon::Information,
               host::MsgBoxDefault::Button1, kApplicationTitle);
}

bool AskYesNo(const std::string& text) {
  return host::MsgBox(text, host::MsgBoxButtons::YesNo, host::MsgBoxIcon::Question,
                      host::MsgBoxDefault::Button1,
                      kApplicationTitle) == host::MsgBoxResult::Yes;
}

// Shows a freshly made window modally; it is gone again afterwards.
void ShowModal(std::unique_ptr<host::Form> window) {
  window->Show(host::ShowMode::Modal);
}

// Runs a command that opens a helpdesk window: on the first run the
// reconfiguration takes its place.
void HelpdeskWindow(ZFO_M& addin, const std::function<void(cGlobalSettings&)>& open) {
  if (ZFO_M::IsFirstRun()) {
    addin.ReconfigureAddin();
    return;
  }
  open(RequireGlobalSettings());
}

void OpenListEditor(cGlobalSettings& settings, ManagedList list, const char* name) {
  ShowModal(std::make_unique<frmManagerList>(settings, list, name));
}

// The predefined answers; the one picked goes to the top of the item in
// the active inspector (the reply being written).
void OpenPredefinedAnswers(ZFO_M& addin, cGlobalSettings& settings) {
  settings.LoadFAQs();
  auto window = std::make_unique<frmManagerList>(settings, ManagedList::FAQs, "frmFAQs");
  std::shared_ptr<host::Application> application = addin.HostApplication();
  std::shared_ptr<host::Inspector> inspector =
      application ? application->ActiveInspector() : nullptr;
  if (inspector && inspector->CurrentItem()) {
    std::shared_ptr<host::Item> item = inspector->CurrentItem();
    window->OnInsert([item](const std::vector<std::string>& faq) {
      std::string answer = faq.size() > 1 ? faq[1] : std::string();
      item->SetBody(answer + kCrLf + item->Body());
    });
  }
  ShowModal(std::move(window));
}

void StartConfigureProgram(ZFO_M& addin) {
  std::filesystem::path program = addin.ProgramFolder() / ZFO_M::kConfigureProgram;
  std::error_code ignored;
  if (!std::filesystem::exists(program, ignored)) {
    host::MsgBox(
        "ConfigureServerPST.exe does not exists in the installation folder of Zanvoro "
        "Manager tool!",
        host::MsgBoxButtons::OK, host::MsgBoxIcon::Exclamation,
        host::MsgBoxDefault::Button1, kApplicationTitle);
    return;
  }
  std::vector<std::string> args;
  if (auto application = addin.HostApplication())
    args = {"--profile", application->GetProfile().folder.string()};
  host::StartProcess(program, args);
}

void OpenHelpFile(ZFO_M& addin) {
  std::filesystem::path help = addin.ProgramFolder() / "ZanvoroHelp.pdf";
  std::error_code ignored;
  if (!std::filesystem::exists(help, ignored)) {
    Inform("ZanvoroHelp.pdf is not in the installation folder of Zanvoro Manager tool (" +
           addin.ProgramFolder().string() + ").");
    return;
  }
  host::ShellOpen(help.string());
}

void EmailToAdministrator(ZFO_M& addin) {
  std::shared_ptr<host::Application> application = addin.HostApplication();
  if (!application) return;
  std::shared_ptr<host::Item> mail = application->CreateItem(host::ItemType::Mail);
  std::string admin = GeneralSettingText("sdoAdminEmai");
  if (!admin.empty()) mail->Recipients().Add(admin);
  mail->SetSubject(application->GetProfile().user_name +
                   ": Contact Helpdesk Administator");
  application->DisplayItem(mail);
}

// Shows the helpdesk folder in the active explorer when both are there.
void Navigate(ZFO_M& addin, std::shared_ptr<host::MAPIFolder> (*folder_of)()) {
  std::shared_ptr<host::Application> application = addin.HostApplication();
  std::shared_ptr<host::Explorer> explorer =
      application ? application->ActiveExplorer() : nullptr;
  std::shared_ptr<host::MAPIFolder> folder = folder_of();
  if (explorer && folder) explorer->SelectFolder(folder);
}

using Procedure = std::function<void(ZFO_M&)>;

struct Command {
  const char* id;
  const char* toolbar_id;  // nullptr: no toolbar button, or the same id
  Procedure run;
};

Procedure Page(int32_t page) {
  return [page](ZFO_M& addin) { LoadSection(addin, page); };
}

Procedure Window(std::function<void(ZFO_M&, cGlobalSettings&)> open) {
  return [open = std::move(open)](ZFO_M& addin) {
    HelpdeskWindow(addin, [&](cGlobalSettings& settings) { open(addin, settings); });
  };
}

Procedure Browse(WebAddress address) {
  return [address](ZFO_M&) { OpenInBrowser(WebAddressOf(address)); };
}

Procedure Folder(std::shared_ptr<host::MAPIFolder> (*folder_of)()) {
  return [folder_of](ZFO_M& addin) { Navigate(addin, folder_of); };
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"cmdAccessControl", nullptr, Page(0)},
      {"cmdProblemsList", "cmdProblems", Page(1)},
      {"cmdTechniciansList", "cmdResponsibles", Page(2)},
      {"cmdCallersList", "cmdCallers", Page(3)},
      {"cmdEmailMonitoring", nullptr, Page(5)},
      {"cmdWebAccess", nullptr, Page(7)},
      {"cmdAssetsList", "cmdAssets", Page(8)},
      {"cmdCustomFields", nullptr, Page(9)},
      {"cmdPersonalSettings", nullptr, Page(10)},
      {"cmdMobileMessaging", "cmdMessaging", Page(11)},
      {"cmdAutomationOptions", nullptr, Page(13)},
      {"cmdNotificationOptions", nullptr, Page(14)},
      {"cmdAdvancedOptions", nullptr, Page(15)},
      {"cmdAssetFields", nullptr, Page(16)},
      {"cmdCaseOptions", nullptr, Page(18)},
      {"cmdWorkload", nullptr, Page(19)},
      {"cmdDatabaseSettings", nullptr, Page(20)},
      {"cmdAutomaticUpgrade", "cmdUpgradeOptions", Page(22)},
      {"cmdOtherSettings", nullptr, Page(23)},
      {"cmdOriginsList", nullptr, Page(24)},
      {"cmdOriginsOptions", "cmdOriginOptions", Page(25)},
      {"cmdTemplatesManager", "cmdEmailTemplates",
       Window([](ZFO_M&, cGlobalSettings& settings) {
         ShowModal(std::make_unique<frmTemplates>(settings));
       })},
      {"cmdPredefinedAnswers", "cmdFAQTemplates",
       Window([](ZFO_M& addin, cGlobalSettings& settings) {
         OpenPredefinedAnswers(addin, settings);
       })},
      // The SLA window is settings page 17.
      {"cmdSLA", "cmdSLAs", Page(17)},
      {"cmdContactManager", nullptr, Window([](ZFO_M& addin, cGlobalSettings& settings) {
         auto application = addin.HostApplication();
         ShowModal(std::make_unique<frmContactManager>(
             settings, [application](const cCaller& caller) {
               if (!application) return;
               auto mail = application->CreateItem(host::ItemType::Mail);
               mail->Recipients().Add(caller.Email);
               application->DisplayItem(mail);
             }));
       })},
      {"cmdSearchCases", nullptr, Window([](ZFO_M& addin, cGlobalSettings&) {
         // Every call opens another search window.
         auto application = addin.HostApplication();
         ShowModal(std::make_unique<frmSearch>(
             [application](const std::shared_ptr<host::Item>& item) {
               if (application) application->DisplayItem(item);
             }));
       })},
      {"cmdStatistics", nullptr, Window([](ZFO_M& addin, cGlobalSettings&) {
         ShowStatisticsWindow(addin.ProgramFolder());
       })},
      {"cmdExportToDatabase", "cmdExportCases",
       Window([](ZFO_M&, cGlobalSettings&) { ShowExportCasesWindow(); })},
      {"cmdArchiveCases", "cmdArchive", Window([](ZFO_M&, cGlobalSettings&) {
         ShowModal(std::make_unique<frmArchive>());
       })},
      {"cmdSummaryReports", "cmdReports",
       Window([](ZFO_M&, cGlobalSettings&) { ShowReportsWindow(); })},
      {"cmdDemoCases", nullptr, Window([](ZFO_M&, cGlobalSettings& settings) {
         ShowModal(std::make_unique<frmLoadDemo>(settings));
       })},
      {"cmdOnlineStatus", "cmdRealTimeUsersInformation",
       Window([](ZFO_M&, cGlobalSettings& settings) {
         ShowModal(std::make_unique<frmRealTimeUsers>(settings));
       })},
      {"cmdCopyNewZanvoro", "cmdCopyNewFolders", StartConfigureProgram},
      {"cmdResetConnection", nullptr, ResetConnection},
      {"cmdHelpTopics", "cmdHelp", OpenHelpFile},
      {"cmdVideoTutorials", nullptr, Browse(WebAddress::VideoTutorials)},
      {"cmdCheckUpdates", nullptr, [](ZFO_M&) { CheckForUpdates(); }},
      {"cmdVisitHomePage", "cmdHomepage", Browse(WebAddress::HomePage)},
      {"cmdVisitHomepage", nullptr, Browse(WebAddress::HomePage)},
      {"cmdKnoweldgeBaseSite", "cmdKnowledgeBaseSite", Browse(WebAddress::KnowledgeBase)},
      {"cmdEmailToAdministrator", nullptr, EmailToAdministrator},
      {"cmdAboutZanvoro", "cmdAbout",
       [](ZFO_M&) {
         ShowModal(std::make_unique<frmAbout>(WebAddressOf(WebAddress::HomePage)));
       }},
      {"cmdShutdown", nullptr, ConfirmShutdown},
      {"cmdHomeOpen", nullptr, Folder(&GetOngoingFolder)},
      {"cmdHomeResolved", nullptr, Folder(&GetResolvedFolder)},
      {"cmdHomeKB", nullptr, Folder(&GetKBFolder)},
      {"cmdHomeHistory", nullptr, Folder(&GetHistoryFolder)},
  };
  return commands;
}

const Command* FindCommand(std::string_view id) {
  for (const Command& command : Commands()) {
    if (id == command.id || (command.toolbar_id && id == command.toolbar_id))
      return &command;
  }
  return nullptr;
}

}  // namespace

void RunCommand(ZFO_M& addin, std::string_view id) {
  std::string location = "modCommands." + std::string(id);
  Trap(location, [&] {
    const Command* command = FindCommand(id);
    if (!command) {
      host::MsgBox(std::string(id) + " - Not Implemented");
      return;
    }
    command->run(addin);
  });
}

std::vector<std::string> CommandIdentifiers() {
  std::vector<std::string> ids;
  for (const Command& command : Commands()) {
    ids.emplace_back(command.id);
    if (command.toolbar_id) ids.emplace_back(command.toolbar_id);
  }
  return ids;
}

void LoadSection(ZFO_M& addin, int32_t page) {
  Trap("SettingsData.LoadSection", [&] {
    if (ZFO_M::IsFirstRun()) {
      addin.ReconfigureAddin();
      return;
    }
    cGlobalSettings* settings = SharedGlobalSettings();
    // The window shows what other technicians saved meanwhile.
    if (settings && !settings->ReloadSettings(page)) return;
    current_page = page;
    database_page = false;
    if (page == 21 || page > 25 || page < 0) {
      host::MsgBox(std::string("Dialog not trapped!") + kCrLf +
                   "SettingsData.LoadSection");
      return;
    }
    cGlobalSettings& shared = RequireGlobalSettings();
    switch (page) {
      case 1:
        return OpenListEditor(shared, ManagedList::ProblemTypes, "frmManagerList");
      case 2:
        return OpenListEditor(shared, ManagedList::Technicians, "frmManagerList");
      case 3:
        return OpenListEditor(shared, ManagedList::Callers, "frmManagerList");
      case 8:
        return OpenListEditor(shared, ManagedList::Assets, "frmManagerList");
      case 24:
        return OpenListEditor(shared, ManagedList::Origins, "frmManagerList");
      case 5:
        return ShowModal(std::make_unique<frmEmailMonitoring>(shared));
      case 17:
        return OpenListEditor(shared, ManagedList::SLAs, "frmManagerSLA");
      default:
        database_page = page == 20;
        return ShowModal(std::make_unique<frmManagerSettings>(shared, page));
    }
  });
}

int32_t CurrentSettingsPage() { return current_page; }
bool DatabasePageOpened() { return database_page; }

std::string_view WebAddressSetting(WebAddress address) {
  switch (address) {
    case WebAddress::HomePage:
      return "sdoWebHomePage";
    case WebAddress::VideoTutorials:
      return "sdoWebVideoTutorials";
    case WebAddress::KnowledgeBase:
      return "sdoWebKnowledgeBase";
    case WebAddress::UpdateService:
      return "sdoWebUpdateService";
    case WebAddress::Download:
      return "sdoWebDownload";
  }
  return {};
}

std::string WebAddressOf(WebAddress address) {
  std::string configured = GeneralSettingText(WebAddressSetting(address));
  if (!configured.empty()) return configured;
  switch (address) {
    case WebAddress::HomePage:
      return "https://www.zanvoro.invalid/";
    case WebAddress::VideoTutorials:
      return "https://www.zanvoro.invalid/video-tutorials/";
    case WebAddress::KnowledgeBase:
      return "https://www.zanvoro.invalid/knowledge-base/";
    case WebAddress::UpdateService:
      return "https://updates.zanvoro.invalid";
    case WebAddress::Download:
      return "https://www.zanvoro.invalid/download/";
  }
  return {};
}

void OpenInBrowser(const std::string& url) {
  try {
    host::ShellOpen(url);
  } catch (const Error& failure) {
    if (failure.Number() != err::kFileNotFound &&
        failure.Number() != err::kPermissionDenied)
      throw;
    Inform("No program to open web pages could be started (" + failure.Description() +
           ")." + kCrLf + "The address is " + url);
  }
}

void CheckForUpdates() {
  Trap("modCommands.CheckForUpdates", [&] {
    int32_t local = GetVersionNumber();
    std::string service = WebAddressOf(WebAddress::UpdateService);
    while (!service.empty() && service.back() == '/') service.pop_back();
    host::HttpLimits limits;
    limits.connect = std::chrono::seconds(3);
    limits.total = std::chrono::seconds(8);
    std::string answer;
    try {
      host::HttpResponse response =
          host::HttpPost(service + kUpdatePath + "?" + kUpdateQuery, "", limits);
      if (response.status >= 200 && response.status < 300) answer = response.body;
    } catch (const Error& failure) {
      if (failure.Number() != err::kNetworkError) throw;
      host::MsgBox("The update service cannot be reached (" + failure.Description() +
                       "). Please try again later.",
                   host::MsgBoxButtons::OK, host::MsgBoxIcon::Exclamation,
                   host::MsgBoxDefault::Button1, kApplicationTitle);
      return;
    }
    // The service ends its answer with a line break.
    size_t first = answer.find_first_not_of(" \t\r\n");
    answer = first == std::string::npos
                 ? std::string()
                 : answer.substr(first, answer.find_last_not_of(" \t\r\n") - first + 1);
    std::string digits = Replace(answer, ".", "");
    bool newer = !digits.empty() && IsNumeric(digits) && CDbl(Variant(digits)) > local;
    if (!newer) {
      Inform("There is no update available!");
      return;
    }
    if (AskYesNo("A new version (" + answer + ") is available for uppgrade!" + kCrLf +
                 kCrLf + "Do you want to download it?")) {
      OpenInBrowser(WebAddressOf(WebAddress::Download));
    }
  });
}

void ResetConnection(ZFO_M& addin) {
  Trap("modCommands.ResetConnection", [&] {
    DeleteRegistryKey(RegistryRoot::CurrentUser, RegistryKeyPath(kRegistryApp, ""));
    Inform(std::string("Zanvoro Connection settings have been resetted successfully on "
                       "this system!") +
           kCrLf + kCrLf + "Now you can proceed with the new connection settings");
    addin.ReadRegistryValues();
    addin.ReconfigureAddin();
  });
}

void ConfirmShutdown(ZFO_M& addin) {
  if (AskYesNo(
          std::string("Are you sure you want to shutdown Zanvoro Manager in Outlook?") +
          kCrLf +
          "If you click yes, Zanvoro Manager will be activated after an "
          "Outlook restart")) {
    addin.ShutdownAddin();
  }
}

}  // namespace zanvoro
