// The items of a folder, or a filtered view of them (Restrict). Handed out
// as shared_ptr; keeps the store open. Indexes are 1-based over the view's
// order (creation order unless sorted). The view is live: it follows
// changes made here and in other sessions. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/Store.h"
#include "host/store/StoreBackend.h"

namespace zanvoro::host {

class Item;
class MAPIFolder;

enum class SortOrder { Ascending, Descending };

class Items {
 public:
  Items(std::shared_ptr<MAPIFolder> folder, ItemSelection selection);

  int32_t Count();
  // Raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  std::shared_ptr<host::Item> Item(int32_t index);
  // A new, unsaved item of this folder (needs Author). An empty class takes
  // the folder's default ("IPM.Note", "IPM.Post", ...).
  std::shared_ptr<host::Item> Add(std::string_view message_class = {});

  // The first item (in creation order) matching the filter
  // ("[Case.CaseNumber] = '42'" or "@SQL=..."), or nullptr. FindNext goes on
  // from the last one found. Bad syntax raises Error(err::kInvalidProcedureCall).
  std::shared_ptr<host::Item> Find(std::string_view filter);
  std::shared_ptr<host::Item> FindNext();
  // A view of the items of this view that also match the filter.
  std::shared_ptr<Items> Restrict(std::string_view filter);
  // Orders the view by a property (standard or user).
  void Sort(std::string_view property, SortOrder order = SortOrder::Ascending);

  // ItemAdd: `handler` runs on the event loop for each item saved, moved or
  // copied into the folder from now on, by this session or another one.
  // Never run re-entrantly. Ends when the Subscription goes.
  Subscription Subscribe(ItemAddHandler handler);

  std::shared_ptr<MAPIFolder> Parent() const { return folder_; }

 private:
  ItemSelection Narrowed(std::string_view filter) const;
  const std::vector<int64_t>& Ids();
  std::shared_ptr<host::Item> Load(int64_t id);

  std::shared_ptr<MAPIFolder> folder_;
  std::shared_ptr<Store> store_;
  ItemSelection selection_;
  ItemSelection find_;  // the selection of the last Find
  int64_t found_ = 0;   // id of the last item found; 0 when none
  std::vector<int64_t> ids_;
  uint64_t ids_generation_ = 0;
  bool ids_valid_ = false;
};

}  // namespace zanvoro::host
