// One explorer window as the add-in looks after it: the add-in's toolbar
// menu on the window's menu bar (the popup "Zanvoro Manager" tagged
// "ZanvoroSettingsManager" with the settings, navigation and manager
// buttons; hidden on hosts of major version 14 or later, which show the
// backstage instead), the folder the user switches to (the current folder
// kind, and a switch of the whole add-in to the helpdesk whose Ongoing
// folder was opened), and the window's and the application's ends.
//
// Made by cExplorersEventManager, which holds it in its collection until
// the window closes. Events reach it while it lives; going away it takes
// the menu it built off the bar. A click on a navigation button shows that
// helpdesk folder in the active explorer; any other button's command goes
// to the command runner. Every handler follows the failure convention.
// UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addin/cNavigationButtons.h"
#include "addin/cSettingButtons.h"
#include "addin/cWrappedButton.h"
#include "host/client/ClientEvent.h"

namespace zanvoro {

namespace host {
class Application;
class Explorer;
}  // namespace host

class cExplorersEventManager;

// Runs a command by its backstage or toolbar identifier.
using CommandRunner = std::function<void(std::string_view command_id)>;

inline constexpr const char* kMenuTag = "ZanvoroSettingsManager";
inline constexpr const char* kMenuCaption = "Zanvoro Manager";

class cExplorerManager : public IMyEventInterface,
                         public std::enable_shared_from_this<cExplorerManager> {
 public:
  // REQUIRES: `owner` outlives the manager while it is in the owner's
  // collection. Listens to the explorer's Activate, FolderSwitch and Close.
  cExplorerManager(std::shared_ptr<host::Explorer> explorer,
                   cExplorersEventManager& owner, CommandRunner runner);
  ~cExplorerManager() override;

  // Listens to the application's Quit and MAPILogonComplete.
  void SetHostApplication(const std::shared_ptr<host::Application>& application);
  void SetKey(std::string key) { key_ = std::move(key); }
  const std::string& Key() const { return key_; }
  std::shared_ptr<host::Explorer> Explorer() const { return explorer_.lock(); }

  // Whether a control tagged "ZanvoroSettingsManager" is on the menu bar.
  bool DoesMenuExists() const;
  // Builds the menu unless DoesMenuExists; returns whether it existed.
  bool subAddButtons();
  // Lets the settings, navigation and manager buttons go.
  void subRemoveButtons();
  // Classifies the explorer's folder as current folder kind; an Ongoing
  // folder makes its helpdesk the active one (subMain).
  void subTrackRequiredFolder();
  // Whether every reference list of the loaded global settings is empty.
  bool IsEmptyDatabase() const;
  // Makes the helpdesk of the shown folder the active one: its folders, the
  // stored Settings folder location and, unless the same Ongoing folder is
  // shown again with "DoNotReloadSettings" set, the settings loaded anew,
  // the demo data offered for an empty helpdesk and the background work
  // started again.
  void subMain();

  void ButtonClick(host::CommandBarControl& button, bool& cancel_default) override;

  const cSettingButtons& SettingButtons() const { return settings_buttons_; }

 private:
  void RemoveMenu();
  void OnActivate();
  void OnClose();
  void OnQuit();

  std::weak_ptr<host::Explorer> explorer_;
  std::weak_ptr<host::Application> application_;
  cExplorersEventManager& owner_;
  CommandRunner runner_;
  std::string key_;
  std::shared_ptr<host::CommandBarControl> popup_;
  cSettingButtons settings_buttons_;
  cNavigationButtons navigation_buttons_;
  std::vector<cWrappedButton> toolbar_buttons_;
  std::vector<host::ScopedConnection> connections_;
};

// The manager buttons after the two popups, in menu order, in the loaded
// language.
std::vector<ButtonDefinition> ManagerButtons();

}  // namespace zanvoro
