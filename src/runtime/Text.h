// Text helpers with the classic runtime's semantics, on UTF-8 strings.
// Positions are 1-based and count bytes; case-insensitive comparison folds
// ASCII letters (and Latin-1 letters in UTF-8) the way the runtime's text compare did.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zanvoro {

enum class CompareMode { Binary, Text };

std::string Trim(std::string_view s);  // spaces only, as the runtime's Trim
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Whether `text` holds nothing but spaces, tabs, line breaks and form feeds.
bool IsBlank(std::string_view text);
// Upper and lower case of ASCII and Latin-1 letters; other bytes are kept,
// and so is the length. LCase(a) == LCase(b) exactly when TextEquals(a, b),
// which makes LCase a key for case-insensitive lookups.
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
std::string Left(std::string_view s, size_t n);
std::string Right(std::string_view s, size_t n);
// Mid(s, start, length) with 1-based start; start past the end gives "";
// start 0 raises Error(err::kInvalidProcedureCall).
std::string Mid(std::string_view s, size_t start, size_t length = std::string_view::npos);
// 1-based position of `find` in `s` from `start`, 0 when absent; an empty
// `s` gives 0, else an empty `find` returns `start` (when start <= Len(s) + 1).
// start 0 raises Error(err::kInvalidProcedureCall).
size_t InStr(size_t start, std::string_view s, std::string_view find,
             CompareMode mode = CompareMode::Binary);
size_t InStr(std::string_view s, std::string_view find,
             CompareMode mode = CompareMode::Binary);
// Whether `part` occurs in `text`, letter case counting; an empty `part`
// always does.
bool Contains(std::string_view text, std::string_view part);
// 1-based position of the last `find` in `s`, 0 when absent; an empty `find`
// gives Len(s).
size_t InStrRev(std::string_view s, std::string_view find,
                CompareMode mode = CompareMode::Binary);
// Replaces every occurrence; an empty `find` returns `s` unchanged.
std::string Replace(std::string_view s, std::string_view find, std::string_view with,
                    CompareMode mode = CompareMode::Binary);
// Splits keeping empty pieces ("a;;b" gives "a", "", "b"); an empty text gives
// no pieces at all, as the runtime's Split did; an empty delimiter gives the
// whole text as the one piece.
std::vector<std::string> Split(std::string_view s, std::string_view delimiter);
std::string Join(const std::vector<std::string>& parts, std::string_view delimiter);
// Case-insensitive equality and ordering, as compared with CompareMode::Text.
bool TextEquals(std::string_view a, std::string_view b);
int TextCompare(std::string_view a, std::string_view b);  // <0, 0, >0
bool StartsWithText(std::string_view s, std::string_view prefix);

// Text made safe inside HTML, as element content or a quoted attribute
// value: & < > " and ' become character references. With
// LineBreaks::AsBreaks, CR LF, CR and LF each become "<br>".
enum class LineBreaks { AsText, AsBreaks };
std::string HtmlEscape(std::string_view text, LineBreaks breaks = LineBreaks::AsText);
// The same, added to the end of `html` (for pages written into one string).
void AppendHtmlEscaped(std::string& html, std::string_view text,
                       LineBreaks breaks = LineBreaks::AsText);

// UTF-8: appends one code point (up to U+10FFFF) in its shortest form, and
// tells whether bytes are well-formed UTF-8 (no overlong forms, surrogates
// or code points past U+10FFFF).
void AppendUtf8(std::string& out, char32_t code_point);
bool IsValidUtf8(std::string_view bytes);

}  // namespace zanvoro
