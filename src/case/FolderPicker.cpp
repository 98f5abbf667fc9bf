#include "case/FolderPicker.h"

#include "errors/modErroHandling.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"

namespace zanvoro {

namespace {

void AddTree(const std::shared_ptr<host::MAPIFolder>& folder,
             std::vector<std::shared_ptr<host::MAPIFolder>>& out) {
  out.push_back(folder);
  for (const auto& child : folder->Folders().All()) AddTree(child, out);
}

}  // namespace

FolderPicker::FolderPicker(host::NameSpace& session)
    : Form("FolderPicker", kApplicationTitle), session_(session) {
  Add<host::Label>("lblPrompt").SetCaption("Select a folder:");
  Add<host::ListBox>("lstFolders");
  auto& ok = Add<host::CommandButton>("cmdOK");
  ok.SetCaption("OK");
  ok.OnClick([this] {
    int index = Get<host::ListBox>("lstFolders").ListIndex();
    if (index < 0 || index >= static_cast<int>(folders_.size())) return;
    picked_ = folders_[static_cast<size_t>(index)];
    Unload();
  });
  auto& cancel = Add<host::CommandButton>("cmdCancel");
  cancel.SetCaption("Cancel");
  cancel.OnClick([this] {
    picked_.reset();
    Unload();
  });
  OnLoad([this] { Fill(); });
}

void FolderPicker::Fill() {
  picked_.reset();
  folders_.clear();
  for (const auto& root : session_.Folders().All()) AddTree(root, folders_);
  auto& list = Get<host::ListBox>("lstFolders");
  list.Clear();
  for (const auto& folder : folders_) list.AddItem(folder->FolderPath());
}

std::shared_ptr<host::MAPIFolder> FolderPicker::Pick() {
  Show(host::ShowMode::Modal);
  return picked_;
}

std::shared_ptr<host::MAPIFolder> PickFolder(host::NameSpace& session) {
  FolderPicker picker(session);
  return picker.Pick();
}

}  // namespace zanvoro
