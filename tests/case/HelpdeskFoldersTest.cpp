#include <gtest/gtest.h>

#include <filesystem>

#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "case/HelpdeskTestSupport.h"
#include "case/LocalDataFolders.h"
#include "case/cOutlookFolder.h"
#include "errors/modErroHandling.h"
#include "host/os/Hive.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/Store.h"
#include "host/ui/ScriptedRenderer.h"
#include "runtime/Error.h"

namespace zanvoro {
namespace {

using host::FormAction;
using testsupport::HelpdeskTest;

class HelpdeskFolders : public HelpdeskTest {};

TEST_F(HelpdeskFolders, TheFirstGetterFindsTheSixSiblingsFromTheStoredLocation) {
  NewHelpdesk made = MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
  Connect();
  EXPECT_FALSE(HelpdeskFolderKnown(HelpdeskFolder::History));
  ASSERT_NE(GetHistoryFolder(), nullptr);

  struct {
    HelpdeskFolder kind;
    const char* name;
  } cases[] = {
      {HelpdeskFolder::Ongoing, "Ongoing"},   {HelpdeskFolder::Resolved, "Resolved"},
      {HelpdeskFolder::KB, "Knowledge base"}, {HelpdeskFolder::Settings, "Settings"},
      {HelpdeskFolder::History, "History"},   {HelpdeskFolder::Schedule, "Schedule"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(HelpdeskFolderKnown(c.kind)) << c.name;
    EXPECT_EQ(HelpdeskFolderOf(c.kind)->Name(), c.name);
    EXPECT_EQ(HelpdeskFolderPath(c.kind), std::string("\\\\Zanvoro Helpdesk\\") + c.name);
  }
  EXPECT_EQ(GetSettingsFolder()->EntryID(), made.settings.EntryID);
  EXPECT_EQ(GetHelpdeskFolder("VARNHOLTKB")->Name(), "Knowledge base");
  EXPECT_EQ(GetHelpdeskFolder("VarnholtArchive"), nullptr);

  ForgetHelpdeskFolders();
  EXPECT_FALSE(HelpdeskFolderKnown(HelpdeskFolder::Ongoing));
  EXPECT_EQ(HelpdeskFolderPath(HelpdeskFolder::Ongoing), "");
}

TEST_F(HelpdeskFolders, WithoutAStoredLocationNothingIsFound) {
  MakeHelpdesk();
  Connect();
  EXPECT_TRUE(IsFirstRun());
  EXPECT_EQ(GetOngoingFolder(), nullptr);
  EXPECT_EQ(GetHelpdeskFolder(kSettingsTag), nullptr);
  EXPECT_TRUE(Renderer().Transcript().empty()) << Renderer().TranscriptText();
}

TEST_F(HelpdeskFolders, OnlyMarkedSiblingsAreHelpdeskFolders) {
  NewHelpdesk made = MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
  Connect();
  auto root = Session().GetFolderFromID(made.settings.EntryID)->Parent();
  // An extra folder named like a helpdesk folder, and a marked one with
  // text around a lower-case tag.
  root->Folders().Add("Knowledge base (old)");
  root->Folders().Item(std::string_view("Resolved"))->SetDescription("");
  root->Folders().Add("Erledigt")->SetDescription("archive: varnholtresolved, keep");
  LocateHelpdeskFolders();
  EXPECT_EQ(GetKBFolder()->Name(), "Knowledge base");
  EXPECT_EQ(GetResolvedFolder()->Name(), "Erledigt");
}

TEST_F(HelpdeskFolders, ANetworkErrorStopsTheScanAndTellsTheUserOthersSkipTheirFolder) {
  NewHelpdesk made = MakeHelpdesk();
  AddStoreToProfile("helpdesk.zdb", "Zanvoro Helpdesk");
  Connect();
  auto settings = Session().GetFolderFromID(made.settings.EntryID);
  DetectHelpdeskFolders(settings, [](host::MAPIFolder& folder) -> std::string {
    if (folder.Name() == "Resolved") throw Error(err::kAccessDenied, "no access");
    return folder.Description();
  });
  EXPECT_FALSE(HelpdeskFolderKnown(HelpdeskFolder::Resolved));
  EXPECT_TRUE(HelpdeskFolderKnown(HelpdeskFolder::Schedule));
  EXPECT_TRUE(Renderer().Transcript().empty()) << Renderer().TranscriptText();

  // The server goes away after the first two folders (Ongoing, Resolved).
  ForgetHelpdeskFolders();
  int reads = 0;
  DetectHelpdeskFolders(settings, [&](host::MAPIFolder& folder) -> std::string {
    if (++reads > 2) throw Error(err::kNetworkError, "The server is not available.");
    return folder.Description();
  });
  EXPECT_EQ(reads, 3);
  EXPECT_TRUE(HelpdeskFolderKnown(HelpdeskFolder::Ongoing));
  EXPECT_TRUE(HelpdeskFolderKnown(HelpdeskFolder::Resolved));
  EXPECT_FALSE(HelpdeskFolderKnown(HelpdeskFolder::KB));
  EXPECT_FALSE(HelpdeskFolderKnown(HelpdeskFolder::Schedule));
  EXPECT_TRUE(Renderer().Saw(
      "Network problems are preventing connection to the Microsoft Exchange Server "
      "computer!\r\nPlease try again later."));
}

// Resolving a reference after the folder or its parents changed.
class FolderReference : public HelpdeskTest {
 protected:
  void SetUp() override {
    made_ = MakeHelpdesk("helpdesk.zdb", "Support");
    AddStoreToProfile("helpdesk.zdb", "Zanvoro Helpdesk");
    Connect();
    settings_ = Session().GetFolderFromID(made_.settings.EntryID);
  }
  NewHelpdesk made_;
  std::shared_ptr<host::MAPIFolder> settings_;
};

TEST_F(FolderReference, ResolvesByIdentifiersThenByPathButNeverToAFolderRenamed) {
  cOutlookFolder reference = made_.settings;
  EXPECT_EQ(reference.OutlookPath, "\\\\Zanvoro Helpdesk\\Support\\Settings");
  settings_->Parent()->SetName("Helpdesk");
  auto found = reference.GetFolder(Session());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->FolderPath(), "\\\\Zanvoro Helpdesk\\Helpdesk\\Settings");
  settings_->Parent()->SetName("Support");

  reference.EntryID = "00000000000000000000000000000000";
  EXPECT_EQ(reference.GetFolder(Session())->EntryID(), made_.settings.EntryID);
  reference.EntryID.clear();
  EXPECT_EQ(reference.GetFolder(Session())->EntryID(), made_.settings.EntryID);

  settings_->SetName("Einstellungen");
  EXPECT_EQ(made_.settings.GetFolder(Session()), nullptr);
  // Without a recorded name any folder at the identifiers will do.
  cOutlookFolder unnamed = made_.settings;
  unnamed.Name.clear();
  EXPECT_EQ(unnamed.GetFolder(Session())->Name(), "Einstellungen");
  // A new folder at the recorded path takes the renamed one's place.
  auto replacement = settings_->Parent()->Folders().Add("Settings");
  ASSERT_NE(made_.settings.GetFolder(Session()), nullptr);
  EXPECT_EQ(made_.settings.GetFolder(Session())->EntryID(), replacement->EntryID());
}

TEST_F(FolderReference, TravelsInTheUserPropertiesOfAnItem) {
  auto item = settings_->Items()->Add("IPM.Post");
  made_.settings.SaveToOutlookProps(*item, "1");
  cOutlookFolder other = made_.folders[0];
  other.SaveToOutlookProps(*item, "2");
  item->Save();

  auto stored = Session().GetItemFromID(item->EntryID());
  cOutlookFolder first;
  first.GetFromOutlookProps(*stored, "1");
  cOutlookFolder second;
  second.GetFromOutlookProps(*stored, "2");
  EXPECT_EQ(first.EntryID, made_.settings.EntryID);
  EXPECT_EQ(first.StoreID, made_.settings.StoreID);
  EXPECT_EQ(first.OutlookPath, made_.settings.OutlookPath);
  EXPECT_EQ(first.Name, "Settings");
  EXPECT_EQ(second.Name, "Ongoing");
  cOutlookFolder missing;
  missing.GetFromOutlookProps(*stored, "3");
  EXPECT_TRUE(missing.Empty());
  EXPECT_EQ(missing.Name, "");
}

TEST_F(FolderReference, PickedFolderOfTheWrongTypeIsNotRecorded) {
  Renderer().Script(
      "FolderPicker",
      {FormAction::Set("lstFolders", "\\\\Zanvoro Helpdesk\\Support\\Schedule"),
       FormAction::Click("cmdOK")});
  cOutlookFolder reference;
  EXPECT_FALSE(reference.GetOutlookPathInfo(Session(), host::ItemType::Post));
  EXPECT_TRUE(reference.Empty());

  Renderer().Script(
      "FolderPicker",
      {FormAction::Set("lstFolders", "\\\\Zanvoro Helpdesk\\Support\\Settings"),
       FormAction::Click("cmdOK")});
  EXPECT_TRUE(reference.GetOutlookPathInfo(Session(), host::ItemType::Post));
  EXPECT_EQ(reference.EntryID, made_.settings.EntryID);
}

class FolderFromPath : public HelpdeskTest {};

TEST_F(FolderFromPath, FullPathDescendsFromTheNamedTopLevelFolder) {
  MakeHelpdesk("helpdesk.zdb", "Public Folders\\IT");
  AddStoreToProfile("helpdesk.zdb", "Zanvoro Helpdesk");
  Connect();
  auto found = GetFolderFromPath("\\\\zanvoro helpdesk\\Public Folders\\IT\\Ongoing",
                                 PathMessage::Show);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->FolderPath(), "\\\\Zanvoro Helpdesk\\Public Folders\\IT\\Ongoing");
  EXPECT_EQ(GetFolderFromPath("\\\\Zanvoro Helpdesk", PathMessage::Silent)->Name(),
            "Zanvoro Helpdesk");
  EXPECT_TRUE(Renderer().Transcript().empty());
}

TEST_F(FolderFromPath, SingleNameIsAMailboxOwnersSharedInbox) {
  {
    host::NameSpace bob(
        host::UserInfo{"Bob Jones", "bob@example.com"}, nullptr,
        {host::StoreSpec{(dir_.Path() / "bob.zdb").string(), "Mailbox - Bob Jones",
                         host::StoreKind::Mailbox}});
  }
  AddStoreToProfile("bob.zdb", "Mailbox - Bob Jones");
  Connect();
  auto inbox = GetFolderFromPath(" Bob Jones ", PathMessage::Show);
  ASSERT_NE(inbox, nullptr);
  EXPECT_EQ(inbox->FolderPath(), "\\\\Mailbox - Bob Jones\\Inbox");
}

TEST_F(FolderFromPath, PathLeadingNowhereGivesNothingAndMayTellTheUser) {
  Connect();
  EXPECT_EQ(GetFolderFromPath("   ", PathMessage::Show), nullptr);
  EXPECT_EQ(GetFolderFromPath("\\\\Mailbox - Ann Smith\\Nowhere", PathMessage::Silent),
            nullptr);
  EXPECT_TRUE(Renderer().Transcript().empty());
  EXPECT_EQ(GetFolderFromPath("\\\\No Such Store\\Inbox", PathMessage::Show), nullptr);
  EXPECT_EQ(GetFolderFromPath("Nobody Known", PathMessage::Show), nullptr);
  ASSERT_EQ(Renderer().Transcript().size(), 2u);
  EXPECT_EQ(
      Renderer().Transcript()[0].text,
      "Cannot access the specified path!\r\nPlease make sure it exists and you have "
      "the appropriate permission!");
  EXPECT_EQ(Renderer().Transcript()[0].title, kApplicationTitle);
}

class SettingsFolderLocation : public HelpdeskTest {};

TEST_F(SettingsFolderLocation, FirstRunUntilAnEntryOrStoreIdIsStored) {
  Connect();
  EXPECT_TRUE(IsFirstRun());
  SaveSettingsFolderLocation("", "", "store-only", "");
  EXPECT_FALSE(IsFirstRun());
  SaveSettingsFolderLocation("\\\\A\\Settings", "entry", "store", "Settings");
  EXPECT_FALSE(IsFirstRun());
  EXPECT_EQ(UserValue("VNHOutlookPath"), "\\\\A\\Settings");
  EXPECT_EQ(UserValue("VNHEntryID"), "entry");
  EXPECT_EQ(UserValue("VNHStoreID"), "store");
  EXPECT_EQ(UserValue("VNHName"), "Settings");
}

TEST_F(SettingsFolderLocation, StoredLocationFollowsAMovedSettingsFolder) {
  NewHelpdesk made = MakeHelpdesk("helpdesk.zdb", "Support", Registration::ForUser);
  Connect();
  Session().GetFolderFromID(made.settings.EntryID)->Parent()->SetName("Service Desk");
  LocateHelpdeskFolders();
  SaveSettingsFolderLocation();
  EXPECT_EQ(UserValue("VNHOutlookPath"), "\\\\Zanvoro Helpdesk\\Service Desk\\Settings");
  EXPECT_EQ(UserValue("VNHEntryID"), made.settings.EntryID);
  EXPECT_EQ(SettingsFolderReference().OutlookPath,
            "\\\\Zanvoro Helpdesk\\Service Desk\\Settings");
}

class ScheduleFolders : public HelpdeskTest {};

TEST_F(ScheduleFolders, EachTechnicianGetsAMarkedCalendar) {
  MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
  Connect();
  auto schedule = GetScheduleFolder();
  // A calendar that exists already keeps its own description.
  schedule->Folders()
      .Add("Bob Jones", host::ItemType::Appointment)
      ->SetDescription("mine");

  EXPECT_TRUE(SetupDueDateScheduleFolder({"Ann Smith", "Bob Jones"}).empty());
  EXPECT_TRUE(SetupDueDateScheduleFolder({"Ann Smith", "Bob Jones"}).empty());

  auto folders = schedule->Folders().All();
  ASSERT_EQ(folders.size(), 2u);
  auto ann = GetOrCreateSubFolder(schedule, "Ann Smith", CreateMode::FindOnly,
                                  host::ItemType::Appointment);
  ASSERT_NE(ann, nullptr);
  EXPECT_EQ(ann->DefaultItemType(), host::ItemType::Appointment);
  EXPECT_EQ(ann->Description(), TechnicianMarker("Ann Smith"));
  EXPECT_EQ(GetOrCreateSubFolder(schedule, "Bob Jones", CreateMode::FindOnly,
                                 host::ItemType::Appointment)
                ->Description(),
            "mine");
  EXPECT_EQ(GetOrCreateSubFolder(schedule, "Carol", CreateMode::FindOnly,
                                 host::ItemType::Appointment),
            nullptr);
}

TEST_F(ScheduleFolders, TechniciansWhoseFolderCannotBeMadeAreNamedInOneMessage) {
  // The helpdesk belongs to its administrator; Ann may only read the
  // Schedule folder.
  host::Profile admin = host::Profile::Default(dir_.Path() / "admin");
  admin.user_name = "Admin";
  admin.smtp_address = "admin@example.com";
  std::filesystem::create_directories(admin.folder);
  admin.Save();
  NewHelpdeskOptions options;
  options.profile_folder = admin.folder;
  options.store_path = dir_.Path() / "helpdesk.zdb";
  NewHelpdesk made = CreateNewHelpdesk(options);
  {
    host::NameSpace session(
        host::UserInfo{"Admin", "admin@example.com"}, nullptr,
        {host::StoreSpec{options.store_path.string(), "", host::StoreKind::Shared}});
    auto schedule = session.GetFolderFromID(made.folders[5].EntryID);
    schedule->Folders()
        .Add("Bob Jones", host::ItemType::Appointment)
        ->SetDescription(TechnicianMarker("Bob Jones"));
    schedule->SetPermission("Default", host::Role::Reviewer);
  }
  AddStoreToProfile("helpdesk.zdb", "Zanvoro Helpdesk");
  Connect();
  SaveSettingsFolderLocation(made.settings.OutlookPath, made.settings.EntryID,
                             made.settings.StoreID, made.settings.Name);
  Renderer().Script("frmFriendlyError", {FormAction::Click("cmdExit")});

  EXPECT_EQ(SetupDueDateScheduleFolder({"Ann Smith", "Bob Jones", "Carol"}),
            (std::vector<std::string>{"Ann Smith", "Carol"}));
  const host::Shown* advice = LastShown("frmFriendlyError");
  ASSERT_NE(advice, nullptr) << Renderer().TranscriptText();
  EXPECT_NE(advice->ControlText("lblMessage")
                .find("write permission over the \\\\Zanvoro Helpdesk\\Schedule > Ann "
                      "Smith,Carol folder"),
            std::string::npos)
      << advice->ControlText("lblMessage");
}

TEST(LocalDataFolders, AreUnderTheDocumentsFolderAndMadeOnRequest) {
  host::testsupport::TempDir dir;
  host::testsupport::ScopedEnv documents("XDG_DOCUMENTS_DIR",
                                         (dir.Path() / "Docs").c_str());
  std::string data = GetHelpdeskDataFolder(CreateMode::FindOnly);
  EXPECT_EQ(data, (dir.Path() / "Docs" / "Helpdesk Data").string());
  EXPECT_FALSE(std::filesystem::exists(data));
  EXPECT_EQ(GetHelpdeskDataFolder(CreateMode::Create), data);
  EXPECT_TRUE(std::filesystem::is_directory(data));
  std::string reports = GetHelpdeskReportsFolder(CreateMode::Create);
  EXPECT_EQ(reports, (dir.Path() / "Docs" / "Helpdesk Reports").string());
  EXPECT_TRUE(std::filesystem::is_directory(reports));
}

}  // namespace
}  // namespace zanvoro
