// Shared pieces of the store tests: a unique temporary folder per test and
// sessions on stores in it, as files or (the suites parametrized with
// StoreBackends) as databases of the test run's PostgreSQL server.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/db/TestServer.h"
#include "host/os/EventLoop.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Store.h"
#include "runtime/Error.h"

namespace zanvoro::host::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zanvoro-store-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline UserInfo Ann() { return UserInfo{"Ann Smith", "ann@example.com"}; }
inline UserInfo Bob() { return UserInfo{"Bob Jones", "bob@example.com"}; }

enum class Backend { File, Server };

// A test with a temporary folder, an event loop and Ann's mailbox. On the
// server each store name is a database of its own; without a server
// running such a test skips.
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (backend_ == Backend::Server &&
        testsupport::TestServerDatabase::LocationOf("postgres").empty())
      GTEST_SKIP() << "no PostgreSQL server for this run";
  }

  // Where the store called `name` lives: a file of the temporary folder, or
  // a new database on the server (the same one for the same name).
  std::string Location(const std::string& name) {
    if (backend_ == Backend::File) return dir_.File(name);
    auto& database = databases_[name];
    if (!database) database = std::make_unique<testsupport::TestServerDatabase>();
    return database->Location();
  }
  std::string MailboxPath() { return Location("ann.db"); }
  std::string SharedPath() { return Location("shared.db"); }

  std::unique_ptr<NameSpace> OpenAnn() {
    return std::make_unique<NameSpace>(
        Ann(), &loop_,
        std::vector<StoreSpec>{
            {MailboxPath(), "Mailbox - Ann Smith", StoreKind::Mailbox}});
  }
  // Ann (the shared store's creator) and then anyone else on the same store.
  std::unique_ptr<NameSpace> OpenShared(const UserInfo& user) {
    return std::make_unique<NameSpace>(
        user, &loop_,
        std::vector<StoreSpec>{{SharedPath(), "Helpdesk", StoreKind::Shared}});
  }

  // Runs the loop until `done` or two seconds passed.
  bool RunUntil(const std::function<bool()>& done) {
    return loop_.RunUntil(done, std::chrono::milliseconds(2000));
  }

  Backend backend_ = Backend::File;
  TempDir dir_;
  EventLoop loop_;
  // Dropped after the sessions of the test (members of the test's class).
  std::map<std::string, std::unique_ptr<testsupport::TestServerDatabase>> databases_;
};

// A suite run on both kinds of store:
//   TEST_P(Suite, Case) { ... }
//   INSTANTIATE_TEST_SUITE_P(Stores, Suite, StoreBackends(), BackendName);
template <class Base = StoreTest>
class BothBackends : public Base, public ::testing::WithParamInterface<Backend> {
 protected:
  BothBackends() { this->backend_ = GetParam(); }
};

inline void PrintTo(Backend backend, std::ostream* out) {
  *out << (backend == Backend::File ? "a store file" : "a store database");
}
inline auto StoreBackends() { return ::testing::Values(Backend::File, Backend::Server); }
inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::File ? "File" : "Server";
}

// Expects `body` to raise a zanvoro::Error with `number`.
template <class F>
void ExpectError(int32_t number, F&& body) {
  try {
    body();
    ADD_FAILURE() << "expected error " << number;
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), number) << e.Description();
  }
}

}  // namespace zanvoro::host::testing
