#include "runtime/Error.h"

#include <cstdio>

namespace zanvoro {

Error::Error(int32_t number, std::string description, std::string source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {}

std::string Error::NumberText() const {
  if (number_ >= 0) return std::to_string(number_);
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(number_));
  return buf;
}

Error OverflowError() { return Error(err::kOverflow, "Overflow"); }
Error TypeMismatchError() { return Error(err::kTypeMismatch, "Type mismatch"); }
Error InvalidProcedureCallError() {
  return Error(err::kInvalidProcedureCall, "Invalid procedure call or argument");
}
Error InvalidUseOfNullError() { return Error(err::kInvalidUseOfNull, "Invalid use of Null"); }
Error ObjectChangedError(std::string source) {
  return Error(err::kObjectChanged,
               "The item has been changed by another user since it was opened.",
               std::move(source));
}
Error ObjectDeletedError(std::string source) {
  return Error(err::kObjectDeleted, "The item has been moved or deleted.", std::move(source));
}
Error NotFoundError(std::string what, std::string source) {
  return Error(err::kNotFound, "The object could not be found: " + what, std::move(source));
}
Error AccessDeniedError(std::string what, std::string source) {
  return Error(err::kAccessDenied,
               "You do not have sufficient permission to perform this operation on " + what +
                   ".",
               std::move(source));
}

}  // namespace zanvoro
