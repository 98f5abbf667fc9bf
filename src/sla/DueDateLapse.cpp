#include "sla/DueDateLapse.h"

#include <charconv>
#include <memory>
#include <string>
#include <vector>

#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/NotificationCodes.h"
#include "case/cCase.h"
#include "connection/LaterSteps.h"
#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/os/EventLoop.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "notify/SendCaseEmail.h"
#include "notify/SendSMS.h"
#include "runtime/Text.h"
#include "settings/ListText.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr const char* kTimingKey = "tpoDueDateLapsedCheckTiming";
constexpr const char* kHoursBeforeKey = "tpoDueDateLapsedHoursBefore";
constexpr const char* kLapsedStatusKey = "sdoCaseOptionStatusDueDateLapsedCase";
constexpr const char* kSupervisorsKey = "sdoSLASupervisors";
constexpr int32_t kTimingHoursBefore = 1;

const cOutlookSettings* GeneralSettings() {
  const cGlobalSettings* settings = SharedGlobalSettings();
  return settings ? &settings->GeneralSettings : nullptr;
}

std::string GeneralText(std::string_view key) {
  const cOutlookSettings* general = GeneralSettings();
  return general ? Trim(CStr(general->GetValue(key, VarType::String))) : std::string();
}

// A day count as a plain number literal of a table query.
std::string SerialLiteral(Date d) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d.Serial(),
                                 std::chars_format::fixed, 10);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// Whether `due` is a due date at all: the zero date and the "no date" are
// what an unset date reads as.
bool HasDueDate(Date due) { return due.Serial() > 0 && !due.IsNoDate(); }

// The supervisors' names as a case's technician text ("Ann/Bob").
std::string SupervisorNames() {
  std::string text = GeneralText(kSupervisorsKey);
  for (char& c : text) {
    if (c == ';' || c == ',' || c == '\r' || c == '\n') c = '/';
  }
  return text;
}

void Balloon(const std::string& text) {
  if (RunningAddin* addin = ConnectedAddin()) {
    addin->PopupSystrayBalloonInteractive(kApplicationTitle, text);
  }
}

// The e-mail of `kind` and the SMS of `sms_code` about `c` to `people`, each
// only when its template is on and someone has an address or a number.
void Notify(cCase& c, const cTechnicians& people, int32_t kind, int32_t sms_code) {
  const NotificationCode* mail = FindNotificationCode(kind);
  std::string emails = people.Emails();
  if (mail && !emails.empty() && IsNotificationOn(mail->body_template)) {
    SendCaseEmail(emails, kind, c, SendMode::Send);
  }
  const NotificationCode* sms = FindNotificationCode(sms_code);
  std::string mobiles = people.Mobiles();
  if (sms && !mobiles.empty() && IsNotificationOn(sms->body_template)) {
    if (SmsSucceeded(SendSMS(mobiles, c.ToHTML(sms_code), &c))) Balloon(CONST_SMS_SENT);
  }
}

// Marks the case item of `entry_id` as notified for its due date, gives it
// the lapsed status and its log entry, then sends. Returns whether it was
// notified. Another user's change, a deletion or a missing write right on
// the way leaves the case for a later pass.
bool NotifyLapsedCase(host::NameSpace& session, const std::string& entry_id,
                      const std::string& store_id, Date threshold) {
  std::shared_ptr<host::Item> item;
  try {
    item = session.GetItemFromID(entry_id, store_id);
    if (!item) return false;
    // What is stored now counts: the row may be older than this item.
    Date due = ReadItemDate(*item, caseprop::kDueDate);
    if (!HasDueDate(due) || due > threshold) return false;
    if (Trim(ReadItemText(*item, caseprop::kClosed)) == "1") return false;
    std::string due_text = SortableDateText(due);
    if (ReadItemText(*item, kDueDateLapsedNotifiedProperty) == due_text) return false;

    if (!WriteItemProperty(*item, kDueDateLapsedNotifiedProperty, Variant(due_text),
                           VarType::String)) {
      return false;
    }
    std::string status = GeneralText(kLapsedStatusKey);
    if (!status.empty() &&
        !WriteItemProperty(*item, caseprop::kStatus, Variant(status), VarType::String)) {
      return false;
    }
    // The mark is stored before anything leaves: see the header.
    item->Save();
  } catch (const Error& error) {
    switch (error.Number()) {
      case err::kObjectChanged:
      case err::kObjectDeleted:
      case err::kNotFound:
      case err::kAccessDenied:
        return false;
      default:
        throw;
    }
  }

  cCase c;
  if (!c.GetCaseFromOutlookItem(item, SaveUnsaved::No)) return true;
  c.MakeLogEntry(kDueDateLapsedLogAction, item);

  Notify(c, c.Technicians, kDueDateLapsedKind, kDueDateLapsedSmsCode);
  if (const cGlobalSettings* settings = SharedGlobalSettings()) {
    std::string names = SupervisorNames();
    if (!names.empty()) {
      cTechnicians supervisors;
      supervisors.FromNames(names, settings->Technicians);
      Notify(c, supervisors, kSlaBreachKind, kSlaBreachSmsCode);
    }
  }
  return true;
}

// The running watch. The timers' tasks hold it weakly, so a task that
// outlives its watch does nothing.
struct Watch {
  std::weak_ptr<host::Application> application;
  host::EventLoop* loop = nullptr;
  host::EventLoop::TimerId first = 0;
  host::EventLoop::TimerId regular = 0;
};

std::shared_ptr<Watch>& CurrentWatch() {
  static std::shared_ptr<Watch> watch;
  return watch;
}

void RunPass() {
  RunningAddin* addin = ConnectedAddin();
  if (!addin || addin->IsShutdown() || !addin->GlobalSettingsLoaded()) return;
  CheckLapsedDueDates(Now());
}

}  // namespace

Date LapseThreshold(Date now) {
  return Trap("DueDateLapse.LapseThreshold", now, [&] {
    const cOutlookSettings* general = GeneralSettings();
    if (!general) return now;
    if (CLng(general->GetValue(kTimingKey, VarType::Long)) != kTimingHoursBefore)
      return now;
    double hours = CDbl(general->GetValue(kHoursBeforeKey, VarType::Double));
    if (hours <= 0) return now;
    return Date(now.Serial() + hours / 24.0);
  });
}

int32_t CheckLapsedDueDates(Date now) {
  return Trap("DueDateLapse.CheckLapsedDueDates", int32_t{0}, [&] {
    auto folder = GetOngoingFolder();
    auto session = HelpdeskSession();
    if (!folder || !session) return int32_t{0};
    Date threshold = LapseThreshold(now);
    // The property's index answers this; no case item is opened for it.
    host::Recordset rows = folder->ExecSQL(
        std::string("Select EntryID, \"") + caseprop::kDueDateS + "\", \"" +
        kDueDateLapsedNotifiedProperty + "\" from Folder where \"" + caseprop::kDueDate +
        "\" > 0 and \"" + caseprop::kDueDate + "\" <= " + SerialLiteral(threshold));
    std::vector<std::string> to_notify;
    for (; !rows.Eof(); rows.MoveNext()) {
      std::string notified = CellText(rows.Fields(kDueDateLapsedNotifiedProperty).Value);
      std::string due_text = CellText(rows.Fields(caseprop::kDueDateS).Value);
      // Notified for this very due date already.
      if (!notified.empty() && notified == due_text) continue;
      to_notify.push_back(CellText(rows.Fields("EntryID").Value));
    }
    int32_t notified = 0;
    for (const std::string& entry_id : to_notify) {
      if (entry_id.empty()) continue;
      if (NotifyLapsedCase(*session, entry_id, folder->StoreID(), threshold)) ++notified;
    }
    return notified;
  });
}

void StartDueDateWatch(DueDateWatchTiming timing) {
  Trap("DueDateLapse.StartDueDateWatch", [&] {
    StopDueDateWatch();
    RunningAddin* addin = ConnectedAddin();
    std::shared_ptr<host::Application> application =
        addin ? addin->HostApplication() : nullptr;
    host::EventLoop* loop = application ? application->Loop() : nullptr;
    if (!loop) return;
    auto watch = std::make_shared<Watch>();
    watch->application = application;
    watch->loop = loop;
    std::weak_ptr<Watch> weak = watch;
    // The first pass comes soon after the start, once; the regular ones
    // follow at their own pace.
    watch->first = loop->SetTimer(timing.first, [weak] {
      auto current = weak.lock();
      if (!current) return;
      current->loop->KillTimer(current->first);
      current->first = 0;
      RunPass();
    });
    watch->regular = loop->SetTimer(timing.interval, [weak] {
      if (weak.lock()) RunPass();
    });
    CurrentWatch() = std::move(watch);
  });
}

void StopDueDateWatch() {
  std::shared_ptr<Watch> watch = std::move(CurrentWatch());
  CurrentWatch().reset();
  if (!watch) return;
  // A loop whose application is gone may be gone too; its timers find the
  // watch expired and do nothing.
  if (watch->application.expired()) return;
  if (watch->first != 0) watch->loop->KillTimer(watch->first);
  if (watch->regular != 0) watch->loop->KillTimer(watch->regular);
}

bool DueDateWatchRunning() { return CurrentWatch() != nullptr; }

void InstallDueDateWatchSteps(LaterSteps& steps) {
  steps.start_due_date_watch = [] { StartDueDateWatch(); };
  steps.stop_due_date_watch = [] { StopDueDateWatch(); };
}

}  // namespace zanvoro
