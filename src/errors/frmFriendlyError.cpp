#include "errors/frmFriendlyError.h"

#include "errors/ReportWindowParts.h"
#include "errors/modErroHandling.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/TextBox.h"
#include "text/Phrases.h"

namespace zanvoro {

frmFriendlyError::frmFriendlyError() : Form("frmFriendlyError", kApplicationTitle) {
  AddReportControls(*this);
  Add<host::Label>("lblHeading");
  Add<host::Label>("lblMessage");
  Add<host::CommandButton>("cmdViewReport").OnClick([this] {
    ToggleReportBox(*this, kCollapsedHeight, kExpandedHeight);
  });
  Add<host::CommandButton>("cmdExit").OnClick([this] {
    Hide();
    ShutdownIgnoringFailures();
  });

  OnLoad([this] {
    SetHeight(kExpandedHeight);
    Get<host::TextBox>("txtReport").SetVisible(true);
    Get<host::Label>("lblHeading").SetCaption(CONST_ATTENDTION_NEEDED);
    Get<host::CommandButton>("cmdExit").SetCaption(CONST_EXIT);
    Get<host::CommandButton>("cmdViewReport").SetCaption(CONST_HIDE_REPORT);
  });
}

}  // namespace zanvoro
