#include "host/os/Profile.h"

#include <nlohmann/json.hpp>
#include <system_error>

#include "host/os/AtomicFile.h"
#include "host/os/Hive.h"
#include "host/os/System.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.Profile";
using Json = nlohmann::ordered_json;

// A problem with the profile's content, with the entry it concerns.
struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads an optional text entry: absent leaves `target` alone.
void ReadText(const Json& object, const char* name, const std::string& where,
              std::string& target) {
  auto entry = object.find(name);
  if (entry == object.end() || entry->is_null()) return;
  if (!entry->is_string()) throw Malformed(where + "\"" + name + "\" must be a text");
  target = entry->get<std::string>();
}

const Json* ReadObject(const Json& object, const char* name) {
  auto entry = object.find(name);
  if (entry == object.end() || entry->is_null()) return nullptr;
  if (!entry->is_object())
    throw Malformed(std::string("\"") + name + "\" must be an object");
  return &*entry;
}

std::filesystem::path Absolute(const std::filesystem::path& folder,
                               const std::string& path_text, const std::string& where) {
  if (path_text.empty()) throw Malformed(where + " must not be empty");
  std::filesystem::path path(path_text);
  return (path.is_absolute() ? path : folder / path).lexically_normal();
}

// Inside the profile folder: relative to it; elsewhere: as it is.
std::string Portable(const std::filesystem::path& folder,
                     const std::filesystem::path& path) {
  std::filesystem::path relative = path.lexically_relative(folder);
  if (!relative.empty() && *relative.begin() != "..") return relative.string();
  return path.string();
}

void ApplyJson(const Json& json, Profile& profile) {
  if (!json.is_object()) throw Malformed("the file must hold one JSON object");
  if (const Json* user = ReadObject(json, "user")) {
    ReadText(*user, "name", "user: ", profile.user_name);
    ReadText(*user, "address", "user: ", profile.smtp_address);
  }
  std::string hive;
  ReadText(json, "hive", "", hive);
  if (json.contains("hive"))
    profile.hive_path = Absolute(profile.folder, hive, "\"hive\"");

  if (auto stores = json.find("stores"); stores != json.end() && !stores->is_null()) {
    if (!stores->is_array()) throw Malformed("\"stores\" must be a list");
    profile.stores.clear();
    for (size_t i = 0; i < stores->size(); ++i) {
      const Json& entry = (*stores)[i];
      std::string where = "stores[" + std::to_string(i) + "]: ";
      if (!entry.is_object()) throw Malformed(where + "each store must be an object");
      StoreLocation store;
      std::string path, role = "mailbox";
      ReadText(entry, "path", where, path);
      store.path = Absolute(profile.folder, path, where + "\"path\"");
      ReadText(entry, "name", where, store.display_name);
      if (store.display_name.empty()) store.display_name = store.path.stem().string();
      ReadText(entry, "role", where, role);
      auto parsed_role = StoreRoleFromName(role);
      if (!parsed_role) {
        throw Malformed(where + "\"role\" is \"" + role +
                        "\"; it must be \"mailbox\", \"shared\" or \"archive\"");
      }
      store.role = *parsed_role;
      profile.stores.push_back(std::move(store));
    }
  }

  if (const Json* formats = ReadObject(json, "regional_formats")) {
    ReadText(*formats, "short_date", "regional_formats: ", profile.formats.short_date);
    ReadText(*formats, "long_date", "regional_formats: ", profile.formats.long_date);
    ReadText(*formats, "time", "regional_formats: ", profile.formats.time);
  }
  ReadText(json, "host_version", "", profile.host_version);
}

Json ToJson(const Profile& profile) {
  Json stores = Json::array();
  for (const StoreLocation& store : profile.stores) {
    stores.push_back({{"path", Portable(profile.folder, store.path)},
                      {"name", store.display_name},
                      {"role", StoreRoleName(store.role)}});
  }
  return Json{{"user", {{"name", profile.user_name}, {"address", profile.smtp_address}}},
              {"hive", Portable(profile.folder, profile.hive_path)},
              {"stores", std::move(stores)},
              {"regional_formats",
               {{"short_date", profile.formats.short_date},
                {"long_date", profile.formats.long_date},
                {"time", profile.formats.time}}},
              {"host_version", profile.host_version}};
}

std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  return (error ? folder : absolute).lexically_normal();
}

}  // namespace

std::string_view StoreRoleName(StoreRole role) {
  switch (role) {
    case StoreRole::Mailbox:
      return "mailbox";
    case StoreRole::Shared:
      return "shared";
    case StoreRole::Archive:
      return "archive";
  }
  return "mailbox";
}

std::optional<StoreRole> StoreRoleFromName(std::string_view name) {
  for (StoreRole role : {StoreRole::Mailbox, StoreRole::Shared, StoreRole::Archive}) {
    if (StoreRoleName(role) == name) return role;
  }
  return std::nullopt;
}

std::filesystem::path Profile::DefaultFolder() {
  return ConfigFolder() / "zanvoro" / "profile";
}

Profile Profile::Default(const std::filesystem::path& folder) {
  Profile profile;
  profile.folder = AbsoluteFolder(folder);
  profile.user_name = UserDisplayName();
  profile.smtp_address = UserName() + "@localhost";
  profile.hive_path = profile.folder / "hive.json";
  profile.stores.push_back(
      {profile.folder / "mailbox.zdb", profile.user_name, StoreRole::Mailbox});
  return profile;
}

Profile Profile::Load(const std::filesystem::path& folder) {
  Profile profile = Default(folder);
  std::optional<std::string> text = ReadFileIfExists(profile.FilePath());
  if (!text) {
    profile.Save();
  } else {
    try {
      ApplyJson(Json::parse(*text), profile);
    } catch (const std::exception& problem) {
      throw Error(err::kCorruptData,
                  "The profile " + profile.FilePath().string() +
                      " is not valid: " + problem.what(),
                  kSource);
    }
  }
  SetRegionalFormats(profile.formats);
  return profile;
}

void Profile::Save() const {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    throw Error(
        err::kPathNotFound,
        "Cannot create the profile folder " + folder.string() + ": " + error.message(),
        kSource);
  }
  std::string text;
  try {
    text = ToJson(*this).dump(2) + "\n";
  } catch (const nlohmann::json::exception&) {
    throw Error(err::kInvalidProcedureCall,
                "Cannot save the profile " + FilePath().string() +
                    ": a name or path is not valid UTF-8 text",
                kSource);
  }
  WriteFileAtomically(FilePath(), text, FileAccess::Private);
}

std::filesystem::path Profile::EffectiveHivePath() const {
  return Hive::PathFor(hive_path);
}

}  // namespace zanvoro::host
