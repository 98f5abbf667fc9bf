#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "case/NewHelpdesk.h"
#include "host/client/ClientTestSupport.h"
#include "host/os/Hive.h"
#include "host/os/Profile.h"
#include "host/os/TempDir.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Store.h"
#include "host/store/UserProperties.h"
#include "runtime/Error.h"
#include "settings/SettingsFolderStore.h"

namespace zanvoro {
namespace {

using host::testsupport::ExpectError;
using host::testsupport::ReadFile;
using host::testsupport::ScopedEnv;
using host::testsupport::TempDir;

class NewHelpdeskTest : public ::testing::Test {
 protected:
  NewHelpdeskTest() : no_hive_override_("ZANVORO_HIVE", nullptr) {
    host::Profile profile = host::Profile::Default(dir_.Path() / "profile");
    profile.user_name = "Admin";
    profile.smtp_address = "admin@example.com";
    std::filesystem::create_directories(profile.folder);
    profile.Save();
    options_.profile_folder = profile.folder;
    options_.store_path = dir_.Path() / "helpdesk.zdb";
  }
  ~NewHelpdeskTest() override { ForgetHelpdeskFolders(); }

  std::unique_ptr<host::NameSpace> Open() {
    return std::make_unique<host::NameSpace>(
        host::UserInfo{"Admin", "admin@example.com"}, nullptr,
        std::vector<host::StoreSpec>{
            host::StoreSpec{options_.store_path.string(), "", host::StoreKind::Shared}});
  }
  std::string Hive(const char* name) {
    host::Hive hive(options_.profile_folder / "hive.json");
    return hive.GetValue("Software\\Pellworth\\VNH", name).value_or("");
  }

  TempDir dir_;
  ScopedEnv no_hive_override_;
  NewHelpdeskOptions options_;
};

TEST_F(NewHelpdeskTest, MakesSixMarkedFoldersAndTheSettingsItem) {
  NewHelpdesk made = CreateNewHelpdesk(options_);
  auto session = Open();
  auto root = session->Stores().front()->GetRootFolder();
  EXPECT_EQ(root->Name(), "Zanvoro Helpdesk");
  EXPECT_EQ(made.store_id, session->Stores().front()->StoreID());

  struct {
    const char* name;
    const char* tag;
    host::ItemType type;
  } cases[] = {
      {"Ongoing", kOngoingTag, host::ItemType::Post},
      {"Resolved", kResolvedTag, host::ItemType::Post},
      {"Knowledge base", kKBTag, host::ItemType::Post},
      {"Settings", kSettingsTag, host::ItemType::Post},
      {"History", kHistoryTag, host::ItemType::Mail},
      {"Schedule", kScheduleTag, host::ItemType::Appointment},
  };
  ASSERT_EQ(root->Folders().Count(), 6);
  ASSERT_EQ(made.folders.size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    auto folder = root->Folders().Item(std::string_view(cases[i].name));
    ASSERT_NE(folder, nullptr) << cases[i].name;
    EXPECT_EQ(folder->Description(), GetFolderMarker(cases[i].tag));
    EXPECT_EQ(folder->DefaultItemType(), cases[i].type) << cases[i].name;
    EXPECT_EQ(made.folders[i].EntryID, folder->EntryID());
  }
  EXPECT_EQ(made.settings.OutlookPath, "\\\\Zanvoro Helpdesk\\Settings");

  // The initial settings: the folder is the settings store, every list has
  // its property, the general settings their initial values.
  auto settings = session->GetFolderFromID(made.settings.EntryID);
  auto item = GetOutlookSettingItem(*settings, "ZanvoroSettings", SettingItemMode::Find);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->UserProperties().Count(), 16);
  EXPECT_NE(SettingItemText(*item, "tGeneralSettings").find("sdoAssetField1"),
            std::string::npos);
  EXPECT_NE(GetOutlookSettingItem(*settings, "DBSettings", SettingItemMode::Find),
            nullptr);
  // Nothing is registered unless asked.
  EXPECT_TRUE(made.hive_path.empty());
  EXPECT_EQ(Hive("VNHEntryID"), "");
}

TEST_F(NewHelpdeskTest, RefusesToCreateOverAHelpdeskUnlessForced) {
  NewHelpdesk first = CreateNewHelpdesk(options_);
  {
    auto session = Open();
    // The administrator renamed a folder and filled the settings.
    session->GetFolderFromID(first.folders[0].EntryID)->SetName("Offen");
    auto settings = session->GetFolderFromID(first.settings.EntryID);
    auto item =
        GetOutlookSettingItem(*settings, "ZanvoroSettings", SettingItemMode::Find);
    SetSettingItemText(*item, "tTechnicians", "Ann Smith");
    item->Save();
  }
  Error refused =
      ExpectError(err::kFileAlreadyExists, [&] { CreateNewHelpdesk(options_); });
  EXPECT_NE(refused.Description().find("already exists"), std::string::npos);

  options_.existing = ExistingHelpdesk::Overwrite;
  NewHelpdesk again = CreateNewHelpdesk(options_);
  EXPECT_EQ(again.settings.EntryID, first.settings.EntryID);
  EXPECT_EQ(again.folders[0].EntryID, first.folders[0].EntryID);
  EXPECT_EQ(again.folders[0].Name, "Offen");
  auto session = Open();
  EXPECT_EQ(session->Stores().front()->GetRootFolder()->Folders().Count(), 6);
  // The settings made the first time stay as they were.
  auto settings = session->GetFolderFromID(first.settings.EntryID);
  auto item = GetOutlookSettingItem(*settings, "ZanvoroSettings", SettingItemMode::Find);
  EXPECT_EQ(SettingItemText(*item, "tTechnicians"), "Ann Smith");
}

TEST_F(NewHelpdeskTest, SeveralHelpdesksShareAStoreUnderTheirOwnParents) {
  options_.parent_path = "Teams\\First";
  NewHelpdesk first = CreateNewHelpdesk(options_);
  options_.parent_path = "\\\\Zanvoro Helpdesk\\Teams\\Second";
  NewHelpdesk second = CreateNewHelpdesk(options_);
  EXPECT_EQ(first.settings.OutlookPath, "\\\\Zanvoro Helpdesk\\Teams\\First\\Settings");
  EXPECT_EQ(second.settings.OutlookPath, "\\\\Zanvoro Helpdesk\\Teams\\Second\\Settings");

  auto session = Open();
  DetectHelpdeskFolders(session->GetFolderFromID(second.settings.EntryID));
  EXPECT_EQ(HelpdeskFolderPath(HelpdeskFolder::Ongoing),
            "\\\\Zanvoro Helpdesk\\Teams\\Second\\Ongoing");

  options_.parent_path = "\\\\Another Store\\Team";
  ExpectError(err::kPathNotFound, [&] { CreateNewHelpdesk(options_); });
}

TEST_F(NewHelpdeskTest, RegistrationMakesItTheUsersHelpdesk) {
  options_.registration = Registration::ForUser;
  NewHelpdesk made = CreateNewHelpdesk(options_);
  EXPECT_EQ(made.hive_path, options_.profile_folder / "hive.json");
  EXPECT_EQ(Hive("VNHEntryID"), made.settings.EntryID);
  EXPECT_EQ(Hive("VNHStoreID"), made.store_id);
  EXPECT_EQ(Hive("VNHOutlookPath"), "\\\\Zanvoro Helpdesk\\Settings");
  EXPECT_EQ(Hive("VNHName"), "Settings");

  options_.existing = ExistingHelpdesk::Overwrite;
  CreateNewHelpdesk(options_);
  host::Profile profile = host::Profile::Load(options_.profile_folder);
  int listed = 0;
  for (const host::StoreLocation& location : profile.stores) {
    if (location.path == options_.store_path) {
      ++listed;
      EXPECT_EQ(location.role, host::StoreRole::Shared);
    }
  }
  EXPECT_EQ(listed, 1);
}

TEST_F(NewHelpdeskTest, ProgramCreatesAndRegistersOnAProfile) {
  std::filesystem::path out = dir_.Path() / "out.txt";
  std::filesystem::path err = dir_.Path() / "err.txt";
  auto run = [&](const std::string& extra) {
    std::string command = std::string("'") + ZANVORO_CONFIGURE_PROGRAM + "' --profile '" +
                          options_.profile_folder.string() + "' --store '" +
                          options_.store_path.string() + "' --name 'Team Desk'" + extra +
                          " >'" + out.string() + "' 2>'" + err.string() + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };

  ASSERT_EQ(run(" --register"), 0) << ReadFile(err);
  std::string printed = ReadFile(out);
  EXPECT_NE(printed.find("Store: " + options_.store_path.string()), std::string::npos);
  EXPECT_NE(printed.find("Settings folder: \\\\Team Desk\\Settings"), std::string::npos)
      << printed;
  EXPECT_NE(printed.find("Settings entry ID: " + Hive("VNHEntryID")), std::string::npos);
  EXPECT_NE(printed.find("Store ID: " + Hive("VNHStoreID")), std::string::npos);
  EXPECT_FALSE(Hive("VNHEntryID").empty());

  EXPECT_EQ(run(""), 1);
  EXPECT_NE(ReadFile(err).find("already exists"), std::string::npos);
  EXPECT_EQ(run(" --force"), 0) << ReadFile(err);
}

}  // namespace
}  // namespace zanvoro
