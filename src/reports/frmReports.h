// The reports window: a time period (cboTimePeriod; "Between dates" shows
// dtpStart and dtpEnd, typed as dates, in place of the resolution filter
// cboResolutionFilter), the five report kinds (chkCasesCreated ..
// chkCasesDue), the fields (lstFields, a check list) and Show Report
// (cmdShowReport). The report goes into the pane: the file the desktop
// opens, written under the reports folder; the toolbar's print (cmdPrint)
// opens it for printing, save (cmdSave) copies it to the path in txtSaveAs,
// exit (cmdExit) closes the window. With "sdoReportsEditable" on, the
// report opens editable. The choices are kept in the per-user interface
// settings ("Reports_...") when the window closes and come back when it
// opens.
//
// Every handler follows the failure convention (locations
// "Reports.<control>"). UI thread only.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "host/ui/Form.h"
#include "reports/HelpdeskReport.h"

namespace zanvoro {

class frmReports : public host::Form {
 public:
  frmReports();

  // The choices as the controls show them; From/To stay zero while a date
  // does not read.
  ReportChoices Choices() const;
  // The last report shown, "" before the first.
  const std::string& Document() const { return document_; }
  // Where the pane's file was written, empty before the first report.
  const std::filesystem::path& PaneFile() const { return pane_file_; }
  // Runs "print", "save" or "exit".
  void ToolbarCommand(std::string_view key);

 private:
  void ShowReport();
  void ShowPeriodDates();
  void LoadChoices();
  void SaveChoices();

  std::string document_;
  std::filesystem::path pane_file_;
};

// Shows the reports window modally.
void ShowReportsWindow();

}  // namespace zanvoro
