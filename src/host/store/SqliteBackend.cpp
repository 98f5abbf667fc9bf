#include "host/store/SqliteBackend.h"

#include <sqlite3.h>
#include <sys/random.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>

#include "host/store/Recordset.h"
#include "host/store/TableQuery.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

std::function<void(std::string_view)>& StepHook() {
  static std::function<void(std::string_view)> hook;
  return hook;
}

constexpr const char* kSource = "Store";

// The user property table's value column for a comparison literal.
constexpr std::string_view kTextValue = "text_value";
constexpr std::string_view kNumValue = "num_value";

std::string ColumnName(const StandardProperty& p) { return "\"" + LCase(p.name) + "\""; }

std::string ColumnType(PropKind kind) {
  switch (kind) {
    case PropKind::Text:
      return "TEXT NOT NULL DEFAULT ''";
    case PropKind::Long:
      return "INTEGER NOT NULL DEFAULT 0";
    case PropKind::Date:
      return "REAL";
    case PropKind::Boolean:
      return "INTEGER NOT NULL DEFAULT 0";
  }
  return "";
}

ValueKind KindOf(PropKind kind) {
  switch (kind) {
    case PropKind::Text:
      return ValueKind::Text;
    case PropKind::Long:
      return ValueKind::Number;
    case PropKind::Date:
      return ValueKind::Date;
    case PropKind::Boolean:
      return ValueKind::Boolean;
  }
  return ValueKind::Text;
}

const char* OperatorSql(CompareOp op) {
  switch (op) {
    case CompareOp::Equal:
      return "=";
    case CompareOp::NotEqual:
      return "<>";
    case CompareOp::Less:
      return "<";
    case CompareOp::LessOrEqual:
      return "<=";
    case CompareOp::Greater:
      return ">";
    case CompareOp::GreaterOrEqual:
      return ">=";
  }
  return "=";
}

// The mail client's DASL names of a few standard properties.
const std::map<std::string, Prop, std::less<>>& DaslNames() {
  static const std::map<std::string, Prop, std::less<>> names = {
      {"urn:schemas:httpmail:subject", Prop::Subject},
      {"urn:schemas:httpmail:textdescription", Prop::Body},
      {"urn:schemas:httpmail:htmldescription", Prop::HTMLBody},
      {"urn:schemas:httpmail:datereceived", Prop::ReceivedTime},
      {"urn:schemas:httpmail:fromname", Prop::SenderName},
      {"urn:schemas:httpmail:fromemail", Prop::SenderEmailAddress},
      {"urn:schemas:httpmail:importance", Prop::Importance},
      {"urn:schemas:httpmail:read", Prop::UnRead},
      {"urn:schemas:mailheader:message-id", Prop::MessageID},
      {"urn:schemas:mailheader:in-reply-to", Prop::InReplyTo},
      {"dav:getlastmodified", Prop::LastModificationTime},
      {"urn:schemas:calendar:dtstart", Prop::Start},
      {"urn:schemas:calendar:dtend", Prop::End},
      {"urn:schemas:calendar:location", Prop::Location},
  };
  return names;
}

constexpr std::string_view kPublicStrings = "http://schemas.microsoft.com/mapi/string/";

// Value columns of a user property: its text form, and its number (also
// dates as day counts and yes/no as 1/0) when it has one.
struct EncodedValue {
  std::optional<std::string> text;
  std::optional<double> number;
};

EncodedValue Encode(UserPropertyType type, const Variant& value) {
  EncodedValue out;
  switch (type) {
    case UserPropertyType::Text: {
      std::string text = value.IsText() ? value.Text() : CStr(value);
      if (IsNumeric(text)) out.number = CDbl(Variant(text));
      out.text = std::move(text);
      break;
    }
    case UserPropertyType::Number: {
      double d = CDbl(value);
      out.text = CStr(Variant(d));
      out.number = d;
      break;
    }
    case UserPropertyType::Currency: {
      Currency c = CCur(value);
      out.text = CurrencyText(c);
      out.number = c.ToDouble();
      break;
    }
    case UserPropertyType::DateTime: {
      Date d = CDate(value);
      out.text = CStr(Variant(d));
      out.number = d.Serial();
      break;
    }
    case UserPropertyType::YesNo: {
      bool b = CBool(value);
      out.text = b ? "True" : "False";
      out.number = b ? 1 : 0;
      break;
    }
  }
  return out;
}

}  // namespace

void SetStoreStepHookForTesting(std::function<void(std::string_view)> hook) {
  StepHook() = std::move(hook);
}

void StoreStep(std::string_view step) {
  if (StepHook()) StepHook()(step);
}

std::string NewStoreIdentifier() {
  // 6 bytes of the time in microseconds, so new rows land at the end of the
  // indexes, then 18 random bytes.
  unsigned char bytes[24];
  uint64_t micros =
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count());
  for (int i = 5; i >= 0; --i) {
    bytes[i] = static_cast<unsigned char>(micros & 0xff);
    micros >>= 8;
  }
  size_t got = 6;
  while (got < sizeof bytes) {
    ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      throw Error(err::kCallFailed, "No random bytes for a new identifier.", kSource);
    }
    got += static_cast<size_t>(n);
  }
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(sizeof bytes * 2);
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

// ---------------------------------------------------------------------------

constexpr size_t kMaxCachedStatements = 256;

struct SqliteBackend::Impl {
  sqlite3* db = nullptr;
  std::string path;
  StoreInfo info;
  std::unordered_map<std::string, sqlite3_stmt*> statements;
  // Property name (lower case) to its id; cleared when a transaction that
  // may have added names rolls back.
  std::unordered_map<std::string, int64_t> name_ids;
  int64_t data_version = -1;
  int active_queries = 0;    // Query objects alive now
  std::string item_columns;  // "\"messageclass\", \"subject\", ..."
  std::string item_select;   // "i.id, i.entry_id, ... , i.<columns>"
  std::string insert_item;   // the item row's INSERT and UPDATE of a save
  std::string update_item;
  bool in_transaction = false;
  // User properties a condition compared, by name id: those whose indexes
  // this connection knows to exist, and those still to be made before the
  // next query runs.
  std::set<int64_t> searched;
  std::set<int64_t> to_index;

  ~Impl() {
    for (auto& [sql, stmt] : statements) sqlite3_finalize(stmt);
    if (db) sqlite3_close_v2(db);
  }

  [[noreturn]] void Fail(int rc, std::string_view what) const {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    std::string description =
        std::string(what) + " failed on the store file '" + path + "': " + message;
    int primary = rc & 0xff;
    int32_t number = err::kCallFailed;
    if (rc == SQLITE_CONSTRAINT_FOREIGNKEY) {
      // The folder an item was saved, moved or copied to is gone.
      number = err::kObjectDeleted;
      description = "The folder has been deleted: " + description;
    } else if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
      number = err::kCorruptData;
      description =
          "The store file '" + path + "' is damaged or is not a store: " + message;
    } else if (primary == SQLITE_FULL) {
      number = err::kDiskFull;
    } else if (primary == SQLITE_READONLY || primary == SQLITE_PERM ||
               primary == SQLITE_AUTH) {
      number = err::kPermissionDenied;
    } else if (primary == SQLITE_CANTOPEN) {
      number = err::kPathNotFound;
    } else if (primary == SQLITE_NOMEM) {
      number = err::kNotEnoughMemory;
    }
    throw Error(number, description, kSource);
  }

  void Check(int rc, std::string_view what) const {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) Fail(rc, what);
  }

  void Exec(const std::string& sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    if (message) sqlite3_free(message);
    Check(rc, "A store update");
  }

  sqlite3_stmt* Prepare(const std::string& sql) {
    auto it = statements.find(sql);
    if (it != statements.end()) return it->second;
    // Filters and table queries make new texts; keep the cache bounded, but
    // never finalize a statement some Query still runs.
    if (statements.size() >= kMaxCachedStatements && active_queries == 0) {
      for (auto& [text, stmt] : statements) sqlite3_finalize(stmt);
      statements.clear();
    }
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt,
                             nullptr),
          "Preparing a store query");
    statements.emplace(sql, stmt);
    return stmt;
  }
};

namespace {

// One run of a cached statement; resets it when done.
class Query {
 public:
  Query(SqliteBackend::Impl& impl, const std::string& sql)
      : impl_(impl), stmt_(impl.Prepare(sql)) {
    count_ = sqlite3_bind_parameter_count(stmt_);
    ++impl_.active_queries;
  }
  ~Query() {
    Reset();
    --impl_.active_queries;
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  // Binding past the statement's last placeholder is ignored: a compiled
  // condition may leave a literal unused.
  Query& Bind(int i, int64_t v) {
    if (i <= count_) impl_.Check(sqlite3_bind_int64(stmt_, i, v), "Binding a value");
    return *this;
  }
  Query& Bind(int i, double v) {
    if (i <= count_) impl_.Check(sqlite3_bind_double(stmt_, i, v), "Binding a value");
    return *this;
  }
  Query& Bind(int i, std::string_view v) {
    if (i <= count_)
      impl_.Check(sqlite3_bind_text64(stmt_, i, v.data(), v.size(), SQLITE_TRANSIENT,
                                      SQLITE_UTF8),
                  "Binding a value");
    return *this;
  }
  Query& BindBlob(int i, std::string_view v) {
    if (i <= count_)
      impl_.Check(sqlite3_bind_blob64(stmt_, i, v.data(), v.size(), SQLITE_TRANSIENT),
                  "Binding a value");
    return *this;
  }
  Query& BindNull(int i) {
    if (i <= count_) impl_.Check(sqlite3_bind_null(stmt_, i), "Binding a value");
    return *this;
  }
  Query& Bind(int i, const std::optional<std::string>& v) {
    return v ? Bind(i, std::string_view(*v)) : BindNull(i);
  }
  Query& Bind(int i, const std::optional<double>& v) {
    return v ? Bind(i, *v) : BindNull(i);
  }
  // A compiled condition's literal.
  Query& Bind(int i, const Variant& v) {
    if (const double* d = v.As<double>()) return Bind(i, *d);
    if (const bool* b = v.As<bool>()) return Bind(i, int64_t{*b ? 1 : 0});
    if (const int32_t* n = v.As<int32_t>()) return Bind(i, int64_t{*n});
    if (const int64_t* n = v.As<int64_t>()) return Bind(i, *n);
    if (const int16_t* n = v.As<int16_t>()) return Bind(i, int64_t{*n});
    if (const Date* d = v.As<Date>()) return Bind(i, d->Serial());
    if (v.IsText()) return Bind(i, std::string_view(v.Text()));
    if (v.IsEmpty() || v.IsNull()) return BindNull(i);
    return Bind(i, std::string_view(CStr(v)));
  }

  // Ready for another run with new values.
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

  bool Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    impl_.Fail(rc, "A store query");
  }
  void Run() {
    while (Step()) {
    }
  }

  bool IsNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
  int Type(int col) const { return sqlite3_column_type(stmt_, col); }
  int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
  double Real(int col) const { return sqlite3_column_double(stmt_, col); }
  std::string Text(int col) const {
    const unsigned char* p = sqlite3_column_text(stmt_, col);
    if (!p) return {};
    return std::string(reinterpret_cast<const char*>(p),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
  }
  std::string Blob(int col) const {
    const void* p = sqlite3_column_blob(stmt_, col);
    if (!p) return {};
    return std::string(static_cast<const char*>(p),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
  }

 private:
  SqliteBackend::Impl& impl_;
  sqlite3_stmt* stmt_;
  int count_ = 0;
};

// BEGIN IMMEDIATE ... COMMIT; rolls back when left without Commit().
class Transaction {
 public:
  explicit Transaction(SqliteBackend::Impl& impl) : impl_(impl) {
    if (impl_.in_transaction)
      throw Error(err::kCallFailed, "A store transaction is already open.", kSource);
    impl_.Exec("BEGIN IMMEDIATE");
    impl_.in_transaction = true;
  }
  ~Transaction() {
    if (!done_) {
      sqlite3_exec(impl_.db, "ROLLBACK", nullptr, nullptr, nullptr);
      impl_.name_ids.clear();
      impl_.in_transaction = false;
    }
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit() {
    impl_.Exec("COMMIT");
    done_ = true;
    impl_.in_transaction = false;
  }

 private:
  SqliteBackend::Impl& impl_;
  bool done_ = false;
};

// ---------------------------------------------------------------------------
// Schema

// Tables every store has from version 1 on.
constexpr std::string_view kRequiredTables[] = {
    "meta",           "folders",     "folder_permissions",
    "property_names", "items",       "item_properties",
    "recipients",     "attachments", "change_log"};

std::string SchemaVersion1() {
  std::string items_columns;
  for (const StandardProperty& p : StandardProperties()) {
    if (p.since_version > 1) continue;
    items_columns += ",\n  " + ColumnName(p) + " " + ColumnType(p.kind);
  }
  return R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE folders(
  id INTEGER PRIMARY KEY,
  entry_id TEXT NOT NULL UNIQUE,
  parent_id INTEGER REFERENCES folders(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  default_item_type INTEGER NOT NULL DEFAULT 0,
  special INTEGER NOT NULL DEFAULT 0);
CREATE INDEX folders_parent ON folders(parent_id);
CREATE TABLE folder_permissions(
  folder_id INTEGER NOT NULL REFERENCES folders(id) ON DELETE CASCADE,
  user TEXT NOT NULL COLLATE NOCASE,
  role INTEGER NOT NULL,
  PRIMARY KEY(folder_id, user)) WITHOUT ROWID;
CREATE TABLE property_names(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE COLLATE NOCASE);
CREATE TABLE items(
  id INTEGER PRIMARY KEY,
  entry_id TEXT NOT NULL UNIQUE,
  folder_id INTEGER NOT NULL REFERENCES folders(id) ON DELETE CASCADE,
  change_counter INTEGER NOT NULL,
  creator TEXT NOT NULL DEFAULT '')" +
         items_columns + R"();
CREATE INDEX items_folder ON items(folder_id);
CREATE INDEX items_folder_entry ON items(folder_id, entry_id);
CREATE TABLE item_properties(
  item_id INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,
  name_id INTEGER NOT NULL REFERENCES property_names(id),
  type INTEGER NOT NULL,
  text_value TEXT,
  num_value REAL,
  PRIMARY KEY(item_id, name_id)) WITHOUT ROWID;
CREATE INDEX item_properties_text ON item_properties(name_id, text_value COLLATE NOCASE);
CREATE INDEX item_properties_number ON item_properties(name_id, num_value)
  WHERE num_value IS NOT NULL;
CREATE TABLE recipients(
  item_id INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  type INTEGER NOT NULL,
  name TEXT NOT NULL,
  address TEXT NOT NULL,
  resolved INTEGER NOT NULL,
  PRIMARY KEY(item_id, position)) WITHOUT ROWID;
CREATE TABLE attachments(
  id INTEGER PRIMARY KEY,
  item_id INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  file_name TEXT NOT NULL,
  display_name TEXT NOT NULL,
  content_id TEXT NOT NULL,
  mime_type TEXT NOT NULL,
  data BLOB NOT NULL);
CREATE INDEX attachments_item ON attachments(item_id, position);
CREATE TABLE change_log(
  seq INTEGER PRIMARY KEY,
  folder_id INTEGER NOT NULL,
  entry_id TEXT NOT NULL,
  kind INTEGER NOT NULL,
  at REAL NOT NULL);
)";
}

// Version 2: internet headers on items, and user properties added to folders.
std::string SchemaVersion2() {
  std::string sql;
  for (const StandardProperty& p : StandardProperties()) {
    if (p.since_version != 2) continue;
    sql += "ALTER TABLE items ADD COLUMN " + ColumnName(p) + " " + ColumnType(p.kind) +
           ";\n";
  }
  sql += R"(
CREATE TABLE folder_fields(
  folder_id INTEGER NOT NULL REFERENCES folders(id) ON DELETE CASCADE,
  name_id INTEGER NOT NULL REFERENCES property_names(id),
  type INTEGER NOT NULL,
  PRIMARY KEY(folder_id, name_id)) WITHOUT ROWID;
)";
  return sql;
}

// Version 3: records of where received mail came from, so a mail is stored
// once even when its source offers it again.
std::string SchemaVersion3() {
  return R"(
CREATE TABLE delivered_messages(
  key TEXT PRIMARY KEY,
  entry_id TEXT NOT NULL,
  at REAL NOT NULL) WITHOUT ROWID;
)";
}

// Version 4: a user property's values are indexed only once a condition
// searched it, with partial indexes per property (see EnsureSearchIndexes), so
// a save updates no index of a property nobody searches. The item table
// keeps its two folder indexes: one lists a folder's items in the order they
// were made, the other gives a table query the entry ids without reading the
// item rows.
std::string SchemaVersion4() {
  return R"(
DROP INDEX IF EXISTS item_properties_text;
DROP INDEX IF EXISTS item_properties_number;
CREATE TABLE searched_properties(name_id INTEGER PRIMARY KEY);
)";
}

std::string MigrationTo(int version) {
  switch (version) {
    case 1:
      return SchemaVersion1();
    case 2:
      return SchemaVersion2();
    case 3:
      return SchemaVersion3();
    case 4:
      return SchemaVersion4();
  }
  return {};
}

void SetMeta(SqliteBackend::Impl& impl, std::string_view key, std::string_view value) {
  Query(impl,
        "INSERT INTO meta(key, value) VALUES(?1, ?2) "
        "ON CONFLICT(key) DO UPDATE SET value = excluded.value")
      .Bind(1, key)
      .Bind(2, value)
      .Run();
}

std::string GetMeta(SqliteBackend::Impl& impl, std::string_view key) {
  Query q(impl, "SELECT value FROM meta WHERE key = ?1");
  q.Bind(1, key);
  return q.Step() ? q.Text(0) : std::string();
}

bool TableExists(SqliteBackend::Impl& impl, std::string_view name) {
  Query q(impl, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
  q.Bind(1, name);
  return q.Step();
}

FolderRow ReadFolder(const Query& q) {
  FolderRow f;
  f.id = q.Int(0);
  f.entry_id = q.Text(1);
  f.parent_id = q.IsNull(2) ? 0 : q.Int(2);
  f.name = q.Text(3);
  f.description = q.Text(4);
  f.default_item_type = static_cast<ItemType>(q.Int(5));
  f.special = static_cast<int32_t>(q.Int(6));
  return f;
}

constexpr const char* kFolderColumns =
    "SELECT id, entry_id, parent_id, name, description, default_item_type, special "
    "FROM folders ";

int64_t InsertFolder(SqliteBackend::Impl& impl, int64_t parent_id, std::string_view name,
                     ItemType type, int32_t special) {
  Query q(impl,
          "INSERT INTO folders(entry_id, parent_id, name, default_item_type, special) "
          "VALUES(?1, ?2, ?3, ?4, ?5)");
  q.Bind(1, std::string_view(NewStoreIdentifier()));
  if (parent_id == 0) {
    q.BindNull(2);
  } else {
    q.Bind(2, parent_id);
  }
  q.Bind(3, name).Bind(4, int64_t{static_cast<int32_t>(type)}).Bind(5, int64_t{special});
  q.Run();
  return sqlite3_last_insert_rowid(impl.db);
}

void CreateStore(SqliteBackend::Impl& impl, int version, const NewStore& create) {
  Transaction tx(impl);
  // Another session may have created it while this one was opening the file.
  if (TableExists(impl, "meta")) return;
  for (int v = 1; v <= version; ++v) impl.Exec(MigrationTo(v));
  SetMeta(impl, "schema_version", std::to_string(version));
  SetMeta(impl, "store_id", NewStoreIdentifier());
  SetMeta(impl, "display_name", create.display_name);
  SetMeta(impl, "owner_name", create.owner_name);
  SetMeta(impl, "owner_address", create.owner_address);
  SetMeta(impl, "kind", create.kind == StoreKind::Mailbox ? "mailbox" : "shared");
  int64_t root = InsertFolder(impl, 0, create.display_name, ItemType::Mail, 0);
  for (const NewFolder& f : create.folders)
    InsertFolder(impl, root, f.name, f.type, f.special);
  tx.Commit();
}

void Migrate(SqliteBackend::Impl& impl, int from) {
  Transaction tx(impl);
  // Read again under the write lock: another session may have migrated.
  int current = std::atoi(GetMeta(impl, "schema_version").c_str());
  for (int v = current + 1; v <= SqliteBackend::kSchemaVersion; ++v)
    impl.Exec(MigrationTo(v));
  if (current != from || current < SqliteBackend::kSchemaVersion)
    SetMeta(impl, "schema_version", std::to_string(SqliteBackend::kSchemaVersion));
  tx.Commit();
}

// Reports a store file that failed the checks at open, with the first fault
// the integrity check finds in it when there is one. The check reads the
// whole file, so it runs only here, once the file is known to be wrong.
[[noreturn]] void RaiseDamaged(SqliteBackend::Impl& impl, const std::string& what) {
  std::string description = "The store file '" + impl.path + "' " + what;
  char* message = nullptr;
  std::string first;
  sqlite3_exec(
      impl.db, "PRAGMA quick_check(1)",
      [](void* out, int columns, char** values, char**) {
        if (columns > 0 && values[0]) *static_cast<std::string*>(out) = values[0];
        return 0;
      },
      &first, &message);
  if (message) sqlite3_free(message);
  if (!first.empty() && first != "ok") description += " The file check found: " + first;
  throw Error(err::kCorruptData, description, kSource);
}

std::unique_ptr<SqliteBackend::Impl> OpenFile(const std::string& path) {
  auto impl = std::make_unique<SqliteBackend::Impl>();
  impl->path = path;
  int rc = sqlite3_open_v2(
      path.c_str(), &impl->db,
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) impl->Fail(rc, "Opening");
  sqlite3_extended_result_codes(impl->db, 1);
  sqlite3_busy_timeout(impl->db, 5000);
  return impl;
}

void ConfigureConnection(SqliteBackend::Impl& impl) {
  impl.Exec("PRAGMA journal_mode=WAL");
  impl.Exec("PRAGMA synchronous=NORMAL");
  impl.Exec("PRAGMA foreign_keys=ON");
  // A save touches one index page per user property; keeping the indexes in
  // memory and checkpointing less often spares most of the reads and syncs.
  impl.Exec("PRAGMA cache_size=-65536");
  impl.Exec("PRAGMA mmap_size=1073741824");
  impl.Exec("PRAGMA wal_autocheckpoint=16000");
}

std::string ItemColumns(int version) {
  std::string cols;
  for (const StandardProperty& p : StandardProperties()) {
    if (p.since_version > version) continue;
    if (!cols.empty()) cols += ", ";
    cols += ColumnName(p);
  }
  return cols;
}

void LoadInfo(SqliteBackend::Impl& impl) {
  impl.info.schema_version = std::atoi(GetMeta(impl, "schema_version").c_str());
  impl.info.store_id = GetMeta(impl, "store_id");
  impl.info.display_name = GetMeta(impl, "display_name");
  impl.info.owner_name = GetMeta(impl, "owner_name");
  impl.info.owner_address = GetMeta(impl, "owner_address");
  impl.info.kind =
      GetMeta(impl, "kind") == "mailbox" ? StoreKind::Mailbox : StoreKind::Shared;
  impl.item_columns = ItemColumns(SqliteBackend::kSchemaVersion);
  impl.item_select = "i.id, i.entry_id, i.folder_id, i.change_counter, i.creator";
  for (const StandardProperty& p : StandardProperties())
    impl.item_select += ", i." + ColumnName(p);
  std::string placeholders;
  for (size_t i = 0; i < kPropCount; ++i) placeholders += ", ?" + std::to_string(i + 4);
  impl.insert_item = "INSERT INTO items(entry_id, folder_id, change_counter, creator, " +
                     impl.item_columns + ") VALUES(?1, ?2, 1, ?3" + placeholders + ")";
  std::string sets;
  for (const StandardProperty& p : StandardProperties())
    sets += ", " + ColumnName(p) + " = ?" + std::to_string(static_cast<int>(p.prop) + 3);
  impl.update_item = "UPDATE items SET change_counter = change_counter + 1" + sets +
                     " WHERE id = ?1 AND change_counter = ?2";
}

// ---------------------------------------------------------------------------
// Items

void BindStandard(Query& q, int first, const ItemRow& row) {
  for (const StandardProperty& p : StandardProperties()) {
    int index = first + static_cast<int>(p.prop);
    const Variant& v = row.standard[static_cast<size_t>(p.prop)];
    switch (p.kind) {
      case PropKind::Text:
        q.Bind(index, std::string_view(v.IsText() ? v.Text() : CStr(v)));
        break;
      case PropKind::Long:
        q.Bind(index, int64_t{CLng(v)});
        break;
      case PropKind::Date: {
        Date d = CDate(v);
        if (d.IsNoDate()) {
          q.BindNull(index);
        } else {
          q.Bind(index, d.Serial());
        }
        break;
      }
      case PropKind::Boolean:
        q.Bind(index, int64_t{CBool(v) ? 1 : 0});
        break;
    }
  }
}

ItemRow ReadItem(const Query& q) {
  ItemRow row;
  row.id = q.Int(0);
  row.entry_id = q.Text(1);
  row.folder_id = q.Int(2);
  row.change_counter = q.Int(3);
  row.creator = q.Text(4);
  row.standard.resize(kPropCount);
  for (const StandardProperty& p : StandardProperties()) {
    int col = 5 + static_cast<int>(p.prop);
    Variant& v = row.standard[static_cast<size_t>(p.prop)];
    switch (p.kind) {
      case PropKind::Text:
        v = Variant(q.Text(col));
        break;
      case PropKind::Long:
        v = Variant(static_cast<int32_t>(q.Int(col)));
        break;
      case PropKind::Date:
        v = q.IsNull(col) ? Variant(Date::NoDate()) : Variant(Date(q.Real(col)));
        break;
      case PropKind::Boolean:
        v = Variant(q.Int(col) != 0);
        break;
    }
  }
  return row;
}

Variant Decode(UserPropertyType type, const Query& q, int text_col, int num_col) {
  switch (type) {
    case UserPropertyType::Text:
      return Variant(q.Text(text_col));
    case UserPropertyType::Number:
      return Variant(q.IsNull(num_col) ? 0.0 : q.Real(num_col));
    case UserPropertyType::Currency:
      return Variant(Currency::FromScaled(
          static_cast<int64_t>(std::llround(q.Real(num_col) * Currency::kScale))));
    case UserPropertyType::DateTime:
      return Variant(q.IsNull(num_col) ? Date::NoDate() : Date(q.Real(num_col)));
    case UserPropertyType::YesNo:
      return Variant(q.Real(num_col) != 0);
  }
  return Variant();
}

void LogChange(SqliteBackend::Impl& impl, int64_t folder_id, std::string_view entry_id,
               ChangeKind kind) {
  Query(impl,
        "INSERT INTO change_log(folder_id, entry_id, kind, at) VALUES(?1, ?2, ?3, ?4)")
      .Bind(1, folder_id)
      .Bind(2, entry_id)
      .Bind(3, int64_t{static_cast<int32_t>(kind)})
      .Bind(4, Now().Serial())
      .Run();
}

// Raised when an update or delete found no row with the expected counter.
[[noreturn]] void RaiseConflict(SqliteBackend::Impl& impl, int64_t item_id) {
  Query q(impl, "SELECT change_counter FROM items WHERE id = ?1");
  q.Bind(1, item_id);
  if (q.Step()) throw ObjectChangedError(kSource);
  throw ObjectDeletedError(kSource);
}

int64_t NameId(SqliteBackend::Impl& impl, std::string_view name, bool create) {
  std::string key = LCase(name);
  auto it = impl.name_ids.find(key);
  if (it != impl.name_ids.end()) return it->second;
  {
    Query q(impl, "SELECT id FROM property_names WHERE name = ?1");
    q.Bind(1, name);
    if (q.Step()) {
      int64_t id = q.Int(0);
      impl.name_ids.emplace(key, id);
      return id;
    }
  }
  if (!create) return 0;
  Query(impl, "INSERT INTO property_names(name) VALUES(?1)").Bind(1, name).Run();
  int64_t id = sqlite3_last_insert_rowid(impl.db);
  impl.name_ids.emplace(key, id);
  return id;
}

// Makes the partial indexes of the user properties conditions asked for since
// the last query, so the query about to run can use them. Creating an index
// changes the schema, so it waits for a moment with no transaction and no
// statement of this connection running; until then a query still answers,
// only without the index. Another session may make the same index at the same
// moment: the write lock puts one after the other and the second finds it
// there. Statements cached by any connection are prepared again by SQLite
// when they meet the new schema.
void EnsureSearchIndexes(SqliteBackend::Impl& impl) {
  if (impl.to_index.empty() || impl.in_transaction || impl.active_queries != 0) return;
  std::set<int64_t> pending = std::move(impl.to_index);
  impl.to_index.clear();
  for (int64_t name_id : pending) {
    const std::string id = std::to_string(name_id);
    const std::string text_index = "item_properties_text_" + id;
    const std::string number_index = "item_properties_number_" + id;
    {
      Query q(impl,
              "SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
              "name IN (?1, ?2)) + (SELECT count(*) FROM searched_properties WHERE "
              "name_id = ?3)");
      q.Bind(1, std::string_view(text_index))
          .Bind(2, std::string_view(number_index))
          .Bind(3, name_id);
      if (q.Step() && q.Int(0) == 3) {
        impl.searched.insert(name_id);
        continue;
      }
    }
    try {
      Transaction tx(impl);
      impl.Exec("CREATE INDEX IF NOT EXISTS " + text_index +
                " ON item_properties(text_value COLLATE NOCASE) WHERE name_id = " + id);
      impl.Exec("CREATE INDEX IF NOT EXISTS " + number_index +
                " ON item_properties(num_value) WHERE name_id = " + id +
                " AND num_value IS NOT NULL");
      Query(impl, "INSERT OR IGNORE INTO searched_properties(name_id) VALUES(?1)")
          .Bind(1, name_id)
          .Run();
      tx.Commit();
      impl.searched.insert(name_id);
    } catch (const Error&) {
      // Busy past the timeout, a read-only file or a full disk: the query
      // answers without the index, and the next one tries again.
      for (int64_t left : pending)
        if (!impl.searched.contains(left)) impl.to_index.insert(left);
      return;
    }
  }
}

// The scalar sub-select a user property resolves to, and its parts back.
std::string UserPropertySql(int64_t name_id, std::string_view column) {
  return "(SELECT p." + std::string(column) +
         " FROM item_properties p WHERE p.name_id = " + std::to_string(name_id) +
         " AND p.item_id = i.id)";
}

bool ParseUserPropertySql(const std::string& sql, int64_t& name_id, std::string& column) {
  char col[16] = {};
  long long id = 0;
  if (std::sscanf(sql.c_str(),
                  "(SELECT p.%15[a-z_] FROM item_properties p WHERE p.name_id = %lld AND",
                  col, &id) != 2)
    return false;
  name_id = id;
  column = col;
  return column == kTextValue || column == kNumValue;
}

}  // namespace

// ---------------------------------------------------------------------------

SqliteBackend::SqliteBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SqliteBackend::~SqliteBackend() = default;

std::unique_ptr<SqliteBackend> SqliteBackend::Open(const std::string& path,
                                                   const NewStore& create) {
  std::error_code ec;
  bool existed =
      std::filesystem::exists(path, ec) && std::filesystem::file_size(path, ec) > 0;
  std::unique_ptr<Impl> impl = OpenFile(path);
  if (!existed) {
    ConfigureConnection(*impl);
    CreateStore(*impl, kSchemaVersion, create);
  } else {
    // Look before writing anything: a file that is not a store stays as it was.
    int64_t tables = 0;
    {
      Query q(*impl, "SELECT count(*) FROM sqlite_master");
      if (q.Step()) tables = q.Int(0);
    }
    if (tables == 0) {
      ConfigureConnection(*impl);
      CreateStore(*impl, kSchemaVersion, create);
    } else {
      for (std::string_view table : kRequiredTables) {
        if (!TableExists(*impl, table))
          RaiseDamaged(*impl, "is damaged or is not a store: table '" +
                                  std::string(table) + "' is missing.");
      }
      int version = std::atoi(GetMeta(*impl, "schema_version").c_str());
      if (version < 1) RaiseDamaged(*impl, "is damaged: it has no schema version.");
      if (version > kSchemaVersion)
        throw Error(err::kVersionMismatch,
                    "The store file '" + path +
                        "' was written by a newer version (schema " +
                        std::to_string(version) + "; this program reads up to " +
                        std::to_string(kSchemaVersion) + ").",
                    kSource);
      ConfigureConnection(*impl);
      if (version < kSchemaVersion) Migrate(*impl, version);
      // Changes older than a day were long since seen by every session.
      Query(*impl, "DELETE FROM change_log WHERE at < ?1")
          .Bind(1, Now().Serial() - 1)
          .Run();
    }
  }
  LoadInfo(*impl);
  {
    Query q(*impl, "PRAGMA data_version");
    impl->data_version = q.Step() ? q.Int(0) : -1;
  }
  return std::unique_ptr<SqliteBackend>(new SqliteBackend(std::move(impl)));
}

void SqliteBackend::CreateAtVersionForTesting(const std::string& path, int version,
                                              const NewStore& create) {
  std::unique_ptr<Impl> impl = OpenFile(path);
  ConfigureConnection(*impl);
  CreateStore(*impl, version, create);
}

const std::string& SqliteBackend::Location() const { return impl_->path; }
StoreInfo SqliteBackend::Info() const { return impl_->info; }

// --- Folders ---------------------------------------------------------------

FolderRow SqliteBackend::RootFolder() {
  Query q(*impl_,
          std::string(kFolderColumns) + "WHERE parent_id IS NULL ORDER BY id LIMIT 1");
  if (!q.Step())
    throw Error(err::kCorruptData,
                "The store file '" + impl_->path + "' has no root folder.", kSource);
  return ReadFolder(q);
}

std::optional<FolderRow> SqliteBackend::FolderById(int64_t id) {
  Query q(*impl_, std::string(kFolderColumns) + "WHERE id = ?1");
  q.Bind(1, id);
  if (!q.Step()) return std::nullopt;
  return ReadFolder(q);
}

std::optional<FolderRow> SqliteBackend::FolderByEntryId(std::string_view entry_id) {
  Query q(*impl_, std::string(kFolderColumns) + "WHERE entry_id = ?1");
  q.Bind(1, entry_id);
  if (!q.Step()) return std::nullopt;
  return ReadFolder(q);
}

std::optional<FolderRow> SqliteBackend::SpecialFolder(DefaultFolder which) {
  Query q(*impl_, std::string(kFolderColumns) + "WHERE special = ?1 ORDER BY id LIMIT 1");
  q.Bind(1, int64_t{static_cast<int32_t>(which)});
  if (!q.Step()) return std::nullopt;
  return ReadFolder(q);
}

std::vector<FolderRow> SqliteBackend::ChildFolders(int64_t parent_id) {
  Query q(*impl_, std::string(kFolderColumns) + "WHERE parent_id = ?1 ORDER BY id");
  q.Bind(1, parent_id);
  std::vector<FolderRow> out;
  while (q.Step()) out.push_back(ReadFolder(q));
  return out;
}

std::vector<FolderRow> SqliteBackend::AllFolders() {
  Query q(*impl_, std::string(kFolderColumns) + "ORDER BY id");
  std::vector<FolderRow> out;
  while (q.Step()) out.push_back(ReadFolder(q));
  return out;
}

FolderRow SqliteBackend::AddFolder(int64_t parent_id, std::string_view name,
                                   ItemType type, int32_t special) {
  Transaction tx(*impl_);
  int64_t id = InsertFolder(*impl_, parent_id, name, type, special);
  tx.Commit();
  return *FolderById(id);
}

void SqliteBackend::UpdateFolder(const FolderRow& folder) {
  Query q(*impl_,
          "UPDATE folders SET name = ?1, description = ?2, default_item_type = ?3 "
          "WHERE id = ?4");
  q.Bind(1, std::string_view(folder.name))
      .Bind(2, std::string_view(folder.description))
      .Bind(3, int64_t{static_cast<int32_t>(folder.default_item_type)})
      .Bind(4, folder.id);
  q.Run();
  if (sqlite3_changes(impl_->db) == 0)
    throw Error(err::kObjectDeleted, "The folder has been deleted.", kSource);
}

void SqliteBackend::DeleteFolder(int64_t id) {
  Transaction tx(*impl_);
  // Log the items that go, so sessions watching know.
  {
    Query q(*impl_,
            "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
            "SELECT f.id FROM folders f JOIN tree t ON f.parent_id = t.id) "
            "SELECT i.folder_id, i.entry_id FROM items i WHERE i.folder_id IN tree");
    q.Bind(1, id);
    std::vector<std::pair<int64_t, std::string>> gone;
    while (q.Step()) gone.emplace_back(q.Int(0), q.Text(1));
    for (auto& [folder, entry] : gone)
      LogChange(*impl_, folder, entry, ChangeKind::Removed);
  }
  Query(*impl_, "DELETE FROM folders WHERE id = ?1").Bind(1, id).Run();
  if (sqlite3_changes(impl_->db) == 0)
    throw Error(err::kObjectDeleted, "The folder has been deleted.", kSource);
  tx.Commit();
}

std::optional<Role> SqliteBackend::Permission(int64_t folder_id, std::string_view user) {
  Query q(*impl_,
          "SELECT role FROM folder_permissions WHERE folder_id = ?1 AND user = ?2");
  q.Bind(1, folder_id).Bind(2, user);
  if (!q.Step()) return std::nullopt;
  return static_cast<Role>(q.Int(0));
}

void SqliteBackend::SetPermission(int64_t folder_id, std::string_view user, Role role) {
  Query(*impl_,
        "INSERT INTO folder_permissions(folder_id, user, role) VALUES(?1, ?2, ?3) "
        "ON CONFLICT(folder_id, user) DO UPDATE SET role = excluded.role")
      .Bind(1, folder_id)
      .Bind(2, user)
      .Bind(3, int64_t{static_cast<int32_t>(role)})
      .Run();
}

std::vector<PropertyRow> SqliteBackend::FolderFields(int64_t folder_id) {
  Query q(*impl_,
          "SELECT n.name, f.type FROM folder_fields f JOIN property_names n ON n.id = "
          "f.name_id "
          "WHERE f.folder_id = ?1 ORDER BY n.name");
  q.Bind(1, folder_id);
  std::vector<PropertyRow> out;
  while (q.Step()) {
    PropertyRow p;
    p.name = q.Text(0);
    p.type = static_cast<UserPropertyType>(q.Int(1));
    out.push_back(std::move(p));
  }
  return out;
}

// --- Items -----------------------------------------------------------------

std::optional<ItemRow> SqliteBackend::LoadItem(std::string_view entry_id) {
  Query q(*impl_, "SELECT " + impl_->item_select + " FROM items i WHERE i.entry_id = ?1");
  q.Bind(1, entry_id);
  if (!q.Step()) return std::nullopt;
  return ReadItem(q);
}

std::optional<ItemRow> SqliteBackend::LoadItemById(int64_t id) {
  Query q(*impl_, "SELECT " + impl_->item_select + " FROM items i WHERE i.id = ?1");
  q.Bind(1, id);
  if (!q.Step()) return std::nullopt;
  return ReadItem(q);
}

std::vector<PropertyRow> SqliteBackend::LoadProperties(int64_t item_id) {
  Query q(*impl_,
          "SELECT n.name, p.type, p.text_value, p.num_value FROM item_properties p "
          "JOIN property_names n ON n.id = p.name_id WHERE p.item_id = ?1 ORDER BY "
          "p.name_id");
  q.Bind(1, item_id);
  std::vector<PropertyRow> out;
  while (q.Step()) {
    PropertyRow p;
    p.name = q.Text(0);
    p.type = static_cast<UserPropertyType>(q.Int(1));
    p.value = Decode(p.type, q, 2, 3);
    out.push_back(std::move(p));
  }
  return out;
}

std::vector<RecipientRow> SqliteBackend::LoadRecipients(int64_t item_id) {
  Query q(*impl_,
          "SELECT type, name, address, resolved FROM recipients WHERE item_id = ?1 "
          "ORDER BY position");
  q.Bind(1, item_id);
  std::vector<RecipientRow> out;
  while (q.Step()) {
    RecipientRow r;
    r.type = static_cast<RecipientType>(q.Int(0));
    r.name = q.Text(1);
    r.address = q.Text(2);
    r.resolved = q.Int(3) != 0;
    out.push_back(std::move(r));
  }
  return out;
}

std::vector<AttachmentRow> SqliteBackend::LoadAttachments(int64_t item_id) {
  Query q(*impl_,
          "SELECT file_name, display_name, content_id, mime_type, data FROM attachments "
          "WHERE item_id = ?1 ORDER BY position");
  q.Bind(1, item_id);
  std::vector<AttachmentRow> out;
  while (q.Step()) {
    AttachmentRow a;
    a.file_name = q.Text(0);
    a.display_name = q.Text(1);
    a.content_id = q.Text(2);
    a.mime_type = q.Text(3);
    a.data = q.Blob(4);
    out.push_back(std::move(a));
  }
  return out;
}

void SqliteBackend::SaveItem(ItemRow& row, const ItemWrite& write) {
  Impl& impl = *impl_;
  ItemRow saved = row;
  Transaction tx(impl);
  bool added = saved.id == 0;
  if (added) {
    saved.entry_id = NewStoreIdentifier();
    Query q(impl, impl.insert_item);
    q.Bind(1, std::string_view(saved.entry_id))
        .Bind(2, saved.folder_id)
        .Bind(3, std::string_view(saved.creator));
    BindStandard(q, 4, saved);
    q.Run();
    saved.id = sqlite3_last_insert_rowid(impl.db);
    saved.change_counter = 1;
  } else {
    Query q(impl, impl.update_item);
    q.Bind(1, saved.id).Bind(2, saved.change_counter);
    BindStandard(q, 3, saved);
    q.Run();
    if (sqlite3_changes(impl.db) == 0) RaiseConflict(impl, saved.id);
    ++saved.change_counter;
  }
  for (const std::string& key : write.delivered) {
    Query(impl,
          "INSERT INTO delivered_messages(key, entry_id, at) VALUES(?1, ?2, ?3) "
          "ON CONFLICT(key) DO NOTHING")
        .Bind(1, std::string_view(key))
        .Bind(2, std::string_view(saved.entry_id))
        .Bind(3, Now().Serial())
        .Run();
    if (sqlite3_changes(impl.db) == 0) {
      throw Error(err::kKeyAlreadyAssociated,
                  "The message was already delivered (" + key + ").", kSource);
    }
  }
  StoreStep("save:item");
  if (!write.removed_properties.empty()) {
    static const std::string kRemove =
        "DELETE FROM item_properties WHERE item_id = ?1 AND name_id = ?2";
    for (const std::string& name : write.removed_properties) {
      int64_t name_id = NameId(impl, name, false);
      if (name_id == 0) continue;
      Query(impl, kRemove).Bind(1, saved.id).Bind(2, name_id).Run();
    }
  }
  if (!write.set_properties.empty()) {
    // One statement run once per property: the row's insert or update and the
    // indexes of searched properties, nothing more.
    static const std::string kUpsert =
        "INSERT INTO item_properties(item_id, name_id, type, text_value, num_value) "
        "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(item_id, name_id) DO UPDATE SET "
        "type = excluded.type, text_value = excluded.text_value, "
        "num_value = excluded.num_value";
    Query q(impl, kUpsert);
    for (const PropertyRow& p : write.set_properties) {
      EncodedValue v = Encode(p.type, p.value);
      q.Bind(1, saved.id)
          .Bind(2, NameId(impl, p.name, true))
          .Bind(3, int64_t{static_cast<int32_t>(p.type)})
          .Bind(4, v.text)
          .Bind(5, v.number)
          .Run();
      q.Reset();
    }
  }
  StoreStep("save:properties");
  if (write.recipients) {
    Query(impl, "DELETE FROM recipients WHERE item_id = ?1").Bind(1, saved.id).Run();
    int64_t position = 0;
    for (const RecipientRow& r : *write.recipients) {
      Query(impl,
            "INSERT INTO recipients(item_id, position, type, name, address, resolved) "
            "VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
          .Bind(1, saved.id)
          .Bind(2, ++position)
          .Bind(3, int64_t{static_cast<int32_t>(r.type)})
          .Bind(4, std::string_view(r.name))
          .Bind(5, std::string_view(r.address))
          .Bind(6, int64_t{r.resolved ? 1 : 0})
          .Run();
    }
  }
  if (write.attachments) {
    Query(impl, "DELETE FROM attachments WHERE item_id = ?1").Bind(1, saved.id).Run();
    int64_t position = 0;
    for (const AttachmentRow& a : *write.attachments) {
      Query(impl,
            "INSERT INTO attachments(item_id, position, file_name, display_name, "
            "content_id, "
            "mime_type, data) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")
          .Bind(1, saved.id)
          .Bind(2, ++position)
          .Bind(3, std::string_view(a.file_name))
          .Bind(4, std::string_view(a.display_name))
          .Bind(5, std::string_view(a.content_id))
          .Bind(6, std::string_view(a.mime_type))
          .BindBlob(7, a.data)
          .Run();
    }
  }
  for (const PropertyRow& f : write.folder_fields) {
    Query(impl,
          "INSERT INTO folder_fields(folder_id, name_id, type) VALUES(?1, ?2, ?3) "
          "ON CONFLICT(folder_id, name_id) DO UPDATE SET type = excluded.type")
        .Bind(1, saved.folder_id)
        .Bind(2, NameId(impl, f.name, true))
        .Bind(3, int64_t{static_cast<int32_t>(f.type)})
        .Run();
  }
  LogChange(impl, saved.folder_id, saved.entry_id,
            added ? ChangeKind::Added : ChangeKind::Changed);
  tx.Commit();
  row = std::move(saved);
}

bool SqliteBackend::WasDelivered(std::string_view key) {
  Query q(*impl_, "SELECT 1 FROM delivered_messages WHERE key = ?1");
  q.Bind(1, key);
  return q.Step();
}

void SqliteBackend::MoveItem(ItemRow& row, int64_t target_folder_id) {
  Impl& impl = *impl_;
  Transaction tx(impl);
  Query(impl,
        "UPDATE items SET folder_id = ?1, change_counter = change_counter + 1 "
        "WHERE id = ?2 AND change_counter = ?3")
      .Bind(1, target_folder_id)
      .Bind(2, row.id)
      .Bind(3, row.change_counter)
      .Run();
  if (sqlite3_changes(impl.db) == 0) RaiseConflict(impl, row.id);
  StoreStep("move:updated");
  LogChange(impl, row.folder_id, row.entry_id, ChangeKind::Removed);
  LogChange(impl, target_folder_id, row.entry_id, ChangeKind::Added);
  StoreStep("move:logged");
  tx.Commit();
  row.folder_id = target_folder_id;
  ++row.change_counter;
}

ItemRow SqliteBackend::CopyItem(int64_t item_id, int64_t target_folder_id) {
  Impl& impl = *impl_;
  Transaction tx(impl);
  std::string entry_id = NewStoreIdentifier();
  Query(impl, "INSERT INTO items(entry_id, folder_id, change_counter, creator, " +
                  impl.item_columns + ") SELECT ?1, ?2, 1, creator, " +
                  impl.item_columns + " FROM items WHERE id = ?3")
      .Bind(1, std::string_view(entry_id))
      .Bind(2, target_folder_id)
      .Bind(3, item_id)
      .Run();
  if (sqlite3_changes(impl.db) == 0) throw ObjectDeletedError(kSource);
  int64_t copy = sqlite3_last_insert_rowid(impl.db);
  Query(impl,
        "INSERT INTO item_properties(item_id, name_id, type, text_value, num_value) "
        "SELECT ?1, name_id, type, text_value, num_value FROM item_properties "
        "WHERE item_id = ?2")
      .Bind(1, copy)
      .Bind(2, item_id)
      .Run();
  Query(impl,
        "INSERT INTO recipients(item_id, position, type, name, address, resolved) "
        "SELECT ?1, position, type, name, address, resolved FROM recipients WHERE "
        "item_id = ?2")
      .Bind(1, copy)
      .Bind(2, item_id)
      .Run();
  Query(impl,
        "INSERT INTO attachments(item_id, position, file_name, display_name, content_id, "
        "mime_type, data) SELECT ?1, position, file_name, display_name, content_id, "
        "mime_type, data FROM attachments WHERE item_id = ?2")
      .Bind(1, copy)
      .Bind(2, item_id)
      .Run();
  LogChange(impl, target_folder_id, entry_id, ChangeKind::Added);
  tx.Commit();
  return *LoadItemById(copy);
}

void SqliteBackend::DeleteItem(const ItemRow& row) {
  Impl& impl = *impl_;
  Transaction tx(impl);
  Query(impl, "DELETE FROM items WHERE id = ?1").Bind(1, row.id).Run();
  if (sqlite3_changes(impl.db) == 0) throw ObjectDeletedError(kSource);
  LogChange(impl, row.folder_id, row.entry_id, ChangeKind::Removed);
  tx.Commit();
}

namespace {

std::string SelectionWhere(const ItemSelection& s) {
  std::string where = " WHERE i.folder_id = ?1";
  if (!s.where_sql.empty()) where += " AND (" + s.where_sql + ")";
  return where;
}

void BindSelection(Query& q, const ItemSelection& s) {
  q.Bind(1, s.folder_id);
  for (size_t i = 0; i < s.params.size(); ++i)
    q.Bind(static_cast<int>(i + 2), s.params[i]);
}

}  // namespace

int64_t SqliteBackend::CountItems(const ItemSelection& selection) {
  EnsureSearchIndexes(*impl_);
  Query q(*impl_, "SELECT count(*) FROM items i" + SelectionWhere(selection));
  BindSelection(q, selection);
  return q.Step() ? q.Int(0) : 0;
}

namespace {

std::string ItemIdsSql(const ItemSelection& selection, int64_t after_id, size_t limit) {
  std::string sql = "SELECT i.id FROM items i" + SelectionWhere(selection);
  int after_index = static_cast<int>(selection.params.size()) + 2;
  if (after_id != 0) sql += " AND i.id > ?" + std::to_string(after_index);
  sql += " ORDER BY " + (selection.order_sql.empty() ? std::string("i.id")
                                                     : selection.order_sql + ", i.id");
  if (limit != 0) sql += " LIMIT " + std::to_string(limit);
  return sql;
}

}  // namespace

std::vector<std::string> SqliteBackend::FindPlanForTesting(
    const ItemSelection& selection) {
  EnsureSearchIndexes(*impl_);
  Query q(*impl_, "EXPLAIN QUERY PLAN " + ItemIdsSql(selection, 0, 1));
  BindSelection(q, selection);
  std::vector<std::string> plan;
  while (q.Step()) plan.push_back(q.Text(3));
  return plan;
}

std::vector<int64_t> SqliteBackend::SelectItemIds(const ItemSelection& selection,
                                                  int64_t after_id, size_t limit) {
  EnsureSearchIndexes(*impl_);
  int after_index = static_cast<int>(selection.params.size()) + 2;
  Query q(*impl_, ItemIdsSql(selection, after_id, limit));
  BindSelection(q, selection);
  if (after_id != 0) q.Bind(after_index, after_id);
  std::vector<int64_t> ids;
  while (q.Step()) ids.push_back(q.Int(0));
  return ids;
}

Recordset SqliteBackend::SelectTable(int64_t folder_id, const SqlSelect& select) {
  EnsureSearchIndexes(*impl_);
  std::string sql = "SELECT ";
  for (size_t i = 0; i < select.column_sql.size(); ++i) {
    if (i) sql += ", ";
    sql += select.column_sql[i];
  }
  sql += " FROM items i WHERE i.folder_id = ?1";
  if (!select.where.sql.empty()) sql += " AND (" + select.where.sql + ")";
  if (!select.order_by_sql.empty()) sql += " ORDER BY " + select.order_by_sql;
  std::vector<ValueKind> kinds;
  for (const std::string& name : select.field_names)
    kinds.push_back(Resolve(name, ValueKind::Text).kind);
  Query q(*impl_, sql);
  q.Bind(1, folder_id);
  for (size_t i = 0; i < select.where.params.size(); ++i)
    q.Bind(static_cast<int>(i + 2), select.where.params[i]);
  Recordset out(select.field_names);
  int columns = static_cast<int>(select.column_sql.size());
  while (q.Step()) {
    std::vector<Variant> values;
    values.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      ValueKind kind = c < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(c)]
                                                          : ValueKind::Text;
      switch (q.Type(c)) {
        case SQLITE_NULL:
          values.push_back(kind == ValueKind::Date ? Variant(Date::NoDate()) : Variant());
          break;
        case SQLITE_INTEGER:
          if (kind == ValueKind::Boolean) {
            values.push_back(Variant(q.Int(c) != 0));
          } else if (q.Int(c) >= INT32_MIN && q.Int(c) <= INT32_MAX) {
            values.push_back(Variant(static_cast<int32_t>(q.Int(c))));
          } else {
            values.push_back(Variant(q.Int(c)));
          }
          break;
        case SQLITE_FLOAT:
          values.push_back(kind == ValueKind::Date ? Variant(Date(q.Real(c)))
                                                   : Variant(q.Real(c)));
          break;
        default:
          values.push_back(Variant(q.Text(c)));
          break;
      }
    }
    out.AddRow(std::move(values));
  }
  return out;
}

// --- Changes ---------------------------------------------------------------

int64_t SqliteBackend::LastChangeSeq() {
  Query q(*impl_, "SELECT coalesce(max(seq), 0) FROM change_log");
  return q.Step() ? q.Int(0) : 0;
}

std::vector<ChangeRow> SqliteBackend::ChangesAfter(int64_t seq) {
  Query q(*impl_,
          "SELECT seq, folder_id, entry_id, kind FROM change_log WHERE seq > ?1 "
          "ORDER BY seq LIMIT 1000");
  q.Bind(1, seq);
  std::vector<ChangeRow> out;
  while (q.Step()) {
    ChangeRow c;
    c.seq = q.Int(0);
    c.folder_id = q.Int(1);
    c.entry_id = q.Text(2);
    c.kind = static_cast<ChangeKind>(q.Int(3));
    out.push_back(std::move(c));
  }
  return out;
}

bool SqliteBackend::ChangedElsewhere() {
  Query q(*impl_, "PRAGMA data_version");
  int64_t version = q.Step() ? q.Int(0) : -1;
  bool changed = version != impl_->data_version;
  impl_->data_version = version;
  return changed;
}

// --- Query target ----------------------------------------------------------

ResolvedColumn SqliteBackend::Resolve(std::string_view name, ValueKind literal) const {
  std::string_view user_name = name;
  if (StartsWithText(name, kPublicStrings)) {
    size_t end = name.find("}/");
    if (end == std::string_view::npos || end + 2 >= name.size())
      throw Error(err::kInvalidProcedureCall, "Unknown property: " + std::string(name),
                  kSource);
    user_name = name.substr(end + 2);
  } else if (name.find(':') != std::string_view::npos) {
    auto it = DaslNames().find(LCase(name));
    if (it == DaslNames().end())
      throw Error(err::kInvalidProcedureCall, "Unknown property: " + std::string(name),
                  kSource);
    const StandardProperty& p = Describe(it->second);
    return {"i." + ColumnName(p), KindOf(p.kind), false};
  } else if (TextEquals(name, "EntryID")) {
    return {"i.entry_id", ValueKind::Text, false};
  } else if (const StandardProperty* p = FindStandardProperty(name)) {
    return {"i." + ColumnName(*p), KindOf(p->kind), false};
  }
  int64_t name_id = NameId(*impl_, user_name, false);
  if (name_id == 0) return {"NULL", literal, true};
  return {UserPropertySql(name_id, literal == ValueKind::Text ? kTextValue : kNumValue),
          literal, true};
}

std::string SqliteBackend::Comparison(const ResolvedColumn& column, CompareOp op,
                                      std::string_view placeholder) const {
  std::string ph(placeholder);
  bool text = column.kind == ValueKind::Text;
  std::string collate = text ? " COLLATE NOCASE" : "";
  if (column.user_property) {
    if (column.sql == "NULL") return "0";
    int64_t name_id = 0;
    std::string value_column;
    if (ParseUserPropertySql(column.sql, name_id, value_column)) {
      if (!impl_->searched.contains(name_id)) impl_->to_index.insert(name_id);
      // Driven by the property's partial index (its condition names the id
      // literally so SQLite can use it), so a search never walks the folder.
      return "i.id IN (SELECT p.item_id FROM item_properties p WHERE p.name_id = " +
             std::to_string(name_id) + " AND p." + value_column + " " + OperatorSql(op) +
             " " + ph + collate + ")";
    }
  }
  return column.sql + " " + OperatorSql(op) + " " + ph + collate;
}

std::string SqliteBackend::Placeholder(size_t n) const { return "?" + std::to_string(n); }

}  // namespace zanvoro::host
