// A user's client on a throw-away profile with a helpdesk store made by
// CreateNewHelpdesk, and the add-in connected with the folder steps plugged
// in: what the folder and wizard tests start from.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "addin/ZFO_M.h"
#include "case/HelpdeskFolders.h"
#include "case/NewHelpdesk.h"
#include "connection/LaterSteps.h"
#include "host/client/Application.h"
#include "host/client/ClientTestSupport.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro::testsupport {

class HelpdeskTest : public host::testsupport::ClientTest {
 protected:
  HelpdeskTest() {
    ForgetHelpdeskFolders();
    profile_ = TestProfile();
    profile_.Save();
  }
  ~HelpdeskTest() override {
    // The held folders keep their stores open; they go before the files do.
    ForgetHelpdeskFolders();
    addin_.reset();
  }

  // A helpdesk in `store_file` (under the temporary folder) made by the
  // profile's user; `registration` makes it the user's.
  NewHelpdesk MakeHelpdesk(const std::string& store_file = "helpdesk.zdb",
                           const std::string& parent = "",
                           Registration registration = Registration::None,
                           const std::string& name = "Zanvoro Helpdesk") {
    NewHelpdeskOptions options;
    options.profile_folder = profile_.folder;
    options.store_path = dir_.Path() / store_file;
    options.name = name;
    options.parent_path = parent;
    options.registration = registration;
    NewHelpdesk made = CreateNewHelpdesk(options);
    profile_ = host::Profile::Load(profile_.folder);
    return made;
  }
  // Adds a store file to the profile as a shared store.
  void AddStoreToProfile(const std::string& store_file, const std::string& name) {
    profile_.stores.push_back(
        host::StoreLocation{dir_.Path() / store_file, name, host::StoreRole::Shared});
    profile_.Save();
  }

  // Connects the add-in to a client on the profile, without the start-up.
  ZFO_M& Connect(LaterSteps steps = {}) {
    AddHelpdeskFolderSteps(steps);
    application_ = std::make_shared<host::Application>(profile_, &loop_);
    addin_ = std::make_unique<ZFO_M>(std::move(steps));
    addin_->AddinInstance_OnConnection(application_);
    return *addin_;
  }
  host::NameSpace& Session() { return *application_->GetNamespace("MAPI"); }

  std::string UserValue(const char* name) {
    return GetRegistryValue(kRegistryApp, "", name, "");
  }

  host::Profile profile_;
  std::shared_ptr<host::Application> application_;
  std::unique_ptr<ZFO_M> addin_;
};

}  // namespace zanvoro::testsupport
