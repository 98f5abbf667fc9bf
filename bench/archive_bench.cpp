// Archiving resolved cases that is killed at random points and run again
// until it is done, one figure per line as "name: value unit".
//
// A throw-away profile gets a new helpdesk whose Resolved folder holds N
// cases (default 5000) with a log and an attachment each, closed over two
// months. Each run is a child process that archives the first month and is
// killed at a random store step (a copy or a deletion, inside its
// transaction); runs repeat until one finishes. Then every case must be in
// the archive (closed in the month) or in Resolved (otherwise) exactly once,
// with its subject, log, closing date and attachment as before; the bench
// exits 1 when one is not.
// Usage: archive_bench [--cases N] [--dir DIR]
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
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
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/StoreBackend.h"
#include "host/ui/Renderer.h"
#include "host/ui/ScriptedRenderer.h"
#include "periphery/ArchiveCases.h"
#include "runtime/Error.h"
#include "settings/SettingsSteps.h"

using namespace zanvoro;
using bench::Clock;
using bench::CpuSeconds;
using bench::Seconds;

namespace {

// What must survive the move, by case number; `seen` counts each number.
void Collect(const std::shared_ptr<host::MAPIFolder>& folder,
             std::map<std::string, std::string>& found,
             std::map<std::string, int>& seen) {
  auto items = folder->Items();
  for (int32_t i = 1; i <= items->Count(); ++i) {
    auto item = items->Item(i);
    std::string number = ReadItemText(*item, caseprop::kCaseNumber);
    std::string file =
        item->Attachments().Count() ? item->Attachments().Item(1)->Bytes() : "";
    found[number] = item->Subject() + "|" + ReadItemText(*item, caseprop::kLog) + "|" +
                    ReadItemText(*item, caseprop::kDateClosedS) + "|" + file;
    ++seen[number];
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
  auto resolved = GetResolvedFolder();
  if (!resolved) throw Error(err::kCallFailed, "the helpdesk has no Resolved folder");

  for (int n = 1; n <= count; ++n) {
    auto item = resolved->Items()->Add(kClosedCaseMessageClass);
    std::string number = std::to_string(n);
    item->SetSubject("[" + number + "] Printer on floor " + std::to_string(n % 9));
    WriteItemProperty(*item, caseprop::kCaseNumber, Variant(number), VarType::String);
    WriteItemProperty(*item, caseprop::kClosed, Variant("1"), VarType::String);
    WriteCaseDate(*item, Date(DateSerial(2026, 3, 1).Serial() + n % 61 + 0.4),
                  caseprop::kDateClosed, caseprop::kDateClosedLong,
                  caseprop::kDateClosedS);
    WriteItemProperty(*item, caseprop::kLog,
                      Variant("<Logs><Data><ID>1</ID><Description>Closed " + number +
                              "</Description></Data></Logs>"),
                      VarType::String);
    item->Attachments().AddBytes("screenshot.png", std::string(2048, char('a' + n % 26)));
    item->Save();
  }
  std::map<std::string, std::string> before;
  std::map<std::string, int> ignored;
  Collect(resolved, before, ignored);

  ArchivePeriod march{.Filter = kBetween,
                      .Start = DateSerial(2026, 3, 1),
                      .End = DateSerial(2026, 3, 31)};
  const std::filesystem::path archive = dir / "archive.zdb";
  std::mt19937 random(5000);
  int runs = 0;
  int killed = 0;
  Clock::time_point start = Clock::now();
  for (;; ++runs) {
    if (runs > 1000) throw Error(err::kCallFailed, "the archive never finished");
    int kill_at = std::uniform_int_distribution<int>(1, 4 * count / 10)(random);
    pid_t child = fork();
    if (child < 0) throw Error(err::kCallFailed, "fork failed");
    if (child == 0) {
      int step = 0;
      host::SetStoreStepHookForTesting([&](std::string_view at) {
        if ((at == "save:item" || at == "delete:item") && ++step == kill_at) _exit(3);
      });
      auto target = ArchiveTargetFolder(OpenArchiveStore(archive, kDefaultArchiveName),
                                        kDefaultArchiveFolder, DateSubFolder::Yes, march);
      ArchiveReport report = MoveCasesToArchive(ListCasesToArchive(march), target);
      _exit(target && report.Failed == 0 ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
      throw Error(err::kCallFailed, "the archive run ended abnormally");
    if (WEXITSTATUS(status) == 0) break;
    if (WEXITSTATUS(status) != 3) throw Error(err::kCallFailed, "an archive run failed");
    ++killed;
  }
  double elapsed = Seconds(Clock::now() - start);

  auto target = ArchiveTargetFolder(OpenArchiveStore(archive, kDefaultArchiveName),
                                    kDefaultArchiveFolder, DateSubFolder::Yes, march);
  std::map<std::string, std::string> archived, live;
  std::map<std::string, int> seen;
  Collect(target, archived, seen);
  Collect(resolved, live, seen);
  int wrong = 0;
  for (const auto& [number, signature] : before) {
    bool in_march = (std::stoi(number) % 61) < 31;
    auto& where = in_march ? archived : live;
    if (seen[number] != 1 || where[number] != signature) ++wrong;
  }
  if (seen.size() != before.size()) ++wrong;
  std::printf("cases: %d\n", count);
  std::printf("archived: %zu\n", archived.size());
  std::printf("left_in_resolved: %zu\n", live.size());
  std::printf("runs: %d\n", runs + 1);
  std::printf("killed_runs: %d\n", killed);
  std::printf("all_runs: %.2f s\n", elapsed);
  std::printf("cases_wrong: %d\n", wrong);
  return wrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return bench::BenchMain(argc, argv, "archive_bench", "cases", 5000, Run);
}
