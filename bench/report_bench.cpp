// The helpdesk reports and the reporting database over many cases, one
// figure per line as "name: value unit".
//
// A throw-away profile gets a new helpdesk holding N cases (default
// 100000), half ongoing and half resolved, created over this year with
// every reporting field filled. Then each report kind runs over "This
// Year" (every case) and "Last Month" with the default fields, the cost
// and two durations (query, rows, totals, charts and HTML), after a first
// search that builds the store's property indexes; Cases Created runs once
// more over "This Year" with the four dates as columns too. Then the cases
// are exported into a fresh reporting database; the bench prints the time
// of each and the export rate, and exits 1 when a report or the export
// lists fewer cases than it should.
// Usage: report_bench [--cases N] [--dir DIR]
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "addin/ZFO_M.h"
#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/NewHelpdesk.h"
#include "case/cCase.h"
#include "connection/LaterSteps.h"
#include "host/client/Application.h"
#include "host/os/EventLoop.h"
#include "host/os/Profile.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/WriteBatch.h"
#include "host/ui/Renderer.h"
#include "host/ui/ScriptedRenderer.h"
#include "reports/HelpdeskReport.h"
#include "reports/ReportingDatabase.h"
#include "runtime/Error.h"
#include "settings/SettingsSteps.h"

using namespace zanvoro;
using bench::Clock;
using bench::CpuSeconds;
using bench::Seconds;

namespace {

void AddCases(const std::shared_ptr<host::NameSpace>& session, int count, Date now) {
  auto ongoing = GetOngoingFolder();
  auto resolved = GetResolvedFolder();
  if (!ongoing || !resolved)
    throw Error(err::kCallFailed, "the helpdesk has no case folders");
  const double year_start = DateSerial(Year(now), 1, 1).Serial();
  // Closed at most five days after creation, never after today.
  const double span = std::max(1.0, now.Serial() - year_start - 6);
  constexpr int kBatch = 2000;
  for (int first = 1; first <= count; first += kBatch) {
    host::WriteBatch batch(session.get());
    for (int n = first; n < first + kBatch && n <= count; ++n) {
      const bool closed = n % 2 == 0;
      auto item = (closed ? resolved : ongoing)
                      ->Items()
                      ->Add(closed ? kClosedCaseMessageClass : kCaseMessageClass);
      const std::string number = std::to_string(n);
      auto text = [&](const char* name, const std::string& value) {
        WriteItemProperty(*item, name, Variant(value), VarType::String);
      };
      item->SetSubject("[" + number + "] Printer on floor " + std::to_string(n % 9));
      text(caseprop::kCaseNumber, number);
      text(caseprop::kClosed, closed ? "1" : "0");
      text(caseprop::kProblemCategory, "Category " + std::to_string(n % 12));
      text(caseprop::kProblemType, "Type " + std::to_string(n % 40));
      text(caseprop::kCallerName, "Caller " + std::to_string(n % 3000));
      text(caseprop::kCallerEmail, "caller" + std::to_string(n % 3000) + "@example.com");
      text(caseprop::kCallerCompany, "Company " + std::to_string(n % 300));
      text(caseprop::kCallerDepartment, "Department " + std::to_string(n % 20));
      text(caseprop::kTechnicians, "Tech " + std::to_string(n % 15) + "/Tech 99");
      text(caseprop::kOrigin, n % 3 ? "Email" : "Phone");
      text(caseprop::kStatus, closed ? "Closed" : "In progress");
      text(caseprop::kAuthor, "Tech " + std::to_string(n % 15));
      text(caseprop::kServiceLevel, "Gold");
      text(caseprop::kAssetName, "PC-" + std::to_string(n % 5000));
      text("Case.CustomField1", "Value " + std::to_string(n % 17));
      WriteItemProperty(*item, caseprop::kTimeSpent, Variant(n % 240), VarType::Long);
      const Date created = Date(year_start + (n % 997) / 997.0 * span + 0.3);
      WriteCaseDate(*item, created, caseprop::kDateCreated, caseprop::kDateCreatedLong,
                    caseprop::kDateCreatedS);
      WriteCaseDate(*item, Date(created.Serial() - 0.01), caseprop::kReceivedDate, "",
                    caseprop::kReceivedDateS);
      WriteCaseDueDate(*item, Date(created.Serial() + 2));
      if (closed)
        WriteCaseDate(*item, Date(created.Serial() + (n % 120) / 24.0),
                      caseprop::kDateClosed, caseprop::kDateClosedLong,
                      caseprop::kDateClosedS);
      item->Save();
    }
  }
}

int Run(const std::filesystem::path& dir, int count) {
  host::Profile profile = bench::NewBenchHelpdesk(dir);

  auto renderer = std::make_shared<host::ScriptedRenderer>();
  host::ScopedRenderer scoped_renderer(renderer);
  host::EventLoop loop;
  auto application = std::make_shared<host::Application>(profile, &loop);
  LaterSteps steps;
  AddHelpdeskFolderSteps(steps);
  InstallSettingsSteps(steps);
  ZFO_M addin(std::move(steps), AddinEnvironment{{}, dir / "programs"});
  addin.AddinInstance_OnConnection(application, ConnectMode::Startup);
  addin.AddinInstance_OnStartupComplete();

  const Date now = Now();
  Clock::time_point start = Clock::now();
  AddCases(application->GetNamespace("MAPI"), count, now);
  std::printf("cases: %d\n", count);
  std::printf("build_helpdesk: %.1f s\n", Seconds(Clock::now() - start));

  ReportChoices choices;
  choices.Period = TimePeriod::ThisYear;
  choices.Fields = {
      "Case Number", "Subject",    "Caller Name",          "Technicians",
      "Time Spent",  "Total Cost", "Open Duration (Mins)", "Resolution Duration (Hrs)"};
  int wrong = 0;
  const size_t expected[] = {static_cast<size_t>(count), static_cast<size_t>(count / 2),
                             static_cast<size_t>(count - count / 2),
                             static_cast<size_t>(count), 0};
  // The first search on a property builds its index, once per store.
  start = Clock::now();
  ReportChoices warm = choices;
  warm.Period = TimePeriod::Today;
  for (int k = 0; k < kReportKindCount; ++k)
    RunReportSection(static_cast<ReportKind>(k), warm, now);
  std::printf("first_search_indexes: %.2f s\n", Seconds(Clock::now() - start));
  for (TimePeriod period : {TimePeriod::ThisYear, TimePeriod::LastMonth}) {
    choices.Period = period;
    const char* name = period == TimePeriod::ThisYear ? "year" : "last_month";
    for (int k = 0; k < kReportKindCount; ++k) {
      const ReportKind kind = static_cast<ReportKind>(k);
      // A profile (see bench::Profiling) shows the largest report.
      const bool profiled =
          kind == ReportKind::CasesCreated && period == TimePeriod::ThisYear;
      if (profiled) bench::Profiling(true);
      start = Clock::now();
      const double cpu = CpuSeconds();
      ReportTable table = RunReportSection(kind, choices, now);
      const double query = Seconds(Clock::now() - start);
      std::string html = ReportSectionHtml(table);
      if (profiled) bench::Profiling(false);
      std::printf("report_%s_%s: %.3f s (cpu %.3f s, table %.3f s, %zu rows, %.1f MB of HTML)\n",
                  ReportKindKey(kind), name, Seconds(Clock::now() - start),
                  CpuSeconds() - cpu, query, table.Rows.size(),
                  static_cast<double>(html.size()) / 1e6);
      // This year: every case (Cases Due: the open ones due by now, a part).
      if (period == TimePeriod::ThisYear &&
          (kind == ReportKind::CasesDue ? table.Rows.empty()
                                        : table.Rows.size() != expected[k]))
        ++wrong;
    }
  }

  // The same year of created cases with the four dates as columns too: a
  // date written into every cell.
  {
    ReportChoices dated = choices;
    dated.Period = TimePeriod::ThisYear;
    dated.Fields.insert(dated.Fields.end(),
                        {"Date Created", "Date Due", "Date Closed", "Request Received"});
    start = Clock::now();
    const double cpu = CpuSeconds();
    ReportTable table = RunReportSection(ReportKind::CasesCreated, dated, now);
    const double query = Seconds(Clock::now() - start);
    std::string html = ReportSectionHtml(table);
    std::printf(
        "report_CasesCreated_year_dates: %.3f s (cpu %.3f s, table %.3f s, %zu rows, "
        "%.1f MB of HTML)\n",
        Seconds(Clock::now() - start), CpuSeconds() - cpu, query, table.Rows.size(),
        static_cast<double>(html.size()) / 1e6);
    if (table.Rows.size() != static_cast<size_t>(count)) ++wrong;
  }

  const std::string location = (dir / kReportingDatabaseName).string();
  start = Clock::now();
  double cpu = CpuSeconds();
  std::vector<CaseDataRecord> open = CollectCaseData(CaseFolder::Ongoing, now);
  std::vector<CaseDataRecord> closed = CollectCaseData(CaseFolder::Resolved, now);
  const double read = Seconds(Clock::now() - start);
  const double read_cpu = CpuSeconds() - cpu;
  start = Clock::now();
  cpu = CpuSeconds();
  bool ok = ExportCaseData(location, open, Rebuild::Yes) &&
            ExportCaseData(location, closed, Rebuild::No);
  const double write = Seconds(Clock::now() - start);
  const double write_cpu = CpuSeconds() - cpu;
  const size_t rows = open.size() + closed.size();
  std::printf("export_read: %.2f s (cpu %.2f s, %.0f cases/s)\n", read, read_cpu,
              rows / read);
  std::printf("export_write: %.2f s (cpu %.2f s, %.0f cases/s)\n", write, write_cpu,
              rows / write);
  std::printf("export_total: %.2f s (cpu %.2f s, %.0f cases/s)\n", read + write,
              read_cpu + write_cpu, rows / (read + write));
  if (!ok || rows != static_cast<size_t>(count)) ++wrong;
  std::printf("wrong: %d\n", wrong);
  return wrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return bench::BenchMain(argc, argv, "report_bench", "cases", 100000, Run);
}
