// The user's profile: who the user is, where the hive and the message stores
// are, and the regional formats. One file, "profile.json", in the profile
// folder; several profiles (technicians, tests) can live side by side.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Date.h"

namespace zanvoro::host {

enum class StoreRole { Mailbox, Shared, Archive };

// "mailbox", "shared", "archive"; nullopt for any other text.
std::string_view StoreRoleName(StoreRole role);
std::optional<StoreRole> StoreRoleFromName(std::string_view name);

struct StoreLocation {
  std::filesystem::path path;  // absolute
  std::string display_name;
  StoreRole role = StoreRole::Mailbox;
};

// How a connection to a mail server is protected: not at all, by upgrading
// a plain connection (STARTTLS), or with TLS from the first byte.
enum class MailSecurity { None, StartTls, Tls };
// Whether the server's certificate must chain to a trusted authority (the
// system's bundle), or any certificate is taken (test servers only).
enum class CertificateCheck { Verify, TrustAny };

struct MailServer {
  std::string host;
  int port = 0;  // 0: the protocol's usual port for the security chosen
  MailSecurity security = MailSecurity::None;
  std::string user;  // empty: no authentication
  std::string password;
  CertificateCheck certificate = CertificateCheck::Verify;
};

// Where incoming mail comes from: a Maildir drop folder that a local MTA,
// fetchmail or a person fills, an IMAP mailbox or a POP3 mailbox.
enum class IncomingKind { Maildir, Imap, Pop3 };
// What is done at the source with a mail once it is safely in the store. A
// Maildir drop always gives its files up; POP3 knows Keep and Delete.
enum class HandledMail { Keep, Flag, Move, Delete };

struct IncomingAccount {
  std::string name;  // unique in the profile; names the account's state
  IncomingKind kind = IncomingKind::Maildir;
  std::filesystem::path maildir;        // absolute; Maildir only
  MailServer server;                    // IMAP and POP3
  std::string server_folder = "INBOX";  // IMAP
  HandledMail handled = HandledMail::Keep;
  std::string move_to;  // IMAP folder for HandledMail::Move
  // The store folder that receives the mail: a folder path as FolderPath
  // writes it, or one relative to the mailbox ("Inbox\Support"); empty
  // means the mailbox's Inbox.
  std::string deliver_to;
};

// How outgoing mail leaves: into an outbox Maildir that a local MTA picks
// up, to an SMTP server, or through a sendmail-compatible program.
enum class OutgoingKind { Outbox, Smtp, Sendmail };

struct OutgoingAccount {
  OutgoingKind kind = OutgoingKind::Outbox;
  std::filesystem::path outbox;                          // absolute; Outbox only
  MailServer server;                                     // SMTP
  std::filesystem::path program = "/usr/sbin/sendmail";  // Sendmail
};

// "maildir", "imap", "pop3" / "outbox", "smtp", "sendmail" /
// "none", "starttls", "tls" / "keep", "flag", "move", "delete".
std::string_view IncomingKindName(IncomingKind kind);
std::string_view OutgoingKindName(OutgoingKind kind);
std::string_view MailSecurityName(MailSecurity security);
std::string_view HandledMailName(HandledMail handled);

struct Profile {
  static constexpr const char* kFileName = "profile.json";

  std::filesystem::path folder;  // absolute
  std::string user_name;         // display name
  std::string smtp_address;
  std::filesystem::path hive_path;  // absolute; default "<folder>/hive.json"
  std::vector<StoreLocation> stores;
  RegionalFormats formats;
  std::string host_version = "16.0";

  // Mail accounts. By default one Maildir drop "<folder>/drop" delivering
  // into the Inbox, and an outbox Maildir "<folder>/outbox".
  std::vector<IncomingAccount> incoming;
  OutgoingAccount outgoing;
  // How often the send/receive worker polls the incoming accounts.
  int poll_seconds = 60;
  // The domain of the Message-IDs of mail sent from this profile.
  std::string message_id_domain = "zanvoro.invalid";

  // "<config folder>/zanvoro/profile".
  static std::filesystem::path DefaultFolder();

  // Reads "<folder>/profile.json" and applies its regional formats
  // (SetRegionalFormats). A folder without one gets a default profile, saved
  // there: the user's name from the system, the address "<login>@localhost",
  // "<folder>/hive.json", one mailbox store "<folder>/mailbox.zdb" named
  // after the user and the default mail accounts. Missing entries take these defaults. A
  // malformed file raises an Error (err::kCorruptData) naming the file and the problem
  // and is left as it is; a file that cannot be read or written raises an Error too.
  static Profile Load(const std::filesystem::path& folder);
  // The default profile for `folder`, without touching the disk.
  static Profile Default(const std::filesystem::path& folder);

  // Writes the profile atomically (a crash leaves the old or the new file).
  // Paths inside the folder are stored relative to it, so a profile folder
  // can be moved or copied whole.
  void Save() const;

  std::filesystem::path FilePath() const { return folder / kFileName; }
  // The hive to open: the file named by ZANVORO_HIVE when it is set, else
  // hive_path.
  std::filesystem::path EffectiveHivePath() const;
};

}  // namespace zanvoro::host
