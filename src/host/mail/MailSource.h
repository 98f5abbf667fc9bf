// Where incoming mail waits before it is delivered into the store: a Maildir
// drop folder, an IMAP mailbox or a POP3 mailbox. Delivery (Delivery.h) is
// the only caller. Not thread-safe; one source per account at a time.
#pragma once

#include <string>
#include <vector>

namespace zanvoro::host {

// One mail waiting at a source.
struct SourceMessage {
  // Names the mail at this source for good, so a mail met again after a
  // crash is known: "maildir:<unique name>", "imap:<UIDVALIDITY>:<UID>",
  // "pop3:<UIDL>". Empty when the source cannot name it (a file dropped by
  // hand); its content then names it.
  std::string identity;
  std::string handle;  // what Fetch and Acknowledge need (a path, a UID)
};

class MailSource {
 public:
  virtual ~MailSource() = default;

  // Connects when needed and lists the mails waiting, oldest first. Raises
  // Error(err::kNetworkError) when the server cannot be reached or refuses
  // the login, Error(err::kPathNotFound) for a folder that cannot be read.
  virtual std::vector<SourceMessage> Pending() = 0;
  // The mail as it was received (RFC 5322 bytes).
  virtual std::string Fetch(const SourceMessage& message) = 0;
  // The mail is safely in the store: gives it up at the source as the
  // account says (removes the file; flags, moves or deletes it on the
  // server) and moves the source's cursor past it.
  virtual void Acknowledge(const SourceMessage& message) = 0;
  // Ends the connection, keeping the cursor. Called again, does nothing.
  virtual void Close() = 0;
};

}  // namespace zanvoro::host
