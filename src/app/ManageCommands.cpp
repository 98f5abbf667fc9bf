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
// (message boxes take their default button).
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <ostream>

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

void WithAddin(CommandContext& context, const std::function<void(ZFO_M&)>& body) {
  host::ScopedRenderer renderer(std::make_shared<host::ConsoleRenderer>(
      std::cin, context.Out(), host::ConsoleMode::Auto));
  OpenedHelpdesk helpdesk(context, HelpdeskNeeded::No);
  body(helpdesk.Addin());
}

}  // namespace

void AddManageCommands(CLI::App& app, CommandContext& context) {
  CLI::App* manage =
      app.add_subcommand("manage", "Show the manager's backstage menu and run its tasks");
  manage->callback([&context] {
    WithAddin(context, [&](ZFO_M& addin) {
      host::Backstage backstage(addin);
      host::RunBackstageMenu(backstage, std::cin, context.Out());
    });
  });

  auto id = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "command", "Run one manager command by its identifier (e.g. cmdSearchCases)");
  command->add_option("ID", *id, "Backstage or toolbar command identifier")->required();
  command->callback([&context, id] {
    WithAddin(context, [&](ZFO_M& addin) { RunCommand(addin, *id); });
  });
}

}  // namespace zanvoro::app
