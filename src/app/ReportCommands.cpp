// `zanvoro report KIND... [--period P | --from DATE --to DATE] [--filter F]
// [--fields "Case Number;Subject"] [--out FILE]`: the helpdesk report as
// HTML, on the output or into FILE. KIND is created, resolved, ongoing,
// worked, due or all.
// `zanvoro statistics export [--cases open|resolved|all] [--db LOCATION]`:
// the reporting database of cases, with a progress bar on a terminal.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "host/os/AtomicFile.h"
#include "reports/HelpdeskReport.h"
#include "reports/ReportingDatabase.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::app {
namespace {

// A bar that redraws itself on one terminal line.
class TerminalProgress {
 public:
  explicit TerminalProgress(std::ostream& out)
      : out_(out), terminal_(::isatty(STDERR_FILENO)) {}
  void Show(const ExportStep& step) {
    if (!terminal_ || step.Total == 0) return;
    int percent = static_cast<int>(100 * step.Done / step.Total);
    if (percent == percent_ && step.Phase == phase_) return;
    percent_ = percent;
    phase_ = step.Phase;
    out_ << "\r"
         << (step.Phase == ExportPhase::Reading ? "Reading cases " : "Writing rows  ")
         << "[" << std::string(static_cast<size_t>(percent / 5), '#')
         << std::string(static_cast<size_t>(20 - percent / 5), '.') << "] " << percent
         << "% " << step.Done << "/" << step.Total << std::flush;
  }
  ~TerminalProgress() {
    if (terminal_ && percent_ >= 0) out_ << "\n";
  }

 private:
  std::ostream& out_;
  bool terminal_;
  int percent_ = -1;
  ExportPhase phase_ = ExportPhase::Reading;
};

}  // namespace

void AddReportCommands(CLI::App& app, CommandContext& context) {
  struct Arguments {
    std::vector<std::string> kinds;
    std::string period = "this-month";
    std::string from;
    std::string to;
    std::string filter = "None";
    std::string fields;
    std::string out;
  };
  auto args = std::make_shared<Arguments>();
  CLI::App* report = app.add_subcommand(
      "report", "Write the helpdesk report (printable HTML) of cases in a period");
  report
      ->add_option("kinds", args->kinds,
                   "created, resolved, ongoing, worked, due, or all")
      ->required();
  report->add_option("--period", args->period,
                     "today, yesterday, this-week, last-week, this-month (default), "
                     "last-month, this-year, last-year");
  report->add_option("--from", args->from, "First day (with --to: between dates)");
  report->add_option("--to", args->to, "Last day");
  report->add_option("--filter", args->filter,
                     "Resolution time: \"Within 24 hours\", \"Within 48 hours\", "
                     "\"Within 72 hours\", \"After 72 hours\"");
  report->add_option("--fields", args->fields,
                     "Field captions separated by \";\" (default: Case Number, Subject, "
                     "Caller Name, Technicians, Time Spent)");
  report->add_option("--out", args->out, "The HTML file to write (default: the output)");
  report->callback([&context, args] {
    ReportChoices choices;
    for (const std::string& text : args->kinds) {
      if (TextEquals(text, "all")) {
        choices.Kinds.fill(true);
        continue;
      }
      ReportKind kind;
      if (!ParseReportKind(text, kind))
        throw Error(err::kInvalidProcedureCall, "Unknown report: " + text);
      choices.Kinds[static_cast<size_t>(kind)] = true;
    }
    if (!args->from.empty() || !args->to.empty()) {
      choices.Period = TimePeriod::BetweenDates;
      choices.From = DateOption(args->from, "--from");
      choices.To = DateOption(args->to, "--to");
    } else if (!ParseTimePeriod(args->period, choices.Period) ||
               choices.Period == TimePeriod::BetweenDates) {
      throw Error(err::kInvalidProcedureCall, "Unknown period: " + args->period);
    }
    bool known_filter = false;
    for (int f = 0; f < 5; ++f) {
      if (TextEquals(args->filter, kResolutionFilterCaptions[f])) {
        choices.Filter = static_cast<ResolutionFilter>(f);
        known_filter = true;
      }
    }
    if (!known_filter)
      throw Error(err::kInvalidProcedureCall,
                  "Unknown resolution filter: " + args->filter);
    if (args->fields.empty()) {
      for (const std::string& caption : ReportFieldCaptions())
        if (IsDefaultReportField(caption)) choices.Fields.push_back(caption);
    } else {
      for (const std::string& piece : Split(args->fields, ";"))
        if (!Trim(piece).empty()) choices.Fields.push_back(Trim(piece));
    }
    std::string problem = ReportChoicesProblem(choices);
    if (!problem.empty()) throw Error(err::kInvalidProcedureCall, problem);
    WithHelpdesk(context, [&](cGlobalSettings& settings) {
      std::string html = BuildHelpdeskReport(choices, settings.CurrentUserName, Now());
      if (html.empty()) throw Error(err::kCallFailed, "the report could not be made");
      if (args->out.empty()) {
        context.Out() << html << std::endl;
      } else {
        host::WriteFileAtomically(args->out, html);
        context.Out() << "The report was written to " << args->out << std::endl;
      }
    });
  });

  struct ExportArguments {
    std::string cases = "all";
    std::string location;
  };
  auto export_args = std::make_shared<ExportArguments>();
  CLI::App* statistics =
      app.add_subcommand("statistics", "The reporting database of cases");
  statistics->require_subcommand(1);
  CLI::App* export_command = statistics->add_subcommand(
      "export", "Rebuild the reporting database from the open, resolved or all cases");
  export_command->add_option("--cases", export_args->cases,
                             "open, resolved or all (default)");
  export_command->add_option(
      "--db", export_args->location,
      "The database: an SQLite file or a postgresql:// address (default: " +
          std::string(kReportingDatabaseName) + " in the reporting folder)");
  export_command->callback([&context, export_args] {
    CaseChoice choice = CaseChoice::Both;
    if (TextEquals(export_args->cases, "open") ||
        TextEquals(export_args->cases, "ongoing")) {
      choice = CaseChoice::Ongoing;
    } else if (TextEquals(export_args->cases, "resolved")) {
      choice = CaseChoice::Resolved;
    } else if (!TextEquals(export_args->cases, "all")) {
      throw Error(err::kInvalidProcedureCall, "--cases: open, resolved or all");
    }
    WithHelpdesk(context, [&](cGlobalSettings&) {
      std::string location = export_args->location.empty()
                                 ? ReportingDatabasePath().string()
                                 : export_args->location;
      ExportResult result;
      {
        TerminalProgress progress(context.Err());
        result = ExportCases(choice, location, Now(), [&](const ExportStep& step) {
          progress.Show(step);
          return true;
        });
      }
      if (!result.Ok) throw Error(err::kCallFailed, "the export failed");
      context.Out() << result.Rows << " case(s) written to " << location << std::endl;
    });
  });
}

}  // namespace zanvoro::app
