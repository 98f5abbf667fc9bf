// Checks of the phrase table compiled into the program.
#include <gtest/gtest.h>

#include "text/PhraseTable.h"
#include "text/PhraseTableCheck.h"
#include "text/Phrases.h"
#include "text/Utf16.h"

namespace zanvoro {
namespace {

using testing::ColumnProblems;
using testing::TableProblems;

std::string Join(const std::vector<std::string>& problems) {
  std::string all;
  for (const auto& p : problems) all += p + "\n";
  return all;
}

TEST(EmbeddedPhraseTable, IsWellFormedAndHoldsEveryKeyInUseOnce) {
  const auto problems = TableProblems(EmbeddedPhraseTable());
  EXPECT_TRUE(problems.empty()) << Join(problems);
}

TEST(EmbeddedPhraseTable, HasEnglishTextForEveryKey) {
  const auto problems = ColumnProblems(EmbeddedPhraseTable(), kLanguageEnglish);
  EXPECT_TRUE(problems.empty()) << Join(problems);
}

// The language columns filled in for every key. A column joins this list
// once all its texts are written.
constexpr int kTranslatedLanguages[] = {
    kLanguageSpanish, kLanguageNorwegian, kLanguageDutch,   kLanguageGerman,
    kLanguageFrench,  kLanguageSwedish,   kLanguageFinnish,
};

TEST(EmbeddedPhraseTable, HasTextWithTheEnglishPlaceholdersForEveryKeyInEachTranslation) {
  for (const int column : kTranslatedLanguages) {
    const auto problems = ColumnProblems(EmbeddedPhraseTable(), column);
    EXPECT_TRUE(problems.empty()) << LanguageName(column) << ":\n" << Join(problems);
  }
}

TEST(LoadPhrases, ShowsTheTextsOfEachLanguage) {
  struct {
    int language;
    const char* cancel;
    const char* new_case;
  } cases[] = {
      {kLanguageEnglish, "Cancel", "New Case"},
      {kLanguageSpanish, "Cancelar", "Nuevo caso"},
      {kLanguageNorwegian, "Avbryt", "Ny sak"},
      {kLanguageDutch, "Annuleren", "Nieuwe melding"},
      {kLanguageGerman, "Abbrechen", "Neues Ticket"},
      {kLanguageSwedish, "Avbryt", "Nytt ärende"},
      {kLanguageFinnish, "Peruuta", "Uusi tiketti"},
  };
  for (const auto& c : cases) {
    LoadPhrases(c.language);
    EXPECT_EQ(CONST_CANCEL, c.cancel) << c.language;
    EXPECT_EQ(CONST_NEW_CASE, c.new_case) << c.language;
  }
  LoadPhrases(kLanguageFrench);
  EXPECT_FALSE(CONST_CANCEL.empty());
  EXPECT_NE(CONST_CANCEL, "Cancel");
  LoadPhrases(kLanguageSpanish);
  EXPECT_EQ(CONST_MANDATORY_FIELDS_NOT_FILLED,
            "¡El campo [FIELD] es obligatorio y no puede estar vacío!");
}

TEST(PhraseTableCheck, ReportsAMissingTextAndAChangedPlaceholder) {
  const std::string table =
      "\xFF\xFE" + Utf8ToUtf16Le(
                       "CONST_ADD\tAdd [LF]\t\t\t\t\tAjouter [FL]\t\t\r\n"
                       "CONST_CANCEL\tCancel\t\t\t\t\t\t\t\r\n");
  const auto problems = ColumnProblems(table, kLanguageFrench);
  ASSERT_EQ(problems.size(), 2u) << Join(problems);
  EXPECT_NE(problems[0].find("CONST_ADD"), std::string::npos);
  EXPECT_NE(problems[1].find("CONST_CANCEL"), std::string::npos);
  EXPECT_TRUE(ColumnProblems(table, kLanguageEnglish).empty());
}

TEST(PhraseTableCheck, ReportsMissingRepeatedAndUnknownKeysAndShortLines) {
  const std::string table = "\xFF\xFE" + Utf8ToUtf16Le(
                                             "CONST_ADD\tAdd\t\t\t\t\t\t\t\r\n"
                                             "CONST_ADD\tAdd\t\t\t\t\t\t\t\r\n"
                                             "CONST_NOT_IN_USE\tX\t\t\t\t\t\t\t\r\n"
                                             "CONST_CANCEL\tCancel\t\t\r\n");
  const std::string all = Join(TableProblems(table));
  EXPECT_NE(all.find("line 2 (CONST_ADD) repeats its key"), std::string::npos) << all;
  EXPECT_NE(all.find("line 3 (CONST_NOT_IN_USE) has a key that is not in use"),
            std::string::npos);
  EXPECT_NE(all.find("line 4 (CONST_CANCEL) has 4 fields"), std::string::npos);
  EXPECT_NE(all.find("no line for CONST_OK"), std::string::npos);
}

}  // namespace
}  // namespace zanvoro
