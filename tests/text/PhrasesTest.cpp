#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/Error.h"
#include "text/Phrases.h"
#include "text/Utf16.h"

namespace zanvoro {
namespace {

const std::vector<std::string>& KnownKeys() {
#define ZANVORO_KEY_NAME(key) #key,
  static const std::vector<std::string> keys = {ZANVORO_PHRASE_KEYS(ZANVORO_KEY_NAME)};
#undef ZANVORO_KEY_NAME
  return keys;
}

// A stored-format table from UTF-8 lines (each given without its CR LF).
std::string Table(const std::vector<std::string>& lines) {
  std::string text = "\xEF\xBB\xBF";
  for (const auto& line : lines) text += line + "\r\n";
  return Utf8ToUtf16Le(text);
}

// A line for every known key: "<tag> <key>" in English and French only,
// except the keys in `skip`.
std::vector<std::string> AllKeyLines(const std::string& tag,
                                     const std::vector<std::string>& skip = {}) {
  std::vector<std::string> lines;
  for (const auto& key : KnownKeys()) {
    if (std::find(skip.begin(), skip.end(), key) != skip.end()) continue;
    lines.push_back(key + "\t" + tag + " " + key + "\t\t\t\t\t" + tag + " fr " + key +
                    "\t\t");
  }
  return lines;
}

TEST(LoadPhrases, CopiesTheSelectedLanguageIntoThePhraseVariables) {
  auto lines = AllKeyLines("t1");
  lines.push_back("CONST_ONLY_IN_TABLE\tExtra\t\t\t\t\tEn plus\t\t");
  LoadPhrasesFromTable(Table(lines), kLanguageFrench);
  EXPECT_EQ(CONST_ADD, "t1 fr CONST_ADD");
  EXPECT_EQ(CONST_WORKLOAD_PARTICULAR_TECHNICIAN_DESCRIPTION_FOLDER,
            "t1 fr CONST_WORKLOAD_PARTICULAR_TECHNICIAN_DESCRIPTION_FOLDER");
  ASSERT_NE(FindPhrase("const_add"), nullptr);
  EXPECT_EQ(FindPhrase("const_add"), &CONST_ADD);
  ASSERT_NE(FindPhrase("CONST_ONLY_IN_TABLE"), nullptr);
  EXPECT_EQ(*FindPhrase("CONST_ONLY_IN_TABLE"), "En plus");
  EXPECT_EQ(FindPhrase("CONST_NOWHERE"), nullptr);
}

TEST(LoadPhrases, ReadsTheFirstKeyWithoutTheByteOrderMarkEvenWhenWrittenTwice) {
  LoadPhrasesFromTable(Table(AllKeyLines("bom")), kLanguageEnglish);
  EXPECT_EQ(CONST_TIMESPENT_IN_MINS, "bom CONST_TIMESPENT_IN_MINS");
  EXPECT_EQ(FindPhrase("\xEF\xBB\xBF"
                       "CONST_TIMESPENT_IN_MINS"),
            nullptr);
  LoadPhrasesFromTable("\xFF\xFE" + Table(AllKeyLines("twice")), kLanguageEnglish);
  EXPECT_EQ(CONST_TIMESPENT_IN_MINS, "twice CONST_TIMESPENT_IN_MINS");
}

TEST(LoadPhrases, FallsBackToEnglishForAnEmptyOrMissingField) {
  auto lines = AllKeyLines("fb", {"CONST_ADD", "CONST_CANCEL"});
  lines.push_back("CONST_ADD\tAdd\t\t\t\t\t\t\t");  // French field empty
  lines.push_back("CONST_CANCEL\tCancel");          // no field after English
  LoadPhrasesFromTable(Table(lines), kLanguageFrench);
  EXPECT_EQ(CONST_ADD, "Add");
  EXPECT_EQ(CONST_CANCEL, "Cancel");
  LoadPhrasesFromTable(Table(lines), kLanguageSpanish);
  EXPECT_EQ(CONST_OK, "fb CONST_OK");
}

TEST(LoadPhrases, IgnoresTheLastPieceWhenItHasNoCrLf) {
  std::string text = "\xEF\xBB\xBF";
  for (const auto& line : AllKeyLines("last")) text += line + "\r\n";
  text += "CONST_ADD\tNot read\t\t\t\t\t\t\t";
  LoadPhrasesFromTable(Utf8ToUtf16Le(text), kLanguageEnglish);
  EXPECT_EQ(CONST_ADD, "last CONST_ADD");
}

TEST(LoadPhrases, KeepsEveryVariableWhenTheTableIsMalformedUtf16) {
  LoadPhrasesFromTable(Table(AllKeyLines("good")), kLanguageEnglish);
  std::string broken = Table(AllKeyLines("bad"));
  broken += "\x3D\xD8";  // a high surrogate with nothing after it
  try {
    LoadPhrasesFromTable(broken, kLanguageEnglish);
    FAIL() << "malformed table accepted";
  } catch (const Error& e) {
    EXPECT_NE(e.Description().find("high surrogate"), std::string::npos)
        << e.Description();
  }
  EXPECT_EQ(CONST_ADD, "good CONST_ADD");
  EXPECT_EQ(*FindPhrase("CONST_ADD"), "good CONST_ADD");
}

TEST(LoadPhrases, StopsAtARepeatedKeyOrALineWithoutEnglish) {
  LoadPhrasesFromTable(Table(AllKeyLines("good")), kLanguageEnglish);
  auto repeated = AllKeyLines("rep");
  repeated.push_back(repeated.front());
  try {
    LoadPhrasesFromTable(Table(repeated), kLanguageEnglish);
    FAIL() << "repeated key accepted";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), err::kKeyAlreadyAssociated);
  }
  auto blank = AllKeyLines("blank");
  blank.insert(blank.begin() + 3, "");
  EXPECT_THROW(LoadPhrasesFromTable(Table(blank), kLanguageEnglish), Error);
  EXPECT_EQ(CONST_ADD, "good CONST_ADD");
}

TEST(LoadPhrases, StopsCopyingAtAKeyMissingFromTheTable) {
  LoadPhrasesFromTable(Table(AllKeyLines("old")), kLanguageEnglish);
  ASSERT_EQ(KnownKeys()[2], "CONST_ADD");
  EXPECT_THROW(
      LoadPhrasesFromTable(Table(AllKeyLines("new", {"CONST_ADD"})), kLanguageEnglish),
      Error);
  EXPECT_EQ(CONST_TIMESPENT_IN_MINS, "new CONST_TIMESPENT_IN_MINS");
  EXPECT_EQ(CONST_SHORT_DESCRIPTION, "new CONST_SHORT_DESCRIPTION");
  EXPECT_EQ(CONST_ADD, "old CONST_ADD");
  EXPECT_EQ(CONST_CANCEL, "old CONST_CANCEL");
}

TEST(LoadPhrases, RejectsALanguageIndexOutsideTheTable) {
  EXPECT_THROW(LoadPhrasesFromTable(Table(AllKeyLines("x")), 0), Error);
  EXPECT_THROW(LoadPhrasesFromTable(Table(AllKeyLines("x")), 9), Error);
}

TEST(LanguageChoice, MatchesLanguageNamesInAnyCaseElseTheSystemLocale) {
  struct {
    const char* name;
    int lcid;
    int language;
  } cases[] = {{"espanol", 1031, kLanguageSpanish}, {"EsPaNoL", 1033, kLanguageSpanish},
               {"FINNISH", 1033, kLanguageFinnish}, {"french", 1033, kLanguageFrench},
               {"ENGLISH", 1036, kLanguageEnglish}, {"", 1031, kLanguageGerman},
               {"KLINGON", 1031, kLanguageGerman},  {" english", 1036, kLanguageFrench},
               {"", 1041, kLanguageEnglish}};
  for (const auto& c : cases)
    EXPECT_EQ(LanguageIndexFromName(c.name, c.lcid), c.language) << c.name << c.lcid;
  EXPECT_EQ(LanguageName(kLanguageNorwegian), "NORWEGIAN");
  EXPECT_EQ(LanguageName(0), "");
}

TEST(LanguageChoice, MapsLocaleIdentifiersToLanguages) {
  struct {
    int lcid;
    int language;
  } cases[] = {
      {1033, kLanguageEnglish}, {2057, kLanguageEnglish},  {1041, kLanguageEnglish},
      {0, kLanguageEnglish},    {1043, kLanguageDutch},    {2067, kLanguageDutch},
      {1035, kLanguageFinnish}, {1036, kLanguageFrench},   {2060, kLanguageFrench},
      {3084, kLanguageFrench},  {5132, kLanguageFrench},   {4108, kLanguageFrench},
      {1031, kLanguageGerman},  {3079, kLanguageGerman},   {5127, kLanguageGerman},
      {4103, kLanguageGerman},  {2055, kLanguageGerman},   {1044, kLanguageNorwegian},
      {2068, kLanguageEnglish}, {3082, kLanguageSpanish},  {1034, kLanguageSpanish},
      {2058, kLanguageSpanish}, {20490, kLanguageSpanish}, {8202, kLanguageSpanish},
      {1053, kLanguageSwedish}, {2077, kLanguageEnglish},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageIndexFromLcid(c.lcid), c.language) << c.lcid;
  }
}

TEST(LanguageChoice, FrenchLocalesPickFrenchTemplatesWhateverTheInterfaceLanguage) {
  for (int lcid : {1036, 2060, 3084, 5132, 4108})
    EXPECT_TRUE(IsFrenchLocale(lcid)) << lcid;
  for (int lcid : {1033, 1031, 3082, 1041}) EXPECT_FALSE(IsFrenchLocale(lcid)) << lcid;
}

}  // namespace
}  // namespace zanvoro
