#include <gtest/gtest.h>

#include "case/FolderMarkers.h"
#include "case/HelpdeskTestSupport.h"
#include "case/frmFirstTime.h"
#include "host/client/Explorer.h"
#include "host/store/MAPIFolder.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ScriptedRenderer.h"
#include "host/ui/TextBox.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

using host::FormAction;
using testsupport::HelpdeskTest;

std::string Warning(host::Form& form) {
  return form.Get<host::Label>("lblWarning").Caption();
}

class FirstTimeWizard : public HelpdeskTest {
 protected:
  // A helpdesk in a store the user's profile opens, not yet the user's.
  NewHelpdesk MakeSharedHelpdesk(const std::string& file, const std::string& name) {
    NewHelpdesk made = MakeHelpdesk(file, "", Registration::None, name);
    AddStoreToProfile(file, name);
    return made;
  }
  // Connected, with an explorer open on the Inbox.
  host::Explorer& ConnectWithExplorer() {
    Connect();
    addin_->GetOutlookApplication();
    return *application_->ActiveExplorer();
  }
};

TEST_F(FirstTimeWizard, StartUpAutoScanFindsTheSettingsFolderAndContinueStoresIt) {
  NewHelpdesk made = MakeSharedHelpdesk("helpdesk.zdb", "Zanvoro Helpdesk");
  Renderer().Script("frmNewDB", {FormAction::Click("cmdExisting")});
  Renderer().Script(
      "frmFirstTime",
      {FormAction::Click("cmdAutoScan"), FormAction::Do([&](host::Form& form) {
         EXPECT_EQ(form.Get<host::TextBox>("txtPath").Text(),
                   "\\\\Zanvoro Helpdesk\\Settings");
         EXPECT_EQ(Warning(form), CONST_POSSIBLE_CANDIDATE_FOLDER);
       }),
       FormAction::Click("cmdFeedThisPath")});
  ZFO_M& addin = Connect();
  addin.AddinInstance_OnStartupComplete();

  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
  EXPECT_FALSE(IsFirstRun());
  EXPECT_EQ(UserValue("VNHEntryID"), made.settings.EntryID);
  EXPECT_EQ(UserValue("VNHStoreID"), made.settings.StoreID);
  EXPECT_EQ(UserValue("VNHOutlookPath"), "\\\\Zanvoro Helpdesk\\Settings");
  EXPECT_EQ(UserValue("VNHName"), "Settings");
  const auto& steps = addin.Steps();
  EXPECT_NE(std::find(steps.begin(), steps.end(), "SettingsData.LocateHelpdeskFolders"),
            steps.end());
  ASSERT_TRUE(HelpdeskFolderKnown(HelpdeskFolder::Schedule));
  EXPECT_EQ(application_->ActiveExplorer()->CurrentFolder()->EntryID(),
            made.folders[0].EntryID);
  EXPECT_FALSE(addin.IsShutdown());
}

TEST_F(FirstTimeWizard, AutoScanOverTwoStoresTakesTheLastMatch) {
  MakeSharedHelpdesk("first.zdb", "First Helpdesk");
  NewHelpdesk second = MakeSharedHelpdesk("second.zdb", "Second Helpdesk");
  Connect();
  frmFirstTime window;
  Renderer().Script("frmFirstTime",
                    {FormAction::Click("cmdAutoScan"), FormAction::Click("cmdTryLater")});
  window.Show(host::ShowMode::Modal);

  EXPECT_EQ(window.MatchCount(), 2);
  EXPECT_EQ(window.Candidate().EntryID, second.settings.EntryID);
  EXPECT_EQ(window.Candidate().OutlookPath, "\\\\Second Helpdesk\\Settings");
  // Trying later stores nothing.
  EXPECT_TRUE(IsFirstRun());
}

TEST_F(FirstTimeWizard, CancelStopsTheScanAndClosesTheWindow) {
  MakeSharedHelpdesk("helpdesk.zdb", "Zanvoro Helpdesk");
  Connect();
  frmFirstTime window;
  int visited = 0;
  window.SetScanYield([&] {
    if (++visited == 2) window.UserClick("cmdCancel");
  });
  Renderer().Script("frmFirstTime", {FormAction::Click("cmdAutoScan")});
  window.Show(host::ShowMode::Modal);

  EXPECT_EQ(visited, 2);
  EXPECT_FALSE(window.Visible());
  EXPECT_FALSE(window.Scanning());
  EXPECT_EQ(window.MatchCount(), 0);
  EXPECT_TRUE(IsFirstRun());
}

TEST_F(FirstTimeWizard, ScanButtonCancelsItsOwnSearch) {
  MakeSharedHelpdesk("helpdesk.zdb", "Zanvoro Helpdesk");
  Connect();
  frmFirstTime window;
  window.SetScanYield([&] {
    EXPECT_EQ(window.Get<host::CommandButton>("cmdAutoScan").Caption(), CONST_CANCEL);
    window.UserClick("cmdAutoScan");
  });
  Renderer().Script(
      "frmFirstTime",
      {FormAction::Click("cmdAutoScan"), FormAction::Do([](host::Form& form) {
         EXPECT_EQ(Warning(form), CONST_NO_FOLDER_INFO_RETRIEVED);
         EXPECT_EQ(form.Get<host::CommandButton>("cmdAutoScan").Caption(),
                   CONST_AUTO_SCAN);
       }),
       FormAction::Click("cmdTryLater")});
  window.Show(host::ShowMode::Modal);
  EXPECT_TRUE(window.Candidate().Empty());
}

TEST_F(FirstTimeWizard, ContinueWithoutACandidateAsksForOne) {
  Connect();
  Renderer().Script(
      "frmFirstTime",
      {FormAction::Click("cmdFeedThisPath"), FormAction::Do([](host::Form& form) {
         EXPECT_EQ(Warning(form), CONST_SPECIFY_ONGOING_FOLDER);
         EXPECT_TRUE(form.Visible());
       }),
       FormAction::Click("cmdCancel")});
  frmFirstTime window;
  window.Show(host::ShowMode::Modal);
  EXPECT_TRUE(IsFirstRun());
}

TEST_F(FirstTimeWizard, SpecifyRejectsFoldersThatAreNoSettingsFolder) {
  NewHelpdesk made = MakeSharedHelpdesk("helpdesk.zdb", "Zanvoro Helpdesk");
  host::Explorer& explorer = ConnectWithExplorer();
  // A mail folder without the marker, then a calendar with it.
  explorer.CurrentFolder()->SetDescription("not a helpdesk");
  Session()
      .GetFolderFromID(made.folders[5].EntryID)
      ->SetDescription(GetFolderMarker(kSettingsTag));
  Renderer().Script("FolderPicker",
                    {FormAction::Set("lstFolders", "\\\\Mailbox - Ann Smith\\Inbox"),
                     FormAction::Click("cmdOK")});
  Renderer().Script("FolderPicker",
                    {FormAction::Set("lstFolders", "\\\\Zanvoro Helpdesk\\Schedule"),
                     FormAction::Click("cmdOK")});
  Renderer().Script("FolderPicker",
                    {FormAction::Set("lstFolders", "\\\\Zanvoro Helpdesk\\Settings"),
                     FormAction::Click("cmdOK")});
  Renderer().Script("frmFirstTime", {FormAction::Click("cmdSpecify"),
                                     FormAction::Click("cmdFeedThisPath")});
  frmFirstTime window;
  window.Show(host::ShowMode::Modal);

  EXPECT_EQ(CountShown("FolderPicker"), 3);
  int rejections = 0;
  for (const host::Shown& shown : Renderer().Transcript()) {
    if (shown.kind == host::ShownKind::MessageBox &&
        shown.text == "Not a valid 'Settings' Folder!") {
      ++rejections;
    }
  }
  EXPECT_EQ(rejections, 2);
  EXPECT_EQ(UserValue("VNHEntryID"), made.settings.EntryID);
  EXPECT_EQ(explorer.CurrentFolder()->Name(), "Ongoing");
}

TEST_F(FirstTimeWizard, SpecifyTakesTheExplorersSettingsFolderElseAPickedOne) {
  NewHelpdesk made = MakeSharedHelpdesk("helpdesk.zdb", "Zanvoro Helpdesk");
  host::Explorer& explorer = ConnectWithExplorer();
  Renderer().Script("FolderPicker", {FormAction::Click("cmdCancel")});
  for (int round = 0; round < 2; ++round) {
    Renderer().Script("frmFirstTime", {FormAction::Click("cmdSpecify"),
                                       FormAction::Click("cmdTryLater")});
    frmFirstTime window;
    window.Show(host::ShowMode::Modal);
    EXPECT_EQ(CountShown("FolderPicker"), 1);
    EXPECT_EQ(window.Candidate().EntryID, round ? made.settings.EntryID : "");
    explorer.SelectFolder(Session().GetFolderFromID(made.settings.EntryID));
  }
  EXPECT_TRUE(IsFirstRun());
}

TEST_F(FirstTimeWizard, ContinueWhileTheExplorerShowsOngoingShowsTheInbox) {
  NewHelpdesk made = MakeSharedHelpdesk("helpdesk.zdb", "Zanvoro Helpdesk");
  host::Explorer& explorer = ConnectWithExplorer();
  explorer.SelectFolder(Session().GetFolderFromID(made.folders[0].EntryID));
  Renderer().Script("frmFirstTime", {FormAction::Click("cmdAutoScan"),
                                     FormAction::Click("cmdFeedThisPath")});
  frmFirstTime window;
  window.Show(host::ShowMode::Modal);
  EXPECT_EQ(explorer.CurrentFolder()->FolderPath(), "\\\\Mailbox - Ann Smith\\Inbox");
  EXPECT_FALSE(IsFirstRun());
}

TEST_F(FirstTimeWizard, TryLaterBringsTheQuestionBackAtTheNextStart) {
  MakeSharedHelpdesk("helpdesk.zdb", "Zanvoro Helpdesk");
  for (int start = 0; start < 2; ++start) {
    Renderer().Script("frmNewDB", {FormAction::Click("cmdExisting")});
    Renderer().Script("frmFirstTime", {FormAction::Click("cmdTryLater")});
    ZFO_M& addin = Connect();
    addin.AddinInstance_OnStartupComplete();
    addin.ShutdownAddin();
  }
  EXPECT_EQ(CountShown("frmNewDB"), 2);
  EXPECT_EQ(CountShown("frmFirstTime"), 2);
  EXPECT_TRUE(IsFirstRun());
}

}  // namespace
}  // namespace zanvoro
