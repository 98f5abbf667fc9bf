// The add-in's hidden window: loaded at start-up and unloaded first at
// shut-down. It owns the tray icon (tooltip "Zanvoro Manager for Outlook")
// and the balloons other subsystems pop up to announce new cases, added
// mails and new articles. Clicking a balloon titled "New Case", "New
// Cases", "Email added" or "Emails added" shows the Ongoing folder in the
// active explorer; "New KB" or "New KBs" the KB folder.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "errors/HelpdeskFolder.h"
#include "host/ui/Form.h"

namespace zanvoro {

namespace host {
class Explorer;
class MAPIFolder;
}  // namespace host

class frmSilent : public host::Form {
 public:
  static constexpr const char* kTrayTooltip = "Zanvoro Manager for Outlook";

  struct Services {
    // The global setting of that name ("" when missing).
    std::function<std::string(std::string_view)> global_setting;
    std::function<std::shared_ptr<host::MAPIFolder>(HelpdeskFolder)> folder;
    std::function<std::shared_ptr<host::Explorer>()> active_explorer;
  };

  explicit frmSilent(Services services);

  const std::string& TrayTooltip() const { return tooltip_; }

  // Shows a balloon with `title` and `text` unless the global setting
  // "sdoDisableBalloons" is on. Returns whether it was shown.
  bool PopupSystrayBalloonInteractive(std::string_view title, std::string_view text);

  // The folder a click on a balloon titled `title` shows; nullopt for other
  // titles.
  static std::optional<HelpdeskFolder> BalloonTarget(std::string_view title);

 private:
  void BalloonClick(const std::string& title);

  Services services_;
  std::string tooltip_;
};

}  // namespace zanvoro
