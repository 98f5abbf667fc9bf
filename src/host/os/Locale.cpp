#include "host/os/Locale.h"

#include <cstdlib>

namespace zanvoro::host {
namespace {

struct LocaleEntry {
  std::string_view language;
  std::string_view country;  // empty: the language's primary country
  uint32_t lcid;
};

// The first entry of each language is its primary country.
constexpr LocaleEntry kLocales[] = {
    {"en", "US", 1033},
    {"en", "GB", 2057},
    {"en", "AU", 3081},
    {"en", "CA", 4105},
    {"en", "NZ", 5129},
    {"en", "IE", 6153},
    {"en", "ZA", 7177},
    {"en", "JM", 8201},
    {"en", "BZ", 10249},
    {"en", "TT", 11273},
    {"en", "ZW", 12297},
    {"en", "PH", 13321},
    {"en", "IN", 16393},
    {"en", "MY", 17417},
    {"en", "SG", 18441},
    {"fr", "FR", 1036},
    {"fr", "BE", 2060},
    {"fr", "CA", 3084},
    {"fr", "CH", 4108},
    {"fr", "LU", 5132},
    {"fr", "MC", 6156},
    {"de", "DE", 1031},
    {"de", "CH", 2055},
    {"de", "AT", 3079},
    {"de", "LU", 4103},
    {"de", "LI", 5127},
    {"nl", "NL", 1043},
    {"nl", "BE", 2067},
    // Bokmal is the primary Norwegian; "no" is the older name of Bokmal.
    {"nb", "NO", 1044},
    {"no", "NO", 1044},
    {"nn", "NO", 2068},
    // Spain with the modern sort order is the primary Spanish.
    {"es", "ES", 3082},
    {"es", "MX", 2058},
    {"es", "GT", 4106},
    {"es", "CR", 5130},
    {"es", "PA", 6154},
    {"es", "DO", 7178},
    {"es", "VE", 8202},
    {"es", "CO", 9226},
    {"es", "PE", 10250},
    {"es", "AR", 11274},
    {"es", "EC", 12298},
    {"es", "CL", 13322},
    {"es", "UY", 14346},
    {"es", "PY", 15370},
    {"es", "BO", 16394},
    {"es", "SV", 17418},
    {"es", "HN", 18442},
    {"es", "NI", 19466},
    {"es", "PR", 20490},
    {"es", "US", 21514},
    {"sv", "SE", 1053},
    {"sv", "FI", 2077},
    {"fi", "FI", 1035},
    {"it", "IT", 1040},
    {"it", "CH", 2064},
    {"pt", "BR", 1046},
    {"pt", "PT", 2070},
    {"da", "DK", 1030},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

uint32_t LcidFromLocaleName(std::string_view locale_name) {
  locale_name = locale_name.substr(0, locale_name.find_first_of(".@"));
  size_t separator = locale_name.find_first_of("_-");
  std::string language;
  for (char c : locale_name.substr(0, separator)) language += Lower(c);
  std::string country;
  if (separator != std::string_view::npos) {
    for (char c : locale_name.substr(separator + 1)) country += Upper(c);
  }

  const LocaleEntry* primary = nullptr;
  for (const LocaleEntry& entry : kLocales) {
    if (entry.language != language) continue;
    if (entry.country == country) return entry.lcid;
    if (!primary) primary = &entry;
  }
  return primary ? primary->lcid : kLcidEnglishUnitedStates;
}

std::string SystemLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

uint32_t SystemDefaultLCID() { return LcidFromLocaleName(SystemLocaleName()); }

}  // namespace zanvoro::host
