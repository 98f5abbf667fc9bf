#include <gtest/gtest.h>

#include "host/os/Locale.h"
#include "host/os/TempDir.h"

namespace zanvoro::host {
namespace {

using testsupport::ScopedEnv;

// A sample of the table: each language of the add-in, a country of its own
// within one, a language alone or with an unknown country, spelling variants,
// and names without a language of the table.
TEST(Locale, LocaleNamesGiveTheirLcids) {
  struct {
    const char* name;
    uint32_t lcid;
  } cases[] = {{"en_US.UTF-8", 1033},
               {"en_GB.UTF-8", 2057},
               {"de_DE", 1031},
               {"de_AT.UTF-8", 3079},
               {"fr_FR", 1036},
               {"fr_CA", 3084},
               {"nl_BE", 2067},
               {"nb_NO.UTF-8", 1044},
               {"nn_NO", 2068},
               {"sv_SE", 1053},
               {"fi_FI", 1035},
               {"es_ES", 3082},
               {"es_MX", 2058},
               {"es_PR", 20490},
               {"pt_BR", 1046},
               {"de", 1031},
               {"nn", 2068},
               {"de_XX.UTF-8", 1031},
               {"es_JP", 3082},
               {"DE_at.utf8", 3079},
               {"de-AT", 3079},
               {"de_AT@euro", 3079},
               {"es_MX.ISO-8859-1", 2058},
               {"", 1033},
               {"C", 1033},
               {"POSIX", 1033},
               {"C.UTF-8", 1033},
               {"ja_JP.UTF-8", 1033},
               {"xx", 1033},
               {"_", 1033}};
  for (const auto& c : cases) {
    EXPECT_EQ(LcidFromLocaleName(c.name), c.lcid) << c.name;
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
