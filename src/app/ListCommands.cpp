// `zanvoro case list [--closed]`: the helpdesk's cases, one line each, for a
// person at a shell or a script waiting for cases to appear.
// `zanvoro mail list [--folder PATH]`: the items of one mail folder, one line
// each, so a script can see what was set aside or is still waiting to go.
//
// Lines are tab-separated fields; a field's own tabs and line breaks become
// spaces, so every item is exactly one line.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "case/HelpdeskFolders.h"
#include "case/cCase.h"
#include "host/mail/SendReceive.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace zanvoro::app {
namespace {

std::string OneLine(std::string_view value) {
  std::string text(value);
  std::replace_if(
      text.begin(), text.end(),
      [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return text;
}

struct CaseLine {
  std::string number;
  bool closed = false;
  std::string status;
  std::string subject;
  std::string caller_email;
  size_t log_entries = 0;
  std::string technicians;
};

// Numbers in numeric order; a number with a prefix code sorts as text after
// the plain ones.
bool ComesBefore(const CaseLine& a, const CaseLine& b) {
  bool a_numeric = IsNumeric(a.number);
  bool b_numeric = IsNumeric(b.number);
  if (a_numeric != b_numeric) return a_numeric;
  if (a_numeric) {
    double x = Val(a.number);
    double y = Val(b.number);
    if (x != y) return x < y;
  }
  return a.number < b.number;
}

void CollectCases(const std::shared_ptr<host::MAPIFolder>& folder,
                  std::vector<CaseLine>& lines) {
  if (!folder) return;
  std::shared_ptr<host::Items> items = folder->Items();
  for (int32_t i = 1; i <= items->Count(); ++i) {
    std::shared_ptr<host::Item> item = items->Item(i);
    if (!StartsWithText(item->MessageClass(), kCaseMessageClass)) continue;
    cCase c;
    if (!c.GetCaseFromOutlookItem(item, SaveUnsaved::No)) continue;
    CaseLine line;
    line.number = c.CaseNumber;
    line.closed = c.Closed;
    line.status = c.Status;
    line.subject = c.Subject;
    if (c.Caller) line.caller_email = c.Caller->Email;
    line.log_entries = c.Log ? c.Log->Count() : 0;
    line.technicians = c.Technicians.FullNames();
    lines.push_back(std::move(line));
  }
}

void ListCases(CommandContext& context, bool closed_too) {
  WithHelpdesk(context, [&](cGlobalSettings&) {
    std::vector<CaseLine> lines;
    CollectCases(GetOngoingFolder(), lines);
    if (closed_too) CollectCases(GetResolvedFolder(), lines);
    std::stable_sort(lines.begin(), lines.end(), ComesBefore);
    std::ostream& out = context.Out();
    for (const CaseLine& line : lines) {
      if (!closed_too && line.closed) continue;
      out << OneLine(line.number) << "\t" << (line.closed ? "closed" : "open") << "\t"
          << OneLine(line.status) << "\t" << OneLine(line.subject) << "\t"
          << OneLine(line.caller_email) << "\t" << line.log_entries << "\t"
          << OneLine(line.technicians) << "\n";
    }
    out << std::flush;
  });
}

void ListMail(CommandContext& context, const std::string& path) {
  auto session = host::OpenSession(context.Profile(), nullptr);
  std::shared_ptr<host::MAPIFolder> folder = host::FolderByPath(*session, path);
  std::shared_ptr<host::Items> items = folder->Items();
  std::ostream& out = context.Out();
  for (int32_t i = 1; i <= items->Count(); ++i) {
    std::shared_ptr<host::Item> item = items->Item(i);
    Date received = item->ReceivedTime();
    out << (received.IsZero() ? std::string() : GeneralDateText(received)) << "\t"
        << OneLine(item->SenderEmailAddress()) << "\t" << OneLine(item->Subject()) << "\t"
        << OneLine(item->MessageClass()) << "\n";
  }
  out << std::flush;
}

}  // namespace

void AddListCommands(CLI::App& app, CommandContext& context) {
  CLI::App* cases = app.get_subcommand("case");
  auto closed_too = std::make_shared<bool>(false);
  CLI::App* case_list = cases->add_subcommand(
      "list",
      "Print the open cases, one line each: number, open|closed, status, subject, "
      "caller e-mail, log entries, technicians (tab-separated)");
  case_list->add_flag("--closed", *closed_too, "Also print the closed cases");
  case_list->callback([&context, closed_too] { ListCases(context, *closed_too); });

  CLI::App* mail = app.get_subcommand("mail");
  auto folder = std::make_shared<std::string>();
  CLI::App* mail_list = mail->add_subcommand(
      "list",
      "Print a folder's items, one line each: received, sender, subject, message "
      "class (tab-separated)");
  mail_list->add_option(
      "--folder", *folder,
      "Folder path, e.g. Inbox\\Unprocessed Emails (default: the Inbox)");
  mail_list->callback([&context, folder] { ListMail(context, *folder); });
}

}  // namespace zanvoro::app
