#include "StoreTestSupport.h"

namespace zanvoro::host::testing {
namespace {

class FolderTest : public BothBackends<> {};

TEST_P(FolderTest, NewMailboxHasTheDefaultFolders) {
  auto ns = OpenAnn();
  struct {
    DefaultFolder which;
    const char* name;
    ItemType type;
  } cases[] = {
      {DefaultFolder::Inbox, "Inbox", ItemType::Mail},
      {DefaultFolder::SentMail, "Sent Items", ItemType::Mail},
      {DefaultFolder::DeletedItems, "Deleted Items", ItemType::Mail},
      {DefaultFolder::Outbox, "Outbox", ItemType::Mail},
      {DefaultFolder::Drafts, "Drafts", ItemType::Mail},
      {DefaultFolder::Calendar, "Calendar", ItemType::Appointment},
      {DefaultFolder::Contacts, "Contacts", ItemType::Contact},
      {DefaultFolder::Tasks, "Tasks", ItemType::Task},
  };
  for (const auto& c : cases) {
    auto folder = ns->GetDefaultFolder(c.which);
    EXPECT_EQ(folder->Name(), c.name);
    EXPECT_EQ(folder->DefaultItemType(), c.type) << c.name;
    EXPECT_EQ(folder->Parent()->Parent(), nullptr) << "directly below the root";
  }
}

TEST_P(FolderTest, SubFoldersAreNamedWithoutRegardToCaseAndGoWithTheirItems) {
  auto ns = OpenAnn();
  auto root = ns->Folders().Item("mailbox - ann smith");
  ASSERT_NE(root, nullptr);
  auto inbox = root->Folders().Item("INBOX");
  ASSERT_NE(inbox, nullptr);
  EXPECT_EQ(inbox->EntryID(), ns->GetDefaultFolder(DefaultFolder::Inbox)->EntryID());
  EXPECT_EQ(root->Folders().Item("Nowhere"), nullptr);
  EXPECT_EQ(root->Folders().Count(), 8);
  ExpectError(err::kSubscriptOutOfRange, [&] { root->Folders().Item(9); });

  auto cases = inbox->Folders().Add("Cases", ItemType::Post);
  EXPECT_EQ(cases->FolderPath(), "\\\\Mailbox - Ann Smith\\Inbox\\Cases");
  EXPECT_EQ(root->FolderPath(), "\\\\Mailbox - Ann Smith");
  ExpectError(err::kCallFailed, [&] { inbox->Folders().Add("CASES"); });
  ExpectError(err::kInvalidProcedureCall, [&] { inbox->Folders().Add("  "); });
  EXPECT_EQ(inbox->Folders().Count(), 1);

  cases->Folders().Add("Old");
  auto item = cases->Items()->Add();
  item->Save();
  inbox->Folders().Remove(1);
  EXPECT_EQ(inbox->Folders().Count(), 0);
  ExpectError(err::kNotFound, [&] { ns->GetItemFromID(item->EntryID()); });
}

TEST_P(FolderTest, NameDescriptionAndKindSurviveReopening) {
  std::string entry_id, store_id;
  {
    auto ns = OpenAnn();
    auto folder =
        ns->GetDefaultFolder(DefaultFolder::Inbox)->Folders().Add("Open", ItemType::Post);
    folder->SetName("Ongoing");
    folder->SetDescription("[HELPDESK:OPEN]");
    entry_id = folder->EntryID();
    store_id = folder->StoreID();
  }
  auto ns = OpenAnn();
  auto folder = ns->GetFolderFromID(entry_id, store_id);
  EXPECT_EQ(folder->Name(), "Ongoing");
  EXPECT_EQ(folder->Description(), "[HELPDESK:OPEN]");
  EXPECT_EQ(folder->DefaultItemType(), ItemType::Post);
  EXPECT_EQ(ns->GetFolderFromID(entry_id)->Name(), "Ongoing") << "any store";
  ExpectError(err::kNotFound, [&] { ns->GetFolderFromID("00FF"); });
}

TEST_P(FolderTest, StoresCanBeAddedAndRemovedAtRunTime) {
  auto ns = OpenAnn();
  auto shared = ns->AddStore(SharedPath(), "Helpdesk");
  EXPECT_EQ(ns->Stores().size(), 2u);
  EXPECT_EQ(ns->Folders().Count(), 2);
  EXPECT_EQ(ns->Folders().Item(2)->Name(), "Helpdesk");
  EXPECT_EQ(ns->AddStore(SharedPath(), "Helpdesk"), shared) << "the same file once";
  ns->RemoveStore(shared->StoreID());
  EXPECT_EQ(ns->Stores().size(), 1u);
  ExpectError(err::kNotFound, [&] { ns->RemoveStore(shared->StoreID()); });
}

TEST_P(FolderTest, SharedDefaultFolderOpensAnotherUsersMailbox) {
  {
    auto bob = std::make_unique<NameSpace>(
        Bob(), &loop_,
        std::vector<StoreSpec>{
            {Location("bob.db"), "Mailbox - Bob Jones", StoreKind::Mailbox}});
  }
  auto ns = OpenAnn();
  ns->AddStore(Location("bob.db"), "Mailbox - Bob Jones");
  Recipient bob = ns->CreateRecipient("bob@example.com");
  auto inbox = ns->GetSharedDefaultFolder(bob, DefaultFolder::Inbox);
  EXPECT_EQ(inbox->FolderPath(), "\\\\Mailbox - Bob Jones\\Inbox");
  EXPECT_EQ(ns->GetDefaultFolder(DefaultFolder::Inbox)->FolderPath(),
            "\\\\Mailbox - Ann Smith\\Inbox")
      << "the current user's own mailbox";
  Recipient nobody = ns->CreateRecipient("Carl");
  ExpectError(err::kNotFound,
              [&] { ns->GetSharedDefaultFolder(nobody, DefaultFolder::Inbox); });
}

TEST_P(FolderTest, PermissionsLimitWhatOtherUsersMayDo) {
  auto ann = OpenShared(Ann());
  auto cases = ann->Stores()[0]->GetRootFolder()->Folders().Add("Cases", ItemType::Post);
  EXPECT_EQ(cases->CurrentUserRole(), Role::Owner) << "the store's creator";
  auto anns_item = cases->Items()->Add();
  anns_item->Save();

  auto bob = OpenShared(Bob());
  auto bobs_cases = bob->GetFolderFromID(cases->EntryID());
  EXPECT_EQ(bobs_cases->CurrentUserRole(), Role::Editor) << "the default";
  ExpectError(err::kAccessDenied,
              [&] { bobs_cases->SetPermission("Default", Role::Owner); });
  ExpectError(err::kAccessDenied, [&] { bobs_cases->Folders().Add("Mine"); });

  cases->SetPermission("bob@example.com", Role::Author);
  auto bobs_item = bobs_cases->Items()->Add();
  bobs_item->SetSubject("mine");
  bobs_item->Save();
  bobs_item->SetSubject("still mine");
  bobs_item->Save();
  auto anns_seen_by_bob = bob->GetItemFromID(anns_item->EntryID());
  anns_seen_by_bob->SetSubject("not mine");
  ExpectError(err::kAccessDenied, [&] { anns_seen_by_bob->Save(); });
  ExpectError(err::kAccessDenied, [&] { anns_seen_by_bob->Delete(); });

  cases->SetPermission("bob@example.com", Role::Reviewer);
  EXPECT_EQ(bobs_cases->Items()->Count(), 2);
  ExpectError(err::kAccessDenied, [&] { bobs_cases->Items()->Add(); });

  cases->SetPermission("bob@example.com", Role::None);
  ExpectError(err::kAccessDenied, [&] { bobs_cases->Items(); });
  ExpectError(err::kAccessDenied, [&] { bob->GetItemFromID(anns_item->EntryID()); });
}

INSTANTIATE_TEST_SUITE_P(Stores, FolderTest, StoreBackends(), BackendName);

}  // namespace
}  // namespace zanvoro::host::testing
