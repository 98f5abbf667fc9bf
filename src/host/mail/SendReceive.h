// One send/receive pass over the accounts of a profile, as the worker
// process (ZanvoroProcess) and `zanvoro mail send-receive` run it: every
// incoming account delivers into its store folder, then the Outbox is
// flushed through the outgoing account. One account's failure (a server
// that cannot be reached) is reported and the others go on.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/mail/Delivery.h"
#include "host/mail/Dispatch.h"
#include "host/os/Profile.h"
#include "host/store/NameSpace.h"

namespace zanvoro::host {

class EventLoop;
class MailSource;
class MailTransport;
class MAPIFolder;
class NameSpace;

struct AccountOutcome {
  std::string account;
  ReceiveReport received;
  std::string error;  // empty when the account was read without trouble
};

struct SendReceiveReport {
  std::vector<AccountOutcome> incoming;
  DispatchReport outgoing;
  std::string outgoing_error;
  bool AllWell() const;
};

// A folder by its path: "\\Store\Inbox\Support" as FolderPath writes it, or
// a path below the user's mailbox ("Inbox\Support"; "/" separates too);
// empty means the Inbox. Names compare without regard to case. Raises
// Error(err::kNotFound) naming the path when there is no such folder.
std::shared_ptr<MAPIFolder> FolderByPath(NameSpace& session, std::string_view path);

// Where an account keeps its cursor: "<profile>/accounts/<name>.cursor".
std::filesystem::path CursorFile(const Profile& profile, const IncomingAccount& account);
std::unique_ptr<MailSource> MakeSource(const Profile& profile,
                                       const IncomingAccount& account);
std::unique_ptr<MailTransport> MakeTransport(const Profile& profile);

// The pass. Never raises for an account's or the transport's failure (they
// are in the report); `stop_requested` ends it between mails.
SendReceiveReport SendAndReceive(const Profile& profile, NameSpace& session,
                                 const StopRequested& stop_requested = {});

}  // namespace zanvoro::host
