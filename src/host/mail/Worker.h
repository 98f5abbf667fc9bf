// The send/receive worker of a profile ("ZanvoroProcess") and how others
// reach it. One worker per profile: it holds a lock on
// "<profile>/ZanvoroProcess.pid", which names its process id, and removes
// the file when it stops. DeliverNow wakes it with SIGUSR1; SIGTERM asks it
// to finish the mail in hand and end.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace zanvoro::host {

// The lock of the worker of a profile, held while the object lives.
class WorkerLock {
 public:
  // Takes the lock and writes this process's id into the file; nullopt when
  // another live process holds it. A file left by a process that is gone is
  // taken over. Raises Error(err::kPathNotFound) when the profile folder
  // cannot be written. The file is removed when the lock is let go.
  static std::optional<WorkerLock> Acquire(const std::filesystem::path& profile_folder);
  ~WorkerLock();
  WorkerLock(WorkerLock&& other) noexcept;
  WorkerLock& operator=(WorkerLock&&) = delete;
  WorkerLock(const WorkerLock&) = delete;
  WorkerLock& operator=(const WorkerLock&) = delete;

 private:
  WorkerLock(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  int fd_ = -1;
  std::filesystem::path path_;
};

std::filesystem::path WorkerLockFile(const std::filesystem::path& profile_folder);

// The process id of the profile's running worker; 0 when none runs (a file
// left by a worker that died does not count).
pid_t RunningWorker(const std::filesystem::path& profile_folder);

// Asks the profile's worker to send and receive now. Returns false when no
// worker runs (the mail waits in the Outbox for the next one).
bool DeliverNow(const std::filesystem::path& profile_folder);

}  // namespace zanvoro::host
