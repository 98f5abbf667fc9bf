#include "host/store/SqliteBackend.h"
#include "host/store/SqliteBackendImpl.h"
#include "host/store/SqliteSchema.h"

namespace zanvoro::host {

namespace {

FolderRow ReadFolder(const SqliteQuery& q) {
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

}  // namespace

FolderRow SqliteBackend::RootFolder() {
  SqliteQuery q(*impl_, std::string(kFolderColumns) +
                            "WHERE parent_id IS NULL ORDER BY id LIMIT 1");
  if (!q.Step())
    throw Error(err::kCorruptData,
                "The store file '" + impl_->path + "' has no root folder.", kStoreSource);
  return ReadFolder(q);
}

std::optional<FolderRow> SqliteBackend::FolderById(int64_t id) {
  SqliteQuery q(*impl_, std::string(kFolderColumns) + "WHERE id = ?1");
  q.Bind(1, id);
  if (!q.Step()) return std::nullopt;
  return ReadFolder(q);
}

std::optional<FolderRow> SqliteBackend::FolderByEntryId(std::string_view entry_id) {
  SqliteQuery q(*impl_, std::string(kFolderColumns) + "WHERE entry_id = ?1");
  q.Bind(1, entry_id);
  if (!q.Step()) return std::nullopt;
  return ReadFolder(q);
}

std::optional<FolderRow> SqliteBackend::SpecialFolder(DefaultFolder which) {
  SqliteQuery q(*impl_,
                std::string(kFolderColumns) + "WHERE special = ?1 ORDER BY id LIMIT 1");
  q.Bind(1, int64_t{static_cast<int32_t>(which)});
  if (!q.Step()) return std::nullopt;
  return ReadFolder(q);
}

std::vector<FolderRow> SqliteBackend::ChildFolders(int64_t parent_id) {
  return SqliteQuery(*impl_,
                     std::string(kFolderColumns) + "WHERE parent_id = ?1 ORDER BY id")
      .Bind(1, parent_id)
      .Rows(ReadFolder);
}

std::vector<FolderRow> SqliteBackend::AllFolders() {
  SqliteQuery q(*impl_, std::string(kFolderColumns) + "ORDER BY id");
  return q.Rows(ReadFolder);
}

FolderRow SqliteBackend::AddFolder(int64_t parent_id, std::string_view name,
                                   ItemType type, int32_t special) {
  SqliteTransaction tx(*impl_);
  int64_t id = InsertFolder(*impl_, parent_id, name, type, special);
  tx.Commit();
  return *FolderById(id);
}

void SqliteBackend::UpdateFolder(const FolderRow& folder) {
  SqliteQuery q(*impl_,
                "UPDATE folders SET name = ?1, description = ?2, default_item_type = ?3 "
                "WHERE id = ?4");
  q.Bind(1, std::string_view(folder.name))
      .Bind(2, std::string_view(folder.description))
      .Bind(3, int64_t{static_cast<int32_t>(folder.default_item_type)})
      .Bind(4, folder.id);
  q.Run();
  if (sqlite3_changes(impl_->db) == 0)
    throw Error(err::kObjectDeleted, "The folder has been deleted.", kStoreSource);
}

void SqliteBackend::DeleteFolder(int64_t id) {
  SqliteTransaction tx(*impl_);
  // Log the items that go, so sessions watching know.
  {
    SqliteQuery q(
        *impl_,
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
        "SELECT f.id FROM folders f JOIN tree t ON f.parent_id = t.id) "
        "SELECT i.folder_id, i.entry_id FROM items i WHERE i.folder_id IN tree");
    q.Bind(1, id);
    std::vector<std::pair<int64_t, std::string>> gone;
    while (q.Step()) gone.emplace_back(q.Int(0), q.Text(1));
    for (auto& [folder, entry] : gone)
      LogChange(*impl_, folder, entry, ChangeKind::Removed);
  }
  SqliteQuery(*impl_, "DELETE FROM folders WHERE id = ?1").Bind(1, id).Run();
  if (sqlite3_changes(impl_->db) == 0)
    throw Error(err::kObjectDeleted, "The folder has been deleted.", kStoreSource);
  tx.Commit();
}

std::optional<Role> SqliteBackend::Permission(int64_t folder_id, std::string_view user) {
  SqliteQuery q(*impl_,
                "SELECT role FROM folder_permissions WHERE folder_id = ?1 AND user = ?2");
  q.Bind(1, folder_id).Bind(2, user);
  if (!q.Step()) return std::nullopt;
  return static_cast<Role>(q.Int(0));
}

void SqliteBackend::SetPermission(int64_t folder_id, std::string_view user, Role role) {
  SqliteQuery(*impl_,
              "INSERT INTO folder_permissions(folder_id, user, role) VALUES(?1, ?2, ?3) "
              "ON CONFLICT(folder_id, user) DO UPDATE SET role = excluded.role")
      .Bind(1, folder_id)
      .Bind(2, user)
      .Bind(3, int64_t{static_cast<int32_t>(role)})
      .Run();
}

std::vector<PropertyRow> SqliteBackend::FolderFields(int64_t folder_id) {
  return SqliteQuery(
             *impl_,
             "SELECT n.name, f.type FROM folder_fields f JOIN property_names n ON n.id = "
             "f.name_id "
             "WHERE f.folder_id = ?1 ORDER BY n.name")
      .Bind(1, folder_id)
      .Rows([](const SqliteQuery& r) {
        return PropertyRow{r.Text(0), static_cast<UserPropertyType>(r.Int(1)), Variant()};
      });
}

}  // namespace zanvoro::host
