// A Maildir drop folder as a mail source: files in "new" and "cur" (put
// there by a local MTA or fetchmail) and files dropped straight into the
// folder by a person ("*.eml" and the like). Files in "tmp" are still being
// written and are left alone, as are hidden files. A delivered file is
// removed. Missing "tmp", "new" and "cur" folders are created.
#pragma once

#include <filesystem>

#include "host/mail/MailSource.h"

namespace zanvoro::host {

class MaildirSource final : public MailSource {
 public:
  explicit MaildirSource(std::filesystem::path folder);

  std::vector<SourceMessage> Pending() override;
  std::string Fetch(const SourceMessage& message) override;
  void Acknowledge(const SourceMessage& message) override;
  void Close() override {}

 private:
  std::filesystem::path folder_;
};

}  // namespace zanvoro::host
