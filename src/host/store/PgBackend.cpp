#include "host/store/PgBackend.h"

#include <cstdlib>
#include <ctime>

#include "host/store/PgBackendImpl.h"
#include "host/store/SqliteSchema.h"
#include "host/store/StoreValues.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kChannel = "zanvoro_store_changes";

std::string ColumnType(PropKind kind) {
  switch (kind) {
    case PropKind::Text:
      return "text COLLATE \"C\" NOT NULL DEFAULT ''";
    case PropKind::Long:
      return "integer NOT NULL DEFAULT 0";
    case PropKind::Date:
      return "double precision";
    case PropKind::Boolean:
      return "integer NOT NULL DEFAULT 0";
  }
  return "";
}

// The store's tables. Texts compare as bytes ("C"), as in a store file;
// names that compare without regard to case have unique indexes on lower().
// User property texts are indexed by their first 200 characters (an index
// entry holds at most a third of a page): conditions compare the beginning
// through the index and then the whole text.
std::string Schema() {
  std::string items_columns;
  for (const StandardProperty& p : StandardProperties())
    items_columns += ",\n  " + ColumnName(p) + " " + ColumnType(p.kind);
  return R"(
CREATE TABLE meta(key text PRIMARY KEY, value text NOT NULL);
CREATE TABLE folders(
  id bigserial PRIMARY KEY,
  entry_id text NOT NULL UNIQUE,
  parent_id bigint REFERENCES folders(id) ON DELETE CASCADE,
  name text COLLATE "C" NOT NULL,
  description text NOT NULL DEFAULT '',
  default_item_type integer NOT NULL DEFAULT 0,
  special integer NOT NULL DEFAULT 0);
CREATE INDEX folders_parent ON folders(parent_id);
CREATE TABLE folder_permissions(
  folder_id bigint NOT NULL REFERENCES folders(id) ON DELETE CASCADE,
  user_name text NOT NULL,
  role integer NOT NULL);
CREATE UNIQUE INDEX folder_permissions_user ON folder_permissions(folder_id, lower(user_name));
CREATE TABLE property_names(id bigserial PRIMARY KEY, name text COLLATE "C" NOT NULL);
CREATE UNIQUE INDEX property_names_name ON property_names(lower(name));
CREATE TABLE items(
  id bigserial PRIMARY KEY,
  entry_id text NOT NULL UNIQUE,
  folder_id bigint NOT NULL REFERENCES folders(id) ON DELETE CASCADE,
  change_counter bigint NOT NULL,
  creator text NOT NULL DEFAULT '')" +
         items_columns + R"();
CREATE INDEX items_folder ON items(folder_id, id);
CREATE INDEX items_folder_entry ON items(folder_id, entry_id);
CREATE TABLE item_properties(
  item_id bigint NOT NULL REFERENCES items(id) ON DELETE CASCADE,
  name_id bigint NOT NULL REFERENCES property_names(id),
  type integer NOT NULL,
  text_value text COLLATE "C",
  num_value double precision,
  PRIMARY KEY(item_id, name_id));
CREATE INDEX item_properties_text ON item_properties(name_id, left(lower(text_value), 200));
CREATE INDEX item_properties_number ON item_properties(name_id, num_value)
  WHERE num_value IS NOT NULL;
CREATE TABLE recipients(
  item_id bigint NOT NULL REFERENCES items(id) ON DELETE CASCADE,
  position integer NOT NULL,
  type integer NOT NULL,
  name text NOT NULL,
  address text NOT NULL,
  resolved integer NOT NULL,
  PRIMARY KEY(item_id, position));
CREATE TABLE attachments(
  id bigserial PRIMARY KEY,
  item_id bigint NOT NULL REFERENCES items(id) ON DELETE CASCADE,
  position integer NOT NULL,
  file_name text NOT NULL,
  display_name text NOT NULL,
  content_id text NOT NULL,
  mime_type text NOT NULL,
  data bytea NOT NULL);
CREATE INDEX attachments_item ON attachments(item_id, position);
CREATE TABLE change_log(
  seq bigserial PRIMARY KEY,
  folder_id bigint NOT NULL,
  entry_id text NOT NULL,
  kind integer NOT NULL,
  at double precision NOT NULL);
CREATE TABLE folder_fields(
  folder_id bigint NOT NULL REFERENCES folders(id) ON DELETE CASCADE,
  name_id bigint NOT NULL REFERENCES property_names(id),
  type integer NOT NULL,
  PRIMARY KEY(folder_id, name_id));
CREATE TABLE delivered_messages(
  key text PRIMARY KEY,
  entry_id text NOT NULL,
  at double precision NOT NULL);
)";
}

constexpr const char* kRequiredTables[] = {
    "meta",       "folders",         "folder_permissions", "property_names",
    "items",      "item_properties", "recipients",         "attachments",
    "change_log", "folder_fields",   "delivered_messages"};

std::string GetMeta(PgConnection& conn, std::string_view key) {
  PgResult r = conn.Run("SELECT value FROM meta WHERE key = $1", {key});
  return r.Rows() ? r.Text(0, 0) : std::string();
}

void SetMeta(PgConnection& conn, std::string_view key, std::string_view value) {
  conn.Run(
      "INSERT INTO meta(key, value) VALUES($1, $2) "
      "ON CONFLICT(key) DO UPDATE SET value = excluded.value",
      {key, value});
}

int64_t InsertFolder(PgConnection& conn, int64_t parent_id, std::string_view name,
                     ItemType type, int32_t special) {
  PgResult r = conn.Run(
      "INSERT INTO folders(entry_id, parent_id, name, default_item_type, special) "
      "VALUES($1, $2, $3, $4, $5) RETURNING id",
      {NewStoreIdentifier(), parent_id == 0 ? PgValue() : PgValue(parent_id), name,
       int64_t{static_cast<int32_t>(type)}, int64_t{special}});
  return r.Int(0, 0);
}

int64_t CountTables(PgConnection& conn) {
  return conn
      .Run(
          "SELECT count(*) FROM pg_catalog.pg_tables WHERE schemaname = current_schema()")
      .Int(0, 0);
}

void CreateStore(PgBackend::Impl& impl, const NewStore& create) {
  PgTransaction tx(impl);
  // Another session may have made it while this one was connecting: the
  // write lock puts one after the other.
  if (CountTables(impl) != 0) return;
  impl.Exec(Schema());
  SetMeta(impl, "schema_version", std::to_string(PgBackend::kSchemaVersion));
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

[[noreturn]] void RaiseNotAStore(const PgConnection& conn, const std::string& what) {
  throw Error(err::kCorruptData,
              "The database '" + conn.location + "' " + what + " It was left as it was.",
              kStoreSource);
}

void CheckStore(PgBackend::Impl& impl) {
  for (const char* table : kRequiredTables) {
    PgResult r = impl.Run("SELECT to_regclass($1) IS NOT NULL", {table});
    if (r.Int(0, 0) == 0)
      RaiseNotAStore(impl,
                     "is not a store: table '" + std::string(table) + "' is missing.");
  }
  int version = std::atoi(GetMeta(impl, "schema_version").c_str());
  if (version < 1) RaiseNotAStore(impl, "is damaged: it has no schema version.");
  if (version > PgBackend::kSchemaVersion)
    throw Error(err::kVersionMismatch,
                "The store database '" + impl.location +
                    "' was written by a newer version (schema " +
                    std::to_string(version) + "; this program reads up to " +
                    std::to_string(PgBackend::kSchemaVersion) + ").",
                kStoreSource);
}

void LoadInfo(PgBackend::Impl& impl) {
  impl.info.schema_version = std::atoi(GetMeta(impl, "schema_version").c_str());
  impl.info.store_id = GetMeta(impl, "store_id");
  impl.info.display_name = GetMeta(impl, "display_name");
  impl.info.owner_name = GetMeta(impl, "owner_name");
  impl.info.owner_address = GetMeta(impl, "owner_address");
  impl.info.kind =
      GetMeta(impl, "kind") == "mailbox" ? StoreKind::Mailbox : StoreKind::Shared;
  impl.item_columns.clear();
  impl.item_select = "i.id, i.entry_id, i.folder_id, i.change_counter, i.creator";
  std::string placeholders;
  std::string sets;
  for (const StandardProperty& p : StandardProperties()) {
    int n = static_cast<int>(p.prop);
    impl.item_columns += (n ? ", " : "") + ColumnName(p);
    impl.item_select += ", i." + ColumnName(p);
    placeholders += ", $" + std::to_string(n + 4);
    sets += ", " + ColumnName(p) + " = $" + std::to_string(n + 3);
  }
  impl.insert_item = "INSERT INTO items(entry_id, folder_id, change_counter, creator, " +
                     impl.item_columns + ") VALUES($1, $2, 1, $3" + placeholders +
                     ") RETURNING id";
  impl.update_item = "UPDATE items SET change_counter = change_counter + 1" + sets +
                     " WHERE id = $1 AND change_counter = $2";
}

FolderRow ReadFolder(const PgResult& r, int row) {
  FolderRow f;
  f.id = r.Int(row, 0);
  f.entry_id = r.Text(row, 1);
  f.parent_id = r.Int(row, 2);
  f.name = r.Text(row, 3);
  f.description = r.Text(row, 4);
  f.default_item_type = static_cast<ItemType>(r.Int(row, 5));
  f.special = static_cast<int32_t>(r.Int(row, 6));
  return f;
}

std::vector<FolderRow> ReadFolders(const PgResult& r) {
  std::vector<FolderRow> out;
  for (int i = 0; i < r.Rows(); ++i) out.push_back(ReadFolder(r, i));
  return out;
}

std::optional<FolderRow> FirstFolder(const PgResult& r) {
  if (r.Rows() == 0) return std::nullopt;
  return ReadFolder(r, 0);
}

const std::string kFolderColumns =
    "SELECT id, entry_id, parent_id, name, description, default_item_type, special "
    "FROM folders ";

}  // namespace

PgBackend::PgBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PgBackend::~PgBackend() = default;

std::unique_ptr<PgBackend> PgBackend::Open(const std::string& location,
                                           const NewStore& create) {
  auto impl = std::make_unique<Impl>();
  impl->Open(location);
  if (CountTables(*impl) == 0) CreateStore(*impl, create);
  CheckStore(*impl);
  // Changes older than a day were long since seen by every session.
  impl->Run("DELETE FROM change_log WHERE at < $1", {Now().Serial() - 1});
  impl->Exec(std::string("LISTEN ") + kChannel);
  impl->backend_pid = PQbackendPID(impl->conn);
  LoadInfo(*impl);
  return std::unique_ptr<PgBackend>(new PgBackend(std::move(impl)));
}

const std::string& PgBackend::Location() const { return impl_->location; }
StoreInfo PgBackend::Info() const { return impl_->info; }

// --- Folders ---------------------------------------------------------------

FolderRow PgBackend::RootFolder() {
  auto root = FirstFolder(
      impl_->Run(kFolderColumns + "WHERE parent_id IS NULL ORDER BY id LIMIT 1"));
  if (!root) RaiseNotAStore(*impl_, "has no root folder.");
  return *root;
}

std::optional<FolderRow> PgBackend::FolderById(int64_t id) {
  return FirstFolder(impl_->Run(kFolderColumns + "WHERE id = $1", {id}));
}

std::optional<FolderRow> PgBackend::FolderByEntryId(std::string_view entry_id) {
  return FirstFolder(impl_->Run(kFolderColumns + "WHERE entry_id = $1", {entry_id}));
}

std::optional<FolderRow> PgBackend::SpecialFolder(DefaultFolder which) {
  return FirstFolder(impl_->Run(kFolderColumns + "WHERE special = $1 ORDER BY id LIMIT 1",
                                {int64_t{static_cast<int32_t>(which)}}));
}

std::vector<FolderRow> PgBackend::ChildFolders(int64_t parent_id) {
  return ReadFolders(
      impl_->Run(kFolderColumns + "WHERE parent_id = $1 ORDER BY id", {parent_id}));
}

std::vector<FolderRow> PgBackend::AllFolders() {
  return ReadFolders(impl_->Run(kFolderColumns + "ORDER BY id"));
}

FolderRow PgBackend::AddFolder(int64_t parent_id, std::string_view name, ItemType type,
                               int32_t special) {
  PgTransaction tx(*impl_);
  int64_t id = InsertFolder(*impl_, parent_id, name, type, special);
  tx.Commit();
  return *FolderById(id);
}

void PgBackend::UpdateFolder(const FolderRow& folder) {
  PgTransaction tx(*impl_);
  PgResult r = impl_->Run(
      "UPDATE folders SET name = $1, description = $2, default_item_type = $3 "
      "WHERE id = $4",
      {folder.name, folder.description,
       int64_t{static_cast<int32_t>(folder.default_item_type)}, folder.id});
  if (r.Affected() == 0)
    throw Error(err::kObjectDeleted, "The folder has been deleted.", kStoreSource);
  tx.Commit();
}

void PgBackend::DeleteFolder(int64_t id) {
  PgTransaction tx(*impl_);
  // Log the items that go, so sessions watching know.
  PgResult gone = impl_->Run(
      "WITH RECURSIVE tree(id) AS (SELECT $1::bigint UNION ALL "
      "SELECT f.id FROM folders f JOIN tree t ON f.parent_id = t.id) "
      "SELECT i.folder_id, i.entry_id FROM items i WHERE i.folder_id IN "
      "(SELECT id FROM tree)",
      {id});
  for (int i = 0; i < gone.Rows(); ++i)
    LogChange(*impl_, gone.Int(i, 0), gone.Text(i, 1), ChangeKind::Removed);
  if (impl_->Run("DELETE FROM folders WHERE id = $1", {id}).Affected() == 0)
    throw Error(err::kObjectDeleted, "The folder has been deleted.", kStoreSource);
  tx.Commit();
}

std::optional<Role> PgBackend::Permission(int64_t folder_id, std::string_view user) {
  std::pair<int64_t, std::string> key{folder_id, std::string(user)};
  if (impl_->in_batch) {
    auto it = impl_->permissions.find(key);
    if (it != impl_->permissions.end()) return it->second;
  }
  PgResult r = impl_->Run(
      "SELECT role FROM folder_permissions WHERE folder_id = $1 AND "
      "lower(user_name) = lower($2)",
      {folder_id, user});
  std::optional<Role> role;
  if (r.Rows() > 0) role = static_cast<Role>(r.Int(0, 0));
  if (impl_->in_batch) impl_->permissions.emplace(std::move(key), role);
  return role;
}

void PgBackend::SetPermission(int64_t folder_id, std::string_view user, Role role) {
  impl_->permissions.clear();
  PgTransaction tx(*impl_);
  impl_->Run(
      "INSERT INTO folder_permissions(folder_id, user_name, role) VALUES($1, $2, $3) "
      "ON CONFLICT(folder_id, lower(user_name)) DO UPDATE SET role = excluded.role",
      {folder_id, user, int64_t{static_cast<int32_t>(role)}});
  tx.Commit();
}

std::vector<PropertyRow> PgBackend::FolderFields(int64_t folder_id) {
  PgResult r = impl_->Run(
      "SELECT n.name, f.type FROM folder_fields f JOIN property_names n ON n.id = "
      "f.name_id WHERE f.folder_id = $1 ORDER BY n.name",
      {folder_id});
  std::vector<PropertyRow> out;
  for (int i = 0; i < r.Rows(); ++i)
    out.push_back(
        PropertyRow{r.Text(i, 0), static_cast<UserPropertyType>(r.Int(i, 1)), Variant()});
  return out;
}

// --- Changes ---------------------------------------------------------------

void LogChange(PgBackend::Impl& impl, int64_t folder_id, std::string_view entry_id,
               ChangeKind kind) {
  // Announced in the same statement; the server sends one announcement per
  // transaction, folding repeats together.
  impl.Run(
      std::string("WITH logged AS (INSERT INTO change_log(folder_id, entry_id, kind, at) "
                  "VALUES($1, $2, $3, $4) RETURNING seq) SELECT pg_notify('") +
          kChannel + "', '') FROM logged",
      {folder_id, entry_id, int64_t{static_cast<int32_t>(kind)}, Now().Serial()});
}

int64_t PgBackend::LastChangeSeq() {
  return impl_->Run("SELECT coalesce(max(seq), 0) FROM change_log").Int(0, 0);
}

std::vector<ChangeRow> PgBackend::ChangesAfter(int64_t seq) {
  PgResult r = impl_->Run(
      "SELECT seq, folder_id, entry_id, kind FROM change_log WHERE seq > $1 "
      "ORDER BY seq LIMIT 1000",
      {seq});
  std::vector<ChangeRow> out;
  for (int i = 0; i < r.Rows(); ++i)
    out.push_back(ChangeRow{r.Int(i, 0), r.Int(i, 1), r.Text(i, 2),
                            static_cast<ChangeKind>(r.Int(i, 3))});
  return out;
}

Date PgBackend::CurrentTime() {
  // The local time, moved by how far the server's clock is from this one's.
  time_t here = time(nullptr);
  int64_t there =
      impl_->Run("SELECT floor(extract(epoch FROM clock_timestamp()))::bigint").Int(0, 0);
  return Date(Now().Serial() + static_cast<double>(there - here) / 86400.0);
}

bool PgBackend::BeginBatch() {
  impl_->permissions.clear();
  return impl_->BeginBatch();
}

void PgBackend::CommitBatch() {
  impl_->permissions.clear();
  impl_->CommitBatch();
}

bool PgBackend::ChangedElsewhere() {
  if (!PQconsumeInput(impl_->conn)) impl_->Fail("Reading the store's announcements");
  bool changed = false;
  while (PGnotify* note = PQnotifies(impl_->conn)) {
    if (note->be_pid != impl_->backend_pid) changed = true;
    PQfreemem(note);
  }
  return changed;
}

// --- Names in conditions ---------------------------------------------------

ResolvedColumn PgBackend::Resolve(std::string_view name, ValueKind literal) const {
  NamedProperty named = ParsePropertyName(name);
  if (named.entry_id) return {"i.entry_id", ValueKind::Text, false};
  if (named.standard)
    return {"i." + ColumnName(*named.standard), KindOf(named.standard->kind), false};
  int64_t name_id = NameId(*impl_, named.user_name, false);
  if (name_id == 0) return {"NULL", literal, true};
  return {UserPropertySql(name_id,
                          literal == ValueKind::Text ? kUserTextValue : kUserNumValue),
          literal, true};
}

std::string PgBackend::Comparison(const ResolvedColumn& column, CompareOp op,
                                  std::string_view placeholder) const {
  // The value's type is said, so a number compares as a number whatever the
  // column, and text without regard to case.
  bool text = column.kind == ValueKind::Text;
  std::string value = text ? "lower(" + std::string(placeholder) + "::text)"
                           : std::string(placeholder) + "::float8";
  if (column.user_property) {
    if (column.sql == "NULL") return "(" + value + " IS NULL AND FALSE)";
    int64_t name_id = 0;
    std::string value_column;
    if (ParseUserPropertySql(column.sql, name_id, value_column)) {
      std::string condition;
      if (!text) {
        condition = "p." + value_column + " " + OperatorSql(op) + " " + value;
      } else {
        condition = "lower(p." + value_column + ") " + OperatorSql(op) + " " + value;
        // The beginnings compare alike, or in the same direction, first.
        const char* prefix_op = nullptr;
        switch (op) {
          case CompareOp::Equal:
            prefix_op = "=";
            break;
          case CompareOp::Less:
          case CompareOp::LessOrEqual:
            prefix_op = "<=";
            break;
          case CompareOp::Greater:
          case CompareOp::GreaterOrEqual:
            prefix_op = ">=";
            break;
          case CompareOp::NotEqual:
            break;
        }
        if (prefix_op)
          condition = "left(lower(p." + value_column + "), 200) " + prefix_op + " left(" +
                      value + ", 200) AND " + condition;
      }
      return "i.id IN (SELECT p.item_id FROM item_properties p WHERE p.name_id = " +
             std::to_string(name_id) + " AND " + condition + ")";
    }
  }
  std::string compared = text ? "lower(" + column.sql + ")" : column.sql;
  return compared + " " + OperatorSql(op) + " " + value;
}

std::string PgBackend::Placeholder(size_t n) const { return "$" + std::to_string(n); }

}  // namespace zanvoro::host
