// The due date of a case as calendar and task entries: an appointment in
// the helpdesk's Schedule folder ("sdoMaintainDueDateSchedule"), an
// appointment in each assigned technician's calendar
// ("sdoAddDueDateAppointmentToTechnicianCal") and a task for each of them
// ("sdoAddTaskToTechnicianTask").
//
// Where they go. Everything lives in the helpdesk's shared store, so any
// technician's client can write and remove the entries of any other
// technician:
//   the schedule appointment    the Schedule folder itself;
//   a technician's appointment  the technician's calendar under the Schedule
//                               folder ("<Schedule>\<name>", made and marked
//                               by SetupDueDateScheduleFolder when missing);
//   a technician's task         the task folder "Tasks" inside that calendar
//                               ("<Schedule>\<name>\Tasks"), made when
//                               missing.
//
// What they hold. An appointment ("IPM.Appointment") starts at the due
// date and lasts kDueDateAppointmentMinutes; a task ("IPM.Task") starts
// today and is due at the due date, not started. Both have the subject
// "[<case ID>] <case subject>" (DueDateEntrySubject), the case's task body
// (cCase::ToTaskAppointmentBody), a reminder kDueDateReminderMinutes before
// the due date, and the case number as the text user property
// "Case.CaseNumber", by which the Remove* operations find them. Adding an
// entry first removes the case's earlier entries in the same folder, so a
// changed due date leaves one entry, not two.
//
// A case without a case number or due date (the zero date or "no date")
// gets no entry. Technicians are named as in a case's technician text
// ("Ann Smith/Bob Jones"). A folder that cannot be made is reported by the
// folder setup (the user is told) and skipped. Failures are trapped
// ("CaseCode.<procedure>"). UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zanvoro {

class cCase;

inline constexpr const char* kDueDateCaseNumberProperty = "Case.CaseNumber";
inline constexpr const char* kTechnicianTaskFolderName = "Tasks";
inline constexpr int32_t kDueDateAppointmentMinutes = 30;
inline constexpr int32_t kDueDateReminderMinutes = 15;

// "[HD-12] Printer jams": the case ID (the number when the case has no
// ID) and the subject without its case tags.
std::string DueDateEntrySubject(const cCase& c);

// The entries the settings ask for, for a case with a due date and
// technicians.
void AddDueDateEntries(const cCase& c);

void AddDueDateAppointment(const cCase& c);
void RemoveDueDateAppointment(std::string_view case_number);
void AddDueDateAppointmentInTechnicianPersonalCalendar(const cCase& c);
// `technicians` is the case's technician text ("Ann Smith/Bob Jones").
void RemoveDueDateAppointmentFromTechnicianPersonalCalendar(std::string_view case_number,
                                                            std::string_view technicians);
void AddTaskInTechnicianMailbox(const cCase& c);
void RemoveTaskFromTechnicianMailbox(std::string_view case_number,
                                     std::string_view technicians);

}  // namespace zanvoro
