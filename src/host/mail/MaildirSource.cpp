#include "host/mail/MaildirSource.h"

#include <algorithm>
#include <system_error>

#include "host/os/AtomicFile.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.MaildirSource";
namespace fs = std::filesystem;

struct Found {
  fs::file_time_type time;
  std::string name;
  SourceMessage message;
};

// A Maildir file name is "<unique>:2,<flags>"; the flags change when a mail
// reader marks the mail, the unique part never does.
std::string UniquePart(const std::string& name) { return name.substr(0, name.find(':')); }

void Collect(const fs::path& folder, bool maildir_names, std::vector<Found>& found) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) {
    throw Error(
        err::kPathNotFound,
        "Cannot read the mail drop folder " + folder.string() + ": " + error.message(),
        kSource);
  }
  for (const fs::directory_entry& entry : it) {
    std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code type_error;
    if (!entry.is_regular_file(type_error)) continue;
    Found f;
    f.time = entry.last_write_time(type_error);
    f.name = name;
    f.message.handle = entry.path().string();
    if (maildir_names) f.message.identity = "maildir:" + UniquePart(name);
    found.push_back(std::move(f));
  }
}

}  // namespace

MaildirSource::MaildirSource(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::vector<SourceMessage> MaildirSource::Pending() {
  std::error_code error;
  for (const char* sub : {"tmp", "new", "cur"}) {
    fs::create_directories(folder_ / sub, error);
    if (error) {
      throw Error(err::kPathNotFound,
                  "Cannot create the mail drop folder " + (folder_ / sub).string() +
                      ": " + error.message(),
                  kSource);
    }
  }
  std::vector<Found> found;
  Collect(folder_ / "new", true, found);
  Collect(folder_ / "cur", true, found);
  Collect(folder_, false, found);
  // Oldest first, so the store gets them in the order they arrived.
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.time != b.time ? a.time < b.time : a.name < b.name;
  });
  std::vector<SourceMessage> messages;
  messages.reserve(found.size());
  for (Found& f : found) messages.push_back(std::move(f.message));
  return messages;
}

std::string MaildirSource::Fetch(const SourceMessage& message) {
  std::optional<std::string> text = ReadFileIfExists(message.handle);
  if (!text) {
    throw Error(err::kFileNotFound,
                "The mail file " + message.handle + " went away before it was read",
                kSource);
  }
  return std::move(*text);
}

void MaildirSource::Acknowledge(const SourceMessage& message) {
  std::error_code error;
  fs::remove(message.handle, error);
  if (error) {
    throw Error(err::kPermissionDenied,
                "Cannot remove the delivered mail file " + message.handle + ": " +
                    error.message(),
                kSource);
  }
}

}  // namespace zanvoro::host
