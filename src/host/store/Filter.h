// Conditions that select items: the filters of Items.Find, FindNext and
// Restrict ("[Case.CaseNumber] = '42'", "@SQL=\"urn:...\" = 'x'") and the
// where clause of a table query. A condition is parsed once into a tree and
// compiled against a QueryTarget into SQL with every literal bound, so no text
// from a filter ever becomes SQL text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/store/QueryTarget.h"
#include "runtime/Error.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

// How names and literals are written.
//  Filter: names in brackets ("[Subject]"), text in single or double quotes.
//  Sql:    names bare ("Subject") or in double quotes (DASL names), text in
//          single quotes. Used after "@SQL=" and in table queries.
// In both, a quote inside text is doubled ('O''Brien'); numbers are written
// plainly (30, -2.5); True and False are booleans; and, or, not and the
// operators = <> < <= > >= may be written in any case.
enum class ConditionSyntax { Filter, Sql };

enum class ConditionKind { Comparison, And, Or, Not };

struct Condition {
  ConditionKind kind = ConditionKind::Comparison;

  // Comparison: `property op value`. `property` is the name as written,
  // without its brackets or quotes. `value` holds a std::string (Text), a
  // double (Number) or a bool (Boolean).
  std::string property;
  CompareOp op = CompareOp::Equal;
  Variant value;
  ValueKind value_kind = ValueKind::Text;

  // And, Or: two or more operands (a chain "a and b and c" is one node).
  // Not: exactly one operand.
  std::vector<Condition> operands;
};

// Parses a whole condition. "and" binds tighter than "or"; "not" tighter
// than both. Raises Error(err::kInvalidProcedureCall) on bad syntax, with a
// description naming the position and the text found there:
//   Cannot parse condition. Error at "<> 5" (character 10): expected a value.
// Nesting deeper than 100 parentheses or "not"s is refused the same way.
Condition ParseCondition(std::string_view text, ConditionSyntax syntax);

// Parses an Items.Find/Restrict filter: the Sql syntax after a leading
// "@SQL=" (any case, blanks before it allowed), else the Filter syntax.
Condition ParseFilter(std::string_view filter);

// The error for bad syntax in a query text: Error(err::kInvalidProcedureCall,
// "Cannot parse <what>. Error at \"<text from pos>\" (character <pos + 1>):
// <reason>."), or "Error at the end" when `pos` is past the text. Long
// snippets are cut after 30 characters.
Error QuerySyntaxError(std::string_view what, std::string_view text, size_t pos,
                       std::string_view reason);

// A WHERE expression with its bound values, in placeholder order.
struct SqlCondition {
  std::string sql;
  std::vector<Variant> params;
};

// Compiles a condition: each property is resolved by `target` (which raises
// for an unknown standard property) and each literal is bound, placeholders
// numbered from `first_placeholder`. Literals are converted to the column's
// kind:
//  - Date column: text is read as a date (ParseDate) and binds its day count
//    (double); a number binds as a day count.
//  - Number column: numeric text and numbers bind as double; True/False as
//    -1/0.
//  - Boolean column: True/False, numbers (non-zero is true) and the texts
//    "True"/"False" bind 1/0.
//  - Text column: text binds as is; numbers and booleans bind their text
//    ("42", "True").
// A literal that cannot be converted makes that comparison false (never an
// SQL error): "[Case.TimeSpent] = 'soon'" matches nothing, its negation
// everything.
SqlCondition CompileCondition(const Condition& condition, const QueryTarget& target,
                              size_t first_placeholder = 1);

// ParseFilter followed by CompileCondition.
SqlCondition CompileFilter(std::string_view filter, const QueryTarget& target,
                           size_t first_placeholder = 1);

}  // namespace zanvoro::host
