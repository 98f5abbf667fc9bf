#include "host/mail/Worker.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

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
  std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    int saved = errno;
    close(fd);
    throw Error(err::kPathNotFound,
                "Cannot write " + path.string() + ": " + std::strerror(saved), kSource);
  }
  return WorkerLock(fd);
}

WorkerLock::~WorkerLock() {
  if (fd_ >= 0) close(fd_);
}

WorkerLock::WorkerLock(WorkerLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

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
  return pid > 0 && kill(pid, SIGUSR1) == 0;
}

}  // namespace zanvoro::host
