#include "settings/modRegistryEntry.h"

#include "host/os/Hive.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

constexpr const char* kSource = "modRegistryEntry";

host::Hive*& CurrentHive() {
  static host::Hive* hive = nullptr;
  return hive;
}

[[noreturn]] void RaiseRegistry(int32_t system_code, std::string text,
                                std::string_view cause = {}) {
  if (!cause.empty()) text += " (" + std::string(cause) + ")";
  throw Error(kRegistryErrorBase + system_code, std::move(text), kSource);
}

int32_t SystemCodeOf(const Error& error, int32_t fallback) {
  switch (error.Number()) {
    case err::kAccessDenied:
    case err::kPermissionDenied:
      return kSystemAccessDenied;
    case err::kDiskFull:
      return kSystemDiskFull;
    default:
      return fallback;
  }
}

void CheckArguments(std::string_view application, std::string_view key) {
  if (Trim(application).empty()) {
    RaiseRegistry(kSystemInvalidParameter, "AppName may not be empty");
  }
  if (key.empty()) RaiseRegistry(kSystemInvalidParameter, "Key may not be empty");
}

host::Hive& RequireHive(const char* failure_text, int32_t code) {
  host::Hive* hive = CurrentHive();
  if (!hive) RaiseRegistry(code, failure_text, "no user hive is open");
  return *hive;
}

}  // namespace

void SetRegistryHive(host::Hive* hive) { CurrentHive() = hive; }

host::Hive* RegistryHive() { return CurrentHive(); }

std::string RegistryKeyPath(std::string_view application, std::string_view section) {
  std::string path = std::string(kRegistryRoot) + "\\" + Trim(application);
  std::string trimmed_section = Trim(section);
  if (!trimmed_section.empty()) path += "\\" + trimmed_section;
  return path;
}

std::string GetRegistryValue(std::string_view application, std::string_view section,
                             std::string_view key, std::string_view default_value) {
  CheckArguments(application, key);
  host::Hive& hive = RequireHive("Could not open registry section", kSystemCannotOpen);
  std::string path = RegistryKeyPath(application, section);
  try {
    if (!hive.KeyExists(path)) return std::string(default_value);
    // Every value of the hive is a string value, so the "Registry data not
    // a string" failure of other stores cannot happen here.
    auto value = hive.GetValue(path, key);
    return value ? *value : std::string(default_value);
  } catch (const Error& error) {
    RaiseRegistry(SystemCodeOf(error, kSystemCannotOpen),
                  "Could not open registry section", error.Description());
  }
}

void SetRegistryValue(std::string_view application, std::string_view section,
                      std::string_view key, std::string_view value) {
  CheckArguments(application, key);
  host::Hive& hive =
      RequireHive("Could not open/create registry section", kSystemCannotOpen);
  std::string path = RegistryKeyPath(application, section);
  bool existed = false;
  try {
    existed = hive.KeyExists(path);
    hive.SetValue(path, key, value);
  } catch (const Error& error) {
    if (existed) {
      RaiseRegistry(SystemCodeOf(error, kSystemCannotWrite), "Could not set key value",
                    error.Description());
    }
    RaiseRegistry(SystemCodeOf(error, kSystemCannotOpen),
                  "Could not open/create registry section", error.Description());
  }
}

void DeleteRegistryKey(RegistryRoot /*root: the current user's hive is the only one*/,
                       std::string_view path) {
  host::Hive& hive = RequireHive("Could not open registry section", kSystemCannotOpen);
  try {
    // The hive deletes the sub-keys with the key, depth first.
    hive.DeleteKey(path);
  } catch (const Error& error) {
    RaiseRegistry(SystemCodeOf(error, kSystemCannotWrite),
                  "Could not open registry section", error.Description());
  }
}

}  // namespace zanvoro
