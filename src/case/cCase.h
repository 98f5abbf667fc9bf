// A support case: one post item in the helpdesk's Ongoing folder (message
// class "IPM.Post.PLWSupportCase") or Resolved folder
// ("IPM.Post.PLWSupportCase.Closed") whose fields are the item's named user
// properties "Case.<field>" (CaseProperties.h lists them). cCase is the
// record in memory: it is filled from an item (GetCaseFromOutlookItem),
// changed, and written back (SetCaseToOutlookItem). It owns its lists and
// sub-records and is never shared.
//
// A fresh record holds an empty technician list and an empty work list;
// every other object field is unset until a read fills it. Every public
// operation follows the failure convention (Trap) under its location
// ("Case.GetCase", "Case.SetCase", "Case.ToHTML"...). The global settings
// and the helpdesk folders are those of the connected add-in
// (SharedGlobalSettings(), GetOngoingFolder()...). UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "case/cEmailHistory.h"
#include "case/cLogsList.h"
#include "case/cWorks.h"
#include "runtime/Date.h"
#include "runtime/Variant.h"
#include "settings/cAssets.h"
#include "settings/cAssociatedUsers.h"
#include "settings/cCaller.h"
#include "settings/cProblemType.h"
#include "settings/cTechnicians.h"

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
class Recordset;
}  // namespace host

inline constexpr const char* kCaseMessageClass = "IPM.Post.PLWSupportCase";
inline constexpr const char* kClosedCaseMessageClass = "IPM.Post.PLWSupportCase.Closed";

// Whether GetCaseFromOutlookItem first saves an item that has unsaved
// changes (with its proper message class).
enum class SaveUnsaved { No, Yes };
// Whether a newly written case item is marked unread at random (demo data).
enum class RandomUnread { No, Yes };
// Whether the written case item is opened in an inspector.
enum class DisplayCase { No, Yes };
// Where a case item without an item to update is created: Ongoing (open)
// or Resolved (closed, with a closing date a few days after creation).
enum class CaseState { Open, Closed };

class cCase {
 public:
  cCase();
  ~cCase();
  cCase(const cCase&) = delete;
  cCase& operator=(const cCase&) = delete;
  cCase(cCase&&) noexcept;
  cCase& operator=(cCase&&) noexcept;

  // The fields, in declaration order.
  std::string EntryID;
  std::string HTMLBody;
  std::string Body;
  std::string Subject;
  std::optional<cProblemType> ProblemTypeRecord;
  std::string ProblemField;
  std::optional<cCaller> Caller;
  int32_t Importance = 1;  // 0 low, 1 normal, 2 high
  cTechnicians Technicians;
  std::optional<cWorks> Works = cWorks{};
  std::optional<cAssets> Assets;
  std::optional<cAssociatedUsers> AssociatedUsers;
  Date DateCreated;
  Date DateClosed;
  Date ReceivedDate;
  std::string ProblemCategory;
  std::string ProblemType;
  std::string Origin;
  std::string Author;
  bool Closed = false;
  Currency TimeSpentCost;
  std::string CaseNumber;
  std::string Status;
  Date DueDate;
  std::string Notes;
  std::optional<cLogsList> Log;
  std::optional<cEmailHistory> EmailHistory;
  std::string CustomField1;
  std::string CustomField2;
  std::string CustomField3;
  std::string CustomField4;
  std::string CustomField5;
  std::string CustomField6;
  std::string CustomField7;
  std::string CustomField8;
  std::string CustomField9;
  std::string CustomField10;
  std::string TimeSpent;
  Date LastModificationTime;
  std::string ServiceLevel;
  std::string RepliedEmailBody;
  std::string RepliedEmailSubject;
  std::string NewNote;
  std::string NewTimeSpent;
  bool IsDemo = false;
  std::string RecipientEmailAddress;
  std::string CaseLink;
  std::string PrefixCode;
  std::string CaseID;

  // CustomField1..CustomField10 by number (1-based); nullptr outside.
  std::string* CustomField(int number);
  const std::string* CustomField(int number) const;

  // --- The record and its item -------------------------------------------

  // Fills the record from `item` (any item: properties it lacks give empty
  // texts, the zero date, false, 0 and empty lists). Returns false when the
  // read stopped early (the user has been told why; the fields read so far
  // stay).
  bool GetCaseFromOutlookItem(const std::shared_ptr<host::Item>& item, SaveUnsaved save);

  // Writes the record to `item`, or, when `item` is null, to a new item in
  // the Ongoing (CaseState::Open) or Resolved folder. A record without a
  // number gets the next case number first. Returns false when nothing or
  // not everything could be written (the user has been told).
  bool SetCaseToOutlookItem(RandomUnread random_unread, DisplayCase display,
                            const std::shared_ptr<host::Item>& item, CaseState state);

  // Reads the case whose entry ID is in the current row of `rows`
  // ("EntryID") from the Resolved (CaseState::Closed) or Ongoing folder;
  // returns its item, or nullptr.
  std::shared_ptr<host::Item> GetCaseFromRedemptionRecordset(host::Recordset& rows,
                                                             CaseState state);

  // Takes the body (HTML, else plain) and subject of a caller's reply.
  void subAssignEmailRepliesFromCaller(host::Item& reply);

  // The search text stored as "Case.Body".
  std::string SearchText() const;

  // --- Numbering ----------------------------------------------------------

  // The prefix code of this case followed by "-", or "" (prefix codes off,
  // or no code for this case).
  std::string CasePrefixCode() const;

  // --- Log -----------------------------------------------------------------

  // Appends a log entry for `action` (LogActionText) by the current user and
  // saves it to `item`, or to the case's own item found by entry ID.
  void MakeLogEntry(int32_t action, const std::shared_ptr<host::Item>& item = nullptr);

  // --- Rendering -----------------------------------------------------------

  // The body of notification `code` rendered with this case's values ("" for
  // codes without a template).
  std::string ToHTML(int32_t code) const;
  // The subject of notification `code` ("" for codes without a subject).
  std::string ToSubjectHTML(int32_t code) const;
  // The case's values put into `text` (a text that is not a template).
  std::string ReplaceCaseVariablesToEmailBody(std::string_view text) const;
  // The case's values put into the case's own HTML body.
  std::string ReplaceMailBodyWithValues(std::string_view text) const;
  // The plain-text body of the due-date appointment and task.
  std::string ToTaskAppointmentBody() const;
};

// "IPM.Post.PLWSupportCase.Closed" when the item's "Case.Closed", read as
// text and trimmed, is "1"; else "IPM.Post.PLWSupportCase".
std::string GetProperMessageClass(host::Item& item);

// The case item with number `case_number`: the Ongoing folder first, then
// the Resolved folder; in each a filter on "Case.CaseNumber" first, then a
// table query. nullptr when there is none.
std::shared_ptr<host::Item> GetCaseItemFromID(std::string_view case_number);

// The case item with number `case_number` in `folder` alone: a filter on
// "Case.CaseNumber" first, then a table query. nullptr when there is none.
std::shared_ptr<host::Item> FindCaseItemInFolder(
    const std::shared_ptr<host::MAPIFolder>& folder, std::string_view case_number);

// The current user's name as the technician list spells it; the user's own
// name when they are not a technician. Log and work entries carry it.
std::string CurrentTechnicianName();

// Reads the named property `name` of the public-strings set through the
// store directly (dates as local time), for where the item's own property
// collection shows nothing. Empty when the item has no such property.
Variant ReadItemPropertyMapi(host::Item& item, std::string_view name, VarType type);

// Whether the secure item wrapper is available. Always true here: the
// store reads bodies and properties without prompts.
bool EnsureMapiUtils();

// Appends a log entry for `action` to the case with number `case_number`
// (found with GetCaseItemFromID), marks the item unread and saves it.
void AddEmailLogEntry(std::string_view case_number, int32_t action);
// The same for the case item in hand.
void AddEmailLogEntry(host::Item& case_item, int32_t action);

// Case IDs that need the case items (CaseID.h has the rest).
// ExtractCaseID, accepting only numbers for which a case item exists.
std::string ExtractExistingCaseID(std::string_view subject);
// The prefix of the case with number `case_number`; its entry ID goes to
// `entry_id` ("" when there is no such case).
std::string SetPrefixCodeFromCaseID(std::string_view case_number, std::string& entry_id);
// The prefix of `c` (its CasePrefixCode).
std::string SetPrefixCodeFromCaseObject(const cCase& c);

// "Low", "Normal" or "High" for importance 0, 1, 2; "" otherwise.
std::string ImportanceText(int32_t importance);

}  // namespace zanvoro
