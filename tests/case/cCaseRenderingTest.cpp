#include <gtest/gtest.h>

#include <string>

#include "case/CaseTestSupport.h"
#include "case/NotificationCodes.h"
#include "case/cCase.h"
#include "runtime/Date.h"

namespace zanvoro {
namespace {

TEST(NotificationCodes, TableGivesTemplatesSuffixAndLinkBlock) {
  struct {
    int32_t code;
    const char* body;
    const char* subject;
    SubjectSuffix suffix;
    LinkBlock link;
  } cases[] = {
      {2, "sdoPrint", "", SubjectSuffix::No, LinkBlock::No},
      {3, "sdoEmailCaller", "sdoEmailCallerSubject", SubjectSuffix::No, LinkBlock::No},
      {10, "sdoEmailTechnician", "sdoEmailTechnicianSubject", SubjectSuffix::Yes,
       LinkBlock::Yes},
      {19, "sdoEmailTechniciansWhenCallerReplies",
       "sdoEmailTechniciansWhenCallerRepliesSubject", SubjectSuffix::Yes, LinkBlock::No},
      {22, "sdoSLASMSSupervisors", "", SubjectSuffix::No, LinkBlock::No},
      {28, "sdoEmailCaller", "sdoEmailCallerSubject", SubjectSuffix::No, LinkBlock::No}};
  for (const auto& c : cases) {
    const NotificationCode* entry = FindNotificationCode(c.code);
    ASSERT_NE(entry, nullptr) << c.code;
    EXPECT_EQ(entry->body_template, c.body) << c.code;
    EXPECT_EQ(entry->subject_template, c.subject) << c.code;
    EXPECT_EQ(entry->subject_suffix, c.suffix) << c.code;
    EXPECT_EQ(entry->link_block, c.link) << c.code;
  }
  for (int32_t code : {-1, 0, 1, 23, 24, 29})
    EXPECT_EQ(FindNotificationCode(code), nullptr);
}

TEST(NotificationCodes, VariableReplacementLeavesLongerVariablesAlone) {
  struct {
    const char* text;
    const char* variable;
    const char* expected;
  } cases[] = {
      {"VNH_DUEDATE and VNH_DUEDATE_SHORT", "VNH_DUEDATE", "X and VNH_DUEDATE_SHORT"},
      {"VNH_CUSTOMFIELD10/VNH_CUSTOMFIELD1", "VNH_CUSTOMFIELD1", "VNH_CUSTOMFIELD10/X"},
      {"[VNH_STATUS]VNH_STATUSx", "VNH_STATUS", "[X]Xx"},
      {"vnh_status", "VNH_STATUS", "vnh_status"},
      {"", "VNH_STATUS", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceTemplateVariable(c.text, c.variable, "X"), c.expected) << c.text;
  }
}

class CaseRendering : public testsupport::CaseTest {
 protected:
  CaseRendering() {
    c_.EntryID = "00AB12";
    c_.CaseNumber = "17";
    c_.PrefixCode = "HW-";
    c_.CaseID = "HW-17";
    c_.Subject = "[HW-17] Printer jam";
    c_.Status = "Open";
    c_.Body = "The printer jams.\r\nEvery time.";
    c_.HTMLBody = "<p>The printer jams.</p>";
    c_.DueDate = DateSerial(2026, 3, 5);
  }
  void Template(const char* key, const char* text) {
    Settings().MessageTemplates.SetValue(key, text);
  }
  void AddCaller() {
    cCaller caller;
    caller.Email = "ann@example.com";
    caller.Name = "Ann Caller";
    caller.Phone = "555-0100";
    c_.Caller = caller;
  }

  cCase c_;
};

TEST_F(CaseRendering,
       PrintWithBlankTemplateRendersTheCallerEmailPageAndUnknownCodesNothing) {
  Template("sdoPrint", "  ");
  Template("sdoEmailCaller", "");
  EXPECT_NE(c_.ToHTML(2).find("HW-17"), std::string::npos);
  EXPECT_EQ(c_.ToHTML(2), c_.ToHTML(3));
  EXPECT_EQ(c_.ToSubjectHTML(2), "");
  Template("sdoPrint", "Sheet VNH_CASENUMBER");
  EXPECT_EQ(c_.ToHTML(2), "Sheet HW-17");
  for (int32_t code : {23, 24, 1, 29}) {
    EXPECT_EQ(c_.ToHTML(code), "") << code;
    EXPECT_EQ(c_.ToSubjectHTML(code), "") << code;
  }
}

TEST_F(CaseRendering, SubjectKeepsOneCaseTagAndTechnicianMailsSaySystemGenerated) {
  Template("sdoEmailCallerSubject", "[VNH_CASENUMBER] VNH_SUBJECT");
  Template("sdoEmailTechnicianSubject", "[VNH_CASENUMBER] VNH_SUBJECT");
  EXPECT_EQ(c_.ToSubjectHTML(3), "[HW-17] Printer jam");
  EXPECT_EQ(c_.ToSubjectHTML(10), "[HW-17] Printer jam (System Generated)");
}

TEST_F(CaseRendering, NotificationsAndTheCaseBodyRenderVariablesEachTheirWay) {
  c_.Notes = "Called back\r\nNo answer";
  Template("sdoEmailCaller", "VNH_NOTES due VNH_DUEDATE_SHORT");
  EXPECT_EQ(c_.ToHTML(3), "Called back<br>No answer due VNH_DUEDATE_SHORT");
  EXPECT_EQ(c_.ReplaceMailBodyWithValues("due VNH_DUEDATE_SHORT"),
            "due " + ShortDateText(c_.DueDate));

  const char* text = "VNH_SUBJECT|VNH_EMAILBODY";
  EXPECT_EQ(c_.ReplaceCaseVariablesToEmailBody(text),
            "[HW-17] Printer jam|<p>The printer jams.</p>");
  EXPECT_EQ(c_.ReplaceMailBodyWithValues(text), "Printer jam|VNH_EMAILBODY");
  EXPECT_EQ(c_.ReplaceMailBodyWithValues("  "), "  ");

  // A value holding a later variable is replaced again; an earlier one is not.
  c_.Subject = "Stuck in VNH_STATUS";
  c_.Status = "VNH_SUBJECT";
  EXPECT_EQ(c_.ReplaceCaseVariablesToEmailBody("VNH_SUBJECT"), "Stuck in VNH_SUBJECT");
}

TEST_F(CaseRendering, MissingListsStayInNotificationsAndVanishFromTheCaseBody) {
  const char* text = "[VNH_ASSETNAME][VNH_ASSOCIATED_USERS][VNH_CALLERNAME]";
  Template("sdoEmailCaller", text);
  EXPECT_EQ(c_.ToHTML(3), text);
  EXPECT_EQ(c_.ReplaceMailBodyWithValues(text), "[][][VNH_CALLERNAME]");
  EXPECT_EQ(c_.ReplaceCaseVariablesToEmailBody("[VNH_PROBLEMTYPE]"), "[]");

  c_.Assets = cAssets{};
  c_.Assets->Add(cAsset{.AssetName = "PRN-4"});
  c_.AssociatedUsers = cAssociatedUsers{};
  c_.AssociatedUsers->Add({"Bob", "bob@example.com"});
  AddCaller();
  EXPECT_EQ(c_.ToHTML(3), "[PRN-4][Bob][Ann Caller]");
}

TEST_F(CaseRendering, TechnicianMailsStartWithTheOpenCaseBlock) {
  Template("sdoCaseAssignmentEmail", "Assigned VNH_CASENUMBER");
  std::string html = c_.ToHTML(13);
  EXPECT_EQ(
      html.rfind("<div align=\"right\"><table border=\"0\" width=\"100%\" id=\"table1\"",
                 0),
      0u);
  EXPECT_NE(html.find("<a href=\"outlook:00AB12\">"), std::string::npos);
  EXPECT_NE(html.find("Click here to open case #HW-17 directly"), std::string::npos);
  EXPECT_TRUE(html.ends_with("</div>\r\nAssigned HW-17"));
  Template("sdoEmailCaller", "Plain");
  EXPECT_EQ(c_.ToHTML(3), "Plain");
}

TEST_F(CaseRendering, SettingsAndCallerListFillManagersAndWebAccess) {
  Settings().GeneralSettings.SetValue("sdoManagers", "Mia");
  Settings().GeneralSettings.SetValue("sdoWebURLCWS", "https://help.example.com");
  cCaller known;
  known.Email = "ann@example.com";
  known.Password = "pw1";
  Settings().Callers.Add(known);
  AddCaller();
  EXPECT_EQ(c_.ReplaceCaseVariablesToEmailBody("VNH_MANAGERS VNH_WEBACCESS_URL"),
            "Mia https://help.example.com");
  EXPECT_EQ(c_.ReplaceMailBodyWithValues("VNH_WEBACCESS_LOGIN"),
            WebAccessLoginTable("ann@example.com", "pw1"));
}

TEST_F(CaseRendering, TaskBodyListsTheCaseInLines) {
  AddCaller();
  c_.ProblemTypeRecord =
      cProblemType{.ProblemType = "Paper", .ProblemCategory = "Printing"};
  EXPECT_EQ(c_.ToTaskAppointmentBody(),
            "Helpdesk Case #HW-17\r\n"
            "Case URL outlook:00AB12\r\n"
            "\r\n"
            "Caller: Ann Caller\r\n"
            "Caller: ann@example.com\r\n"
            "Caller: 555-0100\r\n"
            "Problem Cateory : Printing\r\n"
            "Problem Type : Paper\r\n"
            "Status : Open\r\n"
            "\r\n"
            "Case Description:\r\n"
            "---------------------\r\n"
            "The printer jams.\r\nEvery time.");
}

}  // namespace
}  // namespace zanvoro
