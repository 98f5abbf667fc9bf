#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/cCase.h"
#include "host/os/TempDir.h"
#include "host/store/Attachments.h"
#include "workflow/CaseXmlDrop.h"
#include "workflow/CaseXmlExchange.h"

namespace zanvoro {
namespace {

using host::testsupport::WriteFile;
using Fields = std::map<std::string, std::string>;

std::string DayText(Date d) {
  DateParts p = SplitDate(d);
  return std::to_string(p.year) + "-" + std::to_string(p.month) + "-" +
         std::to_string(p.day);
}

class CaseXmlExchange : public testsupport::CaseTest {
 protected:
  CaseXmlExchange() {
    Settings().Technicians.Add(
        cTechnician{.Name = "Bob Jones", .Email = "bob@example.com"});
    Settings().SLAs.Add(
        cSLA{.Name = "Gold", .Priority = "High", .ResponseTime = "4-hrs"});
    item_ = SavedCaseItem(Ongoing(), "7");
    cCase c;
    c.GetCaseFromOutlookItem(item_, SaveUnsaved::No);
    c.Caller = cCaller{.Email = "carol@example.com", .Name = "Carol Diaz"};
    c.Status = "Open";
    c.Notes = "Old note";
    c.CustomField4 = "Blue";
    c.DueDate = DateSerial(2026, 12, 1);
    c.HTMLBody = "<p>Printer jams</p>";
    c.Works->Add(
        cWork{.ID = 1, .User = "Bob Jones", .Minutes = 45, .Description = "Setup"});
    c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, item_, CaseState::Open);
    WriteFile(dir_.Path() / "report.txt", "report bytes");
  }

  // Every field of the stored case, as text.
  Fields Stored() {
    auto item = GetCaseItemFromID("7");
    cCase c;
    EXPECT_TRUE(c.GetCaseFromOutlookItem(item, SaveUnsaved::No));
    cCaller caller = c.Caller.value_or(cCaller{});
    Fields f = {{"Subject", c.Subject},
                {"Status", c.Status},
                {"Importance", std::to_string(c.Importance)},
                {"Origin", c.Origin},
                {"ServiceLevel", c.ServiceLevel},
                {"Technicians", c.Technicians.FullNames()},
                {"ProblemCategory", c.ProblemCategory},
                {"ProblemType", c.ProblemType},
                {"CallerName", caller.Name},
                {"CallerEmail", caller.Email},
                {"CallerPhone", caller.Phone},
                {"CallerCompany", caller.Company},
                {"TimeSpent", c.TimeSpent},
                {"Notes", c.Notes},
                {"DueDate", DayText(c.DueDate)},
                {"HTMLBody", c.HTMLBody},
                {"Log", ""},
                {"Works", ""},
                {"Attachments", ""}};
    for (int n = 1; n <= 10; ++n) f["MyField" + std::to_string(n)] = *c.CustomField(n);
    for (const auto& e : *c.Log)
      f["Log"] += e.Value().Description + "/" + e.Value().Technician + ";";
    for (const auto& e : *c.Works)
      f["Works"] += e.Value().Description + "/" + std::to_string(e.Value().Minutes) + ";";
    host::Attachments& files = item->Attachments();
    for (int32_t i = 1; i <= files.Count(); ++i)
      f["Attachments"] +=
          files.Item(i)->DisplayName() + "=" + files.Item(i)->ContentId() + ";";
    return f;
  }

  CaseXmlOutcome Apply(const std::string& body, const std::string& name = "case.xml") {
    WriteFile(dir_.Path() / name, "<?xml version=\"1.0\"?><WebCase><EntryID>" +
                                      item_->EntryID() + "</EntryID>" + body +
                                      "</WebCase>");
    return ApplyCaseXmlFile(dir_.Path() / name);
  }

  std::shared_ptr<host::Item> item_;
};

TEST_F(CaseXmlExchange, UpdatesAndRepliesChangeExactlyTheFieldsTheyCarry) {
  struct {
    const char* xml;
    Fields changed;  // "~text": the stored text holds it; "!text": it is not that
  } cases[] = {
      {"<Status>--Choose--</Status>", {}},
      {"<Subject>Jam fixed</Subject><Status>Waiting</Status><Priority>2</Priority>"
       "<CallerName>--Choose--</CallerName><CallerPhone>555-0101</CallerPhone>"
       "<MyField4>--Choose--</MyField4><MyField7>Room 4</MyField7><Origin>Web</Origin>"
       "<ProblemCategory>Hardware</ProblemCategory><ProblemType>--Choose--</ProblemType>",
       {{"Subject", "Jam fixed"},
        {"Status", "Waiting"},
        {"Importance", "2"},
        {"CallerPhone", "555-0101"},
        {"MyField7", "Room 4"},
        {"Origin", "Web"},
        {"ProblemCategory", "Hardware"}}},
      {"<WorkedBy>bob@example.com</WorkedBy><DateAction>2026\t12\t2\t9\t30</DateAction>"
       "<TimeSpent>30</TimeSpent><NewNote>Called back</NewNote>",
       {{"TimeSpent", "75"},
        {"Works", "Setup/45;Case worked via Web Access/30;"},
        {"Notes",
         "[Added by Bob Jones at 12/2/2026 9:30:00 AM]\r\nCalled back\r\n\r\nOld note"},
        {"Log", "Case worked from Web Access/Bob Jones;"}}},
      {"<DueDateSLA>True</DueDateSLA><DueDate>12/24/2026</DueDate>",
       {{"DueDate", "2026-12-24"}}},
      {"<SLA>Gold</SLA><DueDateSLA>True</DueDateSLA><DueDate>1/15/2027</DueDate>",
       {{"ServiceLevel", "Gold"}, {"Importance", "2"}, {"DueDate", "!2027-1-15"}}},
      {"<DueDateSLA>yes</DueDateSLA><DueDate>1899-12-30</DueDate>", {}},
      {"<Description><![CDATA[<p onclick=\"x()\">New "
       "text</p><script>x()</script>]]></Description>"
       "<Attachments>report.txt</Attachments>",
       {{"HTMLBody",
         "~<p>New text</p><p>Attachments: <a href=\"cid:CASE-7-1\">report.txt</a>"},
        {"Attachments", "report.txt=CASE-7-1;"}}},
      {"<CallerName>Carol "
       "D.</CallerName><MyField4>--Choose--</MyField4><Priority>0</Priority>"
       "<newDescription>Still broken</newDescription>",
       {{"CallerName", "Carol D."},
        {"MyField4", "--Choose--"},
        {"Importance", "0"},
        {"HTMLBody", "~from <b>Carol D.</b>"}}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xml);
    Fields before = Stored();
    CaseXmlOutcome outcome = Apply(c.xml, "case" + std::to_string(++n) + ".xml");
    EXPECT_TRUE(outcome.applied) << outcome.message;
    Fields after = Stored();
    for (auto& [name, value] : before) {
      auto change = c.changed.find(name);
      if (change == c.changed.end()) {
        EXPECT_EQ(after[name], value) << name;
      } else if (change->second.starts_with("!")) {
        EXPECT_NE(after[name], change->second.substr(1)) << name;
      } else if (change->second.starts_with("~")) {
        EXPECT_NE(after[name].find(change->second.substr(1)), std::string::npos)
            << after[name];
      } else {
        EXPECT_EQ(after[name], change->second) << name;
      }
    }
  }
  // The reply keeps the earlier description below the new text.
  EXPECT_NE(Stored()["HTMLBody"].find("Still broken</p><br><br><p>New text"),
            std::string::npos)
      << Stored()["HTMLBody"];
}

TEST_F(CaseXmlExchange, HostileFilesAreRefusedAndChangeNothing) {
  std::filesystem::create_directory(dir_.Path() / "in");
  WriteFile(dir_.Path() / "secret.txt", "secret");
  std::filesystem::create_symlink(dir_.Path() / "secret.txt",
                                  dir_.Path() / "in" / "link.txt");
  std::string laughs = "<!DOCTYPE l [<!ENTITY l0 \"lol\">";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) laughs += "&l" + std::to_string(i - 1) + ";";
    laughs += "\">";
  }
  laughs += "]>";
  std::string entry = "<EntryID>" + item_->EntryID() + "</EntryID>";
  struct {
    std::string file;
    const char* why;
  } cases[] = {
      {"<!DOCTYPE c [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><c>" + entry +
           "<Subject>&x;</Subject></c>",
       "Document type"},
      {laughs + "<c>" + entry + "<Subject>&l9;</Subject></c>", "Document type"},
      {"<c>" + entry + "<Description>" + std::string(50 << 20, 'a') +
           "</Description></c>",
       "larger than"},
      {"<c>" + entry + "<Attachments>../secret.txt</Attachments></c>", "plain file name"},
      {"<c>" + entry + "<Attachments>link.txt</Attachments></c>", "not a file in"},
      {"<c>" + entry + "<Subject>caf\xC3\x28</Subject></c>", "not UTF-8"},
      {"<c>" + entry + "<Subject>Open</c>", "acceptable"},
      {"<c><EntryID>0123ABCD</EntryID><Subject>x</Subject></c>", "no case"},
      {"<c>" + entry + "<Priority>7</Priority></c>", "Priority"},
      {"<c>" + entry + "<TimeSpent>ten</TimeSpent></c>", "TimeSpent"},
      {"<c>" + entry + "<DateAction>soon</DateAction><Subject>x</Subject></c>",
       "DateAction"},
  };
  Fields before = Stored();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    WriteFile(dir_.Path() / "in" / "case.xml", c.file);
    CaseXmlOutcome outcome = ApplyCaseXmlFile(dir_.Path() / "in" / "case.xml");
    EXPECT_FALSE(outcome.applied);
    EXPECT_NE(outcome.message.find(c.why), std::string::npos) << outcome.message;
    EXPECT_EQ(Stored(), before);
  }
}

TEST_F(CaseXmlExchange, DropFolderAppliesEachFileOnceAndSetsItAside) {
  const auto drop = dir_.Path() / "drop";
  std::filesystem::create_directories(drop / "work");
  std::string entry = "<EntryID>" + item_->EntryID() + "</EntryID>";
  WriteFile(drop / "a.xml", "<c>" + entry + "<Status>Waiting</Status></c>");
  WriteFile(drop / "b.xml", "<c>" + entry + "<Priority>9</Priority></c>");
  WriteFile(drop / "c.xml", "<c>" + entry + "<Status>Again</Status></c>");
  WriteFile(drop / "work" / "c.xml", "");  // a pass stopped while applying it
  EXPECT_EQ(ProcessCaseXmlDrop(drop), 3);
  EXPECT_EQ(ProcessCaseXmlDrop(drop), 0);
  EXPECT_EQ(Stored()["Status"], "Waiting");
  EXPECT_TRUE(std::filesystem::exists(drop / "done" / "a.xml"));
  EXPECT_NE(host::testsupport::ReadFile(drop / "refused" / "b.xml.txt").find("Priority"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(drop / "refused" / "c.xml.txt"));
  EXPECT_TRUE(std::filesystem::is_empty(drop / "work"));
}

}  // namespace
}  // namespace zanvoro
