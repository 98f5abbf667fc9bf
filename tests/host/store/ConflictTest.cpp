#include "ChildProcess.h"
#include "StoreTestSupport.h"
#include "host/store/UserProperties.h"

namespace zanvoro::host::testing {
namespace {

class ConflictTest : public BothBackends<> {
 protected:
  void SetUp() override {
    BothBackends::SetUp();
    if (IsSkipped()) return;
    ann_ = OpenShared(Ann());
    folder_ = ann_->Stores()[0]->GetRootFolder()->Folders().Add("Cases", ItemType::Post);
    auto item = folder_->Items()->Add();
    item->SetSubject("first");
    item->Save();
    entry_id_ = item->EntryID();
  }

  std::unique_ptr<NameSpace> ann_;
  std::shared_ptr<MAPIFolder> folder_;
  std::string entry_id_;
};

// Another session, another object of the item in this session, and another
// process all count as someone else's save; a save of one's own never does.
TEST_P(ConflictTest, SaveAfterSomeoneElseSavedRaisesObjectChangedAndStoresNothing) {
  auto item = ann_->GetItemFromID(entry_id_);
  for (int i = 0; i < 3; ++i) {
    item->SetSubject("round " + std::to_string(i));
    item->Save();
  }
  auto bob = OpenShared(Bob());
  auto mine = ann_->GetItemFromID(entry_id_);
  auto theirs = bob->GetItemFromID(entry_id_);
  theirs->SetSubject("theirs");
  theirs->Save();
  mine->SetSubject("mine");
  ExpectError(err::kObjectChanged, [&] { mine->Save(); });
  EXPECT_EQ(ann_->GetItemFromID(entry_id_)->Subject(), "theirs");

  auto a = ann_->GetItemFromID(entry_id_);
  auto b = ann_->GetItemFromID(entry_id_);
  a->UserProperties()
      .Add("Case.Status", UserPropertyType::Text)
      ->SetValue(Variant("Open"));
  a->Save();
  b->SetSubject("late");
  ExpectError(err::kObjectChanged, [&] { b->Save(); });
  EXPECT_EQ(ann_->GetItemFromID(entry_id_)->Subject(), "theirs");

  ASSERT_EQ(RunChild("edit", SharedPath(), entry_id_), 0);
  a->SetSubject("mine");
  ExpectError(err::kObjectChanged, [&] { a->Save(); });
  EXPECT_EQ(ann_->GetItemFromID(entry_id_)->Subject(), "changed by another process");
}

TEST_P(ConflictTest, SaveAfterItWasDeletedRaisesObjectDeleted) {
  auto bob = OpenShared(Bob());
  auto mine = ann_->GetItemFromID(entry_id_);
  bob->GetItemFromID(entry_id_)->Delete();
  mine->SetSubject("too late");
  ExpectError(err::kObjectDeleted, [&] { mine->Save(); });
  ExpectError(err::kObjectDeleted, [&] { mine->UserProperties(); });
  ExpectError(err::kObjectDeleted, [&] { mine->Move(folder_->Parent()); });
  ExpectError(err::kObjectDeleted, [&] { mine->Copy(); });
}

TEST_P(ConflictTest, SavingIntoAFolderDeletedMeanwhileRaisesObjectDeleted) {
  auto bob = OpenShared(Bob());
  auto item = folder_->Items()->Add();
  ann_->GetFolderFromID(folder_->EntryID())->Delete();
  ExpectError(err::kObjectDeleted, [&] { item->Save(); });
  ExpectError(err::kNotFound, [&] { bob->GetItemFromID(entry_id_); });
}

INSTANTIATE_TEST_SUITE_P(Stores, ConflictTest, StoreBackends(), BackendName);

}  // namespace
}  // namespace zanvoro::host::testing
