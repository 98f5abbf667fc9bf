#include "host/mail/Delivery.h"

#include <vmime/security/digest/messageDigestFactory.hpp>

#include "host/mail/MailImport.h"
#include "host/mail/MailSource.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Store.h"
#include "runtime/Error.h"

namespace zanvoro::host {

std::string SourceKey(std::string_view account, std::string_view identity) {
  return std::string(account) + "|" + std::string(identity);
}

std::string ContentKey(std::string_view account, std::string_view message_id,
                       std::string_view rfc5322) {
  auto digest =
      vmime::security::digest::messageDigestFactory::getInstance()->create("sha1");
  digest->update(reinterpret_cast<const vmime::byte_t*>(rfc5322.data()), rfc5322.size());
  digest->finalize();
  return std::string(account) + "|content:" + std::string(message_id) + ":" +
         digest->getHexDigest();
}

ReceiveReport Receive(MailSource& source, std::string_view account, MAPIFolder& folder,
                      const StopRequested& stop_requested) {
  ReceiveReport report;
  std::shared_ptr<Store> store = folder.GetStore();
  for (const SourceMessage& message : source.Pending()) {
    if (stop_requested && stop_requested()) break;
    std::vector<std::string> keys;
    if (!message.identity.empty()) {
      keys.push_back(SourceKey(account, message.identity));
      // Stored before a crash kept it from being given up: give it up now.
      if (store->WasDelivered(keys.back())) {
        source.Acknowledge(message);
        ++report.known;
        continue;
      }
    }
    std::string text;
    try {
      text = source.Fetch(message);
    } catch (const Error& error) {
      if (error.Number() == err::kFileNotFound) continue;
      throw;
    }
    std::shared_ptr<Item> item = folder.Items()->Add("IPM.Note");
    ImportOutcome outcome = ImportMessage(text, *item, Now());
    keys.push_back(ContentKey(account, outcome.message_id, text));
    if (item->SaveAsDelivered(keys)) {
      ++report.delivered;
      if (outcome.damaged) ++report.damaged;
    } else {
      // The same mail under another name (a server that renumbered its
      // mailbox, a file dropped twice), or another worker was first.
      ++report.known;
    }
    source.Acknowledge(message);
  }
  return report;
}

}  // namespace zanvoro::host
