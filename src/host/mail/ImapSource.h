// An IMAP mailbox as a mail source. A cursor (the folder's UIDVALIDITY and
// the highest UID delivered) is kept in `state_file`, so a restarted worker
// asks only for newer mail; when the server renumbers the folder (a new
// UIDVALIDITY) the cursor starts again and the content records keep the
// mail already delivered from coming in twice. Messages are read without
// marking them seen; once stored they are flagged seen, moved or deleted
// as the account says (HandledMail::Keep leaves them alone).
#pragma once

#include <filesystem>
#include <memory>

#include "host/mail/MailSource.h"
#include "host/os/Profile.h"

namespace zanvoro::host {

class ImapSource final : public MailSource {
 public:
  ImapSource(IncomingAccount account, std::filesystem::path state_file);
  ~ImapSource() override;
  ImapSource(const ImapSource&) = delete;
  ImapSource& operator=(const ImapSource&) = delete;

  std::vector<SourceMessage> Pending() override;
  std::string Fetch(const SourceMessage& message) override;
  void Acknowledge(const SourceMessage& message) override;
  void Close() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zanvoro::host
