#include "ChildProcess.h"
#include "StoreTestSupport.h"

namespace zanvoro::host::testing {
namespace {

class ItemAddTest : public BothBackends<> {
 protected:
  void SetUp() override {
    BothBackends::SetUp();
    if (IsSkipped()) return;
    ann_ = OpenShared(Ann());
    folder_ = ann_->Stores()[0]->GetRootFolder()->Folders().Add("Monitored");
    subscription_ =
        folder_->Items()->Subscribe([this](const std::shared_ptr<Item>& item) {
          EXPECT_FALSE(in_save_) << "never run inside the save that caused it";
          seen_.push_back(item->Subject());
        });
  }

  void SaveNew(const std::shared_ptr<MAPIFolder>& folder, const std::string& subject) {
    auto item = folder->Items()->Add();
    item->SetSubject(subject);
    in_save_ = true;
    item->Save();
    in_save_ = false;
  }

  std::unique_ptr<NameSpace> ann_;
  std::shared_ptr<MAPIFolder> folder_;
  Subscription subscription_;
  std::vector<std::string> seen_;
  bool in_save_ = false;
};

TEST_P(ItemAddTest, FiresLaterOnTheLoopOnceForANewItemOfThisFolderOnly) {
  SaveNew(folder_->Parent(), "not here");
  SaveNew(folder_, "here");
  EXPECT_TRUE(seen_.empty());
  EXPECT_TRUE(RunUntil([&] { return !seen_.empty(); }));
  auto item = folder_->Items()->Find("[Subject] = 'here'");
  item->SetSubject("again");
  item->Save();
  loop_.RunUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(seen_, std::vector<std::string>{"here"});

  subscription_.Cancel();
  SaveNew(folder_, "unheard");
  loop_.RunUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(seen_.size(), 1u);
}

TEST_P(ItemAddTest, FiresForItemsMovedOrCopiedIn) {
  auto other = folder_->Parent()->Folders().Add("Elsewhere");
  auto item = other->Items()->Add();
  item->SetSubject("moved");
  item->Save();
  item->Move(folder_);
  auto copy = item->Copy();
  EXPECT_TRUE(RunUntil([&] { return seen_.size() == 2; }));
  EXPECT_EQ(seen_, (std::vector<std::string>{"moved", "moved"}));
}

TEST_P(ItemAddTest, FiresForAnItemSavedByAnotherSession) {
  auto bob = OpenShared(Bob());
  SaveNew(bob->GetFolderFromID(folder_->EntryID()), "from Bob");
  EXPECT_TRUE(RunUntil([&] { return seen_.size() == 1; }));
  EXPECT_EQ(seen_[0], "from Bob");
}

TEST_P(ItemAddTest, FiresForAnItemSavedByAnotherProcess) {
  ASSERT_EQ(RunChild("save-new", SharedPath(), "", folder_->EntryID()), 0);
  EXPECT_TRUE(RunUntil([&] { return seen_.size() == 1; }));
  EXPECT_EQ(seen_[0], "from another process");
}

INSTANTIATE_TEST_SUITE_P(Stores, ItemAddTest, StoreBackends(), BackendName);

}  // namespace
}  // namespace zanvoro::host::testing
