// Sending the mails waiting in the Outbox of every mailbox store of a
// session. A mail waits there from Item::Send on, marked submitted (a mail
// moved there otherwise is sent all the same). Each
// attempt is claimed in the store first (so two workers never send one
// mail at the same time) and recorded on the mail as user properties:
// "Transport.Attempts", "Transport.NextAttempt" and "Transport.Error".
//  - Sent: the mail gets its Message-ID and SentOn and moves to its
//    SaveSentMessageFolder, or else the store's Sent Items.
//  - Retry: it stays in the Outbox with the error and is tried again after
//    1, 2, 4... minutes (at most an hour apart); after two days it fails.
//  - Failed: it stays in the Outbox marked "Transport.Failed" with the
//    error, and a non-delivery report arrives in the Inbox.
// A process that dies after the next hop took a mail but before it was
// moved sends it again at the next attempt: sending is at least once.
#pragma once

#include "host/mail/Delivery.h"
#include "host/mail/MailExport.h"

namespace zanvoro::host {

class MailTransport;
class NameSpace;

inline constexpr const char* kAttemptsProperty = "Transport.Attempts";
inline constexpr const char* kNextAttemptProperty = "Transport.NextAttempt";
inline constexpr const char* kErrorProperty = "Transport.Error";
inline constexpr const char* kFailedProperty = "Transport.Failed";

struct DispatchReport {
  int sent = 0;
  int retrying = 0;  // failed this time, tried again later
  int failed = 0;    // failed for good: reported in the Inbox
};

// Sends the submitted mails that are due at `options.now` (the zero date:
// now). Store errors other than a mail changed or deleted meanwhile (which
// is left for the next pass) end the pass and are raised.
DispatchReport Dispatch(NameSpace& session, MailTransport& transport,
                        const ExportOptions& options,
                        const StopRequested& stop_requested = {});

}  // namespace zanvoro::host
