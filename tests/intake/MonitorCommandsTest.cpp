#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/CommandTestSupport.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"

namespace zanvoro {
namespace {

// `zanvoro monitor ...` on a helpdesk of the profile's user, with a folder
// "Support" in the user's mailbox.
class MonitorCommands : public testsupport::CommandTest {
 protected:
  MonitorCommands() {
    NewHelpdesk made = MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
    auto session = host::OpenSession(profile_, nullptr);
    support_path_ = session->GetDefaultFolder(host::DefaultFolder::Inbox)
                        ->Folders()
                        .Add("Support")
                        ->FolderPath();
    ongoing_path_ = session->GetFolderFromID(made.folders[0].EntryID)->FolderPath();
  }

  std::string support_path_;
  std::string ongoing_path_;
};

TEST_F(MonitorCommands, AddedFolderIsListedWithItsModeUntilRemoved) {
  ASSERT_EQ(Run({"monitor", "add", support_path_, "--mode", "update", "--category",
                 "Hardware"}),
            0)
      << err_.str();
  ASSERT_EQ(Run({"monitor", "list"}), 0) << err_.str();
  EXPECT_NE(out_.str().find(support_path_ + "\tactive 1\tmode Update\tkey "),
            std::string::npos)
      << out_.str();
  ASSERT_EQ(Run({"monitor", "remove", support_path_}), 0) << err_.str();
  ASSERT_EQ(Run({"monitor", "list"}), 0);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(MonitorCommands, RefusesWhatCannotBeMonitored) {
  ASSERT_EQ(Run({"monitor", "add", support_path_}), 0) << err_.str();
  struct {
    std::vector<std::string> words;
    std::string error;
  } cases[] = {
      {{"monitor", "add", support_path_},
       "The Folder/Mailbox '" + support_path_ + "' is already monitored!"},
      {{"monitor", "add", ongoing_path_},
       "Monitoring of Zanvoro subfolder is not supported!"},
      {{"monitor", "add", ongoing_path_ + "\\Unprocessed"}, "is not found"},
      {{"monitor", "add", "\\\\Mailbox - Ann Smith\\Nowhere"}, "is not found"},
      {{"monitor", "add", "Sales|x|y"}, "cannot hold \"|\""},
      {{"monitor", "remove", "\\\\Mailbox - Ann Smith\\Nowhere"},
       "is not a monitored folder or mailbox"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.words), 1) << c.words.back();
    EXPECT_NE(err_.str().find(c.error), std::string::npos) << err_.str();
  }
  EXPECT_EQ(Run({"monitor", "add", "Ann Smith", "--mode", "Sometimes"}), 1);
  EXPECT_NE(err_.str().find("must be New, Update or Both"), std::string::npos)
      << err_.str();
}

}  // namespace
}  // namespace zanvoro
