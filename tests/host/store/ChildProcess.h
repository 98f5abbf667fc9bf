// Runs this test program again as a separate process that does one store
// action (see StoreChild.Act in ChildProcessTest.cpp), so tests can show
// what other processes on the same store file see and cause.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace zanvoro::host::testing {

inline constexpr const char* kChildVariable = "ZANVORO_STORE_CHILD";

// Fields: action, store path, item entry ID, folder entry ID. Returns the
// child's exit status (-1 when it died of a signal).
inline int RunChild(const std::string& action, const std::string& path,
                    const std::string& entry_id = {}, const std::string& folder_id = {}) {
  std::string order = action + "|" + path + "|" + entry_id + "|" + folder_id;
  pid_t pid = fork();
  if (pid == 0) {
    setenv(kChildVariable, order.c_str(), 1);
    int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) dup2(null_fd, STDOUT_FILENO);
    // The child runs its one test, whichever shard of the run started it.
    unsetenv("GTEST_TOTAL_SHARDS");
    unsetenv("GTEST_SHARD_INDEX");
    execl("/proc/self/exe", "/proc/self/exe", "--gtest_filter=StoreChild.Act",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid < 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zanvoro::host::testing
