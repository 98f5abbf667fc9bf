#include "host/mail/OutboxTransport.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#include "host/mail/MailExport.h"

namespace zanvoro::host {
namespace {

namespace fs = std::filesystem;

// "<seconds>.M<microseconds>P<pid>Q<n>.<host>": unique across processes
// and machines, as Maildir asks.
std::string UniqueName() {
  static std::atomic<unsigned> counter{0};
  auto now = std::chrono::system_clock::now().time_since_epoch();
  auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  char host[256] = "localhost";
  gethostname(host, sizeof(host) - 1);
  for (char* c = host; *c; ++c) {
    if (*c == '/' || *c == ':') *c = '_';
  }
  return std::to_string(micros / 1000000) + ".M" + std::to_string(micros % 1000000) +
         "P" + std::to_string(getpid()) + "Q" + std::to_string(++counter) + "." + host;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Flushes the folder's list of names to disk; false with errno set when it
// cannot.
bool SyncFolder(const fs::path& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = fsync(fd) == 0;
  int saved_errno = errno;
  close(fd);
  errno = saved_errno;
  return synced;
}

}  // namespace

OutboxTransport::OutboxTransport(std::filesystem::path folder)
    : folder_(std::move(folder)) {}

SendResult OutboxTransport::Send(const ExportedMail& mail) {
  std::error_code error;
  for (const char* sub : {"tmp", "new", "cur"})
    fs::create_directories(folder_ / sub, error);
  if (error) {
    return {SendStatus::Retry,
            "Cannot create the outbox " + folder_.string() + ": " + error.message()};
  }
  std::string envelope = "X-Envelope-From: <" + mail.envelope_from + ">\r\n";
  for (const std::string& to : mail.envelope_recipients)
    envelope += "X-Envelope-To: <" + to + ">\r\n";

  std::string name = UniqueName();
  fs::path temporary = folder_ / "tmp" / name;
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    return {SendStatus::Retry, "Cannot write to the outbox " + folder_.string() + ": " +
                                   std::strerror(errno)};
  }
  bool written = WriteAll(fd, envelope) && WriteAll(fd, mail.rfc5322) && fsync(fd) == 0;
  int saved_errno = errno;
  close(fd);
  if (written) {
    const fs::path delivered = folder_ / "new" / name;
    fs::rename(temporary, delivered, error);
    if (!error) {
      // The mail counts as sent once its name in "new" is on disk too: a
      // crash must not lose a file the store already calls sent. A file
      // system that cannot flush a folder at all gives what it can.
      if (SyncFolder(folder_ / "new") || errno == EINVAL || errno == ENOTSUP ||
          errno == ENOSYS)
        return {SendStatus::Sent, {}};
      saved_errno = errno;
      // Taken back to be tried again. When it cannot be taken back (the
      // picker has it already, or the folder refuses), it is on its way:
      // trying again would send it twice.
      if (unlink(delivered.c_str()) != 0)
        return {SendStatus::Sent,
                std::string("The outbox folder could not be flushed: ") +
                    std::strerror(saved_errno)};
      return {SendStatus::Retry, "Cannot write to the outbox " + folder_.string() + ": " +
                                     std::strerror(saved_errno)};
    }
  }
  std::string cause = written ? error.message() : std::strerror(saved_errno);
  fs::remove(temporary, error);
  return {SendStatus::Retry,
          "Cannot write to the outbox " + folder_.string() + ": " + cause};
}

}  // namespace zanvoro::host
