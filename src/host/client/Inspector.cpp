#include "host/client/Inspector.h"

#include <algorithm>

#include "host/store/Item.h"
#include "host/store/Recipients.h"
#include "host/ui/Form.h"
#include "host/ui/Label.h"
#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

std::string RecipientList(Item& item) {
  std::string list;
  Recipients& recipients = item.Recipients();
  for (int32_t i = 1; i <= recipients.Count(); ++i) {
    Recipient* recipient = recipients.Item(i);
    if (!list.empty()) list += "; ";
    list += recipient->Address().empty() ? recipient->Name() : recipient->Address();
  }
  return list;
}

}  // namespace

Inspector::Inspector(Inspectors& owner, std::shared_ptr<Item> item)
    : owner_(owner), item_(std::move(item)) {
  window_ = std::make_unique<Form>("Inspector");
  window_->Add<Label>("lblMessageClass");
  window_->Add<Label>("lblTo");
  window_->Add<Label>("lblSubject");
  window_->Add<Label>("lblBody");
}

Inspector::~Inspector() = default;

void Inspector::Display() {
  if (closed_) {
    throw Error(err::kObjectDeleted, "The inspector was closed", "Inspector");
  }
  // The window shows the item as it is now.
  window_->SetCaption(item_->Subject());
  window_->Get<Label>("lblMessageClass").SetCaption(item_->MessageClass());
  window_->Get<Label>("lblTo").SetCaption(RecipientList(*item_));
  window_->Get<Label>("lblSubject").SetCaption(item_->Subject());
  window_->Get<Label>("lblBody").SetCaption(item_->Body());
  if (window_->Visible()) {
    window_->Refresh();
  } else {
    window_->Show(ShowMode::Modeless);
  }
}

bool Inspector::Displayed() const { return window_->Visible(); }

void Inspector::Close(SaveMode mode) {
  if (closed_) return;
  closed_ = true;
  // Leaving the collection may drop the last reference to this inspector.
  std::shared_ptr<Inspector> keep;
  for (const auto& open : owner_.open_) {
    if (open.get() == this) keep = open;
  }
  window_->Unload();
  owner_.Closed(*this);
  item_->Close(mode);
}

Inspectors::Inspectors() = default;

Inspectors::~Inspectors() = default;

std::shared_ptr<Inspector> Inspectors::Item(int32_t index) const {
  if (index < 1 || index > Count()) {
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds", "Inspectors");
  }
  return open_[static_cast<size_t>(index - 1)];
}

std::shared_ptr<Inspector> Inspectors::Add(std::shared_ptr<host::Item> item) {
  if (!item) throw Error(err::kObjectRequired, "Object required: an item", "Inspectors");
  auto inspector = std::make_shared<Inspector>(*this, std::move(item));
  open_.push_back(inspector);
  return inspector;
}

std::shared_ptr<Inspector> Inspectors::Active() const {
  return open_.empty() ? nullptr : open_.back();
}

void Inspectors::CloseAll() {
  while (!open_.empty()) {
    auto last = open_.back();
    last->Close(SaveMode::Discard);
  }
}

void Inspectors::Closed(Inspector& inspector) {
  std::erase_if(open_, [&](const auto& open) { return open.get() == &inspector; });
}

}  // namespace zanvoro::host
