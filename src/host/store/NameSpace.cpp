#include "host/store/NameSpace.h"

#include "host/os/Profile.h"
#include "host/store/AddressBook.h"
#include "host/store/Item.h"
#include "host/store/Store.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

NameSpace::NameSpace(UserInfo user, EventLoop* loop, std::vector<StoreSpec> stores)
    : user_(std::move(user)), loop_(loop), book_(std::make_shared<AddressBook>()) {
  for (const StoreSpec& location : stores)
    book_->Stores().push_back(Store::Open(location, user_, loop_, book_));
}

NameSpace::~NameSpace() = default;

std::vector<std::shared_ptr<Store>> NameSpace::Stores() const { return book_->Stores(); }

std::shared_ptr<Store> NameSpace::AddStore(const std::string& path,
                                           const std::string& display_name,
                                           StoreKind kind) {
  auto store = Store::Open(StoreSpec{path, display_name, kind}, user_, loop_, book_);
  for (const auto& open : book_->Stores()) {
    // The same file twice would be one store seen through two connections.
    if (open->StoreID() == store->StoreID()) return open;
  }
  book_->Stores().push_back(store);
  return store;
}

void NameSpace::RemoveStore(std::string_view store_id) {
  auto& stores = book_->Stores();
  for (auto it = stores.begin(); it != stores.end(); ++it) {
    if ((*it)->StoreID() == store_id) {
      stores.erase(it);
      return;
    }
  }
  throw NotFoundError("store " + std::string(store_id), "NameSpace");
}

std::shared_ptr<MAPIFolder> NameSpace::GetFolderFromID(std::string_view entry_id,
                                                       std::string_view store_id) {
  for (const auto& store : book_->Stores()) {
    if (!store_id.empty() && !TextEquals(store->StoreID(), store_id)) continue;
    if (auto folder = store->GetFolderFromID(entry_id)) return folder;
  }
  throw NotFoundError("folder " + std::string(entry_id), "NameSpace");
}

std::shared_ptr<Item> NameSpace::GetItemFromID(std::string_view entry_id,
                                               std::string_view store_id) {
  for (const auto& store : book_->Stores()) {
    if (!store_id.empty() && !TextEquals(store->StoreID(), store_id)) continue;
    if (auto item = store->GetItemFromID(entry_id)) return item;
  }
  throw NotFoundError("item " + std::string(entry_id), "NameSpace");
}

std::shared_ptr<MAPIFolder> NameSpace::GetDefaultFolder(DefaultFolder which) {
  for (const auto& store : book_->Stores()) {
    if (store->Kind() != StoreKind::Mailbox) continue;
    if (!store->IsCurrentUser(store->OwnerAddress()) &&
        !store->IsCurrentUser(store->OwnerName()))
      continue;
    if (auto folder = store->GetDefaultFolder(which)) return folder;
  }
  throw NotFoundError("default folder " + std::to_string(static_cast<int32_t>(which)),
                      "NameSpace");
}

host::Folders NameSpace::Folders() {
  std::vector<std::shared_ptr<MAPIFolder>> roots;
  for (const auto& store : book_->Stores()) roots.push_back(store->GetRootFolder());
  return host::Folders(std::move(roots));
}

Recipient NameSpace::CreateRecipient(std::string_view name) {
  return Recipient(book_, std::string(name));
}

std::shared_ptr<MAPIFolder> NameSpace::GetSharedDefaultFolder(Recipient& recipient,
                                                              DefaultFolder which) {
  if (!recipient.Resolved()) recipient.Resolve();
  for (const auto& store : book_->Stores()) {
    if (store->Kind() != StoreKind::Mailbox) continue;
    bool matches = (!recipient.Address().empty() &&
                    TextEquals(store->OwnerAddress(), recipient.Address())) ||
                   TextEquals(store->OwnerName(), recipient.Name());
    if (!matches) continue;
    if (auto folder = store->GetDefaultFolder(which)) return folder;
  }
  throw NotFoundError("the mailbox of " + recipient.Name(), "NameSpace");
}

std::unique_ptr<NameSpace> OpenSession(const Profile& profile, EventLoop* loop) {
  std::vector<StoreSpec> specs;
  for (const StoreLocation& location : profile.stores) {
    specs.push_back(StoreSpec{
        location.path.string(), location.display_name,
        location.role == StoreRole::Mailbox ? StoreKind::Mailbox : StoreKind::Shared});
  }
  return std::make_unique<NameSpace>(UserInfo{profile.user_name, profile.smtp_address},
                                     loop, std::move(specs));
}

}  // namespace zanvoro::host
