#include "intake/Monitoring.h"

#include <algorithm>
#include <utility>

#include "case/CaseID.h"
#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "connection/LaterSteps.h"
#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/os/EventLoop.h"
#include "host/os/System.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "host/store/Store.h"
#include "host/store/WriteBatch.h"
#include "host/ui/MsgBox.h"
#include "intake/IntakeSupport.h"
#include "intake/ProcessIncomingItem.h"
#include "intake/ReplyThreading.h"
#include "intake/cMonitoredFolderData.h"
#include "intake/cMonitoredFolderDataList.h"
#include "intake/cMonitoredFolderSettings.h"
#include "notify/SendCaseEmail.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsFolderStore.h"
#include "settings/SettingsList.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "settings/cMySettings.h"
#include "workflow/CaseOperations.h"

namespace zanvoro {

namespace {

constexpr const char* kClosedCaseClass = "IPM.POST.PLWSUPPORTCASE.CLOSED";

// One monitored folder being watched.
struct FolderWatch {
  std::shared_ptr<const cMonitoredFolderData> data;
  std::shared_ptr<host::MAPIFolder> folder;
  host::Subscription subscription;
};

struct MonitoringState {
  std::unique_ptr<cMonitoredFolderSettings> claims;
  // The hook collection, in the order the folders were hooked; one watch
  // per FolderName.
  std::vector<FolderWatch> watches;
  host::Subscription open_folder;
  std::shared_ptr<host::MAPIFolder> ongoing;
  host::Subscription sent_copy;
  host::Subscription tracking;
  MonitoringClock clock;
  host::EventLoop* timer_loop = nullptr;
  host::EventLoop::TimerId timer = 0;
  // The folder whose waiting mail TrackMailFolders is processing, and
  // whether the intake stopped it (or everything) meanwhile.
  const cMonitoredFolderData* batch = nullptr;
  std::shared_ptr<host::MAPIFolder> batch_folder;
  bool batch_stopped = false;
  uint64_t stop_generation = 0;
  // Folders this instance was asked to watch whose claim another instance
  // held: the hourly refresh takes them up once that claim lapses (its
  // instance stopped without giving it up).
  std::vector<std::string> standing_by;  // their FolderName
  bool ongoing_wanted = false;
};

MonitoringState& State() {
  static MonitoringState state;
  return state;
}

std::string Origin() {
  cGlobalSettings* settings = SharedGlobalSettings();
  return settings ? settings->OriginEmail : std::string();
}

cMonitoredFolderSettings::Services ClaimServices() {
  cMonitoredFolderSettings::Services services;
  services.now = [] {
    const MonitoringClock& clock = State().clock;
    return clock.now ? clock.now() : zanvoro::Now();
  };
  return services;
}

cMonitoredFolderSettings& Claims() {
  MonitoringState& state = State();
  if (!state.claims)
    state.claims = std::make_unique<cMonitoredFolderSettings>(ClaimServices());
  return *state.claims;
}

host::EventLoop* AddinLoop() {
  RunningAddin* addin = ConnectedAddin();
  if (!addin || !addin->HostApplication()) return nullptr;
  return addin->HostApplication()->Loop();
}

void StopRefreshTimer() {
  MonitoringState& state = State();
  if (state.timer != 0 && state.timer_loop) state.timer_loop->KillTimer(state.timer);
  state.timer = 0;
  state.timer_loop = nullptr;
}

// While this instance holds claims, it rewrites them every hour; while it
// stands by for some, it looks whether they lapsed.
void EnsureRefreshTimer() {
  MonitoringState& state = State();
  bool holds = !state.watches.empty() || state.open_folder.Active() ||
               !state.standing_by.empty() || state.ongoing_wanted;
  if (!holds) {
    StopRefreshTimer();
    return;
  }
  if (state.timer != 0) return;
  host::EventLoop* loop = AddinLoop();
  if (!loop) return;
  state.timer_loop = loop;
  state.timer = loop->SetTimer(state.clock.refresh_interval, [] {
    Trap("CaseHelper.RefreshMonitoringClaims", [] { RefreshMonitoringClaims(); });
  });
}

void DropWatches() {
  State().watches.clear();
  State().standing_by.clear();
}

void AddWatch(const cMonitoredFolderData& data,
              std::shared_ptr<host::MAPIFolder> folder) {
  MonitoringState& state = State();
  auto shared = std::make_shared<const cMonitoredFolderData>(data);
  std::erase_if(state.watches, [&](const FolderWatch& watch) {
    return TextEquals(watch.data->FolderName, data.FolderName);
  });
  FolderWatch watch{shared, folder, {}};
  watch.subscription =
      folder->Items()->Subscribe([shared](const std::shared_ptr<host::Item>& item) {
        ProcessMonitoredItem(item, *shared);
      });
  state.watches.push_back(std::move(watch));
}

// The intake cannot write an item of `folder`: it is not watched again
// until the next start, and its claim is given up for another instance.
void StopFolder(host::MAPIFolder& folder) {
  MonitoringState& state = State();
  std::vector<FolderWatch> stopped;
  for (auto it = state.watches.begin(); it != state.watches.end();) {
    if (it->folder && intake::SameFolder(*it->folder, folder)) {
      stopped.push_back(std::move(*it));
      it = state.watches.erase(it);
    } else {
      ++it;
    }
  }
  for (const FolderWatch& watch : stopped) {
    Claims().SetFolderFlag(watch.data->PropertyID, watch.data->FolderName,
                           ClaimAction::Clear);
  }
  if (state.batch && state.batch_folder &&
      intake::SameFolder(*state.batch_folder, folder)) {
    Claims().SetFolderFlag(state.batch->PropertyID, state.batch->FolderName,
                           ClaimAction::Clear);
    state.batch_stopped = true;
  }
  EnsureRefreshTimer();
}

void InstallControl() {
  SetMonitoringControl(MonitoringControl{
      [](host::MAPIFolder& folder) { StopFolder(folder); }, [] { StopAllMonitoring(); }});
}

void OnOngoingItemAdd(const std::shared_ptr<host::Item>& item) {
  Trap("OpenFolderMonitor.ouiItems_ItemAdd", [&] {
    std::string message_class = UCase(item->MessageClass());
    if (message_class == kClosedCaseClass) {
      // A closed case put back into the Ongoing folder.
      ReOpenCase(item, Confirm::DontAsk);
    } else if (fncIsNonCaseItem(*item)) {
      ProcessIncomingItem(item, Origin(), nullptr);
    }
  });
}

void OnSentCopyItemAdd(const std::shared_ptr<host::Item>& item) {
  Trap("ExplorersEvent.ouiSentCopyItems.ItemAdd", [&] {
    if (!IsProcessableMailClass(item->MessageClass())) return;
    std::string label = item->BillingInformation();
    std::string number = ExtractCaseID(item->Subject());
    if (number.empty() && IsNumeric(Trim(label))) number = Trim(label);
    if (number.empty()) return;
    host::WriteBatch batch(HelpdeskSession().get());
    AddEmailToCase(item, number, MailKind::Outgoing, ConversationKind::Notification,
                   AttachedBy::Monitoring, label);
  });
}

void OnTrackingItemAdd(const std::shared_ptr<host::Item>& item) {
  Trap("ResearchMailbox.ouiItems_ItemAdd", [&] {
    if (!Trim(ReadItemText(*item, "Technician")).empty()) return;
    std::string technician = GetTechnicianFromConversation(*item);
    if (technician.empty()) return;
    WriteItemProperty(*item, "Technician", Variant(technician), VarType::String);
    item->Save();
  });
}

// Shut-down: this user's claims go, so that another instance can take
// over. Claims kept as general settings of a settings database would need
// its open connection, which this build never has: they stay and run out
// after the claim window.
void GiveUpClaims() {
  MonitoringState& state = State();
  cMySettings* choice = SharedMySettings();
  if (!state.claims || !choice) return;
  if (choice->DBChoice != cMySettings::kChoiceSettingsFolder) return;
  state.claims->UnSetMonitoringModeToAllFolders();
}

void ReleaseAll() {
  MonitoringState& state = State();
  StopRefreshTimer();
  state.watches.clear();
  state.open_folder.Cancel();
  state.ongoing.reset();
  state.standing_by.clear();
  state.ongoing_wanted = false;
  state.claims.reset();
  SetMonitoringControl({});
}

}  // namespace

cMonitoredFolderSettings* SharedMonitoredFolderSettings() { return State().claims.get(); }

cMonitoredFolderDataList MonitoredFolderList(const cGlobalSettings& settings) {
  cMonitoredFolderDataList list;
  list.FromString(settings.MonitoredFolders);
  return list;
}

bool WriteMonitoredFolders(cGlobalSettings& settings,
                           const cMonitoredFolderDataList& list) {
  settings.MonitoredFolders = list.ToString();
  return settings.SaveGlobalSettings(static_cast<int32_t>(SettingsList::GeneralSettings));
}

namespace {

// Whether `folder` is one of the helpdesk's own folders or lies below one.
bool InsideHelpdesk(std::shared_ptr<host::MAPIFolder> folder) {
  for (; folder; folder = folder->Parent()) {
    if (RecognizeHelpdeskFolder(folder->Description())) return true;
  }
  return false;
}

}  // namespace

cMonitoredFolderData AddMonitoredFolder(cGlobalSettings& settings,
                                        const MonitoredFolderRequest& request) {
  if (Trim(request.name).empty()) {
    throw Error(err::kInvalidProcedureCall, "a folder path or mailbox name is required");
  }
  if (request.name.find('|') != std::string::npos) {
    throw Error(err::kInvalidProcedureCall,
                "a folder path or mailbox name cannot hold \"|\": " + request.name);
  }
  cMonitoredFolderData entry;
  entry.ReadFromString(Trim(request.name));
  std::shared_ptr<host::MAPIFolder> folder = entry.GetOutlookFolder();
  if (!folder && !entry.IsMailbox()) {
    throw Error(err::kNotFound, "the folder " + entry.FolderName + " is not found");
  }
  if (InsideHelpdesk(folder)) {
    throw Error(err::kInvalidProcedureCall,
                "Monitoring of Zanvoro subfolder is not supported!\n"
                "Please select another folder/mailbox and try again!");
  }
  cMonitoredFolderDataList list = MonitoredFolderList(settings);
  bool listed = list.Exists(entry.KeyFolderPathOrName);
  for (const auto& other : list) {
    const cMonitoredFolderData& data = other.Value();
    if (folder && !data.EntryID.empty() && data.EntryID == folder->EntryID() &&
        data.StoreID == folder->StoreID()) {
      listed = true;
    }
  }
  if (listed) {
    throw Error(err::kInvalidProcedureCall,
                "The Folder/Mailbox '" + entry.FolderName + "' is already monitored!");
  }
  if (!TextEquals(request.mode, "New") && !TextEquals(request.mode, "Update") &&
      !TextEquals(request.mode, "Both")) {
    throw Error(
        err::kInvalidProcedureCall,
        "the action mode must be New, Update or Both, not \"" + request.mode + "\"");
  }
  entry.ActionMode = TextEquals(request.mode, "New")      ? "New"
                     : TextEquals(request.mode, "Update") ? "Update"
                                                          : "Both";
  entry.DefaultProblemCategory = request.category;
  entry.DefaultProblemType = request.type;
  entry.DefaultTechnician = request.technician;
  entry.DefaultSLA = request.sla;
  list.Add(entry);
  if (!WriteMonitoredFolders(settings, list)) {
    throw Error(err::kCallFailed,
                "the monitored folders could not be saved to the helpdesk");
  }
  return entry;
}

bool WorkloadAllowsMonitoring() {
  cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) return true;
  switch (GeneralSettingNumber("sdoWorkloadFoldersOption")) {
    case 1: {
      std::string technician = GeneralSettingText("sdoWorkloadFoldersTech");
      return technician.empty() || TextEquals(technician, settings->CurrentUserName);
    }
    case 2: {
      std::string computer = GeneralSettingText("sdoWorkloadFoldersComputer");
      return computer.empty() || TextEquals(computer, host::ComputerName());
    }
    default:
      return true;
  }
}

namespace {

// Watches the listed folder of `data` when it can be opened and its claim
// is this user's, taking the mail lying there first. False when monitoring
// was stopped meanwhile.
bool WatchEntry(const cMonitoredFolderData& data, AskUser ask, uint64_t generation) {
  MonitoringState& state = State();
  if (data.blnMandatoryMailbox || data.Active == 0) return true;
  std::shared_ptr<host::MAPIFolder> folder = data.GetOutlookFolder();
  if (!folder) return true;
  std::erase_if(state.standing_by, [&](const std::string& name) {
    return TextEquals(name, data.FolderName);
  });
  if (Claims().IsFolderMonitored(data.PropertyID, data.FolderName)) {
    state.standing_by.push_back(data.FolderName);
    return true;
  }
  // Watched before the mail lying there is taken, so that mail arriving
  // while it is taken is told to the watch; what the batch moves away
  // is gone from the folder when its event runs.
  AddWatch(data, folder);
  std::shared_ptr<host::Items> items = folder->Items();
  int32_t count = items->Count();
  if (count > 0) {
    bool process = true;
    if (ask == AskUser::Yes) {
      const std::string line_break(kLineBreak);
      std::string prompt =
          "There are " + std::to_string(count) +
          " unprocessed emails in this monitored folder '" + folder->Name() + "'!" +
          line_break +
          "Do you want to process all these emails to Support Cases in batch?" +
          line_break + line_break +
          "WARNING: These emails would be moved to the Zanvoro History folder, after "
          "processing.";
      process = host::MsgBox(prompt, host::MsgBoxButtons::YesNo,
                             host::MsgBoxIcon::Critical, host::MsgBoxDefault::Button1,
                             kApplicationTitle) == host::MsgBoxResult::Yes;
    }
    if (process) {
      state.batch = &data;
      state.batch_folder = folder;
      state.batch_stopped = false;
      // From the last to the first: the folder shrinks as mail is moved
      // away.
      for (int32_t i = count; i >= 1; --i) {
        if (i > items->Count()) continue;
        ProcessMonitoredItem(items->Item(i), data);
        if (state.batch_stopped || state.stop_generation != generation) break;
      }
      state.batch = nullptr;
      state.batch_folder.reset();
      if (state.stop_generation != generation) return false;
    }
  }
  return true;
}

}  // namespace

void RefreshMonitorMailFolders(AskUser ask) {
  Trap("CaseHelper.RefreshMonitorMailFolders", [&] {
    DropWatches();
    EnsureRefreshTimer();
    cGlobalSettings* settings = SharedGlobalSettings();
    if (!settings || MonitoredFolderList(*settings).IsEmpty()) return;
    std::shared_ptr<host::MAPIFolder> settings_folder = GetSettingsFolder();
    if (!settings_folder || !SettingsFolderWritable(*settings_folder)) return;
    TrackMailFolders(ask);
  });
}

void TrackMailFolders(AskUser ask) {
  Trap("CaseHelper.TrackMailFolders", [&] {
    WriteTraceLog("CaseHelper.TrackMailFolders");
    if (!WorkloadAllowsMonitoring()) return;
    MonitoringState& state = State();
    DropWatches();
    cGlobalSettings* settings = SharedGlobalSettings();
    if (!settings) return;
    cMonitoredFolderDataList list;
    if (list.FromString(settings->MonitoredFolders)) {
      // Entries of the older one-line form were given claim keys just now;
      // stored, every instance claims them under the same keys.
      WriteMonitoredFolders(*settings, list);
    }
    uint64_t generation = state.stop_generation;
    for (const auto& entry : list) {
      if (!WatchEntry(entry.Value(), ask, generation)) return;
    }
    EnsureRefreshTimer();
  });
}

bool InitializeOpenFolderMonitoring() {
  return Trap("CaseHelper.InitializeOpenFolderMonitoring", false, [] {
    WriteTraceLog("CaseHelper.InitializeOpenFolderMonitoring");
    if (!WorkloadAllowsMonitoring()) return false;
    std::shared_ptr<host::MAPIFolder> ongoing = GetOngoingFolder();
    if (!ongoing) return false;
    MonitoringState& state = State();
    state.ongoing_wanted = true;
    if (Claims().IsFolderMonitored(kOngoingCasesClaimKey, ongoing->FolderPath())) {
      EnsureRefreshTimer();
      return false;
    }
    // A watch made again would drop the events of mail that arrived and is
    // not yet told: the one there stays.
    if (!state.open_folder.Active() || !state.ongoing ||
        !intake::SameFolder(*state.ongoing, *ongoing)) {
      state.ongoing = ongoing;
      state.open_folder = ongoing->Items()->Subscribe(OnOngoingItemAdd);
    }
    EnsureRefreshTimer();
    return true;
  });
}

void ProcessExistingEmailsInOngoinCasesFolder() {
  Trap("CaseHelper.ProcessExistingEmailsInOngoinCasesFolder", [] {
    WriteTraceLog("CaseHelper.ProcessExistingEmailsInOngoinCasesFolder");
    std::shared_ptr<host::MAPIFolder> ongoing = GetOngoingFolder();
    if (!ongoing) return;
    // The Ongoing folder is shared like a monitored folder: only the
    // instance holding its claim sweeps it. Two sweeping at once would make
    // two cases of one mail, and file one reply twice.
    if (Claims().IsFolderMonitored(kOngoingCasesClaimKey, ongoing->FolderPath())) return;
    host::Recordset table = ongoing->ExecSQL(
        "Select EntryID from Folder where MessageClass <> 'IPM.Post.PLWSupportCase'");
    // Read first: processing moves items out of the folder.
    std::vector<std::string> entry_ids;
    for (; !table.Eof(); table.MoveNext()) {
      entry_ids.push_back(CStr(table.Fields("EntryID").Value));
    }
    table.Close();
    for (const std::string& entry_id : entry_ids) {
      std::shared_ptr<host::Item> item = ongoing->GetStore()->GetItemFromID(entry_id);
      if (!item) continue;  // gone meanwhile
      if (UCase(item->MessageClass()) == kClosedCaseClass) {
        ReOpenCase(item, Confirm::DontAsk);
      } else {
        ProcessIncomingItem(item, Origin(), nullptr);
      }
    }
  });
}

bool ProcessMonitoredItem(const std::shared_ptr<host::Item>& item,
                          const cMonitoredFolderData& folder_data) {
  return Trap("CaseHelper.ProcessMonitoredItem", false, [&] {
    if (!item) return false;
    bool has_case_reference = !ExtractCaseID(item->Subject()).empty();
    if (!folder_data.Accepts(has_case_reference)) return false;
    return ProcessIncomingItem(item, Origin(), &folder_data);
  });
}

bool SetupSentCopySentItemsFolder() {
  return Trap("ExplorersEvent.SetupSentCopySentItemsFolder", false, [] {
    std::shared_ptr<host::NameSpace> session = HelpdeskSession();
    if (!session) return false;
    std::shared_ptr<host::MAPIFolder> sent;
    try {
      sent = session->GetDefaultFolder(host::DefaultFolder::SentMail);
    } catch (const Error& error) {
      if (error.Number() != err::kNotFound) throw;
      return false;  // no mailbox of the user's own in this profile
    }
    if (!sent) return false;
    std::shared_ptr<host::MAPIFolder> copies = GetOrCreateSubFolder(
        sent, kSentCopyFolderName, CreateMode::Create, host::ItemType::Mail);
    if (!copies) return false;
    State().sent_copy = copies->Items()->Subscribe(OnSentCopyItemAdd);
    return true;
  });
}

bool StartTrackingFolder() {
  return Trap("ResearchMailbox.StartTrackingFolder", false, [] {
    if (!GeneralSettingOn("tpoTrackingFolderEnabled")) return false;
    std::string entry_id = GeneralSettingText("tpoTrackingFolderEntryID");
    std::string store_id = GeneralSettingText("tpoTrackingFolderStoreID");
    std::shared_ptr<host::NameSpace> session = HelpdeskSession();
    if (entry_id.empty() || !session) return false;
    std::shared_ptr<host::MAPIFolder> folder;
    try {
      folder = session->GetFolderFromID(entry_id, store_id);
    } catch (const Error&) {
      return false;  // a tracking folder that cannot be opened is skipped
    }
    State().tracking = folder->Items()->Subscribe(OnTrackingItemAdd);
    return true;
  });
}

void StopAllMonitoring() {
  Trap("CaseHelper.StopAllMonitoring", [] {
    MonitoringState& state = State();
    ++state.stop_generation;
    Claims().UnSetMonitoringModeToAllFolders();
    state.watches.clear();
    state.open_folder.Cancel();
    state.ongoing.reset();
    state.standing_by.clear();
    state.ongoing_wanted = false;
    StopRefreshTimer();
  });
}

std::vector<std::string> WatchedMonitoredFolders() {
  std::vector<std::string> names;
  for (const FolderWatch& watch : State().watches)
    names.push_back(watch.data->FolderName);
  return names;
}

bool OngoingFolderWatched() { return State().open_folder.Active(); }
bool SentCopyFolderWatched() { return State().sent_copy.Active(); }
bool TrackingFolderWatched() { return State().tracking.Active(); }

void RefreshMonitoringClaims() {
  Trap("CaseHelper.RefreshMonitoringClaims", [] {
    MonitoringState& state = State();
    // Another instance may have taken a claim over while this one stood
    // still for longer than the claim window: that folder is its now.
    std::erase_if(state.watches, [&](const FolderWatch& watch) {
      if (!Claims().IsFolderMonitored(watch.data->PropertyID, watch.data->FolderName))
        return false;
      state.standing_by.push_back(watch.data->FolderName);
      return true;
    });
    if (state.open_folder.Active() && state.ongoing &&
        Claims().IsFolderMonitored(kOngoingCasesClaimKey, state.ongoing->FolderPath())) {
      state.open_folder.Cancel();
      state.ongoing.reset();
    }
    // What another instance held is taken up once its claim lapsed: that
    // instance stopped without giving it up.
    if (!state.standing_by.empty() && WorkloadAllowsMonitoring()) {
      if (cGlobalSettings* settings = SharedGlobalSettings()) {
        const std::vector<std::string> waiting = state.standing_by;
        const uint64_t generation = state.stop_generation;
        for (const auto& entry : MonitoredFolderList(*settings)) {
          const cMonitoredFolderData& data = entry.Value();
          const bool waited =
              std::any_of(waiting.begin(), waiting.end(),
                          [&](const auto& n) { return TextEquals(n, data.FolderName); });
          if (waited && !WatchEntry(data, AskUser::No, generation)) return;
        }
      }
    }
    if (state.ongoing_wanted && !state.open_folder.Active())
      InitializeOpenFolderMonitoring();
    // Mail whose event never came, or whose handling failed half-way, is
    // taken now, as at the start.
    if (state.open_folder.Active()) ProcessExistingEmailsInOngoinCasesFolder();
    EnsureRefreshTimer();
  });
}

void SetMonitoringClock(MonitoringClock clock) {
  StopRefreshTimer();
  State().clock = std::move(clock);
  EnsureRefreshTimer();
}

void InstallMonitoringSteps(LaterSteps& steps) {
  steps.create = [previous = std::move(steps.create)](SharedObject object) {
    if (previous) previous(object);
    if (object == SharedObject::MonitoredFolderSettings) {
      State().claims = std::make_unique<cMonitoredFolderSettings>(ClaimServices());
      InstallControl();
    }
  };
  steps.release = [previous = std::move(steps.release)](SharedObject object) {
    if (previous) previous(object);
    MonitoringState& state = State();
    switch (object) {
      case SharedObject::OpenFolderMonitor:
        // Nobody watches it from here on: its claim goes, so that another
        // instance (or this one, watching it again) takes what arrives.
        {
          const bool watched = state.open_folder.Active() && state.ongoing;
          const std::string path = watched ? state.ongoing->FolderPath() : std::string{};
          state.ongoing_wanted = false;
          state.open_folder.Cancel();
          state.ongoing.reset();
          if (watched && state.claims) {
            Trap("Monitoring.ReleaseOpenFolderClaim", [&] {
              state.claims->SetFolderFlag(kOngoingCasesClaimKey, path, ClaimAction::Clear);
            });
          }
        }
        break;
      case SharedObject::MonitoredFolderSettings:
        ReleaseAll();
        break;
      case SharedObject::SentCopyFoldersM:
        state.sent_copy.Cancel();
        break;
      case SharedObject::MonitorResearchMailbox:
        state.tracking.Cancel();
        break;
      default:
        break;
    }
  };
  steps.monitored_folders_configured = [] {
    cGlobalSettings* settings = SharedGlobalSettings();
    return settings && !Trim(settings->MonitoredFolders).empty();
  };
  steps.track_mail_folders = [] { TrackMailFolders(AskUser::No); };
  steps.start_open_folder_monitoring = [] { InitializeOpenFolderMonitoring(); };
  steps.process_ongoing_folder = [] { ProcessExistingEmailsInOngoinCasesFolder(); };
  steps.watch_sent_copy_folders = [] { SetupSentCopySentItemsFolder(); };
  steps.start_tracking_folder = [] { StartTrackingFolder(); };
  steps.give_up_monitoring_claims = [] { GiveUpClaims(); };
}

}  // namespace zanvoro
