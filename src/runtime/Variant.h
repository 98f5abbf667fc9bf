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
  Integer = 2,  // 16-bit
  Long = 3,     // 32-bit
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
  const T* As() const {
    return std::get_if<T>(&value_);
  }

  // Equality of type and value (not the runtime's loose comparison).
  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  std::variant<Empty, Null, int16_t, int32_t, int64_t, double, Currency, bool, Date,
               std::string>
      value_;
};

// Conversions. Empty converts to 0, "" or false; Null raises
// Error(err::kInvalidUseOfNull) except where noted; text that is not numeric
// raises Error(err::kTypeMismatch); a value outside the target's range raises
// Error(err::kOverflow).
//
// Numeric text: optional blanks (space, tab, CR, LF) around it, an optional
// sign, digits with an optional "." and an optional exponent ("1.5E-3"), or
// "&H" hex / "&O" octal digits. A hex or octal value up to &HFFFF is a 16-bit
// one and up to &HFFFFFFFF a 32-bit one, so "&HFFFF" is -1 and "&H10000" is
// 65536. "" and blanks alone are not numbers; "." is always the decimal point.
bool IsNumeric(const Variant& v);  // numbers, booleans, numeric text; not Empty or dates
bool IsNumeric(std::string_view text);
inline bool IsNumeric(const std::string& text) {
  return IsNumeric(std::string_view(text));
}
inline bool IsNumeric(const char* text) { return IsNumeric(std::string_view(text)); }
bool IsDate(const Variant& v);  // dates, and text that reads as a date
inline bool IsDate(const std::string& text) { return IsDate(std::string_view(text)); }
inline bool IsDate(const char* text) { return IsDate(std::string_view(text)); }
int16_t CInt(const Variant& v);
int32_t CLng(const Variant& v);
int64_t CLngLng(const Variant& v);
double CDbl(const Variant& v);
Currency CCur(const Variant& v);
bool CBool(const Variant& v);  // "True"/"False" (any case) and numbers
// Numbers in their shortest form with up to 15 significant digits, in
// exponent form below 0.0001 and from 1E+15 ("1.5E-07", "1E+20"); currency as
// CurrencyText; booleans as "True"/"False"; dates as the general date text.
std::string CStr(const Variant& v);
// Numbers are day counts (years 100 to 9999, else kOverflow); text must read
// as a date.
Date CDate(const Variant& v);
// Round half to even, as CLng and CInt do.
double RoundHalfEven(double x);
// Text of a currency amount: up to four decimals, no trailing zeros ("1.5").
std::string CurrencyText(Currency c);
// The number at the start of a text, as Val does: blanks are skipped, also
// inside the number (" 1 2" is 12), "&H1F" hex and "&O17" octal as above,
// stops at the first character that cannot continue a number; 0 when there is
// none or when the number is beyond the range of a double. Never raises.
double Val(std::string_view text);

}  // namespace zanvoro
