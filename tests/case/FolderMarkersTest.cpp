#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "case/FolderMarkers.h"
#include "host/os/TempDir.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Store.h"

namespace zanvoro {
namespace {

using host::ItemType;

// Each kind's marker is recognised below; here the form of one and the
// technician's.
TEST(FolderMarkers, MarkerIsTheTagElementWithNoteAndTitleAndUnknownTagsHaveNone) {
  EXPECT_EQ(GetFolderMarker("VarnholtOngoing"),
            "<VarnholtOngoing><Note>DO NOT CHANGE THIS CONTENT</Note><Title>Ongoing "
            "Cases folder for Zanvoro</Title></VarnholtOngoing>");
  EXPECT_EQ(TechnicianMarker("Ann Smith"),
            "<VarnholtTechnician><Note>DO NOT CHANGE THIS CONTENT</Note><Title>Due Date "
            "schedule for Ann Smith</Title></VarnholtTechnician>");
  EXPECT_EQ(GetFolderMarker("varnholtkb"), GetFolderMarker("VarnholtKB"));
  EXPECT_NE(GetFolderMarker("VarnholtKB"), "");
  EXPECT_EQ(GetFolderMarker("VarnholtArchive"), "");
  EXPECT_EQ(GetFolderMarker(""), "");
  EXPECT_TRUE(HasSettingsMarker(GetFolderMarker(kSettingsTag)));
  EXPECT_TRUE(HasSettingsMarker("old helpdesk varnholtsettings"));
  EXPECT_FALSE(HasSettingsMarker(GetFolderMarker(kOngoingTag)));
}

TEST(FolderMarkers, SiblingRecognitionByContainmentIgnoringCase) {
  struct {
    const char* description;
    std::optional<HelpdeskFolder> kind;
  } cases[] = {
      {"<VarnholtOngoing><Note>x</Note></VarnholtOngoing>", HelpdeskFolder::Ongoing},
      {"our cases: varnholtongoing (do not touch)", HelpdeskFolder::Ongoing},
      {"VARNHOLTRESOLVED", HelpdeskFolder::Resolved},
      {"<VarnholtKB/>", HelpdeskFolder::KB},
      {"x VarnholtSettings y", HelpdeskFolder::Settings},
      {"VarnholtHistory", HelpdeskFolder::History},
      {"VarnholtSchedule", HelpdeskFolder::Schedule},
      // Two markers in one description: the kind tested first wins.
      {"VarnholtSettings VarnholtOngoing", HelpdeskFolder::Ongoing},
      {"VarnholtHistory VarnholtKB", HelpdeskFolder::KB},
      {"VarnholtSchedule VarnholtResolved", HelpdeskFolder::Resolved},
      // Technician calendars are no siblings.
      {"<VarnholtTechnician><Title>Due Date schedule for "
       "Ann</Title></VarnholtTechnician>",
       std::nullopt},
      {"Varnholt Ongoing", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RecognizeHelpdeskFolder(c.description), c.kind) << c.description;
  }
}

TEST(FolderKind, ClassifiesByItemTypeThenByTheWholeRootElement) {
  host::testsupport::TempDir dir;
  host::NameSpace session(host::UserInfo{"Ann", "ann@example.com"}, nullptr,
                          {host::StoreSpec{(dir.Path() / "kinds.zdb").string(), "Kinds",
                                           host::StoreKind::Shared}});
  auto root = session.Stores().front()->GetRootFolder();
  struct {
    ItemType type;
    std::string description;
    FolderKind kind;
  } cases[] = {
      {ItemType::Post, GetFolderMarker(kOngoingTag), FolderKind::Ongoing},
      {ItemType::Mail, GetFolderMarker(kResolvedTag), FolderKind::Resolved},
      {ItemType::Post, GetFolderMarker(kKBTag), FolderKind::KB},
      {ItemType::Post, GetFolderMarker(kSettingsTag), FolderKind::Settings},
      {ItemType::Mail, GetFolderMarker(kHistoryTag), FolderKind::History},
      {ItemType::Post, "<varnholtongoing/>", FolderKind::Ongoing},
      // Recognised among siblings, but not a document whose root is the tag.
      {ItemType::Post, "cases: VarnholtOngoing", FolderKind::Other},
      {ItemType::Post, "<Folder><VarnholtOngoing/></Folder>", FolderKind::Other},
      {ItemType::Post, "<VarnholtOngoing>", FolderKind::Other},
      {ItemType::Post, "   ", FolderKind::Other},
      {ItemType::Mail, "", FolderKind::Other},
      {ItemType::Post, GetFolderMarker(kScheduleTag), FolderKind::Other},
      {ItemType::Appointment, GetFolderMarker(kScheduleTag), FolderKind::Calendar},
      {ItemType::Contact, "", FolderKind::Contacts},
      {ItemType::Task, GetFolderMarker(kOngoingTag), FolderKind::Tasks},
      {ItemType::Note, GetFolderMarker(kOngoingTag), FolderKind::Other},
      {ItemType::Journal, "", FolderKind::Other},
  };
  int n = 0;
  for (const auto& c : cases) {
    auto folder = root->Folders().Add("Folder " + std::to_string(++n), c.type);
    folder->SetDescription(c.description);
    EXPECT_EQ(GetFolderKind(folder.get()), c.kind) << n << ": " << c.description;
  }
  EXPECT_EQ(GetFolderKind(nullptr), FolderKind::Other);
}

}  // namespace
}  // namespace zanvoro
