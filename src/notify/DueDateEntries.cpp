#include "notify/DueDateEntries.h"

#include <memory>
#include <string>
#include <vector>

#include "case/CaseID.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

constexpr const char* kAppointmentClass = "IPM.Appointment";
constexpr const char* kTaskClass = "IPM.Task";

// Which kind of entry goes into a folder.
enum class EntryKind { Appointment, Task };

std::string CaseNumberFilter(std::string_view case_number) {
  return "[" + std::string(kDueDateCaseNumberProperty) + "] = '" +
         Replace(Trim(case_number), "'", "''") + "'";
}

bool HasDueDate(const cCase& c) {
  return !c.DueDate.IsZero() && !c.DueDate.IsNoDate() && !Trim(c.CaseNumber).empty();
}

std::vector<std::string> TechnicianNames(std::string_view technicians) {
  std::vector<std::string> names;
  for (const std::string& piece : Split(technicians, "/")) {
    std::string name = Trim(piece);
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

// Deletes every entry of `folder` that belongs to case `case_number`.
void RemoveCaseEntries(const std::shared_ptr<host::MAPIFolder>& folder,
                       std::string_view case_number) {
  if (!folder || Trim(case_number).empty()) return;
  auto found = folder->Items()->Restrict(CaseNumberFilter(case_number));
  // The view follows deletions: take the items first.
  std::vector<std::shared_ptr<host::Item>> entries;
  for (int32_t i = 1; i <= found->Count(); ++i) entries.push_back(found->Item(i));
  for (const auto& entry : entries) entry->Delete();
}

// Replaces the entry of `c` in `folder` by a new one of `kind`.
void WriteCaseEntry(const std::shared_ptr<host::MAPIFolder>& folder, const cCase& c,
                    EntryKind kind) {
  if (!folder) return;
  RemoveCaseEntries(folder, c.CaseNumber);
  auto entry =
      folder->Items()->Add(kind == EntryKind::Task ? kTaskClass : kAppointmentClass);
  entry->SetSubject(DueDateEntrySubject(c));
  entry->SetBody(c.ToTaskAppointmentBody());
  entry->SetReminderSet(true);
  entry->SetReminderMinutesBeforeStart(kDueDateReminderMinutes);
  if (kind == EntryKind::Task) {
    entry->SetStartDate(DatePart(Now()));
    entry->SetDueDate(c.DueDate);
    entry->SetStatus(0);
    entry->SetPercentComplete(0);
  } else {
    entry->SetStart(c.DueDate);
    entry->SetEnd(DateAdd(DateInterval::Minute, kDueDateAppointmentMinutes, c.DueDate));
    entry->SetDuration(kDueDateAppointmentMinutes);
  }
  if (!WriteItemProperty(*entry, kDueDateCaseNumberProperty, Variant(Trim(c.CaseNumber)),
                         VarType::String)) {
    return;
  }
  entry->Save();
}

// The technician's calendar under the Schedule folder, made and marked
// when missing; nullptr when it cannot be (the user has been told).
std::shared_ptr<host::MAPIFolder> TechnicianCalendar(const std::string& name,
                                                     CreateMode create) {
  auto schedule = GetScheduleFolder();
  if (!schedule) return nullptr;
  if (create == CreateMode::Create && !SetupDueDateScheduleFolder({name}).empty()) {
    return nullptr;
  }
  return GetOrCreateSubFolder(schedule, name, CreateMode::FindOnly,
                              host::ItemType::Appointment);
}

std::shared_ptr<host::MAPIFolder> TechnicianTasks(const std::string& name,
                                                  CreateMode create) {
  auto calendar = TechnicianCalendar(name, create);
  if (!calendar) return nullptr;
  return GetOrCreateSubFolder(calendar, kTechnicianTaskFolderName, create,
                              host::ItemType::Task);
}

}  // namespace

std::string DueDateEntrySubject(const cCase& c) {
  std::string id = Trim(c.CaseID.empty() ? c.CaseNumber : c.CaseID);
  return "[" + id + "] " + Trim(RemoveCaseIDFromSubject(c.Subject));
}

void AddDueDateEntries(const cCase& c) {
  Trap("CaseCode.AddDueDateEntries", [&] {
    if (!HasDueDate(c) || Trim(c.Technicians.FullNames()).empty()) return;
    if (GeneralSettingOn("sdoMaintainDueDateSchedule")) AddDueDateAppointment(c);
    if (GeneralSettingOn("sdoAddDueDateAppointmentToTechnicianCal")) {
      AddDueDateAppointmentInTechnicianPersonalCalendar(c);
    }
    if (GeneralSettingOn("sdoAddTaskToTechnicianTask")) AddTaskInTechnicianMailbox(c);
  });
}

void AddDueDateAppointment(const cCase& c) {
  Trap("CaseCode.AddDueDateAppointment", [&] {
    if (!HasDueDate(c)) return;
    WriteCaseEntry(GetScheduleFolder(), c, EntryKind::Appointment);
  });
}

void RemoveDueDateAppointment(std::string_view case_number) {
  Trap("CaseCode.RemoveDueDateAppointment",
       [&] { RemoveCaseEntries(GetScheduleFolder(), case_number); });
}

void AddDueDateAppointmentInTechnicianPersonalCalendar(const cCase& c) {
  Trap("CaseCode.AddDueDateAppointmentInTechnicianPersonalCalendar", [&] {
    if (!HasDueDate(c)) return;
    for (const std::string& name : TechnicianNames(c.Technicians.FullNames())) {
      WriteCaseEntry(TechnicianCalendar(name, CreateMode::Create), c,
                     EntryKind::Appointment);
    }
  });
}

void RemoveDueDateAppointmentFromTechnicianPersonalCalendar(
    std::string_view case_number, std::string_view technicians) {
  Trap("CaseCode.RemoveDueDateAppointmentFromTechnicianPersonalCalendar", [&] {
    for (const std::string& name : TechnicianNames(technicians)) {
      RemoveCaseEntries(TechnicianCalendar(name, CreateMode::FindOnly), case_number);
    }
  });
}

void AddTaskInTechnicianMailbox(const cCase& c) {
  Trap("CaseCode.AddTaskInTechnicianMailbox", [&] {
    if (!HasDueDate(c)) return;
    for (const std::string& name : TechnicianNames(c.Technicians.FullNames())) {
      WriteCaseEntry(TechnicianTasks(name, CreateMode::Create), c, EntryKind::Task);
    }
  });
}

void RemoveTaskFromTechnicianMailbox(std::string_view case_number,
                                     std::string_view technicians) {
  Trap("CaseCode.RemoveTaskFromTechnicianMailbox", [&] {
    for (const std::string& name : TechnicianNames(technicians)) {
      RemoveCaseEntries(TechnicianTasks(name, CreateMode::FindOnly), case_number);
    }
  });
}

}  // namespace zanvoro
