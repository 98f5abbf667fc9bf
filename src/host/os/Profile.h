// The user's profile: who the user is, where the hive and the message stores
// are, and the regional formats. One file, "profile.json", in the profile
// folder; several profiles (technicians, tests) can live side by side.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Date.h"

namespace zanvoro::host {

enum class StoreRole { Mailbox, Shared, Archive };

// "mailbox", "shared", "archive"; nullopt for any other text.
std::string_view StoreRoleName(StoreRole role);
std::optional<StoreRole> StoreRoleFromName(std::string_view name);

struct StoreLocation {
  std::filesystem::path path;  // absolute
  std::string display_name;
  StoreRole role = StoreRole::Mailbox;
};

struct Profile {
  static constexpr const char* kFileName = "profile.json";

  std::filesystem::path folder;  // absolute
  std::string user_name;         // display name
  std::string smtp_address;
  std::filesystem::path hive_path;  // absolute; default "<folder>/hive.json"
  std::vector<StoreLocation> stores;
  RegionalFormats formats;
  std::string host_version = "16.0";

  // "<config folder>/zanvoro/profile".
  static std::filesystem::path DefaultFolder();

  // Reads "<folder>/profile.json" and applies its regional formats
  // (SetRegionalFormats). A folder without one gets a default profile, saved
  // there: the user's name from the system, the address "<login>@localhost",
  // "<folder>/hive.json" and one mailbox store "<folder>/mailbox.zdb" named
  // after the user. Missing entries take these defaults. A malformed file
  // raises an Error (err::kCorruptData) naming the file and the problem and is
  // left as it is; a file that cannot be read or written raises an Error too.
  static Profile Load(const std::filesystem::path& folder);
  // The default profile for `folder`, without touching the disk.
  static Profile Default(const std::filesystem::path& folder);

  // Writes the profile atomically (a crash leaves the old or the new file).
  // Paths inside the folder are stored relative to it, so a profile folder
  // can be moved or copied whole.
  void Save() const;

  std::filesystem::path FilePath() const { return folder / kFileName; }
  // The hive to open: the file named by ZANVORO_HIVE when it is set, else
  // hive_path.
  std::filesystem::path EffectiveHivePath() const;
};

}  // namespace zanvoro::host
