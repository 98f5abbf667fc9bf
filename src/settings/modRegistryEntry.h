// The per-user registry store: string values under
// "Software\Pellworth\<application>[\<section>]" in the current user's hive.
//
// Errors raised here carry the number vbObjectError + 2000 + the system
// error code, and the texts "AppName may not be empty", "Key may not be
// empty" (code 87, invalid parameter), "Could not open registry section",
// "Could not open/create registry section", "Could not set key value" (the
// code of the failure: 5 access denied, 112 disk full, else 1011 or 1013
// for a key that cannot be opened or written), with the cause appended in
// parentheses. A missing key or value is not an error: readers get their
// default. UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class Hive;
}  // namespace host

// The runtime's base for application-defined object errors.
inline constexpr int32_t vbObjectError = static_cast<int32_t>(0x80040000);
inline constexpr int32_t kRegistryErrorBase = vbObjectError + 2000;
// System error codes the registry procedures raise with.
inline constexpr int32_t kSystemAccessDenied = 5;
inline constexpr int32_t kSystemInvalidData = 13;
inline constexpr int32_t kSystemInvalidParameter = 87;
inline constexpr int32_t kSystemDiskFull = 112;
inline constexpr int32_t kSystemCannotOpen = 1011;
inline constexpr int32_t kSystemCannotWrite = 1013;

// The add-in's application name and its key.
inline constexpr const char* kRegistryApp = "VNH";
inline constexpr const char* kRegistryRoot = "Software\\Pellworth";

enum class RegistryRoot { CurrentUser };

// The hive the procedures work on: the current user's. REQUIRES: `hive`
// outlives its use here; nullptr detaches (every call then fails with
// "Could not open registry section").
void SetRegistryHive(host::Hive* hive);
host::Hive* RegistryHive();

// "Software\Pellworth\<trimmed application>[\<trimmed section>]".
std::string RegistryKeyPath(std::string_view application, std::string_view section);

std::string GetRegistryValue(std::string_view application, std::string_view section,
                             std::string_view key, std::string_view default_value);
void SetRegistryValue(std::string_view application, std::string_view section,
                      std::string_view key, std::string_view value);
// Deletes the key `path` (relative to the root) with all its sub-keys; a
// missing key is not an error.
void DeleteRegistryKey(RegistryRoot root, std::string_view path);

}  // namespace zanvoro
