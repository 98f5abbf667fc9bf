// Shared pieces of the account tests: small messages, a drop folder, and a
// source that dies the way a killed worker does.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "host/mail/MailSource.h"

namespace zanvoro::host::testing {

inline std::string SmallMail(const std::string& subject, const std::string& id) {
  return "From: Carl Caller <carl@example.test>\r\n"
         "To: Helpdesk <desk@example.test>\r\n"
         "Subject: " +
         subject +
         "\r\n"
         "Date: Tue, 3 Mar 2026 12:00:00 +0000\r\n"
         "Message-ID: <" +
         id +
         "@example.test>\r\n"
         "MIME-Version: 1.0\r\n"
         "Content-Type: text/plain; charset=utf-8\r\n"
         "\r\n"
         "The printer on floor 2 is out of toner.\r\n";
}

inline void WriteMailFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// Passes everything to `inner`, but the process ends at once when a mail
// is to be given up at the source: after it was stored, before the source
// heard of it.
class DyingSource : public MailSource {
 public:
  explicit DyingSource(MailSource& inner) : inner_(inner) {}
  std::vector<SourceMessage> Pending() override { return inner_.Pending(); }
  std::string Fetch(const SourceMessage& m) override { return inner_.Fetch(m); }
  void Acknowledge(const SourceMessage&) override { _exit(0); }
  void Close() override {}

 private:
  MailSource& inner_;
};

// Runs `body` in a child process; returns its exit status (-1 for a signal).
inline int InChild(const std::function<void()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    try {
      body();
    } catch (...) {
      _exit(3);
    }
    _exit(2);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zanvoro::host::testing
