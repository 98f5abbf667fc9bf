#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "host/os/Processes.h"
#include "host/os/TempDir.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

// A program of a name no other test uses: a copy of sleep in `dir`.
std::filesystem::path CopyOfSleep(const TempDir& dir, const std::string& stem) {
  std::filesystem::path copy = dir / (stem + "-" + dir.Path().filename().string());
  std::filesystem::copy_file("/bin/sleep", copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  return copy;
}

// Waits for something another process does; the limit is only reached when
// that process never does it.
bool Eventually(const std::function<bool()>& condition) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void ExpectError(const std::function<void()>& action, int32_t number,
                 const std::string& named) {
  try {
    action();
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), number) << error.Description();
    EXPECT_NE(error.Description().find(named), std::string::npos) << error.Description();
  }
}

TEST(Processes, StartsAProgramAndStopsItByImageNameKillingItWhenItIgnoresTheRequest) {
  TempDir dir;
  std::filesystem::path program = CopyOfSleep(dir, "zvsleeper");
  std::string name = program.filename().string();

  pid_t pid = StartProcess(program, {"60"});
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(IsProcessRunning(name));
  auto processes = ListProcesses();
  EXPECT_TRUE(std::any_of(processes.begin(), processes.end(), [&](const ProcessInfo& p) {
    return p.pid == pid && p.image_name == name;
  }));

  EXPECT_EQ(TerminateProcesses(name), 1u);
  EXPECT_FALSE(IsProcessRunning(name));
  EXPECT_EQ(TerminateProcesses(name), 0u);

  // An ignored SIGTERM survives exec, so the program itself ignores it.
  StartProcess("/bin/sh", {"-c", "trap '' TERM; exec '" + program.string() + "' 60"});
  ASSERT_TRUE(Eventually([&] { return IsProcessRunning(name); }));
  EXPECT_EQ(TerminateProcesses(name, std::chrono::milliseconds(100)), 1u);
  EXPECT_FALSE(IsProcessRunning(name));
}

TEST(Processes, ImageNamesCompareWithoutCaseAndExe) {
  struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"ZanvoroProcess", "ZANVOROPROCESS.EXE", true},
      {"ZanvoroProcess", "zanvoroprocess", true},
      {"ZanvoroProcess.exe", "ZanvoroProcess", true},
      {"ZanvoroProcess", "ZanvoroProces", false},
      {"ZanvoroProcess", "ZanvoroProcess.bin", false},
      {".exe", ".EXE", true},
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameImageName(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
}

TEST(Processes, AMissingProgramOrOpenerIsFileNotFoundAndAPlainFileNoProgram) {
  TempDir dir;
  std::filesystem::path missing = dir / "ConfigureServerPST";
  ExpectError([&] { StartProcess(missing); }, err::kFileNotFound, missing.string());
  ExpectError([] { StartProcess("zv-no-such-program-on-path"); }, err::kFileNotFound,
              "zv-no-such-program-on-path");
  WriteFile(dir / "notes.txt", "not a program");
  std::filesystem::permissions(
      dir / "notes.txt",
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  ExpectError([&] { StartProcess(dir / "notes.txt"); }, err::kPermissionDenied,
              (dir / "notes.txt").string());
  ScopedEnv command("ZANVORO_OPENER", "/nonexistent/zv-opener");
  ExpectError([] { OpenWithDesktop("https://example.invalid/"); }, err::kFileNotFound,
              "/nonexistent/zv-opener");
}

TEST(Processes, OpensWithTheConfiguredCommandWithoutAShell) {
  TempDir dir;
  std::filesystem::path opener = dir / "opener";
  // Writes its arguments one per line, then renames the file into place.
  WriteFile(opener,
            "#!/bin/sh\n"
            "out=\"$(dirname \"$0\")/opened\"\n"
            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.part\"\n"
            "mv \"$out.part\" \"$out\"\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  ScopedEnv command("ZANVORO_OPENER", (opener.string() + " --new-window").c_str());

  std::string target = "report 1.html; touch " + (dir / "injected").string() +
                       " $(touch " + (dir / "substituted").string() + ") 'quoted'";
  EXPECT_GT(OpenWithDesktop(target), 0);

  ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(dir / "opened"); }));
  EXPECT_EQ(ReadFile(dir / "opened"), "--new-window\n" + target + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "injected"));
  EXPECT_FALSE(std::filesystem::exists(dir / "substituted"));
}

}  // namespace
}  // namespace zanvoro::host
