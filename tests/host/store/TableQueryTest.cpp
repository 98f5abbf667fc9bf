#include <gtest/gtest.h>

#include "host/store/Recordset.h"
#include "host/store/TableQuery.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

std::string Dasl(const std::string& name) {
  return "http://schemas.microsoft.com/mapi/string/"
         "{00020329-0000-0000-C000-000000000046}/" +
         name;
}
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
