#include "app/AddinSession.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

#include "addin/ZFO_M.h"
#include "addin/cExplorersEventManager.h"
#include "addin/modCommands.h"
#include "app/CommandContext.h"
#include "case/HelpdeskFolders.h"
#include "host/client/Application.h"
#include "host/os/EventLoop.h"
#include "host/os/Hive.h"
#include "host/os/Profile.h"
#include "host/ui/ConsoleRenderer.h"
#include "intake/Monitoring.h"
#include "notify/SendSMS.h"
#include "notify/sms/SmsService.h"
#include "runtime/Error.h"
#include "settings/SettingsSteps.h"
#include "sla/DueDateLapse.h"

namespace zanvoro::app {

namespace {

// Input for a renderer that nobody answers: at once at its end, so every
// window closes as it opens.
struct Answers {
  std::ifstream file;
  std::istringstream nothing;
};

std::shared_ptr<host::Renderer> MakeRenderer(const SessionOptions& options,
                                             Answers& answers, std::ostream& out) {
  if (!options.answers_file.empty()) {
    answers.file.open(options.answers_file);
    if (!answers.file) {
      throw Error(err::kFileNotFound,
                  "cannot read the answers file " + options.answers_file);
    }
    return std::make_shared<host::ConsoleRenderer>(answers.file, out,
                                                   host::ConsoleMode::Unattended);
  }
  const char* ui = std::getenv("ZANVORO_UI");
  bool scripted = ui && std::string_view(ui) == "scripted";
  if (scripted || !::isatty(STDIN_FILENO)) {
    return std::make_shared<host::ConsoleRenderer>(answers.nothing, out,
                                                   host::ConsoleMode::Unattended);
  }
  return std::make_shared<host::ConsoleRenderer>();
}

}  // namespace

void RunAddinSession(CommandContext& context, const SessionOptions& options) {
  // Handlers first, so a stop request during start-up is not lost.
  host::EventLoop loop;
  loop.QuitOnSignals();
  host::Profile& profile = context.Profile(ProfileUse::CreateIfMissing);
  context.Hive();
  Answers answers;
  host::ScopedRenderer renderer(MakeRenderer(options, answers, context.Out()));
  context.Out() << "zanvoro: profile " << profile.folder.string() << ", user "
                << profile.user_name << " " << profile.smtp_address << std::endl;

  auto application = std::make_shared<host::Application>(profile, &loop);
  application->OnQuit([&loop] { loop.Quit(); });
  LaterSteps steps;
  AddHelpdeskFolderSteps(steps);
  InstallSettingsSteps(steps);
  InstallMonitoringSteps(steps);
  InstallDueDateWatchSteps(steps);
  // The toolbar's buttons run the same command procedures as the backstage.
  ZFO_M* running = nullptr;
  InstallExplorerSteps(steps, [&running](std::string_view id) {
    if (running) RunCommand(*running, id);
  });
  // Every notification SMS of the session leaves through the shared
  // settings' SMS service.
  InstallSmsTransport();
  ZFO_M addin(std::move(steps),
              AddinEnvironment{[application] { return application; }, {}});
  running = &addin;
  addin.AddinInstance_OnConnection(application, ConnectMode::Startup);
  // The client reports its start-up complete once its loop runs.
  loop.Post([&addin] { addin.AddinInstance_OnStartupComplete(); });
  loop.Run();
  addin.AddinInstance_OnBeginShutdown();
  addin.AddinInstance_OnDisconnection(RemoveMode::HostShutdown);
  SetSmsTransport({});
  context.Out() << "zanvoro: stopped" << std::endl;
}

}  // namespace zanvoro::app
