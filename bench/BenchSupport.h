// What the helpdesk benches share: their command line, their throw-away
// folder, the clocks they read and the new helpdesk they start from.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "case/HelpdeskFolders.h"
#include "case/NewHelpdesk.h"
#include "host/os/Profile.h"
#include "runtime/Error.h"

namespace zanvoro::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The processor time this process used so far, in seconds: the figures
// without the waits for the disk and for the other programs on the machine.
inline double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// With ZANVORO_PERF_CONTROL naming the control fifo of
// `perf record -D -1 --control fifo:FIFO`, switches the profiler on or off,
// so a profile shows the timed phases only. (Set without a profiler
// reading the fifo, the bench waits for one.)
inline void Profiling(bool on) {
  const char* fifo = getenv("ZANVORO_PERF_CONTROL");
  if (!fifo || !*fifo) return;
  if (FILE* control = std::fopen(fifo, "w")) {
    std::fputs(on ? "enable\n" : "disable\n", control);
    std::fclose(control);
  }
}

// A profile for Ann Smith in `dir`/profile with a new helpdesk in `store`
// (a file or a server's address; `dir`/helpdesk.zdb when empty) registered
// for her; returns the profile as saved.
inline host::Profile NewBenchHelpdesk(const std::filesystem::path& dir,
                                      const std::string& store = {}) {
  host::Profile profile = host::Profile::Default(dir / "profile");
  profile.user_name = "Ann Smith";
  profile.smtp_address = "support@helpdesk.example";
  std::filesystem::create_directories(profile.folder);
  profile.Save();
  NewHelpdeskOptions options;
  options.profile_folder = profile.folder;
  options.store_path =
      store.empty() ? dir / "helpdesk.zdb" : std::filesystem::path(store);
  options.registration = Registration::ForUser;
  CreateNewHelpdesk(options);
  return host::Profile::Load(profile.folder);
}

// Reads `--<count_flag> N` (default `count`) and `--dir DIR`, runs `run` in
// DIR or in a throw-away folder removed afterwards, with the bench's own
// hive and documents folder, never the user's. Returns the exit status:
// 2 for a bad command line, 1 when `run` raised.
inline int BenchMain(int argc, char** argv, const char* name, const char* count_flag,
                     int count,
                     const std::function<int(const std::filesystem::path&, int)>& run) {
  const std::string flag = std::string("--") + count_flag;
  std::string dir;
  for (int i = 1; i + 1 < argc; ++i) {
    if (flag == argv[i])
      count = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--dir"))
      dir = argv[++i];
  }
  if (count <= 0) {
    std::fprintf(stderr, "usage: %s [%s N] [--dir DIR]\n", name, flag.c_str());
    return 2;
  }
  const bool own_dir = dir.empty();
  if (own_dir) {
    std::string pattern = (std::filesystem::temp_directory_path() /
                           (std::string("zanvoro-") + name + "-XXXXXX"))
                              .string();
    if (!mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      return 1;
    }
    dir = pattern;
  }
  unsetenv("ZANVORO_HIVE");
  setenv("XDG_DOCUMENTS_DIR", (std::filesystem::path(dir) / "Documents").c_str(), 1);
  int status = 0;
  try {
    status = run(dir, count);
  } catch (const Error& e) {
    std::fprintf(stderr, "%s: error %s: %s\n", name, e.NumberText().c_str(),
                 e.Description().c_str());
    status = 1;
  }
  ForgetHelpdeskFolders();
  if (own_dir) {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  return status;
}

}  // namespace zanvoro::bench
