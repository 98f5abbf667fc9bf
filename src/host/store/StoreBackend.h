// The store's persistence seam. The object model (NameSpace, MAPIFolder,
// Items, Item) speaks only to this interface; every line of SQL lives in an
// implementation (SqliteBackend for store files; a server backend is a second
// implementation of the same interface). An implementation is also the
// QueryTarget the filter and table-query compilers resolve names against.
//
// Every method that changes more than one row runs in one transaction: either
// all of it is stored or none of it. Failures raise zanvoro::Error: the
// library's message is kept in the description and the file is named.
// Not thread-safe: one backend per store per session, used on the UI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/QueryTarget.h"
#include "host/store/StandardProperty.h"
#include "host/store/StoreTypes.h"
#include "runtime/Date.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

class Recordset;
struct SqlSelect;

struct StoreInfo {
  std::string store_id;
  std::string display_name;
  StoreKind kind = StoreKind::Shared;
  std::string owner_name;  // who created it
  std::string owner_address;
  int schema_version = 0;
};

struct FolderRow {
  int64_t id = 0;
  std::string entry_id;
  int64_t parent_id = 0;  // 0 for the root
  std::string name;
  std::string description;
  ItemType default_item_type = ItemType::Mail;
  int32_t special = 0;  // the DefaultFolder number of a default folder, else 0
};

struct PropertyRow {
  std::string name;
  UserPropertyType type = UserPropertyType::Text;
  Variant value;
};

struct RecipientRow {
  RecipientType type = RecipientType::To;
  std::string name;
  std::string address;
  bool resolved = false;
  friend bool operator==(const RecipientRow&, const RecipientRow&) = default;
};

struct AttachmentRow {
  std::string file_name;
  std::string display_name;
  std::string content_id;
  std::string mime_type;
  std::string data;  // the bytes
  friend bool operator==(const AttachmentRow&, const AttachmentRow&) = default;
};

struct ItemRow {
  int64_t id = 0;  // 0 until first stored
  std::string entry_id;
  int64_t folder_id = 0;
  int64_t change_counter = 0;
  std::string creator;            // address (or name) of who created it
  std::vector<Variant> standard;  // kPropCount values, in the order of Prop
};

// What one save writes besides the item's standard properties.
struct ItemWrite {
  std::vector<PropertyRow> set_properties;                // added or changed
  std::vector<std::string> removed_properties;            // by name
  std::optional<std::vector<RecipientRow>> recipients;    // replaces all when set
  std::optional<std::vector<AttachmentRow>> attachments;  // replaces all when set
  std::vector<PropertyRow> folder_fields;  // user properties added to the folder
  // Delivery records kept with the item (where a received mail came from).
  // A key recorded before raises Error(err::kKeyAlreadyAssociated) and
  // nothing is saved.
  std::vector<std::string> delivered;
};

// A selection of a folder's items: a compiled condition (placeholders from
// 2 on; placeholder 1 is the folder) and an ordering.
struct ItemSelection {
  int64_t folder_id = 0;
  std::string where_sql;  // empty: every item
  std::vector<Variant> params;
  std::string order_sql;  // empty: in the order they were created
};

enum class ChangeKind : int32_t { Added = 1, Changed = 2, Removed = 3 };

struct ChangeRow {
  int64_t seq = 0;
  int64_t folder_id = 0;
  std::string entry_id;
  ChangeKind kind = ChangeKind::Added;
};

class StoreBackend : public QueryTarget {
 public:
  ~StoreBackend() override = default;

  virtual const std::string& Location() const = 0;  // file path or server
  virtual StoreInfo Info() const = 0;

  // Folders.
  virtual FolderRow RootFolder() = 0;
  virtual std::optional<FolderRow> FolderById(int64_t id) = 0;
  virtual std::optional<FolderRow> FolderByEntryId(std::string_view entry_id) = 0;
  virtual std::optional<FolderRow> SpecialFolder(DefaultFolder which) = 0;
  virtual std::vector<FolderRow> ChildFolders(int64_t parent_id) = 0;
  // Every folder of the store, the root included, in the order of their ids
  // (a folder's children in the order ChildFolders gives them).
  virtual std::vector<FolderRow> AllFolders() = 0;
  virtual FolderRow AddFolder(int64_t parent_id, std::string_view name, ItemType type,
                              int32_t special) = 0;
  virtual void UpdateFolder(const FolderRow& folder) = 0;
  // Deletes the folder with its sub-folders and all their items.
  virtual void DeleteFolder(int64_t id) = 0;
  virtual std::optional<Role> Permission(int64_t folder_id, std::string_view user) = 0;
  virtual void SetPermission(int64_t folder_id, std::string_view user, Role role) = 0;
  virtual std::vector<PropertyRow> FolderFields(int64_t folder_id) = 0;

  // Items.
  virtual std::optional<ItemRow> LoadItem(std::string_view entry_id) = 0;
  virtual std::optional<ItemRow> LoadItemById(int64_t id) = 0;
  virtual std::vector<PropertyRow> LoadProperties(int64_t item_id) = 0;
  virtual std::vector<RecipientRow> LoadRecipients(int64_t item_id) = 0;
  virtual std::vector<AttachmentRow> LoadAttachments(int64_t item_id) = 0;
  // Stores the item: inserts it when row.id is 0 (assigning id, entry ID and
  // change counter 1), else updates it when its change counter still matches,
  // raising Error(err::kObjectChanged) when another save came first and
  // Error(err::kObjectDeleted) when it is gone. Logs the change.
  virtual void SaveItem(ItemRow& row, const ItemWrite& write) = 0;
  // Moves the item to another folder of this store (same checks as SaveItem);
  // updates row.folder_id and row.change_counter.
  virtual void MoveItem(ItemRow& row, int64_t target_folder_id) = 0;
  // A copy of the stored item with everything it holds, as a new item in
  // `target_folder_id`.
  virtual ItemRow CopyItem(int64_t item_id, int64_t target_folder_id) = 0;
  virtual void DeleteItem(const ItemRow& row) = 0;
  // Whether a delivery record with `key` exists (ItemWrite::delivered).
  virtual bool WasDelivered(std::string_view key) = 0;
  // The entry ID the record with `key` was saved with; "" when there is none.
  virtual std::string DeliveredEntryID(std::string_view key) = 0;
  // Drops the record with `key` (nothing when there is none).
  virtual void ForgetDelivered(std::string_view key) = 0;

  virtual int64_t CountItems(const ItemSelection& selection) = 0;
  // Ids of the selected items in their order; from the one after `after_id`
  // (in creation order) when it is not 0; at most `limit` when it is not 0.
  virtual std::vector<int64_t> SelectItemIds(const ItemSelection& selection,
                                             int64_t after_id = 0, size_t limit = 0) = 0;
  // Runs a compiled table query over one folder into a recordset.
  virtual Recordset SelectTable(int64_t folder_id, const SqlSelect& select) = 0;

  // One transaction around the writes that follow until CommitBatch, each
  // method's own transaction nested in it: one commit for many saves, and
  // all or nothing if the process dies. False (and no batch) when the store
  // cannot begin one now; the writes are then stored one by one.
  virtual bool BeginBatch() = 0;
  // Stores the batch (raising the error when that fails; nothing of it is
  // stored then).
  virtual void CommitBatch() = 0;

  // The time now by the store's clock, to the second: the server's for a
  // store on a server, so sessions on several machines agree on it.
  virtual Date CurrentTime() = 0;

  // Changes made by this and other sessions, for ItemAdd.
  virtual int64_t LastChangeSeq() = 0;
  virtual std::vector<ChangeRow> ChangesAfter(int64_t seq) = 0;
  // True when another connection wrote to the store since the last call
  // (cheap: does not read any table). Polled by a timer; a server backend
  // that is told of changes answers from what it was told.
  virtual bool ChangedElsewhere() = 0;
};

// A step hook for crash tests: called with the name of a step inside a
// transaction ("move:updated"), so a test can stop the process there. Unset
// in production.
void SetStoreStepHookForTesting(std::function<void(std::string_view)> hook);
void StoreStep(std::string_view step);

// A new identifier: 48 hexadecimal digits (upper case), the creation time
// in microseconds followed by 144 random bits, so identifiers never repeat
// and new ones sort last.
std::string NewStoreIdentifier();

}  // namespace zanvoro::host
