// Checks of a phrase table in the stored format, written as lists of problems
// so that a failing test names every faulty line at once. The column checks
// take a language column, so each language's texts are checked the same way.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::testing {

// The bracketed placeholders ("[LF]", "[CASE1]") and the VNH_ words of a text.
std::set<std::string> PlaceholdersOf(std::string_view text);

// Format problems: not UTF-16LE, no byte-order mark, no final CR LF, a line
// without exactly nine fields, a CR or LF inside a field, a key that is not
// known or appears twice, a known key that is missing.
std::vector<std::string> TableProblems(std::string_view utf16le_bytes);

// Problems of one language column (1 English ... 8 Finnish): an empty text,
// and for the other languages a set of placeholders that differs from the
// English one.
std::vector<std::string> ColumnProblems(std::string_view utf16le_bytes, int column);

}  // namespace zanvoro::testing
