#include "host/store/Item.h"

#include "host/store/AddressBook.h"
#include "host/store/Attachments.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "host/store/Store.h"
#include "host/store/UserProperties.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "Item";

std::vector<PropertyRow> ToRows(const std::vector<const UserProperty*>& properties) {
  std::vector<PropertyRow> rows;
  rows.reserve(properties.size());
  for (const UserProperty* p : properties)
    rows.push_back(PropertyRow{p->Name(), p->Type(), p->Value()});
  return rows;
}

}  // namespace

Item::Item(std::shared_ptr<Store> store, ItemRow row, bool is_new)
    : store_(std::move(store)), row_(std::move(row)), is_new_(is_new) {
  if (row_.standard.size() != kPropCount) row_.standard.resize(kPropCount);
  if (is_new_) {
    // Nothing stored to load: the parts start empty.
    properties_ = std::make_unique<host::UserProperties>();
    recipients_ = std::make_unique<host::Recipients>(store_->Book());
    attachments_ = std::make_unique<host::Attachments>();
    parts_loaded_ = true;
  }
}

Item::~Item() = default;

Variant Item::Get(Prop prop) const { return row_.standard[static_cast<size_t>(prop)]; }

void Item::Set(Prop prop, const Variant& value) {
  Variant converted = ConvertForProperty(prop, value);
  Variant& slot = row_.standard[static_cast<size_t>(prop)];
  if (slot == converted) return;
  slot = std::move(converted);
  standard_dirty_ = true;
}

std::string Item::TextOf(Prop p) const {
  const Variant& v = row_.standard[static_cast<size_t>(p)];
  return v.IsText() ? v.Text() : CStr(v);
}

int32_t Item::LongOf(Prop p) const { return CLng(row_.standard[static_cast<size_t>(p)]); }

Date Item::DateOf(Prop p) const { return CDate(row_.standard[static_cast<size_t>(p)]); }

bool Item::BoolOf(Prop p) const { return CBool(row_.standard[static_cast<size_t>(p)]); }

void Item::SetSaveSentMessageFolder(const MAPIFolder& folder) {
  Set(Prop::SaveSentMessageFolder, Variant(folder.EntryID()));
}

void Item::RequireStored() const {
  if (deleted_) throw ObjectDeletedError(kSource);
}

void Item::LoadParts() {
  if (parts_loaded_) return;
  RequireStored();
  StoreBackend& backend = store_->Backend();
  // The parts of an item deleted meanwhile cannot be read.
  if (!backend.LoadItemById(row_.id)) throw ObjectDeletedError(kSource);
  auto properties = std::make_unique<host::UserProperties>();
  std::vector<std::unique_ptr<UserProperty>> loaded;
  for (PropertyRow& p : backend.LoadProperties(row_.id))
    loaded.push_back(
        std::make_unique<UserProperty>(std::move(p.name), p.type, std::move(p.value)));
  properties->Load(std::move(loaded));
  auto recipients = std::make_unique<host::Recipients>(store_->Book());
  recipients->Load(backend.LoadRecipients(row_.id));
  auto attachments = std::make_unique<host::Attachments>();
  attachments->Load(backend.LoadAttachments(row_.id));
  properties_ = std::move(properties);
  recipients_ = std::move(recipients);
  attachments_ = std::move(attachments);
  parts_loaded_ = true;
}

host::UserProperties& Item::UserProperties() {
  LoadParts();
  return *properties_;
}

host::Recipients& Item::Recipients() {
  LoadParts();
  return *recipients_;
}

host::Attachments& Item::Attachments() {
  LoadParts();
  return *attachments_;
}

std::shared_ptr<MAPIFolder> Item::Parent() {
  auto row = store_->Backend().FolderById(row_.folder_id);
  if (!row) throw ObjectDeletedError(kSource);
  return store_->FolderFromRow(std::move(*row));
}

bool Item::Saved() const {
  if (is_new_ || standard_dirty_) return false;
  if (!parts_loaded_) return true;
  return !properties_->Dirty() && !recipients_->Dirty() && !attachments_->Dirty();
}

void Item::RequireEdit(std::string_view what) {
  RequireStored();
  if (!store_->MayEdit(row_.folder_id, row_.creator))
    throw AccessDeniedError(std::string(what), kSource);
}

void Item::Save() { SaveWith({}); }

bool Item::SaveAsDelivered(const std::vector<std::string>& keys) {
  try {
    SaveWith(keys);
  } catch (const Error& error) {
    if (error.Number() == err::kKeyAlreadyAssociated) return false;
    throw;
  }
  return true;
}

void Item::Send() {
  RequireStored();
  if (Recipients().Count() == 0)
    throw Error(err::kCallFailed, "The mail has no recipients to send it to.", kSource);
  auto outbox = store_->GetDefaultFolder(DefaultFolder::Outbox);
  if (!outbox) {
    throw Error(err::kCallFailed,
                "The store '" + store_->DisplayName() + "' has no Outbox to send from.",
                kSource);
  }
  host::UserProperties& properties = UserProperties();
  for (int32_t i = properties.Count(); i >= 1; --i) {
    if (StartsWithText(properties.Item(i)->Name(), "Transport.")) properties.Remove(i);
  }
  properties.Add(kSubmittedProperty, UserPropertyType::DateTime)
      ->SetValue(Variant(Now()));
  Save();
  Move(outbox);
}

void Item::SaveWith(std::vector<std::string> delivered) {
  RequireStored();
  if (is_new_) {
    store_->RequireRole(row_.folder_id, Role::Author, "the folder");
  } else {
    RequireEdit("this item");
  }
  ItemRow row = row_;
  Date now = Now();
  row.standard[static_cast<size_t>(Prop::LastModificationTime)] = Variant(now);
  if (is_new_ && CDate(row.standard[static_cast<size_t>(Prop::ReceivedTime)]).IsNoDate())
    row.standard[static_cast<size_t>(Prop::ReceivedTime)] = Variant(now);
  ItemWrite write;
  write.delivered = std::move(delivered);
  UserProperties::Changes changes;
  if (parts_loaded_) {
    changes = properties_->Diff();
    write.set_properties = ToRows(changes.set);
    write.removed_properties = changes.removed;
    write.folder_fields = ToRows(changes.folder_fields);
    if (recipients_->Dirty()) write.recipients = recipients_->Rows();
    if (attachments_->Dirty()) write.attachments = attachments_->Rows();
  }
  int64_t size =
      static_cast<int64_t>(TextOf(Prop::Body).size() + TextOf(Prop::HTMLBody).size() +
                           TextOf(Prop::Subject).size());
  if (parts_loaded_) {
    size += attachments_->TotalSize();
    for (int32_t i = 1; i <= properties_->Count(); ++i) {
      const UserProperty* p = properties_->Item(i);
      size += static_cast<int64_t>(p->Name().size());
      const Variant& v = p->Value();
      size += v.IsText() ? static_cast<int64_t>(v.Text().size()) : 8;
    }
  } else {
    size = std::max<int64_t>(size, LongOf(Prop::Size));
  }
  row.standard[static_cast<size_t>(Prop::Size)] =
      Variant(static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX)));
  store_->Backend().SaveItem(row, write);
  row_ = std::move(row);
  is_new_ = false;
  standard_dirty_ = false;
  if (parts_loaded_) {
    properties_->Mark();
    recipients_->Mark();
    attachments_->Mark();
  }
  store_->AfterLocalChange();
}

void Item::Reload() {
  auto row = store_->Backend().LoadItemById(row_.id);
  if (!row) {
    deleted_ = true;
    return;
  }
  row_ = std::move(*row);
  standard_dirty_ = false;
  parts_loaded_ = false;
  properties_.reset();
  recipients_.reset();
  attachments_.reset();
}

void Item::Close(SaveMode mode) {
  if (mode == SaveMode::Save) {
    Save();
    return;
  }
  // A new item was never stored: there is nothing to go back to.
  if (is_new_ || deleted_) return;
  Reload();
}

std::shared_ptr<Item> Item::Move(const std::shared_ptr<MAPIFolder>& folder) {
  if (!folder)
    throw Error(err::kObjectRequired, "Object required: the target folder.", kSource);
  RequireStored();
  std::shared_ptr<Store> target_store = folder->GetStore();
  target_store->RequireRole(folder->Id(), Role::Author,
                            "the folder '" + folder->Name() + "'");
  if (is_new_) {
    store_ = target_store;
    row_.folder_id = folder->Id();
    Save();
    return shared_from_this();
  }
  RequireEdit("this item");
  if (!Saved()) Save();
  if (target_store == store_) {
    if (folder->Id() == row_.folder_id) return shared_from_this();
    store_->Backend().MoveItem(row_, folder->Id());
    store_->AfterLocalChange();
    return shared_from_this();
  }
  // Between stores: a copy there, then the original goes here. A crash in
  // between leaves the item in both stores, never in neither; the copy
  // carries a record naming the original, so the next move of the original
  // only deletes it and hands back the copy.
  const std::string key = "moved:" + store_->StoreID() + ":" + row_.entry_id;
  std::string copied = target_store->Backend().DeliveredEntryID(key);
  if (!copied.empty()) {
    if (std::shared_ptr<Item> existing = target_store->GetItemFromID(copied)) {
      store_->Backend().DeleteItem(row_);
      deleted_ = true;
      store_->AfterLocalChange();
      return existing->Move(folder);
    }
    // The copy was removed since: copy again.
    target_store->Backend().ForgetDelivered(key);
  }
  LoadParts();
  ItemRow copy;
  copy.folder_id = folder->Id();
  copy.creator = row_.creator;
  copy.standard = row_.standard;
  auto moved = std::make_shared<Item>(target_store, std::move(copy), true);
  for (int32_t i = 1; i <= properties_->Count(); ++i) {
    const UserProperty* p = properties_->Item(i);
    moved->UserProperties().Add(p->Name(), p->Type())->SetValue(p->Value());
  }
  for (const auto& r : recipients_->Rows()) moved->Recipients().Append(r);
  for (Attachment::Row& a : attachments_->Rows()) {
    Attachment* added = moved->Attachments().AddBytes(a.file_name, a.data, a.mime_type);
    added->SetDisplayName(a.display_name);
    added->SetContentId(a.content_id);
  }
  moved->SaveWith({key});
  store_->Backend().DeleteItem(row_);
  deleted_ = true;
  store_->AfterLocalChange();
  return moved;
}

std::shared_ptr<Item> Item::Copy() {
  RequireStored();
  store_->RequireRole(row_.folder_id, Role::Author, "the folder");
  if (!Saved()) Save();
  ItemRow copy = store_->Backend().CopyItem(row_.id, row_.folder_id);
  store_->AfterLocalChange();
  return std::make_shared<Item>(store_, std::move(copy), false);
}

void Item::Delete() {
  RequireStored();
  if (is_new_) {
    deleted_ = true;
    return;
  }
  RequireEdit("this item");
  if (store_->Kind() == StoreKind::Mailbox) {
    auto deleted_items = store_->GetDefaultFolder(DefaultFolder::DeletedItems);
    if (deleted_items && deleted_items->Id() != row_.folder_id) {
      store_->Backend().MoveItem(row_, deleted_items->Id());
      store_->AfterLocalChange();
      return;
    }
  }
  store_->Backend().DeleteItem(row_);
  deleted_ = true;
  store_->AfterLocalChange();
}

}  // namespace zanvoro::host
