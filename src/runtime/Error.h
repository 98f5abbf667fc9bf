// The error value every layer raises and tests: a 32-bit number, a
// description, a source, and where it happened (location string and line).
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace zanvoro {

// Error numbers that the add-in tests right after a call. Mail-client numbers
// are HRESULTs kept as signed 32-bit values, exactly as they were reported.
namespace err {
// Language runtime errors.
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kDivisionByZero = 11;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kFileAlreadyExists = 58;
inline constexpr int32_t kDiskFull = 61;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathNotFound = 76;
inline constexpr int32_t kObjectRequired = 424;
inline constexpr int32_t kKeyAlreadyAssociated = 457;
inline constexpr int32_t kInvalidUseOfNull = 94;
// Mail-client (store) errors.
inline constexpr int32_t kCallFailed = static_cast<int32_t>(0x80004005);
inline constexpr int32_t kNotEnoughMemory = static_cast<int32_t>(0x80040108);
inline constexpr int32_t kObjectChanged = static_cast<int32_t>(0x80040109);
inline constexpr int32_t kObjectDeleted = static_cast<int32_t>(0x8004010A);
inline constexpr int32_t kNotFound = static_cast<int32_t>(0x8004010F);
inline constexpr int32_t kMoveFailed = static_cast<int32_t>(0x80040680);
inline constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);
inline constexpr int32_t kNetworkError = static_cast<int32_t>(0x96A40115);
// A store file that is damaged or written by a newer version.
inline constexpr int32_t kCorruptData = static_cast<int32_t>(0x8004011B);
inline constexpr int32_t kVersionMismatch = static_cast<int32_t>(0x80040110);
}  // namespace err

class Error : public std::exception {
 public:
  Error(int32_t number, std::string description, std::string source = {});

  int32_t Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& Source() const noexcept { return source_; }
  // Location string of the procedure that raised or trapped it ("Case.GetCase").
  const std::string& Location() const noexcept { return location_; }
  int Line() const noexcept { return line_; }
  void SetLocation(std::string location) { location_ = std::move(location); }
  void SetLine(int line) { line_ = line; }

  // The number as the mail client printed it: "0x80040109" for negative
  // numbers, decimal otherwise.
  std::string NumberText() const;

  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
  std::string location_;
  int line_ = 0;
};

// Constructors for the errors raised most often, with the runtime's own texts.
Error OverflowError();
Error TypeMismatchError();
Error InvalidProcedureCallError();
Error InvalidUseOfNullError();
Error ObjectChangedError(std::string source = {});
Error ObjectDeletedError(std::string source = {});
Error NotFoundError(std::string what, std::string source = {});
Error AccessDeniedError(std::string what, std::string source = {});

}  // namespace zanvoro
