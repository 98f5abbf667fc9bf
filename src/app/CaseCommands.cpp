// `zanvoro case show NUMBER [--html]`: a case as the helpdesk holds it,
// read from its item the way the add-in reads it, for a shell or a script.
// `zanvoro case close|reopen|delete NUMBER`: the case operations, with their
// questions asked on a terminal or answered by --yes.
// `zanvoro case apply-xml FILE`: a change made on the web-access site;
// `zanvoro case watch-xml FOLDER [--once]`: every such file dropped there.
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "case/cCase.h"
#include "errors/modErroHandling.h"
#include "host/store/Item.h"
#include "host/ui/ConsoleRenderer.h"
#include "host/ui/MsgBox.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "workflow/CaseOperations.h"
#include "workflow/CaseXmlDrop.h"
#include "workflow/CaseXmlExchange.h"

namespace zanvoro::app {
namespace {

volatile std::sig_atomic_t stop_watching = 0;
extern "C" void StopWatching(int) { stop_watching = 1; }

// The print sheet among the notification bodies.
constexpr int32_t kPrintSheet = 2;

std::string DateField(Date date) {
  if (date.IsZero() || date.IsNoDate()) return {};
  return GeneralDateText(date);
}

// A value over several lines continues on indented lines, so each field
// still starts a line of its own.
std::string OneField(std::string_view value) {
  return Replace(Replace(value, "\r\n", "\n"), "\n", "\n  ");
}

void PrintCase(std::ostream& out, const cCase& c) {
  auto field = [&out](std::string_view name, std::string_view value) {
    out << name << ": " << OneField(value) << "\n";
  };
  const cCaller caller = c.Caller.value_or(cCaller{});
  field("Case ID", c.CaseID);
  field("Case number", c.CaseNumber);
  field("Subject", c.Subject);
  field("Status", c.Status);
  field("Closed", c.Closed ? "Yes" : "No");
  field("Importance", ImportanceText(c.Importance));
  field("Problem category", c.ProblemCategory);
  field("Problem type", c.ProblemType);
  field("Problem field", c.ProblemField);
  field("Service level", c.ServiceLevel);
  field("Origin", c.Origin);
  field("Author", c.Author);
  field("Technicians", c.Technicians.FullNames());
  field("Caller name", caller.Name);
  field("Caller e-mail", caller.Email);
  field("Caller phone", caller.Phone);
  field("Caller mobile", caller.Mobile);
  field("Caller company", caller.Company);
  field("Caller department", caller.Department);
  field("Caller address", caller.Address);
  field("Associated users", c.AssociatedUsers ? c.AssociatedUsers->ToString() : "");
  field("Assets", c.Assets ? c.Assets->Names() : "");
  field("Recipient address", c.RecipientEmailAddress);
  field("Date created", DateField(c.DateCreated));
  field("Received date", DateField(c.ReceivedDate));
  field("Due date", DateField(c.DueDate));
  field("Date closed", DateField(c.DateClosed));
  field("Last modified", DateField(c.LastModificationTime));
  field("Time spent (mins)", c.TimeSpent);
  field("Time spent cost", CurrencyText(c.TimeSpentCost));
  for (int n = 1; n <= 10; ++n) {
    field("Custom field " + std::to_string(n), *c.CustomField(n));
  }
  field("Notes", c.Notes);
  field("Entry ID", c.EntryID);
  field("Body", c.Body);
  out << "Log:\n";
  if (c.Log) {
    for (const auto& entry : *c.Log)
      out << "  " << OneField(entry.Value().ToString()) << "\n";
  }
  out << "Work:\n";
  if (c.Works) {
    for (const auto& entry : *c.Works)
      out << "  " << OneField(entry.Value().ToString()) << "\n";
  }
}

// The case item numbered `number`; raises an Error when there is none.
std::shared_ptr<host::Item> CaseItem(const std::string& number) {
  std::string trimmed = Trim(number);
  std::shared_ptr<host::Item> item =
      trimmed.empty() ? nullptr : GetCaseItemFromID(trimmed);
  if (!item) throw Error(err::kNotFound, "no case numbered \"" + number + "\"");
  return item;
}

bool IsClosedCase(const host::Item& item) {
  return TextEquals(item.MessageClass(), kClosedCaseMessageClass);
}

// Whether a person at a terminal can answer the operation's questions.
bool OnTerminal() {
  const char* ui = std::getenv("ZANVORO_UI");
  if (ui && std::string_view(ui) == "scripted") return false;
  return ::isatty(STDIN_FILENO) != 0;
}

// How the questions of `what` are answered: --yes answers them; otherwise a
// person at a terminal is asked; otherwise the command refuses before it
// changes anything, rather than guess.
Confirm Confirmation(bool yes, std::string_view what) {
  if (yes) return Confirm::DontAsk;
  if (OnTerminal()) return Confirm::Ask;
  throw UnansweredQuestion(std::string(what) +
                           " asks for a confirmation and there is no terminal to ask "
                           "on; run it again with --yes to confirm");
}

struct OperationArguments {
  std::string number;
  bool yes = false;
  bool skip_check = false;
};

// Runs `operation` on the opened helpdesk; a person at a terminal answers
// its questions there.
void RunOperation(CommandContext& context, Confirm confirm,
                  const std::function<void()>& operation) {
  WithHelpdesk(context, [&](cGlobalSettings&) {
    if (confirm == Confirm::Ask) {
      host::ScopedRenderer terminal(std::make_shared<host::ConsoleRenderer>());
      operation();
    } else {
      operation();
    }
  });
}

void AddCloseCommand(CLI::App& cases, CommandContext& context) {
  auto args = std::make_shared<OperationArguments>();
  CLI::App* close = cases.add_subcommand(
      "close",
      "Close a case: check its mandatory fields, move it to Resolved and notify the "
      "caller "
      "(exit code 1 when refused, 2 when a question cannot be asked)");
  close->add_option("NUMBER", args->number, "Case number, e.g. 42")->required();
  close->add_flag("--skip-check", args->skip_check,
                  "Close without the mandatory-field check");
  close->add_flag("--yes", args->yes, "Answer the confirmation with yes");
  close->callback([&context, args] {
    Confirm confirm = Confirmation(args->yes, "closing a case");
    RunOperation(context, confirm, [&] {
      std::string number = Trim(args->number);
      auto item = CaseItem(args->number);
      if (IsClosedCase(*item))
        throw Error(err::kCallFailed, "case " + number + " is closed already");
      if (!args->skip_check) {
        std::string missing = PerformCheckBeforeMarkingComplete(*item);
        if (!missing.empty()) throw Error(err::kCallFailed, missing);
      }
      if (confirm == Confirm::Ask &&
          host::MsgBox(CloseCaseQuestion(number),
                       host::vbYesNo + host::vbQuestion,
                       kApplicationTitle) != host::vbYes) {
        throw Error(err::kCallFailed, "case " + number + " was left open");
      }
      if (!MarkComplete(item, MandatoryCheck::Skip)) {
        throw Error(err::kCallFailed, "case " + number + " could not be closed");
      }
      context.Out() << "Case " << number << " closed" << std::endl;
    });
  });
}

void AddReopenCommand(CLI::App& cases, CommandContext& context) {
  auto args = std::make_shared<OperationArguments>();
  CLI::App* reopen = cases.add_subcommand(
      "reopen",
      "Re-open a closed case: move it back to Ongoing and notify the technicians");
  reopen->add_option("NUMBER", args->number, "Case number, e.g. 42")->required();
  reopen->add_flag("--yes", args->yes, "Answer the confirmation with yes");
  reopen->callback([&context, args] {
    Confirm confirm = Confirmation(args->yes, "re-opening a case");
    RunOperation(context, confirm, [&] {
      std::string number = Trim(args->number);
      auto item = CaseItem(args->number);
      if (!IsClosedCase(*item))
        throw Error(err::kCallFailed, "case " + number + " is not closed");
      if (!ReOpenCase(item, confirm)) {
        throw Error(err::kCallFailed, "case " + number + " was not re-opened");
      }
      context.Out() << "Case " << number << " re-opened" << std::endl;
    });
  });
}

void AddDeleteCommand(CLI::App& cases, CommandContext& context) {
  auto args = std::make_shared<OperationArguments>();
  CLI::App* remove = cases.add_subcommand(
      "delete", "Delete a case with its e-mails and its due-date entries");
  remove->add_option("NUMBER", args->number, "Case number, e.g. 42")->required();
  remove->add_flag("--yes", args->yes, "Answer the confirmation with yes");
  remove->callback([&context, args] {
    Confirm confirm = Confirmation(args->yes, "deleting a case");
    RunOperation(context, confirm, [&] {
      std::string number = Trim(args->number);
      auto item = CaseItem(args->number);
      if (!DeleteSelectedCase(item, confirm)) {
        throw Error(err::kCallFailed, "case " + number + " was not deleted");
      }
      context.Out() << "Case " << number << " deleted" << std::endl;
    });
  });
}

}  // namespace

void AddCaseCommands(CLI::App& app, CommandContext& context) {
  CLI::App* cases =
      app.add_subcommand("case", "Show, close, re-open and delete the helpdesk's cases");
  cases->require_subcommand(1);

  struct Arguments {
    std::string number;
    bool html = false;
  };
  auto args = std::make_shared<Arguments>();

  CLI::App* show = cases->add_subcommand(
      "show", "Print a case's fields, log and work (exit code 1 when there is none)");
  show->add_option("NUMBER", args->number, "Case number, e.g. 42")->required();
  show->add_flag("--html", args->html, "Also print the case's print sheet as HTML");
  show->callback([&context, args] {
    WithHelpdesk(context, [&](cGlobalSettings&) {
      std::string number = Trim(args->number);
      std::shared_ptr<host::Item> item = CaseItem(args->number);
      cCase c;
      if (!c.GetCaseFromOutlookItem(item, SaveUnsaved::No)) {
        throw Error(err::kCallFailed, "case " + number + " could not be read");
      }
      PrintCase(context.Out(), c);
      if (args->html) context.Out() << c.ToHTML(kPrintSheet) << "\n";
      context.Out() << std::flush;
    });
  });

  auto xml_file = std::make_shared<std::string>();
  CLI::App* apply = cases->add_subcommand(
      "apply-xml",
      "Apply a web-access XML file (an update or a caller's reply) to the case it names "
      "(exit code 1 when the file is refused; the case is then unchanged)");
  apply->add_option("FILE", *xml_file, "The XML file")->required();
  apply->callback([&context, xml_file] {
    WithHelpdesk(context, [&](cGlobalSettings&) {
      CaseXmlOutcome outcome = ApplyCaseXmlFile(*xml_file);
      if (!outcome.applied)
        throw Error(err::kCallFailed, *xml_file + ": " + outcome.message);
      context.Out() << outcome.message << std::endl;
    });
  });

  struct WatchArguments {
    std::string folder;
    bool once = false;
  };
  auto watch_args = std::make_shared<WatchArguments>();
  CLI::App* watch = cases->add_subcommand(
      "watch-xml",
      "Apply every web-access XML file dropped into a folder, moving each into done/ or "
      "refused/ (with the reason) after; runs until SIGINT or SIGTERM");
  watch->add_option("FOLDER", watch_args->folder, "The drop folder")->required();
  watch->add_flag("--once", watch_args->once, "Handle the files there now, then stop");
  watch->callback([&context, watch_args] {
    WithHelpdesk(context, [&](cGlobalSettings&) {
      struct sigaction action {};
      action.sa_handler = StopWatching;
      sigaction(SIGINT, &action, nullptr);
      sigaction(SIGTERM, &action, nullptr);
      auto print = [&](const std::filesystem::path& file, const CaseXmlOutcome& outcome) {
        context.Out() << file.string() << ": " << outcome.message << std::endl;
      };
      while (!stop_watching) {
        ProcessCaseXmlDrop(watch_args->folder, print);
        if (watch_args->once) break;
        for (int i = 0; i < 10 && !stop_watching; ++i)
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
    });
  });

  AddCloseCommand(*cases, context);
  AddReopenCommand(*cases, context);
  AddDeleteCommand(*cases, context);
}

}  // namespace zanvoro::app
