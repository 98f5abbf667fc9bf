#include <gtest/gtest.h>

#include "host/os/System.h"
#include "host/os/TempDir.h"

namespace zanvoro::host {
namespace {

using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(System, DocumentsFolderComesFromTheEnvironmentElseTheUserDirsFile) {
  struct {
    const char* file;  // nullptr: no file
    const char* expected;
  } cases[] = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/home/zv/Dokumente"},
      {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  "
       "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n",
       "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Files\\\"\"\n", "/home/zv/My \"Files\""},
      {"XDG_DOCUMENTS_DIR=\"relative/docs\"\n", "/home/zv/Documents"},
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n", "/home/zv/Documents"},
      {"", "/home/zv/Documents"},
      {nullptr, "/home/zv/Documents"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "(no file)");
    TempDir config;
    if (c.file) WriteFile(config / "user-dirs.dirs", c.file);
    ScopedEnv home("HOME", "/home/zv");
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path().c_str());
    ScopedEnv documents("XDG_DOCUMENTS_DIR", nullptr);
    EXPECT_EQ(DocumentsFolder(), c.expected);
    ScopedEnv from_environment("XDG_DOCUMENTS_DIR", "$HOME/FromEnv");
    EXPECT_EQ(DocumentsFolder(), "/home/zv/FromEnv") << "the environment wins";
  }
}

TEST(System, ConfigFolderIgnoresARelativeXdgConfigHome) {
  ScopedEnv home("HOME", "/home/zv");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/etc/zv-config");
    EXPECT_EQ(ConfigFolder(), "/etc/zv-config");
  }
  for (const char* value : {"relative/config", ""}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", value);
    EXPECT_EQ(ConfigFolder(), "/home/zv/.config");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(ConfigFolder(), "/home/zv/.config");
}

TEST(System, ProgramFolderHoldsTheRunningProgram) {
  EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "host_os_test"));
}

}  // namespace
}  // namespace zanvoro::host
