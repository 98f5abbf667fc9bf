// Turning a message as it arrives from the network (RFC 5322 / MIME) into a
// mail item of the store. UI thread or a worker: the functions hold no state.
#pragma once

#include <string>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro::host {

class Item;

struct ImportOutcome {
  std::string message_id;  // "<id@domain>" as in the header; "" when the mail had none
  bool damaged = false;    // the mail could not be read in full
  std::string problem;     // what was wrong with it, when damaged
};

// Fills `item` (new and unsaved, from Items::Add("IPM.Note")) from the
// message: message class, subject, sender, To and CC recipients, dates,
// threading fields, bodies converted to UTF-8, attachments and inline
// pictures, importance. `received` becomes ReceivedTime. Never throws for bad
// input: a message that cannot be read still fills the item, whose body then
// explains the problem and which carries the original as "original.eml".
// The caller saves the item.
ImportOutcome ImportMessage(std::string_view rfc5322, Item& item, Date received);

// The message class a mail server gives the message: out-of-office and other
// automatic replies "IPM.Note.Rules.OofTemplate.Microsoft", delivery reports
// "REPORT.IPM.Note.NDR", read receipts "REPORT.IPM.Note.IPNRN", signed mail
// "IPM.Note.SMIME.MultipartSigned", encrypted mail "IPM.Note.SMIME", meeting
// requests "IPM.Schedule.Meeting.Request", anything else "IPM.Note".
std::string MessageClassFor(std::string_view rfc5322);

}  // namespace zanvoro::host
