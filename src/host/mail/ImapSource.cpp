#include "host/mail/ImapSource.h"

#include <map>
#include <vmime/net/imap/IMAPFolder.hpp>

#include "host/mail/NetService.h"
#include "host/os/AtomicFile.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.ImapSource";

vmime::net::folder::path FolderPath(std::string_view name) {
  vmime::net::folder::path path;
  for (const std::string& part : Split(name, "/")) {
    if (!part.empty()) path.appendComponent(vmime::net::folder::path::component(part));
  }
  return path;
}

uint64_t ToNumber(std::string_view text) {
  uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  return n;
}

}  // namespace

struct ImapSource::Impl {
  IncomingAccount account;
  std::filesystem::path state_file;
  vmime::shared_ptr<vmime::net::store> store;
  vmime::shared_ptr<vmime::net::folder> folder;
  std::map<uint64_t, vmime::shared_ptr<vmime::net::message>> messages;
  uint64_t validity = 0;
  uint64_t last_uid = 0;
  bool expunge = false;

  std::string Where() const {
    return "the IMAP folder " + account.server_folder + " of " + account.server.user +
           "@" + account.server.host;
  }

  // "<UIDVALIDITY> <last UID>"; anything else starts from the beginning.
  void LoadCursor() {
    std::optional<std::string> text = ReadFileIfExists(state_file);
    validity = last_uid = 0;
    if (!text) return;
    std::vector<std::string> parts = Split(Trim(Replace(*text, "\n", "")), " ");
    if (parts.size() != 2) return;
    validity = ToNumber(parts[0]);
    last_uid = ToNumber(parts[1]);
  }

  void SaveCursor() {
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(state_file.parent_path(), ignored);
    WriteFileAtomically(state_file,
                        std::to_string(validity) + " " + std::to_string(last_uid) + "\n",
                        FileAccess::Private);
  }

  void Open() {
    if (folder) return;
    store = net::MakeStore(account.server, "imap");
    store->connect();
    folder = store->getFolder(FolderPath(account.server_folder));
    bool read_only = account.handled == HandledMail::Keep;
    folder->open(read_only ? vmime::net::folder::MODE_READ_ONLY
                           : vmime::net::folder::MODE_READ_WRITE);
    auto imap = vmime::dynamicCast<vmime::net::imap::IMAPFolder>(folder);
    uint64_t server_validity = imap ? imap->getUIDValidity() : 0;
    LoadCursor();
    // The server renumbered the folder: the old UIDs mean nothing now.
    if (server_validity != validity) {
      validity = server_validity;
      last_uid = 0;
    }
  }
};

ImapSource::ImapSource(IncomingAccount account, std::filesystem::path state_file)
    : impl_(std::make_unique<Impl>()) {
  impl_->account = std::move(account);
  impl_->state_file = std::move(state_file);
}

ImapSource::~ImapSource() {
  try {
    Close();
  } catch (...) {
    // Closing is best effort; the cursor was saved with each mail.
  }
}

std::vector<SourceMessage> ImapSource::Pending() {
  Impl& impl = *impl_;
  std::vector<SourceMessage> pending;
  try {
    impl.Open();
    impl.messages.clear();
    // "UID n:*" always answers with the newest mail, even below n.
    auto found = impl.folder->getAndFetchMessages(
        vmime::net::messageSet::byUID(std::to_string(impl.last_uid + 1), "*"),
        vmime::net::fetchAttributes(vmime::net::fetchAttributes::UID));
    for (const auto& message : found) {
      uint64_t uid = ToNumber(static_cast<std::string>(message->getUID()));
      if (uid <= impl.last_uid) continue;
      impl.messages[uid] = message;
    }
  } catch (const Error&) {
    throw;
  } catch (const std::exception& cause) {
    net::RaiseNetworkError("Cannot read " + impl.Where(), cause, kSource);
  }
  for (const auto& [uid, message] : impl.messages) {
    pending.push_back(
        SourceMessage{"imap:" + std::to_string(impl.validity) + ":" + std::to_string(uid),
                      std::to_string(uid)});
  }
  return pending;
}

std::string ImapSource::Fetch(const SourceMessage& message) {
  Impl& impl = *impl_;
  auto found = impl.messages.find(ToNumber(message.handle));
  if (found == impl.messages.end()) {
    throw Error(err::kFileNotFound, "The mail " + message.handle + " is not in the list",
                kSource);
  }
  return net::ReadMessageText(*found->second,
                              "mail " + message.handle + " of " + impl.Where(), kSource);
}

void ImapSource::Acknowledge(const SourceMessage& message) {
  Impl& impl = *impl_;
  uint64_t uid = ToNumber(message.handle);
  auto set = vmime::net::messageSet::byUID(message.handle);
  try {
    switch (impl.account.handled) {
      case HandledMail::Keep:
        break;
      case HandledMail::Flag:
        impl.folder->setMessageFlags(set, vmime::net::message::FLAG_SEEN,
                                     vmime::net::message::FLAG_MODE_ADD);
        break;
      case HandledMail::Move:
        impl.folder->copyMessages(FolderPath(impl.account.move_to), set);
        [[fallthrough]];
      case HandledMail::Delete:
        impl.folder->setMessageFlags(set, vmime::net::message::FLAG_DELETED,
                                     vmime::net::message::FLAG_MODE_ADD);
        impl.expunge = true;
        break;
    }
  } catch (const std::exception& cause) {
    net::RaiseNetworkError("Cannot update mail " + message.handle + " of " + impl.Where(),
                           cause, kSource);
  }
  if (uid > impl.last_uid) {
    impl.last_uid = uid;
    impl.SaveCursor();
  }
}

void ImapSource::Close() {
  Impl& impl = *impl_;
  impl.messages.clear();
  auto folder = std::move(impl.folder);
  auto store = std::move(impl.store);
  try {
    if (folder && folder->isOpen()) {
      // EXPUNGE waits for the server's answer; CLOSE alone may not.
      if (impl.expunge) folder->expunge();
      folder->close(false);
    }
    if (store && store->isConnected()) store->disconnect();
  } catch (const std::exception& cause) {
    net::RaiseNetworkError("Cannot close " + impl.Where(), cause, kSource);
  }
  impl.expunge = false;
}

}  // namespace zanvoro::host
