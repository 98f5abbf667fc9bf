#include "errors/ReportWindowParts.h"

#include "errors/ErrorServices.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Form.h"
#include "host/ui/Label.h"
#include "host/ui/TextBox.h"
#include "text/Phrases.h"

namespace zanvoro {

void AddReportControls(host::Form& form) {
  form.Add<host::Label>("lblApplication");
  form.Add<host::Label>("lblVersion");
  auto& report = form.Add<host::TextBox>("txtReport");
  report.SetMultiLine(true);
  report.SetLocked(true);
}

void ToggleReportBox(host::Form& form, int collapsed_height, int expanded_height) {
  auto& button = form.Get<host::CommandButton>("cmdViewReport");
  bool expand = button.Caption() == CONST_VIEW_REPORT;
  button.SetCaption(expand ? CONST_HIDE_REPORT : CONST_VIEW_REPORT);
  form.SetHeight(expand ? expanded_height : collapsed_height);
  form.Get<host::TextBox>("txtReport").SetVisible(expand);
  if (form.Visible()) form.Refresh();
}

void ShutdownIgnoringFailures() {
  try {
    if (const auto& shutdown = GetErrorServices().shutdown) shutdown();
  } catch (...) {  // the shut-down ignores its own failures
  }
}

}  // namespace zanvoro
