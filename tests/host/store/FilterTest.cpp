#include <gtest/gtest.h>

#include "host/store/Filter.h"
#include "host/store/QueryTestItems.h"
#include "runtime/Date.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using testing::Dasl;
using testing::QueryTestItems;
using testing::TestItem;
using Ids = std::vector<std::string>;

// The condition in a compact text form: and(...), or(...), not(...), and
// comparisons as name op value.
std::string Shape(const Condition& c) {
  static const char* const kOps[] = {"=", "<>", "<", "<=", ">", ">="};
  switch (c.kind) {
    case ConditionKind::Comparison: {
      std::string value = c.value_kind == ValueKind::Text ? "'" + c.value.Text() + "'"
                          : c.value_kind == ValueKind::Boolean
                              ? (*c.value.As<bool>() ? "T" : "F")
                              : CStr(c.value);
      return c.property + kOps[static_cast<int>(c.op)] + value;
    }
    case ConditionKind::Not:
      return "not(" + Shape(c.operands[0]) + ")";
    case ConditionKind::And:
    case ConditionKind::Or: {
      std::string s = c.kind == ConditionKind::And ? "and(" : "or(";
      for (size_t i = 0; i < c.operands.size(); ++i) {
        s += (i ? "," : "") + Shape(c.operands[i]);
      }
      return s + ")";
    }
  }
  return "?";
}

TEST(FilterGrammar, ReadsComparisonsOperatorsAndLiterals) {
  struct {
    const char* filter;
    const char* shape;
  } cases[] = {
      {"[Case.CaseNumber] = '42'", "Case.CaseNumber='42'"},
      {"[BillingInformation]='12'", "BillingInformation='12'"},
      {"[Subject] <> 'x'", "Subject<>'x'"},
      {"[Case.TimeSpent] >= 30", "Case.TimeSpent>=30"},
      {"[Size] < -2.5", "Size<-2.5"},
      {"[Size] <= +7", "Size<=7"},
      {"[Size] > .5", "Size>0.5"},
      {"[Unread] = True", "Unread=T"},
      {"[Unread] = false", "Unread=F"},
      {"[Last Name] = \"Smith\"", "Last Name='Smith'"},
      {"[Caller] = 'O''Brien'", "Caller='O'Brien'"},
      {"[Caller] = \"say \"\"hi\"\"\"", "Caller='say \"hi\"'"},
      {"[Note] = 'it''s \"quoted\"'", "Note='it's \"quoted\"'"},
      {"[Subject] = ''", "Subject=''"},
      {"  [Subject]\t=\n'a'  ", "Subject='a'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shape(ParseFilter(c.filter)), c.shape) << c.filter;
  }
}

TEST(FilterGrammar, AndBindsTighterThanOrAndNotTighterThanBoth) {
  struct {
    const char* filter;
    const char* shape;
  } cases[] = {
      {"[a] = 1 or [b] = 2 and [c] = 3", "or(a=1,and(b=2,c=3))"},
      {"[a] = 1 and [b] = 2 or [c] = 3", "or(and(a=1,b=2),c=3)"},
      {"([a] = 1 or [b] = 2) and [c] = 3", "and(or(a=1,b=2),c=3)"},
      {"not [a] = 1 and [b] = 2", "and(not(a=1),b=2)"},
      {"not ([a] = 1 and [b] = 2)", "not(and(a=1,b=2))"},
      {"not not [a] = 1", "not(not(a=1))"},
      {"[a] = 1 AND [b] = 2 Or NOT [c] = 3", "or(and(a=1,b=2),not(c=3))"},
      {"[a] = 1 and [b] = 2 and [c] = 3", "and(a=1,b=2,c=3)"},
      {"((([a] = 1)))", "a=1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shape(ParseFilter(c.filter)), c.shape) << c.filter;
  }
}

TEST(FilterGrammar, SqlPrefixSwitchesToQuotedAndBareNames) {
  std::string dasl = Dasl("Case.CaseNumber");
  struct {
    std::string filter;
    std::string shape;
  } cases[] = {
      {"@SQL=\"" + dasl + "\" = '42'", dasl + "='42'"},
      {"  @sql=Subject <> 'x' and \"urn:a\"\"b\" = 1", "and(Subject<>'x',urn:a\"b=1)"},
      {"@SQL=(MessageClass = 'IPM.Note' or Unread = TRUE)",
       "or(MessageClass='IPM.Note',Unread=T)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shape(ParseFilter(c.filter)), c.shape) << c.filter;
  }
  EXPECT_EQ(Shape(ParseCondition("Case.Status = 'Open'", ConditionSyntax::Sql)),
            "Case.Status='Open'");
}

TEST(FilterGrammar, BadSyntaxRaisesAnErrorNamingWhereItStopped) {
  std::string many_nots;
  for (int i = 0; i < 150; ++i) many_nots += "not ";
  struct {
    std::string filter;
    std::string message_part;
  } cases[] = {
      {"", "Error at the end: expected a condition"},
      {"[Subject] 'x'",
       "Error at \"'x'\" (character 11): expected a comparison operator"},
      {"[Subject] =", "Error at the end: expected a value"},
      {"[Subject] = 'x", "Error at \"'x\" (character 13): the quote is never closed"},
      {"[Subject = 'x'", "the bracket is never closed"},
      {"Subject = 'x'", "expected a property name in brackets"},
      {"[] = 'x'", "the property name is empty"},
      {"([a] = 1", "Error at the end: expected \")\""},
      {"[a] = 1)", "Error at \")\" (character 8): expected \"and\", \"or\" or the end"},
      {"[a] = 1 [b] = 2", "expected \"and\", \"or\" or the end"},
      {"[a] = 1 and", "Error at the end: expected a property name"},
      {"[a] == 1", "Error at \"= 1\" (character 6): expected a value"},
      {"[a] = Maybe", "expected a value"},
      {"[a] = 1; DROP TABLE items",
       "Error at \"; DROP TABLE items\" (character 8): unexpected"},
      {"[a] = 1.2.3", "expected a number"},
      {"@SQL=[a] = \"x\"", "Error at \"\"x\"\" (character 12): expected a value"},
      {"@SQL=and = 1", "expected a property name"},
      {std::string(150, '(') + "[a] = 1" + std::string(150, ')'), "nested too deeply"},
      {"[a] = 1 and " + many_nots + "[b] = 2", "nested too deeply"},
  };
  for (const auto& c : cases) {
    try {
      ParseFilter(c.filter);
      ADD_FAILURE() << "parsed: " << c.filter;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), err::kInvalidProcedureCall) << c.filter;
      EXPECT_NE(e.Description().find("Cannot parse condition. "), std::string::npos);
      EXPECT_NE(e.Description().find(c.message_part), std::string::npos)
          << c.filter << "\n  gave: " << e.Description();
    }
  }
}

TEST(FilterGrammar, LongErrorSnippetsAreCut) {
  try {
    ParseFilter("[a] = 1 " + std::string(100, 'x'));
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_NE(e.Description().find("Error at \"" + std::string(30, 'x') + "...\""),
              std::string::npos)
        << e.Description();
  }
}

class FilterOnItems : public ::testing::Test {
 protected:
  void SetUp() override {
    double before = DateSerial(2009, 12, 31).Serial() + TimeSerial(9, 0, 0).Serial();
    double after = DateSerial(2009, 12, 31).Serial() + TimeSerial(11, 0, 0).Serial();
    items_.Add({.entry_id = "A",
                .subject = "Printer broken",
                .last_modification_time = before,
                .unread = true,
                .size = 50,
                .user_properties = {{"Case.CaseNumber", "42"},
                                    {"Case.TimeSpent", 30.0},
                                    {"Caller", "O'Brien"}}});
    items_.Add(
        {.entry_id = "B",
         .subject = "Re: [HW-17] Monitor",
         .last_modification_time = after,
         .size = 500,
         .user_properties = {{"Case.CaseNumber", "17"}, {"Case.TimeSpent", 12.5}}});
    items_.Add({.entry_id = "C",
                .subject = "x' or 1=1 --",
                .message_class = "IPM.Post.PLWSupportCase",
                .last_modification_time = after + 1,
                .unread = true,
                .size = 5000});
  }

  QueryTestItems items_;
};

TEST_F(FilterOnItems, FindsByUserPropertyAndStandardProperty) {
  EXPECT_EQ(items_.Find("[Case.CaseNumber] = '42'"), Ids{"A"});
  EXPECT_EQ(items_.Find("[Case.CaseNumber] = '17' or [Case.CaseNumber] = '18'"),
            Ids{"B"});
  EXPECT_EQ(items_.Find("[Subject] = 'PRINTER BROKEN'"), Ids{"A"});
  EXPECT_EQ(items_.Find("[Subject] <> 'printer broken'"), (Ids{"B", "C"}));
  EXPECT_EQ(items_.Find("[Caller] = \"o'brien\""), Ids{"A"});
  EXPECT_EQ(items_.Find("[Case.Missing] = 'x'"), Ids{});
}

TEST_F(FilterOnItems, DateColumnsCompareWithDateTexts) {
  EXPECT_EQ(items_.Find("[LastModificationTime] > '12/31/2009 10:00 AM'"),
            (Ids{"B", "C"}));
  EXPECT_EQ(items_.Find("[LastModificationTime] <= '2009-12-31 10:00:00'"), Ids{"A"});
  EXPECT_EQ(items_.Find("[LastModificationTime] >= '1/1/2010'"), Ids{"C"});
  // A text that is no date matches nothing; its negation matches everything.
  EXPECT_EQ(items_.Find("[LastModificationTime] > 'yesterday-ish'"), Ids{});
  EXPECT_EQ(items_.Find("not [LastModificationTime] > 'yesterday-ish'"),
            (Ids{"A", "B", "C"}));
}

TEST_F(FilterOnItems, NumberColumnsTakeNumbersAndNumericTextOnly) {
  EXPECT_EQ(items_.Find("[Case.TimeSpent] >= 30"), Ids{"A"});
  EXPECT_EQ(items_.Find("[Case.TimeSpent] < 13"), Ids{"B"});
  EXPECT_EQ(items_.Find("[Size] > '100'"), (Ids{"B", "C"}));
  EXPECT_EQ(items_.Find("[Size] = 'big'"), Ids{});
  EXPECT_EQ(items_.Find("[Size] <> 'big'"), Ids{});
  EXPECT_EQ(items_.Find("not [Size] = 'big'"), (Ids{"A", "B", "C"}));
}

TEST_F(FilterOnItems, BooleanColumnsTakeTrueFalseNumbersAndTheirTexts) {
  EXPECT_EQ(items_.Find("[Unread] = True"), (Ids{"A", "C"}));
  EXPECT_EQ(items_.Find("[Unread] = FALSE"), Ids{"B"});
  EXPECT_EQ(items_.Find("[Unread] = 'true'"), (Ids{"A", "C"}));
  EXPECT_EQ(items_.Find("[Unread] = 0"), Ids{"B"});
  EXPECT_EQ(items_.Find("[Unread] = 'perhaps'"), Ids{});
}

TEST_F(FilterOnItems, CombinationsFollowPrecedence) {
  EXPECT_EQ(items_.Find("[Size] = 50 or [Size] = 500 and [Unread] = True"), Ids{"A"});
  EXPECT_EQ(items_.Find("([Size] = 50 or [Size] = 500) and [Unread] = False"), Ids{"B"});
  EXPECT_EQ(items_.Find("not ([Unread] = True and [Size] > 100)"), (Ids{"A", "B"}));
  EXPECT_EQ(
      items_.Find("@SQL=\"" + Dasl("Case.CaseNumber") + "\" = '17' OR Size >= 5000"),
      (Ids{"B", "C"}));
}

TEST_F(FilterOnItems, InjectionInLiteralsIsInert) {
  EXPECT_EQ(items_.Find("[Subject] = 'x'' or 1=1 --'"), Ids{"C"});
  EXPECT_EQ(items_.Find("[Subject] = \"x' or 1=1 --\""), Ids{"C"});
  EXPECT_EQ(items_.Find("[Subject] = 'nothing''; DROP TABLE items; --'"), Ids{});
  EXPECT_EQ(items_.Find("[Case.CaseNumber] = '42'' or ''1''=''1'"), Ids{});
  EXPECT_EQ(items_.Find("[Case.x' or 1=1 --] = '1'"), Ids{});
  EXPECT_EQ(items_.Count(), 3);
}

TEST_F(FilterOnItems, LiteralsAreBoundInPlaceholderOrder) {
  SqlCondition c = CompileFilter(
      "[Subject] = 'a''b' and ([Size] > '10' or [Unread] = True) and [Size] = 'no'",
      items_, 3);
  EXPECT_EQ(c.sql.find("a'b"), std::string::npos) << c.sql;
  EXPECT_NE(c.sql.find("?3"), std::string::npos) << c.sql;
  EXPECT_NE(c.sql.find("?5"), std::string::npos) << c.sql;
  EXPECT_EQ(c.sql.find("?6"), std::string::npos) << c.sql;
  EXPECT_EQ(c.params, (std::vector<Variant>{"a'b", 10.0, int32_t{1}}));
}

}  // namespace
}  // namespace zanvoro::host
