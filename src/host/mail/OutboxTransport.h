// Sending into an outbox Maildir that a local MTA (or a person) picks up:
// each mail is written to "tmp" and renamed into "new", so a reader never
// sees half a file, and the folder is flushed before the mail counts as
// sent. The envelope comes first as "X-Envelope-From" and one
// "X-Envelope-To" header per recipient (blind copies included), which the
// picker removes before relaying.
#pragma once

#include <filesystem>

#include "host/mail/MailTransport.h"

namespace zanvoro::host {

class OutboxTransport final : public MailTransport {
 public:
  explicit OutboxTransport(std::filesystem::path folder);
  // Retry when the folder cannot be written (a full disk may clear up).
  SendResult Send(const ExportedMail& mail) override;

 private:
  std::filesystem::path folder_;
};

}  // namespace zanvoro::host
