// `zanvoro settings get|set KEY [VALUE]` and `zanvoro lists export|import
// LIST FILE`: an administrator reads and fills the helpdesk's shared
// settings and reference lists from a shell. Each command connects the
// add-in, opens the helpdesk (its folders and settings) without starting
// any background work, does its one thing and disconnects.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "host/os/AtomicFile.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/ListTransfer.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::app {
namespace {

void Save(cGlobalSettings& settings, SettingsList list) {
  if (!settings.SaveList(list)) {
    throw Error(err::kCallFailed, std::string(SettingsListName(list)) +
                                      " could not be saved to the helpdesk");
  }
}

SettingsList ListNamed(const std::string& name) {
  std::optional<SettingsList> list = TransferListFromName(name);
  if (!list) {
    throw Error(err::kInvalidProcedureCall, "no list \"" + name + "\"; the lists are " +
                                                Join(TransferListNames(), ", "));
  }
  return *list;
}

}  // namespace

void AddSettingsCommands(CLI::App& app, CommandContext& context) {
  struct Arguments {
    std::string key, value, list, file;
  };
  auto args = std::make_shared<Arguments>();

  CLI::App* settings =
      app.add_subcommand("settings", "Read and write the helpdesk's shared settings");
  settings->require_subcommand(1);
  CLI::App* get = settings->add_subcommand(
      "get", "Print a general setting (exit code 1 when it is missing)");
  get->add_option("KEY", args->key, "Setting key, e.g. sdoOwner")->required();
  get->callback([&context, args] {
    WithHelpdesk(context, [&](cGlobalSettings& settings) {
      const cOutlookSetting* setting = settings.GeneralSettings.Find(args->key);
      if (!setting) throw Error(err::kNotFound, "no setting \"" + args->key + "\"");
      context.Out() << setting->KeyVal << std::endl;
    });
  });
  CLI::App* set = settings->add_subcommand("set", "Set a general setting and save it");
  set->add_option("KEY", args->key, "Setting key, e.g. sdoOwner")->required();
  set->add_option("VALUE", args->value, "Text to store (yes/no values: 1 or 0)")
      ->required();
  set->callback([&context, args] {
    if (Trim(args->key).empty()) throw Error(err::kInvalidProcedureCall, "empty key");
    WithHelpdesk(context, [&](cGlobalSettings& settings) {
      settings.GeneralSettings.SetValue(args->key, args->value);
      Save(settings, SettingsList::GeneralSettings);
    });
  });

  CLI::App* lists = app.add_subcommand(
      "lists", "Export and import the helpdesk's reference lists as CSV files");
  lists->require_subcommand(1);
  CLI::App* to_file = lists->add_subcommand("export", "Write a list to a CSV file");
  to_file->add_option("LIST", args->list, "List, e.g. Callers or tTechnicians")
      ->required();
  to_file->add_option("FILE", args->file, "CSV file to write; - for standard output")
      ->required();
  to_file->callback([&context, args] {
    SettingsList list = ListNamed(args->list);
    WithHelpdesk(context, [&](cGlobalSettings& settings) {
      if (list == SettingsList::FAQs) settings.LoadFAQs();
      std::string csv = ExportListCsv(settings, list);
      if (args->file == "-") {
        context.Out() << csv << std::flush;
      } else {
        host::WriteFileAtomically(args->file, csv);
      }
    });
  });
  CLI::App* from_file = lists->add_subcommand(
      "import",
      "Replace a list by the records of a CSV file; a bad file changes nothing");
  from_file->add_option("LIST", args->list, "List, e.g. Callers or tTechnicians")
      ->required();
  from_file->add_option("FILE", args->file, "CSV file with a header row, UTF-8")
      ->required();
  from_file->callback([&context, args] {
    SettingsList list = ListNamed(args->list);
    std::optional<std::string> csv = host::ReadFileIfExists(args->file);
    if (!csv) throw Error(err::kFileNotFound, "no file " + args->file);
    WithHelpdesk(context, [&](cGlobalSettings& settings) {
      ImportListCsv(settings, list, *csv);
      Save(settings, list);
    });
  });
}

}  // namespace zanvoro::app
