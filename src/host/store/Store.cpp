#include "host/store/Store.h"

#include <chrono>
#include <map>

#include "host/db/SqlSession.h"
#include "host/os/EventLoop.h"
#include "host/store/AddressBook.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/PgBackend.h"
#include "host/store/SqliteBackend.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr std::chrono::milliseconds kPollInterval{100};

// The folders a new mailbox starts with.
std::vector<NewFolder> MailboxFolders() {
  return {
      {"Inbox", ItemType::Mail, static_cast<int32_t>(DefaultFolder::Inbox)},
      {"Outbox", ItemType::Mail, static_cast<int32_t>(DefaultFolder::Outbox)},
      {"Sent Items", ItemType::Mail, static_cast<int32_t>(DefaultFolder::SentMail)},
      {"Deleted Items", ItemType::Mail,
       static_cast<int32_t>(DefaultFolder::DeletedItems)},
      {"Drafts", ItemType::Mail, static_cast<int32_t>(DefaultFolder::Drafts)},
      {"Calendar", ItemType::Appointment, static_cast<int32_t>(DefaultFolder::Calendar)},
      {"Contacts", ItemType::Contact, static_cast<int32_t>(DefaultFolder::Contacts)},
      {"Tasks", ItemType::Task, static_cast<int32_t>(DefaultFolder::Tasks)},
  };
}

}  // namespace

std::shared_ptr<Store> Store::Open(const StoreSpec& location, const UserInfo& user,
                                   EventLoop* loop, std::weak_ptr<AddressBook> book) {
  NewStore create;
  create.display_name = location.display_name;
  create.kind = location.kind;
  create.owner_name = user.Name;
  create.owner_address = user.Address;
  if (location.kind == StoreKind::Mailbox) create.folders = MailboxFolders();
  std::unique_ptr<StoreBackend> backend;
  if (db::BackendOf(location.path) == db::SqlBackend::Postgresql) {
    backend = PgBackend::Open(location.path, create);
  } else {
    backend = SqliteBackend::Open(location.path, create);
  }
  return std::shared_ptr<Store>(
      new Store(std::move(backend), user, loop, std::move(book)));
}

Store::Store(std::unique_ptr<StoreBackend> backend, UserInfo user, EventLoop* loop,
             std::weak_ptr<AddressBook> book)
    : backend_(std::move(backend)),
      info_(backend_->Info()),
      user_(std::move(user)),
      loop_(loop),
      book_(std::move(book)) {}

Store::~Store() {
  if (loop_ && timer_ != 0) loop_->KillTimer(timer_);
}

std::shared_ptr<MAPIFolder> Store::FolderFromRow(FolderRow row) {
  return std::make_shared<MAPIFolder>(shared_from_this(), std::move(row));
}

std::shared_ptr<MAPIFolder> Store::GetRootFolder() {
  return FolderFromRow(backend_->RootFolder());
}

std::shared_ptr<MAPIFolder> Store::GetDefaultFolder(DefaultFolder which) {
  auto row = backend_->SpecialFolder(which);
  return row ? FolderFromRow(std::move(*row)) : nullptr;
}

std::shared_ptr<MAPIFolder> Store::GetFolderFromID(std::string_view entry_id) {
  auto row = backend_->FolderByEntryId(entry_id);
  return row ? FolderFromRow(std::move(*row)) : nullptr;
}

std::shared_ptr<Item> Store::GetItemFromID(std::string_view entry_id) {
  auto row = backend_->LoadItem(entry_id);
  if (!row) return nullptr;
  RequireRole(row->folder_id, Role::Reviewer, "the folder");
  return std::make_shared<Item>(shared_from_this(), std::move(*row), false);
}

bool Store::IsCurrentUser(std::string_view name_or_address) const {
  if (name_or_address.empty()) return false;
  return (!user_.Address.empty() && TextEquals(name_or_address, user_.Address)) ||
         (!user_.Name.empty() && TextEquals(name_or_address, user_.Name));
}

Role Store::RoleIn(int64_t folder_id) {
  if (!user_.Address.empty()) {
    if (auto role = backend_->Permission(folder_id, user_.Address)) return *role;
  }
  if (!user_.Name.empty()) {
    if (auto role = backend_->Permission(folder_id, user_.Name)) return *role;
  }
  if (IsCurrentUser(info_.owner_address) || IsCurrentUser(info_.owner_name))
    return Role::Owner;
  if (auto role = backend_->Permission(folder_id, "Default")) return *role;
  return Role::Editor;
}

void Store::RequireRole(int64_t folder_id, Role role, std::string_view what) {
  if (RoleIn(folder_id) < role) throw AccessDeniedError(std::string(what), "Store");
}

bool Store::MayEdit(int64_t folder_id, std::string_view creator) {
  Role role = RoleIn(folder_id);
  if (role >= Role::Editor) return true;
  return role == Role::Author && IsCurrentUser(creator);
}

void Store::Refresh() {
  if (backend_->ChangedElsewhere()) {
    ++generation_;
    changed_ = true;
  }
}

uint64_t Store::Generation() {
  Refresh();
  return generation_;
}

void Store::AfterLocalChange() {
  ++generation_;
  changed_ = true;
  if (loop_ && !listeners_.empty() && !poll_posted_) {
    poll_posted_ = true;
    std::weak_ptr<Store> weak = weak_from_this();
    loop_->Post([weak] {
      if (auto self = weak.lock()) {
        self->poll_posted_ = false;
        self->Poll();
      }
    });
  }
}

uint64_t Store::AddListener(int64_t folder_id, ItemAddHandler handler) {
  Refresh();
  if (listeners_.empty()) last_seq_ = backend_->LastChangeSeq();
  uint64_t id = next_listener_++;
  // Changes logged before now belong to no one who subscribes now.
  listeners_[id] = Listener{folder_id, backend_->LastChangeSeq(), std::move(handler)};
  if (loop_ && timer_ == 0) {
    std::weak_ptr<Store> weak = weak_from_this();
    timer_ = loop_->SetTimer(kPollInterval, [weak] {
      if (auto self = weak.lock()) self->Poll();
    });
  }
  return id;
}

void Store::RemoveListener(uint64_t id) {
  listeners_.erase(id);
  if (listeners_.empty() && loop_ && timer_ != 0) {
    loop_->KillTimer(timer_);
    timer_ = 0;
  }
}

void Store::Poll() {
  Refresh();
  if (!changed_ || listeners_.empty()) return;
  changed_ = false;
  for (;;) {
    std::vector<ChangeRow> changes;
    try {
      changes = backend_->ChangesAfter(last_seq_);
    } catch (...) {
      // Read again at the next tick: no announcement may come for what is
      // logged already.
      changed_ = true;
      throw;
    }
    if (changes.empty()) break;
    for (const ChangeRow& change : changes) {
      last_seq_ = change.seq;
      if (change.kind != ChangeKind::Added) continue;
      for (const auto& [id, listener] : listeners_) {
        if (listener.folder_id != change.folder_id || change.seq <= listener.since_seq)
          continue;
        if (!loop_) continue;
        std::weak_ptr<Store> weak = weak_from_this();
        uint64_t listener_id = id;
        std::string entry_id = change.entry_id;
        int64_t folder_id = change.folder_id;
        loop_->Post([weak, listener_id, entry_id, folder_id] {
          if (auto self = weak.lock()) self->Deliver(listener_id, entry_id, folder_id);
        });
      }
    }
  }
}

void Store::Deliver(uint64_t listener, std::string entry_id, int64_t folder_id) {
  auto it = listeners_.find(listener);
  if (it == listeners_.end()) return;
  auto row = backend_->LoadItem(entry_id);
  // Gone again, or moved on, before the event ran: nothing to tell.
  if (!row || row->folder_id != folder_id) return;
  auto item = std::make_shared<Item>(shared_from_this(), std::move(*row), false);
  ItemAddHandler handler = it->second.handler;
  handler(item);
}

// --- Subscription ----------------------------------------------------------

Subscription::Subscription(Subscription&& other) noexcept
    : store_(std::move(other.store_)), id_(other.id_) {
  other.id_ = 0;
}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    Cancel();
    store_ = std::move(other.store_);
    id_ = other.id_;
    other.id_ = 0;
  }
  return *this;
}

void Subscription::Cancel() {
  if (id_ == 0) return;
  if (auto store = store_.lock()) store->RemoveListener(id_);
  id_ = 0;
}

// --- AddressBook -----------------------------------------------------------

std::optional<AddressEntry> AddressBook::Resolve(std::string_view name) {
  std::string wanted = Trim(name);
  if (wanted.empty()) return std::nullopt;
  for (const auto& store : stores_) {
    if (store->Kind() != StoreKind::Mailbox) continue;
    if (TextEquals(store->OwnerName(), wanted) ||
        TextEquals(store->OwnerAddress(), wanted)) {
      AddressEntry e;
      e.Name = store->OwnerName();
      e.Address = store->OwnerAddress();
      return e;
    }
  }
  for (const auto& store : stores_) {
    StoreBackend& backend = store->Backend();
    // The folder tree is read in one query, not one per folder: every mail
    // that arrives resolves its sender here.
    std::map<int64_t, std::vector<const FolderRow*>> children;
    std::vector<FolderRow> folders = backend.AllFolders();
    for (const FolderRow& row : folders) children[row.parent_id].push_back(&row);
    // Every contacts folder of the store, breadth first.
    FolderRow root = backend.RootFolder();
    std::vector<const FolderRow*> pending = {&root};
    while (!pending.empty()) {
      const FolderRow& folder = *pending.back();
      pending.pop_back();
      if (auto found = children.find(folder.id); found != children.end())
        pending.insert(pending.end(), found->second.begin(), found->second.end());
      if (folder.default_item_type != ItemType::Contact) continue;
      ItemSelection selection;
      selection.folder_id = folder.id;
      const char* fields[] = {"FullName", "Email1Address", "Email1DisplayName"};
      size_t n = 2;
      for (const char* field : fields) {
        if (!selection.where_sql.empty()) selection.where_sql += " OR ";
        selection.where_sql +=
            backend.Comparison(backend.Resolve(field, ValueKind::Text), CompareOp::Equal,
                               backend.Placeholder(n++));
        selection.params.push_back(Variant(wanted));
      }
      std::vector<int64_t> ids = backend.SelectItemIds(selection, 0, 1);
      if (ids.empty()) continue;
      auto row = backend.LoadItemById(ids.front());
      if (!row) continue;
      auto text = [&](Prop p) { return CStr(row->standard[static_cast<size_t>(p)]); };
      AddressEntry e;
      e.Name = text(Prop::FullName);
      if (e.Name.empty()) e.Name = text(Prop::Email1DisplayName);
      e.Address = text(Prop::Email1Address);
      e.BusinessTelephoneNumber = text(Prop::BusinessTelephoneNumber);
      e.MobileTelephoneNumber = text(Prop::MobileTelephoneNumber);
      e.CompanyName = text(Prop::CompanyName);
      e.Department = text(Prop::Department);
      e.StreetAddress = text(Prop::BusinessAddress);
      e.OfficeLocation = text(Prop::OfficeLocation);
      return e;
    }
  }
  if (wanted.find('@') != std::string::npos && wanted.find(' ') == std::string::npos) {
    AddressEntry e;
    e.Name = wanted;
    e.Address = wanted;
    return e;
  }
  return std::nullopt;
}

}  // namespace zanvoro::host
