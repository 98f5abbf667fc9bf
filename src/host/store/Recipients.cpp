#include "host/store/Recipients.h"

#include "host/store/AddressBook.h"
#include "runtime/Error.h"

namespace zanvoro::host {

Recipient::Recipient(std::weak_ptr<AddressBook> book, std::string name,
                     RecipientType type)
    : book_(std::move(book)), name_(std::move(name)), type_(type) {}

Recipient::Recipient(std::weak_ptr<AddressBook> book, RecipientType type,
                     std::string name, std::string address, bool resolved)
    : book_(std::move(book)),
      name_(std::move(name)),
      address_(std::move(address)),
      type_(type),
      resolved_(resolved) {
  if (resolved_) entry_ = host::AddressEntry{name_, address_};
}

bool Recipient::Resolve() {
  auto book = book_.lock();
  if (!book) return resolved_;
  std::optional<host::AddressEntry> entry = book->Resolve(name_);
  if (!entry && !address_.empty()) entry = book->Resolve(address_);
  if (!entry) return false;
  name_ = entry->Name;
  address_ = entry->Address;
  entry_ = std::move(entry);
  resolved_ = true;
  return true;
}

Recipient* Recipients::Item(int32_t index) {
  if (index < 1 || index > Count())
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds.", "Recipients");
  return items_[static_cast<size_t>(index - 1)].get();
}

Recipient* Recipients::Add(std::string_view name) {
  items_.push_back(std::make_unique<Recipient>(book_, std::string(name)));
  return items_.back().get();
}

void Recipients::Remove(int32_t index) {
  Item(index);
  items_.erase(items_.begin() + (index - 1));
}

bool Recipients::ResolveAll() {
  bool all = true;
  for (auto& r : items_) all = r->Resolve() && all;
  return all;
}

std::vector<Recipients::Row> Recipients::Rows() const {
  std::vector<Row> rows;
  rows.reserve(items_.size());
  for (const auto& r : items_)
    rows.push_back(Row{r->Type(), r->Name(), r->Address(), r->Resolved()});
  return rows;
}

bool Recipients::Dirty() const { return Rows() != stored_; }

void Recipients::Mark() { stored_ = Rows(); }

void Recipients::Load(const std::vector<Row>& rows) {
  items_.clear();
  for (const Row& row : rows) Append(row);
  stored_ = rows;
}

void Recipients::Append(const Row& row) {
  items_.push_back(
      std::make_unique<Recipient>(book_, row.type, row.name, row.address, row.resolved));
}

}  // namespace zanvoro::host
