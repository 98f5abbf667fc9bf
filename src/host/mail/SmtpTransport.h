// Sending to an SMTP server: plain, STARTTLS or TLS from the start, with
// authentication when the account has a user. One connection serves every
// mail of a pass (Close ends it). A 4xx reply or a lost connection is a
// retry; a 5xx reply is a permanent failure.
#pragma once

#include <memory>

#include "host/mail/MailTransport.h"
#include "host/os/Profile.h"

namespace zanvoro::host {

class SmtpTransport final : public MailTransport {
 public:
  explicit SmtpTransport(MailServer server);
  ~SmtpTransport() override;
  SmtpTransport(const SmtpTransport&) = delete;
  SmtpTransport& operator=(const SmtpTransport&) = delete;

  SendResult Send(const ExportedMail& mail) override;
  void Close() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zanvoro::host
