#include <gtest/gtest.h>

#include "host/os/Locale.h"
#include "host/os/TempDir.h"

namespace zanvoro::host {
namespace {

using testsupport::ScopedEnv;

TEST(Locale, LocaleNamesGiveTheirLcids) {
  struct {
    const char* name;
    uint32_t lcid;
  } cases[] = {
      {"en_US", 1033},       {"en_US.UTF-8", 1033}, {"en_GB.UTF-8", 2057},
      {"de_AT.UTF-8", 3079}, {"de_DE", 1031},       {"de_CH", 2055},
      {"de_LU", 4103},       {"de_LI", 5127},       {"fr_FR", 1036},
      {"fr_BE", 2060},       {"fr_CA", 3084},       {"fr_CH", 4108},
      {"fr_LU", 5132},       {"nl_NL", 1043},       {"nl_BE", 2067},
      {"nb_NO.UTF-8", 1044}, {"no_NO", 1044},       {"nn_NO", 2068},
      {"sv_SE", 1053},       {"fi_FI", 1035},       {"it_IT", 1040},
      {"pt_BR", 1046},       {"pt_PT", 2070},       {"da_DK", 1030},
      {"es_ES", 3082},       {"es_MX", 2058},       {"es_GT", 4106},
      {"es_CR", 5130},       {"es_PA", 6154},       {"es_DO", 7178},
      {"es_VE", 8202},       {"es_CO", 9226},       {"es_PE", 10250},
      {"es_AR", 11274},      {"es_EC", 12298},      {"es_CL", 13322},
      {"es_UY", 14346},      {"es_PY", 15370},      {"es_BO", 16394},
      {"es_SV", 17418},      {"es_HN", 18442},      {"es_NI", 19466},
      {"es_PR", 20490},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LcidFromLocaleName(c.name), c.lcid) << c.name;
  }
}

TEST(Locale, LanguageAloneOrAnUnknownCountryGivesThePrimaryCountry) {
  struct {
    const char* name;
    uint32_t lcid;
  } cases[] = {
      {"de", 1031}, {"fr", 1036},          {"es", 3082},    {"en", 1033},
      {"nl", 1043}, {"sv", 1053},          {"fi", 1035},    {"no", 1044},
      {"nn", 2068}, {"de_XX.UTF-8", 1031}, {"es_JP", 3082},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LcidFromLocaleName(c.name), c.lcid) << c.name;
  }
}

TEST(Locale, SpellingVariantsOfANameAreAccepted) {
  EXPECT_EQ(LcidFromLocaleName("DE_at.utf8"), 3079u);
  EXPECT_EQ(LcidFromLocaleName("de-AT"), 3079u);
  EXPECT_EQ(LcidFromLocaleName("de_AT@euro"), 3079u);
  EXPECT_EQ(LcidFromLocaleName("es_MX.ISO-8859-1"), 2058u);
}

TEST(Locale, NeutralAndUnknownNamesGiveUnitedStatesEnglish) {
  for (const char* name : {"", "C", "POSIX", "C.UTF-8", "ja_JP.UTF-8", "xx", "_"}) {
    EXPECT_EQ(LcidFromLocaleName(name), 1033u) << name;
  }
}

TEST(Locale, LcAllWinsOverLcMessagesWhichWinsOverLang) {
  ScopedEnv all("LC_ALL", "fr_CA.UTF-8");
  ScopedEnv messages("LC_MESSAGES", "de_AT.UTF-8");
  ScopedEnv lang("LANG", "es_MX.UTF-8");
  EXPECT_EQ(SystemDefaultLCID(), 3084u);
  {
    ScopedEnv no_all("LC_ALL", "");
    EXPECT_EQ(SystemDefaultLCID(), 3079u);
    ScopedEnv no_messages("LC_MESSAGES", nullptr);
    EXPECT_EQ(SystemDefaultLCID(), 2058u);
    ScopedEnv no_lang("LANG", nullptr);
    EXPECT_EQ(SystemDefaultLCID(), 1033u);
  }
}

}  // namespace
}  // namespace zanvoro::host
