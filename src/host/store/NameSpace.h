// The session: the current user, the stores of the profile and the address
// book. Owns its stores (folders and items taken from them keep them open).
// `loop` must outlive the NameSpace and everything taken from it; nullptr
// means no ItemAdd events. UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "host/store/StoreTypes.h"

namespace zanvoro::host {

class AddressBook;
class EventLoop;
class Item;
class Store;

class NameSpace {
 public:
  // Opens every store of `stores` (creating missing files). A store that
  // cannot be opened raises its Error and nothing stays open.
  NameSpace(UserInfo user, EventLoop* loop, std::vector<StoreSpec> stores);
  ~NameSpace();
  NameSpace(const NameSpace&) = delete;
  NameSpace& operator=(const NameSpace&) = delete;

  const UserInfo& CurrentUser() const { return user_; }
  std::vector<std::shared_ptr<Store>> Stores() const;
  std::shared_ptr<Store> AddStore(const std::string& path,
                                  const std::string& display_name,
                                  StoreKind kind = StoreKind::Shared);
  // Raises Error(err::kNotFound) for a store that is not open.
  void RemoveStore(std::string_view store_id);

  // By entry ID, in the given store or (store ID empty) in every open store.
  // Raises Error(err::kNotFound) when there is none.
  std::shared_ptr<MAPIFolder> GetFolderFromID(std::string_view entry_id,
                                              std::string_view store_id = {});
  std::shared_ptr<Item> GetItemFromID(std::string_view entry_id,
                                      std::string_view store_id = {});
  // A default folder of the current user's mailbox store (the first mailbox
  // store they own). Raises Error(err::kNotFound) when there is none.
  std::shared_ptr<MAPIFolder> GetDefaultFolder(DefaultFolder which);
  // Each open store's root folder.
  host::Folders Folders();

  // An unresolved recipient for `name`; Resolve() it against the address book.
  Recipient CreateRecipient(std::string_view name);
  // A default folder of another user's mailbox store opened in this session
  // (the store whose owner has the recipient's address or name). Raises
  // Error(err::kNotFound) when no such store is open.
  std::shared_ptr<MAPIFolder> GetSharedDefaultFolder(Recipient& recipient,
                                                     DefaultFolder which);

 private:
  UserInfo user_;
  EventLoop* loop_ = nullptr;
  std::shared_ptr<AddressBook> book_;
};

struct Profile;

// The session of the profile's user over the profile's stores (mailbox
// stores as mailboxes, the others shared). Raises the stores' errors.
std::unique_ptr<NameSpace> OpenSession(const Profile& profile, EventLoop* loop);

}  // namespace zanvoro::host
