// The store as one SQLite file: WAL journal, 5 s busy timeout, foreign keys
// on, synchronous=NORMAL, prepared statements cached. All of the store's SQL
// text is in the Sqlite*.cpp files of this folder.
//
// Opening checks the file before touching it, reading only its header and
// schema: a file that is not a database, or lacks the store's tables or its
// schema version, raises Error(err::kCorruptData) naming the file and is left
// as it was (the description then adds the first fault a full integrity
// check finds). A full check on every open would read the whole file, slow
// for a store of gigabytes; damage further in is reported as
// Error(err::kCorruptData) by the first read or write that meets it. A file
// written by a newer schema raises Error(err::kVersionMismatch); an older
// schema is migrated forward in one transaction.
//
// User property values are indexed per property, and only once a filter or
// table query condition has compared that property: the first query with it
// makes partial indexes for it (and records it in searched_properties), so
// saving an item updates no index of a property nobody searches.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/store/StoreBackend.h"

namespace zanvoro::host {

// The folders a new store starts with (below its root).
struct NewFolder {
  std::string name;
  ItemType type = ItemType::Mail;
  int32_t special = 0;
};

// What a new store file is created with.
struct NewStore {
  std::string display_name;  // also the name of the root folder
  StoreKind kind = StoreKind::Mailbox;
  // Who created it; the owner holds every right in its folders.
  std::string owner_name;
  std::string owner_address;
  std::vector<NewFolder> folders;
};

class SqliteBackend final : public StoreBackend {
 public:
  static constexpr int kSchemaVersion = 4;

  // Opens the store file at `path`; creates it from `create` when the file
  // does not exist or is empty.
  static std::unique_ptr<SqliteBackend> Open(const std::string& path,
                                             const NewStore& create);
  // Creates a new store file at an older schema version, as that version
  // wrote it. For migration tests.
  static void CreateAtVersionForTesting(const std::string& path, int version,
                                        const NewStore& create);

  // The query plan (one line per step) of finding the first item of
  // `selection`, after making the indexes its conditions asked for.
  std::vector<std::string> FindPlanForTesting(const ItemSelection& selection);

  ~SqliteBackend() override;

  const std::string& Location() const override;
  StoreInfo Info() const override;

  FolderRow RootFolder() override;
  std::optional<FolderRow> FolderById(int64_t id) override;
  std::optional<FolderRow> FolderByEntryId(std::string_view entry_id) override;
  std::optional<FolderRow> SpecialFolder(DefaultFolder which) override;
  std::vector<FolderRow> ChildFolders(int64_t parent_id) override;
  std::vector<FolderRow> AllFolders() override;
  FolderRow AddFolder(int64_t parent_id, std::string_view name, ItemType type,
                      int32_t special) override;
  void UpdateFolder(const FolderRow& folder) override;
  void DeleteFolder(int64_t id) override;
  std::optional<Role> Permission(int64_t folder_id, std::string_view user) override;
  void SetPermission(int64_t folder_id, std::string_view user, Role role) override;
  std::vector<PropertyRow> FolderFields(int64_t folder_id) override;

  std::optional<ItemRow> LoadItem(std::string_view entry_id) override;
  std::optional<ItemRow> LoadItemById(int64_t id) override;
  std::vector<PropertyRow> LoadProperties(int64_t item_id) override;
  std::vector<RecipientRow> LoadRecipients(int64_t item_id) override;
  std::vector<AttachmentRow> LoadAttachments(int64_t item_id) override;
  void SaveItem(ItemRow& row, const ItemWrite& write) override;
  void MoveItem(ItemRow& row, int64_t target_folder_id) override;
  ItemRow CopyItem(int64_t item_id, int64_t target_folder_id) override;
  void DeleteItem(const ItemRow& row) override;
  bool WasDelivered(std::string_view key) override;
  std::string DeliveredEntryID(std::string_view key) override;
  void ForgetDelivered(std::string_view key) override;

  int64_t CountItems(const ItemSelection& selection) override;
  std::vector<int64_t> SelectItemIds(const ItemSelection& selection, int64_t after_id,
                                     size_t limit) override;
  Recordset SelectTable(int64_t folder_id, const SqlSelect& select) override;

  bool BeginBatch() override;
  void CommitBatch() override;

  Date CurrentTime() override;
  int64_t LastChangeSeq() override;
  std::vector<ChangeRow> ChangesAfter(int64_t seq) override;
  bool ChangedElsewhere() override;

  ResolvedColumn Resolve(std::string_view name, ValueKind literal) const override;
  std::string Comparison(const ResolvedColumn& column, CompareOp op,
                         std::string_view placeholder) const override;
  std::string AllComparisons(
      const ResolvedColumn& column,
      const std::vector<std::pair<CompareOp, std::string>>& bounds) const override;
  std::string Placeholder(size_t n) const override;

  // The connection and its cached statements; defined in the .cpp only.
  struct Impl;

 private:
  explicit SqliteBackend(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace zanvoro::host
