#include <gtest/gtest.h>

#include <algorithm>

#include "addin/ZFO_M.h"
#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "host/client/ClientTestSupport.h"
#include "host/os/Hive.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "settings/NewHelpdeskSettings.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {
namespace {

// The add-in's start-up on a profile whose mailbox holds a helpdesk Settings
// folder that the user's registry points at.
class SettingsStepsTest : public host::testsupport::ClientTest {
 protected:
  SettingsStepsTest() : application_(MakeApplication()) {
    auto inbox =
        application_->GetNamespace("MAPI")->GetDefaultFolder(host::DefaultFolder::Inbox);
    settings_folder_ = inbox->Folders().Add("Helpdesk Settings");
    settings_folder_->SetDescription(GetFolderMarker(kSettingsTag));
    host::Hive hive(application_->GetProfile().EffectiveHivePath());
    hive.SetValue("Software\\Pellworth\\VNH", "VNHEntryID", settings_folder_->EntryID());
    hive.SetValue("Software\\Pellworth\\VNH", "VNHStoreID", settings_folder_->StoreID());
  }

  ZFO_M& Start() {
    LaterSteps steps;
    steps.process_ongoing_folder = [this] { swept_ = true; };
    AddHelpdeskFolderSteps(steps);
    InstallSettingsSteps(steps);
    addin_ = std::make_unique<ZFO_M>(std::move(steps),
                                     AddinEnvironment{{}, dir_.Path() / "programs"});
    addin_->AddinInstance_OnConnection(application_);
    addin_->AddinInstance_OnStartupComplete();
    return *addin_;
  }
  size_t StepIndex(std::string_view step) const {
    const auto& steps = addin_->Steps();
    return std::find(steps.begin(), steps.end(), step) - steps.begin();
  }

  std::shared_ptr<host::Application> application_;
  std::shared_ptr<host::MAPIFolder> settings_folder_;
  std::unique_ptr<ZFO_M> addin_;
  bool swept_ = false;
};

TEST_F(SettingsStepsTest,
       StartUpLoadsTheSettingsBeforeTheBackgroundWorkAndSavesTheirLocation) {
  ASSERT_TRUE(LoadInitialSettingsToNewDB(settings_folder_));
  ZFO_M& addin = Start();

  ASSERT_NE(SharedGlobalSettings(), nullptr);
  EXPECT_TRUE(SharedGlobalSettings()->Loaded);
  EXPECT_TRUE(addin.GlobalSettingsLoaded());
  EXPECT_EQ(addin.Hooks().global_setting("sdoAssetField1"), "Name");
  EXPECT_TRUE(SharedGlobalSettings()->Technicians.Exists("Ann Smith"));
  EXPECT_TRUE(swept_);
  EXPECT_LT(StepIndex("GlobalSettings.Load"),
            StepIndex("CaseHelper.ProcessOngoingFolder"));
  EXPECT_EQ(SharedMySettings()->DBChoice, cMySettings::kChoiceSettingsFolder);
  // Loading saves the settings folder's location again.
  host::Hive hive(application_->GetProfile().EffectiveHivePath());
  EXPECT_EQ(hive.GetValue("Software\\Pellworth\\VNH", "VNHName"), "Helpdesk Settings");
  EXPECT_EQ(hive.GetValue("Software\\Pellworth\\VNH", "VNHOutlookPath"),
            settings_folder_->FolderPath());
}

TEST_F(SettingsStepsTest, SettingsThatDoNotLoadStartNoBackgroundWork) {
  ZFO_M& addin = Start();  // no store chosen in the folder: a database nobody has
  EXPECT_FALSE(addin.GlobalSettingsLoaded());
  EXPECT_FALSE(swept_);
  EXPECT_EQ(addin.Hooks().global_setting("sdoAssetField1"), "");
}

}  // namespace
}  // namespace zanvoro
