#include "errors/modErroHandling.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "errors/ErrorServices.h"
#include "errors/ZanvoroVersion.h"
#include "errors/frmErrorKBDialog.h"
#include "errors/frmErrorReport.h"
#include "errors/frmFriendlyError.h"
#include "host/client/Application.h"
#include "host/os/System.h"
#include "host/store/Item.h"
#include "host/store/Recipients.h"
#include "host/ui/Label.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kTraceLogName = "Zanvoro Manager for Outlook.log.txt";
constexpr const char* kDefaultSource = "ZANVORO_M";

struct RunState {
  std::string location;
  bool report_shown = false;
  bool trace = false;
  // The report windows, made on first use and kept: a window's own button
  // may shut the add-in down, which unloads it while it is still running.
  std::unique_ptr<frmErrorReport> report_window;
  std::unique_ptr<frmFriendlyError> friendly_window;
  std::unique_ptr<frmErrorKBDialog> kb_window;
};

RunState& State() {
  static RunState state;
  return state;
}

host::Application* CurrentApplication() {
  const auto& acquire = GetErrorServices().application;
  return acquire ? acquire() : nullptr;
}

std::string HostVersion() {
  host::Application* application = CurrentApplication();
  return application ? application->Version() : std::string();
}

std::string BuildText() { return "Build " + GetVersionString(); }

template <class Window>
Window& WindowOf(std::unique_ptr<Window>& slot) {
  if (!slot) slot = std::make_unique<Window>();
  return *slot;
}

// Fills and shows one of the two advice windows.
template <class Window>
void ShowAdvice(Window& window, const std::string& message, const std::string& report) {
  window.Load();
  window.template Get<host::Label>("lblApplication").SetCaption(kApplicationTitle);
  window.template Get<host::Label>("lblVersion").SetCaption(BuildText());
  window.template Get<host::Label>("lblMessage").SetCaption(message);
  window.template Get<host::TextBox>("txtReport").SetText(report);
}

}  // namespace

void ResetErrorState() {
  UnloadErrorWindows();
  RunState& state = State();
  state.location.clear();
  state.report_shown = false;
  state.trace = false;
}

void SetCurrentProcedure(std::string_view location) {
  State().location = std::string(location);
  if (State().trace) WriteTraceLog(location);
}

const std::string& CurrentProcedure() { return State().location; }

bool ErrorReportShown() { return State().report_shown; }

void SetTraceSwitch(bool on) { State().trace = on; }

bool TraceSwitch() { return State().trace; }

void TraceSwitchFromEnvironment() {
  const char* value = std::getenv("ZANVORO_TRACE");
  SetTraceSwitch(value && std::string_view(value) == "1");
}

std::string ErrorReportText(std::string_view host_version, int16_t line,
                            std::string_view location, std::string_view source,
                            int32_t number, std::string_view description) {
  std::string text;
  text += "In Outlook version: " + std::string(host_version) + kCrLf;
  text += "At Line: " + std::to_string(line) + kCrLf;
  text += "In Function: " + std::string(location) + kCrLf;
  text += "Source: " + std::string(source) + kCrLf;
  text += "Exception Number: " + std::to_string(number) + kCrLf;
  text += "Exception Description: " + std::string(description) + kCrLf;
  return text;
}

std::string KnownFailureReportText(std::string_view host_version, int32_t number,
                                   std::string_view description, int16_t line,
                                   std::string_view location) {
  return Join({"Outlook version: " + std::string(host_version),
               "Exception Number: " + std::to_string(number),
               "Exception Description: " + std::string(description),
               "Line: " + std::to_string(line), "Function: " + std::string(location)},
              kCrLf);
}

void ShowError(std::string_view description, int32_t number, int16_t line,
               std::string_view location, DirectSend direct_send,
               std::string_view source) {
  RunState& state = State();
  if (state.report_shown) return;
  try {
    std::string report =
        ErrorReportText(HostVersion(), line, location,
                        source.empty() ? kDefaultSource : source, number, description);
    state.report_shown = true;
    WriteTraceLog("Error report: " + Replace(report, kCrLf, " | "));
    frmErrorReport& window = WindowOf(state.report_window);
    window.Load();
    window.Get<host::Label>("lblSendDirectly")
        .SetVisible(direct_send == DirectSend::Offered);
    window.Get<host::Label>("lblApplication").SetCaption(kApplicationTitle);
    window.Get<host::Label>("lblVersion").SetCaption(BuildText());
    window.Get<host::TextBox>("txtReport").SetText(report);
    window.Show(host::ShowMode::Modal);
  } catch (...) {  // a failure inside the report path never leads to a second report
  }
}

std::string ErrorMailbox() {
  const char* address = std::getenv("ZANVORO_ERROR_MAILBOX");
  return address && *address ? address : kDefaultErrorMailbox;
}

std::string ErrorMailSubject() {
  return "Exception (" + GetVersionString() + ") : " + kApplicationTitle;
}

void SendErrorEmail(std::string_view report, SendMode mode) {
  try {
    host::Application* application = CurrentApplication();
    if (!application) return;
    auto item = application->CreateItem(host::ItemType::Mail);
    item->Recipients().Add(ErrorMailbox());
    item->SetSubject(ErrorMailSubject());
    item->SetBody(report);
    if (mode == SendMode::Review) {
      item->Save();
      application->DisplayItem(item);
      return;
    }
    try {
      application->SendItem(item);
    } catch (const Error&) {
      // The user can still send it by hand.
      application->DisplayItem(item);
    }
  } catch (...) {
    try {
      host::MsgBox("Failed to send error email using MS Outlook!",
                   host::MsgBoxButtons::OK, host::MsgBoxIcon::Critical,
                   host::MsgBoxDefault::Button1, kApplicationTitle);
    } catch (...) {  // nobody to tell
    }
  }
}

std::string ReplaceFolderPlaceholders(std::string_view message) {
  static constexpr std::pair<const char*, HelpdeskFolder> kFolders[] = {
      {"<VNH_SETTINGFOLDER>", HelpdeskFolder::Settings},
      {"<VNH_OPENFOLDER>", HelpdeskFolder::Ongoing},
      {"<VNH_RESOLVEDFOLDER>", HelpdeskFolder::Resolved},
      {"<VNH_KBFOLDER>", HelpdeskFolder::KB},
      {"<VNH_SCHEDULEFOLDER>", HelpdeskFolder::Schedule},
      {"<VNH_HISTORYFOLDER>", HelpdeskFolder::History},
  };
  const ErrorServices& services = GetErrorServices();
  std::string text(message);
  for (const auto& [placeholder, folder] : kFolders) {
    if (text.find(placeholder) == std::string::npos) continue;
    std::string path;
    try {
      if (services.folder_path) path = services.folder_path(folder);
    } catch (...) {  // a folder that cannot be found reads as ""
    }
    text = Replace(text, placeholder, path);
  }
  if (text.find("<VNH_OWNER>") != std::string::npos) {
    std::string owner;
    try {
      if (services.owner) owner = services.owner();
    } catch (...) {
    }
    text = Replace(text, "<VNH_OWNER>", owner);
  }
  return text;
}

void ShowFriendlyError(std::string& message, std::string_view description, int32_t number,
                       int16_t line, std::string_view location) {
  try {
    std::string report =
        KnownFailureReportText(HostVersion(), number, description, line, location);
    message = ReplaceFolderPlaceholders(message);
    frmFriendlyError& window = WindowOf(State().friendly_window);
    ShowAdvice(window, message, report);
    window.Show(host::ShowMode::Modal);
  } catch (...) {  // the advice path swallows its own failures
  }
}

std::string KBArticlePage(std::string_view article) {
  std::string a(article);
  return "<html><head><title>Refer to KB article for more reference</title></head>"
         "<body><font face=\"Arial\" size=\"2\"><b>Refer to this KB article for a "
         "possible fix:</b><br><i><a target=\"_blank\" href=\"" +
         a + "\">" + a + "</a><i></font></body></html>";
}

void ShowErrorKBDialog(std::string_view article, std::string& message,
                       std::string_view description, int32_t number, int16_t line,
                       std::string_view location) {
  try {
    std::string report =
        KnownFailureReportText(HostVersion(), number, description, line, location);
    message = ReplaceFolderPlaceholders(message);
    frmErrorKBDialog& window = WindowOf(State().kb_window);
    ShowAdvice(window, message, report);
    window.SetArticle(std::string(article));
    window.Get<host::TextBox>("wwwKB").SetText(KBArticlePage(article));
    window.Show(host::ShowMode::Modal);
  } catch (...) {
  }
}

void UnloadErrorWindows() {
  RunState& state = State();
  // Unloading only: a window may be unloaded from its own click handler.
  if (state.report_window) state.report_window->Unload();
  if (state.friendly_window) state.friendly_window->Unload();
  if (state.kb_window) state.kb_window->Unload();
}

std::string GetTraceLogFolder() {
  std::error_code error;
  std::filesystem::path documents = host::DocumentsFolder();
  if (documents.empty()) return {};
  std::filesystem::path folder = documents / "Torvanel Logs";
  std::filesystem::create_directories(folder, error);
  if (error) return {};
  return folder.string() + "/";
}

std::string TraceLogFile() {
  std::string folder = GetTraceLogFolder();
  return folder.empty() ? std::string() : folder + kTraceLogName;
}

void WriteTraceLog(std::string_view text) {
  if (!State().trace || text.empty()) return;
  try {
    std::string file = TraceLogFile();
    if (file.empty()) return;
    std::ofstream out(file, std::ios::app | std::ios::binary);
    out << GeneralDateText(Now()) << '\t' << text << '\n';
  } catch (...) {  // tracing never disturbs the add-in
  }
}

std::string GetVersionString() {
  return std::to_string(ZANVORO_VERSION_MAJOR) + "." +
         std::to_string(ZANVORO_VERSION_MINOR) + "." +
         std::to_string(ZANVORO_VERSION_REVISION);
}

int32_t GetVersionNumber() {
  return static_cast<int32_t>(std::stol(std::to_string(ZANVORO_VERSION_MAJOR) +
                                        std::to_string(ZANVORO_VERSION_MINOR) +
                                        std::to_string(ZANVORO_VERSION_REVISION)));
}

}  // namespace zanvoro
