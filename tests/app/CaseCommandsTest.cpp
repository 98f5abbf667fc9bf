#include <gtest/gtest.h>

#include <sstream>

#include "app/CommandTestSupport.h"
#include "case/CaseProperties.h"
#include "case/ItemProperty.h"
#include "case/cLogsList.h"
#include "host/os/TempDir.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/NameSpace.h"

namespace zanvoro {
namespace {

class CaseShow : public testsupport::CommandTest {
 protected:
  CaseShow() {
    made_ = MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
    // The case is written by another session on the helpdesk's store.
    host::NameSpace session(
        host::UserInfo{"Ann Smith", "ann@example.com"}, nullptr,
        {host::StoreSpec{made_.store_path.string(), "", host::StoreKind::Shared}});
    auto ongoing = session.GetFolderFromID(made_.folders[0].EntryID);
    auto item = ongoing->Items()->Add("IPM.Post.PLWSupportCase");
    item->SetSubject("[42] Printer jam");
    item->SetBody("The printer jams.");
    cLogsList log;
    log.Add(cLog{1, MakeDate({2009, 3, 7, 9, 5, 0}), "Ann Smith", "Case created"});
    const struct {
      const char* name;
      std::string value;
    } properties[] = {
        {caseprop::kCaseNumber, "42"},
        {caseprop::kClosed, "0"},
        {caseprop::kStatus, "Open"},
        {caseprop::kNotes, "first line\r\nsecond line"},
        {caseprop::kTechnicians, "Ann Smith"},
        {caseprop::kLog, log.SaveValueToXML()},
    };
    for (const auto& p : properties) {
      WriteItemProperty(*item, p.name, Variant(p.value), VarType::String);
    }
    item->Save();
  }

  NewHelpdesk made_;
};

TEST_F(CaseShow, PrintsTheFieldsLogAndWorkOfACase) {
  ASSERT_EQ(Run({"case", "show", "42"}), 0) << err_.str();
  std::string out = out_.str();
  for (const char* line :
       {"Case ID: 42\n", "Case number: 42\n", "Subject: [42] Printer jam\n",
        "Status: Open\n", "Closed: No\n", "Technicians: Ann Smith\n",
        "Notes: first line\n  second line\n", "Body: The printer jams.\n",
        "Log:\n  Case created\t3/7/2009 9:05:00 AM\tAnn Smith\n", "Work:\n"}) {
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n---\n" << out;
  }
  EXPECT_EQ(out.find("<html"), std::string::npos);
}

TEST_F(CaseShow, WithHtmlAlsoPrintsThePrintSheet) {
  ASSERT_EQ(Run({"case", "show", "42", "--html"}), 0) << err_.str();
  std::string out = out_.str();
  size_t sheet = out.find("Work:\n");
  ASSERT_NE(sheet, std::string::npos);
  std::string html = out.substr(sheet);
  EXPECT_NE(html.find("<"), std::string::npos) << out;
  EXPECT_NE(html.find("Open"), std::string::npos) << out;
  EXPECT_EQ(html.find("VNH_CASENUMBER"), std::string::npos) << out;
}

// The case operations, run as a script runs them: no terminal to ask on.
class CaseOperationCommands : public CaseShow {
 protected:
  // Whether `case show` says the case is closed ("Yes"), open ("No"), or
  // finds no case ("").
  std::string ClosedField() {
    out_.str("");
    if (Run({"case", "show", "42"}) != 0) return "";
    std::string out = out_.str();
    size_t at = out.find("Closed: ");
    return at == std::string::npos ? "?"
                                   : out.substr(at + 8, out.find('\n', at) - at - 8);
  }

  host::testsupport::ScopedEnv scripted_{"ZANVORO_UI", "scripted"};
};

TEST_F(CaseOperationCommands, WithoutYesAndWithoutTerminalEachCommandRefusesWithCodeTwo) {
  for (const char* command : {"close", "reopen", "delete"}) {
    err_.str("");
    EXPECT_EQ(Run({"case", command, "42"}), 2) << command;
    EXPECT_NE(err_.str().find("run it again with --yes"), std::string::npos)
        << err_.str();
  }
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(ClosedField(), "No");
}

TEST_F(CaseOperationCommands, CloseRefusesAMissingMandatoryFieldUnlessTheCheckIsSkipped) {
  ASSERT_EQ(Run({"settings", "set", "sdoMandatoryOrigin", "1"}), 0) << err_.str();
  EXPECT_EQ(Run({"case", "close", "42", "--yes"}), 1);
  EXPECT_NE(
      err_.str().find("zanvoro: Origin field is mandatory and should not be empty!"),
      std::string::npos)
      << err_.str();
  EXPECT_EQ(ClosedField(), "No");
  EXPECT_EQ(Run({"case", "close", "42", "--skip-check", "--yes"}), 0) << err_.str();
  EXPECT_EQ(ClosedField(), "Yes");
}

TEST_F(CaseOperationCommands,
       CloseClosesAndReopenBringsAClosedCaseBackAndRefusesAnOpenOne) {
  EXPECT_EQ(Run({"case", "reopen", "42", "--yes"}), 1);
  EXPECT_NE(err_.str().find("case 42 is not closed"), std::string::npos) << err_.str();
  ASSERT_EQ(Run({"case", "close", "42", "--yes"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "Case 42 closed\n");
  EXPECT_EQ(ClosedField(), "Yes");
  out_.str("");
  ASSERT_EQ(Run({"case", "reopen", "42", "--yes"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "Case 42 re-opened\n");
  EXPECT_EQ(ClosedField(), "No");
}

TEST_F(CaseOperationCommands, DeleteRemovesTheCase) {
  ASSERT_EQ(Run({"case", "delete", "42", "--yes"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "Case 42 deleted\n");
  EXPECT_EQ(ClosedField(), "");
}

TEST_F(CaseOperationCommands, AnUnknownNumberIsAnErrorWithExitCodeOne) {
  for (const char* command : {"show", "close", "reopen", "delete"}) {
    err_.str("");
    std::vector<std::string> words = {"case", command, "43"};
    if (std::string_view(command) != "show") words.push_back("--yes");
    EXPECT_EQ(Run(words), 1) << command;
    EXPECT_NE(err_.str().find("zanvoro: no case numbered \"43\""), std::string::npos)
        << err_.str();
  }
  EXPECT_EQ(out_.str(), "");
}

}  // namespace
}  // namespace zanvoro
