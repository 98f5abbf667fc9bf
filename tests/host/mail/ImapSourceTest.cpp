#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "host/mail/Delivery.h"
#include "host/mail/DeliveryTestSupport.h"
#include "host/mail/IdleWatch.h"
#include "host/mail/ImapSource.h"
#include "host/mail/servers/LoopbackServers.h"
#include "host/os/Profile.h"
#include "host/store/StoreTestSupport.h"

// The mail library's IMAP response parser (0.9.2) loses a few small objects
// of every response code it reads; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:vmime::net::imap::IMAPConnection::readResponse\n";
}

namespace zanvoro::host {
namespace {

namespace fs = std::filesystem;
using testing::SmallMail;

class ImapDelivery : public testing::StoreTest {
 protected:
  void SetUp() override {
    std::string problem;
    if (!server_.Start(problem)) GTEST_SKIP() << problem;
    ns_ = OpenAnn();
    inbox_ = ns_->GetDefaultFolder(DefaultFolder::Inbox);
    account_.name = "support";
    account_.kind = IncomingKind::Imap;
    account_.server.host = "127.0.0.1";
    account_.server.port = server_.ImapPort();
    account_.server.user = testing::DovecotServer::kUser;
    account_.server.password = testing::DovecotServer::kPassword;
    account_.handled = HandledMail::Flag;
  }

  ReceiveReport ReceiveOnce() {
    ImapSource source(account_, Cursor());
    ReceiveReport report = Receive(source, account_.name, *inbox_);
    source.Close();
    return report;
  }
  fs::path Cursor() const { return dir_.File("support.cursor"); }
  int InboxCount() { return inbox_->Items()->Count(); }
  // Mails the server holds with the seen flag.
  int SeenOnServer() {
    int seen = 0;
    for (const fs::path& mail : server_.Mails()) {
      std::string name = mail.filename().string();
      size_t info = name.find(":2,");
      if (info != std::string::npos && name.find('S', info) != std::string::npos) ++seen;
    }
    return seen;
  }

  testing::DovecotServer server_;
  std::unique_ptr<NameSpace> ns_;
  std::shared_ptr<MAPIFolder> inbox_;
  IncomingAccount account_;
};

TEST_F(ImapDelivery, NewMailArrivesAndIsFlaggedSeenOnTheServer) {
  server_.Deliver(SmallMail("Printer", "i1"));
  server_.Deliver(SmallMail("Screen", "i2"));

  ReceiveReport report = ReceiveOnce();

  EXPECT_EQ(report.delivered, 2);
  ASSERT_EQ(InboxCount(), 2);
  EXPECT_EQ(inbox_->Items()->Item(1)->Subject(), "Printer");
  EXPECT_EQ(inbox_->Items()->Item(2)->Subject(), "Screen");
  EXPECT_EQ(SeenOnServer(), 2);
  EXPECT_EQ(server_.Mails().size(), 2u) << "kept on the server";
}

TEST_F(ImapDelivery,
       TheCursorSurvivesARestartSoOnlyNewerMailIsFetchedAndALostOneBringsNoneTwice) {
  server_.Deliver(SmallMail("Printer", "i1"));
  ReceiveOnce();
  ASSERT_TRUE(fs::exists(Cursor()));
  server_.Deliver(SmallMail("Screen", "i2"));

  // A new source, as after a restart of the worker.
  ReceiveReport report = ReceiveOnce();

  EXPECT_EQ(report.delivered, 1);
  EXPECT_EQ(report.known, 0) << "the old mail was not even looked at";
  EXPECT_EQ(InboxCount(), 2);

  // A lost cursor does not bring mail in twice.
  fs::remove(Cursor());
  report = ReceiveOnce();
  EXPECT_EQ(report.known, 2);
  EXPECT_EQ(InboxCount(), 2);
}

TEST_F(ImapDelivery, AKillBetweenStoringAndFlaggingLeavesNoDuplicate) {
  server_.Deliver(SmallMail("Printer", "i1"));
  int status = testing::InChild([&] {
    NameSpace child(testing::Ann(), nullptr,
                    {{MailboxPath(), "Mailbox - Ann Smith", StoreKind::Mailbox}});
    ImapSource inner(account_, Cursor());
    testing::DyingSource dying(inner);
    Receive(dying, account_.name, *child.GetDefaultFolder(DefaultFolder::Inbox));
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(InboxCount(), 1);
  EXPECT_EQ(SeenOnServer(), 0);

  ReceiveReport report = ReceiveOnce();

  EXPECT_EQ(report.known, 1);
  EXPECT_EQ(report.delivered, 0);
  EXPECT_EQ(InboxCount(), 1);
  EXPECT_EQ(SeenOnServer(), 1);
}

TEST_F(ImapDelivery, DeletedHandledMailLeavesTheServer) {
  account_.handled = HandledMail::Delete;
  server_.Deliver(SmallMail("Printer", "i1"));
  ReceiveOnce();
  EXPECT_EQ(InboxCount(), 1);
  EXPECT_TRUE(server_.Mails().empty());
}

TEST_F(ImapDelivery, AWrongPasswordIsANetworkErrorThatNamesTheMailbox) {
  account_.server.password = "wrong";
  ImapSource source(account_, Cursor());
  try {
    Receive(source, account_.name, *inbox_);
    ADD_FAILURE() << "the login was taken";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), err::kNetworkError);
    EXPECT_NE(error.Description().find("helpdesk@127.0.0.1"), std::string::npos)
        << error.Description();
  }
}

// Waits up to five seconds for `condition`.
template <typename Condition>
bool Within5s(Condition condition) {
  for (int i = 0; i < 100; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

TEST_F(ImapDelivery, IdleAnnouncesNewMailAtOnceAndAWrongPasswordLeavesItToPolling) {
  Profile profile;
  profile.incoming.push_back(account_);
  IncomingAccount refused = account_;
  refused.name = "refused";
  refused.server.password = "wrong";
  profile.incoming.push_back(refused);
  // Renewed every second: the IDLE goes on across renewals.
  IdleWatch watch(profile, {.renew = std::chrono::seconds(1)});
  ASSERT_TRUE(Within5s([&] { return watch.Idling() == 1; }));
  EXPECT_FALSE(watch.TakeArrival());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));

  server_.Deliver(SmallMail("Printer", "i1"));

  EXPECT_TRUE(Within5s([&] { return watch.TakeArrival(); }));
  EXPECT_FALSE(watch.TakeArrival()) << "taken once";
  // Between two renewals the account is briefly out of IDLE.
  EXPECT_TRUE(Within5s([&] { return watch.Idling() == 1; })) << "back in IDLE after the mail";
}

}  // namespace
}  // namespace zanvoro::host
