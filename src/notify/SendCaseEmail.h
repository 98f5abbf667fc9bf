// Notification e-mail about a case: a mail rendered from the case's
// template for notification kind `kind` (the kinds are the notification
// codes of case/NotificationCodes.h), labelled in BillingInformation with
// the kind's notification label, copied to the people the kind's copy rule
// names, sent on behalf of the support mailbox, with its sent copy filed
// into the "ManagerCopy" folder under Sent Items so that it comes back to
// the case's conversation.
//
// Every public procedure follows the failure convention (Trap) and returns
// its neutral value on failure; a failed notification never undoes what
// happened to the case. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "errors/modErroHandling.h"  // SendMode: Send, or Display to the user

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
}  // namespace host

class cCase;

// The recipient text that makes the mail a forward: no recipient is set and
// the mail is shown to the user.
inline constexpr std::string_view kForwardRecipient = "FORWARD";
// The sub-folder of Sent Items that receives the sent copies.
inline constexpr const char* kSentCopyFolderName = "ManagerCopy";
// What SendCaseEmail returns when the mail was handed to the transport.
inline constexpr const char* kSendSuccess = "Success";

// The label written into a notification mail's BillingInformation ("Case
// Allotment Notification Sent to" for kind 11...; "" for 3, 10, 27, 28;
// "NIL" for kinds without a label).
std::string NotificationLabel(int32_t kind);
// Whether kind's copy setting asks for the case's associated users in copy.
bool ShouldCopyUsers(int32_t kind);
// Sends `mail` on behalf of "sdoSupportMailbox", or, when that is empty and
// "tpoMonitoringUseRecipientAccountForOutgoing" is on, of the address the
// caller wrote to (`case_recipient_address`).
void SetSendingAccount(host::Item& mail, std::string_view case_recipient_address);
// The "ManagerCopy" folder under the user's Sent Items, made when missing;
// nullptr when there is none and it cannot be made.
std::shared_ptr<host::MAPIFolder> GetSentCopyFolder();

// Whether notification template `key` is switched on and not blank.
bool IsNotificationOn(std::string_view key);

// Renders and sends (or displays) the notification mail of `kind` about
// `c` to `to` ("a@x; b@y", or kForwardRecipient). With an empty `to` and
// kind 2 the rendered sheet is printed instead. Returns kSendSuccess when
// the mail was handed to the transport, "" otherwise.
std::string SendCaseEmail(std::string_view to, int32_t kind, cCase& c, SendMode mode);

// The notifications of a new case after the caller's confirmation, in this
// order: the caller told which technicians were assigned (kind 17, e-mail
// and SMS to `caller_mobile`), the technicians told of the assignment
// (kind 13), and the managers told of a case without technician (kind 25).
// Each only when its template is on; SMS only to a known number.
void NotifyCallerOfAssignedTechnicians(cCase& c, std::string_view caller_mobile);
void NotifyTechniciansOfAssignment(cCase& c);
// `incoming` is the mail the case came from, or nullptr.
void NotifyManagersOfUnassignedCase(cCase& c, host::Item* incoming);

// The technicians told that the caller replied (kind 19, e-mail and SMS),
// unless `reply` carries a true "DisableNotification".
void NotifyTechniciansOfCallerReply(cCase& c, host::Item& reply);

}  // namespace zanvoro
