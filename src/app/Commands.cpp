#include "app/Commands.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "app/AddinSession.h"
#include "app/CommandContext.h"
#include "host/os/EventLoop.h"
#include "host/os/Hive.h"
#include "host/os/Profile.h"
#include "runtime/Error.h"

namespace zanvoro::app {

void AddRunCommand(CLI::App& app, CommandContext& context) {
  CLI::App* run = app.add_subcommand("run", "Run the mail-client session until stopped");
  auto options = std::make_shared<SessionOptions>();
  run->add_option("--answers", options->answers_file,
                  "File of window commands answering the add-in's questions");
  run->add_flag("--web", options->web, "Serve the web interface while the session runs");
  run->add_option("--listen", options->listen,
                  "Address of the web interface (default 127.0.0.1:8480)");
  run->callback([&context, options] { RunAddinSession(context, *options); });

  CLI::App* web = app.add_subcommand(
      "web", "Run the session with the technicians' web interface until stopped");
  auto web_options = std::make_shared<SessionOptions>();
  web_options->web = true;
  web->add_option("--listen", web_options->listen,
                  "Address to serve on (default 127.0.0.1:8480); any other than loopback "
                  "needs the web password of the hive");
  web->add_option("--answers", web_options->answers_file,
                  "File of window commands answering the add-in's questions");
  web->callback([&context, web_options] { RunAddinSession(context, *web_options); });
}

void AddProfileCommands(CLI::App& app, CommandContext& context) {
  CLI::App* profile = app.add_subcommand("profile", "Show the profile");
  profile->require_subcommand(1);
  CLI::App* show = profile->add_subcommand("show", "Print the profile's settings");
  show->callback([&context] {
    const host::Profile& p = context.Profile();
    std::ostream& out = context.Out();
    out << "folder: " << p.folder.string() << "\n"
        << "file: " << p.FilePath().string() << "\n"
        << "user: " << p.user_name << "\n"
        << "address: " << p.smtp_address << "\n"
        << "hive: " << p.EffectiveHivePath().string() << "\n";
    for (const host::StoreLocation& store : p.stores) {
      out << "store: " << host::StoreRoleName(store.role) << " \"" << store.display_name
          << "\" " << store.path.string() << "\n";
    }
    out << "short date: " << p.formats.short_date << "\n"
        << "long date: " << p.formats.long_date << "\n"
        << "time: " << p.formats.time << "\n"
        << "host version: " << p.host_version << std::endl;
  });
}

void AddHiveCommands(CLI::App& app, CommandContext& context) {
  CLI::App* hive = app.add_subcommand("hive", "Read and write the user's settings hive");
  hive->require_subcommand(1);

  // CLI11 keeps the options' storage: the strings live as long as the app.
  struct Arguments {
    std::string key, name, value;
  };
  auto args = std::make_shared<Arguments>();

  CLI::App* get =
      hive->add_subcommand("get", "Print a value (exit code 1 when it is missing)");
  get->add_option("KEY", args->key, "Key path, e.g. Software\\Pellworth\\VNH")
      ->required();
  get->add_option("NAME", args->name, "Value name")->required();
  get->callback([&context, args] {
    auto value = context.Hive().GetValue(args->key, args->name);
    if (!value) {
      throw Error(err::kNotFound, "no value \"" + args->name + "\" under \"" + args->key +
                                      "\" in " + context.Hive().Path().string());
    }
    context.Out() << *value << std::endl;
  });

  CLI::App* set = hive->add_subcommand("set", "Set a value, creating its key");
  set->add_option("KEY", args->key, "Key path, e.g. Software\\Pellworth\\VNH")
      ->required();
  set->add_option("NAME", args->name, "Value name")->required();
  set->add_option("VALUE", args->value, "Text to store")->required();
  set->callback([&context, args] {
    context.Profile(ProfileUse::CreateIfMissing);
    context.Hive().SetValue(args->key, args->name, args->value);
  });
}

int RunCommandLine(int argc, const char* const* argv, std::ostream& out,
                   std::ostream& err) {
  CommandContext context(out, err);
  CLI::App app("Zanvoro: a helpdesk in the mail client", "zanvoro");
  app.add_option("--profile", context.ProfileOption(),
                 "Profile folder (default: $XDG_CONFIG_HOME/zanvoro/profile)");
  AddRunCommand(app, context);
  AddProfileCommands(app, context);
  AddHiveCommands(app, context);
  AddMailCommands(app, context);
  AddSettingsCommands(app, context);
  AddCaseCommands(app, context);
  AddMonitorCommands(app, context);
  AddListCommands(app, context);
  AddSmsCommands(app, context);
  AddArchiveCommands(app, context);
  AddViewCommands(app, context);
  AddManageCommands(app, context);
  AddReportCommands(app, context);

  try {
    app.parse(argc, argv);
    if (app.get_subcommands().empty()) {
      err << "zanvoro: a command is required (run, profile, hive)\n"
          << "Run with --help for more information." << std::endl;
      return static_cast<int>(CLI::ExitCodes::RequiredError);
    }
    return 0;
  } catch (const CLI::ParseError& error) {
    return app.exit(error, out, err);
  } catch (const UnansweredQuestion& error) {
    err << "zanvoro: " << error.what() << std::endl;
    return kExitUnanswered;
  } catch (const Error& error) {
    err << "zanvoro: " << error.Description() << std::endl;
  } catch (const std::exception& error) {
    err << "zanvoro: " << error.what() << std::endl;
  } catch (...) {
    err << "zanvoro: unexpected failure" << std::endl;
  }
  return 1;
}

}  // namespace zanvoro::app
