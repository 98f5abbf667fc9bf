// The current user's settings hive: keys with sub-keys and string values,
// addressed by backslash-separated paths such as "Software\Pellworth\VNH".
// Key and value names compare case-insensitively and keep the spelling they
// were created with. The hive is one file per user; every change is written
// through at once, atomically, so a crash never leaves a torn file. Several
// processes may share one file: changes are made under a file lock, and a
// reader sees what another process wrote as soon as it was written.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Error.h"

namespace zanvoro::host {

class Hive {
 public:
  // Where the hive lives when the profile names none: the file named by the
  // environment variable ZANVORO_HIVE, else "<config folder>/zanvoro/hive.json".
  static std::filesystem::path DefaultPath();
  // The hive to use where `configured` is configured: the file named by
  // ZANVORO_HIVE when that is set (tests, scripts), else `configured`.
  static std::filesystem::path PathFor(const std::filesystem::path& configured);

  // Opens the hive file at `path`; a missing file is an empty hive (the file
  // and its folder are created by the first change). A damaged file is set
  // aside as "<file>.corrupt-<timestamp>", never wiped; the hive then starts
  // empty and Warning() says so. Raises an Error when the file exists but
  // cannot be read.
  explicit Hive(std::filesystem::path path);
  ~Hive();
  Hive(Hive&&) noexcept;
  Hive& operator=(Hive&&) noexcept;

  const std::filesystem::path& Path() const;
  // The damaged file found when the hive was (re)read, as an Error the caller
  // can show (err::kCorruptData, naming the file and where it was moved).
  const std::optional<Error>& Warning() const;

  // Paths: pieces between backslashes; empty pieces are ignored, so "" and
  // "\" are the root. A missing key or value is not an error.
  std::optional<std::string> GetValue(std::string_view key_path,
                                      std::string_view name) const;
  bool KeyExists(std::string_view key_path) const;
  // Names in the order they were created, with their own spelling; empty for
  // a missing key.
  std::vector<std::string> SubKeyNames(std::string_view key_path) const;
  std::vector<std::string> ValueNames(std::string_view key_path) const;

  // Creates the missing keys of the path and sets the value (a value that
  // exists keeps the spelling of its name). Text must be UTF-8.
  void SetValue(std::string_view key_path, std::string_view name, std::string_view value);
  // Return whether there was something to delete.
  bool DeleteValue(std::string_view key_path, std::string_view name);
  // Deletes the key with all its sub-keys and values. The root cannot be
  // deleted (Error err::kInvalidProcedureCall).
  bool DeleteKey(std::string_view key_path);
  // Each change raises an Error when it cannot be written (disk full,
  // read-only folder); the file and the hive then keep their old content.

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zanvoro::host
