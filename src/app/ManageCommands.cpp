// `zanvoro manage` and `zanvoro command ID`: the manager's functions from a
// terminal. Both connect the add-in and open the helpdesk as the other
// commands do (a profile that names no helpdesk yet is let through: the
// commands then start the first-run question). `manage` asks the add-in for
// its custom UI document and shows the backstage it describes as a menu,
// running each chosen task through the add-in's callback; `command` runs
// one command by its backstage or toolbar identifier, as a script would.
//
// The windows the commands open are shown on the console: interactive on a
// terminal, else driven by the console commands read from standard input
// (message boxes take their default button); with ZANVORO_UI=scripted
// nothing is read at all.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string_view>

#include "addin/ZFO_M.h"
#include "addin/modCommands.h"
#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "host/ui/Backstage.h"
#include "host/ui/ConsoleRenderer.h"
#include "host/ui/Renderer.h"

namespace zanvoro::app {

namespace {

// With ZANVORO_UI "scripted" nobody answers: the menu and the windows read
// an empty input, so every window closes as it opens.
void WithAddin(CommandContext& context,
               const std::function<void(ZFO_M&, std::istream&)>& body) {
  const char* ui = std::getenv("ZANVORO_UI");
  std::istringstream nothing;
  std::istream& in = ui && std::string_view(ui) == "scripted" ? nothing : std::cin;
  host::ScopedRenderer renderer(std::make_shared<host::ConsoleRenderer>(
      in, context.Out(),
      &in == &std::cin ? host::ConsoleMode::Auto : host::ConsoleMode::Unattended));
  OpenedHelpdesk helpdesk(context, HelpdeskNeeded::No);
  body(helpdesk.Addin(), in);
}

}  // namespace

void AddManageCommands(CLI::App& app, CommandContext& context) {
  CLI::App* manage =
      app.add_subcommand("manage", "Show the manager's backstage menu and run its tasks");
  manage->callback([&context] {
    WithAddin(context, [&](ZFO_M& addin, std::istream& in) {
      host::Backstage backstage(addin);
      host::RunBackstageMenu(backstage, in, context.Out());
    });
  });

  auto id = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "command", "Run one manager command by its identifier (e.g. cmdSearchCases)");
  command->add_option("ID", *id, "Backstage or toolbar command identifier")->required();
  command->callback([&context, id] {
    WithAddin(context, [&](ZFO_M& addin, std::istream&) { RunCommand(addin, *id); });
  });
}

}  // namespace zanvoro::app
