#include "host/store/Recipients.h"
#include "host/store/SqliteBackend.h"
#include "host/store/StoreTestSupport.h"
#include "host/store/UserProperties.h"

namespace zanvoro::host::testing {
namespace {

class DeliveredTest : public BothBackends<> {
 protected:
  std::shared_ptr<Item> NewMail(NameSpace& ns, const std::string& subject) {
    auto mail = ns.GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add("IPM.Note");
    mail->SetSubject(subject);
    return mail;
  }
};

TEST_P(DeliveredTest, AMailIsSavedOnceUnderItsDeliveryKeysAlsoInAnOlderStore) {
  auto ns = OpenAnn();
  auto inbox = ns->GetDefaultFolder(DefaultFolder::Inbox);
  EXPECT_TRUE(
      NewMail(*ns, "first")->SaveAsDelivered({"drop|maildir:1", "drop|content:a"}));
  EXPECT_TRUE(ns->GetDefaultFolder(DefaultFolder::Inbox)
                  ->GetStore()
                  ->WasDelivered("drop|maildir:1"));

  // Any one known key is enough: the other session saves nothing.
  auto other = OpenAnn();
  auto again = NewMail(*other, "again");
  EXPECT_FALSE(again->SaveAsDelivered({"drop|maildir:2", "drop|content:a"}));
  EXPECT_TRUE(again->EntryID().empty());
  EXPECT_EQ(inbox->Items()->Count(), 1);
  EXPECT_FALSE(inbox->GetStore()->WasDelivered("drop|maildir:2"));

  // An older store file gains the delivery records.
  if (backend_ == Backend::Server) return;
  SqliteBackend::CreateAtVersionForTesting(SharedPath(), 2, NewStore{"Helpdesk"});
  auto shared = OpenShared(Ann());
  EXPECT_EQ(shared->Stores()[0]->Backend().Info().schema_version,
            SqliteBackend::kSchemaVersion);
  EXPECT_FALSE(shared->Stores()[0]->WasDelivered("drop|maildir:1"));
}

TEST_P(DeliveredTest, SendMovesTheMailToTheOutboxMarkedSubmitted) {
  auto ns = OpenAnn();
  auto copies = ns->GetDefaultFolder(DefaultFolder::Inbox)->Folders().Add("ManagerCopy");
  auto mail = ns->GetDefaultFolder(DefaultFolder::Drafts)->Items()->Add("IPM.Note");
  mail->Recipients().Add("bob@example.com");
  mail->SetSaveSentMessageFolder(*copies);
  mail->UserProperties()
      .Add("Transport.Failed", UserPropertyType::YesNo)
      ->SetValue(Variant(true));
  mail->Save();

  mail->Send();

  auto outbox = ns->GetDefaultFolder(DefaultFolder::Outbox);
  ASSERT_EQ(outbox->Items()->Count(), 1);
  auto waiting = outbox->Items()->Item(1);
  EXPECT_EQ(waiting->EntryID(), mail->EntryID());
  EXPECT_NE(waiting->UserProperties().Find(Item::kSubmittedProperty), nullptr);
  EXPECT_EQ(waiting->UserProperties().Find("Transport.Failed"), nullptr);
  EXPECT_EQ(waiting->SaveSentMessageFolderID(), copies->EntryID());
}

TEST_P(DeliveredTest, SendRefusesAMailWithoutRecipientsAndLeavesItWhereItIs) {
  auto ns = OpenAnn();
  auto drafts = ns->GetDefaultFolder(DefaultFolder::Drafts);
  auto mail = drafts->Items()->Add("IPM.Note");
  mail->Save();
  ExpectError(err::kCallFailed, [&] { mail->Send(); });
  EXPECT_EQ(drafts->Items()->Count(), 1);
  EXPECT_EQ(ns->GetDefaultFolder(DefaultFolder::Outbox)->Items()->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Stores, DeliveredTest, StoreBackends(), BackendName);

}  // namespace
}  // namespace zanvoro::host::testing
