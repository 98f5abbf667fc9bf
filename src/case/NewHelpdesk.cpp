#include "case/NewHelpdesk.h"

#include <array>
#include <optional>

#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "host/db/SqlSession.h"
#include "host/os/Hive.h"
#include "host/os/Locale.h"
#include "host/os/Profile.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Store.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/NewHelpdeskSettings.h"
#include "settings/SettingsFolderStore.h"
#include "settings/cGlobalSettings.h"
#include "settings/modRegistryEntry.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr const char* kSource = "ConfigureServerPST";

struct NewFolder {
  HelpdeskFolder kind;
  const char* name;
  host::ItemType type;
};

// Cases, articles and settings are posts; History receives mail moved out
// of monitored folders; Schedule holds due-date appointments.
constexpr std::array<NewFolder, 6> kNewFolders{{
    {HelpdeskFolder::Ongoing, kNewFolderNames[0], host::ItemType::Post},
    {HelpdeskFolder::Resolved, kNewFolderNames[1], host::ItemType::Post},
    {HelpdeskFolder::KB, kNewFolderNames[2], host::ItemType::Post},
    {HelpdeskFolder::Settings, kNewFolderNames[3], host::ItemType::Post},
    {HelpdeskFolder::History, kNewFolderNames[4], host::ItemType::Mail},
    {HelpdeskFolder::Schedule, kNewFolderNames[5], host::ItemType::Appointment},
}};

std::shared_ptr<host::MAPIFolder> ParentFolder(host::Store& store,
                                               std::string_view parent_path) {
  std::shared_ptr<host::MAPIFolder> parent = store.GetRootFolder();
  std::vector<std::string> parts = Split(Trim(parent_path), "\\");
  size_t first = 0;
  // A full folder path names the root first: "\\Root\Folder".
  if (parts.size() > 2 && parts[0].empty() && parts[1].empty()) {
    if (!TextEquals(parts[2], parent->Name())) {
      throw Error(err::kPathNotFound,
                  "The parent path '" + std::string(parent_path) +
                      "' is not in the store '" + parent->Name() + "'.",
                  kSource);
    }
    first = 3;
  }
  for (size_t i = first; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    // Folder names are unique without regard to case within a parent.
    auto folder = parent->Folders().Item(std::string_view(parts[i]));
    if (!folder) folder = parent->Folders().Add(parts[i], host::ItemType::Mail);
    parent = folder;
  }
  return parent;
}

// The interface language of the profile's user ("DefLang", else the
// system's): it picks the language of the default templates.
int LanguageOf(const host::Profile& profile) {
  host::Hive hive(profile.EffectiveHivePath());
  std::string def_lang =
      hive.GetValue(RegistryKeyPath(kRegistryApp, ""), "DefLang").value_or("");
  return LanguageIndexFromName(def_lang, static_cast<int>(host::SystemDefaultLCID()));
}

// A new Settings folder gets the initial shared settings; one that holds
// settings already keeps them.
void WriteInitialSettings(const std::shared_ptr<host::MAPIFolder>& settings_folder,
                          int language_index) {
  if (GetOutlookSettingItem(*settings_folder, kSettingsItemSubject,
                            SettingItemMode::Find)) {
    return;
  }
  if (!LoadInitialSettingsToNewDB(settings_folder, language_index)) {
    throw Error(err::kCallFailed,
                "The initial settings could not be written to " +
                    settings_folder->FolderPath() + ".",
                kSource);
  }
}

void Register(host::Profile& profile, const host::Store& store,
              const cOutlookFolder& settings, NewHelpdesk& result) {
  bool on_server = host::db::BackendOf(store.FilePath()) == host::db::SqlBackend::Postgresql;
  std::filesystem::path store_path =
      on_server ? std::filesystem::path(store.FilePath())
                : std::filesystem::absolute(store.FilePath());
  bool listed = false;
  for (const host::StoreLocation& location : profile.stores) {
    std::error_code failure;
    if (on_server ? location.path == store_path
                  : std::filesystem::equivalent(location.path, store_path, failure))
      listed = true;
  }
  if (!listed) {
    profile.stores.push_back(
        host::StoreLocation{store_path, store.DisplayName(), host::StoreRole::Shared});
    profile.Save();
  }
  host::Hive hive(profile.EffectiveHivePath());
  host::Hive* previous = RegistryHive();
  SetRegistryHive(&hive);
  try {
    WriteSettingsFolderLocation(settings);
  } catch (...) {
    SetRegistryHive(previous);
    throw;
  }
  SetRegistryHive(previous);
  result.hive_path = hive.Path();
}

}  // namespace

NewHelpdesk CreateNewHelpdesk(const NewHelpdeskOptions& options) {
  host::Profile profile = host::Profile::Load(std::filesystem::absolute(
      options.profile_folder.empty() ? host::Profile::DefaultFolder()
                                     : options.profile_folder));
  std::filesystem::path store_path =
      options.store_path.empty() ? profile.folder / "helpdesk.zdb" : options.store_path;
  if (host::db::BackendOf(store_path.string()) == host::db::SqlBackend::Sqlite)
    store_path = std::filesystem::absolute(store_path);
  std::string name = Trim(options.name).empty() ? "Zanvoro Helpdesk" : options.name;

  host::NameSpace session(
      host::UserInfo{profile.user_name, profile.smtp_address}, nullptr,
      {host::StoreSpec{store_path.string(), name, host::StoreKind::Shared}});
  std::shared_ptr<host::Store> store = session.Stores().front();
  std::shared_ptr<host::MAPIFolder> parent = ParentFolder(*store, options.parent_path);

  // Folders already marked under this parent: a helpdesk lives here.
  std::array<std::shared_ptr<host::MAPIFolder>, 6> marked;
  bool any_marked = false;
  for (const auto& folder : parent->Folders().All()) {
    if (auto kind = RecognizeHelpdeskFolder(folder->Description())) {
      any_marked = true;
      if (!marked[static_cast<size_t>(*kind)])
        marked[static_cast<size_t>(*kind)] = folder;
    }
  }
  if (any_marked && options.existing == ExistingHelpdesk::Refuse) {
    throw Error(err::kFileAlreadyExists,
                "A helpdesk already exists in " + parent->FolderPath() +
                    " of the store " + store_path.string() +
                    "; create it anyway with --force.",
                kSource);
  }

  NewHelpdesk result;
  result.store_path = store_path;
  result.store_id = store->StoreID();
  std::shared_ptr<host::MAPIFolder> settings_folder;
  for (const NewFolder& wanted : kNewFolders) {
    auto folder = marked[static_cast<size_t>(wanted.kind)];
    if (!folder) folder = SubFolder(parent, wanted.name, CreateMode::Create, wanted.type);
    folder->SetDescription(GetFolderMarker(FolderTag(wanted.kind)));
    if (wanted.kind == HelpdeskFolder::Settings) settings_folder = folder;
    result.folders.push_back(cOutlookFolder::Of(*folder));
  }
  result.settings = cOutlookFolder::Of(*settings_folder);

  WriteInitialSettings(settings_folder, LanguageOf(profile));

  if (options.registration == Registration::ForUser) {
    Register(profile, *store, result.settings, result);
  }
  return result;
}

}  // namespace zanvoro
