#include "host/os/System.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace zanvoro::host {
namespace {

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// The user database entry of the effective user, or nullptr.
const passwd* UserEntry(std::vector<char>& buffer, passwd& entry) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  buffer.resize(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd* result = nullptr;
  ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &result);
  return result;
}

// A value of user-dirs.dirs: "$HOME/Documents" or "/abs/path", in double
// quotes; anything else (a relative path) is not a valid value.
std::optional<std::filesystem::path> UserDirValue(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  std::string value;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    value += text[i];
  }
  constexpr std::string_view kHome = "$HOME";
  if (value.rfind(kHome, 0) == 0 &&
      (value.size() == kHome.size() || value[kHome.size()] == '/')) {
    return HomeFolder() /
           std::filesystem::path(value.substr(kHome.size())).relative_path();
  }
  if (!value.empty() && value.front() == '/') return std::filesystem::path(value);
  return std::nullopt;
}

}  // namespace

std::filesystem::path HomeFolder() {
  if (const char* home = Env("HOME")) return home;
  std::vector<char> buffer;
  passwd entry{};
  if (const passwd* user = UserEntry(buffer, entry); user && user->pw_dir)
    return user->pw_dir;
  return "/";
}

std::filesystem::path ConfigFolder() {
  if (const char* config = Env("XDG_CONFIG_HOME"); config && config[0] == '/')
    return config;
  return HomeFolder() / ".config";
}

std::filesystem::path DocumentsFolder() {
  if (const char* documents = Env("XDG_DOCUMENTS_DIR")) {
    if (auto path = UserDirValue(documents)) return *path;
  }
  std::ifstream file(ConfigFolder() / "user-dirs.dirs");
  std::string line;
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  while (std::getline(file, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0)
      continue;
    std::string_view value = std::string_view(line).substr(start + kKey.size());
    while (!value.empty() &&
           (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
      value.remove_suffix(1);
    }
    if (auto path = UserDirValue(value)) return *path;
  }
  return HomeFolder() / "Documents";
}

std::filesystem::path ProgramFolder() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return program.parent_path();
}

std::string ComputerName() {
  utsname names{};
  if (::uname(&names) != 0) return "localhost";
  return names.nodename;
}

std::string UserName() {
  std::vector<char> buffer;
  passwd entry{};
  if (const passwd* user = UserEntry(buffer, entry); user && user->pw_name)
    return user->pw_name;
  if (const char* name = Env("USER")) return name;
  if (const char* name = Env("LOGNAME")) return name;
  return "user" + std::to_string(::geteuid());
}

std::string UserDisplayName() {
  std::vector<char> buffer;
  passwd entry{};
  if (const passwd* user = UserEntry(buffer, entry); user && user->pw_gecos) {
    // The full name is the first comma-separated field of the comment.
    std::string full_name(user->pw_gecos);
    full_name = full_name.substr(0, full_name.find(','));
    if (!full_name.empty()) return full_name;
  }
  return UserName();
}

}  // namespace zanvoro::host
