#include <gtest/gtest.h>

#include <string>

#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "case/cEmailHistory.h"
#include "case/cLog.h"
#include "case/cLogsList.h"
#include "case/cWork.h"
#include "case/cWorks.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

Date At(int year, int month, int day, int hour, int minute, int second = 0) {
  return MakeDate({year, month, day, hour, minute, second});
}

cLog Log(int32_t id, std::string description, Date when, std::string technician = "Ann") {
  return cLog{id, when, std::move(technician), std::move(description)};
}

cWork Work(int32_t id, int32_t minutes, std::string description = "Fixed it") {
  return cWork{id, At(2009, 3, 7, 9, 5), "Ann", minutes, std::move(description)};
}

TEST(CaseLog, XmlHasFixedElementsEscapesMarkupAndRoundTripsInOrderToTheMinute) {
  cLogsList log;
  log.Add(Log(3, "<b>Fish & Chips</b>", At(2009, 3, 7, 9, 5, 42)));
  log.Add(Log(1, "Email to Caller", At(2009, 12, 31, 23, 59, 1), "Bob"));
  EXPECT_EQ(log.SaveValueToXML(),
            "<Logs><Data><ID>3</ID><Description>&lt;b&gt;Fish &amp; Chips&lt;/b&gt;"
            "</Description><ActionDate>2009\t3\t7\t9\t5</ActionDate>"
            "<Technician>Ann</Technician></Data><Data><ID>1</ID><Description>Email to "
            "Caller</Description><ActionDate>2009\t12\t31\t23\t59</ActionDate>"
            "<Technician>Bob</Technician></Data></Logs>\r\n");
  cLogsList read;
  read.FromXML(log.SaveValueToXML());
  ASSERT_EQ(read.Count(), 2u);
  EXPECT_EQ(read.GetItem(0)->ID, 3);
  EXPECT_EQ(read.GetItem(0)->Description, "<b>Fish & Chips</b>");
  EXPECT_EQ(read.GetItem(0)->ActionDate, At(2009, 3, 7, 9, 5));
  EXPECT_EQ(read.GetItem(1)->Technician, "Bob");
  EXPECT_EQ(read.GetItem(1)->ActionDate, At(2009, 12, 31, 23, 59));

  cWorks works;
  works.Add(Work(1, 30, "Swapped <toner>"));
  EXPECT_EQ(works.SaveValueToXML(),
            "<WorkDescriptions><Data><ID>1</ID><WorkDate>2009\t3\t7\t9\t5</WorkDate>"
            "<User>Ann</User><Minutes>30</Minutes><Description>Swapped &lt;toner&gt;"
            "</Description></Data></WorkDescriptions>\r\n");
  cWorks works_read;
  works_read.FromXML(works.SaveValueToXML());
  ASSERT_EQ(works_read.Count(), 1u);
  EXPECT_EQ(works_read.GetItem(0)->Minutes, 30);
  EXPECT_EQ(works_read.GetItem(0)->Description, "Swapped <toner>");
}

TEST(CaseLog, EmptyListOrTextThatIsNotXmlReadsAsEmptyList) {
  EXPECT_EQ(cLogsList{}.SaveValueToXML(), "<Logs/>\r\n");
  const char* texts[] = {
      "<Logs/>\r\n",          "not xml at all", "<Logs><Data><ID>1</ID>",
      "<Logs></Data></Logs>", "<Logs/><Logs/>", "2009\t3\t7"};
  for (const char* text : texts) {
    cLogsList log;
    log.Add(Log(1, "before", At(2009, 1, 1, 0, 0)));
    log.FromXML(text);
    EXPECT_EQ(log.Count(), 0u) << text;
    cWorks works;
    works.FromXML(text);
    EXPECT_EQ(works.Count(), 0u) << text;
  }
}

TEST(CaseLog, EntryWithTakenIdIsNotAdded) {
  cLogsList log;
  EXPECT_TRUE(log.Add(Log(1, "first", At(2009, 1, 1, 0, 0))));
  EXPECT_FALSE(log.Add(Log(1, "second", At(2009, 1, 2, 0, 0))));
  EXPECT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.GetItem(0)->Description, "first");

  log.FromXML(
      "<Logs><Data><ID>4</ID><Description>a</Description></Data>"
      "<Data><ID>4</ID><Description>b</Description></Data></Logs>");
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_TRUE(log.Exists(4));
  EXPECT_EQ(log.GetItem(0)->Description, "a");
}

TEST(CaseLog, ReaderTakesChildrenByPosition) {
  cLogsList log;
  log.FromXML(
      "<Anything><Data><x>7</x><y>Called</y><z>2009\t3\t7\t9\t5</z><w>Ann</w></Data>"
      "<Data><ID>8</ID><Technician>Called again</Technician>"
      "<ID>2009-03-08 10:15:00</ID><Description>Bob</Description></Data></Anything>");

  ASSERT_EQ(log.Count(), 2u);
  EXPECT_EQ(log.GetItem(0)->ID, 7);
  EXPECT_EQ(log.GetItem(0)->ToString(),
            "Called\t" + GeneralDateText(At(2009, 3, 7, 9, 5)) + "\tAnn");
  EXPECT_EQ(log.GetItem(1)->ID, 8);
  EXPECT_EQ(log.GetItem(1)->ToString(),
            "Called again\t" + GeneralDateText(At(2009, 3, 8, 10, 15)) + "\tBob");
}

TEST(CaseLog, UnreadableFieldsTakeFallbacks) {
  cWorks works;
  works.FromXML(
      "<WorkDescriptions><Data><ID>one</ID><WorkDate>soon</WorkDate><User>Ann</User>"
      "<Minutes>lots</Minutes></Data></WorkDescriptions>");
  ASSERT_EQ(works.Count(), 1u);
  // The ID is the next number, as a new entry would get.
  EXPECT_EQ(works.GetItem(0)->ToString(), "\t" + GeneralDateText(Date()) + "\t0\tAnn");
  EXPECT_EQ(works.GetItem(0)->ID, 1);
}

TEST(CaseLog, TablesEscapeTheirRowsAndTheWorkTableEndsWithTheTotal) {
  cWorks works;
  works.Add(Work(1, 30, "Fish & chips"));
  works.Add(Work(2, 45));
  EXPECT_EQ(works.TotalTimeSpent(), 75);
  std::string html = works.ToHTML();
  EXPECT_NE(html.find(">Time Spent List</td>"), std::string::npos);
  EXPECT_NE(html.find("<td width=\"160\">Fish &amp; chips</td>"), std::string::npos);
  EXPECT_TRUE(
      html.ends_with("Total Time Spent (mins)</td>\r\n"
                     "<td width=\"70\" align=\"center\">75</td>\r\n</tr>\r\n"
                     "</table></p><br>\r\n"))
      << html;

  cLogsList log;
  log.Add(Log(1, "<Called>", At(2009, 3, 7, 9, 5)));
  EXPECT_NE(log.ToHTML().find("<td width=\"300\">&lt;Called&gt;</td>"),
            std::string::npos);
  EXPECT_NE(log.ToHTML().find(">Log List</td>"), std::string::npos);
}

TEST(CaseLog, TextFormsJoinFieldsByTabsAndEntriesBySeparator) {
  Date when = At(2009, 3, 7, 9, 5);
  cLogsList log;
  log.Add(Log(1, "Called", when));
  log.Add(Log(2, "Mailed", when, "Bob"));
  std::string d = GeneralDateText(when);
  EXPECT_EQ(log.ToString(),
            "Called\t" + d + "\tAnn\r\n====\r\nMailed\t" + d + "\tBob\r\n====\r\n");

  cWorks works;
  works.Add(Work(1, 30));
  EXPECT_EQ(works.ToString(), "Fixed it\t" + d + "\t30\tAnn\r\n====\r\n");
  EXPECT_EQ(cLogsList{}.ToString(), "");
}

TEST(CaseLog, ActionTextsNameTheActionAndTimeAndWhoWhereTheActionHasSomeone) {
  struct {
    int32_t action;
    const char* before_date;  // "" for texts without a date
    const char* after_date;
  } const cases[] = {{0, "Phone Call to Caller (", ") "},
                     {4, "SMS to Caller (", ") "},
                     {5, "Case Assignment Email to Technician (", ") X"},
                     {12, "Email Reply from Caller (", ") X"},
                     {16, "New technician 'X' assigned (", ") "},
                     {17, "Due-date lapsed (", ") "}};
  for (const auto& c : cases) {
    std::string before = GeneralDateText(Now());
    std::string text = LogActionText(c.action, "X");
    std::string after = GeneralDateText(Now());
    // The clock may tick between the reads.
    EXPECT_TRUE(text == c.before_date + before + c.after_date ||
                text == c.before_date + after + c.after_date)
        << c.action << ": " << text;
  }
  EXPECT_EQ(LogActionText(13, "X"), "Case created from email X");
  EXPECT_EQ(LogActionText(99, "X"), "Other");
  EXPECT_EQ(LogActionText(-1), "Other");
  EXPECT_TRUE(LogActionText(16).starts_with("New technician '' assigned ("));
}

class EmailHistoryTest : public testsupport::CaseTest {
 protected:
  std::shared_ptr<host::Item> AddMail(const std::string& subject,
                                      const std::string& number,
                                      const char* flag = nullptr) {
    auto mail = GetHistoryFolder()->Items()->Add("IPM.Note");
    mail->SetSubject(subject);
    mail->SetBillingInformation(number);
    if (flag) {
      mail->SetReceivedTime(At(2009, 3, 7, 9, 5));
      WriteItemProperty(*mail, "EmailFlag", Variant(flag), VarType::String);
    }
    mail->Save();
    return mail;
  }
};

TEST_F(EmailHistoryTest, ListsOnlyTheCasesMailsAndNothingWithoutMails) {
  ASSERT_NE(GetHistoryFolder(), nullptr);
  AddMail("Printer <jammed>", "5", "Received");
  auto never_received = AddMail("Re: Printer", "5");
  AddMail("Other case", "6", "Sent");

  std::string html = cEmailHistory{}.ToHTML("5");

  EXPECT_TRUE(html.starts_with("<br><p><table"));
  EXPECT_NE(html.find(">Email History List</td>"), std::string::npos);
  EXPECT_NE(html.find("<tr>\r\n<td width=\"100\">Received</td>\r\n<td width=\"100\">" +
                      GeneralDateText(At(2009, 3, 7, 9, 5)) +
                      "</td>\r\n<td width=\"300\">Printer &lt;jammed&gt;</td>\r\n</tr>"),
            std::string::npos);
  EXPECT_NE(html.find("<td width=\"100\">Unknown</td>\r\n<td width=\"100\">" +
                      GeneralDateText(never_received->CreationTime()) +
                      "</td>\r\n<td width=\"300\">Re: Printer</td>"),
            std::string::npos);
  EXPECT_EQ(html.find("Other case"), std::string::npos);
  EXPECT_EQ(Split(html, "<tr>").size(), 5u);  // title, header and two mails
  EXPECT_EQ(cEmailHistory{}.ToHTML("7"), "");
  EXPECT_EQ(cEmailHistory{}.ToHTML("5' or [Subject] <> '"), "");
}

}  // namespace
}  // namespace zanvoro
