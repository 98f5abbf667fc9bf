// The helpdesk opened for one shell command: the add-in connected on the
// profile's client with its folder and settings steps, the helpdesk folders
// found and the global settings loaded, without any background work. The
// commands that work on the helpdesk (settings, lists, cases) run their
// body inside WithHelpdesk. UI thread only.
#pragma once

#include <functional>
#include <memory>

#include "app/CommandContext.h"

namespace zanvoro {
class ZFO_M;
class cGlobalSettings;
namespace host {
class Application;
}  // namespace host
}  // namespace zanvoro

namespace zanvoro::app {

// Whether a profile that names no helpdesk yet is an error.
enum class HelpdeskNeeded { Yes, No };

class OpenedHelpdesk {
 public:
  // Raises an Error naming what is missing when the profile has no
  // helpdesk, its session does not open or its settings do not load. With
  // HelpdeskNeeded::No a profile without a helpdesk gives the connected
  // add-in alone (FirstRun() true, no settings).
  explicit OpenedHelpdesk(CommandContext& context,
                          HelpdeskNeeded needed = HelpdeskNeeded::Yes);
  ~OpenedHelpdesk();
  OpenedHelpdesk(const OpenedHelpdesk&) = delete;
  OpenedHelpdesk& operator=(const OpenedHelpdesk&) = delete;

  cGlobalSettings& Settings();
  ZFO_M& Addin() { return *addin_; }
  bool FirstRun() const { return first_run_; }

 private:
  std::shared_ptr<host::Application> application_;
  std::unique_ptr<ZFO_M> addin_;
  bool first_run_ = false;
};

// Runs `body` with the opened helpdesk's settings while the windows and
// message boxes the add-in shows close at once; what they said is printed
// on the error stream when the command fails.
void WithHelpdesk(CommandContext& context,
                  const std::function<void(cGlobalSettings&)>& body);

}  // namespace zanvoro::app
