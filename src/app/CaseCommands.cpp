// `zanvoro case show NUMBER [--html]`: a case as the helpdesk holds it,
// read from its item the way the add-in reads it, for a shell or a script.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "case/cCase.h"
#include "host/store/Item.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::app {
namespace {

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

}  // namespace

void AddCaseCommands(CLI::App& app, CommandContext& context) {
  CLI::App* cases = app.add_subcommand("case", "Show the helpdesk's cases");
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
      std::shared_ptr<host::Item> item =
          number.empty() ? nullptr : GetCaseItemFromID(number);
      if (!item) throw Error(err::kNotFound, "no case numbered \"" + args->number + "\"");
      cCase c;
      if (!c.GetCaseFromOutlookItem(item, SaveUnsaved::No)) {
        throw Error(err::kCallFailed, "case " + number + " could not be read");
      }
      PrintCase(context.Out(), c);
      if (args->html) context.Out() << c.ToHTML(kPrintSheet) << "\n";
      context.Out() << std::flush;
    });
  });
}

}  // namespace zanvoro::app
