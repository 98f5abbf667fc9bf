#include "host/client/Explorer.h"

#include <algorithm>

#include "host/store/MAPIFolder.h"
#include "host/ui/Form.h"
#include "host/ui/Label.h"
#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "Explorer";

void RequireFolder(const std::shared_ptr<MAPIFolder>& folder) {
  if (!folder) throw Error(err::kObjectRequired, "Object required: a folder", kSource);
}

}  // namespace

Explorer::Explorer(Explorers& owner, std::shared_ptr<MAPIFolder> folder,
                   FolderDisplayMode mode)
    : owner_(owner), folder_(std::move(folder)), mode_(mode) {
  window_ = std::make_unique<Form>("Explorer");
  window_->Add<Label>("lblFolder");
  Refresh();
}

Explorer::~Explorer() = default;

std::string Explorer::Caption() const { return folder_->Name(); }

void Explorer::SelectFolder(std::shared_ptr<MAPIFolder> folder) {
  RequireFolder(folder);
  bool changed =
      folder->EntryID() != folder_->EntryID() || folder->StoreID() != folder_->StoreID();
  folder_ = std::move(folder);
  Refresh();
  if (!changed) return;
  // A handler may close the explorer; keep it alive until they all ran.
  auto self = shared_from_this();
  on_folder_switch_.Fire();
}

void Explorer::Display() {
  if (closed_) throw Error(err::kObjectDeleted, "The explorer was closed", kSource);
  if (!window_->Visible()) window_->Show(ShowMode::Modeless);
  owner_.Activated(*this);
  auto self = shared_from_this();
  on_activate_.Fire();
}

void Explorer::Activate() { Display(); }

bool Explorer::Displayed() const { return window_->Visible(); }

void Explorer::Close() {
  if (closed_) return;
  closed_ = true;
  auto self = shared_from_this();
  window_->Unload();
  owner_.Closed(*this);
  on_close_.Fire();
}

EventConnection Explorer::OnFolderSwitch(FolderSwitchHandler handler) {
  return on_folder_switch_.Connect(std::move(handler));
}

EventConnection Explorer::OnClose(CloseHandler handler) {
  return on_close_.Connect(std::move(handler));
}

EventConnection Explorer::OnActivate(ActivateHandler handler) {
  return on_activate_.Connect(std::move(handler));
}

void Explorer::Refresh() {
  window_->SetCaption(folder_->Name());
  window_->Get<Label>("lblFolder").SetCaption(folder_->FolderPath());
  if (window_->Visible()) window_->Refresh();
}

Explorers::Explorers() = default;

Explorers::~Explorers() = default;

std::shared_ptr<Explorer> Explorers::Item(int32_t index) const {
  if (index < 1 || index > Count()) {
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds", "Explorers");
  }
  return open_[static_cast<size_t>(index - 1)];
}

std::shared_ptr<Explorer> Explorers::Add(std::shared_ptr<MAPIFolder> folder,
                                         FolderDisplayMode mode) {
  RequireFolder(folder);
  auto explorer = std::make_shared<Explorer>(*this, std::move(folder), mode);
  open_.push_back(explorer);
  on_new_explorer_.Fire(explorer);
  return explorer;
}

std::shared_ptr<Explorer> Explorers::Active() const {
  auto active = active_.lock();
  if (active && !active->Closed() && active->Displayed()) return active;
  // The active one went away: the client falls back to another displayed one.
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if ((*it)->Displayed()) return *it;
  }
  return nullptr;
}

void Explorers::CloseAll() {
  while (!open_.empty()) {
    auto last = open_.back();
    last->Close();
  }
}

EventConnection Explorers::OnNewExplorer(NewExplorerHandler handler) {
  return on_new_explorer_.Connect(std::move(handler));
}

void Explorers::Activated(Explorer& explorer) {
  for (const auto& open : open_) {
    if (open.get() == &explorer) active_ = open;
  }
}

void Explorers::Closed(Explorer& explorer) {
  std::erase_if(open_, [&](const auto& open) { return open.get() == &explorer; });
}

}  // namespace zanvoro::host
