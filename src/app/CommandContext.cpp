#include "app/CommandContext.h"

#include <optional>
#include <ostream>

#include "host/os/Hive.h"
#include "host/os/Profile.h"
#include "runtime/Error.h"

namespace zanvoro::app {

CommandContext::CommandContext(std::ostream& out, std::ostream& err)
    : out_(out), err_(err) {}

CommandContext::~CommandContext() = default;

std::filesystem::path CommandContext::ProfileFolder() const {
  if (profile_option_.empty()) return host::Profile::DefaultFolder();
  return profile_option_;
}

host::Profile& CommandContext::Profile(ProfileUse use) {
  if (!profile_) {
    const std::filesystem::path folder = ProfileFolder();
    std::error_code ignored;
    if (use == ProfileUse::Existing &&
        !std::filesystem::exists(folder / host::Profile::kFileName, ignored)) {
      throw Error(err::kNotFound, "there is no profile in " + folder.string() +
                                      " (zanvoro run or ConfigureServerPST makes one)");
    }
    profile_ = std::make_unique<host::Profile>(host::Profile::Load(ProfileFolder()));
  }
  return *profile_;
}

host::Hive& CommandContext::Hive() {
  if (!hive_) {
    hive_ = std::make_unique<host::Hive>(Profile().EffectiveHivePath());
    if (const auto& warning = hive_->Warning()) {
      err_ << "zanvoro: warning: " << warning->Description() << std::endl;
    }
  }
  return *hive_;
}

Date DateOption(const std::string& text, const char* option) {
  std::optional<Date> date = ParseDate(text);
  if (!date)
    throw Error(err::kTypeMismatch, std::string(option) + ": not a date: " + text);
  return *date;
}

}  // namespace zanvoro::app
