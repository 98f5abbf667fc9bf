#include "host/os/Profile.h"

#include <nlohmann/json.hpp>
#include <system_error>
#include <utility>

#include "host/db/SqlSession.h"
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

// Reads an optional whole number: absent leaves `target` alone.
void ReadNumber(const Json& object, const char* name, const std::string& where,
                int& target) {
  auto entry = object.find(name);
  if (entry == object.end() || entry->is_null()) return;
  if (!entry->is_number_integer())
    throw Malformed(where + "\"" + name + "\" must be a whole number");
  target = entry->get<int>();
}

template <class Enum, size_t N>
std::string_view NameOf(const std::pair<Enum, const char*> (&names)[N], Enum value) {
  for (const auto& [v, name] : names) {
    if (v == value) return name;
  }
  return names[0].second;
}

// Reads an optional entry that must be one of `names`.
template <class Enum, size_t N>
void ReadChoice(const Json& object, const char* name, const std::string& where,
                const std::pair<Enum, const char*> (&names)[N], Enum& target) {
  std::string text;
  ReadText(object, name, where, text);
  if (text.empty()) return;
  std::string allowed;
  for (const auto& [v, n] : names) {
    if (text == n) {
      target = v;
      return;
    }
    allowed += std::string(allowed.empty() ? "" : ", ") + "\"" + n + "\"";
  }
  throw Malformed(where + "\"" + name + "\" is \"" + text + "\"; it must be one of " +
                  allowed);
}

constexpr std::pair<IncomingKind, const char*> kIncomingKinds[] = {
    {IncomingKind::Maildir, "maildir"},
    {IncomingKind::Imap, "imap"},
    {IncomingKind::Pop3, "pop3"}};
constexpr std::pair<OutgoingKind, const char*> kOutgoingKinds[] = {
    {OutgoingKind::Outbox, "outbox"},
    {OutgoingKind::Smtp, "smtp"},
    {OutgoingKind::Sendmail, "sendmail"}};
constexpr std::pair<MailSecurity, const char*> kSecurities[] = {
    {MailSecurity::None, "none"},
    {MailSecurity::StartTls, "starttls"},
    {MailSecurity::Tls, "tls"}};
constexpr std::pair<HandledMail, const char*> kHandlings[] = {
    {HandledMail::Keep, "keep"},
    {HandledMail::Flag, "flag"},
    {HandledMail::Move, "move"},
    {HandledMail::Delete, "delete"}};
constexpr std::pair<CertificateCheck, const char*> kCertificateChecks[] = {
    {CertificateCheck::Verify, "verify"}, {CertificateCheck::TrustAny, "trust-any"}};

std::filesystem::path Absolute(const std::filesystem::path& folder,
                               const std::string& path_text, const std::string& where) {
  if (path_text.empty()) throw Malformed(where + " must not be empty");
  std::filesystem::path path(path_text);
  // A store on a database server is an address, not a file.
  if (db::BackendOf(path_text) == db::SqlBackend::Postgresql) return path;
  return (path.is_absolute() ? path : folder / path).lexically_normal();
}

// Inside the profile folder: relative to it; elsewhere: as it is.
std::string Portable(const std::filesystem::path& folder,
                     const std::filesystem::path& path) {
  if (db::BackendOf(path.string()) == db::SqlBackend::Postgresql) return path.string();
  std::filesystem::path relative = path.lexically_relative(folder);
  if (!relative.empty() && *relative.begin() != "..") return relative.string();
  return path.string();
}

void ReadServer(const Json& entry, const std::string& where, MailServer& server) {
  ReadText(entry, "host", where, server.host);
  ReadNumber(entry, "port", where, server.port);
  if (server.port < 0 || server.port > 65535)
    throw Malformed(where + "\"port\" must be between 0 and 65535");
  ReadChoice(entry, "security", where, kSecurities, server.security);
  ReadText(entry, "user", where, server.user);
  ReadText(entry, "password", where, server.password);
  ReadChoice(entry, "certificate", where, kCertificateChecks, server.certificate);
}

Json ServerJson(const MailServer& server) {
  return Json{{"host", server.host},
              {"port", server.port},
              {"security", NameOf(kSecurities, server.security)},
              {"user", server.user},
              {"password", server.password},
              {"certificate", NameOf(kCertificateChecks, server.certificate)}};
}

void ApplyAccounts(const Json& accounts, Profile& profile) {
  if (auto incoming = accounts.find("incoming");
      incoming != accounts.end() && !incoming->is_null()) {
    if (!incoming->is_array()) throw Malformed("accounts: \"incoming\" must be a list");
    profile.incoming.clear();
    for (size_t i = 0; i < incoming->size(); ++i) {
      const Json& entry = (*incoming)[i];
      std::string where = "accounts.incoming[" + std::to_string(i) + "]: ";
      if (!entry.is_object()) throw Malformed(where + "each account must be an object");
      IncomingAccount account;
      ReadText(entry, "name", where, account.name);
      if (account.name.empty()) throw Malformed(where + "\"name\" must not be empty");
      for (const IncomingAccount& other : profile.incoming) {
        if (other.name == account.name)
          throw Malformed(where + "the name \"" + account.name + "\" is used twice");
      }
      ReadChoice(entry, "type", where, kIncomingKinds, account.kind);
      if (account.kind == IncomingKind::Maildir) {
        std::string path;
        ReadText(entry, "path", where, path);
        account.maildir = Absolute(profile.folder, path, where + "\"path\"");
      } else {
        ReadServer(entry, where, account.server);
        if (account.server.host.empty())
          throw Malformed(where + "\"host\" must not be empty");
      }
      ReadText(entry, "server_folder", where, account.server_folder);
      ReadChoice(entry, "handled", where, kHandlings, account.handled);
      ReadText(entry, "move_to", where, account.move_to);
      if (account.handled == HandledMail::Move && account.move_to.empty())
        throw Malformed(where + "\"move_to\" is needed when handled mail is moved");
      ReadText(entry, "folder", where, account.deliver_to);
      profile.incoming.push_back(std::move(account));
    }
  }
  if (const Json* outgoing = ReadObject(accounts, "outgoing")) {
    const std::string where = "accounts.outgoing: ";
    OutgoingAccount account;
    account.outbox = profile.outgoing.outbox;
    ReadChoice(*outgoing, "type", where, kOutgoingKinds, account.kind);
    if (account.kind == OutgoingKind::Outbox && outgoing->contains("path")) {
      std::string path;
      ReadText(*outgoing, "path", where, path);
      account.outbox = Absolute(profile.folder, path, where + "\"path\"");
    }
    if (account.kind == OutgoingKind::Smtp) {
      ReadServer(*outgoing, where, account.server);
      if (account.server.host.empty())
        throw Malformed(where + "\"host\" must not be empty");
    }
    std::string program;
    ReadText(*outgoing, "program", where, program);
    if (!program.empty()) account.program = program;
    profile.outgoing = std::move(account);
  }
  ReadNumber(accounts, "poll_seconds", "accounts: ", profile.poll_seconds);
  if (profile.poll_seconds < 1)
    throw Malformed("accounts: \"poll_seconds\" must be at least 1");
  ReadText(accounts, "message_id_domain", "accounts: ", profile.message_id_domain);
}

Json AccountsJson(const Profile& profile) {
  Json incoming = Json::array();
  for (const IncomingAccount& account : profile.incoming) {
    Json entry{{"name", account.name}, {"type", NameOf(kIncomingKinds, account.kind)}};
    if (account.kind == IncomingKind::Maildir) {
      entry["path"] = Portable(profile.folder, account.maildir);
    } else {
      entry.update(ServerJson(account.server));
    }
    if (account.kind == IncomingKind::Imap)
      entry["server_folder"] = account.server_folder;
    entry["handled"] = NameOf(kHandlings, account.handled);
    if (!account.move_to.empty()) entry["move_to"] = account.move_to;
    entry["folder"] = account.deliver_to;
    incoming.push_back(std::move(entry));
  }
  const OutgoingAccount& out = profile.outgoing;
  Json outgoing{{"type", NameOf(kOutgoingKinds, out.kind)}};
  if (out.kind == OutgoingKind::Outbox)
    outgoing["path"] = Portable(profile.folder, out.outbox);
  if (out.kind == OutgoingKind::Smtp) outgoing.update(ServerJson(out.server));
  if (out.kind == OutgoingKind::Sendmail) outgoing["program"] = out.program.string();
  return Json{{"incoming", std::move(incoming)},
              {"outgoing", std::move(outgoing)},
              {"poll_seconds", profile.poll_seconds},
              {"message_id_domain", profile.message_id_domain}};
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
  if (const Json* accounts = ReadObject(json, "accounts"))
    ApplyAccounts(*accounts, profile);
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
              {"host_version", profile.host_version},
              {"accounts", AccountsJson(profile)}};
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

std::string_view IncomingKindName(IncomingKind kind) {
  return NameOf(kIncomingKinds, kind);
}
std::string_view OutgoingKindName(OutgoingKind kind) {
  return NameOf(kOutgoingKinds, kind);
}
std::string_view MailSecurityName(MailSecurity security) {
  return NameOf(kSecurities, security);
}
std::string_view HandledMailName(HandledMail handled) {
  return NameOf(kHandlings, handled);
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
  IncomingAccount drop;
  drop.name = "drop";
  drop.maildir = profile.folder / "drop";
  profile.incoming.push_back(std::move(drop));
  profile.outgoing.outbox = profile.folder / "outbox";
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
