// How outgoing mail leaves: the outbox Maildir, SMTP or a sendmail-compatible
// program. Dispatch (Dispatch.h) is the only caller. Not thread-safe.
#pragma once

#include <string>

namespace zanvoro::host {

struct ExportedMail;

// Sent: the next hop took the mail. Retry: it may work later (no
// connection, a 4xx reply). Failed: it never will (a 5xx reply, a program
// that refused the mail for good).
enum class SendStatus { Sent, Retry, Failed };

struct SendResult {
  SendStatus status = SendStatus::Sent;
  std::string detail;  // what the next hop said, for the user
};

class MailTransport {
 public:
  virtual ~MailTransport() = default;
  // Hands the mail to the next hop for its envelope recipients. Does not
  // raise for a refusal; reports it in the result.
  virtual SendResult Send(const ExportedMail& mail) = 0;
  // Ends a connection kept between mails. Called again, does nothing.
  virtual void Close() {}
};

}  // namespace zanvoro::host
