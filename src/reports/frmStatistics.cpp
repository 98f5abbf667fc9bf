#include "reports/frmStatistics.h"

#include <system_error>
#include <utility>

#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/os/EventLoop.h"
#include "host/os/Processes.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Frame.h"
#include "host/ui/Label.h"
#include "host/ui/MsgBox.h"
#include "host/ui/OptionButton.h"
#include "host/ui/ProgressBar.h"
#include "runtime/Text.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOptionNames[] = {"optCase0", "optCase1", "optCase2"};

// Lets queued events run, a click on Stop among them.
void YieldToEvents() {
  RunningAddin* addin = ConnectedAddin();
  std::shared_ptr<host::Application> application =
      addin ? addin->HostApplication() : nullptr;
  if (application && application->Loop()) application->Loop()->RunPending();
}

}  // namespace

std::string EncodeParameterFriendly(std::string_view text) {
  return Replace(text, " ", "*_*");
}
std::string DecodeParameterFriendly(std::string_view text) {
  return Replace(text, "*_*", " ");
}

std::string MissingViewerMessage(const fs::path& program_folder,
                                 const fs::path& database) {
  return "The statistics viewer \"" + std::string(kViewerProgram) +
         "\" is not installed in " + program_folder.string() +
         ", so it cannot be started.\r\n\r\nThe cases are in " + database.string() +
         " (table " + kReportingTable +
         ", one row per case). It can be queried with any SQLite client, for example:\r\n"
         "  sqlite3 \"" +
         database.string() +
         "\" \"SELECT ProblemCategory, COUNT(*), AVG(ResolutionDurationHr) FROM tblCases "
         "GROUP BY ProblemCategory\"\r\n\r\nOpen the folder of the database now?";
}

bool StartStatisticsViewer(const fs::path& program_folder, const fs::path& database) {
  return Trap("Statistics.StartViewer", false, [&] {
    fs::path viewer = program_folder / kViewerProgram;
    std::error_code ec;
    if (program_folder.empty() || !fs::is_regular_file(viewer, ec)) {
      if (host::MsgBox(MissingViewerMessage(program_folder, database),
                       host::vbCritical + host::vbYesNo,
                       kApplicationTitle) == host::vbYes) {
        host::OpenWithDesktop(database.parent_path().string());
      }
      return false;
    }
    host::StartProcess(viewer, {EncodeParameterFriendly(database.string())});
    return true;
  });
}

frmStatistics::frmStatistics(StatisticsMode mode, fs::path program_folder,
                             fs::path database)
    : Form("frmStatistics",
           CONST_VIEW_STATISTICS.empty() ? "Statistics" : CONST_VIEW_STATISTICS),
      mode_(mode),
      program_folder_(std::move(program_folder)),
      database_(std::move(database)) {
  Add<host::Label>("lblDescription").SetCaption(CONST_STATISTIC_DESCRIPTION);
  Add<host::Frame>("frameCases").SetCaption(CONST_GENERATE_STATISTICS_FOR);
  const char* captions[] = {"Ongoing cases", "Resolved cases",
                            "Ongoing and resolved cases"};
  for (int i = 0; i < 3; ++i)
    Add<host::OptionButton>(kOptionNames[i], "optCase").SetCaption(captions[i]);
  Add<host::Label>("lblWarning").SetCaption(CONST_STATISTICS_WARNING);
  Add<host::ProgressBar>("pb").SetVisible(false);
  Add<host::CommandButton>("cmdGenerate")
      .SetCaption(mode_ == StatisticsMode::Viewer ? CONST_GENERATE : "Export");
  Get<host::CommandButton>("cmdGenerate").OnClick([this] {
    Trap("Statistics.cmdGenerate", [this] { Generate(); });
  });
  Add<host::CommandButton>("cmdStop").SetCaption("Stop");
  Get<host::CommandButton>("cmdStop").OnClick([this] { stop_ = true; });
  Add<host::CommandButton>("cmdCancel").SetCaption(CONST_CANCEL);
  Get<host::CommandButton>("cmdCancel").OnClick([this] { Unload(); });
  OnLoad([this] {
    Get<host::OptionButton>("optCase2").SetValue(true);
    SetCollecting(false);
  });
}

CaseChoice frmStatistics::Choice() const {
  if (Get<host::OptionButton>("optCase0").Value()) return CaseChoice::Ongoing;
  if (Get<host::OptionButton>("optCase1").Value()) return CaseChoice::Resolved;
  return CaseChoice::Both;
}

void frmStatistics::SetCollecting(bool collecting) {
  Get<host::CommandButton>("cmdStop").SetEnabled(collecting);
  Get<host::CommandButton>("cmdGenerate").SetEnabled(!collecting);
  Get<host::CommandButton>("cmdCancel").SetEnabled(!collecting);
  Get<host::Frame>("frameCases").SetEnabled(!collecting);
  for (const char* name : kOptionNames)
    Get<host::OptionButton>(name).SetEnabled(!collecting);
  Get<host::ProgressBar>("pb").SetVisible(collecting);
  Refresh();
}

void frmStatistics::Generate() {
  const CaseChoice choice = Choice();
  stop_ = false;
  SetCollecting(true);
  auto& bar = Get<host::ProgressBar>("pb");
  int shown = -1;
  result_ = ExportCases(choice, database_.string(), Now(), [&](const ExportStep& step) {
    if (step.Phase == ExportPhase::Reading) {
      bar.SetRange(0, static_cast<double>(step.Total ? step.Total : 1));
      bar.SetValue(static_cast<double>(step.Done));
      if (bar.Percent() != shown) {
        shown = bar.Percent();
        Refresh();
      }
      YieldToEvents();
    }
    return !stop_;
  });
  SetCollecting(false);
  if (result_.Ok) {
    if (mode_ == StatisticsMode::Viewer) {
      StartStatisticsViewer(program_folder_, database_);
    } else {
      host::MsgBox(std::to_string(result_.Rows) + " case(s) were written to " +
                       database_.string() + (result_.Stopped ? " (stopped early)." : "."),
                   host::vbInformation, kApplicationTitle);
    }
  }
  Unload();
}

void ShowStatisticsWindow(const fs::path& program_folder) {
  Trap("Statistics.ShowStatisticsWindow", [&] {
    frmStatistics window(StatisticsMode::Viewer, program_folder);
    window.Show(host::ShowMode::Modal);
  });
}

void ShowExportCasesWindow() {
  Trap("Statistics.ShowExportCasesWindow", [&] {
    frmStatistics window(StatisticsMode::ExportOnly, {});
    window.Show(host::ShowMode::Modal);
  });
}

}  // namespace zanvoro
