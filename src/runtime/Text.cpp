#include "runtime/Text.h"

#include <array>

#include "runtime/Error.h"

namespace zanvoro {

namespace {

// UTF-8 writes the Latin-1 letters U+00C0..U+00FF as C3 80..C3 BF; the
// capitals (C3 80..C3 9E) and the small letters (C3 A0..C3 BE) differ by 0x20,
// except for the multiplication and division signs (C3 97, C3 B7).
constexpr unsigned char kLatin1Lead = 0xC3;

unsigned char ByteAt(std::string_view s, size_t i) {
  return static_cast<unsigned char>(s[i]);
}

bool FollowsLatin1Lead(std::string_view s, size_t i) {
  return i > 0 && ByteAt(s, i - 1) == kLatin1Lead;
}

// Byte `i` of `s` in lower case; the same folding makes LCase, TextCompare
// and the Text compare mode agree.
unsigned char LowerByte(std::string_view s, size_t i) {
  unsigned char c = ByteAt(s, i);
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0x80 && c <= 0x9E && c != 0x97 && FollowsLatin1Lead(s, i)) {
    return static_cast<unsigned char>(c + 0x20);
  }
  return c;
}

unsigned char UpperByte(std::string_view s, size_t i) {
  unsigned char c = ByteAt(s, i);
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  if (c >= 0xA0 && c <= 0xBE && c != 0xB7 && FollowsLatin1Lead(s, i)) {
    return static_cast<unsigned char>(c - 0x20);
  }
  return c;
}

// Position (0-based) of `find` in `s` at or after `from`, npos when absent.
// Folding keeps every byte in place, so positions in the folded text are
// positions in the original.
size_t Find(std::string_view s, std::string_view find, size_t from, CompareMode mode) {
  if (mode == CompareMode::Binary) return s.find(find, from);
  return LCase(s).find(LCase(find), from);
}

}  // namespace

std::string LTrim(std::string_view s) {
  size_t first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
  size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string()
                                        : std::string(s.substr(0, last + 1));
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n\f") == std::string_view::npos;
}

std::string Trim(std::string_view s) {
  size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

std::string UCase(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < s.size(); ++i) out[i] = static_cast<char>(UpperByte(s, i));
  return out;
}

std::string LCase(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < s.size(); ++i) out[i] = static_cast<char>(LowerByte(s, i));
  return out;
}

std::string Left(std::string_view s, size_t n) { return std::string(s.substr(0, n)); }

std::string Right(std::string_view s, size_t n) {
  return n >= s.size() ? std::string(s) : std::string(s.substr(s.size() - n));
}

std::string Mid(std::string_view s, size_t start, size_t length) {
  if (start == 0) throw InvalidProcedureCallError();
  if (start > s.size()) return {};
  return std::string(s.substr(start - 1, length));
}

size_t InStr(size_t start, std::string_view s, std::string_view find, CompareMode mode) {
  if (start == 0) throw InvalidProcedureCallError();
  if (s.empty() || start > s.size() + 1) return 0;
  if (find.empty()) return start;
  size_t pos = Find(s, find, start - 1, mode);
  return pos == std::string_view::npos ? 0 : pos + 1;
}

size_t InStr(std::string_view s, std::string_view find, CompareMode mode) {
  return InStr(1, s, find, mode);
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

size_t InStrRev(std::string_view s, std::string_view find, CompareMode mode) {
  if (s.empty()) return 0;
  if (find.empty()) return s.size();
  size_t pos = mode == CompareMode::Binary ? s.rfind(find) : LCase(s).rfind(LCase(find));
  return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with,
                    CompareMode mode) {
  if (find.empty()) return std::string(s);
  // Fold once rather than on every search.
  std::string folded_s, folded_find;
  std::string_view hay = s, needle = find;
  if (mode == CompareMode::Text) {
    folded_s = LCase(s);
    folded_find = LCase(find);
    hay = folded_s;
    needle = folded_find;
  }
  std::string out;
  size_t from = 0;
  for (size_t pos = hay.find(needle); pos != std::string_view::npos;
       pos = hay.find(needle, from)) {
    out.append(s.substr(from, pos - from));
    out.append(with);
    from = pos + find.size();
  }
  out.append(s.substr(from));
  return out;
}

std::vector<std::string> Split(std::string_view s, std::string_view delimiter) {
  std::vector<std::string> parts;
  if (s.empty()) return parts;
  if (delimiter.empty()) {
    parts.emplace_back(s);
    return parts;
  }
  size_t from = 0;
  for (size_t pos = s.find(delimiter); pos != std::string_view::npos;
       pos = s.find(delimiter, from)) {
    parts.emplace_back(s.substr(from, pos - from));
    from = pos + delimiter.size();
  }
  parts.emplace_back(s.substr(from));
  return parts;
}

void AppendHtmlEscaped(std::string& html, std::string_view text, LineBreaks breaks) {
  // The characters written differently, looked up by byte: 1 always, 2 as
  // line breaks only.
  static constexpr std::array<unsigned char, 256> kSpecial = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned char c : std::string_view("&<>\"'")) table[c] = 1;
    table['\r'] = table['\n'] = 2;
    return table;
  }();
  const unsigned char limit = breaks == LineBreaks::AsText ? 1 : 2;
  auto special = [&](char c) {
    unsigned char kind = kSpecial[static_cast<unsigned char>(c)];
    return kind != 0 && kind <= limit;
  };
  size_t i = 0;
  while (i < text.size()) {
    // Runs of plain text are copied whole.
    size_t next = i;
    while (next < text.size() && !special(text[next])) ++next;
    html.append(text, i, next - i);
    if (next == text.size()) break;
    i = next + 1;
    switch (text[next]) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      default:  // a line break: CR LF, CR or LF
        if (text[next] == '\r' && i < text.size() && text[i] == '\n') ++i;
        html += "<br>";
    }
  }
}

std::string HtmlEscape(std::string_view text, LineBreaks breaks) {
  std::string html;
  html.reserve(text.size() + text.size() / 8);
  AppendHtmlEscaped(html, text, breaks);
  return html;
}

std::string Join(const std::vector<std::string>& parts, std::string_view delimiter) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.append(delimiter);
    out.append(parts[i]);
  }
  return out;
}

int TextCompare(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = LowerByte(a, i), cb = LowerByte(b, i);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool TextEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && TextCompare(a, b) == 0;
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return prefix.size() <= s.size() && TextEquals(s.substr(0, prefix.size()), prefix);
}

void AppendUtf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    auto c = static_cast<unsigned char>(bytes[i]);
    size_t extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      auto cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace zanvoro
