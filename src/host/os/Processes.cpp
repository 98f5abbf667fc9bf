#include "host/os/Processes.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>

#include "runtime/Error.h"

extern char** environ;

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.Processes";

std::string_view WithoutExe(std::string_view name) {
  constexpr std::string_view kExe = ".exe";
  if (name.size() > kExe.size()) {
    std::string_view tail = name.substr(name.size() - kExe.size());
    bool is_exe = true;
    for (size_t i = 0; i < kExe.size(); ++i) {
      char c = tail[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      is_exe = is_exe && c == kExe[i];
    }
    if (is_exe) name.remove_suffix(kExe.size());
  }
  return name;
}

std::string ReadSmallFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

struct ProcessStatus {
  std::string command;  // the kernel's short name of the process
  char state = '?';
};

// From /proc/<pid>/stat: "pid (command) state ..."; the command may itself
// contain parentheses, so it ends at the last ")".
std::optional<ProcessStatus> StatusOf(pid_t pid) {
  std::string stat = ReadSmallFile("/proc/" + std::to_string(pid) + "/stat");
  size_t open = stat.find('(');
  size_t close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open ||
      close + 2 >= stat.size()) {
    return std::nullopt;
  }
  return ProcessStatus{stat.substr(open + 1, close - open - 1), stat[close + 2]};
}

bool IsGone(pid_t pid) {
  if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
  auto status = StatusOf(pid);
  return !status || status->state == 'Z' || status->state == 'X';
}

std::string ImageNameOf(pid_t pid, const ProcessStatus& status) {
  std::string base = "/proc/" + std::to_string(pid);
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink(base + "/exe", error);
  if (!error) {
    std::string name = exe.filename().string();
    constexpr std::string_view kDeleted = " (deleted)";
    if (name.size() > kDeleted.size() &&
        name.compare(name.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
      name.resize(name.size() - kDeleted.size());
    }
    return name;
  }
  // Processes of other users hide their program; the command line names it.
  std::string command_line = ReadSmallFile(base + "/cmdline");
  std::string first = command_line.substr(0, command_line.find('\0'));
  if (!first.empty()) return std::filesystem::path(first).filename().string();
  return status.command;
}

Error StartError(int error_code, const std::string& program) {
  if (error_code == ENOENT || error_code == ENOTDIR) {
    return Error(err::kFileNotFound, "File not found: " + program, kSource);
  }
  if (error_code == EACCES || error_code == EPERM) {
    return Error(err::kPermissionDenied, "Permission denied: " + program, kSource);
  }
  return Error(err::kCallFailed,
               "Cannot start " + program + ": " + std::strerror(error_code), kSource);
}

std::filesystem::path ResolveProgram(const std::filesystem::path& program) {
  std::string text = program.string();
  if (text.empty())
    throw Error(err::kFileNotFound, "File not found: (no program)", kSource);
  if (text.find('/') != std::string::npos) {
    if (::access(program.c_str(), F_OK) != 0) throw StartError(errno, text);
    struct stat info {};
    if (::stat(program.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      throw StartError(EACCES, text);
    }
    if (::access(program.c_str(), X_OK) != 0) throw StartError(errno, text);
    return program;
  }
  const char* path_variable = std::getenv("PATH");
  std::string_view search =
      path_variable ? path_variable : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    size_t colon = search.find(':');
    std::string folder(search.substr(0, colon));
    std::filesystem::path candidate = (folder.empty() ? "." : folder) / program;
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (colon == std::string_view::npos) break;
    search.remove_prefix(colon + 1);
  }
  throw StartError(ENOENT, text);
}

// Reads exactly `size` bytes unless the other end closes first.
size_t ReadFully(int fd, void* data, size_t size) {
  size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, static_cast<char*>(data) + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

}  // namespace

bool SameImageName(std::string_view a, std::string_view b) {
  a = WithoutExe(a);
  b = WithoutExe(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::vector<ProcessInfo> ListProcesses() {
  std::vector<ProcessInfo> processes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    pid_t pid = static_cast<pid_t>(std::stol(name));
    auto status = StatusOf(pid);
    // A process that ended meanwhile, or a zombie waiting for its parent.
    if (!status || status->state == 'Z' || status->state == 'X') continue;
    processes.push_back({pid, ImageNameOf(pid, *status)});
  }
  return processes;
}

bool IsProcessRunning(std::string_view image_name) {
  for (const ProcessInfo& process : ListProcesses()) {
    if (SameImageName(process.image_name, image_name)) return true;
  }
  return false;
}

pid_t StartProcess(const std::filesystem::path& program,
                   const std::vector<std::string>& args) {
  std::filesystem::path resolved = ResolveProgram(program);

  // Everything the child needs is prepared before the fork: after it, only
  // async-signal-safe calls are allowed.
  std::string program_text = resolved.string();
  std::vector<std::string> argv_text;
  argv_text.push_back(program.filename().string());
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw StartError(errno, program_text);

  pid_t child = ::fork();
  if (child < 0) {
    int error_code = errno;
    ::close(report[0]);
    ::close(report[1]);
    throw StartError(error_code, program_text);
  }
  if (child == 0) {
    // The middle process: a new session, then the program's process, whose
    // parent becomes init once we exit, so nobody has to wait for it.
    ::close(report[0]);
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      struct sigaction action {};
      action.sa_handler = SIG_DFL;
      sigemptyset(&action.sa_mask);
      for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
        ::sigaction(signal_number, &action, nullptr);
      }
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      int null_fd = ::open("/dev/null", O_RDONLY);
      if (null_fd >= 0) {
        ::dup2(null_fd, STDIN_FILENO);
        if (null_fd != STDIN_FILENO) ::close(null_fd);
      }
      ::execve(program_text.c_str(), argv.data(), environ);
      int error_code = errno;
      [[maybe_unused]] ssize_t ignored =
          ::write(report[1], &error_code, sizeof error_code);
      ::_exit(127);
    }
    [[maybe_unused]] ssize_t ignored = ::write(report[1], &grandchild, sizeof grandchild);
    ::_exit(grandchild < 0 ? 1 : 0);
  }

  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  pid_t started = -1;
  size_t got = ReadFully(report[0], &started, sizeof started);
  int exec_error = 0;
  size_t got_error = got == sizeof started && started > 0
                         ? ReadFully(report[0], &exec_error, sizeof exec_error)
                         : 0;
  ::close(report[0]);
  if (got != sizeof started || started <= 0) throw StartError(EAGAIN, program_text);
  if (got_error == sizeof exec_error) throw StartError(exec_error, program_text);
  return started;
}

namespace {

// SIGTERM to each of `targets`, SIGKILL to those still there after `grace`.
void StopProcesses(const std::vector<pid_t>& targets, std::chrono::milliseconds grace) {
  for (pid_t pid : targets) ::kill(pid, SIGTERM);

  auto all_gone = [&] {
    for (pid_t pid : targets) {
      if (!IsGone(pid)) return false;
    }
    return true;
  };
  auto wait_until = [&](std::chrono::steady_clock::time_point deadline) {
    while (!all_gone() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  wait_until(std::chrono::steady_clock::now() + grace);
  for (pid_t pid : targets) {
    if (!IsGone(pid)) ::kill(pid, SIGKILL);
  }
  wait_until(std::chrono::steady_clock::now() + std::chrono::seconds(2));
}

}  // namespace

size_t TerminateProcesses(std::string_view image_name, std::chrono::milliseconds grace) {
  std::vector<pid_t> targets;
  for (const ProcessInfo& process : ListProcesses()) {
    if (process.pid != ::getpid() && SameImageName(process.image_name, image_name)) {
      targets.push_back(process.pid);
    }
  }
  StopProcesses(targets, grace);
  return targets.size();
}

bool TerminateProcess(pid_t pid, std::chrono::milliseconds grace) {
  if (pid <= 0 || pid == ::getpid() || IsGone(pid)) return false;
  StopProcesses({pid}, grace);
  return true;
}

pid_t OpenWithDesktop(std::string_view file_or_url) {
  std::vector<std::string> words;
  const char* opener = std::getenv("ZANVORO_OPENER");
  std::istringstream command(opener && *opener ? opener : "xdg-open");
  for (std::string word; command >> word;) words.push_back(word);
  if (words.empty()) words.push_back("xdg-open");
  std::vector<std::string> args(words.begin() + 1, words.end());
  args.emplace_back(file_or_url);
  return StartProcess(words.front(), args);
}

}  // namespace zanvoro::host
