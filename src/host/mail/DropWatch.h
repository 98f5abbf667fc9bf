// Watches the Maildir drop folders of a profile's incoming accounts with
// inotify, so the worker handles a mail the moment its file lands instead
// of at its next poll. Polling stays as the safety net: a watch that cannot
// be set (no inotify, too many watches) just never wakes anyone.
#pragma once

#include <chrono>
#include <filesystem>
#include <vector>

namespace zanvoro::host {

struct Profile;

class DropWatch {
 public:
  // Watches the folder, "new" and "cur" of every Maildir account.
  explicit DropWatch(const Profile& profile);
  ~DropWatch();
  DropWatch(const DropWatch&) = delete;
  DropWatch& operator=(const DropWatch&) = delete;

  // Whether any folder is watched.
  bool Active() const { return fd_ >= 0 && watched_ > 0; }
  // Waits up to `limit` for a file to land in a watched folder; true when
  // one did (the events are drained). Returns early, false, on a signal.
  bool Wait(std::chrono::milliseconds limit);

 private:
  int fd_ = -1;
  int watched_ = 0;
};

}  // namespace zanvoro::host
