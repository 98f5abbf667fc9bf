// `zanvoro mail ...`: importing a message file into a folder, exporting an
// item as a message, one send/receive pass in this process, and waking the
// profile's worker.
#include <CLI/CLI.hpp>
#include <ostream>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "host/mail/MailExport.h"
#include "host/mail/MailImport.h"
#include "host/mail/SendReceive.h"
#include "host/mail/Worker.h"
#include "host/os/AtomicFile.h"
#include "host/os/Profile.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "runtime/Error.h"

namespace zanvoro::app {
namespace {

void PrintReport(std::ostream& out, const host::SendReceiveReport& report) {
  for (const host::AccountOutcome& account : report.incoming) {
    out << "receive " << account.account << ": ";
    if (!account.error.empty()) {
      out << "failed: " << account.error << "\n";
    } else {
      out << account.received.delivered << " delivered, " << account.received.known
          << " already there";
      if (account.received.damaged > 0)
        out << ", " << account.received.damaged << " damaged";
      out << "\n";
    }
  }
  out << "send: ";
  if (!report.outgoing_error.empty()) {
    out << "failed: " << report.outgoing_error << "\n";
  } else {
    out << report.outgoing.sent << " sent, " << report.outgoing.retrying << " to retry, "
        << report.outgoing.failed << " failed\n";
  }
  out.flush();
}

}  // namespace

void AddMailCommands(CLI::App& app, CommandContext& context) {
  CLI::App* mail = app.add_subcommand("mail", "Import, export, send and receive mail");
  mail->require_subcommand(1);

  struct Arguments {
    std::string file, folder, entry_id;
  };
  auto args = std::make_shared<Arguments>();

  CLI::App* import =
      mail->add_subcommand("import", "Store a message file (RFC 5322) as a mail item");
  import->add_option("FILE", args->file, "The message file (.eml)")->required();
  import->add_option("--folder", args->folder,
                     "Folder path, e.g. Inbox\\Support (default: the Inbox)");
  import->callback([&context, args] {
    std::optional<std::string> text = host::ReadFileIfExists(args->file);
  if (!text) throw Error(err::kFileNotFound, "There is no file " + args->file);
  auto session = host::OpenSession(context.Profile(ProfileUse::CreateIfMissing), nullptr);
  auto folder = host::FolderByPath(*session, args->folder);
  auto item = folder->Items()->Add("IPM.Note");
  host::ImportOutcome outcome = host::ImportMessage(*text, *item, Now());
  item->Save();
  if (outcome.damaged)
    context.Err() << "zanvoro: warning: the message is damaged: " << outcome.problem
                  << std::endl;
  context.Out() << item->EntryID() << std::endl;
});

CLI::App* export_command =
    mail->add_subcommand("export", "Print a mail item as the message it sends");
export_command->add_option("ENTRYID", args->entry_id, "The item's entry ID")->required();
export_command->callback([&context, args] {
  const host::Profile& profile = context.Profile();
  auto session = host::OpenSession(profile, nullptr);
  auto item = session->GetItemFromID(args->entry_id);
  host::ExportOptions options;
  options.user = host::UserInfo{profile.user_name, profile.smtp_address};
  options.message_id_domain = profile.message_id_domain;
  context.Out() << host::ExportMessage(*item, options).rfc5322;
  context.Out().flush();
});

CLI::App* pass = mail->add_subcommand(
    "send-receive", "Receive from every account and send the Outbox, once");
pass->callback([&context] {
  const host::Profile& profile = context.Profile(ProfileUse::CreateIfMissing);
  auto session = host::OpenSession(profile, nullptr);
  host::SendReceiveReport report = host::SendAndReceive(profile, *session);
  PrintReport(context.Out(), report);
  if (!report.AllWell())
    throw Error(err::kNetworkError, "send/receive finished with errors");
});

CLI::App* deliver_now = mail->add_subcommand(
    "deliver-now", "Wake the profile's send/receive worker (ZanvoroProcess)");
deliver_now->callback([&context] {
  if (!host::DeliverNow(context.ProfileFolder())) {
    throw Error(err::kNotFound,
                "no send/receive worker runs for " + context.ProfileFolder().string());
  }
});
}  // namespace zanvoro::app

}  // namespace zanvoro::app
