// The statistics, case export and reports windows, opened by the commands
// cmdStatistics, cmdExportToDatabase and cmdSummaryReports. Until those
// windows are part of the program each of these says so in an information
// message naming the window. UI thread only.
#pragma once

namespace zanvoro {

void OpenStatisticsWindow();
void OpenExportCasesWindow();
void OpenReportsWindow();

}  // namespace zanvoro
