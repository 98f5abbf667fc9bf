// A folder of a store. Handed out as shared_ptr; keeps its store open. The
// name, description and kind are read when the handle is made and written
// through at once by the setters. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/StoreBackend.h"
#include "host/store/StoreTypes.h"

namespace zanvoro::host {

class Folders;
class Items;
class Recordset;
class Store;

// A user property added to a folder's fields.
struct FolderField {
  std::string Name;
  UserPropertyType Type = UserPropertyType::Text;
};

class MAPIFolder : public std::enable_shared_from_this<MAPIFolder> {
 public:
  MAPIFolder(std::shared_ptr<Store> store, FolderRow row);

  const std::string& EntryID() const { return row_.entry_id; }
  const std::string& StoreID() const;
  const std::string& Name() const { return row_.name; }
  // Renames the folder (PublishingEditor or Owner). A sibling of the same
  // name (any case) raises Error(err::kCallFailed).
  void SetName(std::string_view name);
  const std::string& Description() const { return row_.description; }
  void SetDescription(std::string_view description);
  ItemType DefaultItemType() const { return row_.default_item_type; }
  // The root folder has no parent: nullptr.
  std::shared_ptr<MAPIFolder> Parent();
  // "\\Mailbox - Ann\Inbox\Support": two backslashes, the root's name, then
  // each folder's name after one backslash.
  std::string FolderPath();

  host::Folders Folders();
  // All items, in the order they were created. Reading needs Reviewer.
  std::shared_ptr<host::Items> Items();

  // The current user's role here, and setting another user's (Owner only).
  // `user` is an address, a name, or "Default" for everyone not listed.
  Role CurrentUserRole();
  void SetPermission(std::string_view user, Role role);

  // User properties added to the folder's fields (UserProperties.Add with
  // addToFolder).
  std::vector<FolderField> UserDefinedProperties();

  // The table query: "Select EntryID, Subject from Folder where ... order by
  // ...". Runs as one SQL statement over this folder without loading items.
  // Bad syntax raises Error(err::kInvalidProcedureCall).
  Recordset ExecSQL(std::string_view query);

  // Deletes the folder, its sub-folders and all their items (PublishingEditor
  // or Owner of the parent). The root cannot be deleted.
  void Delete();

  std::shared_ptr<Store> GetStore() const { return store_; }
  int64_t Id() const { return row_.id; }

 private:
  std::shared_ptr<Store> store_;
  FolderRow row_;
};

// The sub-folders of a folder, or the top-level folders of a session (each
// store's root). A light value: every call reads the store.
class Folders {
 public:
  Folders(std::shared_ptr<Store> store, int64_t parent_id);
  explicit Folders(std::vector<std::shared_ptr<MAPIFolder>> roots);

  int32_t Count();
  // 1-based; raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  std::shared_ptr<MAPIFolder> Item(int32_t index);
  // By name without regard to case; nullptr when there is none.
  std::shared_ptr<MAPIFolder> Item(std::string_view name);
  // Adds a sub-folder (PublishingEditor or Owner). Its kind defaults to the
  // parent's. A name in use raises Error(err::kCallFailed); an empty name
  // raises Error(err::kInvalidProcedureCall).
  std::shared_ptr<MAPIFolder> Add(std::string_view name);
  std::shared_ptr<MAPIFolder> Add(std::string_view name, ItemType type);
  // Deletes the index-th folder (1-based) with everything in it.
  void Remove(int32_t index);
  std::vector<std::shared_ptr<MAPIFolder>> All();

 private:
  std::shared_ptr<Store> store_;
  int64_t parent_id_ = 0;
  std::vector<std::shared_ptr<MAPIFolder>> roots_;
};

}  // namespace zanvoro::host
