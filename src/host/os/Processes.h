// Processes of the machine: listing, starting and stopping them by image name,
// and opening files and addresses with the desktop's program for them.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::host {

struct ProcessInfo {
  pid_t pid = 0;
  // The file name of the program the process runs ("ZanvoroProcess").
  std::string image_name;
};

// Image names compare as they did on the mail client's platform: without
// regard to case and with a trailing ".exe" ignored, so "ZANVOROPROCESS.EXE"
// matches a process of the program "ZanvoroProcess".
bool SameImageName(std::string_view a, std::string_view b);

// The live processes (zombies left out), from /proc.
std::vector<ProcessInfo> ListProcesses();
bool IsProcessRunning(std::string_view image_name);

// Starts `program` with `args`, detached: in its own session, with standard
// input from /dev/null, not a child that the caller has to wait for. A
// `program` without "/" is looked up in PATH. Returns the new process id.
// A program that does not exist raises Error err::kFileNotFound naming it;
// one that cannot be run, err::kPermissionDenied. No shell is involved: the
// arguments reach the program exactly as given.
pid_t StartProcess(const std::filesystem::path& program,
                   const std::vector<std::string>& args = {});

// Asks every process with the image name (except this one) to stop with
// SIGTERM and kills those still running after `grace` with SIGKILL. Returns
// the number of processes that were stopped.
size_t TerminateProcesses(std::string_view image_name,
                          std::chrono::milliseconds grace = std::chrono::seconds(3));

// The same for the one process `pid` (never this process). Returns whether
// there was such a process to stop.
bool TerminateProcess(pid_t pid,
                      std::chrono::milliseconds grace = std::chrono::seconds(3));

// Opens a file or an address with the user's desktop program for it: runs
// the command in the environment variable ZANVORO_OPENER (words separated by
// spaces) or "xdg-open", with `file_or_url` as its last argument. Returns the
// process id; raises what StartProcess raises.
pid_t OpenWithDesktop(std::string_view file_or_url);

}  // namespace zanvoro::host
