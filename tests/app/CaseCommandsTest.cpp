#include <gtest/gtest.h>

#include <sstream>

#include "app/Commands.h"
#include "case/CaseProperties.h"
#include "case/HelpdeskTestSupport.h"
#include "case/ItemProperty.h"
#include "case/cLogsList.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/NameSpace.h"

namespace zanvoro {
namespace {

class CaseShow : public testsupport::HelpdeskTest {
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

  int Run(std::vector<std::string> words) {
    std::vector<const char*> argv = {"zanvoro", "--profile", profile_.folder.c_str()};
    for (const std::string& word : words) argv.push_back(word.c_str());
    return app::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out_, err_);
  }

  NewHelpdesk made_;
  std::ostringstream out_;
  std::ostringstream err_;
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

TEST_F(CaseShow, AnUnknownNumberIsAnErrorWithExitCodeOne) {
  EXPECT_EQ(Run({"case", "show", "43"}), 1);
  EXPECT_NE(err_.str().find("zanvoro: no case numbered \"43\""), std::string::npos)
      << err_.str();
  EXPECT_EQ(out_.str(), "");
}

}  // namespace
}  // namespace zanvoro
