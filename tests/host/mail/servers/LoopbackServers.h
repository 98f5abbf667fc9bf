// Real mail servers on loopback for the account tests: Dovecot (IMAP) and
// an SMTP sink (aiosmtpd) that keeps each mail it takes as a Maildir file.
// Each server runs in its own temporary folder on a free port and is
// stopped by its process id when the object goes. Start() returns false
// with the reason when the server is not installed, so a test can skip.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::host::testing {

// A folder under the system's temporary folder that other users may enter
// (Dovecot reads mail as nobody); removed with its content.
class ServerDir {
 public:
  ServerDir();
  ~ServerDir();
  ServerDir(const ServerDir&) = delete;
  ServerDir& operator=(const ServerDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A server process started from the tests.
class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess() { Stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Runs `argv` with its output in `log`; true once `port` takes connections
  // (within five seconds).
  bool Start(const std::vector<std::string>& argv, const std::filesystem::path& log,
             int port, const std::vector<std::string>& environment = {});
  void Stop();

 private:
  pid_t pid_ = 0;
};

int FreePort();
std::string ReadLog(const std::filesystem::path& log);

class DovecotServer {
 public:
  static constexpr const char* kUser = "helpdesk";
  static constexpr const char* kPassword = "secret";

  bool Start(std::string& problem);
  int ImapPort() const { return imap_port_; }
  // Puts a mail into the user's INBOX as a local delivery would.
  void Deliver(std::string_view rfc5322);
  // The files of the INBOX (new and cur), with their flags in their names.
  std::vector<std::filesystem::path> Mails() const;
  std::filesystem::path Maildir() const;

 private:
  ServerDir dir_;
  ServerProcess process_;
  int imap_port_ = 0;
  int delivered_ = 0;
};

class SmtpSink {
 public:
  // `refuse_recipients`: answer every RCPT with 550 instead of taking the mail.
  bool Start(std::string& problem, bool refuse_recipients = false);
  int Port() const { return port_; }
  // The mails taken so far, with the sink's X-MailFrom and X-RcptTo headers.
  std::vector<std::string> Mails() const;

 private:
  ServerDir dir_;
  ServerProcess process_;
  int port_ = 0;
};

}  // namespace zanvoro::host::testing
