// The settings database with a large caller list, one figure per line as
// "name: value unit": writing N callers (default 2000) into an empty table,
// writing them again with one changed (every row updated in place), reading
// them back, and advancing the case counter 500 times, each advance a
// transaction of its own as case numbering makes it.
// Usage: settings_db_bench [--callers N] [--dir DIR] [--server ADDRESS]
// (a "postgresql://" address of an empty database; a file in DIR without).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "host/db/Soci.h"
#include "host/db/SqlSession.h"
#include "settings/SettingsDatabase.h"
#include "settings/SettingsDatabaseStore.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::bench {
namespace {

constexpr int kAdvances = 500;

int Run(const std::string& location, int callers) {
  {
    auto session = host::db::OpenSession(location);
    CreateSettingsTables(*session, location);
  }
  SettingsDatabaseStore store(location);
  cGlobalSettings settings;
  for (int i = 0; i < callers; ++i) {
    cCaller caller;
    caller.Email = "caller" + std::to_string(i) + "@example.com";
    caller.Name = "Caller " + std::to_string(i);
    caller.Company = "Company " + std::to_string(i % 50);
    caller.Address = "Street " + std::to_string(i) + "; Town";
    settings.Callers.Add(std::move(caller));
  }
  const SettingsList lists[] = {SettingsList::Callers};

  auto start = Clock::now();
  store.WriteLists(settings, lists);
  double insert = Seconds(Clock::now() - start);

  settings.Callers.Find("caller7@example.com")->Phone = "555-7";
  start = Clock::now();
  store.WriteLists(settings, lists);
  double update = Seconds(Clock::now() - start);

  cGlobalSettings reader;
  start = Clock::now();
  store.ReadLists(reader, lists);
  double read = Seconds(Clock::now() - start);
  if (reader.Callers.Count() != static_cast<size_t>(callers) ||
      reader.Callers.Find("caller7@example.com")->Phone != "555-7") {
    std::fprintf(stderr, "settings_db_bench: the callers read back differ\n");
    return 1;
  }

  start = Clock::now();
  for (int i = 0; i < kAdvances; ++i) store.AdvanceCounter(settings, "CaseNumber");
  double advance = Seconds(Clock::now() - start);

  std::printf(
      "backend: %s\n",
      host::db::BackendOf(location) == host::db::SqlBackend::Sqlite ? "file" : "server");
  std::printf("callers: %d\n", callers);
  std::printf("write_new_callers: %.1f ms\n", insert * 1000);
  std::printf("write_changed_callers: %.1f ms\n", update * 1000);
  std::printf("read_callers: %.1f ms\n", read * 1000);
  std::printf("advance_counter: %.2f ms each\n", advance * 1000 / kAdvances);
  return 0;
}

}  // namespace
}  // namespace zanvoro::bench

int main(int argc, char** argv) {
  std::string server;
  for (int i = 1; i + 1 < argc; ++i) {
    if (!std::strcmp(argv[i], "--server")) server = argv[i + 1];
  }
  return zanvoro::bench::BenchMain(
      argc, argv, "settings_db_bench", "callers", 2000,
      [&](const std::filesystem::path& dir, int callers) {
        return zanvoro::bench::Run(
            server.empty() ? (dir / zanvoro::kSettingsDatabaseFile).string() : server,
            callers);
      });
}
