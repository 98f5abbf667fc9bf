#include "addin/frmStartUp.h"

#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"

namespace zanvoro {

frmStartUp::frmStartUp() : Form("frmStartUp", "Zanvoro Manager - Startup Options") {
  Add<host::Label>("lblQuestion")
      .SetCaption(
          "Choose if Zanvoro Manager add-in should load or remain inactive in this "
          "Outlook session");
  auto& active = Add<host::CommandButton>("cmdActive");
  active.SetCaption("Active");
  active.OnClick([this] {
    answer_ = StartUpAnswer::Active;
    Unload();
  });
  auto& inactive = Add<host::CommandButton>("cmdInactive");
  inactive.SetCaption("Inactive");
  inactive.OnClick([this] {
    answer_ = StartUpAnswer::Inactive;
    Unload();
  });
  // Closing the window without a choice loads the add-in.
  OnLoad([this] { answer_ = StartUpAnswer::Active; });
}

}  // namespace zanvoro
