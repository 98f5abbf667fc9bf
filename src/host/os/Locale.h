// The system default locale as the numeric locale identifier (LCID) that the
// add-in maps to a user-interface language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zanvoro::host {

inline constexpr uint32_t kLcidEnglishUnitedStates = 1033;

// The LCID of a POSIX locale name "language[_COUNTRY][.codeset][@modifier]"
// (a "-" between language and country is accepted too): "de_AT.UTF-8" gives
// 3079, "es_MX" 2058. A language without a country, or with a country the
// table does not know, gives the language's primary country ("de" gives
// 1031, "es" 3082). "C", "POSIX", the empty name and unknown languages give
// 1033 (English, United States).
uint32_t LcidFromLocaleName(std::string_view locale_name);

// The locale name that decides the messages' language: the first non-empty
// of LC_ALL, LC_MESSAGES and LANG; empty when none is set.
std::string SystemLocaleName();

// LcidFromLocaleName(SystemLocaleName()).
uint32_t SystemDefaultLCID();

}  // namespace zanvoro::host
