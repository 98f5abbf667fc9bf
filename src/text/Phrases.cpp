#include "text/Phrases.h"

#include <algorithm>
#include <array>

#include "runtime/Dictionary.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "text/PhraseTable.h"

namespace zanvoro {

#define ZANVORO_DEFINE_PHRASE(key) std::string key;
ZANVORO_PHRASE_KEYS(ZANVORO_DEFINE_PHRASE)
#undef ZANVORO_DEFINE_PHRASE

namespace {

struct PhraseVariable {
  std::string_view key;
  std::string* variable;
};

#define ZANVORO_PHRASE_VARIABLE(key) PhraseVariable{#key, &key},
constexpr PhraseVariable kPhraseVariables[] = {
    ZANVORO_PHRASE_KEYS(ZANVORO_PHRASE_VARIABLE)};
#undef ZANVORO_PHRASE_VARIABLE

constexpr std::array<std::string_view, kLanguageCount> kLanguageNames = {
    "ENGLISH", "ESPANOL", "NORWEGIAN", "DUTCH", "GERMAN", "FRENCH", "SWEDISH", "FINNISH"};

struct LocaleLanguage {
  int lcid;
  int language_index;
};

constexpr LocaleLanguage kLocaleLanguages[] = {
    {1043, kLanguageDutch},    {2067, kLanguageDutch},     {1035, kLanguageFinnish},
    {1036, kLanguageFrench},   {2060, kLanguageFrench},    {3084, kLanguageFrench},
    {5132, kLanguageFrench},   {4108, kLanguageFrench},    {1031, kLanguageGerman},
    {3079, kLanguageGerman},   {5127, kLanguageGerman},    {4103, kLanguageGerman},
    {2055, kLanguageGerman},   {1044, kLanguageNorwegian}, {3082, kLanguageSpanish},
    {1034, kLanguageSpanish},  {11274, kLanguageSpanish},  {16394, kLanguageSpanish},
    {13322, kLanguageSpanish}, {9226, kLanguageSpanish},   {5130, kLanguageSpanish},
    {7178, kLanguageSpanish},  {12298, kLanguageSpanish},  {4106, kLanguageSpanish},
    {18442, kLanguageSpanish}, {2058, kLanguageSpanish},   {19466, kLanguageSpanish},
    {6154, kLanguageSpanish},  {10250, kLanguageSpanish},  {20490, kLanguageSpanish},
    {15370, kLanguageSpanish}, {17418, kLanguageSpanish},  {14346, kLanguageSpanish},
    {8202, kLanguageSpanish},  {1053, kLanguageSwedish},
};

// The phrase collection of the last successful read, for the life of the
// program.
Dictionary<cPhrase>& Collection() {
  static Dictionary<cPhrase> collection;
  return collection;
}

// Phrase variables by key, for FindPhrase.
const Dictionary<std::string*>& VariablesByKey() {
  static const Dictionary<std::string*> variables = [] {
    Dictionary<std::string*> by_key;
    for (const PhraseVariable& entry : kPhraseVariables) {
      by_key.Add(std::string(entry.key), entry.variable);
    }
    return by_key;
  }();
  return variables;
}

}  // namespace

std::string_view LanguageName(int language_index) {
  if (language_index < 1 || language_index > kLanguageCount) return {};
  return kLanguageNames[static_cast<size_t>(language_index - 1)];
}

int LanguageIndexFromName(std::string_view name, int system_lcid) {
  const std::string upper = UCase(name);
  for (int index = 1; index <= kLanguageCount; ++index) {
    if (upper == LanguageName(index)) return index;
  }
  return LanguageIndexFromLcid(system_lcid);
}

int LanguageIndexFromLcid(int lcid) {
  const auto* found =
      std::find_if(std::begin(kLocaleLanguages), std::end(kLocaleLanguages),
                   [lcid](const LocaleLanguage& l) { return l.lcid == lcid; });
  return found == std::end(kLocaleLanguages) ? kLanguageEnglish : found->language_index;
}

bool IsFrenchLocale(int lcid) { return LanguageIndexFromLcid(lcid) == kLanguageFrench; }

void LoadPhrases(int language_index) {
  LoadPhrasesFromTable(EmbeddedPhraseTable(), language_index);
}

void LoadPhrasesFromTable(std::string_view utf16le_bytes, int language_index) {
  Collection() = ReadPhraseTable(utf16le_bytes, language_index);
  for (const PhraseVariable& entry : kPhraseVariables) {
    const cPhrase* phrase = Collection().Find(entry.key);
    if (phrase == nullptr) {
      throw Error(err::kInvalidProcedureCall,
                  "The phrase table has no phrase for " + std::string(entry.key),
                  "Language.LoadPhrases");
    }
    *entry.variable = phrase->LangPhrase;
  }
}

std::string PhraseOr(const std::string& phrase, std::string_view english) {
  return phrase.empty() ? std::string(english) : phrase;
}

const std::string* FindPhrase(std::string_view key) {
  if (std::string* const* variable = VariablesByKey().Find(key)) return *variable;
  const cPhrase* phrase = Collection().Find(key);
  return phrase == nullptr ? nullptr : &phrase->LangPhrase;
}

}  // namespace zanvoro
