#include "host/store/MAPIFolder.h"

#include "host/store/Items.h"
#include "host/store/Recordset.h"
#include "host/store/Store.h"
#include "host/store/TableQuery.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

void RequireUniqueName(StoreBackend& backend, int64_t parent_id, std::string_view name,
                       int64_t except_id) {
  if (Trim(name).empty())
    throw Error(err::kInvalidProcedureCall, "A folder needs a name.", "Folders");
  for (const FolderRow& sibling : backend.ChildFolders(parent_id)) {
    if (sibling.id != except_id && TextEquals(sibling.name, name))
      throw Error(err::kCallFailed,
                  "Cannot create the folder: a folder named '" + std::string(name) +
                      "' already exists here.",
                  "Folders");
  }
}

}  // namespace

MAPIFolder::MAPIFolder(std::shared_ptr<Store> store, FolderRow row)
    : store_(std::move(store)), row_(std::move(row)) {}

const std::string& MAPIFolder::StoreID() const { return store_->StoreID(); }

void MAPIFolder::SetName(std::string_view name) {
  store_->RequireRole(row_.id, Role::PublishingEditor, "the folder '" + row_.name + "'");
  if (row_.parent_id != 0)
    RequireUniqueName(store_->Backend(), row_.parent_id, name, row_.id);
  FolderRow changed = row_;
  changed.name = std::string(name);
  store_->Backend().UpdateFolder(changed);
  row_ = std::move(changed);
  store_->AfterLocalChange();
}

void MAPIFolder::SetDescription(std::string_view description) {
  store_->RequireRole(row_.id, Role::PublishingEditor, "the folder '" + row_.name + "'");
  FolderRow changed = row_;
  changed.description = std::string(description);
  store_->Backend().UpdateFolder(changed);
  row_ = std::move(changed);
  store_->AfterLocalChange();
}

std::shared_ptr<MAPIFolder> MAPIFolder::Parent() {
  if (row_.parent_id == 0) return nullptr;
  auto row = store_->Backend().FolderById(row_.parent_id);
  return row ? store_->FolderFromRow(std::move(*row)) : nullptr;
}

std::string MAPIFolder::FolderPath() {
  std::string path;
  FolderRow current = row_;
  StoreBackend& backend = store_->Backend();
  // Walk up to the root; a cycle cannot occur, but a bound keeps a damaged
  // file from looping.
  for (int depth = 0; depth < 1000; ++depth) {
    if (current.parent_id == 0) return "\\\\" + current.name + path;
    path = "\\" + current.name + path;
    auto parent = backend.FolderById(current.parent_id);
    if (!parent) break;
    current = std::move(*parent);
  }
  throw Error(err::kCorruptData,
              "The folder tree of '" + backend.Location() + "' is broken.", "Store");
}

host::Folders MAPIFolder::Folders() { return host::Folders(store_, row_.id); }

std::shared_ptr<host::Items> MAPIFolder::Items() {
  store_->RequireRole(row_.id, Role::Reviewer, "the folder '" + row_.name + "'");
  ItemSelection all;
  all.folder_id = row_.id;
  return std::make_shared<host::Items>(shared_from_this(), std::move(all));
}

Role MAPIFolder::CurrentUserRole() { return store_->RoleIn(row_.id); }

void MAPIFolder::SetPermission(std::string_view user, Role role) {
  store_->RequireRole(row_.id, Role::Owner, "the permissions of '" + row_.name + "'");
  store_->Backend().SetPermission(row_.id, user, role);
  store_->AfterLocalChange();
}

std::vector<FolderField> MAPIFolder::UserDefinedProperties() {
  std::vector<FolderField> out;
  for (PropertyRow& row : store_->Backend().FolderFields(row_.id))
    out.push_back(FolderField{std::move(row.name), row.type});
  return out;
}

Recordset MAPIFolder::ExecSQL(std::string_view query) {
  store_->RequireRole(row_.id, Role::Reviewer, "the folder '" + row_.name + "'");
  StoreBackend& backend = store_->Backend();
  // Placeholder 1 is the folder; the query's literals follow.
  SqlSelect select = CompileTableQuery(ParseTableQuery(query), backend, 2);
  return backend.SelectTable(row_.id, select);
}

void MAPIFolder::Delete() {
  if (row_.parent_id == 0)
    throw Error(err::kCallFailed, "The root folder of a store cannot be deleted.",
                "Folders");
  store_->RequireRole(row_.parent_id, Role::PublishingEditor,
                      "the folder '" + row_.name + "'");
  store_->Backend().DeleteFolder(row_.id);
  store_->AfterLocalChange();
}

// --- Folders ---------------------------------------------------------------

Folders::Folders(std::shared_ptr<Store> store, int64_t parent_id)
    : store_(std::move(store)), parent_id_(parent_id) {}

Folders::Folders(std::vector<std::shared_ptr<MAPIFolder>> roots)
    : roots_(std::move(roots)) {}

std::vector<std::shared_ptr<MAPIFolder>> Folders::All() {
  if (!store_) return roots_;
  std::vector<std::shared_ptr<MAPIFolder>> out;
  for (FolderRow& row : store_->Backend().ChildFolders(parent_id_))
    out.push_back(store_->FolderFromRow(std::move(row)));
  return out;
}

int32_t Folders::Count() { return static_cast<int32_t>(All().size()); }

std::shared_ptr<MAPIFolder> Folders::Item(int32_t index) {
  auto all = All();
  if (index < 1 || static_cast<size_t>(index) > all.size())
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds.", "Folders");
  return all[static_cast<size_t>(index - 1)];
}

std::shared_ptr<MAPIFolder> Folders::Item(std::string_view name) {
  for (auto& folder : All()) {
    if (TextEquals(folder->Name(), name)) return folder;
  }
  return nullptr;
}

std::shared_ptr<MAPIFolder> Folders::Add(std::string_view name) {
  if (!store_)
    throw Error(err::kCallFailed, "A store is added to the session, not to its folders.",
                "Folders");
  auto parent = store_->Backend().FolderById(parent_id_);
  if (!parent)
    throw Error(err::kObjectDeleted, "The folder has been deleted.", "Folders");
  return Add(name, parent->default_item_type);
}

std::shared_ptr<MAPIFolder> Folders::Add(std::string_view name, ItemType type) {
  if (!store_)
    throw Error(err::kCallFailed, "A store is added to the session, not to its folders.",
                "Folders");
  store_->RequireRole(parent_id_, Role::PublishingEditor, "the folder");
  RequireUniqueName(store_->Backend(), parent_id_, name, 0);
  FolderRow row = store_->Backend().AddFolder(parent_id_, name, type, 0);
  store_->AfterLocalChange();
  return store_->FolderFromRow(std::move(row));
}

void Folders::Remove(int32_t index) { Item(index)->Delete(); }

}  // namespace zanvoro::host
