#include "host/os/Hive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <system_error>

#include "host/os/AtomicFile.h"
#include "host/os/System.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.Hive";
constexpr const char* kFormat = "zanvoro-hive";
constexpr int kVersion = 1;

using Json = nlohmann::ordered_json;

// A file from a newer program is left alone rather than set aside.
struct NewerVersion : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Node {
  std::string name;
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<Node> keys;
};

std::vector<std::string_view> SplitPath(std::string_view key_path) {
  std::vector<std::string_view> pieces;
  while (!key_path.empty()) {
    size_t slash = key_path.find('\\');
    std::string_view piece = key_path.substr(0, slash);
    if (!piece.empty()) pieces.push_back(piece);
    if (slash == std::string_view::npos) break;
    key_path.remove_prefix(slash + 1);
  }
  return pieces;
}

const Node* FindKey(const Node& root, std::string_view key_path) {
  const Node* node = &root;
  for (std::string_view piece : SplitPath(key_path)) {
    auto it = std::find_if(node->keys.begin(), node->keys.end(),
                           [&](const Node& key) { return TextEquals(key.name, piece); });
    if (it == node->keys.end()) return nullptr;
    node = &*it;
  }
  return node;
}

Node* FindKey(Node& root, std::string_view key_path) {
  return const_cast<Node*>(FindKey(static_cast<const Node&>(root), key_path));
}

Node& CreateKey(Node& root, std::string_view key_path) {
  Node* node = &root;
  for (std::string_view piece : SplitPath(key_path)) {
    auto it = std::find_if(node->keys.begin(), node->keys.end(),
                           [&](const Node& key) { return TextEquals(key.name, piece); });
    if (it == node->keys.end()) {
      node->keys.push_back(Node{std::string(piece), {}, {}});
      node = &node->keys.back();
    } else {
      node = &*it;
    }
  }
  return *node;
}

auto FindValue(auto& values, std::string_view name) {
  return std::find_if(values.begin(), values.end(),
                      [&](const auto& value) { return TextEquals(value.first, name); });
}

Json ToJson(const Node& node) {
  Json values = Json::array();
  for (const auto& [name, value] : node.values)
    values.push_back(Json::array({name, value}));
  Json keys = Json::array();
  for (const Node& key : node.keys) keys.push_back(ToJson(key));
  return Json{
      {"name", node.name}, {"values", std::move(values)}, {"keys", std::move(keys)}};
}

// Reads a node back; anything not in the written shape is damage.
Node FromJson(const Json& json, const std::string& where) {
  auto fail = [&](const std::string& problem) -> std::runtime_error {
    return std::runtime_error(where + ": " + problem);
  };
  if (!json.is_object()) throw fail("a key must be an object");
  Node node;
  auto name = json.find("name");
  if (name == json.end() || !name->is_string()) throw fail("a key needs a text \"name\"");
  node.name = name->get<std::string>();
  if (auto values = json.find("values"); values != json.end()) {
    if (!values->is_array()) throw fail("\"values\" must be a list");
    for (const Json& pair : *values) {
      if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string() ||
          !pair[1].is_string()) {
        throw fail("each value must be a pair of texts [name, value]");
      }
      node.values.emplace_back(pair[0].get<std::string>(), pair[1].get<std::string>());
    }
  }
  if (auto keys = json.find("keys"); keys != json.end()) {
    if (!keys->is_array()) throw fail("\"keys\" must be a list");
    for (const Json& key : *keys) {
      std::string key_where = where + "\\" +
                              (key.contains("name") && key["name"].is_string()
                                   ? key["name"].get<std::string>()
                                   : std::string("?"));
      node.keys.push_back(FromJson(key, key_where));
    }
  }
  return node;
}

Node Parse(const std::string& text) {
  Json json = Json::parse(text);
  if (!json.is_object() || json.value("format", "") != kFormat) {
    throw std::runtime_error("not a hive file (\"format\" is not \"" +
                             std::string(kFormat) + "\")");
  }
  if (!json.contains("version") || !json["version"].is_number_integer()) {
    throw std::runtime_error("\"version\" is missing");
  }
  if (json["version"].get<int>() > kVersion) {
    throw NewerVersion("it was written by a newer version of Zanvoro (format version " +
                       std::to_string(json["version"].get<int>()) + ")");
  }
  if (!json.contains("root")) throw std::runtime_error("\"root\" is missing");
  return FromJson(json["root"], "root");
}

std::string Serialize(const Node& root) {
  Json json{{"format", kFormat}, {"version", kVersion}, {"root", ToJson(root)}};
  return json.dump(1) + "\n";
}

// What identifies one version of the file: a replacement is a new inode.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
  }
};

FileStamp StampOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

// An exclusive lock on "<hive>.lock" for one read-modify-write.
class WriteLock {
 public:
  explicit WriteLock(const std::filesystem::path& hive_path) {
    std::filesystem::path lock_path = hive_path.string() + ".lock";
    fd_ = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      throw Error(errno == EACCES || errno == EROFS || errno == EPERM
                      ? err::kPermissionDenied
                      : err::kCallFailed,
                  "Cannot lock the settings hive " + hive_path.string() + ": " +
                      std::strerror(errno),
                  kSource);
    }
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~WriteLock() { ::close(fd_); }  // closing releases the lock
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace

struct Hive::State {
  std::filesystem::path path;
  Node root;
  FileStamp stamp;
  std::optional<Error> warning;

  // Reads the file again when another writer replaced it since we last saw it.
  void Refresh() {
    FileStamp now = StampOf(path);
    if (now == stamp) return;
    Load();
  }

  void Load() {
    FileStamp before = StampOf(path);
    std::optional<std::string> text = ReadFileIfExists(path);
    if (!text) {
      root = Node{};
      stamp = {};
      return;
    }
    try {
      root = Parse(*text);
      stamp = before;
    } catch (const NewerVersion& problem) {
      throw Error(err::kVersionMismatch,
                  "Cannot use the settings hive " + path.string() + ": " + problem.what(),
                  kSource);
    } catch (const std::exception& problem) {
      std::filesystem::path moved;
      try {
        moved = SetAsideCorruptFile(path);
      } catch (const Error&) {
        // Another process sharing the hive set it aside or replaced it first.
        if (StampOf(path) == before) throw;
        Load();
        return;
      }
      warning = Error(err::kCorruptData,
                      "The settings hive " + path.string() + " is damaged (" +
                          problem.what() + "); it was set aside as " + moved.string() +
                          " and the settings start empty.",
                      kSource);
      root = Node{};
      stamp = {};
    }
  }

  // Applies `change` to a copy of the latest tree and writes it through; the
  // tree in memory changes only once the file has been replaced.
  template <typename Change>
  auto Modify(Change change) {
    // A change that changes nothing (deleting what is not there) touches no file.
    Refresh();
    Node probe = root;
    if (auto result = change(probe); !result) return result;

    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
      throw Error(err::kPathNotFound,
                  "Cannot create the folder of the settings hive " + path.string() +
                      ": " + error.message(),
                  kSource);
    }
    WriteLock lock(path);
    Refresh();
    Node updated = root;
    auto result = change(updated);
    if (!result) return result;
    std::string text;
    try {
      text = Serialize(updated);
    } catch (const nlohmann::json::exception&) {
      throw Error(err::kInvalidProcedureCall,
                  "Cannot store the setting in " + path.string() +
                      ": a name or value is not valid UTF-8 text",
                  kSource);
    }
    WriteFileAtomically(path, text, FileAccess::Private);
    root = std::move(updated);
    stamp = StampOf(path);
    return result;
  }
};

std::filesystem::path Hive::DefaultPath() {
  return PathFor(ConfigFolder() / "zanvoro" / "hive.json");
}

std::filesystem::path Hive::PathFor(const std::filesystem::path& configured) {
  if (const char* path = std::getenv("ZANVORO_HIVE"); path && *path) return path;
  return configured;
}

Hive::Hive(std::filesystem::path path) : state_(std::make_unique<State>()) {
  state_->path = std::move(path);
  RemoveStaleTempFiles(state_->path);
  state_->Load();
}

Hive::~Hive() = default;
Hive::Hive(Hive&&) noexcept = default;
Hive& Hive::operator=(Hive&&) noexcept = default;

const std::filesystem::path& Hive::Path() const { return state_->path; }
const std::optional<Error>& Hive::Warning() const { return state_->warning; }

std::optional<std::string> Hive::GetValue(std::string_view key_path,
                                          std::string_view name) const {
  state_->Refresh();
  const Node* key = FindKey(state_->root, key_path);
  if (!key) return std::nullopt;
  auto value = FindValue(key->values, name);
  if (value == key->values.end()) return std::nullopt;
  return value->second;
}

bool Hive::KeyExists(std::string_view key_path) const {
  state_->Refresh();
  return FindKey(state_->root, key_path) != nullptr;
}

std::vector<std::string> Hive::SubKeyNames(std::string_view key_path) const {
  state_->Refresh();
  std::vector<std::string> names;
  if (const Node* key = FindKey(state_->root, key_path)) {
    for (const Node& sub_key : key->keys) names.push_back(sub_key.name);
  }
  return names;
}

std::vector<std::string> Hive::ValueNames(std::string_view key_path) const {
  state_->Refresh();
  std::vector<std::string> names;
  if (const Node* key = FindKey(state_->root, key_path)) {
    for (const auto& value : key->values) names.push_back(value.first);
  }
  return names;
}

void Hive::SetValue(std::string_view key_path, std::string_view name,
                    std::string_view value) {
  state_->Modify([&](Node& root) {
    Node& key = CreateKey(root, key_path);
    auto existing = FindValue(key.values, name);
    if (existing == key.values.end()) {
      key.values.emplace_back(std::string(name), std::string(value));
    } else {
      existing->second = value;
    }
    return true;
  });
}

bool Hive::DeleteValue(std::string_view key_path, std::string_view name) {
  return state_->Modify([&](Node& root) {
    Node* key = FindKey(root, key_path);
    if (!key) return false;
    auto existing = FindValue(key->values, name);
    if (existing == key->values.end()) return false;
    key->values.erase(existing);
    return true;
  });
}

bool Hive::DeleteKey(std::string_view key_path) {
  std::vector<std::string_view> pieces = SplitPath(key_path);
  if (pieces.empty()) {
    throw Error(err::kInvalidProcedureCall,
                "The root of the settings hive cannot be deleted", kSource);
  }
  std::string parent_path;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    parent_path += std::string(pieces[i]) + "\\";
  }
  return state_->Modify([&](Node& root) {
    Node* parent = FindKey(root, parent_path);
    if (!parent) return false;
    auto it = std::find_if(
        parent->keys.begin(), parent->keys.end(),
        [&](const Node& key) { return TextEquals(key.name, pieces.back()); });
    if (it == parent->keys.end()) return false;
    parent->keys.erase(it);
    return true;
  });
}

}  // namespace zanvoro::host
