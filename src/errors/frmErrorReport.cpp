#include "errors/frmErrorReport.h"

#include "errors/ReportWindowParts.h"
#include "errors/modErroHandling.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/Renderer.h"
#include "host/ui/TextBox.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

std::string PolicyPage() {
  const char* page = std::getenv("ZANVORO_ERROR_POLICY_URL");
  return page && *page ? page : kDefaultErrorPolicyPage;
}

}  // namespace

frmErrorReport::frmErrorReport() : Form("frmErrorReport", kApplicationTitle) {
  AddReportControls(*this);
  Add<host::Label>("lblDescription");
  Add<host::Label>("lblDescription2");
  Add<host::Label>("lblClickHere").OnClick([] {
    try {
      host::ShellOpen(PolicyPage());
    } catch (...) {  // no browser: the page is only advice
    }
  });
  Add<host::CommandButton>("cmdViewReport").OnClick([this] {
    ToggleReportBox(*this, kCollapsedHeight, kExpandedHeight);
  });
  Add<host::CommandButton>("cmdOpenEmail").OnClick([this] {
    SendErrorEmail(Get<host::TextBox>("txtReport").Text(), SendMode::Review);
    Leave();
  });
  Add<host::Label>("lblSendDirectly").OnClick([this] {
    SendErrorEmail(Get<host::TextBox>("txtReport").Text(), SendMode::Direct);
    Leave();
  });
  Add<host::CommandButton>("cmdCancel").OnClick([this] {
    Hide();
    Leave();
  });

  OnLoad([this] {
    SetHeight(kCollapsedHeight);
    Get<host::TextBox>("txtReport").SetVisible(false);
    Get<host::Label>("lblDescription").SetCaption(CONST_EXCEPTION_DESCRIPTION);
    Get<host::Label>("lblDescription2").SetCaption(CONST_EXCEPTION_DESCRIPTION_2);
    Get<host::Label>("lblClickHere").SetCaption(CONST_EXCEPTION_LEARN);
    Get<host::Label>("lblSendDirectly").SetCaption(CONST_SEND_DIRECTLY);
    Get<host::Label>("lblSendDirectly").SetVisible(true);
    Get<host::CommandButton>("cmdOpenEmail").SetCaption(CONST_OPEN_EMAIL);
    Get<host::CommandButton>("cmdViewReport").SetCaption(CONST_VIEW_REPORT);
    Get<host::CommandButton>("cmdCancel").SetCaption(CONST_CANCEL);
  });
}

void frmErrorReport::Leave() {
  ShutdownIgnoringFailures();
  // The shut-down unloads this window; without one it still has to go.
  Hide();
}

}  // namespace zanvoro
