#include "host/mail/DropWatch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "host/os/Profile.h"

namespace zanvoro::host {

DropWatch::DropWatch(const Profile& profile) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return;
  // A file is complete when it is moved in (the Maildir way) or closed
  // after writing (a person or a script writing straight into the folder).
  constexpr uint32_t kArrivals = IN_MOVED_TO | IN_CLOSE_WRITE;
  for (const IncomingAccount& account : profile.incoming) {
    if (account.kind != IncomingKind::Maildir || account.maildir.empty()) continue;
    for (const std::filesystem::path& folder :
         {account.maildir, account.maildir / "new", account.maildir / "cur"}) {
      std::error_code ignored;
      std::filesystem::create_directories(folder, ignored);
      if (inotify_add_watch(fd_, folder.c_str(), kArrivals) >= 0) ++watched_;
    }
  }
}

DropWatch::~DropWatch() {
  if (fd_ >= 0) close(fd_);
}

bool DropWatch::Wait(std::chrono::milliseconds limit) {
  if (!Active()) {
    if (limit.count() > 0) usleep(static_cast<useconds_t>(limit.count()) * 1000);
    return false;
  }
  pollfd waiting{fd_, POLLIN, 0};
  if (poll(&waiting, 1, static_cast<int>(limit.count())) <= 0) return false;
  alignas(inotify_event) char buffer[4096];
  bool arrived = false;
  while (read(fd_, buffer, sizeof buffer) > 0) arrived = true;
  return arrived;
}

}  // namespace zanvoro::host
