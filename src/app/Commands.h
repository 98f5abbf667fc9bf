// The command line of the `zanvoro` program: the global option --profile DIR
// and one subcommand. Each group of commands adds itself to the program's
// command line with an Add...Commands function; a new group is one more
// function called from RunCommandLine.
#pragma once

#include <iosfwd>
#include <stdexcept>

namespace CLI {
class App;
}  // namespace CLI

namespace zanvoro::app {

class CommandContext;

// The exit code of a command that stopped before doing anything because it
// would have had to ask a question that nobody can answer (no terminal, and
// no option that answers it).
inline constexpr int kExitUnanswered = 2;
// Raised by such a command; RunCommandLine prints "zanvoro: <what>" and
// returns kExitUnanswered.
class UnansweredQuestion : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses and runs the command line; returns the exit code: 0 on success, 1
// when the command failed (one line "zanvoro: <what went wrong>" on `err`),
// the parser's own non-zero code for a malformed command line (with its
// message and a hint to --help). Nothing escapes as an exception.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out,
                   std::ostream& err);

// `run`: opens the profile, runs the session until SIGINT or SIGTERM.
void AddRunCommand(CLI::App& app, CommandContext& context);
// `profile show`.
void AddProfileCommands(CLI::App& app, CommandContext& context);
// `hive get KEY NAME`, `hive set KEY NAME VALUE`.
void AddHiveCommands(CLI::App& app, CommandContext& context);
// `mail import`, `mail export`, `mail send-receive`, `mail deliver-now`.
void AddMailCommands(CLI::App& app, CommandContext& context);
// `settings get|set KEY [VALUE]`, `lists export|import LIST FILE`.
void AddSettingsCommands(CLI::App& app, CommandContext& context);
// `case show NUMBER [--html]`, `case close NUMBER [--skip-check] [--yes]`,
// `case reopen NUMBER [--yes]`, `case delete NUMBER [--yes]`,
// `case apply-xml FILE`, `case watch-xml FOLDER [--once]`.
void AddCaseCommands(CLI::App& app, CommandContext& context);
// `monitor add FOLDER [--category C] [--type T] [--technician N] [--sla S]
// [--mode New|Update|Both]`, `monitor list`, `monitor remove KEY`.
void AddMonitorCommands(CLI::App& app, CommandContext& context);
// `archive --from DATE --to DATE --store FILE [--folder PATH] [--date-folder]`.
void AddArchiveCommands(CLI::App& app, CommandContext& context);
// `case list [--closed]` and `mail list [--folder PATH]`, added to the `case`
// and `mail` commands (so after AddCaseCommands and AddMailCommands).
void AddListCommands(CLI::App& app, CommandContext& context);
// `sms send NUMBER TEXT`, `sms gateways`.
void AddSmsCommands(CLI::App& app, CommandContext& context);
// `view FOLDER [--sort COLUMN] [--descending] [--limit N] [--width C=W]`.
void AddViewCommands(CLI::App& app, CommandContext& context);
// `manage` (the backstage as a console menu) and `command ID`.
void AddManageCommands(CLI::App& app, CommandContext& context);
// `report ...` and `statistics export`.
void AddReportCommands(CLI::App& app, CommandContext& context);

}  // namespace zanvoro::app
