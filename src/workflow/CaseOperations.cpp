#include "workflow/CaseOperations.h"

#include <vector>

#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/AdviceTexts.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/ui/MsgBox.h"
#include "notify/DueDateEntries.h"
#include "notify/SendCaseEmail.h"
#include "notify/SendSMS.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "sla/ApplySLA.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr const char* kOpenFolderMarker = "<VNH_OPENFOLDER>";
constexpr const char* kResolvedFolderMarker = "<VNH_RESOLVEDFOLDER>";
constexpr const char* kDisableNotification = "DisableNotification";

// Log actions.
constexpr int32_t kCaseClosedAction = 14;
constexpr int32_t kCaseReOpenedAction = 15;
// Notification codes of closing and re-opening.
constexpr int32_t kCaseClosedEmail = 12;
constexpr int32_t kCaseClosedSms = 7;
constexpr int32_t kCaseReOpenEmail = 14;
constexpr int32_t kCaseReOpenSms = 9;

// The text the phrase table gives for a missing mandatory field, used while
// no phrase table is loaded.
constexpr const char* kMandatoryFieldFallback =
    "[FIELD] field is mandatory and should not be empty!";

bool SettingOn(const cGlobalSettings& settings, std::string_view key) {
  return CLng(settings.GeneralSettings.GetValue(key, VarType::Long)) != 0;
}

std::string SettingText(const cGlobalSettings& settings, std::string_view key) {
  return Trim(CStr(settings.GeneralSettings.GetValue(key, VarType::String)));
}

// A field that must be filled before a case closes, when its setting is on
// and its hiding setting (if any) is off.
struct MandatoryField {
  const char* setting;
  const char* property;
  const std::string* label;
  const char* hidden_by = nullptr;
};

// In the order in which the check names the first missing one.
const MandatoryField kMandatoryFields[] = {
    {"sdoMandatoryOrigin", caseprop::kOrigin, &CONST_ORIGIN},
    {"sdoMandatoryProblemCategory", caseprop::kProblemCategory, &CONST_PROBLEM_CATEGORY},
    {"sdoMandatoryProblemType", caseprop::kProblemType, &CONST_PROBLEM_TYPE},
    {"sdoMandatoryServiceLevel", caseprop::kServiceLevel, &CONST_SERVICE_LEVEL},
    {"sdoMandatoryDueDate", caseprop::kDueDate, &CONST_DUE_DATE},
    {"sdoMandatoryStatus", caseprop::kStatus, &CONST_STATUS},
    {"sdoMandatoryCallerEmail", caseprop::kCallerEmail, &CONST_CALLER_EMAIL},
    {"sdoMandatoryCallerName", caseprop::kCallerName, &CONST_CALLER_NAME},
    {"sdoMandatoryPhone", caseprop::kCallerPhone, &CONST_PHONE},
    {"sdoMandatoryMobile", caseprop::kCallerMobile, &CONST_MOBILE},
    {"sdoMandatoryCompany", caseprop::kCallerCompany, &CONST_COMPANY},
    {"sdoMandatoryDepartment", caseprop::kCallerDepartment, &CONST_DEPARTMENT},
    {"sdoMandatoryAddress", caseprop::kCallerAddress, &CONST_ADDRESS},
    {"sdoMandatoryProblemField", caseprop::kProblemField, &CONST_PROBLEM},
    {"sdoMandatoryTechnicians", caseprop::kTechnicians, &CONST_TECHNICIANS},
    {"sdoMandatoryTimeSpent", caseprop::kTimeSpent, &CONST_TIME_SPENT,
     "sdoHideTimeSpent"},
    {"sdoMandatoryNotes", caseprop::kNotes, &CONST_NOTES, "sdoHideNotes"},
    {"sdoMandatoryAssets", caseprop::kAssets, &CONST_ASSETS, "sdoHideAssets"},
    {"sdoMandatoryAssociatedUsers", caseprop::kAssociatedUsers, &CONST_ASSOCIATED_USERS,
     "sdoHideAssociatedUsers"},
};

std::string MissingFieldMessage(std::string_view label) {
  std::string text = CONST_MANDATORY_FIELDS_NOT_FILLED.empty()
                         ? std::string(kMandatoryFieldFallback)
                         : CONST_MANDATORY_FIELDS_NOT_FILLED;
  return Replace(text, "[FIELD]", label);
}

// Whether a case field counts as not filled: its text is blank. A date
// without a value (the zero date, or the store's "no date") is blank too.
bool FieldIsBlank(host::Item& item, std::string_view property) {
  Variant value = ReadItemProperty(item, property, VarType::String, Variant(""));
  if (const Date* date = value.As<Date>()) return date->IsZero() || date->IsNoDate();
  return Trim(CStr(value)).empty();
}

std::string CustomFieldKey(int number, std::string_view suffix = {}) {
  return "sdoCustomFieldLabel" + std::to_string(number) + std::string(suffix);
}

void ShowPermissionAdvice(std::string_view folder_marker, const Error& error,
                          std::string_view location) {
  std::string message = CasePermissionAdvice(folder_marker);
  ShowFriendlyError(message, error.Description(), error.Number(),
                    static_cast<int16_t>(error.Line()), location);
}

// The marker of the folder a case item is in, as the advice texts name it.
std::string FolderMarkerOf(host::Item& item) {
  auto resolved = GetResolvedFolder();
  auto parent = item.Parent();
  bool in_resolved = resolved && parent && parent->EntryID() == resolved->EntryID();
  return in_resolved ? kResolvedFolderMarker : kOpenFolderMarker;
}

// The case item `item` became after a move, found again in `folder` by its
// number; the moved item itself when the search finds nothing.
std::shared_ptr<host::Item> FindMovedCase(const std::shared_ptr<host::MAPIFolder>& folder,
                                          std::string_view case_number,
                                          const std::shared_ptr<host::Item>& moved) {
  if (!case_number.empty()) {
    if (auto found = FindCaseItemInFolder(folder, case_number)) return found;
  }
  return moved;
}

// The closing marks of an open case: no closing date, "Case.Closed" "0".
bool WriteOpenMarks(host::Item& item) {
  return WriteItemProperty(item, caseprop::kDateClosed, Variant(kZeroDate),
                           VarType::Date) &&
         WriteItemProperty(item, caseprop::kDateClosedS, Variant(""), VarType::String) &&
         WriteItemProperty(item, caseprop::kClosed, Variant("0"), VarType::String) &&
         WriteItemProperty(item, caseprop::kDateClosedLong, Variant(""), VarType::String);
}

// The values closing may change, kept to put back when the case cannot
// reach the Resolved folder.
struct OpenState {
  std::string status;
  Variant time_spent;
  std::string work;
};

OpenState ReadOpenState(host::Item& item) {
  return {ReadItemText(item, caseprop::kStatus),
          ReadItemProperty(item, caseprop::kTimeSpent, VarType::Long),
          ReadItemText(item, caseprop::kTimeSpentDescription)};
}

// A case saved as closed that could not be moved stays open where it is.
void RestoreOpenCase(host::Item& item, const OpenState& state) {
  if (!WriteOpenMarks(item) ||
      !WriteItemProperty(item, caseprop::kStatus, Variant(state.status),
                         VarType::String) ||
      !WriteItemProperty(item, caseprop::kTimeSpent, state.time_spent, VarType::Long) ||
      !WriteItemProperty(item, caseprop::kTimeSpentDescription, Variant(state.work),
                         VarType::String)) {
    return;
  }
  item.SetMessageClass(kCaseMessageClass);
  item.Save();
}

// A case that could not be moved back to the Ongoing folder stays closed.
void RestoreClosedCase(host::Item& item, Date date_closed) {
  if (!WriteCaseDate(item, date_closed, caseprop::kDateClosed, caseprop::kDateClosedLong,
                     caseprop::kDateClosedS) ||
      !WriteItemProperty(item, caseprop::kClosed, Variant("1"), VarType::String)) {
    return;
  }
  item.SetMessageClass(kClosedCaseMessageClass);
  item.Save();
}

// Step 3 of closing: a case closed without time spent is charged the
// default minutes of its problem type, once. Returns whether it was.
bool AddDefaultTime(host::Item& item, const cGlobalSettings& settings, Date now) {
  if (!SettingOn(settings, "sdoMandatoryTimeSpent")) return false;
  std::string spent = Trim(ReadItemText(item, caseprop::kTimeSpent));
  if (!spent.empty() && !(IsNumeric(spent) && CDbl(Variant(spent)) == 0)) return false;
  std::string category = ReadItemText(item, caseprop::kProblemCategory);
  std::string type = ReadItemText(item, caseprop::kProblemType);
  if (Trim(category).empty() || Trim(type).empty()) return false;
  const cProblemType* entry = settings.ProblemTypes.Query(type, category);
  if (!entry || entry->DefaultMinutes <= 0) return false;

  cWorks works;
  works.FromXML(ReadItemText(item, caseprop::kTimeSpentDescription));
  cWork work;
  work.ID = static_cast<int32_t>(works.Count()) + 1;
  while (works.Exists(work.ID)) ++work.ID;
  work.WorkDate = now;
  work.User = CurrentTechnicianName();
  work.Minutes = entry->DefaultMinutes;
  work.Description = "Default Time for '" + type + "'";
  works.Add(std::move(work));
  return WriteItemProperty(item, caseprop::kTimeSpent, Variant(works.TotalTimeSpent()),
                           VarType::Long) &&
         WriteItemProperty(item, caseprop::kTimeSpentDescription,
                           Variant(works.SaveValueToXML()), VarType::String);
}

// The e-mail (when its template is on and there is an address) and the SMS
// (when its template is on and there is a number) of one notification.
void Notify(cCase& c, std::string_view email_key, int32_t email_code,
            std::string_view email_to, std::string_view sms_key, int32_t sms_code,
            std::string_view sms_to) {
  if (!Trim(email_to).empty() && IsNotificationOn(email_key)) {
    SendCaseEmail(email_to, email_code, c, SendMode::Send);
  }
  if (!Trim(sms_to).empty() && IsNotificationOn(sms_key)) {
    SendSMS(sms_to, c.ToHTML(sms_code), &c);
  }
}

std::shared_ptr<host::Item> ItemWithEntryID(std::string_view entry_id) {
  auto session = HelpdeskSession();
  if (entry_id.empty() || !session) return nullptr;
  try {
    return session->GetItemFromID(entry_id);
  } catch (const Error& error) {
    if (error.Number() == err::kNotFound || error.Number() == err::kObjectDeleted)
      return nullptr;
    throw;
  }
}

std::shared_ptr<host::MAPIFolder> DeletedItemsFolder() {
  auto session = HelpdeskSession();
  return session ? session->GetDefaultFolder(host::DefaultFolder::DeletedItems) : nullptr;
}

bool Confirmed(std::string_view prompt, int32_t icon) {
  return host::MsgBox(prompt, host::vbYesNo + icon, kApplicationTitle) == host::vbYes;
}

}  // namespace

std::string CloseCaseQuestion(std::string_view case_number) {
  return "Are you sure you want to close Case #" + std::string(case_number) + "?";
}

std::string ReOpenCaseQuestion(std::string_view case_number) {
  return "Are you sure you want to re-open Case #" + std::string(case_number) + "?";
}

std::string DeleteCaseQuestion(std::string_view subject) {
  return "Are you sure you want to delete the case '" + std::string(subject) +
         "' from the folder?\r\n\r\nAll related email replies, due date reminders in "
         "mailbox calendar and tasks (if available)\r\nrelated to this case will also be "
         "deleted!";
}

std::string PerformCheckBeforeMarkingComplete(host::Item& item) {
  return Trap("CaseCode.PerformCheckBeforeMarkingComplete", std::string{}, [&] {
    // Without a subject nobody can tell the case apart, whatever the settings.
    if (Trim(item.Subject()).empty()) return MissingFieldMessage(CONST_SUBJECT);
    const cGlobalSettings& settings = RequireGlobalSettings();
    for (const MandatoryField& field : kMandatoryFields) {
      if (!SettingOn(settings, field.setting)) continue;
      if (field.hidden_by && SettingOn(settings, field.hidden_by)) continue;
      if (FieldIsBlank(item, field.property)) return MissingFieldMessage(*field.label);
    }
    if (SettingOn(settings, "sdoHideCustomFields")) return std::string{};
    for (int n = 1; n <= 10; ++n) {
      if (!SettingOn(settings, CustomFieldKey(n, "Mandatory"))) continue;
      if (FieldIsBlank(item, caseprop::kCustomFieldPrefix + std::to_string(n)))
        return MissingFieldMessage(SettingText(settings, CustomFieldKey(n)));
    }
    return std::string{};
  });
}

bool MarkComplete(const std::shared_ptr<host::Item>& item, MandatoryCheck check) {
  return Trap("CaseCode.MarkComplete", false, [&] {
    if (!item) return false;
    if (check == MandatoryCheck::Run) {
      std::string missing = PerformCheckBeforeMarkingComplete(*item);
      if (!missing.empty()) {
        host::MsgBox(missing, host::vbInformation, kApplicationTitle);
        return false;
      }
    }
    const cGlobalSettings& settings = RequireGlobalSettings();
    auto resolved = GetResolvedFolder();
    if (!resolved) {
      host::MsgBox("Cannot find Resolved cases folder!", host::vbCritical,
                   kApplicationTitle);
      return false;
    }
    const OpenState open_state = ReadOpenState(*item);
    const Date now = Now();
    if (!WriteCaseDate(*item, now, caseprop::kDateClosed, caseprop::kDateClosedLong,
                       caseprop::kDateClosedS) ||
        !WriteItemProperty(*item, caseprop::kClosed, Variant("1"), VarType::String)) {
      return false;
    }
    AddDefaultTime(*item, settings, now);
    std::string resolved_status =
        SettingText(settings, "sdoCaseOptionStatusResolvedCase");
    if (!resolved_status.empty() &&
        !WriteItemProperty(*item, caseprop::kStatus, Variant(resolved_status),
                           VarType::String)) {
      return false;
    }

    item->SetMessageClass(kClosedCaseMessageClass);
    try {
      item->Save();
    } catch (const Error& error) {
      if (error.Number() != err::kAccessDenied) throw;
      ShowPermissionAdvice(kOpenFolderMarker, error, "cCaseForm.subCloseTicket");
      return false;
    }

    std::string case_number = ReadItemText(*item, caseprop::kCaseNumber);
    std::shared_ptr<host::Item> moved;
    try {
      moved = item->Move(resolved);
    } catch (const Error& error) {
      RestoreOpenCase(*item, open_state);
      ShowPermissionAdvice(kResolvedFolderMarker, error, "CaseCode.MarkComplete");
      return false;
    }

    // What follows the move never undoes it: its failures are reported.
    std::shared_ptr<host::Item> closed = FindMovedCase(resolved, case_number, moved);
    cCase c;
    c.GetCaseFromOutlookItem(closed, SaveUnsaved::No);
    c.MakeLogEntry(kCaseClosedAction, closed);
    if (!ReadItemBoolean(*closed, kDisableNotification)) {
      const std::string email = c.Caller ? c.Caller->Email : std::string{};
      const std::string mobile = c.Caller ? c.Caller->Mobile : std::string{};
      Notify(c, "sdoCaseClosedEmail", kCaseClosedEmail, email, "sdoCaseClosedSMS",
             kCaseClosedSms, mobile);
    }
    return true;
  });
}

bool MarkCaseComplete(std::string_view entry_id, MandatoryCheck check) {
  return Trap("CaseCode.MarkCaseComplete", false, [&] {
    auto item = ItemWithEntryID(entry_id);
    return item ? MarkComplete(item, check) : false;
  });
}

bool ReOpenCase(const std::shared_ptr<host::Item>& item, Confirm confirm) {
  return Trap("CaseCode.ReOpenCase", false, [&] {
    if (!item || !TextEquals(item->MessageClass(), kClosedCaseMessageClass)) return false;
    item->SetMessageClass(kClosedCaseMessageClass);
    const Date date_closed = ReadItemDate(*item, caseprop::kDateClosed);
    const std::string case_number = ReadItemText(*item, caseprop::kCaseNumber);
    try {
      item->Save();
    } catch (const Error& error) {
      if (error.Number() != err::kAccessDenied) throw;
      ShowPermissionAdvice(kResolvedFolderMarker, error, "CaseCode.subReOpenCase");
      return false;
    }
    if (confirm == Confirm::Ask &&
        !Confirmed(ReOpenCaseQuestion(case_number),
                   host::vbQuestion)) {
      return false;
    }
    auto ongoing = GetOngoingFolder();
    if (!ongoing) {
      host::MsgBox("Cannot find Ongoing cases folder!", host::vbCritical,
                   kApplicationTitle);
      return false;
    }

    if (!WriteOpenMarks(*item)) return false;
    item->SetMessageClass(kCaseMessageClass);
    std::shared_ptr<host::Item> moved;
    bool saved = false;
    try {
      item->Save();
      saved = true;
      item->SetUnRead(true);
      moved = item->Move(ongoing);
    } catch (const Error& error) {
      if (error.Number() == err::kObjectChanged) throw;
      if (saved) RestoreClosedCase(*item, date_closed);
      ShowPermissionAdvice(kOpenFolderMarker, error, "CaseCode.subReOpenCase");
      return false;
    }

    std::shared_ptr<host::Item> reopened = FindMovedCase(ongoing, case_number, moved);
    const cGlobalSettings& settings = RequireGlobalSettings();
    const std::string status = SettingText(settings, "sdoCaseOptionStatusReOpenedCase");
    const std::string sla = SettingText(settings, "sdoCaseOptionSLAReopenedCase");
    if (!status.empty() || !sla.empty()) {
      if (!status.empty())
        WriteItemProperty(*reopened, caseprop::kStatus, Variant(status), VarType::String);
      if (!sla.empty()) {
        WriteItemProperty(*reopened, caseprop::kServiceLevel, Variant(sla),
                          VarType::String);
        ApplySLAToCaseItem(*reopened, sla, settings.SLAs, SharedServiceCalendar(), Now());
      }
      reopened->Save();
    }

    cCase c;
    c.GetCaseFromOutlookItem(reopened, SaveUnsaved::No);
    c.MakeLogEntry(kCaseReOpenedAction, reopened);
    if (!ReadItemBoolean(*reopened, kDisableNotification)) {
      Notify(c, "sdoCaseReOpenEmail", kCaseReOpenEmail, c.Technicians.Emails(),
             "sdoCaseReOpenSMS", kCaseReOpenSms, c.Technicians.Mobiles());
    }
    return true;
  });
}

bool CaseReOpen(std::string_view entry_id, Confirm confirm) {
  return Trap("CaseCode.CaseReOpen", false, [&] {
    auto item = ItemWithEntryID(entry_id);
    return item ? ReOpenCase(item, confirm) : false;
  });
}

bool DeleteSelectedCase(const std::shared_ptr<host::Item>& item, Confirm confirm) {
  return Trap("CaseCode.DeleteSelectedCase", false, [&] {
    if (!item) return false;
    if (confirm == Confirm::Ask &&
        !Confirmed(DeleteCaseQuestion(item->Subject()), host::vbExclamation)) {
      return false;
    }
    const std::string case_number = ReadItemText(*item, caseprop::kCaseNumber);
    const std::string technicians = ReadItemText(*item, caseprop::kTechnicians);
    try {
      item->Delete();
    } catch (const Error& delete_error) {
      auto deleted_items = DeletedItemsFolder();
      try {
        if (!deleted_items) throw delete_error;
        item->Move(deleted_items);
      } catch (const Error& error) {
        ShowPermissionAdvice(FolderMarkerOf(*item), error, "CaseCode.DeleteSelectedCase");
        return false;
      }
    }
    RemoveDependentItemsForDeletedCase(case_number, technicians);
    RemoveAllEmails(case_number);
    return true;
  });
}

bool RemoveCaseItem(std::string_view entry_id, Confirm confirm) {
  return Trap("CaseCode.RemoveCaseItem", false, [&] {
    auto item = ItemWithEntryID(entry_id);
    return item ? DeleteSelectedCase(item, confirm) : false;
  });
}

void RemoveDependentItemsForDeletedCase(std::string_view case_number,
                                        std::string_view technicians) {
  Trap("CaseCode.RemoveDependentItemsForDeletedCase", [&] {
    if (Trim(case_number).empty()) return;
    RemoveDueDateAppointment(case_number);
    RemoveDueDateAppointmentFromTechnicianPersonalCalendar(case_number, technicians);
    RemoveTaskFromTechnicianMailbox(case_number, technicians);
  });
}

void RemoveAllEmails(std::string_view case_number) {
  Trap("CaseCode.RemoveAllEmails", [&] {
    // An empty number would match every mail that belongs to no case.
    if (Trim(case_number).empty()) return;
    auto history = GetHistoryFolder();
    auto deleted_items = DeletedItemsFolder();
    if (!history || !deleted_items) return;
    std::string filter =
        "[BillingInformation] = '" + Replace(case_number, "'", "''") + "'";
    auto matching = history->Items()->Restrict(filter);
    // Collected first: each move changes the view being read.
    std::vector<std::shared_ptr<host::Item>> mails;
    const int32_t count = matching->Count();
    for (int32_t i = 1; i <= count; ++i) mails.push_back(matching->Item(i));
    for (const auto& mail : mails) mail->Move(deleted_items);
  });
}

}  // namespace zanvoro
