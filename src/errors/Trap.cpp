#include "errors/Trap.h"

#include <exception>
#include <limits>
#include <string>

namespace zanvoro {

namespace {

int16_t ReportedLine(int line) {
  // The report has room for a 16-bit line number only.
  if (line < 0 || line > std::numeric_limits<int16_t>::max()) return 0;
  return static_cast<int16_t>(line);
}

}  // namespace

void Raise(Error error, std::source_location where) {
  error.SetLine(static_cast<int>(where.line()));
  throw std::move(error);
}

void ReportCurrentException(std::string_view location) noexcept {
  try {
    try {
      throw;
    } catch (const Error& error) {
      ShowError(error.Description(), error.Number(), ReportedLine(error.Line()), location,
                DirectSend::Hidden, error.Source());
    } catch (const std::exception& error) {
      ShowError(error.what(), err::kCallFailed, 0, location, DirectSend::Hidden);
    } catch (...) {
      ShowError("Unknown failure", err::kCallFailed, 0, location, DirectSend::Hidden);
    }
  } catch (...) {  // the report path never raises; this is the last guard
  }
}

}  // namespace zanvoro
