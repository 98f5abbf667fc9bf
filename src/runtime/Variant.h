// The dynamic value of the add-in's language: what item properties, settings
// and recordset fields hold. Conversions follow the classic runtime: numbers
// round half to even, booleans are -1 (true) and 0 (false), text converts by
// the rules below, and a value that does not fit raises Error(err::kOverflow).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "runtime/Date.h"

namespace zanvoro {

// A 64-bit fixed-point amount with four decimals (1.5 is stored as 15000).
struct Currency {
  int64_t scaled = 0;
  static constexpr int64_t kScale = 10000;
  static Currency FromScaled(int64_t v) { return Currency{v}; }
  double ToDouble() const { return static_cast<double>(scaled) / kScale; }
  friend constexpr auto operator<=>(Currency, Currency) = default;
};

enum class VarType {
  Empty = 0,
  Null = 1,
  Integer = 2,   // 16-bit
  Long = 3,      // 32-bit
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Boolean = 11,
  LongLong = 20,  // 64-bit
};

struct Empty {
  friend constexpr bool operator==(Empty, Empty) = default;
};
struct Null {
  friend constexpr bool operator==(Null, Null) = default;
};

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(Empty) {}
  Variant(Null v) : value_(v) {}
  Variant(int16_t v) : value_(v) {}
  Variant(int32_t v) : value_(v) {}
  Variant(int64_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(Currency v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(Date v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(std::string_view v) : value_(std::string(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}

  VarType Type() const;
  bool IsEmpty() const { return std::holds_alternative<Empty>(value_); }
  bool IsNull() const { return std::holds_alternative<Null>(value_); }
  bool IsText() const { return std::holds_alternative<std::string>(value_); }
  // The name the runtime's TypeName gave: "Empty", "Null", "Integer", "Long",
  // "LongLong", "Double", "Currency", "Date", "String", "Boolean".
  std::string TypeName() const;

  // Direct access; the caller checks Type() first.
  const std::string& Text() const { return std::get<std::string>(value_); }
  template <class T>
  const T* As() const { return std::get_if<T>(&value_); }

  // Equality of type and value (not the runtime's loose comparison).
  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  std::variant<Empty, Null, int16_t, int32_t, int64_t, double, Currency, bool, Date,
               std::string>
      value_;
};

// Conversions. Empty converts to 0, "" or false; Null raises
// Error(err::kInvalidUseOfNull) except where noted; text that is not numeric
// raises Error(err::kTypeMismatch).
bool IsNumeric(const Variant& v);  // numbers, booleans, numeric text; not Empty
bool IsNumeric(std::string_view text);
bool IsDate(const Variant& v);     // dates, and text that reads as a date
int16_t CInt(const Variant& v);
int32_t CLng(const Variant& v);
int64_t CLngLng(const Variant& v);
double CDbl(const Variant& v);
Currency CCur(const Variant& v);
bool CBool(const Variant& v);  // "True"/"False" (any case) and numbers
// Numbers in shortest round-trip form up to 15 significant digits, booleans as
// "True"/"False", dates as the general date text, Null raises.
std::string CStr(const Variant& v);
Date CDate(const Variant& v);  // numbers are day counts; text must read as a date
// Round half to even, as CLng and CInt do.
double RoundHalfEven(double x);
// Text of a currency amount: up to four decimals, no trailing zeros ("1.5").
std::string CurrencyText(Currency c);
// The number at the start of a text, as Val does: leading blanks skipped,
// "&H1F" hex, stops at the first character that cannot continue a number; 0
// when there is none. Never raises.
double Val(std::string_view text);

}  // namespace zanvoro
