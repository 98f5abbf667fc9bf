// Turning an item that arrived in a watched place into a case: the one
// entry point every watcher calls (a monitored folder or mailbox, the
// Ongoing folder, the start-up sweep). An item either becomes a new case,
// is attached to its existing case, or is set aside ("Unprocessed Emails",
// "Conflicted Emails" beside it).
//
// Every public procedure follows the failure convention (Trap, locations
// "CaseHelper.<procedure>"). UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "case/NotificationCodes.h"
#include "host/store/StoreTypes.h"

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
}  // namespace host

class cCase;
struct cMonitoredFolderData;

// Processes `item` (see above). `origin` is the "sdoOriginEmail" setting;
// `folder_data` the monitored folder's record, or nullptr (the Ongoing
// folder, the start-up sweep). Returns whether the item was processed.
bool ProcessIncomingItem(const std::shared_ptr<host::Item>& item, std::string_view origin,
                         const cMonitoredFolderData* folder_data);

// What the intake asks of the monitoring when a folder cannot be written
// (stop watching that folder until the next start) or the Ongoing folder
// refuses new cases (stop watching every folder). The monitoring installs
// them; without them nothing is stopped. Installing or removing them starts
// the loop guard's counts afresh (a new monitoring session).
struct MonitoringControl {
  std::function<void(host::MAPIFolder& folder)> stop_folder;
  std::function<void()> stop_all;
};
void SetMonitoringControl(MonitoringControl control);

// The marker of an item that was already turned into a case and is deleted
// when it arrives again.
inline constexpr const char* kAlreadyProcessed = "ALREADYPROCESSED";
// The set-aside folders beside a monitored folder.
inline constexpr const char* kUnprocessedFolderName = "Unprocessed Emails";
inline constexpr const char* kConflictedFolderName = "Conflicted Emails";
inline constexpr const char* kProcessedFolderName = "Processed Emails";
// What CreateCase returns when the Ongoing folder refuses new items.
inline constexpr const char* kOngoingRefused = "-1";

// Deletes an item marked kAlreadyProcessed, and saves any other once as a
// write test; when that save fails the item's folder stops being watched.
// Returns whether processing may go on.
bool PrepareIncomingItem(const std::shared_ptr<host::Item>& item);

// Whether a message class is a plain mail or post ("IPM.NOTE", "IPM.POST",
// "IPM.NOTE.SMIME.MULTIPARTSIGNED", letter case ignored); out-of-office
// replies, receipts, reports and encrypted mail are not.
bool IsProcessableMailClass(std::string_view message_class);
// Whether a case may be made from the item: a mail, or a post, meeting or
// task when the general settings allow them.
bool IsCompatibleMessageClass(host::Item& item);
// Whether the item is neither a case, a closed case, a contact nor a note.
bool fncIsNonCaseItem(host::Item& item);

// The sender as the helpdesk identifies them. `smtp_address` is what the
// address book gives for the sender (looked up by name, then by address; a
// bare address that matches no entry stands for itself), `address` the
// address the mail carries.
struct SenderIdentity {
  std::string name;
  std::string smtp_address;
  std::string address;
  // The address-book entry found; a bare address standing for itself has
  // no contact fields.
  std::optional<host::AddressEntry> entry;
};
SenderIdentity SenderOf(host::Item& item);
// The sender's identifying address: the SMTP address, unless it is empty,
// holds ";" (several addresses) or no "@", in which case the address. The
// caller list is looked up, and the confirmation sent, by this address.
std::string SenderCallerAddress(host::Item& item);
// Whether the sender's address is a key of the caller list.
bool IsExistingCaller(host::Item& item);

// Makes a case from `item` (the steps of a new case, its notifications and
// due-date entries). Returns the new case number; "" when no case was made
// or it got no number; kOngoingRefused when the Ongoing folder refuses new
// items (the user has been told). `case_made`, when given, receives the
// new case item.
std::string CreateCase(const std::shared_ptr<host::Item>& item, std::string_view origin,
                       const cMonitoredFolderData* folder_data,
                       std::shared_ptr<host::Item>* case_made = nullptr);

// The defaults a case made by a user (not from a mail) gets, as a case made
// from a mail does: the technician who made it ("sdoAutoAssignTechOnNewCase"),
// the known caller's technician and SLA (by the case's caller address; the
// caller's details are the user's to give), else the default due date, the new-case options and the problem
// type named in the subject. Writes the item's fields; the caller saves it.
void ApplyUserCaseDefaults(host::Item& case_item);

// Fills the caller, contact, technician, SLA, body, attachment and due-date
// fields of `case_item` from `item` and saves it. Returns the caller's
// mobile number ("" when unknown).
std::string ExtractInfoFromEmail(host::Item& item, host::Item& case_item);

// A new web-access password: ten letters and digits from the system's
// random source.
std::string GenerateRandomPassword();

// The caller's confirmation of the new case `c` made from `incoming`:
// "sdoCaseCreationConfirmationEmail" to the sender, labelled and filed like
// every notification. Returns whether it was handed to the transport.
bool SendConfirmationEmail(host::Item& incoming, const cCase& c);
// "sdoCaseCreationConfirmationSMS" to `mobile`. Returns whether it was sent.
bool SendNotificationSMS(host::Item& incoming, const cCase& c, std::string_view mobile);
// `text` with the case's and the mail's values put in (see the variables
// in the source); in Markup::Html the text values are escaped.
std::string RenderConfirmationTemplate(std::string_view text, const cCase& c,
                                       host::Item& incoming, Markup markup);
// The web-access login table of the caller `email`; "" when the caller is
// not listed or has no password.
std::string GetLoginHTML(std::string_view email);

// Whether the administrator is told of a mail set aside as unprocessed.
enum class AdminAlert { No, Yes };

// The sub-folder `name` of `parent` (letter case ignored), made when
// missing; nullptr when there is none and it cannot be made.
std::shared_ptr<host::MAPIFolder> GetSetAsideFolder(
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name);
// Moves `item` to "Unprocessed Emails" beside it; with AdminAlert::Yes and
// "sdoAdminAlertOnNonExistentCase" the administrator is told.
void subMoveUnprocessedMail(const std::shared_ptr<host::Item>& item,
                            const std::shared_ptr<host::MAPIFolder>& parent,
                            AdminAlert alert);
// Moves `item` (never a case) to "Conflicted Emails" beside it; with
// "sdoAdminAlertOnConflictedEmail" the administrator is told.
void subMoveConflictedEmail(const std::shared_ptr<host::Item>& item,
                            const std::shared_ptr<host::MAPIFolder>& parent);

}  // namespace zanvoro
