// `zanvoro monitor add|list|remove`: an administrator edits the helpdesk's
// monitored folders and mailboxes from a shell, as the monitoring settings
// window does. Each command opens the helpdesk without starting any
// background work; a running session picks the change up at its next
// start.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "host/store/MAPIFolder.h"
#include "intake/Monitoring.h"
#include "intake/cMonitoredFolderData.h"
#include "intake/cMonitoredFolderDataList.h"
#include "intake/cMonitoredFolderSettings.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::app {
namespace {

void Save(cGlobalSettings& settings, const cMonitoredFolderDataList& list) {
  if (!WriteMonitoredFolders(settings, list)) {
    throw Error(err::kCallFailed,
                "the monitored folders could not be saved to the helpdesk");
  }
}

void AddFolder(CommandContext& context, const MonitoredFolderRequest& request) {
  WithHelpdesk(context, [&](cGlobalSettings& settings) {
    cMonitoredFolderData entry = AddMonitoredFolder(settings, request);
    context.Out() << "monitored: " << entry.ToString() << std::endl;
  });
}

void ListFolders(CommandContext& context) {
  WithHelpdesk(context, [&](cGlobalSettings& settings) {
    cMonitoredFolderSettings claims;
    for (const auto& entry : MonitoredFolderList(settings)) {
      const cMonitoredFolderData& data = entry.Value();
      std::string monitored_by = claims.MonitoredByUser(data.PropertyID);
      context.Out() << data.KeyFolderPathOrName << "\tactive " << data.Active << "\tmode "
                    << data.ActionMode << "\tkey " << data.PropertyID;
      if (data.blnMandatoryMailbox) context.Out() << "\tmandatory";
      if (!monitored_by.empty()) context.Out() << "\tmonitored by " << monitored_by;
      context.Out() << "\n";
    }
    context.Out() << std::flush;
  });
}

void RemoveFolder(CommandContext& context, const std::string& key) {
  WithHelpdesk(context, [&](cGlobalSettings& settings) {
    cMonitoredFolderDataList list = MonitoredFolderList(settings);
    if (!list.Remove(key)) {
      throw Error(err::kNotFound, "'" + key + "' is not a monitored folder or mailbox");
    }
    Save(settings, list);
  });
}

}  // namespace

void AddMonitorCommands(CLI::App& app, CommandContext& context) {
  CLI::App* monitor = app.add_subcommand(
      "monitor", "The monitored folders and mailboxes of the helpdesk");
  monitor->require_subcommand(1);

  auto add_args = std::make_shared<MonitoredFolderRequest>();
  CLI::App* add = monitor->add_subcommand("add", "Monitor a folder or mailbox");
  add->add_option("FOLDER", add_args->name,
                  "Folder path (\\\\Store\\Folder\\Sub) or mailbox name")
      ->required();
  add->add_option("--category", add_args->category, "Problem category of its new cases");
  add->add_option("--type", add_args->type, "Problem type of its new cases");
  add->add_option("--technician", add_args->technician, "Technician of its new cases");
  add->add_option("--sla", add_args->sla, "SLA of its new cases");
  add->add_option("--mode", add_args->mode,
                  "New: only new cases; Update: only replies to cases; Both (default)");
  add->callback([&context, add_args] { AddFolder(context, *add_args); });

  CLI::App* list = monitor->add_subcommand("list", "Print the monitored folders");
  list->callback([&context] { ListFolders(context); });

  auto key = std::make_shared<std::string>();
  CLI::App* remove =
      monitor->add_subcommand("remove", "Stop monitoring a folder or mailbox");
  remove->add_option("KEY", *key, "The folder's key as `monitor list` prints it")
      ->required();
  remove->callback([&context, key] { RemoveFolder(context, *key); });
}

}  // namespace zanvoro::app
