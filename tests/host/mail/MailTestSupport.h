// Shared pieces of the mail tests: the corpus, and new mail items in a
// mailbox on a temporary store file.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "host/mail/MailImport.h"
#include "host/store/Attachments.h"
#include "host/store/Recipients.h"
#include "host/store/StoreTestSupport.h"

namespace zanvoro::host::testing {

inline std::string ReadCorpus(const std::string& name) {
  std::ifstream in(std::string(ZANVORO_MAIL_CORPUS) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing corpus file " + name);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// 3 March 2026 12:00, local time.
inline Date DeliveryTime() { return MakeDate(DateParts{2026, 3, 3, 12, 0, 0}); }

class MailTest : public StoreTest {
 protected:
  void SetUp() override { ns_ = OpenAnn(); }

  std::shared_ptr<Item> NewMail() {
    return ns_->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add("IPM.Note");
  }
  // Imports, saves, and reads the item back from the store.
  std::shared_ptr<Item> Import(const std::string& rfc5322,
                               ImportOutcome* outcome = nullptr) {
    auto item = NewMail();
    ImportOutcome result = ImportMessage(rfc5322, *item, DeliveryTime());
    if (outcome) *outcome = result;
    item->Save();
    return ns_->GetItemFromID(item->EntryID());
  }

  std::unique_ptr<NameSpace> ns_;
};

}  // namespace zanvoro::host::testing
