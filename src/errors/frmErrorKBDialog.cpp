#include "errors/frmErrorKBDialog.h"

#include "errors/ReportWindowParts.h"
#include "errors/modErroHandling.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/Renderer.h"
#include "host/ui/TextBox.h"
#include "text/Phrases.h"

namespace zanvoro {

frmErrorKBDialog::frmErrorKBDialog() : Form("frmErrorKBDialog", kApplicationTitle) {
  AddReportControls(*this);
  Add<host::Label>("lblHeading");
  Add<host::Label>("lblMessage");
  auto& page = Add<host::TextBox>("wwwKB");
  page.SetMultiLine(true);
  page.SetLocked(true);
  Add<host::CommandButton>("cmdOpenKB").OnClick([this] {
    try {
      host::ShellOpen(article_);
    } catch (...) {  // no browser: the address is on the page
    }
  });
  Add<host::CommandButton>("cmdExit").OnClick([this] { Unload(); });

  OnLoad([this] {
    Get<host::Label>("lblHeading").SetCaption(CONST_ATTENDTION_NEEDED);
    Get<host::CommandButton>("cmdExit").SetCaption(CONST_EXIT);
  });
}

}  // namespace zanvoro
