#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "errors/modErroHandling.h"
#include "host/store/StoreTestSupport.h"
#include "host/store/UserProperties.h"
#include "host/ui/Renderer.h"
#include "host/ui/ScriptedRenderer.h"
#include "runtime/Date.h"
#include "settings/NewHelpdeskSettings.h"
#include "settings/SettingsFolderStore.h"
#include "settings/SettingsStore.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {
namespace {

using host::Item;
using host::MAPIFolder;
using host::NameSpace;
using host::UserInfo;

// A helpdesk's Settings folder in a shared store file, opened by as many
// sessions (users) as a test needs, with the scripted renderer answering.
class GlobalSettingsTest : public host::testing::StoreTest {
 protected:
  GlobalSettingsTest() { ResetErrorState(); }

  // The Settings folder as `user` sees it (Ann creates the store).
  std::shared_ptr<MAPIFolder> SettingsFolderOf(const UserInfo& user) {
    sessions_.push_back(OpenShared(user));
    auto root = sessions_.back()->Folders().Item(1);
    auto folder = root->Folders().Item(std::string_view("Settings"));
    return folder ? folder : root->Folders().Add("Settings");
  }
  std::unique_ptr<cGlobalSettings> SettingsOf(std::shared_ptr<MAPIFolder> folder,
                                              const UserInfo& user) {
    return std::make_unique<cGlobalSettings>(cGlobalSettings::Services{
        [folder] { return folder; }, [user] { return user; }, [] { return 1; }});
  }
  // A new helpdesk made by Ann, and Ann's settings loaded from it.
  std::unique_ptr<cGlobalSettings> NewHelpdesk() {
    folder_ = SettingsFolderOf(host::testing::Ann());
    EXPECT_TRUE(LoadInitialSettingsToNewDB(folder_));
    auto settings = SettingsOf(folder_, host::testing::Ann());
    EXPECT_TRUE(settings->LoadDBSettings());
    return settings;
  }
  std::unique_ptr<cGlobalSettings> LoadAs(const UserInfo& user) {
    auto settings = SettingsOf(SettingsFolderOf(user), user);
    settings->LoadDBSettings();
    return settings;
  }
  std::string StoredText(std::string_view subject, std::string_view property) {
    auto item = GetOutlookSettingItem(*folder_, subject, SettingItemMode::Find);
    return item ? SettingItemText(*item, property) : "<no item>";
  }

  std::shared_ptr<host::ScriptedRenderer> renderer_ =
      std::make_shared<host::ScriptedRenderer>();
  host::ScopedRenderer scoped_renderer_{renderer_};
  std::vector<std::unique_ptr<NameSpace>> sessions_;
  std::shared_ptr<MAPIFolder> folder_;
};

cTechnician Technician(std::string name, std::string email = "") {
  cTechnician t;
  t.Name = std::move(name);
  t.Email = std::move(email);
  return t;
}

TEST_F(GlobalSettingsTest, NewHelpdeskHoldsTheInitialSettingsInItsFolder) {
  auto settings = NewHelpdesk();
  EXPECT_TRUE(settings->Loaded);
  EXPECT_EQ(settings->MySettings.DBChoice, cMySettings::kChoiceSettingsFolder);
  const cOutlookSettings& general = settings->GeneralSettings;
  EXPECT_EQ(CStr(general.GetValue("sdoAssetField5", VarType::String)), "IP");
  EXPECT_EQ(CStr(general.GetValue("sdoCustomFieldLabel10", VarType::String)),
            "Custom Field 10");
  EXPECT_EQ(CLng(general.GetValue("sdoDayServiceEnd", VarType::Long)), 6);
  EXPECT_TRUE(CBool(general.GetValue("sdoAddNotesToConversation", VarType::Boolean)));

  auto item =
      GetOutlookSettingItem(*folder_, kSettingsItemSubject, SettingItemMode::Find);
  ASSERT_NE(item, nullptr);
  for (SettingsList list : kSettingsItemLists) {
    EXPECT_NE(item->UserProperties().Find(SettingsListName(list)), nullptr)
        << SettingsListName(list);
  }
  EXPECT_NE(GetOutlookSettingItem(*folder_, kCounterItemSubject, SettingItemMode::Find),
            nullptr);
}

TEST_F(GlobalSettingsTest, DatabaseInfoKeepsItsFiveFieldsThroughTheChoiceItem) {
  folder_ = SettingsFolderOf(host::testing::Ann());
  cMySettings choice;
  choice.DBChoice = cMySettings::kChoiceDatabaseServer;
  choice.DBConnectionString = "host=db;dbname=helpdesk";
  choice.DatabaseInfo = {"db", "helpdesk", 1, "ann", "secret"};
  ASSERT_TRUE(choice.SaveDBSettingsItem(folder_));

  cMySettings read;
  ASSERT_TRUE(read.ReadDBSettingsItem(SettingsFolderOf(host::testing::Bob())));
  EXPECT_EQ(read.DBChoice, 1);
  EXPECT_EQ(read.DBConnectionString, "host=db;dbname=helpdesk");
  EXPECT_EQ(read.DatabaseInfo.ToString(), "db|helpdesk|1|ann|secret");
  EXPECT_EQ(DatabaseInfoFields::FromString("srv|only").Security, 0);
}

TEST_F(GlobalSettingsTest, SecondSessionSeesWhatTheFirstSavedAndTheSaveIsStamped) {
  auto ann = NewHelpdesk();
  ann->GeneralSettings.SetValue("sdoOwner", "Ann; the: owner &colon here");
  ann->Technicians.Add(Technician("Zoe", "zoe@example.com"));
  ann->FAQs.FromString("Why?;Because.:How?;So.");
  Date before = Now();
  ASSERT_TRUE(ann->SaveGlobalSettings(6));
  ASSERT_TRUE(ann->SaveGlobalSettings(0));
  ASSERT_TRUE(ann->SaveFAQs());
  auto item = GetOutlookSettingItem(*folder_, kMonitoredFoldersItemSubject,
                                    SettingItemMode::Find);
  ASSERT_NE(item, nullptr);
  host::UserProperty* stamp = item->UserProperties().Find(kSaveStampProperty);
  ASSERT_NE(stamp, nullptr);
  EXPECT_GE(CDate(stamp->Value()).Serial(), before.Serial() - 1.0 / 86400);

  auto bob = LoadAs(host::testing::Bob());
  ASSERT_TRUE(bob->Loaded);
  // The escape words themselves are the stored form's one limit.
  EXPECT_EQ(CStr(bob->GeneralSettings.GetValue("SDOOWNER", VarType::String)),
            "Ann; the: owner : here");
  ASSERT_NE(bob->Technicians.Find("zoe"), nullptr);
  EXPECT_EQ(bob->Technicians.Find("zoe")->Email, "zoe@example.com");
  EXPECT_TRUE(bob->FAQs.IsEmpty()) << "not part of the load";
  ASSERT_TRUE(bob->LoadFAQs());
  EXPECT_EQ(bob->FAQs.ToString(), ann->FAQs.ToString());
  EXPECT_EQ(bob->FAQs.Count(), 2u);
}

TEST_F(GlobalSettingsTest,
       SavingGeneralSettingsStoresTheOriginsAndProblemFieldsWithThem) {
  auto ann = NewHelpdesk();
  ann->OriginsList.FromString("Phone\r\nWalk-in", "\r\n");
  ann->ProblemFieldsList.FromString("Hardware", "\r\n");
  ann->MonitoredFolders = "\\\\Helpdesk\\Support";
  ASSERT_TRUE(ann->SaveGlobalSettings(6));

  auto bob = LoadAs(host::testing::Bob());
  EXPECT_EQ(bob->OriginsList.ToString("|"), "Phone|Walk-in");
  EXPECT_EQ(bob->ProblemFieldsList.ToString("|"), "Hardware");
  EXPECT_EQ(bob->MonitoredFolders, "\\\\Helpdesk\\Support");

  // Saved whole, the general settings keep the lists they hold.
  ann->OriginsList.FromString("Stale", "\r\n");
  ann->GeneralSettings.SetValue("sdoOriginsList", "Mail\r\nPhone");
  ASSERT_TRUE(ann->SaveList(SettingsList::GeneralSettings));
  EXPECT_EQ(LoadAs(host::testing::Bob())->OriginsList.ToString("|"), "Mail|Phone");
}

TEST_F(GlobalSettingsTest, OldSeparatorIsReplacedAndStoredInTheNewFormAtLoad) {
  auto ann = NewHelpdesk();
  ann->GeneralSettings.SetValue("sdoMonitoredEmailFolders", "A[SEP]B");
  ann->GeneralSettings.SetValue("sdoOriginsList", "Mail[SEP]Phone");
  // Written past the loader, as an old version left it.
  auto item =
      GetOutlookSettingItem(*folder_, kSettingsItemSubject, SettingItemMode::Find);
  SetSettingItemText(*item, "tGeneralSettings", ann->GeneralSettings.ToString());
  item->Save();

  auto bob = LoadAs(host::testing::Bob());
  EXPECT_EQ(bob->MonitoredFolders, "A\r\nB");
  EXPECT_EQ(bob->OriginsList.ToString("|"), "Mail|Phone");
  EXPECT_EQ(StoredText(kSettingsItemSubject, "tGeneralSettings").find("[SEP]"),
            std::string::npos);
}

TEST_F(GlobalSettingsTest, ReloadReadsOnlyTheListsOfItsSection) {
  auto ann = NewHelpdesk();
  auto bob = LoadAs(host::testing::Bob());
  bob->Technicians.Add(Technician("Bob Jones"));
  bob->GeneralSettings.SetValue("sdoOwner", "Bob");
  bob->CounterSettings.SetValue("CaseCounter", "41");
  ASSERT_TRUE(bob->SaveGlobalSettings(12));
  ASSERT_TRUE(bob->SaveCounterSettings());

  ASSERT_TRUE(ann->ReloadSettings(2));
  EXPECT_TRUE(ann->Technicians.Exists("Bob Jones"));
  EXPECT_FALSE(ann->GeneralSettings.Exists("sdoOwner"));
  EXPECT_TRUE(ann->CounterSettings.IsEmpty());

  ASSERT_TRUE(ann->ReloadSettings(7));
  EXPECT_TRUE(ann->GeneralSettings.Exists("sdoOwner"));
  EXPECT_TRUE(ann->CounterSettings.IsEmpty());

  ASSERT_TRUE(ann->ReloadSettings(18));
  EXPECT_EQ(CLng(ann->CounterSettings.GetValue("casecounter", VarType::Long)), 41);
}

TEST_F(GlobalSettingsTest, CurrentUserJoinsTheTechniciansWhenTheHelpdeskSaysSo) {
  auto ann = NewHelpdesk();  // sdoAutoAddNewTechnician is on in a new helpdesk
  EXPECT_EQ(ann->CurrentUserName, "Ann Smith");
  ASSERT_TRUE(ann->Technicians.Exists("ann smith"));

  ann->GeneralSettings.SetValue("sdoAutoAddNewTechnician", "0");
  ASSERT_TRUE(ann->SaveGlobalSettings(6));
  auto bob = LoadAs(host::testing::Bob());
  EXPECT_TRUE(bob->Technicians.Exists("Ann Smith")) << "saved when she was added";
  EXPECT_FALSE(bob->Technicians.Exists("Bob Jones"));
}

TEST_F(GlobalSettingsTest, WithoutWritePermissionSavingShowsTheAdviceAndKeepsTheStore) {
  auto ann = NewHelpdesk();
  folder_->SetPermission("bob@example.com", host::Role::Reviewer);
  auto bob = LoadAs(host::testing::Bob());
  ASSERT_TRUE(bob->Loaded);
  bob->GeneralSettings.SetValue("sdoOwner", "Bob");

  EXPECT_FALSE(bob->SaveGlobalSettings(6));
  EXPECT_TRUE(renderer_->Saw("You need write permission over the"));
  EXPECT_TRUE(renderer_->Saw("cGlobalSettings.saveSettingsToOutlook"));
  EXPECT_EQ(CStr(bob->GeneralSettings.GetValue("sdoOwner", VarType::String)), "Bob");
  EXPECT_EQ(StoredText(kSettingsItemSubject, "tGeneralSettings").find("Bob"),
            std::string::npos);
  EXPECT_FALSE(SettingsFolderWritable(*SettingsFolderOf(host::testing::Bob())));
  EXPECT_TRUE(SettingsFolderWritable(*folder_));
}

TEST_F(GlobalSettingsTest, PassiveModeKeepsOnlyWhatMonitoringNeeds) {
  auto settings = NewHelpdesk();
  settings->Assets.FromString("PC1;Laptop");
  settings->ProblemTypes.FromString("Printer;Hardware;30");
  settings->LoadProblemTypeCollection();
  settings->StatusList.FromString("Open", "\r\n");
  settings->SLAs.FromString("Gold;High;4");
  settings->ActivatePassiveMode();
  EXPECT_TRUE(settings->Assets.IsEmpty());
  EXPECT_TRUE(settings->ProblemTypes.IsEmpty());
  EXPECT_EQ(settings->GetProblemCategoryForProblemType("Printer"), "");
  EXPECT_FALSE(settings->StatusList.IsEmpty());
  EXPECT_FALSE(settings->SLAs.IsEmpty());
  EXPECT_FALSE(settings->Technicians.IsEmpty());
  EXPECT_FALSE(settings->GeneralSettings.IsEmpty());
}

TEST(GlobalSettings, EmptyRegionalFormatsGiveTheDefaultFormats) {
  RegionalFormats saved = CurrentRegionalFormats();
  SetRegionalFormats({"", "", ""});
  cGlobalSettings settings;
  settings.GetDateTimeFormat();
  SetRegionalFormats(saved);
  EXPECT_EQ(settings.ShortDateFormat, "M/d/yyyy");
  EXPECT_EQ(settings.TimeFormat, "h:mm:ss tt");
}

TEST(GlobalSettings, FileNameIsThePartAfterTheLastSeparator) {
  EXPECT_EQ(cGlobalSettings::fncGetFileName("C:\\Data\\cube.olap"), "cube.olap");
  EXPECT_EQ(cGlobalSettings::fncGetFileName("/srv/data/cube.olap"), "cube.olap");
  EXPECT_EQ(cGlobalSettings::fncGetFileName("cube.olap"), "cube.olap");
}

// A store that records what the settings ask of it: the seam a settings
// database plugs into.
class RecordingStore : public SettingsStore {
 public:
  RecordingStore(SettingsStoreKind kind, std::vector<int>& log)
      : kind_(kind), log_(log) {}
  SettingsStoreKind Kind() const override { return kind_; }
  bool HasSettings() override { return true; }
  void ReadLists(cGlobalSettings&, std::span<const SettingsList> lists) override {
    for (SettingsList list : lists) log_.push_back(static_cast<int>(list));
  }
  bool WriteLists(const cGlobalSettings&, std::span<const SettingsList> lists) override {
    for (SettingsList list : lists) log_.push_back(static_cast<int>(list));
    return true;
  }

 private:
  SettingsStoreKind kind_;
  std::vector<int>& log_;
};

cGlobalSettings::Services RecordingServices(std::vector<int>& log) {
  cGlobalSettings::Services services;
  services.open_store = [&log](const cMySettings& choice, std::shared_ptr<MAPIFolder>) {
    return std::make_unique<RecordingStore>(
        static_cast<SettingsStoreKind>(choice.DBChoice), log);
  };
  return services;
}

TEST(GlobalSettingsOrder, ListsLoadInTheirOrderWithTheCountersLastFromTheFolder) {
  std::vector<int> log;
  cGlobalSettings settings(RecordingServices(log));
  settings.MySettings.DBChoice = cMySettings::kChoiceSettingsFolder;
  ASSERT_TRUE(settings.LoadSettingsFromOutlook());
  EXPECT_EQ(log,
            (std::vector<int>{0, 16, 2, 7, 8, 14, 19, 20, 4, 9, 10, 11, 1, 6, 5, 17}));

  log.clear();
  settings.MySettings.DBChoice = cMySettings::kChoiceDatabaseServer;
  ASSERT_TRUE(settings.LoadSettingsFromDB());
  EXPECT_EQ(log,
            (std::vector<int>{17, 0, 16, 2, 7, 8, 14, 19, 20, 4, 9, 10, 11, 1, 6, 5}));
}

TEST(GlobalSettingsOrder, SaveSectionsWriteTheirLists) {
  struct {
    int section;
    int choice;
    std::vector<int> written;
  } cases[] = {
      {0, 2, {0}},
      {5, 2, {5}},
      {20, 2, {20}},
      {6, 2, {6}},
      {18, 2, {6}},
      {21, 2, {6}},
      {3, 2, {}},
      {13, 2, {}},
      {12, 2, {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 14, 19, 20, 16}},
      {12, 0, {0, 1, 2, 4, 5, 6, 17, 7, 8, 9, 10, 11, 14, 19, 20, 16}},
  };
  for (const auto& c : cases) {
    std::vector<int> log;
    cGlobalSettings settings(RecordingServices(log));
    settings.MySettings.DBChoice = c.choice;
    EXPECT_TRUE(settings.SaveGlobalSettings(c.section));
    EXPECT_EQ(log, c.written) << "section " << c.section << ", choice " << c.choice;
  }
}

TEST(GlobalSettingsOrder, SaveSectionsPutOnlyTheirListsIntoTheGeneralSettings) {
  std::vector<int> log;
  cGlobalSettings settings(RecordingServices(log));
  settings.MySettings.DBChoice = cMySettings::kChoiceSettingsFolder;
  settings.OriginsList.FromString("Mail", "\r\n");
  settings.ProblemFieldsList.FromString("Disk", "\r\n");
  settings.MonitoredFolders = "Inbox";
  ASSERT_TRUE(settings.SaveGlobalSettings(18));
  EXPECT_TRUE(settings.GeneralSettings.Exists("sdoOriginsList"));
  EXPECT_FALSE(settings.GeneralSettings.Exists("sdoProblemFieldsList"));
  EXPECT_FALSE(settings.GeneralSettings.Exists("sdoMonitoredEmailFolders"));
  ASSERT_TRUE(settings.SaveGlobalSettings(6));
  EXPECT_EQ(CStr(settings.GeneralSettings.GetValue("sdoMonitoredEmailFolders",
                                                   VarType::String)),
            "Inbox");
}

TEST(GlobalSettingsOrder, ReloadSectionsReadTheirLists) {
  struct {
    int section;
    int choice;
    std::vector<int> read;
  } cases[] = {
      {0, 2, {6}},         {16, 2, {6}},  {18, 2, {6, 17}}, {18, 1, {6}}, {21, 2, {17}},
      {1, 2, {4, 10, 11}}, {2, 2, {0}},   {3, 2, {9, 1}},   {4, 2, {5}},  {5, 2, {6}},
      {8, 2, {2}},         {17, 2, {16}}, {6, 2, {}},       {12, 1, {}},
  };
  for (const auto& c : cases) {
    std::vector<int> log;
    cGlobalSettings settings(RecordingServices(log));
    settings.MySettings.DBChoice = c.choice;
    EXPECT_TRUE(settings.ReloadSettings(c.section));
    EXPECT_EQ(log, c.read) << "section " << c.section << ", choice " << c.choice;
  }
}

}  // namespace
}  // namespace zanvoro
