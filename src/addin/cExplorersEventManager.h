// The add-in's side of the client's explorer windows: one cExplorerManager
// per window, kept in a collection under the key "EXPLORER" followed by the
// number of explorers when it was made. Made at start-up (it takes the
// host's Explorers and hears of every new window) and released at
// shut-down, which lets every manager go.
//
// InstallExplorerSteps plugs it into the connection's start-up and
// shut-down: making and releasing the cExplorersEventManager, handing it the
// explorers, and building the menu of the explorer open at start-up. The
// toolbar's commands run through the runner given there; without one each
// click shows "<id> - Not Implemented". UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/cExplorerManager.h"
#include "host/client/ClientEvent.h"

namespace zanvoro {

namespace host {
class Explorer;
class Explorers;
}  // namespace host

struct LaterSteps;

class cExplorersEventManager {
 public:
  explicit cExplorersEventManager(CommandRunner runner);
  ~cExplorersEventManager();
  cExplorersEventManager(const cExplorersEventManager&) = delete;
  cExplorersEventManager& operator=(const cExplorersEventManager&) = delete;

  // NewExplorer of `explorers` reaches oExplorers_NewExplorer from now on.
  void SetExplorers(host::Explorers& explorers);
  // Keeps the explorer for LoadZanvoroMenu.
  void SetExplorer(std::shared_ptr<host::Explorer> explorer) {
    explorer_ = std::move(explorer);
  }
  // A manager for the explorer handed over, with the host application and
  // its key; it builds its menu and joins the collection unless the menu
  // was there already.
  void LoadZanvoroMenu();
  void oExplorers_NewExplorer(const std::shared_ptr<host::Explorer>& explorer);

  // The collection.
  size_t Count() const { return managers_.size(); }
  std::vector<std::string> Keys() const;
  std::shared_ptr<cExplorerManager> Manager(std::string_view key) const;
  // The manager of `explorer`; nullptr when it has none.
  std::shared_ptr<cExplorerManager> ManagerOf(const host::Explorer& explorer) const;
  void Remove(const cExplorerManager& manager);

 private:
  CommandRunner runner_;
  host::ScopedConnection new_explorer_;
  std::weak_ptr<host::Explorer> explorer_;
  std::vector<std::pair<std::string, std::shared_ptr<cExplorerManager>>> managers_;
};

// The explorer event manager of the connected add-in; nullptr before
// start-up step 4 and after shut-down.
cExplorersEventManager* SharedExplorersEventManager();

// The runner used until the command procedures are plugged in: a message
// box with the identifier followed by " - Not Implemented".
void ShowNotImplemented(std::string_view command_id);

// Fills create and release (for ExplorersEventManager; other objects go to
// the hooks already set), hand_explorers and load_menu. An empty `runner`
// is ShowNotImplemented.
void InstallExplorerSteps(LaterSteps& steps, CommandRunner runner = {});

}  // namespace zanvoro
