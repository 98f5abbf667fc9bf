#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "host/mail/DeliveryTestSupport.h"
#include "host/mail/SendReceive.h"
#include "host/mail/Worker.h"
#include "host/mail/servers/LoopbackServers.h"
#include "host/store/StoreTestSupport.h"

extern char** environ;

namespace zanvoro::host {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
  auto until = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

pid_t StartWorker(const fs::path& profile, const fs::path& log, bool once = false) {
  std::vector<std::string> args = {ZANVORO_PROCESS_PROGRAM, "--profile",
                                   profile.string()};
  if (once) args.push_back("--once");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = 0;
  posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit code, or -1 when it did not end within `limit`.
int WaitForExit(pid_t pid, std::chrono::seconds limit) {
  int status = 0;
  bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit);
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Worker, DeliverNowWakesTheProfilesWorkerAndSigtermEndsItCleanly) {
  testing::TempDir dir;
  Profile profile = Profile::Load(dir.File("profile"));
  profile.poll_seconds = 3600;  // only a wake-up brings mail in
  profile.Save();
  fs::path log = dir.File("worker.log");

  pid_t pid = StartWorker(profile.folder, log);
  ASSERT_TRUE(WaitFor([&] { return RunningWorker(profile.folder) == pid; },
                      std::chrono::seconds(5)))
      << testing::ReadLog(log);
  EXPECT_EQ(WaitForExit(StartWorker(profile.folder, log, true), std::chrono::seconds(5)),
            0);
  EXPECT_NE(testing::ReadLog(log).find("already running"), std::string::npos);

  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  testing::WriteMailFile(profile.incoming[0].maildir / "new" / "1700000000.A.host",
                         testing::SmallMail("Printer", "w1"));
  ASSERT_TRUE(DeliverNow(profile.folder));
  auto session = OpenSession(profile, nullptr);
  auto inbox = session->GetDefaultFolder(DefaultFolder::Inbox);
  EXPECT_TRUE(
      WaitFor([&] { return inbox->Items()->Count() == 1; }, std::chrono::seconds(5)))
      << testing::ReadLog(log);

  kill(pid, SIGTERM);
  EXPECT_EQ(WaitForExit(pid, std::chrono::seconds(8)), 0) << testing::ReadLog(log);
  EXPECT_EQ(RunningWorker(profile.folder), 0);
  EXPECT_FALSE(DeliverNow(profile.folder));
  EXPECT_FALSE(fs::exists(WorkerLockFile(profile.folder)));
}

TEST(Worker, AFileLandingInTheDropIsDeliveredWithoutWaitingForThePoll) {
  testing::TempDir dir;
  Profile profile = Profile::Load(dir.File("profile"));
  profile.poll_seconds = 3600;
  profile.Save();
  fs::path log = dir.File("worker.log");
  pid_t pid = StartWorker(profile.folder, log);
  ASSERT_TRUE(WaitFor([&] { return RunningWorker(profile.folder) == pid; },
                      std::chrono::seconds(5)));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // its first pass

  auto session = OpenSession(profile, nullptr);
  auto inbox = session->GetDefaultFolder(DefaultFolder::Inbox);
  for (int i = 1; i <= 3; ++i) {
    testing::WriteMailFile(
        profile.incoming[0].maildir / "new" /
            ("170000000" + std::to_string(i) + ".A.host"),
        testing::SmallMail("Printer " + std::to_string(i), "d" + std::to_string(i)));
    EXPECT_TRUE(
        WaitFor([&] { return inbox->Items()->Count() == i; }, std::chrono::seconds(5)))
        << testing::ReadLog(log);
  }
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitForExit(pid, std::chrono::seconds(8)), 0);
}

TEST(Worker, AFileLeftByAWorkerThatDiedIsTakenOver) {
  testing::TempDir dir;
  Profile profile = Profile::Load(dir.File("profile"));
  profile.Save();
  fs::path log = dir.File("worker.log");
  pid_t pid = StartWorker(profile.folder, log);
  ASSERT_TRUE(WaitFor([&] { return RunningWorker(profile.folder) == pid; },
                      std::chrono::seconds(5)));
  kill(pid, SIGKILL);
  EXPECT_EQ(WaitForExit(pid, std::chrono::seconds(5)), -1);
  ASSERT_TRUE(fs::exists(WorkerLockFile(profile.folder)));
  EXPECT_EQ(RunningWorker(profile.folder), 0);

  auto lock = WorkerLock::Acquire(profile.folder);
  ASSERT_TRUE(lock.has_value());
  EXPECT_EQ(RunningWorker(profile.folder), 0);  // a process sees no lock of its own
  EXPECT_EQ(testing::ReadLog(WorkerLockFile(profile.folder)),
            std::to_string(getpid()) + "\n");
  lock.reset();
  EXPECT_FALSE(fs::exists(WorkerLockFile(profile.folder)));
}

}  // namespace
}  // namespace zanvoro::host
