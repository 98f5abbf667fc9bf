// The settings root: every shared setting and reference list of the
// helpdesk, loaded from the store the helpdesk chose (cMySettings) and
// written back to it list by list. One object lives while the add-in is
// connected (SharedGlobalSettings in SettingsSteps.h); the settings screens
// and shell commands reload and save parts of it by section number.
//
// Sections. Reloading (ReloadSettings) re-reads:
//   0, 7, 11, 13, 14, 15, 16  the general settings
//   18                        the general settings and the counters (from a
//                             database: the general settings only)
//   21                        the counters
//   1                         problem types, problem categories, status list
//   2                         technicians
//   3                         caller departments, callers
//   4                         message templates
//   5                         the general settings, then the monitored folders
//   8                         assets
//   17                        SLAs
// Saving (SaveGlobalSettings) takes a list number and writes that list;
// 6 first puts the monitored folders, origins and problem fields into the
// general settings, 18 the origins only, 21 the problem fields only, and
// 12 writes everything. Any other number does nothing.
//
// Every public operation traps its failures and reports them under
// "Global.<operation>"; it then returns false (or nothing) and the settings
// in memory stay as they were. UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/store/StoreTypes.h"
#include "runtime/Dictionary.h"
#include "settings/SettingsList.h"
#include "settings/UserRegistryValues.h"
#include "settings/cAssets.h"
#include "settings/cCallers.h"
#include "settings/cCategories.h"
#include "settings/cFAQs.h"
#include "settings/cMessageTemplates.h"
#include "settings/cMySettings.h"
#include "settings/cOutlookSettings.h"
#include "settings/cProblemTypes.h"
#include "settings/cSLAs.h"
#include "settings/cSingleList.h"
#include "settings/cTechnicians.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

class SettingsStore;

class cGlobalSettings {
 public:
  // What the settings need from around them. Every member may be empty:
  // no Settings folder (nothing loads), no user (no current user).
  struct Services {
    // The helpdesk's Settings folder; nullptr when it is not found.
    std::function<std::shared_ptr<host::MAPIFolder>()> settings_folder;
    // The signed-in user: display name and e-mail address.
    std::function<host::UserInfo()> current_user;
    // The interface language number (6 is French).
    std::function<int()> language_index;
    // Opens the store `choice` names; empty: MakeSettingsStore. The
    // settings database comes in through here.
    std::function<std::unique_ptr<SettingsStore>(
        const cMySettings& choice, std::shared_ptr<host::MAPIFolder> settings_folder)>
        open_store;
  };

  cGlobalSettings();
  explicit cGlobalSettings(Services services);
  ~cGlobalSettings();
  cGlobalSettings(const cGlobalSettings&) = delete;
  cGlobalSettings& operator=(const cGlobalSettings&) = delete;

  // The shared settings and lists.
  cCallers Callers;
  cTechnicians Technicians;
  cSingleList StatusList;
  cSingleList OriginsList;        // "sdoOriginsList", items by line
  cSingleList ProblemFieldsList;  // "sdoProblemFieldsList", items by line
  cCategories CallerDepartments;
  cCategories ProblemCategories;
  Dictionary<std::string> ProblemTypeCategories;  // problem type -> category
  cAssets Assets;
  cSingleList AssetField2List;
  cSingleList AssetField3List;
  cSingleList CustomField4List;
  cSingleList CustomField5List;
  cSingleList CustomField6List;
  cSLAs SLAs;
  cProblemTypes ProblemTypes;
  cOutlookSettings GeneralSettings;
  // The monitored-folder list's text ("sdoMonitoredEmailFolders", one folder
  // per line), kept as stored.
  std::string MonitoredFolders;
  // The notification templates. After a load every template left empty
  // holds its built-in default (ApplyDefaultMessageTemplates).
  cMessageTemplates MessageTemplates;
  cOutlookSettings CounterSettings;
  // Read by LoadFAQs and written by SaveFAQs only, never with the rest.
  cFAQs FAQs;
  bool Loaded = false;
  std::string ShortDateFormat;
  std::string TimeFormat;

  // Read at load: "sdoOriginEmail", "tpoSendReceivedAction",
  // "tpoClearFormCacheOnStartup".
  std::string OriginEmail;
  int32_t SendReceivedAction = 0;
  bool ClearFormCacheOnStartup = false;
  // The signed-in user, established by subGetCurrentUser.
  std::string CurrentUserName;
  std::string CurrentUserEmail;
  // The per-user registry values as read (kUserRegistryValues).
  Dictionary<std::string> UserValues;
  // The store choice read at the last load.
  cMySettings MySettings;
  // Set when the settings database was made at this start-up: the next
  // load writes the initial settings into it instead of reading.
  bool NewDatabase = false;

  void unloadProblemTypes();
  void LoadProblemTypeCollection();
  // Re-reads the lists of `section` from the store in force. Returns true.
  bool ReloadSettings(int32_t section);
  bool ReloadSettingsOutlook(int32_t section);

  // The lists from the settings folder, in their load order (the counters
  // last). Without a "ZanvoroSettings" item nothing is read and the result
  // is still true; without the folder it is false.
  bool LoadSettingsFromOutlook();
  // The lists from the settings database, in their load order (the
  // counters first); false when it cannot be opened.
  bool LoadSettingsFromDB();
  // The whole load: per-user registry values, the store choice, the lists,
  // then what is derived from them and the current user. Returns (and sets
  // Loaded to) whether the lists loaded.
  bool LoadDBSettings();

  // Reads and writes the FAQ list (`FAQs`).
  bool LoadFAQs();
  bool SaveFAQs();

  // Puts the initial values of a new helpdesk into the general settings,
  // gives every template its default and switches on the caller's
  // confirmation and closure mails, the reopening, due-date, caller-reply
  // and SLA-breach mails (every other notification starts off), and saves
  // every list and the counters.
  bool LoadInitialSettingsToNewDB();
  bool SaveInitialSettings();
  bool SaveInitialSettingsOutlook();

  // Writes the lists of save section `section`. Return whether they were
  // written (false: refused or failed, and reported).
  bool SaveSettingsToDB(int32_t section);
  bool SaveGlobalSettings(int32_t section);
  bool SaveCounterSettings();
  // Advances the counter `key` by one in the store in force and returns the
  // new value, given to no other instance (SettingsStore::AdvanceCounter);
  // CounterSettings become the stored counters. nullopt when the user may
  // not write the store. Unlike the operations above it raises its
  // failures (no store, an overflow, a store error) for the caller to trap.
  std::optional<int32_t> AdvanceCounter(std::string_view key);
  // Writes one whole list as it is in memory, with the save that belongs to
  // it. The general settings are taken as the truth: the monitored folders,
  // origins and problem fields are first read from them.
  bool SaveList(SettingsList list);

  // Establishes the current user and, when they are not a technician and
  // "sdoAutoAddNewTechnician" is yes, adds them to the technicians and saves.
  void subGetCurrentUser();
  void AddCurrentUserToGlobalTechniciansList();
  // The regional short date and time formats; empty ones become "M/d/yyyy"
  // and "h:mm:ss tt".
  void GetDateTimeFormat();
  // Drops the lists a passive instance does not need: caller departments,
  // problem categories, problem type categories, assets, the asset-field and
  // custom-field lists and the problem types.
  void ActivatePassiveMode();

  // Gives every template whose text is empty (blanks aside) the built-in
  // default of the interface language (Services::language_index; French
  // for 6, English otherwise), in memory only. A template missing from the
  // list is added switched off; a present one keeps its switch.
  void ApplyDefaultMessageTemplates();

  // The interface language number the settings were made for (the
  // services' language_index; 1, English, without one). The built-in
  // templates follow it.
  int LanguageIndex() const;

  // The HTML body of a new case item: the "sdoNewCase" template (the
  // built-in page when it is shorter than 2 characters) with VNH_EMAILBODY
  // replaced by `body` as it is.
  std::string NewTicketHTML(std::string_view body) const;

  // The file-name part of a path (after the last "\" or "/").
  static std::string fncGetFileName(std::string_view path);
  // The category of `problem_type`; "" when it is not known.
  std::string GetProblemCategoryForProblemType(std::string_view problem_type) const;

  // Reads the monitored folders, origins and problem fields from the general
  // settings (an old "[SEP]" separator becomes a line break). Returns
  // whether the monitored-folder text held the old separator.
  bool ReadListsFromGeneralSettings();

  // The per-user registry values: read with their defaults, written back.
  void ReadUserRegistryValues();
  void WriteUserRegistryValues() const;

  // The single list numbered `list` (the status, asset-field and
  // custom-field lists); nullptr for any other list.
  cSingleList* SingleList(SettingsList list);
  const cSingleList* SingleList(SettingsList list) const;

  // The store's side: a list's stored text form, and reading one.
  std::string ListText(SettingsList list) const;
  void ListFromText(SettingsList list, std::string_view text);
  // The array form of a reference list (a keyed or single list, fields in
  // text-form order), and replacing one from it; an empty array for the
  // key/value stores and the templates, which have none.
  Array2D ListToArray(SettingsList list) const;
  void ListFromArray(SettingsList list, const Array2D& array);

  // The Settings folder the services name; nullptr when there is none.
  std::shared_ptr<host::MAPIFolder> SettingsFolder() const;

 private:
  bool ReloadSection(int32_t section);
  bool SaveLists(std::span<const SettingsList> lists);
  void PutListsIntoGeneralSettings(bool monitored, bool origins, bool problem_fields);
  std::unique_ptr<SettingsStore> OpenStore() const;

  Services services_;
};

}  // namespace zanvoro
