#include "host/mail/Worker.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "host/store/WriteBatch.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.Worker";

}  // namespace

std::filesystem::path WorkerLockFile(const std::filesystem::path& profile_folder) {
  return profile_folder / "ZanvoroProcess.pid";
}

std::optional<WorkerLock> WorkerLock::Acquire(
    const std::filesystem::path& profile_folder) {
  std::error_code ignored;
  std::filesystem::create_directories(profile_folder, ignored);
  std::filesystem::path path = WorkerLockFile(profile_folder);
  // A stopping worker removes the file while it still holds the lock: a lock
  // won on a file that is no longer at the path is worthless, so try again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      throw Error(err::kPathNotFound,
                  "Cannot open " + path.string() + ": " + std::strerror(errno), kSource);
    }
    // A record lock goes with the process: a worker that dies releases it.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_SETLK, &lock) != 0) {
      close(fd);
      return std::nullopt;
    }
    struct stat held {
    }, at_path{};
    if (fstat(fd, &held) != 0 || stat(path.c_str(), &at_path) != 0 ||
        held.st_ino != at_path.st_ino || held.st_dev != at_path.st_dev) {
      close(fd);
      continue;
    }
    std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) < 0) {
      int saved = errno;
      close(fd);
      throw Error(err::kPathNotFound,
                  "Cannot write " + path.string() + ": " + std::strerror(saved), kSource);
    }
    return WorkerLock(fd, path);
  }
  return std::nullopt;
}

WorkerLock::~WorkerLock() {
  if (fd_ < 0) return;
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
  close(fd_);
}

WorkerLock::WorkerLock(WorkerLock&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

pid_t RunningWorker(const std::filesystem::path& profile_folder) {
  int fd = open(WorkerLockFile(profile_folder).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  pid_t pid = 0;
  // The lock's holder is the worker, whatever the file says.
  if (fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK) pid = lock.l_pid;
  close(fd);
  return pid;
}

bool DeliverNow(const std::filesystem::path& profile_folder) {
  pid_t pid = RunningWorker(profile_folder);
  if (pid <= 0) return false;
  // Mail queued in a batch reaches the Outbox when the batch commits; woken
  // before that, the worker would find none of it.
  if (WriteBatch::Active()) {
    WriteBatch::AfterCommit("deliver-now:" + profile_folder.string(),
                            [pid] { kill(pid, SIGUSR1); });
    return true;
  }
  return kill(pid, SIGUSR1) == 0;
}

}  // namespace zanvoro::host
