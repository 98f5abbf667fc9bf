#include "case/HelpdeskFolders.h"

#include <array>

#include "case/FolderMarkers.h"
#include "case/frmFirstTime.h"
#include "connection/LaterSteps.h"
#include "connection/RunningAddin.h"
#include "errors/AdviceTexts.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/ui/MsgBox.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/RegistryOptions.h"
#include "settings/SettingsSteps.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro {

namespace {

constexpr const char* kCrLf = "\r\n";

struct FolderState {
  std::array<std::shared_ptr<host::MAPIFolder>, 6> folders;
  cOutlookFolder settings_reference;
};

FolderState& State() {
  static FolderState state;
  return state;
}

std::shared_ptr<host::MAPIFolder>& Slot(HelpdeskFolder kind) {
  return State().folders[static_cast<size_t>(kind)];
}

void ShowCritical(const std::string& prompt) {
  host::MsgBox(prompt, host::MsgBoxButtons::OK, host::MsgBoxIcon::Critical,
               host::MsgBoxDefault::Button1, kApplicationTitle);
}

std::string ReadRegistry(const char* name) {
  return GetRegistryValue(kRegistryApp, "", name, "");
}

}  // namespace

std::shared_ptr<host::MAPIFolder> SubFolder(
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name,
    CreateMode create, host::ItemType type) {
  if (!parent) return nullptr;
  SetCurrentProcedure("Looping through subfolders of " + parent->Name() +
                      " to find subfolder " + std::string(name));
  for (const auto& folder : parent->Folders().All()) {
    if (folder->Name() == name) return folder;
  }
  if (create != CreateMode::Create) return nullptr;
  SetCurrentProcedure("Adding folder of type " +
                      std::to_string(static_cast<int32_t>(type)) + " as a subfolder to " +
                      parent->Name());
  return parent->Folders().Add(name, type);
}

std::shared_ptr<host::NameSpace> HelpdeskSession() {
  RunningAddin* addin = ConnectedAddin();
  if (!addin) return nullptr;
  if (auto session = addin->Session()) return session;
  if (auto application = addin->HostApplication()) {
    return application->GetNamespace("MAPI");
  }
  return nullptr;
}

void LocateHelpdeskFolders() {
  Trap("SettingsData.LocateHelpdeskFolders", [] {
    ForgetHelpdeskFolders();
    // Without a connected add-in there is neither a session nor a hive.
    auto session = HelpdeskSession();
    if (!session) return;
    cOutlookFolder reference;
    reference.OutlookPath = ReadRegistry("VNHOutlookPath");
    reference.EntryID = ReadRegistry("VNHEntryID");
    reference.StoreID = ReadRegistry("VNHStoreID");
    reference.Name = ReadRegistry("VNHName");
    State().settings_reference = reference;
    if (reference.Empty()) return;
    if (auto settings = reference.GetFolder(*session)) DetectHelpdeskFolders(settings);
  });
}

void DetectHelpdeskFolders(const std::shared_ptr<host::MAPIFolder>& settings_folder,
                           const DescriptionReader& read_description) {
  Trap("SettingsData.DetectHelpdeskFolders", [&] {
    if (!settings_folder) return;
    auto parent = settings_folder->Parent();
    if (!parent) return;
    for (const auto& folder : parent->Folders().All()) {
      std::string description;
      try {
        description =
            read_description ? read_description(*folder) : folder->Description();
      } catch (const Error& failure) {
        if (failure.Number() != err::kNetworkError) continue;
        // The server is gone: every further folder would fail the same way.
        RunningAddin* addin = ConnectedAddin();
        if (addin && addin->NetworkMessage()) {
          ShowCritical(kNetworkProblemsMessage);
        }
        break;
      } catch (const std::exception&) {
        continue;
      }
      if (auto kind = RecognizeHelpdeskFolder(description)) Slot(*kind) = folder;
    }
    if (auto settings = Slot(HelpdeskFolder::Settings)) {
      State().settings_reference = cOutlookFolder::Of(*settings);
    }
  });
}

std::shared_ptr<host::MAPIFolder> HelpdeskFolderOf(HelpdeskFolder kind) {
  return Trap("SettingsData.GetHelpdeskFolder", std::shared_ptr<host::MAPIFolder>(), [&] {
    if (!Slot(kind)) LocateHelpdeskFolders();
    return Slot(kind);
  });
}

std::shared_ptr<host::MAPIFolder> GetOngoingFolder() {
  return HelpdeskFolderOf(HelpdeskFolder::Ongoing);
}
std::shared_ptr<host::MAPIFolder> GetResolvedFolder() {
  return HelpdeskFolderOf(HelpdeskFolder::Resolved);
}
std::shared_ptr<host::MAPIFolder> GetSettingsFolder() {
  return HelpdeskFolderOf(HelpdeskFolder::Settings);
}
std::shared_ptr<host::MAPIFolder> GetKBFolder() {
  return HelpdeskFolderOf(HelpdeskFolder::KB);
}
std::shared_ptr<host::MAPIFolder> GetHistoryFolder() {
  return HelpdeskFolderOf(HelpdeskFolder::History);
}
std::shared_ptr<host::MAPIFolder> GetScheduleFolder() {
  return HelpdeskFolderOf(HelpdeskFolder::Schedule);
}

std::shared_ptr<host::MAPIFolder> GetHelpdeskFolder(std::string_view tag_name) {
  constexpr std::array<HelpdeskFolder, 6> kKinds{
      HelpdeskFolder::Ongoing, HelpdeskFolder::Resolved, HelpdeskFolder::Settings,
      HelpdeskFolder::KB,      HelpdeskFolder::History,  HelpdeskFolder::Schedule,
  };
  for (HelpdeskFolder kind : kKinds) {
    if (UCase(FolderTag(kind)) != UCase(tag_name)) continue;
    if (!GetOngoingFolder()) return nullptr;
    return HelpdeskFolderOf(kind);
  }
  return nullptr;
}

std::string HelpdeskFolderPath(HelpdeskFolder kind) {
  return Trap("SettingsData.HelpdeskFolderPath", std::string(), [&] {
    // Held folders only: the error report asks for this and must not start
    // a search of its own.
    return Slot(kind) ? Slot(kind)->FolderPath() : std::string();
  });
}

bool HelpdeskFolderKnown(HelpdeskFolder kind) { return Slot(kind) != nullptr; }

void ForgetHelpdeskFolders() {
  for (auto& folder : State().folders) folder.reset();
  State().settings_reference = {};
}

const cOutlookFolder& SettingsFolderReference() { return State().settings_reference; }

std::shared_ptr<host::MAPIFolder> GetFolderFromPath(host::NameSpace& session,
                                                    std::string_view path,
                                                    PathMessage message) {
  return Trap("SettingsData.GetFolderFromPath", std::shared_ptr<host::MAPIFolder>(), [&] {
    std::string trimmed = Trim(path);
    if (trimmed.empty()) return std::shared_ptr<host::MAPIFolder>();
    std::vector<std::string> parts = Split(trimmed, "\\");
    std::shared_ptr<host::MAPIFolder> folder;
    try {
      if (parts.size() > 1) {
        // "\\Root\Folder\Sub": the root is the third part.
        if (parts.size() > 2) folder = session.Folders().Item(parts[2]);
        for (size_t i = 3; folder && i < parts.size(); ++i) {
          if (parts[i].empty()) continue;
          folder = folder->Folders().Item(parts[i]);
        }
      } else {
        host::Recipient owner = session.CreateRecipient(parts[0]);
        owner.Resolve();
        folder = session.GetSharedDefaultFolder(owner, host::DefaultFolder::Inbox);
      }
    } catch (const Error&) {
      folder.reset();
    }
    if (!folder && message == PathMessage::Show) {
      ShowCritical(std::string("Cannot access the specified path!") + kCrLf +
                   "Please make sure it exists and you have the appropriate "
                   "permission!");
    }
    return folder;
  });
}

std::shared_ptr<host::MAPIFolder> GetFolderFromPath(std::string_view path,
                                                    PathMessage message) {
  auto session = HelpdeskSession();
  if (!session) return nullptr;
  return GetFolderFromPath(*session, path, message);
}

void SaveSettingsFolderLocation() {
  Trap("SettingsData.SaveSettingsFolderLocation", [] {
    auto settings = Slot(HelpdeskFolder::Settings);
    if (!settings) return;
    cOutlookFolder reference = cOutlookFolder::Of(*settings);
    WriteSettingsFolderLocation(reference);
    State().settings_reference = reference;
  });
}

void SaveSettingsFolderLocation(std::string_view outlook_path, std::string_view entry_id,
                                std::string_view store_id, std::string_view name) {
  Trap("SettingsData.SaveSettingsFolderLocation", [&] {
    cOutlookFolder settings;
    settings.OutlookPath = outlook_path;
    settings.EntryID = entry_id;
    settings.StoreID = store_id;
    settings.Name = name;
    WriteSettingsFolderLocation(settings);
  });
}

void WriteSettingsFolderLocation(const cOutlookFolder& settings) {
  SetRegistryValue(kRegistryApp, "", "VNHEntryID", settings.EntryID);
  SetRegistryValue(kRegistryApp, "", "VNHStoreID", settings.StoreID);
  SetRegistryValue(kRegistryApp, "", "VNHOutlookPath", settings.OutlookPath);
  SetRegistryValue(kRegistryApp, "", "VNHName", settings.Name);
}

bool IsFirstRun() {
  return Trap("SettingsData.IsFirstRun", true, [] { return HelpdeskLocationMissing(); });
}

std::shared_ptr<host::MAPIFolder> GetOrCreateSubFolder(
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name,
    CreateMode create, host::ItemType type) {
  return Trap("SettingsData.GetOrCreateSubFolder", std::shared_ptr<host::MAPIFolder>(),
              [&] { return SubFolder(parent, name, create, type); });
}

std::vector<std::string> SetupDueDateScheduleFolder(
    const std::vector<std::string>& technicians) {
  constexpr const char* kLocation = "SettingsData.SetupDueDateScheduleFolder";
  return Trap(kLocation, std::vector<std::string>(), [&] {
    std::vector<std::string> failed;
    auto schedule = GetScheduleFolder();
    if (!schedule) return failed;
    Error last_failure(err::kCallFailed, "");
    for (const std::string& technician : technicians) {
      if (Trim(technician).empty()) continue;
      try {
        auto folder = SubFolder(schedule, technician, CreateMode::Create,
                                host::ItemType::Appointment);
        if (folder->Description().empty()) {
          folder->SetDescription(TechnicianMarker(technician));
        }
      } catch (const Error& failure) {
        last_failure = failure;
        failed.push_back(technician);
      }
    }
    SetCurrentProcedure(kLocation);
    if (!failed.empty()) {
      std::string message =
          WritePermissionAdvice("<VNH_SCHEDULEFOLDER> > " + Join(failed, ","));
      ShowFriendlyError(message, last_failure.Description(), last_failure.Number(), 0,
                        kLocation);
    }
    return failed;
  });
}

void AddHelpdeskFolderSteps(LaterSteps& steps) {
  // The stored location follows a Settings folder that was moved.
  SetSettingsFolderSource(
      {[] { return GetSettingsFolder(); }, [] { SaveSettingsFolderLocation(); }});
  steps.locate_helpdesk_folders = [] { LocateHelpdeskFolders(); };
  steps.first_time_wizard = [] {
    frmFirstTime window;
    window.Show(host::ShowMode::Modal);
  };
  steps.folder = [](HelpdeskFolder kind) { return HelpdeskFolderOf(kind); };
  steps.folder_path = [](HelpdeskFolder kind) { return HelpdeskFolderPath(kind); };
  steps.release = [previous = std::move(steps.release)](SharedObject object) {
    if (object == SharedObject::HelpdeskFolders) ForgetHelpdeskFolders();
    if (previous) previous(object);
  };
}

}  // namespace zanvoro
