// Shared pieces of the store tests: a unique temporary folder per test and
// sessions on store files in it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// A test with a temporary folder, an event loop and Ann's mailbox.
class StoreTest : public ::testing::Test {
 protected:
  std::string MailboxPath() const { return dir_.File("ann.db"); }
  std::string SharedPath() const { return dir_.File("shared.db"); }

  std::unique_ptr<NameSpace> OpenAnn() {
    return std::make_unique<NameSpace>(
        Ann(), &loop_,
        std::vector<StoreSpec>{
            {MailboxPath(), "Mailbox - Ann Smith", StoreKind::Mailbox}});
  }
  // Ann (the shared store's creator) and then anyone else on the same files.
  std::unique_ptr<NameSpace> OpenShared(const UserInfo& user) {
    return std::make_unique<NameSpace>(
        user, &loop_,
        std::vector<StoreSpec>{{SharedPath(), "Helpdesk", StoreKind::Shared}});
  }

  // Runs the loop until `done` or two seconds passed.
  bool RunUntil(const std::function<bool()>& done) {
    return loop_.RunUntil(done, std::chrono::milliseconds(2000));
  }

  TempDir dir_;
  EventLoop loop_;
};

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
