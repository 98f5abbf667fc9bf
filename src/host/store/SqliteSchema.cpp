#include "host/store/SqliteSchema.h"

#include <cstdlib>

#include "host/store/SqliteBackend.h"

namespace zanvoro::host {

namespace {

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

}  // namespace

std::string ColumnName(const StandardProperty& p) { return "\"" + LCase(p.name) + "\""; }

void SetMeta(SqliteConnection& impl, std::string_view key, std::string_view value) {
  SqliteQuery(impl,
              "INSERT INTO meta(key, value) VALUES(?1, ?2) "
              "ON CONFLICT(key) DO UPDATE SET value = excluded.value")
      .Bind(1, key)
      .Bind(2, value)
      .Run();
}

std::string GetMeta(SqliteConnection& impl, std::string_view key) {
  SqliteQuery q(impl, "SELECT value FROM meta WHERE key = ?1");
  q.Bind(1, key);
  return q.Step() ? q.Text(0) : std::string();
}

bool TableExists(SqliteConnection& impl, std::string_view name) {
  SqliteQuery q(impl, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
  q.Bind(1, name);
  return q.Step();
}

int64_t InsertFolder(SqliteConnection& impl, int64_t parent_id, std::string_view name,
                     ItemType type, int32_t special) {
  SqliteQuery q(
      impl,
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

void CreateStore(SqliteConnection& impl, int version, const NewStore& create) {
  SqliteTransaction tx(impl);
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

void Migrate(SqliteConnection& impl, int from) {
  SqliteTransaction tx(impl);
  // Read again under the write lock: another session may have migrated.
  int current = std::atoi(GetMeta(impl, "schema_version").c_str());
  for (int v = current + 1; v <= SqliteBackend::kSchemaVersion; ++v)
    impl.Exec(MigrationTo(v));
  if (current != from || current < SqliteBackend::kSchemaVersion)
    SetMeta(impl, "schema_version", std::to_string(SqliteBackend::kSchemaVersion));
  tx.Commit();
}

[[noreturn]] void RaiseDamaged(SqliteConnection& impl, const std::string& what) {
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
  throw Error(err::kCorruptData, description, kStoreSource);
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

}  // namespace zanvoro::host
