// What the three report windows share: the title, version and report box,
// the report button that shows and hides the box, and the way out through
// the add-in's shut-down.
#pragma once

namespace zanvoro {

namespace host {
class Form;
}  // namespace host

// Adds lblApplication, lblVersion and the read-only report box txtReport.
void AddReportControls(host::Form& form);
// cmdViewReport: from the view caption to the hide caption, the window
// growing to `expanded_height` and the report box shown; and back.
void ToggleReportBox(host::Form& form, int collapsed_height, int expanded_height);
// ShutdownAddin through the error services; its failures are ignored.
void ShutdownIgnoringFailures();

}  // namespace zanvoro
