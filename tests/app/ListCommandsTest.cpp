#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/CommandTestSupport.h"
#include "case/CaseProperties.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "case/cLogsList.h"
#include "host/os/Profile.h"
#include "host/os/TempDir.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/NameSpace.h"
#include "runtime/Date.h"

namespace zanvoro {
namespace {

class ListCommands : public testsupport::CommandTest {
 protected:
  ListCommands() {
    made_ = MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
    // Written out of numeric order, as a busy helpdesk's folder holds them.
    AddCase(0, kCaseMessageClass, "10", "0", "[10] VPN drops", "Ann Smith", 1);
    AddCase(1, kClosedCaseMessageClass, "2", "1", "[2] Old printer", "", 3);
    AddCase(0, kCaseMessageClass, "9", "0", "[9] Mail\tstuck\r\nagain", "", 2);
  }

  // A case item in the helpdesk folder `folder` (0 Ongoing, 1 Resolved)
  // with `log_entries` log entries, written by another session.
  void AddCase(size_t folder, const char* message_class, const std::string& number,
               const std::string& closed, const std::string& subject,
               const std::string& technicians, int log_entries) {
    host::NameSpace session(
        host::UserInfo{"Ann Smith", "ann@example.com"}, nullptr,
        {host::StoreSpec{made_.store_path.string(), "", host::StoreKind::Shared}});
    auto item = session.GetFolderFromID(made_.folders[folder].EntryID)
                    ->Items()
                    ->Add(message_class);
    item->SetSubject(subject);
    cLogsList log;
    for (int n = 1; n <= log_entries; ++n)
      log.Add(cLog{n, MakeDate({2026, 12, 7, 9, n, 0}), "Ann Smith", "Entry"});
    const struct {
      const char* name;
      std::string value;
    } properties[] = {
        {caseprop::kCaseNumber, number},
        {caseprop::kClosed, closed},
        {caseprop::kStatus, closed == "1" ? "Resolved" : "Open"},
        {caseprop::kCallerEmail, "caller" + number + "@example.com"},
        {caseprop::kTechnicians, technicians},
        {caseprop::kLog, log.SaveValueToXML()},
    };
    for (const auto& p : properties) {
      WriteItemProperty(*item, p.name, Variant(p.value), VarType::String);
    }
    item->Save();
  }

  NewHelpdesk made_;
};

TEST_F(ListCommands, CaseListPrintsTheOpenCasesOrWithClosedAllOneLineEachInNumberOrder) {
  ASSERT_EQ(Run({"case", "list"}), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "9\topen\tOpen\t[9] Mail stuck  again\tcaller9@example.com\t2\t\n"
            "10\topen\tOpen\t[10] VPN drops\tcaller10@example.com\t1\tAnn Smith\n");
  const std::string open = out_.str();
  ASSERT_EQ(Run({"case", "list", "--closed"}), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "2\tclosed\tResolved\t[2] Old printer\tcaller2@example.com\t3\t\n" + open);
}

TEST_F(ListCommands, CaseListOnAProfileWithoutHelpdeskIsAnError) {
  host::testsupport::TempDir other;
  host::Profile::Load(other.Path());
  std::vector<const char*> argv = {"zanvoro", "--profile", other.Path().c_str(), "case",
                                   "list"};
  EXPECT_EQ(app::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out_, err_),
            1);
  EXPECT_NE(err_.str().find("names no helpdesk"), std::string::npos) << err_.str();
  EXPECT_EQ(out_.str(), "");
}

TEST_F(ListCommands, MailListPrintsTheItemsOfAFolderAsImportedAndRefusesAMissingOne) {
  {
    auto session = host::OpenSession(profile_, nullptr);
    session->GetDefaultFolder(host::DefaultFolder::Inbox)
        ->Folders()
        .Add("Unprocessed Emails");
  }
  host::testsupport::WriteFile(dir_ / "away.eml",
                               "From: Carla Nunes <carla@example.com>\r\n"
                               "To: support@example.com\r\n"
                               "Subject: Automatic reply: [1] Printer\r\n"
                               "Date: Mon, 07 Dec 2026 10:20:00 +0000\r\n"
                               "Auto-Submitted: auto-replied\r\n"
                               "\r\n"
                               "Away until Monday.\r\n");
  ASSERT_EQ(Run({"mail", "import", (dir_ / "away.eml").string(), "--folder",
                 "Inbox\\Unprocessed Emails"}),
            0)
      << err_.str();

  ASSERT_EQ(Run({"mail", "list", "--folder", "Inbox/Unprocessed Emails"}), 0)
      << err_.str();
  std::string out = out_.str();
  EXPECT_NE(out.find("\tcarla@example.com\tAutomatic reply: [1] Printer\t"
                     "IPM.Note.Rules.OofTemplate.Microsoft\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;

  ASSERT_EQ(Run({"mail", "list"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "") << "the Inbox itself is empty";
  EXPECT_EQ(Run({"mail", "list", "--folder", "Inbox\\Nowhere"}), 1);
  EXPECT_NE(err_.str().find("There is no folder \"Inbox\\Nowhere\""), std::string::npos)
      << err_.str();
}

TEST_F(ListCommands, ViewPrintsACaseFolderAsATableSortedLimitedAtRememberedWidths) {
  {
    host::NameSpace session(
        host::UserInfo{"Ann Smith", "ann@example.com"}, nullptr,
        {host::StoreSpec{made_.store_path.string(), "", host::StoreKind::Shared}});
    auto ongoing = session.GetFolderFromID(made_.folders[0].EntryID)->Items();
    for (int32_t i = 1; i <= ongoing->Count(); ++i) {
      auto item = ongoing->Item(i);
      if (item->Subject() != "[10] VPN drops") continue;
      ASSERT_TRUE(WriteCaseDueDate(*item, MakeDate({2026, 12, 8, 9, 30, 0})));
      item->Save();
    }
  }
  const std::string heading =
      "\\\\Zanvoro Helpdesk\\Ongoing\n"
      "Number    Subject                         Caller              Technicians         "
      "Status        Problem Type     Due Date                Created\n"
      "--------  ------------------------------  ------------------  ------------------  "
      "------------  ---------------  ----------------------  ----------------------\n";
  const std::string case_10 =
      "10        [10] VPN drops                                      Ann Smith           "
      "Open                           12/8/2026 9:30:00 AM\n";
  ASSERT_EQ(Run({"view", "Ongoing"}), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            heading +
                "9         [9] Mail stuck  again                              "
                "                     Open\n" +
                case_10);
  ASSERT_EQ(Run({"view", "ongoing", "--sort", "number", "--descending", "--limit", "1"}),
            0)
      << err_.str();
  EXPECT_EQ(out_.str(), heading + case_10) << "numbers sort as numbers";

  ASSERT_EQ(Run({"view", "Resolved", "--width", "Subject=1200", "--width", "closed=800"}),
            0)
      << err_.str();
  const std::string resolved = out_.str();
  EXPECT_EQ(
      resolved,
      "\\\\Zanvoro Helpdesk\\Resolved\n"
      "Number    Subject       Caller              Technicians         Problem Type     "
      "Created                 Closed ~\n"
      "--------  ------------  ------------------  ------------------  ---------------  "
      "----------------------  --------\n"
      "2         [2] Old pri~\n");
  ASSERT_EQ(Run({"view", "Resolved"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), resolved) << "the widths are remembered";
  EXPECT_EQ(Run({"view", "Ongoing", "--sort", "Colour"}), 1);
  EXPECT_EQ(err_.str(),
            "zanvoro: The view has no column \"Colour\"; its columns: Number, Subject, "
            "Caller, Technicians, Status, ProblemType, Due, Created\n");
}

}  // namespace
}  // namespace zanvoro
