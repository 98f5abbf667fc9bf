// `zanvoro view FOLDER [--sort COLUMN] [--descending] [--limit N]
// [--width COLUMN=TWIPS]...`: a folder's view as the explorer shows it, as a
// table on the console. FOLDER is a helpdesk folder's name (Ongoing,
// Resolved, KB, History, Settings, Schedule) or a folder path. Widths given
// are remembered for the view before it is shown.
#include <CLI/CLI.hpp>
#include <istream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "addin/CaseFolderViews.h"
#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "case/HelpdeskFolders.h"
#include "host/mail/SendReceive.h"
#include "host/store/MAPIFolder.h"
#include "host/ui/ConsoleRenderer.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::app {
namespace {

struct ViewArguments {
  std::string folder;
  std::string sort;
  bool descending = false;
  size_t limit = 0;
  std::vector<std::string> widths;
};

std::shared_ptr<host::MAPIFolder> ViewedFolder(const std::string& name) {
  const struct {
    const char* name;
    HelpdeskFolder kind;
  } helpdesk_folders[] = {
      {"Ongoing", HelpdeskFolder::Ongoing},
      {"Resolved", HelpdeskFolder::Resolved},
      {"KB", HelpdeskFolder::KB},
      {"History", HelpdeskFolder::History},
      {"Settings", HelpdeskFolder::Settings},
      {"Schedule", HelpdeskFolder::Schedule},
  };
  for (const auto& helpdesk_folder : helpdesk_folders) {
    if (!TextEquals(name, helpdesk_folder.name)) continue;
    auto folder = HelpdeskFolderOf(helpdesk_folder.kind);
    if (!folder) {
      throw Error(err::kNotFound, "the helpdesk has no " + name + " folder");
    }
    return folder;
  }
  auto session = HelpdeskSession();
  if (!session) throw Error(err::kCallFailed, "the mail session is not open");
  return host::FolderByPath(*session, name);
}

void ShowView(CommandContext& context, const ViewArguments& args) {
  WithHelpdesk(context, [&](cGlobalSettings&) {
    std::shared_ptr<host::MAPIFolder> folder = ViewedFolder(args.folder);
    FolderKind kind = GetFolderKind(folder.get());
    for (const std::string& width : args.widths) {
      size_t equals = width.find('=');
      std::string value = equals == std::string::npos ? "" : width.substr(equals + 1);
      if (equals == std::string::npos || !IsNumeric(value) || Val(value) <= 0) {
        throw Error(
            err::kInvalidProcedureCall,
            "--width takes COLUMN=TWIPS with a positive width, not \"" + width + "\"");
      }
      if (!SaveFolderViewColumnWidth(kind, width.substr(0, equals),
                                     static_cast<int>(Val(value)))) {
        throw Error(err::kCallFailed, "the column width could not be remembered");
      }
    }
    FolderViewOptions options;
    options.sort_column = args.sort;
    options.order = args.descending ? SortOrder::Descending : SortOrder::Ascending;
    options.limit = args.limit;
    host::TableView view = BuildFolderView(folder, options);
    std::istringstream no_input;
    host::ConsoleRenderer(no_input, context.Out(), host::ConsoleMode::Unattended)
        .ShowTable(view);
  });
}

}  // namespace

void AddViewCommands(CLI::App& app, CommandContext& context) {
  auto args = std::make_shared<ViewArguments>();
  CLI::App* view =
      app.add_subcommand("view", "Print a folder's view as a table (one row per item)");
  view->add_option("FOLDER", args->folder,
                   "Ongoing, Resolved, KB, History, Settings, Schedule or a folder path")
      ->required();
  view->add_option("--sort", args->sort, "Sort by this column (name or heading)");
  view->add_flag("--descending", args->descending, "Sort the largest first");
  view->add_option("--limit", args->limit, "Print at most this many rows");
  view->add_option("--width", args->widths,
                   "Remember a column's width: COLUMN=TWIPS (100 twips a character)");
  view->callback([&context, args] { ShowView(context, *args); });
}

}  // namespace zanvoro::app
