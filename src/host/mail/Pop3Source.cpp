#include "host/mail/Pop3Source.h"

#include <map>

#include "host/mail/NetService.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

constexpr const char* kSource = "Zanvoro.Pop3Source";

}  // namespace

struct Pop3Source::Impl {
  IncomingAccount account;
  vmime::shared_ptr<vmime::net::store> store;
  vmime::shared_ptr<vmime::net::folder> folder;
  std::map<size_t, vmime::shared_ptr<vmime::net::message>> messages;
  bool expunge = false;

  std::string Where() const {
    return "the POP3 mailbox " + account.server.user + "@" + account.server.host;
  }
};

Pop3Source::Pop3Source(IncomingAccount account) : impl_(std::make_unique<Impl>()) {
  impl_->account = std::move(account);
}

Pop3Source::~Pop3Source() {
  try {
    Close();
  } catch (...) {
    // Unconfirmed deletions stay undone; the records know those mails.
  }
}

std::vector<SourceMessage> Pop3Source::Pending() {
  Impl& impl = *impl_;
  std::vector<SourceMessage> pending;
  try {
    if (!impl.folder) {
      impl.store = net::MakeStore(impl.account.server, "pop3");
      impl.store->connect();
      impl.folder = impl.store->getDefaultFolder();
      impl.folder->open(vmime::net::folder::MODE_READ_WRITE);
    }
    impl.messages.clear();
    if (impl.folder->getMessageCount() == 0) return pending;
    auto found = impl.folder->getMessages(vmime::net::messageSet::byNumber(1, -1));
    impl.folder->fetchMessages(
        found, vmime::net::fetchAttributes(vmime::net::fetchAttributes::UID));
    for (const auto& message : found) {
      impl.messages[message->getNumber()] = message;
      std::string uid = static_cast<std::string>(message->getUID());
      pending.push_back(SourceMessage{uid.empty() ? std::string() : "pop3:" + uid,
                                      std::to_string(message->getNumber())});
    }
  } catch (const Error&) {
    throw;
  } catch (const std::exception& cause) {
    net::RaiseNetworkError("Cannot read " + impl.Where(), cause, kSource);
  }
  return pending;
}

std::string Pop3Source::Fetch(const SourceMessage& message) {
  Impl& impl = *impl_;
  auto found = impl.messages.find(std::stoul(message.handle));
  if (found == impl.messages.end()) {
    throw Error(err::kFileNotFound, "The mail " + message.handle + " is not in the list",
                kSource);
  }
  return net::ReadMessageText(*found->second,
                              "mail " + message.handle + " of " + impl.Where(), kSource);
}

void Pop3Source::Acknowledge(const SourceMessage& message) {
  Impl& impl = *impl_;
  if (impl.account.handled != HandledMail::Delete) return;
  try {
    impl.folder->deleteMessages(
        vmime::net::messageSet::byNumber(std::stoul(message.handle)));
    impl.expunge = true;
  } catch (const std::exception& cause) {
    net::RaiseNetworkError("Cannot delete mail " + message.handle + " of " + impl.Where(),
                           cause, kSource);
  }
}

void Pop3Source::Close() {
  Impl& impl = *impl_;
  impl.messages.clear();
  auto folder = std::move(impl.folder);
  auto store = std::move(impl.store);
  try {
    if (folder && folder->isOpen()) folder->close(impl.expunge);
    if (store && store->isConnected()) store->disconnect();
  } catch (const std::exception& cause) {
    net::RaiseNetworkError("Cannot close " + impl.Where(), cause, kSource);
  }
  impl.expunge = false;
}

}  // namespace zanvoro::host
