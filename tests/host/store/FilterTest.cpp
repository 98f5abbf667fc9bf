#include <gtest/gtest.h>

#include "host/store/Filter.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

std::string Dasl(const std::string& name) {
  return "http://schemas.microsoft.com/mapi/string/"
         "{00020329-0000-0000-C000-000000000046}/" +
         name;
}

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

}  // namespace
}  // namespace zanvoro::host
