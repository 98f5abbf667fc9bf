// The store in a PostgreSQL database, for a team on several machines sharing
// one store: the same folders, items, properties, change counters, delivery
// records and change log as a store file, in tables of the database at a
// "postgresql://" location. All of its SQL is in the Pg*.cpp files of this
// folder.
//
// An empty database gets the store's tables on first open (two sessions
// opening it at once make them once); a database holding other tables, or a
// store of a newer schema, is refused and left as it was. Writers take the
// store's write lock for their transaction, one after the other, as writers
// of a store file do. Each change is announced on the channel
// "zanvoro_store_changes" when its transaction commits: ChangedElsewhere
// answers from the announcements of other sessions the server delivered,
// without a query.
#pragma once

#include <memory>
#include <string>

#include "host/store/SqliteBackend.h"
#include "host/store/StoreBackend.h"

namespace zanvoro::host {

class PgBackend final : public StoreBackend {
 public:
  static constexpr int kSchemaVersion = 1;

  // Opens the store in the database at `location`; makes it from `create`
  // when the database is empty.
  static std::unique_ptr<PgBackend> Open(const std::string& location,
                                         const NewStore& create);
  ~PgBackend() override;

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
  std::string Placeholder(size_t n) const override;

  // The connection and what is cached with it; defined in the .cpp files.
  struct Impl;

 private:
  explicit PgBackend(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace zanvoro::host
