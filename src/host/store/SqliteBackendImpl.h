// What a SqliteBackend keeps besides its connection, shared by the files
// that implement it (SqliteBackend.cpp, SqliteFolders.cpp, SqliteItems.cpp,
// SqliteQueryTarget.cpp), and the helpers more than one of them uses.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/store/SqliteBackend.h"
#include "host/store/SqliteConnection.h"

namespace zanvoro::host {

struct SqliteBackend::Impl : SqliteConnection {
  StoreInfo info;
  // Property name (lower case) to its id; cleared when a transaction that
  // may have added names rolls back.
  std::unordered_map<std::string, int64_t> name_ids;
  int64_t data_version = -1;
  std::string item_columns;  // "\"messageclass\", \"subject\", ..."
  std::string item_select;   // "i.id, i.entry_id, ... , i.<columns>"
  std::string insert_item;   // the item row's INSERT and UPDATE of a save
  std::string update_item;
  // User properties a condition compared, by name id: those whose indexes
  // this connection knows to exist, and those still to be made before the
  // next query runs.
  std::set<int64_t> searched;
  std::set<int64_t> to_index;

  void RolledBack() override { name_ids.clear(); }
};

// Records a change of the item `entry_id` in `folder_id` for the sessions
// watching the store.
void LogChange(SqliteBackend::Impl& impl, int64_t folder_id, std::string_view entry_id,
               ChangeKind kind);
// The id of user property `name` (letter case ignored); 0 when it has none
// and `create` is false.
int64_t NameId(SqliteBackend::Impl& impl, std::string_view name, bool create);
// Makes the indexes of the user properties that conditions compared since
// the last query (see SqliteItems.cpp).
void EnsureSearchIndexes(SqliteBackend::Impl& impl);
// The condition `where_sql` (its literals `params` bound from ?2 on) for a
// query over folder `folder_id`: each property search that the property's
// index would drive, but that lists many items for the folder's size,
// checks each item of the folder instead (see SqliteQueryTarget.cpp).
std::string ChooseSearchPaths(SqliteBackend::Impl& impl, int64_t folder_id,
                              const std::string& where_sql,
                              const std::vector<Variant>& params);

}  // namespace zanvoro::host
