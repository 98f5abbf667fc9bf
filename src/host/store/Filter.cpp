#include "host/store/Filter.h"

#include <charconv>
#include <optional>

#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

// Deeper nesting is refused rather than risk the stack on hostile input.
constexpr int kMaxDepth = 100;
// A comparison whose literal cannot take the column's kind matches nothing.
constexpr std::string_view kNeverTrue = "(1 = 0)";

struct Operator {
  std::string_view text;
  CompareOp op;
};
// Two-character forms first, so that "<=" is not read as "<".
constexpr Operator kOperators[] = {
    {"<>", CompareOp::NotEqual},
    {"<=", CompareOp::LessOrEqual},
    {">=", CompareOp::GreaterOrEqual},
    {"=", CompareOp::Equal},
    {"<", CompareOp::Less},
    {">", CompareOp::Greater},
};

enum class TokenKind { Name, Word, Text, Number, Operator, Open, Close, End };

struct Token {
  TokenKind kind = TokenKind::End;
  size_t pos = 0;
  std::string text;  // Name, Word, Text: unquoted; Number: as written
  CompareOp op = CompareOp::Equal;
  double number = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c) || c == '.'; }

class Parser {
 public:
  Parser(std::string_view text, size_t start, ConditionSyntax syntax)
      : text_(text), syntax_(syntax) {
    Lex(start);
  }

  Condition ParseWhole() {
    if (Peek().kind == TokenKind::End) Fail(Peek().pos, "expected a condition");
    Condition c = ParseOr();
    if (Peek().kind != TokenKind::End) {
      Fail(Peek().pos, "expected \"and\", \"or\" or the end of the condition");
    }
    return c;
  }

 private:
  [[noreturn]] void Fail(size_t pos, std::string_view reason) const {
    throw QuerySyntaxError("condition", text_, pos, reason);
  }

  // Reads a quoted run starting at the opening quote `pos`; a doubled quote
  // stands for one. Returns the position after the closing quote.
  size_t ReadQuoted(size_t pos, char quote, std::string& out) const {
    for (size_t i = pos + 1; i < text_.size(); ++i) {
      if (text_[i] != quote) {
        out += text_[i];
      } else if (i + 1 < text_.size() && text_[i + 1] == quote) {
        out += quote;
        ++i;
      } else {
        return i + 1;
      }
    }
    Fail(pos, "the quote is never closed");
  }

  void Lex(size_t i) {
    while (true) {
      while (i < text_.size() && IsBlank(text_[i])) ++i;
      Token t;
      t.pos = i;
      if (i >= text_.size()) {
        tokens_.push_back(t);
        return;
      }
      char c = text_[i];
      if (c == '(' || c == ')') {
        t.kind = c == '(' ? TokenKind::Open : TokenKind::Close;
        ++i;
      } else if (c == '[') {
        size_t close = text_.find(']', i + 1);
        if (close == std::string_view::npos) Fail(i, "the bracket is never closed");
        t.kind = TokenKind::Name;
        t.text = std::string(text_.substr(i + 1, close - i - 1));
        i = close + 1;
      } else if (c == '\'' || (c == '"' && syntax_ == ConditionSyntax::Filter)) {
        t.kind = TokenKind::Text;
        i = ReadQuoted(i, c, t.text);
      } else if (c == '"') {
        t.kind = TokenKind::Name;
        i = ReadQuoted(i, c, t.text);
      } else if (const Operator* o = OperatorAt(i)) {
        t.kind = TokenKind::Operator;
        t.op = o->op;
        i += o->text.size();
      } else if (IsDigit(c) || c == '.' || c == '-' || c == '+') {
        size_t end = i + 1;
        while (end < text_.size() && (IsDigit(text_[end]) || text_[end] == '.')) ++end;
        size_t digits = c == '+' ? i + 1 : i;  // from_chars takes no plus sign
        std::string_view number = text_.substr(digits, end - digits);
        auto [stop, ec] =
            std::from_chars(number.data(), number.data() + number.size(), t.number);
        if (ec != std::errc() || stop != number.data() + number.size())
          Fail(i, "expected a number");
        t.kind = TokenKind::Number;
        t.text = std::string(text_.substr(i, end - i));
        i = end;
      } else if (IsWordStart(c)) {
        size_t end = i + 1;
        while (end < text_.size() && IsWordChar(text_[end])) ++end;
        t.kind = TokenKind::Word;
        t.text = std::string(text_.substr(i, end - i));
        i = end;
      } else {
        Fail(i, "unexpected character");
      }
      tokens_.push_back(std::move(t));
    }
  }

  const Operator* OperatorAt(size_t i) const {
    for (const Operator& o : kOperators) {
      if (text_.substr(i).starts_with(o.text)) return &o;
    }
    return nullptr;
  }

  const Token& Peek() const { return tokens_[next_]; }
  const Token& Take() {
    const Token& t = tokens_[next_];
    if (t.kind != TokenKind::End) ++next_;
    return t;
  }
  bool PeekWord(std::string_view word) const {
    return Peek().kind == TokenKind::Word && TextEquals(Peek().text, word);
  }

  void Enter() {
    if (++depth_ > kMaxDepth) Fail(Peek().pos, "the condition is nested too deeply");
  }

  Condition ParseOr() { return ParseChain(ConditionKind::Or, "or"); }
  Condition ParseAnd() { return ParseChain(ConditionKind::And, "and"); }

  // A chain of operands joined by one keyword; "and" operands are negations
  // or primaries, "or" operands are "and" chains, so "and" binds tighter.
  Condition ParseChain(ConditionKind kind, std::string_view keyword) {
    auto operand = [&] { return kind == ConditionKind::Or ? ParseAnd() : ParseNot(); };
    Condition first = operand();
    if (!PeekWord(keyword)) return first;
    Condition chain;
    chain.kind = kind;
    chain.operands.push_back(std::move(first));
    while (PeekWord(keyword)) {
      Take();
      chain.operands.push_back(operand());
    }
    return chain;
  }

  Condition ParseNot() {
    if (!PeekWord("not")) return ParsePrimary();
    Take();
    Enter();
    Condition negation;
    negation.kind = ConditionKind::Not;
    negation.operands.push_back(ParseNot());
    --depth_;
    return negation;
  }

  Condition ParsePrimary() {
    if (Peek().kind != TokenKind::Open) return ParseComparison();
    Take();
    Enter();
    Condition inner = ParseOr();
    if (Peek().kind != TokenKind::Close) Fail(Peek().pos, "expected \")\"");
    Take();
    --depth_;
    return inner;
  }

  static bool IsKeyword(std::string_view word) {
    for (std::string_view k : {"and", "or", "not", "true", "false"}) {
      if (TextEquals(word, k)) return true;
    }
    return false;
  }

  Condition ParseComparison() {
    Condition c;
    const Token& name = Peek();
    bool bare_name = syntax_ == ConditionSyntax::Sql && name.kind == TokenKind::Word &&
                     !IsKeyword(name.text);
    if (name.kind != TokenKind::Name && !bare_name) {
      Fail(name.pos, syntax_ == ConditionSyntax::Filter
                         ? "expected a property name in brackets"
                         : "expected a property name");
    }
    if (name.text.empty()) Fail(name.pos, "the property name is empty");
    c.property = Take().text;
    if (Peek().kind != TokenKind::Operator) {
      Fail(Peek().pos, "expected a comparison operator (=, <>, <, <=, >, >=)");
    }
    c.op = Take().op;
    const Token& value = Peek();
    if (value.kind == TokenKind::Text) {
      c.value = value.text;
      c.value_kind = ValueKind::Text;
    } else if (value.kind == TokenKind::Number) {
      c.value = value.number;
      c.value_kind = ValueKind::Number;
    } else if (value.kind == TokenKind::Word &&
               (TextEquals(value.text, "true") || TextEquals(value.text, "false"))) {
      c.value = TextEquals(value.text, "true");
      c.value_kind = ValueKind::Boolean;
    } else {
      Fail(value.pos, "expected a value (quoted text, a number, True or False)");
    }
    Take();
    return c;
  }

  std::string_view text_;
  ConditionSyntax syntax_;
  std::vector<Token> tokens_;
  size_t next_ = 0;
  int depth_ = 0;
};

// The literal converted to what a column of `column` kind holds, or nothing
// when it cannot be.
std::optional<Variant> BindValue(const Condition& c, ValueKind column) {
  const Variant& v = c.value;
  switch (column) {
    case ValueKind::Text:
      return c.value_kind == ValueKind::Text ? v : Variant(CStr(v));
    case ValueKind::Number:
      if (c.value_kind == ValueKind::Text && !IsNumeric(v)) return std::nullopt;
      return Variant(CDbl(v));
    case ValueKind::Boolean:
      if (c.value_kind == ValueKind::Text && !IsNumeric(v) &&
          !TextEquals(v.Text(), "true") && !TextEquals(v.Text(), "false")) {
        return std::nullopt;
      }
      return Variant(int32_t{CBool(v) ? 1 : 0});
    case ValueKind::Date:
      if (c.value_kind == ValueKind::Number) return v;
      if (c.value_kind == ValueKind::Boolean) return std::nullopt;
      if (std::optional<Date> d = ParseDate(v.Text())) return Variant(d->Serial());
      return std::nullopt;
  }
  return std::nullopt;
}

class Compiler {
 public:
  Compiler(const QueryTarget& target, size_t first_placeholder)
      : target_(target), next_placeholder_(first_placeholder) {}

  SqlCondition Compile(const Condition& c) {
    SqlCondition out;
    out.sql = Emit(c, out.params);
    return out;
  }

 private:
  std::string Emit(const Condition& c, std::vector<Variant>& params) {
    switch (c.kind) {
      case ConditionKind::Comparison:
        return EmitComparison(c, params);
      case ConditionKind::Not:
        if (c.operands.size() != 1) break;
        return "(NOT " + Emit(c.operands.front(), params) + ")";
      case ConditionKind::And:
      case ConditionKind::Or: {
        if (c.operands.empty()) break;
        const bool all = c.kind == ConditionKind::And;
        std::string sql = "(";
        for (size_t i = 0; i < c.operands.size(); ++i) {
          if (i > 0) sql += all ? " AND " : " OR ";
          size_t end = all ? SameUserProperty(c.operands, i) : i + 1;
          sql += end > i + 1 ? EmitAll(c.operands, i, end, params) : Emit(c.operands[i], params);
          i = end - 1;
        }
        return sql + ")";
      }
    }
    throw Error(err::kInvalidProcedureCall,
                "Cannot compile condition: a combination without operands.");
  }

  std::string EmitComparison(const Condition& c, std::vector<Variant>& params) {
    ResolvedColumn column = target_.Resolve(c.property, c.value_kind);
    std::optional<Variant> bound = BindValue(c, column.kind);
    if (!bound) return std::string(kNeverTrue);
    std::string placeholder = target_.Placeholder(next_placeholder_++);
    params.push_back(std::move(*bound));
    return "(" + target_.Comparison(column, c.op, placeholder) + ")";
  }

  // The end of the run of comparisons from `first` on that test one user
  // property with literals of one kind ("[Case.DateCreated] >= a and
  // [Case.DateCreated] < b"): the store tests them in one go.
  size_t SameUserProperty(const std::vector<Condition>& operands, size_t first) const {
    const Condition& head = operands[first];
    if (head.kind != ConditionKind::Comparison) return first + 1;
    size_t end = first + 1;
    while (end < operands.size() && operands[end].kind == ConditionKind::Comparison &&
           TextEquals(operands[end].property, head.property) &&
           operands[end].value_kind == head.value_kind)
      ++end;
    if (end > first + 1 && !target_.Resolve(head.property, head.value_kind).user_property)
      return first + 1;
    return end;
  }

  std::string EmitAll(const std::vector<Condition>& operands, size_t first, size_t end,
                      std::vector<Variant>& params) {
    ResolvedColumn column = target_.Resolve(operands[first].property, operands[first].value_kind);
    std::vector<std::pair<CompareOp, std::string>> bounds;
    std::vector<Variant> values;
    for (size_t i = first; i < end; ++i) {
      std::optional<Variant> bound = BindValue(operands[i], column.kind);
      if (!bound) return std::string(kNeverTrue);
      values.push_back(std::move(*bound));
    }
    for (size_t i = first; i < end; ++i) {
      bounds.emplace_back(operands[i].op, target_.Placeholder(next_placeholder_++));
      params.push_back(std::move(values[i - first]));
    }
    return "(" + target_.AllComparisons(column, bounds) + ")";
  }

  const QueryTarget& target_;
  size_t next_placeholder_;
};

}  // namespace

Error QuerySyntaxError(std::string_view what, std::string_view text, size_t pos,
                       std::string_view reason) {
  constexpr size_t kSnippetLength = 30;
  std::string where;
  if (pos >= text.size()) {
    where = "the end";
  } else {
    std::string snippet(text.substr(pos, kSnippetLength));
    if (pos + kSnippetLength < text.size()) snippet += "...";
    where = "\"" + snippet + "\" (character " + std::to_string(pos + 1) + ")";
  }
  return Error(err::kInvalidProcedureCall, "Cannot parse " + std::string(what) +
                                               ". Error at " + where + ": " +
                                               std::string(reason) + ".");
}

Condition ParseCondition(std::string_view text, ConditionSyntax syntax) {
  return Parser(text, 0, syntax).ParseWhole();
}

Condition ParseFilter(std::string_view filter) {
  constexpr std::string_view kSqlPrefix = "@SQL=";
  size_t start = 0;
  while (start < filter.size() && IsBlank(filter[start])) ++start;
  if (StartsWithText(filter.substr(start), kSqlPrefix)) {
    return Parser(filter, start + kSqlPrefix.size(), ConditionSyntax::Sql).ParseWhole();
  }
  return Parser(filter, 0, ConditionSyntax::Filter).ParseWhole();
}

SqlCondition CompileCondition(const Condition& condition, const QueryTarget& target,
                              size_t first_placeholder) {
  return Compiler(target, first_placeholder).Compile(condition);
}

SqlCondition CompileFilter(std::string_view filter, const QueryTarget& target,
                           size_t first_placeholder) {
  return CompileCondition(ParseFilter(filter), target, first_placeholder);
}

}  // namespace zanvoro::host
