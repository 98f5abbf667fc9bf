// The watch over due dates: a timer of the connected add-in that, once per
// interval, finds the open cases whose due date has lapsed and tells the
// people concerned, once per case and due date:
//   - the assigned technicians (kind 15: e-mail "sdoEmailTechnicianDueDateLapsed",
//     SMS "sdoSMSTechnicianDueDateLapsed" to their mobiles),
//   - the SLA supervisors (kind 21: e-mail "sdoSLAEmailSupervisors", SMS
//     "sdoSLASMSSupervisors"),
// each only when its template is switched on and not blank, and only to
// addresses and numbers that are known. The case gets log action 17
// ("Due-date lapsed (...)") and, when "sdoCaseOptionStatusDueDateLapsedCase"
// names one, that status.
//
// When a due date counts as lapsed ("tpoDueDateLapsedCheckTiming"):
//   "1": "tpoDueDateLapsedHoursBefore" hours before it (a warning ahead of
//        time; a negative or non-numeric number of hours counts as 0);
//   anything else, or missing: once it has passed (due date <= now).
//
// The SLA supervisors ("sdoSLASupervisors") are technician names separated
// by ";", "," or line breaks; only names found in the technician list
// (letter case ignored) reach anyone, as for the managers.
//
// Once per due date: the case item remembers the due date it was notified
// for in kDueDateLapsedNotifiedProperty (the due date's sortable text), so a
// later pass, another technician's add-in or a restart sends nothing again;
// a due date moved afterwards lapses, and is notified, anew. The mark is
// saved BEFORE anything is sent: a crash between the two loses that one
// case's notification instead of sending it twice on every restart, and the
// store's conflict check on that save decides which of several add-ins on
// the same helpdesk sends it (the others find the item changed and leave it).
//
// Only open cases count: items of the Ongoing folder whose "Case.Closed" is
// not "1". A case without due date (the zero date, or the "no date" of the
// year 4501) never lapses. The cases are selected with one table query on
// "Case.DueDate", so a pass reads only the items that need a notification.
//
// Failures follow the failure convention ("DueDateLapse.<procedure>"); a
// case that another user changed, deleted or may not be written by this
// user is left for a later pass without a report. UI thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

struct LaterSteps;

// The user property that holds the sortable text of the due date a case was
// notified for.
inline constexpr const char* kDueDateLapsedNotifiedProperty =
    "Case.DueDateLapsedNotified";
// The log action of a lapsed due date.
inline constexpr int32_t kDueDateLapsedLogAction = 17;
// Notification kinds and the SMS codes that go with them.
inline constexpr int32_t kDueDateLapsedKind = 15;
inline constexpr int32_t kDueDateLapsedSmsCode = 16;
inline constexpr int32_t kSlaBreachKind = 21;
inline constexpr int32_t kSlaBreachSmsCode = 22;

// The latest due date that counts as lapsed at `now` under the current
// settings.
Date LapseThreshold(Date now);

// One pass: notifies every open case whose due date lapsed by `now` and
// that was not notified for that due date yet. Returns the number of cases
// notified (marked) in this pass.
int32_t CheckLapsedDueDates(Date now);

// How often the watch runs: the first pass `first` after the start, then
// one every `interval`.
struct DueDateWatchTiming {
  std::chrono::milliseconds first = std::chrono::seconds(30);
  std::chrono::milliseconds interval = std::chrono::minutes(5);
};

// Starts the watch on the event loop of the connected add-in's application
// (replacing a watch already running); does nothing without one. Each pass
// runs only while the add-in is running with its global settings loaded.
void StartDueDateWatch(DueDateWatchTiming timing = {});
// Stops the watch; harmless when none runs.
void StopDueDateWatch();
bool DueDateWatchRunning();

// Plugs the watch into the add-in's start-up (after the background work)
// and shut-down.
void InstallDueDateWatchSteps(LaterSteps& steps);

}  // namespace zanvoro
