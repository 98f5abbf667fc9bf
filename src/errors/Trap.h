// The failure convention, in one place. A public procedure runs its body
// under Trap with its location string ("Case.GetCase"):
//
//   std::string cCase::CasePrefixCode() {
//     return Trap("Case.CasePrefixCode", std::string{}, [&] { ... });
//   }
//
// Trap records the location (SetCurrentProcedure), runs the body and, when
// anything escapes it (a zanvoro::Error, another std::exception, anything
// else), reports it through ShowError under that location (only the first
// report of a run is shown) and returns the neutral value. Nothing escapes
// Trap. Expected failures are caught inside the body, right at the call,
// and tested by number.
//
// The failing line: an Error raised with Raise() carries the line of the
// raising statement; errors raised elsewhere report line 0.
#pragma once

#include <cstdint>
#include <source_location>
#include <string_view>
#include <utility>

#include "errors/modErroHandling.h"
#include "runtime/Error.h"

namespace zanvoro {

// Throws `error` with the line of the statement that calls Raise.
[[noreturn]] void Raise(Error error,
                        std::source_location where = std::source_location::current());

// Reports the exception being handled under `location`. Call only from a
// catch block.
void ReportCurrentException(std::string_view location) noexcept;

template <class T, class F>
T Trap(std::string_view location, T neutral, F&& body) {
  SetCurrentProcedure(location);
  try {
    return std::forward<F>(body)();
  } catch (...) {
    ReportCurrentException(location);
  }
  return neutral;
}

template <class F>
void Trap(std::string_view location, F&& body) {
  SetCurrentProcedure(location);
  try {
    std::forward<F>(body)();
  } catch (...) {
    ReportCurrentException(location);
  }
}

}  // namespace zanvoro
