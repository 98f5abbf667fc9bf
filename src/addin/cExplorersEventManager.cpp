#include "addin/cExplorersEventManager.h"

#include <algorithm>

#include "connection/LaterSteps.h"
#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "host/client/Application.h"
#include "host/client/Explorer.h"
#include "host/ui/MsgBox.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

std::unique_ptr<cExplorersEventManager>& Slot() {
  static std::unique_ptr<cExplorersEventManager> manager;
  return manager;
}

}  // namespace

cExplorersEventManager::cExplorersEventManager(CommandRunner runner)
    : runner_(std::move(runner)) {}

cExplorersEventManager::~cExplorersEventManager() {
  new_explorer_.Disconnect();
  // Every manager takes its menu off its window as it goes.
  auto managers = std::move(managers_);
  managers.clear();
}

void cExplorersEventManager::SetExplorers(host::Explorers& explorers) {
  new_explorer_ =
      explorers.OnNewExplorer([this](const std::shared_ptr<host::Explorer>& explorer) {
        oExplorers_NewExplorer(explorer);
      });
}

void cExplorersEventManager::LoadZanvoroMenu() {
  Trap("ExplorersEvent.LoadZanvoroMenu", [&] {
    std::shared_ptr<host::Explorer> explorer = explorer_.lock();
    if (!explorer) return;
    RunningAddin* addin = ConnectedAddin();
    std::shared_ptr<host::Application> application =
        addin ? addin->HostApplication() : nullptr;
    auto manager = std::make_shared<cExplorerManager>(explorer, *this, runner_);
    manager->SetHostApplication(application);
    int32_t count = application ? application->Explorers().Count() : 1;
    // A key still held by the manager of another open window is not taken
    // from it (that window would lose its menu's clicks): the new manager
    // takes the next free number instead.
    std::string key;
    for (int32_t n = count;; ++n) {
      key = "EXPLORER" + std::to_string(n);
      auto held = Manager(key);
      if (!held) break;
      auto other = held->Explorer();
      if (!other || other->Closed() || other == explorer) break;
    }
    manager->SetKey(key);
    if (manager->subAddButtons()) return;
    std::erase_if(managers_,
                  [&](const auto& entry) { return TextEquals(entry.first, key); });
    managers_.emplace_back(key, std::move(manager));
  });
}

void cExplorersEventManager::oExplorers_NewExplorer(
    const std::shared_ptr<host::Explorer>& explorer) {
  Trap("ExplorersEvent.NewExplorer", [&] {
    explorer_ = explorer;
    LoadZanvoroMenu();
  });
}

std::vector<std::string> cExplorersEventManager::Keys() const {
  std::vector<std::string> keys;
  for (const auto& entry : managers_) keys.push_back(entry.first);
  return keys;
}

std::shared_ptr<cExplorerManager> cExplorersEventManager::Manager(
    std::string_view key) const {
  for (const auto& entry : managers_) {
    if (TextEquals(entry.first, key)) return entry.second;
  }
  return nullptr;
}

std::shared_ptr<cExplorerManager> cExplorersEventManager::ManagerOf(
    const host::Explorer& explorer) const {
  for (const auto& entry : managers_) {
    if (entry.second->Explorer().get() == &explorer) return entry.second;
  }
  return nullptr;
}

void cExplorersEventManager::Remove(const cExplorerManager& manager) {
  std::erase_if(managers_,
                [&](const auto& entry) { return entry.second.get() == &manager; });
}

cExplorersEventManager* SharedExplorersEventManager() { return Slot().get(); }

void ShowNotImplemented(std::string_view command_id) {
  host::MsgBox(std::string(command_id) + " - Not Implemented");
}

void InstallExplorerSteps(LaterSteps& steps, CommandRunner runner) {
  if (!runner) runner = ShowNotImplemented;
  steps.create = [previous = std::move(steps.create),
                  runner = std::move(runner)](SharedObject object) {
    if (previous) previous(object);
    if (object == SharedObject::ExplorersEventManager) {
      Slot() = std::make_unique<cExplorersEventManager>(runner);
    }
  };
  steps.release = [previous = std::move(steps.release)](SharedObject object) {
    if (previous) previous(object);
    if (object == SharedObject::ExplorersEventManager) Slot().reset();
  };
  steps.hand_explorers = [](host::Explorers& explorers) {
    if (Slot()) Slot()->SetExplorers(explorers);
  };
  steps.load_menu = [](host::Explorer& explorer) {
    if (!Slot()) return;
    Slot()->SetExplorer(explorer.shared_from_this());
    Slot()->LoadZanvoroMenu();
  };
}

}  // namespace zanvoro
