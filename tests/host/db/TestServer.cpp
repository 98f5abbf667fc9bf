#include "host/db/TestServer.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <random>

#include "host/db/Soci.h"
#include "host/db/SqlSession.h"

namespace zanvoro::host::testsupport {
namespace {

// The server of this build's test run listens in this folder while it runs.
std::string SocketDir() {
  std::error_code ec;
  if (!std::filesystem::exists(ZANVORO_TEST_PG_DIR "/.s.PGSQL.5432", ec)) return "";
  return ZANVORO_TEST_PG_DIR;
}

}  // namespace

std::string TestServerDatabase::LocationOf(const std::string& database) {
  std::string dir = SocketDir();
  if (dir.empty()) return "";
  return "postgresql://postgres@/" + database + "?host=" + dir;
}

TestServerDatabase::TestServerDatabase() {
  if (SocketDir().empty()) return;
  static std::atomic<int> made{0};
  std::random_device random;
  name_ = "zt_" + std::to_string(getpid()) + "_" + std::to_string(made++) + "_" +
          std::to_string(random() % 100000);
  auto admin = db::OpenSession(LocationOf("postgres"));
  db::Execute(*admin, "CREATE DATABASE " + name_);
  location_ = LocationOf(name_);
}

TestServerDatabase::~TestServerDatabase() {
  if (location_.empty()) return;
  try {
    auto admin = db::OpenSession(LocationOf("postgres"));
    db::Execute(*admin, "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (...) {
    // The server goes with the test run; a database left behind goes with it.
  }
}

}  // namespace zanvoro::host::testsupport
