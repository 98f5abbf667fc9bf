#include <gtest/gtest.h>

#include <set>

#include "host/mail/Delivery.h"
#include "host/mail/DeliveryTestSupport.h"
#include "host/mail/MaildirSource.h"
#include "host/store/StoreTestSupport.h"

namespace zanvoro::host {
namespace {

namespace fs = std::filesystem;
using testing::SmallMail;
using testing::WriteMailFile;

class MaildirDelivery : public testing::StoreTest {
 protected:
  void SetUp() override {
    ns_ = OpenAnn();
    inbox_ = ns_->GetDefaultFolder(DefaultFolder::Inbox);
  }
  fs::path Drop() const { return fs::path(dir_.File("drop")); }
  int InboxCount() { return inbox_->Items()->Count(); }

  std::unique_ptr<NameSpace> ns_;
  std::shared_ptr<MAPIFolder> inbox_;
};

TEST_F(MaildirDelivery, MailFromTheDropFolderArrivesOnceAndTheFilesGo) {
  WriteMailFile(Drop() / "new" / "1700000000.A.host", SmallMail("Printer", "a1"));
  WriteMailFile(Drop() / "cur" / "1700000001.B.host:2,S", SmallMail("Screen", "b1"));
  WriteMailFile(Drop() / "dropped by hand.eml", SmallMail("Keyboard", "c1"));
  WriteMailFile(Drop() / "tmp" / "1700000002.C.host", SmallMail("Half written", "d1"));
  WriteMailFile(Drop() / ".hidden", SmallMail("Hidden", "e1"));

  MaildirSource source(Drop());
  ReceiveReport report = Receive(source, "drop", *inbox_);

  EXPECT_EQ(report.delivered, 3);
  EXPECT_EQ(report.known, 0);
  ASSERT_EQ(InboxCount(), 3);
  std::set<std::string> subjects;
  for (int i = 1; i <= 3; ++i) subjects.insert(inbox_->Items()->Item(i)->Subject());
  EXPECT_EQ(subjects, (std::set<std::string>{"Printer", "Screen", "Keyboard"}));
  EXPECT_FALSE(fs::exists(Drop() / "new" / "1700000000.A.host"));
  EXPECT_FALSE(fs::exists(Drop() / "dropped by hand.eml"));
  EXPECT_TRUE(fs::exists(Drop() / "tmp" / "1700000002.C.host"));
  EXPECT_TRUE(fs::exists(Drop() / ".hidden"));

  EXPECT_EQ(Receive(source, "drop", *inbox_).delivered, 0);
  EXPECT_EQ(InboxCount(), 3);
}

TEST_F(MaildirDelivery, AWorkerKilledBetweenStoringAndRemovingDeliversNothingTwice) {
  WriteMailFile(Drop() / "new" / "1700000000.A.host", SmallMail("Printer", "a1"));
  WriteMailFile(Drop() / "new" / "1700000001.B.host", SmallMail("Screen", "b1"));

  int status = testing::InChild([&] {
    NameSpace child(testing::Ann(), nullptr,
                    {{MailboxPath(), "Mailbox - Ann Smith", StoreKind::Mailbox}});
    MaildirSource inner(Drop());
    testing::DyingSource dying(inner);
    Receive(dying, "drop", *child.GetDefaultFolder(DefaultFolder::Inbox));
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(InboxCount(), 1);
  EXPECT_TRUE(fs::exists(Drop() / "new" / "1700000000.A.host"));

  MaildirSource source(Drop());
  ReceiveReport report = Receive(source, "drop", *inbox_);
  EXPECT_EQ(report.known, 1);
  EXPECT_EQ(report.delivered, 1);
  EXPECT_EQ(InboxCount(), 2);
  EXPECT_TRUE(fs::is_empty(Drop() / "new"));
}

TEST_F(MaildirDelivery,
       TheSameMailDroppedAgainUnderAnotherNameIsKnownByItsContentPerAccount) {
  std::string mail = SmallMail("Printer", "a1");
  WriteMailFile(Drop() / "new" / "1700000000.A.host", mail);
  MaildirSource source(Drop());
  Receive(source, "drop", *inbox_);
  WriteMailFile(Drop() / "copy.eml", mail);

  ReceiveReport report = Receive(source, "drop", *inbox_);
  EXPECT_EQ(report.known, 1);
  EXPECT_EQ(InboxCount(), 1);
  EXPECT_FALSE(fs::exists(Drop() / "copy.eml"));
  // Each account keeps its own records.
  WriteMailFile(Drop() / "new" / "1700000000.A.host", mail);
  EXPECT_EQ(Receive(source, "second", *inbox_).delivered, 1);
  EXPECT_EQ(InboxCount(), 2);
}

TEST_F(MaildirDelivery, AMailThatCannotBeReadIsStoredNotLost) {
  WriteMailFile(Drop() / "new" / "1700000000.A.host",
                "\x01\x02 this is no mail at all\r\n\r\n--\xff\xfe");
  MaildirSource source(Drop());
  EXPECT_EQ(Receive(source, "drop", *inbox_).delivered, 1);
  EXPECT_EQ(InboxCount(), 1);
  EXPECT_FALSE(fs::exists(Drop() / "new" / "1700000000.A.host"));
}

}  // namespace
}  // namespace zanvoro::host
