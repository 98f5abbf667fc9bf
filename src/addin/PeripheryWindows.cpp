#include "addin/PeripheryWindows.h"

#include <string>

#include "errors/modErroHandling.h"
#include "host/ui/MsgBox.h"

namespace zanvoro {

namespace {

void NotYetPart(const char* window, const char* what) {
  host::MsgBox(
      std::string(window) + ": the " + what + " window is not part of this build.",
      host::MsgBoxButtons::OK, host::MsgBoxIcon::Information,
      host::MsgBoxDefault::Button1, kApplicationTitle);
}

}  // namespace

void OpenStatisticsWindow() { NotYetPart("frmStatistics", "statistics"); }
void OpenExportCasesWindow() { NotYetPart("frmExportCases", "case export"); }
void OpenReportsWindow() { NotYetPart("frmReports", "reports"); }

}  // namespace zanvoro
