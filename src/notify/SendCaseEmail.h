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

// Asks the profile's send/receive worker to send the Outbox now (the mail
// waits for the worker's next poll when none runs).
void DeliverNow();

// Whether notification template `key` is switched on and its text holds
// more than blanks and line breaks.
bool IsNotificationOn(std::string_view key);

// Renders and sends (or displays) the notification mail of `kind` about
// `c` to `to` ("a@x; b@y": split at ";", or kForwardRecipient). Returns
// kSendSuccess when the mail was handed to the transport, "" otherwise.
//
// The mail is made in the user's Drafts: HTML body c.ToHTML(kind), subject
// c.ToSubjectHTML(kind), BillingInformation NotificationLabel(kind), the
// sending mailbox of SetSendingAccount, and as blind copies the associated
// users (ShouldCopyUsers) plus, for kinds 11 and 12, the list of
// "tpoUsersToNotifyOnCaseGeneration" or "tpoUsersToNotifyOnClosedCase"
// while its switch is on. The attachments of the case's item (found by
// c.EntryID) are copied as they are, embedded pictures included, and the
// names of the attached files follow the body after "<BR><BR>", one per
// line; the case body itself is in the rendering (VNH_CASEDESCRIPTION).
// Its sent copy goes to GetSentCopyFolder().
//
// SendMode::Send hands it to the transport (Item::Send: the Outbox) and
// shows a tray balloon titled kApplicationTitle: the phrase of kinds 11,
// 12, 13, 14, 17 and 19, else the label followed by the recipients; kinds
// without a label show none. SendMode::Display, and kForwardRecipient
// whatever the mode, save the mail and open it for the user without
// sending; a forward has no recipients. An empty `to` sends nothing; with
// SendMode::Display the mail is shown without recipients.
//
// Kind 2 with an empty `to` is the printout: the host has no printer, so
// the rendered sheet is written to "Zanvoro Case <case ID>.html" in the
// user's documents folder (host::DocumentsFolder) and opened with the
// desktop's program for it (host::ShellOpen), to be printed from
// there; when nothing can open it the file stays.
std::string SendCaseEmail(std::string_view to, int32_t kind, cCase& c, SendMode mode);

// The notifications of a new case after the caller's confirmation, in this
// order: the caller told which technicians were assigned (kind 17, e-mail
// and SMS to `caller_mobile`; only for a case with technicians), the
// technicians told of the assignment (kind 13, to their addresses and
// mobiles), and the managers told of a case without technician (kind 25).
// Each e-mail and SMS only when its template is on (IsNotificationOn) and
// it has somewhere to go. The SMS are the templates of codes 18, 8 and 26
// (and 20 below) rendered with c.ToHTML; each sent one is announced by a
// CONST_SMS_SENT balloon. A technician of the case without an address or
// mobile of their own is reached at those of the technician list.
void NotifyCallerOfAssignedTechnicians(cCase& c, std::string_view caller_mobile);
void NotifyTechniciansOfAssignment(cCase& c);
// The managers are the names of "sdoManagers" (separated by ";" or ",")
// that the technician list knows, letter case ignored; the others are
// skipped. Their addresses are joined by ";", their mobiles by ",".
// `incoming` is the mail the case came from, or nullptr; the case already
// holds what the notification needs from it.
void NotifyManagersOfUnassignedCase(cCase& c, host::Item* incoming);

// The technicians told that the caller replied (kind 19, e-mail and SMS),
// unless `reply` carries a true "DisableNotification".
void NotifyTechniciansOfCallerReply(cCase& c, host::Item& reply);

}  // namespace zanvoro
