// The session's address book and list of open stores. The contacts folders
// of the open stores are its address lists, and each mailbox store's owner is
// an entry too. Owned by NameSpace; stores and recipients hold it weakly.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "host/store/StoreTypes.h"

namespace zanvoro::host {

class Store;

class AddressBook {
 public:
  std::vector<std::shared_ptr<Store>>& Stores() { return stores_; }

  // The entry whose name, address or display name is `name` (any case): a
  // store owner first, then a contact of a contacts folder (searched in the
  // open stores, in order). A bare SMTP address that matches nothing
  // resolves to itself. nullopt when nothing matches.
  std::optional<AddressEntry> Resolve(std::string_view name);

 private:
  std::vector<std::shared_ptr<Store>> stores_;
};

}  // namespace zanvoro::host
