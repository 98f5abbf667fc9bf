#include "host/mail/SendReceive.h"

#include "host/mail/ImapSource.h"
#include "host/mail/MaildirSource.h"
#include "host/mail/OutboxTransport.h"
#include "host/mail/Pop3Source.h"
#include "host/mail/SendmailTransport.h"
#include "host/mail/SmtpTransport.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Store.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.SendReceive";

std::string Describe(const std::exception& error) {
  if (auto* e = dynamic_cast<const Error*>(&error)) return e->Description();
  return error.what();
}

// A name that is safe as a file name.
std::string FileNameOf(std::string_view name) {
  std::string out;
  for (char c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                 (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
    out += plain ? c : '_';
  }
  if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
  return out;
}

}  // namespace

bool SendReceiveReport::AllWell() const {
  if (!outgoing_error.empty()) return false;
  for (const AccountOutcome& a : incoming) {
    if (!a.error.empty()) return false;
  }
  return true;
}

std::shared_ptr<MAPIFolder> FolderByPath(NameSpace& session, std::string_view path) {
  std::string text = Replace(path, "/", "\\");
  if (Trim(text).empty()) return session.GetDefaultFolder(DefaultFolder::Inbox);
  std::vector<std::string> names;
  for (std::string& part : Split(text, "\\")) {
    if (!part.empty()) names.push_back(std::move(part));
  }
  std::shared_ptr<MAPIFolder> folder;
  size_t first = 0;
  if (StartsWithText(text, "\\\\")) {
    for (const std::shared_ptr<MAPIFolder>& root : session.Folders().All()) {
      if (!names.empty() && TextEquals(root->Name(), names[0])) folder = root;
    }
    first = 1;
  } else {
    folder = session.GetDefaultFolder(DefaultFolder::Inbox)->GetStore()->GetRootFolder();
  }
  for (size_t i = first; folder && i < names.size(); ++i)
    folder = folder->Folders().Item(names[i]);
  if (!folder) {
    throw Error(err::kNotFound, "There is no folder \"" + std::string(path) + "\"",
                kSource);
  }
  return folder;
}

std::filesystem::path CursorFile(const Profile& profile, const IncomingAccount& account) {
  return profile.folder / "accounts" / (FileNameOf(account.name) + ".cursor");
}

std::unique_ptr<MailSource> MakeSource(const Profile& profile,
                                       const IncomingAccount& account) {
  switch (account.kind) {
    case IncomingKind::Maildir:
      return std::make_unique<MaildirSource>(account.maildir);
    case IncomingKind::Imap:
      return std::make_unique<ImapSource>(account, CursorFile(profile, account));
    case IncomingKind::Pop3:
      return std::make_unique<Pop3Source>(account);
  }
  return nullptr;
}

std::unique_ptr<MailTransport> MakeTransport(const Profile& profile) {
  const OutgoingAccount& out = profile.outgoing;
  switch (out.kind) {
    case OutgoingKind::Outbox:
      return std::make_unique<OutboxTransport>(out.outbox);
    case OutgoingKind::Smtp:
      return std::make_unique<SmtpTransport>(out.server);
    case OutgoingKind::Sendmail:
      return std::make_unique<SendmailTransport>(out.program);
  }
  return nullptr;
}

SendReceiveReport SendAndReceive(const Profile& profile, NameSpace& session,
                                 const StopRequested& stop_requested) {
  SendReceiveReport report;
  for (const IncomingAccount& account : profile.incoming) {
    if (stop_requested && stop_requested()) return report;
    AccountOutcome outcome;
    outcome.account = account.name;
    try {
      auto folder = FolderByPath(session, account.deliver_to);
      auto source = MakeSource(profile, account);
      outcome.received = Receive(*source, account.name, *folder, stop_requested);
      source->Close();
    } catch (const std::exception& error) {
      outcome.error = Describe(error);
    }
    report.incoming.push_back(std::move(outcome));
  }
  if (stop_requested && stop_requested()) return report;
  try {
    ExportOptions options;
    options.user = UserInfo{profile.user_name, profile.smtp_address};
    options.message_id_domain = profile.message_id_domain;
    auto transport = MakeTransport(profile);
    report.outgoing = Dispatch(session, *transport, options, stop_requested);
    transport->Close();
  } catch (const std::exception& error) {
    report.outgoing_error = Describe(error);
  }
  return report;
}

}  // namespace zanvoro::host
