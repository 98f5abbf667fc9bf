// The user-interface texts: one process-wide phrase variable per key, filled
// from the phrase table in the selected language, and the choice of that
// language from a language name or the system locale.
//
// Threading: the phrase variables, the phrase collection and FindPhrase are
// not thread-safe. They are loaded at connection and after a reset of the
// connection settings on the UI thread, and read only on that thread.
#pragma once

#include <string>
#include <string_view>

#include "text/PhraseKeys.h"

namespace zanvoro {

// Every phrase variable, named by its key (CONST_ADD, CONST_CANCEL, ...).
// Empty until the first load.
#define ZANVORO_DECLARE_PHRASE(key) extern std::string key;
ZANVORO_PHRASE_KEYS(ZANVORO_DECLARE_PHRASE)
#undef ZANVORO_DECLARE_PHRASE

// Language indexes, which are also the columns of the phrase table.
inline constexpr int kLanguageEnglish = 1;
inline constexpr int kLanguageSpanish = 2;
inline constexpr int kLanguageNorwegian = 3;
inline constexpr int kLanguageDutch = 4;
inline constexpr int kLanguageGerman = 5;
inline constexpr int kLanguageFrench = 6;
inline constexpr int kLanguageSwedish = 7;
inline constexpr int kLanguageFinnish = 8;

// "ENGLISH", "ESPANOL", "NORWEGIAN", "DUTCH", "GERMAN", "FRENCH", "SWEDISH",
// "FINNISH" for indexes 1 to 8; empty for any other index.
std::string_view LanguageName(int language_index);

// The index of a language name, compared upper-cased ("espanol" gives 2);
// any other name, the empty one included, gives LanguageIndexFromLcid of
// `system_lcid`.
int LanguageIndexFromName(std::string_view name, int system_lcid);

// The language of a system locale identifier: Dutch, Finnish, French, German,
// Norwegian, Spanish and Swedish locales give their language, any other
// locale English (1).
int LanguageIndexFromLcid(int lcid);

// Whether a system locale maps to French (index 6); it picks the French set
// of default notification templates whatever the interface language is.
bool IsFrenchLocale(int lcid);

// Loads the table compiled into the program: LoadPhrasesFromTable of it.
void LoadPhrases(int language_index);

// Reads `utf16le_bytes` (the stored phrase-table format, see PhraseTable.h)
// into the phrase collection, then copies each key's phrase into its phrase
// variable, in table order. Raises Error and stops at the first failure:
// a table that cannot be read leaves the collection and every variable as
// they were; a key missing from the table stops the copying at that key,
// and the variables after it keep their previous values.
void LoadPhrasesFromTable(std::string_view utf16le_bytes, int language_index);

// The phrase variable `phrase`, or `english` while it is empty (the table
// is not loaded yet, or holds no text for it in this language).
std::string PhraseOr(const std::string& phrase, std::string_view english);

// The loaded phrase of `key` (compared without regard to case): the phrase
// variable of a known key, else the phrase of a key that only the table
// holds; nullptr for a key that is neither. A variable's address is stable;
// a table-only phrase's address is valid until the next load.
const std::string* FindPhrase(std::string_view key);

}  // namespace zanvoro
