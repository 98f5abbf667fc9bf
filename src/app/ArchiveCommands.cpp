// `zanvoro archive --from DATE --to DATE --store FILE [--folder PATH]
// [--date-folder]`: moves the resolved cases closed in the period into a
// folder of an archive store file. Without --from, every case closed on
// --to or before goes. A run that was stopped is finished by running it
// again with the same options.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "host/store/MAPIFolder.h"
#include "periphery/ArchiveCases.h"
#include "runtime/Date.h"
#include "runtime/Error.h"

namespace zanvoro::app {
void AddArchiveCommands(CLI::App& app, CommandContext& context) {
  struct Arguments {
    std::string from;
    std::string to;
    std::string store;
    std::string folder = kDefaultArchiveFolder;
    std::string name = kDefaultArchiveName;
    bool date_folder = false;
  };
  auto args = std::make_shared<Arguments>();
  CLI::App* archive = app.add_subcommand(
      "archive",
      "Move the resolved cases closed in a period into an archive store file (run it "
      "again to finish a run that was stopped)");
  archive->add_option("--from", args->from, "First closing day (default: any day)");
  archive->add_option("--to", args->to, "Last closing day")->required();
  archive
      ->add_option("--store", args->store, "The archive store file (made when missing)")
      ->required();
  archive->add_option("--folder", args->folder,
                      "Folder of the archive, e.g. \"Cases\\2026\" (made when missing)");
  archive->add_option("--name", args->name, "Display name of a new archive store");
  archive->add_flag("--date-folder", args->date_folder,
                    "Put the cases in a sub-folder named by the period's dates");
  archive->callback([&context, args] {
    ArchivePeriod period;
    if (args->from.empty()) {
      period.Filter = kTillThisDate;
      period.DateBefore = DateOption(args->to, "--to");
    } else {
      period.Filter = kBetween;
      period.Start = DateOption(args->from, "--from");
      period.End = DateOption(args->to, "--to");
    }
    WithHelpdesk(context, [&](cGlobalSettings&) {
      auto store = OpenArchiveStore(args->store, args->name);
      if (!store) throw Error(err::kCallFailed, "the archive could not be opened");
      auto target = ArchiveTargetFolder(
          store, args->folder, args->date_folder ? DateSubFolder::Yes : DateSubFolder::No,
          period);
      if (!target)
        throw Error(err::kCallFailed, "Please specify a valid folder in the PST!");
      std::vector<ArchiveCandidate> cases = ListCasesToArchive(period);
      context.Out() << cases.size() << " case(s) to archive into " << target->FolderPath()
                    << std::endl;
      ArchiveReport report = MoveCasesToArchive(cases, target);
      context.Out() << ArchiveReportText(report) << std::endl;
      if (report.Failed > 0)
        throw Error(err::kCallFailed, "some cases could not be moved");
    });
  });
}

}  // namespace zanvoro::app
