// A POP3 mailbox as a mail source. Mails are named by their UIDL; with
// HandledMail::Delete a stored mail is deleted on the server when the
// session ends (QUIT), otherwise it is left there and known again by its
// record at the next pass.
#pragma once

#include <memory>

#include "host/mail/MailSource.h"
#include "host/os/Profile.h"

namespace zanvoro::host {

class Pop3Source final : public MailSource {
 public:
  explicit Pop3Source(IncomingAccount account);
  ~Pop3Source() override;
  Pop3Source(const Pop3Source&) = delete;
  Pop3Source& operator=(const Pop3Source&) = delete;

  std::vector<SourceMessage> Pending() override;
  std::string Fetch(const SourceMessage& message) override;
  void Acknowledge(const SourceMessage& message) override;
  void Close() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zanvoro::host
