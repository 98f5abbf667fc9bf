#include <gtest/gtest.h>

#include "host/os/Profile.h"
#include "host/os/System.h"
#include "host/os/TempDir.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(Profile, AFolderWithoutAProfileGetsTheDefaultOne) {
  TempDir dir;
  std::filesystem::path folder = dir / "new" / "profile";
  Profile profile = Profile::Load(folder);

  EXPECT_TRUE(std::filesystem::exists(folder / "profile.json"));
  EXPECT_EQ(profile.folder, folder);
  EXPECT_EQ(profile.user_name, UserDisplayName());
  EXPECT_EQ(profile.smtp_address, UserName() + "@localhost");
  EXPECT_EQ(profile.hive_path, folder / "hive.json");
  ASSERT_EQ(profile.stores.size(), 1u);
  EXPECT_EQ(profile.stores[0].path, folder / "mailbox.zdb");
  EXPECT_EQ(profile.stores[0].display_name, profile.user_name);
  EXPECT_EQ(profile.stores[0].role, StoreRole::Mailbox);
  EXPECT_EQ(profile.formats.short_date, "M/d/yyyy");
  EXPECT_EQ(profile.formats.long_date, "dddd, MMMM d, yyyy");
  EXPECT_EQ(profile.formats.time, "h:mm:ss tt");
  EXPECT_EQ(profile.host_version, "16.0");
}

TEST(Profile, ReadsBackWhatWasSavedWhereverTheFolderMoved) {
  TempDir dir;
  Profile profile = Profile::Load(dir.Path());
  profile.user_name = "Anna Lind";
  profile.smtp_address = "anna@example.test";
  profile.stores.push_back({"/srv/helpdesk/shared.zdb", "Support", StoreRole::Shared});
  profile.stores.push_back(
      {dir / "archive" / "2009.zdb", "Archive 2009", StoreRole::Archive});
  profile.formats = {"dd.MM.yyyy", "dddd, d. MMMM yyyy", "HH:mm:ss"};
  profile.Save();

  Profile loaded = Profile::Load(dir.Path());
  EXPECT_EQ(loaded.user_name, "Anna Lind");
  EXPECT_EQ(loaded.smtp_address, "anna@example.test");
  ASSERT_EQ(loaded.stores.size(), 3u);
  EXPECT_EQ(loaded.stores[1].path, "/srv/helpdesk/shared.zdb");
  EXPECT_EQ(loaded.stores[1].display_name, "Support");
  EXPECT_EQ(loaded.stores[1].role, StoreRole::Shared);
  EXPECT_EQ(loaded.stores[2].path, dir / "archive" / "2009.zdb");
  EXPECT_EQ(loaded.stores[2].role, StoreRole::Archive);
  EXPECT_EQ(loaded.formats.short_date, "dd.MM.yyyy");
  EXPECT_EQ(loaded.formats.time, "HH:mm:ss");

  // Paths inside the folder are stored relative, so the folder can move.
  std::filesystem::rename(dir.Path(), dir.Path().string() + "-moved");
  Profile moved = Profile::Load(dir.Path().string() + "-moved");
  EXPECT_EQ(moved.hive_path, dir.Path().string() + "-moved/hive.json");
  EXPECT_EQ(moved.stores.at(2).path, dir.Path().string() + "-moved/archive/2009.zdb");
  std::filesystem::rename(dir.Path().string() + "-moved", dir.Path());
}

TEST(Profile, LoadingAppliesTheRegionalFormats) {
  TempDir dir;
  WriteFile(dir / "profile.json",
            R"({"regional_formats": {"short_date": "dd/MM/yyyy", "time": "HH:mm"}})");
  Profile::Load(dir.Path());
  EXPECT_EQ(CurrentRegionalFormats().short_date, "dd/MM/yyyy");
  EXPECT_EQ(CurrentRegionalFormats().long_date, "dddd, MMMM d, yyyy");
  EXPECT_EQ(CurrentRegionalFormats().time, "HH:mm");
  SetRegionalFormats({});
}

TEST(Profile, MissingEntriesTakeTheirDefaults) {
  TempDir dir;
  WriteFile(dir / "profile.json",
            R"({"user": {"name": "Bo"}, "stores": [{"path": "x.zdb"}]})");
  Profile profile = Profile::Load(dir.Path());
  EXPECT_EQ(profile.user_name, "Bo");
  EXPECT_EQ(profile.smtp_address, UserName() + "@localhost");
  EXPECT_EQ(profile.hive_path, dir / "hive.json");
  ASSERT_EQ(profile.stores.size(), 1u);
  EXPECT_EQ(profile.stores[0].display_name, "x");
  EXPECT_EQ(profile.stores[0].role, StoreRole::Mailbox);
  EXPECT_EQ(profile.host_version, "16.0");
}

TEST(Profile, AMalformedProfileIsAnErrorNamingTheProblemAndIsKept) {
  struct {
    const char* content;
    const char* problem;
  } cases[] = {
      {R"({"user": {"name": "Bo")", "parse error"},
      {R"([1, 2])", "one JSON object"},
      {R"({"user": "Bo"})", "\"user\" must be an object"},
      {R"({"user": {"address": 7}})", "\"address\" must be a text"},
      {R"({"stores": {}})", "\"stores\" must be a list"},
      {R"({"stores": [{"path": "a.zdb", "role": "inbox"}]})", "\"role\" is \"inbox\""},
      {R"({"stores": [{"role": "mailbox"}]})", "stores[0]: \"path\" must not be empty"},
      {R"({"hive": ""})", "\"hive\" must not be empty"},
      {R"({"regional_formats": {"time": 12}})", "\"time\" must be a text"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    TempDir dir;
    WriteFile(dir / "profile.json", c.content);
    try {
      Profile::Load(dir.Path());
      ADD_FAILURE() << "loaded";
    } catch (const Error& error) {
      EXPECT_EQ(error.Number(), err::kCorruptData);
      EXPECT_NE(error.Description().find((dir / "profile.json").string()),
                std::string::npos)
          << error.Description();
      EXPECT_NE(error.Description().find(c.problem), std::string::npos)
          << error.Description();
    }
    EXPECT_EQ(ReadFile(dir / "profile.json"), c.content);
  }
}

TEST(Profile, TheHiveOfTheEnvironmentWinsAndTheDefaultFolderIsUnderTheConfigFolder) {
  TempDir dir;
  Profile profile = Profile::Load(dir.Path());
  {
    ScopedEnv hive("ZANVORO_HIVE", "/tmp/zv-test-hive.json");
    EXPECT_EQ(profile.EffectiveHivePath(), "/tmp/zv-test-hive.json");
  }
  ScopedEnv no_hive("ZANVORO_HIVE", nullptr);
  EXPECT_EQ(profile.EffectiveHivePath(), dir / "hive.json");
  ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(Profile::DefaultFolder(), "/cfg/zanvoro/profile");
}

}  // namespace
}  // namespace zanvoro::host
