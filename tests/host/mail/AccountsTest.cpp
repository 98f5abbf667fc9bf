#include <gtest/gtest.h>

#include <fstream>

#include "host/mail/SendReceive.h"
#include "host/os/Profile.h"
#include "host/store/StoreTestSupport.h"

namespace zanvoro::host {
namespace {

using testing::TempDir;

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(MailAccounts, ANewProfileUsesTheDropAndOutboxFoldersAndServerAccountsReadBack) {
  TempDir dir;
  Profile profile = Profile::Load(dir.File("p"));
  ASSERT_EQ(profile.incoming.size(), 1u);
  EXPECT_EQ(profile.incoming[0].kind, IncomingKind::Maildir);
  EXPECT_EQ(profile.incoming[0].maildir, profile.folder / "drop");
  EXPECT_EQ(profile.incoming[0].deliver_to, "");
  EXPECT_EQ(profile.outgoing.kind, OutgoingKind::Outbox);
  EXPECT_EQ(profile.outgoing.outbox, profile.folder / "outbox");
  EXPECT_EQ(profile.poll_seconds, 60);
  IncomingAccount imap;
  imap.name = "support";
  imap.kind = IncomingKind::Imap;
  imap.server = {"imap.example.test",       993, MailSecurity::Tls, "desk", "pw",
                 CertificateCheck::TrustAny};
  imap.server_folder = "INBOX/Helpdesk";
  imap.handled = HandledMail::Move;
  imap.move_to = "Archive";
  imap.deliver_to = "Inbox\\Support";
  profile.incoming.push_back(imap);
  profile.outgoing.kind = OutgoingKind::Smtp;
  profile.outgoing.server = {
      "smtp.example.test",     587, MailSecurity::StartTls, "desk", "pw",
      CertificateCheck::Verify};
  profile.poll_seconds = 15;
  profile.Save();

  Profile loaded = Profile::Load(profile.folder);
  ASSERT_EQ(loaded.incoming.size(), 2u);
  const IncomingAccount& back = loaded.incoming[1];
  EXPECT_EQ(back.name, "support");
  EXPECT_EQ(back.kind, IncomingKind::Imap);
  EXPECT_EQ(back.server.host, "imap.example.test");
  EXPECT_EQ(back.server.port, 993);
  EXPECT_EQ(back.server.security, MailSecurity::Tls);
  EXPECT_EQ(back.server.user, "desk");
  EXPECT_EQ(back.server.password, "pw");
  EXPECT_EQ(back.server.certificate, CertificateCheck::TrustAny);
  EXPECT_EQ(back.server_folder, "INBOX/Helpdesk");
  EXPECT_EQ(back.handled, HandledMail::Move);
  EXPECT_EQ(back.move_to, "Archive");
  EXPECT_EQ(back.deliver_to, "Inbox\\Support");
  EXPECT_EQ(loaded.outgoing.kind, OutgoingKind::Smtp);
  EXPECT_EQ(loaded.outgoing.server.security, MailSecurity::StartTls);
  EXPECT_EQ(loaded.outgoing.server.port, 587);
  EXPECT_EQ(loaded.poll_seconds, 15);
}

TEST(MailAccounts, AMalformedAccountIsAnErrorNamingTheEntry) {
  struct {
    const char* accounts;
    const char* named;
  } cases[] = {
      {R"({"incoming": {}})", "\"incoming\" must be a list"},
      {R"({"incoming": [{"type": "imap", "host": "h"}]})", "\"name\" must not be empty"},
      {R"({"incoming": [{"name": "a", "type": "imap"}]})", "\"host\" must not be empty"},
      {R"({"incoming": [{"name": "a", "type": "nntp"}]})", "\"type\" is \"nntp\""},
      {R"({"incoming": [{"name": "a", "path": "d"}, {"name": "a", "path": "e"}]})",
       "used twice"},
      {R"({"incoming": [{"name": "a", "type": "imap", "host": "h", "port": 70000}]})",
       "\"port\" must be between"},
      {R"({"incoming": [{"name": "a", "type": "imap", "host": "h", "handled": "move"}]})",
       "\"move_to\" is needed"},
      {R"({"outgoing": {"type": "smtp", "security": "ssl3", "host": "h"}})",
       "\"security\" is \"ssl3\""},
      {R"({"poll_seconds": 0})", "at least 1"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Write(dir.File("profile.json"), std::string(R"({"accounts": )") + c.accounts + "}");
    try {
      Profile::Load(dir.File(""));
      ADD_FAILURE() << c.accounts << " was taken";
    } catch (const Error& error) {
      EXPECT_EQ(error.Number(), err::kCorruptData);
      EXPECT_NE(error.Description().find(c.named), std::string::npos)
          << error.Description();
    }
  }
}

class FolderPaths : public testing::StoreTest {};

TEST_F(FolderPaths, FindFoldersBelowTheMailboxOrByTheirFullPath) {
  auto ns = OpenAnn();
  auto inbox = ns->GetDefaultFolder(DefaultFolder::Inbox);
  auto support = inbox->Folders().Add("Support");

  EXPECT_EQ(FolderByPath(*ns, "")->EntryID(), inbox->EntryID());
  EXPECT_EQ(FolderByPath(*ns, "Inbox\\Support")->EntryID(), support->EntryID());
  EXPECT_EQ(FolderByPath(*ns, "inbox/support")->EntryID(), support->EntryID());
  EXPECT_EQ(FolderByPath(*ns, support->FolderPath())->EntryID(), support->EntryID());
  testing::ExpectError(err::kNotFound, [&] { FolderByPath(*ns, "Inbox\\Sales"); });
  testing::ExpectError(err::kNotFound, [&] { FolderByPath(*ns, "\\\\Nowhere\\Inbox"); });
}

}  // namespace
}  // namespace zanvoro::host
