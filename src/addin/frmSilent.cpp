#include "addin/frmSilent.h"

#include "errors/Trap.h"
#include "host/client/Explorer.h"
#include "host/ui/Renderer.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace zanvoro {

frmSilent::frmSilent(Services services)
    : Form("frmSilent", kTrayTooltip), services_(std::move(services)) {
  OnLoad([this] { Trap("fSilentProcess.Load", [&] { tooltip_ = kTrayTooltip; }); });
  OnUnload([this](bool&) { tooltip_.clear(); });
}

std::optional<HelpdeskFolder> frmSilent::BalloonTarget(std::string_view title) {
  for (const char* ongoing : {"New Case", "New Cases", "Email added", "Emails added"}) {
    if (title == ongoing) return HelpdeskFolder::Ongoing;
  }
  if (title == "New KB" || title == "New KBs") return HelpdeskFolder::KB;
  return std::nullopt;
}

bool frmSilent::PopupSystrayBalloonInteractive(std::string_view title,
                                               std::string_view text) {
  return Trap("fSilentProcess.PopupSystrayBalloonInteractive", false, [&] {
    if (services_.global_setting) {
      std::string disabled = services_.global_setting("sdoDisableBalloons");
      if (IsNumeric(disabled) && CLng(Variant(disabled)) != 0) return false;
    }
    std::string balloon_title(title);
    host::Renderer::Current().ShowBalloon(
        balloon_title, std::string(text), host::BalloonIcon::Info,
        [this, balloon_title] { BalloonClick(balloon_title); });
    return true;
  });
}

void frmSilent::BalloonClick(const std::string& title) {
  Trap("fSilentProcess.Balloon.Click", [&] {
    auto target = BalloonTarget(title);
    if (!target || !services_.folder || !services_.active_explorer) return;
    auto folder = services_.folder(*target);
    auto explorer = services_.active_explorer();
    if (folder && explorer) explorer->SelectFolder(folder);
  });
}

}  // namespace zanvoro
