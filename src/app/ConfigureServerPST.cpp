// ConfigureServerPST: creates a new helpdesk in a store, either a new store
// file or a parent folder of an existing one, and prints where it put it.
//
//   ConfigureServerPST [--profile DIR] [--store FILE] [--name NAME]
//                      [--parent PATH] [--register] [--force]
//
// The add-in starts it with --profile only, when the user asks for a new
// helpdesk: the helpdesk then goes into "<profile>/helpdesk.zdb" and becomes
// the user's at once. A parent that already holds a helpdesk is refused
// unless --force is given.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <string>

#include "case/NewHelpdesk.h"
#include "runtime/Error.h"

int main(int argc, char** argv) {
  CLI::App app{"Creates a new Zanvoro helpdesk: six marked folders and its settings."};
  app.name("ConfigureServerPST");
  std::string profile;
  std::string store;
  std::string name = "Zanvoro Helpdesk";
  std::string parent;
  bool register_for_user = false;
  bool force = false;
  app.add_option("--profile", profile,
                 "Profile folder of the user creating the helpdesk (default: the "
                 "user's own profile)");
  app.add_option("--store", store,
                 "Store file to put the helpdesk in, created when missing (default: "
                 "helpdesk.zdb in the profile, registered for the user)");
  app.add_option("--name", name, "Display name of a store that is created")
      ->capture_default_str();
  app.add_option("--parent", parent,
                 "Parent folder of the helpdesk inside the store, folder names "
                 "separated by \\ (default: the store's root)");
  app.add_flag("--register", register_for_user,
               "Make it the profile user's helpdesk (adds the store to the profile "
               "and records the Settings folder's location)");
  app.add_flag("--force", force, "Create it even where a helpdesk already exists");
  CLI11_PARSE(app, argc, argv);

  zanvoro::NewHelpdeskOptions options;
  options.profile_folder = profile;
  options.store_path = store;
  options.name = name;
  options.parent_path = parent;
  options.existing =
      force ? zanvoro::ExistingHelpdesk::Overwrite : zanvoro::ExistingHelpdesk::Refuse;
  options.registration = register_for_user || store.empty()
                             ? zanvoro::Registration::ForUser
                             : zanvoro::Registration::None;
  try {
    zanvoro::NewHelpdesk helpdesk = zanvoro::CreateNewHelpdesk(options);
    std::cout << "Store: " << helpdesk.store_path.string() << "\n"
              << "Store ID: " << helpdesk.store_id << "\n"
              << "Settings folder: " << helpdesk.settings.OutlookPath << "\n"
              << "Settings entry ID: " << helpdesk.settings.EntryID << "\n";
    for (const zanvoro::cOutlookFolder& folder : helpdesk.folders) {
      std::cout << "Folder: " << folder.OutlookPath << "\n";
    }
    if (!helpdesk.hive_path.empty()) {
      std::cout << "Registered in: " << helpdesk.hive_path.string() << "\n";
    }
    std::cout.flush();
    return 0;
  } catch (const zanvoro::Error& failure) {
    std::cerr << "ConfigureServerPST: " << failure.Description() << " ("
              << failure.NumberText() << ")" << std::endl;
  } catch (const std::exception& failure) {
    std::cerr << "ConfigureServerPST: " << failure.what() << std::endl;
  }
  return 1;
}
