#include <gtest/gtest.h>

#include "host/store/QueryTestItems.h"
#include "host/store/Recordset.h"
#include "host/store/TableQuery.h"
#include "runtime/Date.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using testing::Dasl;
using testing::QueryTestItems;
using testing::TestItem;
using Names = std::vector<std::string>;

// The description of the Error that `f` raises, or "" when it raises none.
template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), err::kInvalidProcedureCall) << e.Description();
    return e.Description();
  }
  return "";
}

TEST(TableQueryGrammar, ReadsColumnsConditionAndOrdering) {
  TableQuery q = ParseTableQuery(
      "Select EntryID from Folder where ConversationIndex = '01C9A1' order by "
      "LastModificationTime desc");
  EXPECT_EQ(q.columns, Names{"EntryID"});
  ASSERT_TRUE(q.condition);
  EXPECT_EQ(q.condition->property, "ConversationIndex");
  EXPECT_EQ(q.condition->value, Variant("01C9A1"));
  EXPECT_EQ(q.order_by, "LastModificationTime");
  EXPECT_TRUE(q.descending);
}

TEST(TableQueryGrammar, KeywordsInAnyCaseAndOptionalClauses) {
  TableQuery q =
      ParseTableQuery("SELECT EntryID, Subject FROM folder ORDER BY Subject ASC");
  EXPECT_EQ(q.columns, (Names{"EntryID", "Subject"}));
  EXPECT_FALSE(q.condition);
  EXPECT_EQ(q.order_by, "Subject");
  EXPECT_FALSE(q.descending);

  q = ParseTableQuery("select EntryID from FOLDER");
  EXPECT_FALSE(q.condition);
  EXPECT_TRUE(q.order_by.empty());
}

TEST(TableQueryGrammar, DaslColumnsKeepTheirTextWithoutQuotes) {
  std::string number = Dasl("Case.CaseNumber");
  TableQuery q =
      ParseTableQuery("Select EntryID, Subject, \"" + number + "\",\"" +
                      Dasl("Case.DateClosedS") + "\", \"odd \"\"name\"\"\" from folder");
  EXPECT_EQ(q.columns, (Names{"EntryID", "Subject", number, Dasl("Case.DateClosedS"),
                              "odd \"name\""}));
}

TEST(TableQueryGrammar, ClauseWordsInsideLiteralsAndNamesAreNotClauses) {
  TableQuery q = ParseTableQuery(
      "Select Subject from Folder where Subject = 'order by me' and \"order\" = 'from "
      "Folder'");
  ASSERT_TRUE(q.condition);
  EXPECT_EQ(q.condition->kind, ConditionKind::And);
  EXPECT_EQ(q.condition->operands[0].value, Variant("order by me"));
  EXPECT_EQ(q.condition->operands[1].property, "order");
  EXPECT_TRUE(q.order_by.empty());
}

TEST(TableQueryGrammar, BadQueriesRaiseErrorsNamingWhereTheyStopped) {
  struct {
    const char* query;
    const char* message_part;
  } cases[] = {
      {"", "Cannot parse query. Error at the end: expected \"Select\""},
      {"Update Folder set Subject = 'x'", "Error at \"Update Folder"},
      {"Select from Folder",
       "Error at \"from Folder\" (character 8): expected a column name"},
      {"Select * from Folder", "expected a column name"},
      {"Select EntryID, from Folder", "expected a column name"},
      {"Select EntryID Subject from Folder", "expected \",\" or \"from\""},
      {"Select EntryID from Folders",
       "Error at \"Folders\" (character 21): expected \"Folder\""},
      {"Select EntryID from", "Error at the end: expected \"Folder\""},
      {"Select \"Case.X from Folder", "the quote is never closed"},
      {"Select EntryID from Folder where", "Cannot parse condition. Error at the end"},
      {"Select EntryID from Folder where Subject = 'x", "the quote is never closed"},
      {"Select EntryID from Folder where Subject 'x'",
       "Error at \"'x'\" (character 42): expected a comparison operator"},
      {"Select EntryID from Folder where [Subject] = \"x\"", "expected a value"},
      {"Select EntryID from Folder order by", "expected a column name"},
      {"Select EntryID from Folder order by Subject sideways",
       "expected \"asc\", \"desc\""},
      {"Select EntryID from Folder group by Subject", "expected \"where\", \"order by\""},
  };
  for (const auto& c : cases) {
    std::string message = ErrorOf([&] { ParseTableQuery(c.query); });
    EXPECT_NE(message.find(c.message_part), std::string::npos)
        << c.query << "\n  gave: " << message;
  }
}

class TableQueryOnItems : public ::testing::Test {
 protected:
  void SetUp() override {
    double jan = DateSerial(2010, 1, 15).Serial();
    items_.Add({.entry_id = "CASE-1",
                .subject = "[HW-42] Printer",
                .message_class = "IPM.Post.PLWSupportCase",
                .last_modification_time = jan,
                .user_properties = {{"Case.CaseNumber", "42"},
                                    {"Case.DateClosedS", "2010\t1\t20\t9\t5"}}});
    items_.Add({.entry_id = "MAIL-1",
                .subject = "Re: Printer",
                .last_modification_time = jan + 1,
                .conversation_index = "01C9A1B2C3"});
    items_.Add({.entry_id = "MAIL-2",
                .subject = "Re: Re: Printer",
                .last_modification_time = jan + 3,
                .conversation_index = "01C9A1B2C3"});
    items_.Add({.entry_id = "CASE-2",
                .subject = "Monitor",
                .message_class = "IPM.Post.PLWSupportCase.Closed",
                .last_modification_time = jan + 40,
                .user_properties = {{"Case.CaseNumber", "43"}}});
  }

  QueryTestItems items_;
};

TEST_F(TableQueryOnItems, FindsACaseByItsNamedProperty) {
  Recordset rs = items_.Query("Select EntryID from Folder where \"" +
                              Dasl("Case.CaseNumber") + "\" = '42'");
  ASSERT_EQ(rs.RecordCount(), 1u);
  EXPECT_EQ(rs.Fields("EntryID").Value, Variant("CASE-1"));
}

TEST_F(TableQueryOnItems, OrdersByAColumnDescending) {
  Recordset rs = items_.Query(
      "Select EntryID from Folder where ConversationIndex = '01C9A1B2C3' order by "
      "LastModificationTime desc");
  ASSERT_EQ(rs.RecordCount(), 2u);
  EXPECT_EQ(rs.Fields("entryid").Value, Variant("MAIL-2"));
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("ENTRYID").Value, Variant("MAIL-1"));
}

TEST_F(TableQueryOnItems, SelectsItemsThatAreNotOpenCases) {
  Recordset rs = items_.Query(
      "Select EntryID from Folder where MessageClass <> 'IPM.Post.PLWSupportCase'");
  std::vector<std::string> ids;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) ids.push_back(rs.Fields(0).Value.Text());
  EXPECT_EQ(ids, (Names{"MAIL-1", "MAIL-2", "CASE-2"}));
}

TEST_F(TableQueryOnItems, RestrictsToAPeriodWrittenAsDateTexts) {
  Recordset rs = items_.Query(
      "Select Subject from Folder where (LastModificationTime >= '1/16/2010' and "
      "LastModificationTime <= '1/31/2010 11:59 PM')");
  ASSERT_EQ(rs.RecordCount(), 2u);
  EXPECT_EQ(rs.Fields("Subject").Value, Variant("Re: Printer"));
}

TEST_F(TableQueryOnItems, FieldsAreNamedAsWrittenAndMissingPropertiesAreNull) {
  std::string number = Dasl("Case.CaseNumber");
  std::string closed = Dasl("Case.DateClosedS");
  Recordset rs = items_.Query("Select EntryID, Subject, \"" + number + "\", \"" + closed +
                              "\" from folder");
  EXPECT_EQ(rs.FieldNames(), (Names{"EntryID", "Subject", number, closed}));
  ASSERT_EQ(rs.RecordCount(), 4u);
  EXPECT_EQ(rs.Fields(number).Value, Variant("42"));
  EXPECT_EQ(rs.Fields(closed).Value, Variant("2010\t1\t20\t9\t5"));
  rs.MoveNext();
  EXPECT_TRUE(rs.Fields(number).Value.IsNull());
  rs.MoveLast();
  EXPECT_EQ(rs.Fields(UCase(number)).Value, Variant("43"));
  EXPECT_TRUE(rs.Fields(closed).Value.IsNull());
}

TEST_F(TableQueryOnItems, InjectionInLiteralsIsInert) {
  Recordset rs =
      items_.Query("Select EntryID from Folder where Subject = 'x'' or 1=1 --'");
  EXPECT_EQ(rs.RecordCount(), 0u);
  rs = items_.Query(
      "Select EntryID from Folder where Subject = 'Monitor''; DELETE FROM items; --'");
  EXPECT_EQ(rs.RecordCount(), 0u);
  EXPECT_EQ(items_.Count(), 4);
}

TEST_F(TableQueryOnItems, CompilesPartsWithPlaceholdersFromTheGivenNumber) {
  SqlSelect s = CompileTableQuery(
      ParseTableQuery(
          "Select EntryID, \"" + Dasl("Case.CaseNumber") +
          "\" from Folder where Subject = 'a' or Subject = 'b' order by Subject"),
      items_, 2);
  EXPECT_EQ(s.column_sql.front(), "i.entry_id");
  EXPECT_EQ(s.field_names, (Names{"EntryID", Dasl("Case.CaseNumber")}));
  EXPECT_NE(s.where.sql.find("?2"), std::string::npos) << s.where.sql;
  EXPECT_NE(s.where.sql.find("?3"), std::string::npos) << s.where.sql;
  EXPECT_EQ(s.where.params, (std::vector<Variant>{"a", "b"}));
  EXPECT_EQ(s.order_by_sql, "i.subject");
}

Recordset TwoRows() {
  Recordset rs({"EntryID", "Subject"});
  rs.AddRow({"A", "first"});
  rs.AddRow({"B", "second"});
  return rs;
}

TEST(Recordset, WalksRowsFromFirstToEof) {
  Recordset rs = TwoRows();
  EXPECT_EQ(rs.RecordCount(), 2u);
  EXPECT_FALSE(rs.Bof());
  EXPECT_FALSE(rs.Eof());
  EXPECT_EQ(rs.Fields("subject").Value, Variant("first"));
  rs.MoveNext();
  EXPECT_EQ(rs.Fields(1).Value, Variant("second"));
  EXPECT_EQ(rs.Fields(1).Name, "Subject");
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  rs.MoveFirst();
  EXPECT_EQ(rs.Fields("EntryID").Value, Variant("A"));
  rs.MovePrevious();
  EXPECT_TRUE(rs.Bof());
  rs.MoveLast();
  EXPECT_EQ(rs.Fields("EntryID").Value, Variant("B"));
}

TEST(Recordset, EmptyRecordsetIsAtBothBofAndEof) {
  Recordset rs({"EntryID"});
  EXPECT_EQ(rs.RecordCount(), 0u);
  EXPECT_TRUE(rs.Bof());
  EXPECT_TRUE(rs.Eof());
  rs.MoveFirst();
  rs.MoveLast();
  EXPECT_TRUE(rs.Eof());
  EXPECT_NE(ErrorOf([&] { rs.Fields("EntryID"); }).find("requires a current record"),
            std::string::npos);
}

TEST(Recordset, MisuseRaisesClearErrors) {
  Recordset rs = TwoRows();
  EXPECT_NE(ErrorOf([&] { rs.Fields("Body"); })
                .find("Item cannot be found in the collection corresponding to the "
                      "requested name"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { rs.Fields(2); }).find("Item cannot be found"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { rs.AddRow({"C"}); }).find("A row of 1 values"),
            std::string::npos);
  rs.MoveLast();
  rs.MoveNext();
  EXPECT_NE(ErrorOf([&] { rs.MoveNext(); }).find("EOF"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { rs.Fields(0); }).find("requires a current record"),
            std::string::npos);
  rs.MoveFirst();
  rs.MovePrevious();
  EXPECT_NE(ErrorOf([&] { rs.MovePrevious(); }).find("BOF"), std::string::npos);
}

TEST(Recordset, ClosedRecordsetRefusesEverything) {
  Recordset rs = TwoRows();
  rs.Close();
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_NE(ErrorOf([&] { rs.RecordCount(); }).find("closed"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { rs.Eof(); }).find("closed"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { rs.Fields("EntryID"); }).find("closed"), std::string::npos);
  rs.Close();
}

}  // namespace
}  // namespace zanvoro::host
