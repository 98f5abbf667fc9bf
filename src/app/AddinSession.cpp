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
#include "host/web/WebAssets.h"
#include "host/web/WebPage.h"
#include "host/web/WebRenderer.h"
#include "host/web/WebServer.h"
#include "runtime/Text.h"
#include "intake/Monitoring.h"
#include "notify/SendSMS.h"
#include "notify/sms/SmsService.h"
#include "runtime/Error.h"
#include "settings/SettingsSteps.h"
#include "sla/DueDateLapse.h"
#include "web/CasePages.h"
#include "web/ManagePages.h"

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

constexpr const char* kWebKey = "Software\\Pellworth\\VNH\\Web";

std::string LoginPage(const std::string& error, bool password) {
  std::string body = "<form class=\"card login\" method=\"post\" action=\"/login\"><h1>"
                     "Sign in</h1>";
  if (!error.empty()) body += "<p class=\"notice\">" + HtmlEscape(error) + "</p>";
  if (password) {
    body += "<label for=\"password\">Password</label><input id=\"password\" "
            "name=\"password\" type=\"password\" autofocus required>";
  }
  body += "<button id=\"sign-in\"" + std::string(password ? "" : " autofocus") +
          ">Sign in</button></form>";
  host::WebPage page;
  page.title = "Sign in";
  page.app_title = "Zanvoro";
  page.body = body;
  return host::RenderWebPage(page);
}

// The web interface of the session: the server, its renderer and pages.
struct WebInterface {
  std::unique_ptr<host::WebServer> server;
  std::shared_ptr<host::WebRenderer> renderer;
  std::unique_ptr<CasePages> pages;
  std::unique_ptr<ManagePages> manage;
};

}  // namespace

void RunAddinSession(CommandContext& context, const SessionOptions& options) {
  // Handlers first, so a stop request during start-up is not lost.
  host::EventLoop loop;
  loop.QuitOnSignals();
  host::Profile& profile = context.Profile(ProfileUse::CreateIfMissing);
  context.Hive();
  Answers answers;
  std::shared_ptr<host::Renderer> session_renderer =
      MakeRenderer(options, answers, context.Out());
  WebInterface web;
  if (options.web) {
    host::WebServerOptions server_options;
    server_options.listen = options.listen;
    server_options.password = context.Hive().GetValue(kWebKey, "Password").value_or("");
    server_options.password_setting =
        "one with: zanvoro hive set \"Software\\Pellworth\\VNH\\Web\" Password TEXT";
    web.server = std::make_unique<host::WebServer>(loop, server_options);
    host::WebServer* server = web.server.get();
    web.renderer = std::make_shared<host::WebRenderer>(
        [server](const std::string& event, const std::string& data) {
          server->Broadcast(event, data);
        },
        session_renderer);
    session_renderer = web.renderer;
    host::ServeWebAssets(*server);
    bool password = !server_options.password.empty();
    server->LoginPage([password](const std::string& error) { return LoginPage(error, password); });
    web.pages = std::make_unique<CasePages>(*server, *web.renderer);
    web.pages->Install();
    web.manage = std::make_unique<ManagePages>(*server, *web.renderer, loop, *web.pages);
    web.manage->Install();
    server->Start();
    web.pages->WatchChanges(loop);
    context.Out() << "zanvoro: web interface at " << server->Url() << std::endl;
  }
  host::ScopedRenderer renderer(session_renderer);
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
  if (web.manage) web.manage->SetAddin(&addin);
  addin.AddinInstance_OnConnection(application, ConnectMode::Startup);
  // The client reports its start-up complete once its loop runs.
  loop.Post([&addin] { addin.AddinInstance_OnStartupComplete(); });
  loop.Run();
  if (web.server) {
    web.manage->SetAddin(nullptr);
    web.pages->StopWatching();
    web.server->Stop();
  }
  addin.AddinInstance_OnBeginShutdown();
  addin.AddinInstance_OnDisconnection(RemoveMode::HostShutdown);
  SetSmsTransport({});
  context.Out() << "zanvoro: stopped" << std::endl;
}

}  // namespace zanvoro::app
