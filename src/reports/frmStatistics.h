// The statistics window: the cases to take (optCase0 Ongoing, optCase1
// Resolved, optCase2 both, in frameCases), Generate (cmdGenerate) writes
// them into the reporting database with the progress in pb, Stop (cmdStop)
// ends the collection early (the rows read so far are written), Cancel
// (cmdCancel) closes the window. After a collection without a failure the
// viewer program "OLAPSenseLite" from the program folder is started on the
// database, its path encoded as one parameter; without the viewer the user
// is told, may open the database's folder instead, and is shown how to
// query it. The window closes after Generate, also after a failure (which
// the error report has told). The export window is the same without the viewer: it says
// where the cases went.
//
// The collection yields to the event loop between rows, so a click on Stop
// is seen. Every handler follows the failure convention (locations
// "Statistics.<control>"). UI thread only.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "host/ui/Form.h"
#include "reports/ReportingDatabase.h"

namespace zanvoro {

inline constexpr const char* kViewerProgram = "OLAPSenseLite";

// Every blank becomes "*_*", and back.
std::string EncodeParameterFriendly(std::string_view text);
std::string DecodeParameterFriendly(std::string_view text);

// What the user is told when the viewer is not in `program_folder`: that
// it is missing, the offer to open the database's folder, and how to query
// the database.
std::string MissingViewerMessage(const std::filesystem::path& program_folder,
                                 const std::filesystem::path& database);

// Starts the viewer on `database`, or tells the user it is missing and
// opens the database's folder when they agree. Returns whether the viewer
// was started.
bool StartStatisticsViewer(const std::filesystem::path& program_folder,
                           const std::filesystem::path& database);

enum class StatisticsMode { Viewer, ExportOnly };

class frmStatistics : public host::Form {
 public:
  frmStatistics(StatisticsMode mode, std::filesystem::path program_folder,
                std::filesystem::path database = ReportingDatabasePath());

  // 0, 1 or 2 after the option buttons.
  CaseChoice Choice() const;
  const ExportResult& LastResult() const { return result_; }

 private:
  void Generate();
  void SetCollecting(bool collecting);

  StatisticsMode mode_;
  std::filesystem::path program_folder_;
  std::filesystem::path database_;
  bool stop_ = false;
  ExportResult result_;
};

// Show the statistics window (viewer started afterwards) and the export
// window modally.
void ShowStatisticsWindow(const std::filesystem::path& program_folder);
void ShowExportCasesWindow();

}  // namespace zanvoro
