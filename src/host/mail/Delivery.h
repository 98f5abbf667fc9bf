// Delivering incoming mail into a store folder exactly once. Each mail is
// stored together with records of its identity at the source and of its
// content (Message-ID and digest), in the same store transaction as the item
// itself; only then is it given up at the source. A process that dies
// between the two meets the mail again at the next pass, finds the record
// and gives it up without storing it a second time. A mail that cannot be
// read is stored all the same (with the original attached), never dropped.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro::host {

class MailSource;
class MAPIFolder;

struct ReceiveReport {
  int delivered = 0;  // new items in the folder
  int known = 0;      // met again, already in the store: given up only
  int damaged = 0;    // of the delivered ones, those that could not be read in full
};

// Returns true when the caller wants the pass to end; checked between mails.
using StopRequested = std::function<bool()>;

// Delivers every mail waiting at `source` into `folder`, oldest first.
// `account` names the source in the records (the profile's account name).
// Errors of the source (network, permissions) and of the store end the pass
// and are raised; the mails delivered so far stay delivered. A mail that
// vanished from the source before it was read is skipped.
ReceiveReport Receive(MailSource& source, std::string_view account, MAPIFolder& folder,
                      const StopRequested& stop_requested = {});

// The record key of a mail's identity at a source, and of its content.
std::string SourceKey(std::string_view account, std::string_view identity);
std::string ContentKey(std::string_view account, std::string_view message_id,
                       std::string_view rfc5322);

}  // namespace zanvoro::host
