#include "host/store/Items.h"

#include "host/store/Filter.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "runtime/Date.h"
#include "runtime/Error.h"

namespace zanvoro::host {

Items::Items(std::shared_ptr<MAPIFolder> folder, ItemSelection selection)
    : folder_(std::move(folder)),
      store_(folder_->GetStore()),
      selection_(std::move(selection)) {}

const std::vector<int64_t>& Items::Ids() {
  uint64_t generation = store_->Generation();
  if (!ids_valid_ || generation != ids_generation_) {
    ids_ = store_->Backend().SelectItemIds(selection_);
    ids_generation_ = generation;
    ids_valid_ = true;
  }
  return ids_;
}

std::shared_ptr<Item> Items::Load(int64_t id) {
  auto row = store_->Backend().LoadItemById(id);
  if (!row) return nullptr;
  return std::make_shared<host::Item>(store_, std::move(*row), false);
}

int32_t Items::Count() {
  store_->RequireRole(folder_->Id(), Role::Reviewer,
                      "the folder '" + folder_->Name() + "'");
  return static_cast<int32_t>(Ids().size());
}

std::shared_ptr<Item> Items::Item(int32_t index) {
  store_->RequireRole(folder_->Id(), Role::Reviewer,
                      "the folder '" + folder_->Name() + "'");
  const auto& ids = Ids();
  if (index < 1 || static_cast<size_t>(index) > ids.size())
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds.", "Items");
  auto item = Load(ids[static_cast<size_t>(index - 1)]);
  if (!item) throw ObjectDeletedError("Items");
  return item;
}

std::shared_ptr<Item> Items::Add(std::string_view message_class) {
  store_->RequireRole(folder_->Id(), Role::Author,
                      "the folder '" + folder_->Name() + "'");
  ItemRow row;
  row.folder_id = folder_->Id();
  row.creator = store_->CurrentUser().Address.empty() ? store_->CurrentUser().Name
                                                      : store_->CurrentUser().Address;
  row.standard.reserve(kPropCount);
  for (const StandardProperty& p : StandardProperties())
    row.standard.push_back(DefaultValue(p.prop));
  row.standard[static_cast<size_t>(Prop::MessageClass)] = Variant(
      message_class.empty() ? std::string(DefaultMessageClass(folder_->DefaultItemType()))
                            : std::string(message_class));
  row.standard[static_cast<size_t>(Prop::CreationTime)] = Variant(Now());
  return std::make_shared<host::Item>(store_, std::move(row), true);
}

ItemSelection Items::Narrowed(std::string_view filter) const {
  ItemSelection narrowed = selection_;
  StoreBackend& backend = store_->Backend();
  SqlCondition condition = CompileFilter(filter, backend, narrowed.params.size() + 2);
  narrowed.where_sql = narrowed.where_sql.empty()
                           ? condition.sql
                           : "(" + narrowed.where_sql + ") AND (" + condition.sql + ")";
  for (Variant& v : condition.params) narrowed.params.push_back(std::move(v));
  return narrowed;
}

std::shared_ptr<Item> Items::Find(std::string_view filter) {
  store_->RequireRole(folder_->Id(), Role::Reviewer,
                      "the folder '" + folder_->Name() + "'");
  find_ = Narrowed(filter);
  // Find walks in creation order whatever the view's sort.
  find_.order_sql.clear();
  found_ = 0;
  return FindNext();
}

std::shared_ptr<Item> Items::FindNext() {
  if (find_.folder_id == 0) return nullptr;
  for (;;) {
    std::vector<int64_t> ids = store_->Backend().SelectItemIds(find_, found_, 1);
    if (ids.empty()) {
      found_ = 0;
      find_ = ItemSelection{};
      return nullptr;
    }
    found_ = ids.front();
    if (auto item = Load(found_)) return item;
  }
}

std::shared_ptr<Items> Items::Restrict(std::string_view filter) {
  store_->RequireRole(folder_->Id(), Role::Reviewer,
                      "the folder '" + folder_->Name() + "'");
  return std::make_shared<Items>(folder_, Narrowed(filter));
}

void Items::Sort(std::string_view property, SortOrder order) {
  ResolvedColumn column = store_->Backend().Resolve(property, ValueKind::Text);
  selection_.order_sql = column.sql + (order == SortOrder::Descending ? " DESC" : "");
  ids_valid_ = false;
}

Subscription Items::Subscribe(ItemAddHandler handler) {
  uint64_t id = store_->AddListener(folder_->Id(), std::move(handler));
  return Subscription(store_, id);
}

}  // namespace zanvoro::host
