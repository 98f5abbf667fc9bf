// The due date of a case as calendar and task entries: an appointment in
// the helpdesk's Schedule folder ("sdoMaintainDueDateSchedule"), an
// appointment in each assigned technician's calendar
// ("sdoAddDueDateAppointmentToTechnicianCal") and a task for each of them
// ("sdoAddTaskToTechnicianTask"). Each entry carries the case ID in its
// subject, starts at the due date, and has the case's task body
// (cCase::ToTaskAppointmentBody); an entry belongs to its case by the case
// number it stores, so it can be found and removed again.
//
// Failures are trapped ("CaseCode.<procedure>"). UI thread only.
#pragma once

#include <string_view>

namespace zanvoro {

class cCase;

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
