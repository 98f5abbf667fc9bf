// The recipients of an item. Owned by the item; a Recipient pointer stays
// valid until it is removed or the item goes. Changes are kept in memory
// until the item is saved.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/StoreBackend.h"
#include "host/store/StoreTypes.h"

namespace zanvoro::host {

class AddressBook;

class Recipient {
 public:
  Recipient(std::weak_ptr<AddressBook> book, std::string name,
            RecipientType type = RecipientType::To);

  const std::string& Name() const { return name_; }
  const std::string& Address() const { return address_; }
  RecipientType Type() const { return type_; }
  void SetType(RecipientType type) { type_ = type; }
  bool Resolved() const { return resolved_; }
  // Looks the name up in the address book; on success takes the entry's name
  // and address and returns true. An unresolved recipient keeps its name.
  bool Resolve();
  // The entry it resolved to; nullopt when unresolved.
  const std::optional<host::AddressEntry>& AddressEntry() const { return entry_; }

  // As stored.
  Recipient(std::weak_ptr<AddressBook> book, RecipientType type, std::string name,
            std::string address, bool resolved);

 private:
  std::weak_ptr<AddressBook> book_;
  std::string name_;
  std::string address_;
  RecipientType type_ = RecipientType::To;
  bool resolved_ = false;
  std::optional<host::AddressEntry> entry_;
};

class Recipients {
 public:
  explicit Recipients(std::weak_ptr<AddressBook> book) : book_(std::move(book)) {}

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // 1-based; raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  Recipient* Item(int32_t index);
  // Adds an unresolved recipient of type To; an address ("a@b") or a name.
  Recipient* Add(std::string_view name);
  void Remove(int32_t index);
  // Resolves every recipient; true when all resolved.
  bool ResolveAll();

  // For Item.
  bool Dirty() const;
  void Mark();
  using Row = RecipientRow;
  std::vector<Row> Rows() const;
  void Load(const std::vector<Row>& rows);  // as stored
  void Append(const Row& row);              // a change, kept as it is

 private:
  std::weak_ptr<AddressBook> book_;
  std::vector<std::unique_ptr<Recipient>> items_;
  std::vector<Row> stored_;
};

}  // namespace zanvoro::host
