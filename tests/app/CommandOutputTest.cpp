// What every command shares: the profile it works on and the output a
// script reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CommandTestSupport.h"

namespace zanvoro {
namespace {

namespace fs = std::filesystem;

class CommandOutput : public testsupport::CommandTest {};

TEST_F(CommandOutput, AReadingCommandOnAMissingProfileFailsAndCreatesNothing) {
  const fs::path missing = dir_.Path() / "typo";
  for (const char* command : {"case", "profile", "hive"}) {
    std::vector<const char*> argv = {"zanvoro", "--profile", missing.c_str(), command};
    if (std::string(command) == "case") argv.push_back("list");
    if (std::string(command) == "profile") argv.push_back("show");
    if (std::string(command) == "hive")
      argv.insert(argv.end(), {"get", "Software\\Pellworth\\VNH", "DefLang"});
    EXPECT_NE(app::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out_, err_),
              0)
        << command;
    EXPECT_NE(err_.str().find("there is no profile"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(missing)) << command;
  }
  // Writing commands make the profile they need.
  std::vector<const char*> set = {"zanvoro", "--profile", missing.c_str(),
                                  "hive",    "set",       "Software\\Pellworth\\VNH",
                                  "DefLang", "1"};
  EXPECT_EQ(app::RunCommandLine(static_cast<int>(set.size()), set.data(), out_, err_), 0)
      << err_.str();
  EXPECT_TRUE(fs::exists(missing / "profile.json"));
}

TEST_F(CommandOutput, ACommandPrintsOnlyWhatItWasAskedForAlsoWhenItFails) {
  MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
  ASSERT_EQ(Run({"case", "list"}), 0) << err_.str();
  EXPECT_EQ(err_.str(), "");
  // A failing command tells what the helpdesk said, not the windows it had.
  EXPECT_NE(Run({"case", "show", "999"}), 0);
  EXPECT_NE(err_.str(), "");
  EXPECT_EQ(err_.str().find("[Explorer]"), std::string::npos) << err_.str();
}

TEST_F(CommandOutput, TheManagerMenuAndOneCommandRunFromTheShell) {
  MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
  host::testsupport::ScopedEnv nobody("ZANVORO_UI", "scripted");
  ASSERT_EQ(Run({"manage"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("1. Helpdesk Settings Data Source (cmdDatabaseSettings)"),
            std::string::npos)
      << out_.str();
  EXPECT_NE(out_.str().find("33. Reset Connection (cmdResetConnection)"),
            std::string::npos);
  ASSERT_EQ(Run({"command", "cmdNoSuchCommand"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("cmdNoSuchCommand - Not Implemented"), std::string::npos);
  ASSERT_EQ(Run({"command", "cmdResponsibles"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("== Technicians List [frmManagerList] =="), std::string::npos)
      << out_.str();
}

}  // namespace
}  // namespace zanvoro
