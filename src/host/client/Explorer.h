// The mail client's windows on folders. An Explorer shows one folder of the
// session; Explorers is the client's collection of them, in the order they
// were opened. A displayed explorer is a modeless window named "Explorer"
// handed to the current renderer (the console prints it, the scripted
// renderer records it), with the folder's path in its label "lblFolder".
// UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/client/ClientEvent.h"
#include "host/client/CommandBars.h"

namespace zanvoro::host {

class Form;
class MAPIFolder;
class Explorers;

// How an explorer shows its folder.
enum class FolderDisplayMode : int32_t { Normal = 0, FolderOnly = 1, NoNavigation = 2 };

class Explorer : public std::enable_shared_from_this<Explorer> {
 public:
  using FolderSwitchHandler = std::function<void()>;
  using CloseHandler = std::function<void()>;
  using ActivateHandler = std::function<void()>;

  // Made by Explorers::Add.
  Explorer(Explorers& owner, std::shared_ptr<MAPIFolder> folder, FolderDisplayMode mode);
  ~Explorer();
  Explorer(const Explorer&) = delete;
  Explorer& operator=(const Explorer&) = delete;

  std::shared_ptr<MAPIFolder> CurrentFolder() const { return folder_; }
  // Shows another folder (the same as setting CurrentFolder); fires
  // FolderSwitch when the folder changes. A null folder raises
  // Error(err::kObjectRequired).
  void SelectFolder(std::shared_ptr<MAPIFolder> folder);
  void SetCurrentFolder(std::shared_ptr<MAPIFolder> folder) {
    SelectFolder(std::move(folder));
  }
  FolderDisplayMode DisplayMode() const { return mode_; }
  // The caption: the folder's name.
  std::string Caption() const;

  // Puts the window on screen (through the current renderer) and makes it
  // the active explorer; fires Activate.
  void Display();
  // Makes it the active explorer; displays it when it is not on screen yet.
  void Activate();
  bool Displayed() const;
  // Closes the window and removes it from Explorers; fires Close once.
  // Closing a closed explorer does nothing.
  void Close();
  bool Closed() const { return closed_; }

  // The menu bar at the top of the window.
  CommandBar& ActiveMenuBar() { return menu_bar_; }

  // FolderSwitch fires after the folder changed, Close once after the
  // window left Explorers, Activate each time it is made the active one.
  EventConnection OnFolderSwitch(FolderSwitchHandler handler);
  EventConnection OnClose(CloseHandler handler);
  EventConnection OnActivate(ActivateHandler handler);

 private:
  void Refresh();

  Explorers& owner_;
  std::shared_ptr<MAPIFolder> folder_;
  FolderDisplayMode mode_;
  std::unique_ptr<Form> window_;
  bool closed_ = false;
  CommandBar menu_bar_{"Menu Bar"};
  Event<> on_folder_switch_;
  Event<> on_close_;
  Event<> on_activate_;
};

class Explorers {
 public:
  using NewExplorerHandler = std::function<void(const std::shared_ptr<Explorer>&)>;

  Explorers();
  ~Explorers();
  Explorers(const Explorers&) = delete;
  Explorers& operator=(const Explorers&) = delete;

  int32_t Count() const { return static_cast<int32_t>(open_.size()); }
  // 1-based; raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  std::shared_ptr<Explorer> Item(int32_t index) const;
  // A new explorer on `folder`, not displayed yet; fires NewExplorer. A null
  // folder raises Error(err::kObjectRequired).
  std::shared_ptr<Explorer> Add(std::shared_ptr<MAPIFolder> folder,
                                FolderDisplayMode mode = FolderDisplayMode::Normal);
  // The explorer activated last that is still open and displayed; nullptr
  // when there is none.
  std::shared_ptr<Explorer> Active() const;
  // Closes every explorer, the last first.
  void CloseAll();

  EventConnection OnNewExplorer(NewExplorerHandler handler);

 private:
  friend class Explorer;
  void Activated(Explorer& explorer);
  void Closed(Explorer& explorer);

  std::vector<std::shared_ptr<Explorer>> open_;
  std::weak_ptr<Explorer> active_;
  Event<const std::shared_ptr<Explorer>&> on_new_explorer_;
};

}  // namespace zanvoro::host
