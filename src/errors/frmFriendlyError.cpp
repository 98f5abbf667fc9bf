#include "errors/frmFriendlyError.h"

#include "errors/ErrorServices.h"
#include "errors/modErroHandling.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/TextBox.h"
#include "text/Phrases.h"

namespace zanvoro {

frmFriendlyError::frmFriendlyError() : Form("frmFriendlyError", kApplicationTitle) {
  Add<host::Label>("lblApplication");
  Add<host::Label>("lblVersion");
  Add<host::Label>("lblHeading");
  Add<host::Label>("lblMessage");
  auto& report = Add<host::TextBox>("txtReport");
  report.SetMultiLine(true);
  report.SetLocked(true);
  Add<host::CommandButton>("cmdViewReport").OnClick([this] { ToggleReport(); });
  Add<host::CommandButton>("cmdExit").OnClick([this] {
    Hide();
    try {
      if (const auto& shutdown = GetErrorServices().shutdown) shutdown();
    } catch (...) {  // the shut-down ignores its own failures
    }
  });

  OnLoad([this] {
    SetHeight(kExpandedHeight);
    Get<host::TextBox>("txtReport").SetVisible(true);
    Get<host::Label>("lblHeading").SetCaption(CONST_ATTENDTION_NEEDED);
    Get<host::CommandButton>("cmdExit").SetCaption(CONST_EXIT);
    Get<host::CommandButton>("cmdViewReport").SetCaption(CONST_HIDE_REPORT);
  });
}

void frmFriendlyError::ToggleReport() {
  auto& button = Get<host::CommandButton>("cmdViewReport");
  bool expand = button.Caption() == CONST_VIEW_REPORT;
  button.SetCaption(expand ? CONST_HIDE_REPORT : CONST_VIEW_REPORT);
  SetHeight(expand ? kExpandedHeight : kCollapsedHeight);
  Get<host::TextBox>("txtReport").SetVisible(expand);
  if (Visible()) Refresh();
}

}  // namespace zanvoro
