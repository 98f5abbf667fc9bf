#include "case/LocalDataFolders.h"

#include <filesystem>
#include <system_error>

#include "errors/Trap.h"
#include "host/os/System.h"
#include "runtime/Error.h"

namespace zanvoro {

namespace {

std::string LocalFolder(const char* location, const char* name, CreateMode create) {
  return Trap(location, std::string(), [&] {
    std::filesystem::path path = host::DocumentsFolder() / name;
    if (create == CreateMode::Create && !std::filesystem::is_directory(path)) {
      std::error_code failure;
      std::filesystem::create_directories(path, failure);
      if (failure) {
        throw Error(
            err::kPathNotFound,
            "Cannot create the folder " + path.string() + ": " + failure.message(),
            location);
      }
    }
    return path.string();
  });
}

}  // namespace

std::string GetHelpdeskDataFolder(CreateMode create) {
  return LocalFolder("SettingsData.GetHelpdeskDataFolder", "Helpdesk Data", create);
}

std::string GetHelpdeskReportsFolder(CreateMode create) {
  return LocalFolder("SettingsData.GetHelpdeskReportsFolder", "Helpdesk Reports", create);
}

}  // namespace zanvoro
