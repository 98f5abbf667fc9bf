#include "host/os/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>

#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.AtomicFile";

int32_t ErrorNumberFor(int error_code) {
  switch (error_code) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return err::kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return err::kPermissionDenied;
    case ENOENT:
    case ENOTDIR:
      return err::kPathNotFound;
    default:
      return err::kCallFailed;
  }
}

Error FileError(std::string_view what, const std::filesystem::path& path,
                int error_code) {
  return Error(ErrorNumberFor(error_code),
               std::string(what) + " " + path.string() + ": " + std::strerror(error_code),
               kSource);
}

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
 public:
  TempFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int Fd() const { return fd_; }
  const std::filesystem::path& Path() const { return path_; }
  // Closes the descriptor; reports the errno of a failed close (NFS may
  // report a failed write only here), 0 on success.
  int Close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }
  void Keep() { path_.clear(); }

 private:
  int fd_;
  std::filesystem::path path_;
};

std::string TempPrefix(const std::filesystem::path& path) {
  return path.filename().string() + ".tmp-";
}

void SyncDirectory(const std::filesystem::path& directory) {
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename is done; a directory we cannot open stays unsynced
  ::fsync(fd);
  ::close(fd);
}

std::string UtcTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  ::gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
  return text;
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         FileAccess access) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path directory = path.parent_path();
  if (directory.empty()) directory = ".";
  std::filesystem::path temp_path =
      directory / (TempPrefix(path) + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1)));

  mode_t mode = access == FileAccess::Private ? 0600 : 0644;
  struct stat old_stat {};
  if (::stat(path.c_str(), &old_stat) == 0) mode = old_stat.st_mode & 07777;

  int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) throw FileError("Cannot write", path, errno);
  TempFile temp(fd, temp_path);
  // The umask may have taken bits away; the replacement keeps the old mode.
  ::fchmod(fd, mode);

  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t written = ::write(temp.Fd(), data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileError("Cannot write", path, errno);
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  if (::fsync(temp.Fd()) != 0) throw FileError("Cannot write", path, errno);
  if (int close_error = temp.Close(); close_error != 0) {
    throw FileError("Cannot write", path, close_error);
  }
  if (::rename(temp.Path().c_str(), path.c_str()) != 0) {
    throw FileError("Cannot replace", path, errno);
  }
  temp.Keep();
  SyncDirectory(directory);
}

std::optional<std::string> ReadFileIfExists(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw FileError("Cannot read", path, errno);
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      int error_code = errno;
      ::close(fd);
      throw FileError("Cannot read", path, error_code);
    }
    if (got == 0) break;
    content.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return content;
}

std::filesystem::path SetAsideCorruptFile(const std::filesystem::path& path) {
  std::string base = path.string() + ".corrupt-" + UtcTimestamp();
  std::filesystem::path target = base;
  for (int n = 2; std::filesystem::exists(target); ++n) {
    target = base + "-" + std::to_string(n);
  }
  if (::rename(path.c_str(), target.c_str()) != 0) {
    throw FileError("Cannot set aside the damaged file", path, errno);
  }
  return target;
}

void RemoveStaleTempFiles(const std::filesystem::path& path) {
  std::filesystem::path directory = path.parent_path();
  if (directory.empty()) directory = ".";
  std::string prefix = TempPrefix(path);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    // "<name>.tmp-<pid>-<n>": the writer's process id says whether it still runs.
    std::string rest = name.substr(prefix.size());
    size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos) continue;
    pid_t writer = 0;
    try {
      writer = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
    } catch (const std::exception&) {
      continue;
    }
    if (writer <= 0) continue;
    if (writer == ::getpid()) continue;
    if (::kill(writer, 0) == 0 || errno == EPERM) continue;
    std::filesystem::remove(entry.path(), error);
  }
}

}  // namespace zanvoro::host
