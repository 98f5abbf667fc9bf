// Turning a mail item into the message that goes out (RFC 5322 / MIME).
// The functions hold no state.
#pragma once

#include <string>
#include <vector>

#include "host/store/StoreTypes.h"
#include "runtime/Date.h"

namespace zanvoro::host {

class Item;

// Who wrote the mail: a person, or the system on its own (notifications,
// acknowledgements), which other systems must not answer automatically.
enum class MailOrigin { Person, Generated };

struct ExportOptions {
  UserInfo user;  // the profile's user: From, or Sender when sent on behalf
  MailOrigin origin = MailOrigin::Person;
  std::string message_id_domain = "zanvoro.invalid";
  Date now;  // the Date of the mail; the zero date means the current time
};

struct ExportedMail {
  std::string rfc5322;
  std::string message_id;  // "<id@domain>"; keep it on the item (SetMessageID)
  std::vector<std::string> envelope_recipients;  // To, CC and BCC addresses
  std::string envelope_from;
};

// The message for sending `item`: From is the user, or the SentOnBehalfOfName
// mailbox with the user as Sender; To and CC from the recipients (BCC only in
// the envelope); an HTML body goes with a plain-text alternative and its
// inline pictures, a plain one (BodyFormat 1) alone; then the attachments.
// Threading and importance headers follow the item's fields. Raises
// Error(err::kCallFailed) for an item without recipients, with a recipient
// whose name resolves to no address, or sent on behalf of a name without an
// address. Reads the item and changes nothing but resolving such names.
ExportedMail ExportMessage(Item& item, const ExportOptions& options);

}  // namespace zanvoro::host
