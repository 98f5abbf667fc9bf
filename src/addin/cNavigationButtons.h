// The navigation popup of the add-in's toolbar menu: CONST_NAVIGATE_TO with
// a button for the Ongoing, Resolved, Knowledge base and History folders
// (commands cmdHomeOpen, cmdHomeResolved, cmdHomeKB, cmdHomeHistory), and
// what those commands do: show the helpdesk folder in an explorer. UI
// thread only.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "addin/cWrappedButton.h"
#include "errors/HelpdeskFolder.h"

namespace zanvoro {

namespace host {
class Explorer;
}  // namespace host

class cNavigationButtons {
 public:
  static std::vector<ButtonDefinition> Buttons();
  // The folder a navigation command shows; nullopt for other commands.
  static std::optional<HelpdeskFolder> Target(std::string_view command_id);
  // Shows the command's helpdesk folder in `explorer` (SelectFolder) when it
  // is found. Returns whether it was shown.
  static bool Navigate(std::string_view command_id, host::Explorer& explorer);

  void subAddButtons(host::CommandBarControls& controls, IMyEventInterface& receiver);
  void subRemoveButtons() { popup_.Remove(); }

  const ButtonPopup& Popup() const { return popup_; }

 private:
  ButtonPopup popup_;
};

}  // namespace zanvoro
