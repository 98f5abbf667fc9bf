#include "host/store/TableQuery.h"

#include <algorithm>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

// The query's top-level pieces. The condition is handed whole to the
// condition parser; here quoted runs are only skipped so that a word inside a
// literal ('order by me') is never taken for a clause.
enum class PieceKind { Word, Name, Literal, Comma, Other, End };

struct Piece {
  PieceKind kind = PieceKind::End;
  size_t pos = 0;
  size_t end = 0;
  std::string text;  // Word: as written; Name: unquoted
};

class QueryParser {
 public:
  explicit QueryParser(std::string_view text) : text_(text) { Scan(); }

  TableQuery Parse() {
    TableQuery query;
    ExpectWord("select", "expected \"Select\"");
    do {
      query.columns.push_back(TakeColumn());
    } while (TakeIf(PieceKind::Comma));
    ExpectWord("from", "expected \",\" or \"from\"");
    ExpectWord("folder", "expected \"Folder\"");
    if (PeekWord("where")) {
      size_t start = Take().end;
      while (Peek().kind != PieceKind::End && !AtOrderBy()) Take();
      // Blanks in place of the clauses before it keep error positions
      // counting from the start of the query.
      std::string condition(start, ' ');
      condition += text_.substr(start, Peek().pos - start);
      query.condition = ParseCondition(condition, ConditionSyntax::Sql);
    }
    if (AtOrderBy()) {
      Take();
      Take();
      query.order_by = TakeColumn();
      if (PeekWord("desc")) {
        query.descending = true;
        Take();
      } else if (PeekWord("asc")) {
        Take();
      }
    }
    if (Peek().kind != PieceKind::End) {
      Fail(Peek().pos, query.order_by.empty()
                           ? "expected \"where\", \"order by\" or the end of the query"
                           : "expected \"asc\", \"desc\" or the end of the query");
    }
    return query;
  }

 private:
  [[noreturn]] void Fail(size_t pos, std::string_view reason) const {
    throw QuerySyntaxError("query", text_, pos, reason);
  }

  static bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
  }

  void Scan() {
    size_t i = 0;
    while (true) {
      while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t' ||
                                  text_[i] == '\r' || text_[i] == '\n')) {
        ++i;
      }
      Piece p;
      p.pos = i;
      if (i >= text_.size()) {
        p.end = i;
        pieces_.push_back(p);
        return;
      }
      char c = text_[i];
      if (c == '"' || c == '\'') {
        p.kind = c == '"' ? PieceKind::Name : PieceKind::Literal;
        size_t j = i + 1;
        for (; j < text_.size(); ++j) {
          if (text_[j] != c) {
            p.text += text_[j];
          } else if (j + 1 < text_.size() && text_[j + 1] == c) {
            p.text += c;
            ++j;
          } else {
            break;
          }
        }
        if (j >= text_.size()) Fail(i, "the quote is never closed");
        i = j + 1;
      } else if (IsWordChar(c)) {
        p.kind = PieceKind::Word;
        while (i < text_.size() && IsWordChar(text_[i])) p.text += text_[i++];
      } else {
        p.kind = c == ',' ? PieceKind::Comma : PieceKind::Other;
        ++i;
      }
      p.end = i;
      pieces_.push_back(std::move(p));
    }
  }

  const Piece& Peek(size_t ahead = 0) const {
    return pieces_[std::min(next_ + ahead, pieces_.size() - 1)];
  }
  const Piece& Take() {
    const Piece& p = Peek();
    if (p.kind != PieceKind::End) ++next_;
    return p;
  }
  bool TakeIf(PieceKind kind) {
    if (Peek().kind != kind) return false;
    Take();
    return true;
  }
  bool PeekWord(std::string_view word, size_t ahead = 0) const {
    return Peek(ahead).kind == PieceKind::Word && TextEquals(Peek(ahead).text, word);
  }
  bool AtOrderBy() const { return PeekWord("order") && PeekWord("by", 1); }
  void ExpectWord(std::string_view word, std::string_view reason) {
    if (!PeekWord(word)) Fail(Peek().pos, reason);
    Take();
  }

  std::string TakeColumn() {
    const Piece& p = Peek();
    bool named = p.kind == PieceKind::Name ||
                 (p.kind == PieceKind::Word && !TextEquals(p.text, "from"));
    if (!named || p.text.empty()) Fail(p.pos, "expected a column name");
    return Take().text;
  }

  std::string_view text_;
  std::vector<Piece> pieces_;
  size_t next_ = 0;
};

}  // namespace

TableQuery ParseTableQuery(std::string_view text) { return QueryParser(text).Parse(); }

SqlSelect CompileTableQuery(const TableQuery& query, const QueryTarget& target,
                            size_t first_placeholder) {
  SqlSelect select;
  for (const std::string& column : query.columns) {
    select.column_sql.push_back(target.Resolve(column, ValueKind::Text).sql);
    select.field_names.push_back(column);
  }
  if (query.condition) {
    select.where = CompileCondition(*query.condition, target, first_placeholder);
  }
  if (!query.order_by.empty()) {
    select.order_by_sql = target.Resolve(query.order_by, ValueKind::Text).sql;
    if (query.descending) select.order_by_sql += " DESC";
  }
  return select;
}

}  // namespace zanvoro::host
