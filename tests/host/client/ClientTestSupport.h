// A mail-client session on a throw-away profile, with the scripted renderer
// current: what the client, error-report and add-in tests start from.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "host/client/Application.h"
#include "host/os/EventLoop.h"
#include "host/os/Profile.h"
#include "host/os/TempDir.h"
#include "host/ui/Renderer.h"
#include "host/ui/ScriptedRenderer.h"
#include "runtime/Error.h"

namespace zanvoro::host::testsupport {

class ClientTest : public ::testing::Test {
 protected:
  ClientTest()
      : no_hive_override_("ZANVORO_HIVE", nullptr),
        documents_("XDG_DOCUMENTS_DIR", (dir_.Path() / "Documents").c_str()),
        renderer_(std::make_shared<ScriptedRenderer>()),
        scoped_renderer_(renderer_) {}

  // The profile of the session: a mailbox store and a hive in the temporary
  // folder, and the client version `version`.
  Profile TestProfile(const std::string& version = "16.0") {
    Profile profile = Profile::Default(dir_.Path() / "profile");
    profile.user_name = "Ann Smith";
    profile.smtp_address = "ann@example.com";
    profile.stores.front().display_name = "Mailbox - Ann Smith";
    profile.host_version = version;
    std::filesystem::create_directories(profile.folder);
    return profile;
  }
  std::shared_ptr<Application> MakeApplication(const std::string& version = "16.0") {
    return std::make_shared<Application>(TestProfile(version), &loop_);
  }

  ScriptedRenderer& Renderer() { return *renderer_; }
  // The last showing of the form `name` (refreshes of it not counted).
  const Shown* LastShown(std::string_view name, ShownKind kind = ShownKind::Form) const {
    const auto& transcript = renderer_->Transcript();
    for (auto it = transcript.rbegin(); it != transcript.rend(); ++it) {
      if (it->name == name && it->kind == kind) return &*it;
    }
    return nullptr;
  }
  int CountShown(std::string_view name, ShownKind kind = ShownKind::Form) const {
    int count = 0;
    for (const Shown& shown : renderer_->Transcript()) {
      if (shown.name == name && shown.kind == kind) ++count;
    }
    return count;
  }

  TempDir dir_;
  ScopedEnv no_hive_override_;
  ScopedEnv documents_;
  EventLoop loop_;
  std::shared_ptr<ScriptedRenderer> renderer_;
  ScopedRenderer scoped_renderer_;
};

// Expects `body` to raise a zanvoro::Error with `number`; returns it.
template <class F>
Error ExpectError(int32_t number, F&& body) {
  try {
    body();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), number) << e.Description();
    return e;
  }
  ADD_FAILURE() << "expected error " << number;
  return Error(0, "");
}

}  // namespace zanvoro::host::testsupport
