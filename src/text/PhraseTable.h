// The phrase table: UTF-16LE text with a byte-order mark, one phrase per CR LF
// terminated line, TAB-separated fields: the key, then the phrase in the eight
// languages in language-index order (1 English ... 8 Finnish).
#pragma once

#include <string_view>

#include "runtime/Dictionary.h"
#include "text/cPhrase.h"

namespace zanvoro {

inline constexpr int kLanguageCount = 8;

// Reads every line of `utf16le_bytes` into a phrase collection keyed by
// phrase key (compared without regard to case), taking each line's field
// `language_index`, or the English field when that one is empty or missing.
// A leading byte-order mark is dropped, from the text and from the first
// key. The piece after the last CR LF is not read. Raises Error on text that
// is not UTF-16LE, on a line without an English field, on a repeated key
// (err::kKeyAlreadyAssociated) and on a language index outside 1 to 8.
Dictionary<cPhrase> ReadPhraseTable(std::string_view utf16le_bytes, int language_index);

// The table compiled into the program, in the stored format above.
std::string_view EmbeddedPhraseTable();

}  // namespace zanvoro
