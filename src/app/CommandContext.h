// What every command of the `zanvoro` program shares: the output streams and
// the user's profile and hive, opened when a command first asks for them.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

#include "runtime/Date.h"

namespace zanvoro::host {
class Hive;
struct Profile;
}  // namespace zanvoro::host

namespace zanvoro::app {

// Whether a command may make the profile: only those that write to it do,
// so a mistyped --profile on a reading command is an error, not a new
// empty profile.
enum class ProfileUse { Existing, CreateIfMissing };

class CommandContext {
 public:
  CommandContext(std::ostream& out, std::ostream& err);
  ~CommandContext();
  CommandContext(const CommandContext&) = delete;
  CommandContext& operator=(const CommandContext&) = delete;

  std::ostream& Out() { return out_; }
  std::ostream& Err() { return err_; }

  // The text of the global --profile option; empty means the default folder.
  std::string& ProfileOption() { return profile_option_; }
  std::filesystem::path ProfileFolder() const;

  // Loads the profile on first use; with ProfileUse::CreateIfMissing a
  // folder without one gets a default profile. Raises Error(err::kNotFound)
  // when there is none to use, and the profile's Error when it is malformed.
  host::Profile& Profile(ProfileUse use = ProfileUse::Existing);
  // Opens the profile's hive on first use; a damaged hive file that was set
  // aside is reported on Err() as a warning, and the command goes on.
  host::Hive& Hive();

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::string profile_option_;
  std::unique_ptr<host::Profile> profile_;
  std::unique_ptr<host::Hive> hive_;
};

// The date an option's text names; raises Error(err::kTypeMismatch)
// "<option>: not a date: <text>" when it names none.
Date DateOption(const std::string& text, const char* option);

}  // namespace zanvoro::app
