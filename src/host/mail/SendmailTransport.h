// Sending through a sendmail-compatible program: runs
// "<program> -i -f <envelope from> -- <recipients...>" with the message on
// its standard input. Exit status 0 is sent; 75 (temporary failure), a
// program that cannot be started or that died of a signal is a retry; any
// other status is a permanent failure, reported with what the program wrote
// on its standard error.
#pragma once

#include <filesystem>

#include "host/mail/MailTransport.h"

namespace zanvoro::host {

class SendmailTransport final : public MailTransport {
 public:
  explicit SendmailTransport(std::filesystem::path program);
  SendResult Send(const ExportedMail& mail) override;

 private:
  std::filesystem::path program_;
};

}  // namespace zanvoro::host
