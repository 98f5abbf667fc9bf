// What a PgBackend keeps besides its connection, shared by PgBackend.cpp and
// PgItems.cpp, and the helpers both use.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "host/store/PgBackend.h"
#include "host/store/PgConnection.h"

namespace zanvoro::host {

struct PgBackend::Impl : PgConnection {
  StoreInfo info;
  int backend_pid = 0;  // the server process of this connection
  // Property name (lower case) to its id; cleared when a transaction that
  // may have added names rolls back.
  std::unordered_map<std::string, int64_t> name_ids;
  std::string item_select;  // "i.id, i.entry_id, ... , i.<columns>"
  std::string insert_item;  // the item row's INSERT and UPDATE of a save
  std::string update_item;
  std::string item_columns;

  // Folder permissions asked during a batch, by folder id and the name
  // asked for. A batch holds the store's write lock, so nobody changes them
  // meanwhile; emptied when a batch begins or ends.
  std::map<std::pair<int64_t, std::string>, std::optional<Role>> permissions;

  void RolledBack() override {
    name_ids.clear();
    permissions.clear();
  }
};

// Records a change of the item `entry_id` in `folder_id` for the sessions
// watching the store (announced when the transaction commits).
void LogChange(PgBackend::Impl& impl, int64_t folder_id, std::string_view entry_id,
               ChangeKind kind);
// The id of user property `name` (letter case ignored); 0 when it has none
// and `create` is false.
int64_t NameId(PgBackend::Impl& impl, std::string_view name, bool create);

}  // namespace zanvoro::host
