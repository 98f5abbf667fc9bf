// How a mail finds its case and is attached to it: the caller's reply path
// (close request, re-opening, the technicians told, the mail attached, the
// escalated status, the close), AddEmailToCase (markers on the mail, the
// move or copy to the History folder, the "Processed Emails" copy, the
// subject re-tagged to this case), the case link embedded in a mail, and
// the consolidated conversation in the case body.
//
// Every public procedure follows the failure convention (Trap, locations
// "CaseHelper.<procedure>"). UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

// What the attached mail is to the case (AddEmailToCase's kind).
enum class MailKind { Reply = 0, NewCase = 1, Outgoing = 2 };
// The entry the mail makes in the consolidated conversation.
enum class ConversationKind {
  ReplyReceived = 0,
  ReplySent = 1,
  ProblemDescription = 2,
  Notification = 3
};
// Who attaches the mail: the monitoring (move options "sdoMoveEmailOptionAuto")
// or a user's command ("sdoMoveEmailOption").
enum class AttachedBy { Monitoring, UserCommand };

// Whether the Ongoing or the Resolved folder holds case `number`.
bool CaseExists(std::string_view number);

// The whole path of a caller's reply to case `number`, in order: close
// request noted, the case re-opened when resolved (unless
// "tpoDontReopenCaseAutomatically"), the technicians told, the mail
// attached (kind Reply), the status escalated
// ("sdoCaseOptionStatusEscalatedCase"), the case closed when asked.
// The close runs without the mandatory-field check: nobody is there to fill
// in the fields. The case is found once and carried through every step
// (found again only after a re-open moved it). Returns whether the mail was
// attached. `case_handle`, when given, holds the case the caller found for
// the number (looked up when empty) and is left holding the case as the
// steps left it.
bool ProcessCallerReply(const std::shared_ptr<host::Item>& item, std::string_view number,
                        std::shared_ptr<host::Item>* case_handle = nullptr);

// Whether the lower-cased subject or body asks to "close case" or "close
// ticket".
bool IsCloseRequest(host::Item& item);
void ReopenCaseOnReply(std::string_view number);
// For a plain mail ("IPM.NOTE"): the case set unread, and unless the mail
// carries a true "DisableNotification" the technicians told by SMS and
// e-mail.
void NotifyTechnicianWhenCallerReplies(std::string_view number, host::Item& item);
void EscalateCaseOnReply(std::string_view number);
void CloseCaseOnRequest(std::string_view number);

// Attaches `item` (a mail or post; anything else is left alone and false
// returned) to case `number`: BillingInformation, the complete flag and its
// FlagRequest text, "EmailFlag" ("Received", or "Sent" for outgoing mail),
// the case tag in the subject, a log entry (12 for a reply, 13 for a new
// case; outgoing mail is logged by its sender), the mail (or a copy) filed
// in the History folder with this case's tag in front of the subject (a
// "Processed Emails" copy kept in view when "sdoMoveEmailOptionAuto" is 1),
// the case link, and the consolidated conversation. `label` is the
// notification label of an outgoing notification
// (ConversationKind::Notification).
//
// When the move to History fails with err::kMoveFailed, the mail left
// behind is marked "ALREADYPROCESSED", its subject cleared, and it is saved;
// any other move failure ends the procedure with false. Without a History
// folder the mail keeps its markers only. `case_item` is the case when the
// caller holds it already; without it the case is found by its number.
bool AddEmailToCase(const std::shared_ptr<host::Item>& item, std::string_view number,
                    MailKind kind, ConversationKind conversation, AttachedBy by,
                    std::string_view label = {},
                    std::shared_ptr<host::Item> case_item = nullptr);

// Puts the right-aligned "Support Case #<number>" link to the case item in
// front of the mail's body and saves it.
void EmbedCaseLink(host::Item& mail, std::string_view case_entry_id,
                   std::string_view number);

// Adds `mail` to the case body of case `number` (or of the case item in
// hand) as an entry of `kind`, and saves the case.
void AddToConsolidatedConversation(std::string_view number, host::Item& mail,
                                   ConversationKind kind, std::string_view label = {});
void AddToConsolidatedConversation(host::Item& case_item, host::Item& mail,
                                   ConversationKind kind, std::string_view label = {});

// The framed header of a conversation entry. `mail_entry_id` links the
// header to the mail when "sdoConsolidatedConversationAddLink" is on and
// the ID is known.
std::string ConversationHeader(ConversationKind kind, Date when, std::string_view text,
                               std::string_view mail_entry_id);
// The header text of an entry: "Reply received from <b>sender</b>"...
std::string ConversationHeaderText(ConversationKind kind, std::string_view sender,
                                   std::string_view recipients, std::string_view label);
// The sender's, or every recipient's, display text joined with ";", single
// quotes removed.
std::string SenderText(host::Item& mail);
std::string RecipientsText(host::Item& mail);

std::string InsertAfterBodyTag(std::string_view text, std::string_view html);
std::string InsertBeforeBodyEnd(std::string_view text, std::string_view html);
// The HTML of a reply without its quoted history: the first <div> whose
// inline style has a solid top border of #b5c4df over 3pt of padding, and
// everything after it in document order, are removed. Returns "<html>" +
// the document element's inner HTML + "</html>"; "" for a blank text.
std::string StripQuotedHistoryHTML(std::string_view html);
// The same reply made safe to show (host::SanitizeHtml), in one parse.
std::string SafeHtmlWithoutQuotedHistory(std::string_view html);
// A plain reply without what follows its first "From:" and without the
// "_____" and "-----Original Message-----" separators.
std::string StripQuotedHistoryText(std::string_view text);

// A rich-text mail's body as HTML, its pictures added to `target` as
// embedded attachments referenced by "cid:". The host keeps a rich-text
// body as HTML that names its pictures (attachments of the mail) by file
// name; those references become "cid:" + file name, the content id of the
// picture added. A body without HTML gives its plain text as HTML. `target`
// is changed in memory only: the caller saves it.
std::string ConvertRichTextToHTML(host::Item& mail, host::Item& target);
// Copies the attachments of `from` to `to`: pictures that `from`'s HTML
// body references by "cid:" (or, in a rich-text body, by file name) stay
// embedded pictures, the others become ordinary attachments; one of the
// same file name on `to` is replaced. The mail client's bitmap objects
// ("Picture (Device Independent Bitmap)") are left out. `to` is changed in
// memory only: the caller saves it. Returns the file names of the ordinary
// attachments copied, joined by "; ".
std::string CopyBodyAndAttachments(host::Item& from, host::Item& to);

// The technician recorded on the History item of the conversation `item`
// belongs to (up to three levels up); "" when none, and for an index of
// ten hex digits or fewer.
std::string GetTechnicianFromConversation(host::Item& item);

}  // namespace zanvoro
