// The life of a case item after its creation: closing it (the
// mandatory-field check, the default time, the resolved status, the move to
// the Resolved folder, the log entry and the closing notifications),
// re-opening it, and deleting it with the items that depend on it.
//
// Every procedure follows the failure convention (Trap, locations
// "CaseCode.<procedure>"); permission failures are shown to the user and
// leave the item where it was. UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

// Whether the mandatory-field check runs before closing.
enum class MandatoryCheck { Run, Skip };
// Whether the user is asked to confirm first.
enum class Confirm { Ask, DontAsk };

// The questions the operations ask before they change anything, for a
// front end that asks them itself and then runs the operation with
// Confirm::DontAsk.
std::string CloseCaseQuestion(std::string_view case_number);
std::string ReOpenCaseQuestion(std::string_view case_number);
std::string DeleteCaseQuestion(std::string_view subject);

// "" when the case may be closed, else the message naming the first
// missing field.
std::string PerformCheckBeforeMarkingComplete(host::Item& item);

// Close the case item (or the case with entry ID `entry_id`). Return
// whether it was closed and moved.
bool MarkComplete(const std::shared_ptr<host::Item>& item, MandatoryCheck check);
bool MarkCaseComplete(std::string_view entry_id, MandatoryCheck check);

// Re-open a closed case item (or the case with entry ID `entry_id`).
bool ReOpenCase(const std::shared_ptr<host::Item>& item, Confirm confirm);
bool CaseReOpen(std::string_view entry_id, Confirm confirm);

// Delete a case item (or the case with entry ID `entry_id`) with its
// due-date entries and its e-mails.
bool DeleteSelectedCase(const std::shared_ptr<host::Item>& item, Confirm confirm);
bool RemoveCaseItem(std::string_view entry_id, Confirm confirm);

void RemoveDependentItemsForDeletedCase(std::string_view case_number,
                                        std::string_view technicians);
void RemoveAllEmails(std::string_view case_number);

}  // namespace zanvoro
