// One open store: a store file (or, later, a server database) holding a tree
// of folders. Created by NameSpace; shared by every folder and item taken
// from it, so those stay usable after the NameSpace drops the store (the file
// closes when the last of them goes). The EventLoop given to the NameSpace
// must outlive the store. UI thread only.
//
// Permissions: the store's owner (who created it) is Owner of every folder
// unless a folder says otherwise; anyone else gets the folder's entry for
// their address or name, else its "Default" entry, else Editor.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/store/StoreBackend.h"
#include "host/store/StoreTypes.h"

namespace zanvoro::host {

class AddressBook;
class EventLoop;
class Item;
class MAPIFolder;

using ItemAddHandler = std::function<void(const std::shared_ptr<Item>&)>;

class Store : public std::enable_shared_from_this<Store> {
 public:
  // Opens the store file of `location`, creating it when missing: a mailbox gets
  // the default folders and `user` as owner. Raises the backend's errors.
  static std::shared_ptr<Store> Open(const StoreSpec& location, const UserInfo& user,
                                     EventLoop* loop, std::weak_ptr<AddressBook> book);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  const std::string& StoreID() const { return info_.store_id; }
  const std::string& DisplayName() const { return info_.display_name; }
  const std::string& FilePath() const { return backend_->Location(); }
  StoreKind Kind() const { return info_.kind; }
  const std::string& OwnerName() const { return info_.owner_name; }
  const std::string& OwnerAddress() const { return info_.owner_address; }

  std::shared_ptr<MAPIFolder> GetRootFolder();
  // The default folder of that kind; nullptr when the store has none.
  std::shared_ptr<MAPIFolder> GetDefaultFolder(DefaultFolder which);
  // nullptr when this store holds no such folder or item.
  std::shared_ptr<MAPIFolder> GetFolderFromID(std::string_view entry_id);
  std::shared_ptr<Item> GetItemFromID(std::string_view entry_id);
  // The time now by the store's clock (StoreBackend::CurrentTime).
  Date CurrentTime() { return backend_->CurrentTime(); }
  // Whether an item was saved with `key` among its delivery records
  // (Item::SaveAsDelivered).
  bool WasDelivered(std::string_view key) { return backend_->WasDelivered(key); }

  // For the store's own classes.
  StoreBackend& Backend() { return *backend_; }
  const UserInfo& CurrentUser() const { return user_; }
  std::shared_ptr<AddressBook> Book() const { return book_.lock(); }
  Role RoleIn(int64_t folder_id);
  // Raises Error(err::kAccessDenied) naming `what` unless the current user
  // holds at least `role` in the folder.
  void RequireRole(int64_t folder_id, Role role, std::string_view what);
  // Whether the current user may change or delete an item made by `creator`.
  bool MayEdit(int64_t folder_id, std::string_view creator);
  bool IsCurrentUser(std::string_view name_or_address) const;
  std::shared_ptr<MAPIFolder> FolderFromRow(FolderRow row);

  // Grows whenever the store changed (here or in another session); cached
  // views compare it.
  uint64_t Generation();
  // Call after every write: views refresh and ItemAdd listeners are told.
  void AfterLocalChange();

  // ItemAdd: `handler` runs as a task of the event loop for every item that
  // arrives in the folder after this call. Returns an id for RemoveListener.
  uint64_t AddListener(int64_t folder_id, ItemAddHandler handler);
  void RemoveListener(uint64_t id);
  // Reads the change log now and queues the events found (the timer does
  // this every 100 ms when another session wrote).
  void Poll();

 private:
  Store(std::unique_ptr<StoreBackend> backend, UserInfo user, EventLoop* loop,
        std::weak_ptr<AddressBook> book);
  void Refresh();
  void Deliver(uint64_t listener, std::string entry_id, int64_t folder_id);

  struct Listener {
    int64_t folder_id = 0;
    int64_t since_seq = 0;
    ItemAddHandler handler;
  };

  std::unique_ptr<StoreBackend> backend_;
  StoreInfo info_;
  UserInfo user_;
  EventLoop* loop_ = nullptr;
  std::weak_ptr<AddressBook> book_;
  uint64_t generation_ = 0;
  bool changed_ = false;  // the change log may hold something new
  bool poll_posted_ = false;
  int64_t last_seq_ = 0;
  uint64_t timer_ = 0;
  uint64_t next_listener_ = 1;
  std::map<uint64_t, Listener> listeners_;
};

// Ends an ItemAdd subscription when it goes out of scope (or on Cancel).
class Subscription {
 public:
  Subscription() = default;
  Subscription(std::weak_ptr<Store> store, uint64_t id)
      : store_(std::move(store)), id_(id) {}
  ~Subscription() { Cancel(); }
  Subscription(Subscription&& other) noexcept;
  Subscription& operator=(Subscription&& other) noexcept;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;

  void Cancel();
  bool Active() const { return id_ != 0; }

 private:
  std::weak_ptr<Store> store_;
  uint64_t id_ = 0;
};

}  // namespace zanvoro::host
