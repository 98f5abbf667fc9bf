// Creating a new helpdesk in a store: the work of the ConfigureServerPST
// program, kept here so that scripts, tests and the program share it.
//
// A helpdesk is six sibling folders under one parent folder, each marked in
// its description: Ongoing, Resolved, Knowledge base, Settings, History and
// Schedule. A new Settings folder gets the initial shared settings: the
// store choice (the folder itself), the "ZanvoroSettings" item with every
// list, the initial general settings and the counters.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "case/cOutlookFolder.h"

namespace zanvoro {

// What to do when the parent folder already holds marked helpdesk folders.
enum class ExistingHelpdesk { Refuse, Overwrite };
// Whether the new Settings folder becomes the profile user's helpdesk.
enum class Registration { None, ForUser };

struct NewHelpdeskOptions {
  // The profile whose user creates (and owns) the store; a folder without a
  // profile gets the default one.
  std::filesystem::path profile_folder;
  // The store file; created when missing. Empty: "<profile>/helpdesk.zdb".
  std::filesystem::path store_path;
  // The display name of a store that is created (its root folder's name).
  std::string name = "Zanvoro Helpdesk";
  // The parent folder of the helpdesk inside the store, as folder names
  // separated by "\" below the root, or as a full folder path
  // ("\\Zanvoro Helpdesk\Team A"); missing folders are created. Empty: the
  // store's root folder.
  std::string parent_path;
  ExistingHelpdesk existing = ExistingHelpdesk::Refuse;
  // ForUser adds the store to the profile (as a shared store) and writes the
  // Settings folder's location to the user's hive.
  Registration registration = Registration::None;
};

struct NewHelpdesk {
  std::filesystem::path store_path;
  std::string store_id;
  cOutlookFolder settings;
  // The six folders, in the order Ongoing, Resolved, Knowledge base,
  // Settings, History, Schedule.
  std::vector<cOutlookFolder> folders;
  // The hive the location was written to; empty without registration.
  std::filesystem::path hive_path;
};

// The names the six folders get when they are created.
inline constexpr const char* kNewFolderNames[] = {
    "Ongoing", "Resolved", "Knowledge base", "Settings", "History", "Schedule"};

// Creates the helpdesk. Raises Error: err::kFileAlreadyExists when the
// parent already holds a marked helpdesk folder and `existing` is Refuse
// (nothing is changed then); the store's and the hive's errors otherwise.
// With Overwrite, folders already marked keep their place and are marked
// again, and a Settings folder that holds settings keeps them.
NewHelpdesk CreateNewHelpdesk(const NewHelpdeskOptions& options);

}  // namespace zanvoro
