// Log entries added to a case: by the case record itself (MakeLogEntry) and
// by case number when mail arrives for a case (AddEmailLogEntry).
#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/NameSpace.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

// The entry that comes next in `log` for `action`, made now by the
// current user. Entries are numbered by count, from 1.
cLog NextLogEntry(const cLogsList& log, int32_t action) {
  cLog entry;
  entry.ID = static_cast<int32_t>(log.Count()) + 1;
  entry.Description = LogActionText(action);
  entry.ActionDate = Now();
  entry.Technician = CurrentTechnicianName();
  return entry;
}

// The item with `entry_id` in any store of the session; nullptr when it is
// gone.
std::shared_ptr<host::Item> ItemWithEntryID(const std::string& entry_id) {
  auto session = HelpdeskSession();
  if (entry_id.empty() || !session) return nullptr;
  try {
    return session->GetItemFromID(entry_id);
  } catch (const Error& error) {
    if (error.Number() == err::kNotFound) return nullptr;
    throw;
  }
}

// Stores `log` in `item` and saves it with its proper message class.
void SaveLog(host::Item& item, const cLogsList& log) {
  if (!WriteItemProperty(item, caseprop::kLog, Variant(log.SaveValueToXML()),
                         VarType::String)) {
    return;
  }
  item.SetMessageClass(GetProperMessageClass(item));
  item.Save();
}

}  // namespace

std::string CurrentTechnicianName() {
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) return {};
  const cTechnician* technician = settings->Technicians.Find(settings->CurrentUserName);
  return technician ? technician->Name : settings->CurrentUserName;
}

void cCase::MakeLogEntry(int32_t action, const std::shared_ptr<host::Item>& item) {
  Trap("Case.MakeLogEntry", [&] {
    if (!Log) Log.emplace();
    cLog entry = NextLogEntry(*Log, action);
    if (!Log->Exists(entry.ID)) Log->Add(std::move(entry));
    std::shared_ptr<host::Item> target = item ? item : ItemWithEntryID(EntryID);
    if (target) SaveLog(*target, *Log);
  });
}

void AddEmailLogEntry(std::string_view case_number, int32_t action) {
  Trap("CaseHelper.AddEmailLogEntry", [&] {
    if (auto item = GetCaseItemFromID(case_number)) AddEmailLogEntry(*item, action);
  });
}

void AddEmailLogEntry(host::Item& case_item, int32_t action) {
  Trap("CaseHelper.AddEmailLogEntry", [&] {
    cLogsList log;
    log.FromXML(ReadItemText(case_item, caseprop::kLog));
    log.Add(NextLogEntry(log, action));
    case_item.SetUnRead(true);
    SaveLog(case_item, log);
  });
}

}  // namespace zanvoro
