#include <gtest/gtest.h>

#include "host/client/Application.h"
#include "host/client/ClientTestSupport.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"

namespace zanvoro::host {
namespace {

using testsupport::ClientTest;
using testsupport::ExpectError;

TEST_F(ClientTest, VersionComesFromTheProfileAndTheNamespaceOpensItsMailboxOnce) {
  struct {
    const char* version;
    int major;
  } cases[] = {{"16.0", 16}, {"9.0.3", 9}, {"10", 10}, {"", 0}, {"x.1", 0}};
  for (const auto& c : cases) {
    auto application = MakeApplication(c.version);
    EXPECT_EQ(application->Version(), c.version);
    EXPECT_EQ(application->MajorVersion(), c.major) << c.version;
  }
  auto application = MakeApplication();
  auto session = application->GetNamespace("mapi");
  EXPECT_EQ(session, application->GetNamespace("MAPI"));
  EXPECT_EQ(session->CurrentUser().Name, "Ann Smith");
  EXPECT_EQ(session->GetDefaultFolder(DefaultFolder::Inbox)->Name(), "Inbox");
  ExpectError(err::kInvalidProcedureCall, [&] { application->GetNamespace("IMAP"); });
}

TEST_F(ClientTest, ExplorersOpenDisplaySwitchFolderActivateAndClose) {
  auto application = MakeApplication();
  auto session = application->GetNamespace("MAPI");
  EXPECT_EQ(application->ActiveExplorer(), nullptr);

  int announced = 0;
  application->Explorers().OnNewExplorer([&](const auto&) { ++announced; });
  auto inbox =
      application->Explorers().Add(session->GetDefaultFolder(DefaultFolder::Inbox));
  EXPECT_EQ(announced, 1);
  EXPECT_EQ(application->ActiveExplorer(), nullptr) << "not displayed yet";
  inbox->Display();
  EXPECT_EQ(application->ActiveExplorer(), inbox);
  ASSERT_NE(LastShown("Explorer"), nullptr);
  EXPECT_EQ(LastShown("Explorer")->ControlText("lblFolder"),
            "\\\\Mailbox - Ann Smith\\Inbox");

  int switches = 0;
  inbox->OnFolderSwitch([&] { ++switches; });
  inbox->SelectFolder(session->GetDefaultFolder(DefaultFolder::Inbox));
  EXPECT_EQ(switches, 0);
  inbox->SetCurrentFolder(session->GetDefaultFolder(DefaultFolder::SentMail));
  EXPECT_EQ(switches, 1);
  EXPECT_EQ(inbox->CurrentFolder()->Name(), "Sent Items");
  ExpectError(err::kObjectRequired, [&] { inbox->SelectFolder(nullptr); });

  auto drafts =
      application->Explorers().Add(session->GetDefaultFolder(DefaultFolder::Drafts));
  drafts->Activate();
  EXPECT_EQ(application->ActiveExplorer(), drafts);
  EXPECT_EQ(application->Explorers().Count(), 2);
  EXPECT_EQ(application->Explorers().Item(1), inbox);
  ExpectError(err::kSubscriptOutOfRange, [&] { application->Explorers().Item(3); });

  int closed = 0;
  drafts->OnClose([&] { ++closed; });
  drafts->Close();
  drafts->Close();
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(application->ActiveExplorer(), inbox);
  inbox->Close();
  EXPECT_EQ(application->ActiveExplorer(), nullptr);
  EXPECT_EQ(application->Explorers().Count(), 0);
}

TEST_F(ClientTest, CreateItemMakesAnUnsavedItemOfItsTypeAndSendItemMovesItToTheOutbox) {
  auto application = MakeApplication();
  auto mail = application->CreateItem(ItemType::Mail);
  EXPECT_EQ(mail->MessageClass(), "IPM.Note");
  EXPECT_FALSE(mail->Saved());
  mail->SetSubject("Draft");
  mail->Save();
  EXPECT_EQ(mail->Parent()->Name(), "Drafts");
  EXPECT_EQ(application->CreateItem(ItemType::Post)->MessageClass(), "IPM.Post");
  ExpectError(err::kInvalidProcedureCall,
              [&] { application->CreateItem(ItemType::Note); });

  auto unaddressed = application->CreateItem(ItemType::Mail);
  ExpectError(err::kCallFailed, [&] { application->SendItem(unaddressed); });
  unaddressed->Recipients().Add("bob@example.com");
  EXPECT_EQ(application->SendItem(unaddressed)->Parent()->Name(), "Outbox");
  auto outbox =
      application->GetNamespace("MAPI")->GetDefaultFolder(DefaultFolder::Outbox);
  EXPECT_EQ(outbox->Items()->Count(), 1);
}

TEST_F(ClientTest, DisplayItemOpensAnInspectorThatShowsTheItem) {
  auto application = MakeApplication();
  auto mail = application->CreateItem(ItemType::Mail);
  mail->Recipients().Add("bob@example.com");
  mail->SetSubject("Hello");
  mail->SetBody("Body text");
  auto inspector = application->DisplayItem(mail);
  EXPECT_EQ(application->ActiveInspector(), inspector);
  EXPECT_EQ(inspector->CurrentItem(), mail);
  const Shown* shown = LastShown("Inspector");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->ControlText("lblTo"), "bob@example.com");
  EXPECT_EQ(shown->ControlText("lblSubject"), "Hello");
  EXPECT_EQ(shown->ControlText("lblBody"), "Body text");

  inspector->Close(SaveMode::Save);
  EXPECT_TRUE(mail->Saved());
  EXPECT_EQ(application->ActiveInspector(), nullptr);
  EXPECT_FALSE(inspector->Displayed());
}

TEST_F(ClientTest, QuitClosesEveryWindowAndTellsTheProgramOnce) {
  auto application = MakeApplication();
  auto session = application->GetNamespace("MAPI");
  application->Explorers()
      .Add(session->GetDefaultFolder(DefaultFolder::Inbox))
      ->Display();
  application->DisplayItem(application->CreateItem(ItemType::Mail));
  int quits = 0;
  int explorers_at_quit = -1;
  application->OnQuit([&] { ++quits; });
  application->OnQuitEvent([&] { explorers_at_quit = application->Explorers().Count(); });
  application->Quit();
  application->Quit();
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(explorers_at_quit, 1) << "add-ins hear of Quit while the windows are open";
  EXPECT_EQ(application->Explorers().Count(), 0);
  EXPECT_EQ(application->Inspectors().Count(), 0);
}

TEST_F(ClientTest, MenuBarControlsAreFoundByTagDeletedAndClickedWhileShownAndEnabled) {
  auto application = MakeApplication();
  auto explorer = application->Explorers().Add(
      application->GetNamespace("MAPI")->GetDefaultFolder(DefaultFolder::Inbox));
  int activations = 0;
  ScopedConnection activated = explorer->OnActivate([&] { ++activations; });
  explorer->Display();
  explorer->Activate();
  EXPECT_EQ(activations, 2);

  CommandBar& bar = explorer->ActiveMenuBar();
  auto popup = bar.Controls().Add(ControlType::Popup, ControlLife::Temporary);
  popup->SetTag("Menu");
  auto button = popup->Controls().Add(ControlType::Button);
  button->SetTag("cmdOne");
  EXPECT_TRUE(popup->Temporary());
  EXPECT_FALSE(button->Temporary());
  EXPECT_EQ(bar.FindControl("CMDONE"), button) << "found below a popup, any case";
  ExpectError(err::kInvalidProcedureCall, [&] { button->Controls(); });

  int clicks = 0;
  EventConnection clicked =
      button->Click().Connect([&](CommandBarControl& control, bool& cancel) {
        EXPECT_EQ(&control, button.get());
        EXPECT_FALSE(cancel);
        ++clicks;
      });
  EXPECT_TRUE(button->Execute());
  button->SetEnabled(false);
  EXPECT_FALSE(button->Execute());
  button->SetEnabled(true);
  button->SetVisible(false);
  EXPECT_FALSE(button->Execute());
  button->SetVisible(true);
  clicked.Disconnect();
  EXPECT_TRUE(button->Execute());
  EXPECT_EQ(clicks, 1);

  popup->Delete();
  popup->Delete();
  EXPECT_TRUE(popup->Deleted());
  EXPECT_EQ(bar.Controls().Count(), 0);
  EXPECT_EQ(bar.FindControl("cmdOne"), nullptr);
  activated.Disconnect();
  explorer->Activate();
  EXPECT_EQ(activations, 2);
}

}  // namespace
}  // namespace zanvoro::host
