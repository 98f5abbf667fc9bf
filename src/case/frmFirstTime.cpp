#include "case/frmFirstTime.h"

#include "case/FolderMarkers.h"
#include "case/FolderPicker.h"
#include "case/HelpdeskFolders.h"
#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/client/Explorer.h"
#include "host/os/EventLoop.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr const char* kDescription =
    "It appears you have just installed Zanvoro Manager tool. To start working with "
    "Zanvoro System, you need specify the path of an existing Zanvoro 'Settings' "
    "subfolder, which might probably had been configured by your administrator in an "
    "Exchange public folder or shared mailbox folder.";

std::shared_ptr<host::Application> HostApplication() {
  RunningAddin* addin = ConnectedAddin();
  return addin ? addin->HostApplication() : nullptr;
}

std::shared_ptr<host::Explorer> ActiveExplorer() {
  auto application = HostApplication();
  return application ? application->ActiveExplorer() : nullptr;
}

}  // namespace

frmFirstTime::frmFirstTime() : Form("frmFirstTime", kApplicationTitle) {
  Add<host::Label>("lblThankYou");
  Add<host::Label>("lblDescription").SetCaption(kDescription);
  Add<host::Label>("lblSelectedPath");
  Add<host::TextBox>("txtPath").SetLocked(true);
  Add<host::Label>("lblWarning");
  Add<host::CommandButton>("cmdAutoScan").OnClick([this] {
    Trap("FirstTime.cmdAutoScan", [this] {
      if (scanning_) {
        cancel_scan_ = true;
      } else {
        AutoScan();
      }
    });
  });
  Add<host::CommandButton>("cmdSpecify").OnClick([this] {
    Trap("FirstTime.cmdSpecify", [this] { Specify(); });
  });
  Add<host::CommandButton>("cmdFeedThisPath").OnClick([this] {
    Trap("FirstTime.cmdFeedThisPath", [this] { FeedThisPath(); });
  });
  Add<host::CommandButton>("cmdTryLater").OnClick([this] { Unload(); });
  Add<host::CommandButton>("cmdCancel").OnClick([this] {
    if (scanning_) {
      // The search unwinds first; the window closes when it has.
      cancel_scan_ = true;
      close_after_scan_ = true;
      return;
    }
    Unload();
  });
  OnLoad([this] {
    // The texts of the language loaded now.
    Get<host::Label>("lblThankYou").SetCaption(CONST_THANK_YOU);
    Get<host::Label>("lblSelectedPath").SetCaption(CONST_SELECTED_PATH);
    Get<host::CommandButton>("cmdAutoScan").SetCaption(CONST_AUTO_SCAN);
    Get<host::CommandButton>("cmdSpecify").SetCaption(CONST_BROWSE);
    Get<host::CommandButton>("cmdFeedThisPath").SetCaption(CONST_CONTINUE);
    Get<host::CommandButton>("cmdTryLater").SetCaption(CONST_TRY_LATER);
    Get<host::CommandButton>("cmdCancel").SetCaption(CONST_CANCEL);
    Get<host::Label>("lblWarning").SetCaption("");
    Get<host::TextBox>("txtPath").SetText("");
    candidate_ = {};
    matches_ = 0;
  });
}

void frmFirstTime::AutoScan() {
  auto session = HelpdeskSession();
  if (!session) return;
  scanning_ = true;
  cancel_scan_ = false;
  close_after_scan_ = false;
  matches_ = 0;
  auto& button = Get<host::CommandButton>("cmdAutoScan");
  button.SetCaption(CONST_CANCEL);
  Refresh();
  std::shared_ptr<host::MAPIFolder> found;
  try {
    for (const auto& root : session->Folders().All()) {
      if (!Scan(root, found)) break;
    }
  } catch (...) {
    scanning_ = false;
    button.SetCaption(CONST_AUTO_SCAN);
    throw;
  }
  scanning_ = false;
  button.SetCaption(CONST_AUTO_SCAN);
  if (found) {
    ShowCandidate(*found);
  } else {
    SetWarning(CONST_NO_FOLDER_INFO_RETRIEVED);
  }
  if (close_after_scan_) Unload();
}

bool frmFirstTime::Scan(const std::shared_ptr<host::MAPIFolder>& folder,
                        std::shared_ptr<host::MAPIFolder>& found) {
  SetCurrentProcedure("iterating to folder '" + folder->Name());
  if (HasSettingsMarker(folder->Description())) {
    ++matches_;
    found = folder;
  }
  Yield();
  if (cancel_scan_) return false;
  for (const auto& child : folder->Folders().All()) {
    if (!Scan(child, found)) return false;
  }
  return true;
}

void frmFirstTime::Yield() {
  if (yield_) {
    yield_();
    return;
  }
  if (auto application = HostApplication()) {
    if (host::EventLoop* loop = application->Loop()) loop->RunPending();
  }
}

void frmFirstTime::Specify() {
  auto session = HelpdeskSession();
  if (!session) return;
  std::shared_ptr<host::MAPIFolder> folder;
  if (auto explorer = ActiveExplorer()) folder = explorer->CurrentFolder();
  while (!folder || !HasSettingsMarker(folder->Description())) {
    folder = PickFolder(*session);
    if (!folder) return;
    host::ItemType type = folder->DefaultItemType();
    bool holds_posts = type == host::ItemType::Mail || type == host::ItemType::Post;
    if (!holds_posts || !HasSettingsMarker(folder->Description())) {
      host::MsgBox("Not a valid 'Settings' Folder!", host::MsgBoxButtons::OK,
                   host::MsgBoxIcon::Information, host::MsgBoxDefault::Button1,
                   kApplicationTitle);
      folder.reset();
    }
  }
  ShowCandidate(*folder);
}

void frmFirstTime::FeedThisPath() {
  if (candidate_.Empty()) {
    SetWarning(CONST_SPECIFY_ONGOING_FOLDER);
    return;
  }
  SaveSettingsFolderLocation(candidate_.OutlookPath, candidate_.EntryID,
                             candidate_.StoreID, candidate_.Name);
  ForgetHelpdeskFolders();
  auto ongoing = GetOngoingFolder();
  GetSettingsFolder();
  auto explorer = ActiveExplorer();
  if (explorer && ongoing) {
    auto current = explorer->CurrentFolder();
    if (current && current->EntryID() == ongoing->EntryID()) {
      if (auto session = HelpdeskSession()) {
        explorer->SelectFolder(session->GetDefaultFolder(host::DefaultFolder::Inbox));
      }
    } else {
      explorer->SelectFolder(ongoing);
    }
  }
  Unload();
}

void frmFirstTime::ShowCandidate(host::MAPIFolder& folder) {
  candidate_ = cOutlookFolder::Of(folder);
  Get<host::TextBox>("txtPath").SetText(candidate_.OutlookPath);
  SetWarning(CONST_POSSIBLE_CANDIDATE_FOLDER);
}

void frmFirstTime::SetWarning(const std::string& text) {
  Get<host::Label>("lblWarning").SetCaption(text);
  Refresh();
}

}  // namespace zanvoro
