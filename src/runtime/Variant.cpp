#include "runtime/Variant.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <system_error>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

// Day counts of 1 January 100 and of 1 January 10000, the bounds of a date.
constexpr double kFirstDateSerial = -657434.0;
constexpr double kPastLastDateSerial = 2958466.0;

// 2^63 as a double: the first value a 64-bit integer cannot hold.
constexpr double kTwoPow63 = 9223372036854775808.0;

// An exponent this large already overflows every type; reading stops growing
// it so that "1E99999999999999999999" cannot overflow the counter itself.
constexpr int64_t kExponentCap = 100000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int radix) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d < radix ? d : -1;
}

// Hex and octal values take the narrowest of the 16-, 32- and 64-bit types
// that holds their bits, read as two's complement: &HFFFF is -1.
int64_t RadixValue(uint64_t bits) {
  if (bits <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(bits));
  if (bits <= 0xFFFFFFFF) return static_cast<int32_t>(static_cast<uint32_t>(bits));
  return static_cast<int64_t>(bits);
}

// A number read from text: either an exact integer (hex and octal) or
// (-1)^negative x digits x 10^exponent.
struct NumberText {
  bool negative = false;
  std::string digits;  // no leading or trailing zeros; empty for zero
  int64_t exponent = 0;
  std::optional<int64_t> radix_value;
};

// Reads "&H..." or "&O..." at `pos`; on success `pos` is past the digits.
// Blanks are skipped inside the digits when `skip_blanks` (Val), never
// otherwise.
std::optional<int64_t> ReadRadix(std::string_view s, size_t& pos, bool skip_blanks) {
  if (pos + 1 >= s.size() || s[pos] != '&') return std::nullopt;
  char r = s[pos + 1];
  int radix = (r == 'H' || r == 'h') ? 16 : (r == 'O' || r == 'o') ? 8 : 0;
  if (radix == 0) return std::nullopt;
  size_t i = pos + 2;
  uint64_t bits = 0;
  bool any = false;
  for (; i < s.size(); ++i) {
    if (skip_blanks && IsBlank(s[i])) continue;
    int d = DigitValue(s[i], radix);
    if (d < 0) break;
    bits = bits * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    any = true;
  }
  if (!any) return std::nullopt;
  pos = i;
  return RadixValue(bits);
}

// Reads a decimal number at `pos`: sign, digits, point, digits, exponent. On
// success `pos` is past the last character used. An exponent mark without
// digits after it is not used.
std::optional<NumberText> ReadDecimal(std::string_view s, size_t& pos, bool skip_blanks) {
  NumberText n;
  size_t i = pos;
  auto skip = [&] {
    while (skip_blanks && i < s.size() && IsBlank(s[i])) ++i;
  };
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    n.negative = s[i] == '-';
    ++i;
    skip();
  }
  bool any_digit = false;
  // Every digit after the point lowers the exponent, also a leading zero
  // that is not kept: "0.05" is 5 x 10^-2.
  int64_t point_shift = 0;
  bool seen_point = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (skip_blanks && IsBlank(c)) continue;
    if (IsDigit(c)) {
      any_digit = true;
      if (!(n.digits.empty() && c == '0')) n.digits.push_back(c);
      if (seen_point) --point_shift;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return std::nullopt;
  int64_t exponent = 0;
  size_t used = i;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    while (skip_blanks && j < s.size() && IsBlank(s[j])) ++j;
    bool exp_negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      exp_negative = s[j] == '-';
      ++j;
    }
    bool exp_digit = false;
    for (; j < s.size(); ++j) {
      if (skip_blanks && IsBlank(s[j])) continue;
      if (!IsDigit(s[j])) break;
      exp_digit = true;
      if (exponent < kExponentCap) exponent = exponent * 10 + (s[j] - '0');
    }
    if (exp_digit) {
      used = j;
      if (exp_negative) exponent = -exponent;
    }
  }
  n.exponent = exponent + point_shift;
  while (!n.digits.empty() && n.digits.back() == '0') {
    n.digits.pop_back();
    ++n.exponent;
  }
  if (n.digits.empty()) n.exponent = 0;
  pos = used;
  return n;
}

// The strict reading used by IsNumeric and the conversions: the whole text
// must be the number, with blanks allowed only around it.
std::optional<NumberText> ReadNumberText(std::string_view s) {
  size_t pos = 0;
  while (pos < s.size() && IsBlank(s[pos])) ++pos;
  std::optional<NumberText> n;
  if (auto radix = ReadRadix(s, pos, false)) {
    n = NumberText{};
    n->radix_value = *radix;
  } else {
    n = ReadDecimal(s, pos, false);
  }
  if (!n) return std::nullopt;
  while (pos < s.size() && IsBlank(s[pos])) ++pos;
  if (pos != s.size()) return std::nullopt;
  return n;
}

// The double nearest to the number, or nullopt when it is beyond a double's
// range (values too small for a double become 0).
std::optional<double> ToDouble(const NumberText& n) {
  if (n.radix_value) return static_cast<double>(*n.radix_value);
  if (n.digits.empty()) return 0.0;
  std::string text = n.digits + "e" + std::to_string(n.exponent);
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large when the integer part has digits, else too small.
    if (static_cast<int64_t>(n.digits.size()) + n.exponent > 0) return std::nullopt;
    value = 0;
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  return n.negative ? -value : value;
}

bool MulAdd(uint64_t& acc, uint64_t factor, uint64_t add) {
  return !__builtin_mul_overflow(acc, factor, &acc) &&
         !__builtin_add_overflow(acc, add, &acc);
}

// The number times 10^scale_digits, rounded half to even, exactly from the
// decimal digits; nullopt when it does not fit 64 bits.
std::optional<int64_t> ToScaled(const NumberText& n, int scale_digits) {
  if (n.radix_value) {
    int64_t v = *n.radix_value;
    for (int k = 0; k < scale_digits; ++k) {
      if (__builtin_mul_overflow(v, int64_t{10}, &v)) return std::nullopt;
    }
    return v;
  }
  if (n.digits.empty()) return 0;
  const int64_t shift = n.exponent + scale_digits;
  const int64_t count = static_cast<int64_t>(n.digits.size());
  const int64_t int_len = count + shift;  // digits before the point
  if (int_len > 19) return std::nullopt;
  uint64_t magnitude = 0;
  for (int64_t k = 0; k < std::min(count, int_len); ++k) {
    if (!MulAdd(magnitude, 10, static_cast<uint64_t>(n.digits[k] - '0')))
      return std::nullopt;
  }
  for (int64_t k = count; k < int_len; ++k) {
    if (!MulAdd(magnitude, 10, 0)) return std::nullopt;
  }
  if (int_len >= 0 && int_len < count) {
    // The first dropped digit decides; a 5 with nothing after it (trailing
    // zeros are already gone) goes to the even neighbour.
    char first = n.digits[int_len];
    bool exact_half = first == '5' && int_len + 1 == count;
    bool up = first > '5' || (first == '5' && !exact_half) ||
              (exact_half && magnitude % 2 == 1);
    if (up && !MulAdd(magnitude, 1, 1)) return std::nullopt;
  }
  // A dropped part that starts below the first decimal (int_len < 0) is
  // smaller than 0.1 and rounds to 0.
  constexpr uint64_t kMaxPositive =
      static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (!n.negative) {
    if (magnitude > kMaxPositive) return std::nullopt;
    return static_cast<int64_t>(magnitude);
  }
  if (magnitude > kMaxPositive + 1) return std::nullopt;
  if (magnitude == kMaxPositive + 1) return std::numeric_limits<int64_t>::min();
  return -static_cast<int64_t>(magnitude);
}

NumberText ReadNumberOrMismatch(const std::string& text) {
  auto n = ReadNumberText(text);
  if (!n) throw TypeMismatchError();
  return *n;
}

// A whole number from a double, rounded half to even, within [lo, hi].
int64_t DoubleToInteger(double x, double lo, double hi_exclusive) {
  double r = RoundHalfEven(x);
  if (!(r >= lo && r < hi_exclusive)) throw OverflowError();
  return static_cast<int64_t>(r);
}

// Currency to a whole number, rounded half to even.
int64_t CurrencyToInteger(Currency c) {
  int64_t q = c.scaled / Currency::kScale;
  int64_t r = c.scaled % Currency::kScale;  // same sign as scaled
  int64_t twice = 2 * (r < 0 ? -r : r);
  int64_t step = c.scaled < 0 ? -1 : 1;
  if (twice > Currency::kScale || (twice == Currency::kScale && q % 2 != 0)) q += step;
  return q;
}

// The conversions every number conversion shares: Empty is 0, Null raises
// "Invalid use of Null", yes/no is -1 or 0, the 16- and 32-bit numbers are
// taken as they are; the other kinds of value go through the converter of
// their kind (a date as its serial number, a text as the number it reads as).
template <class R, class FromLongLong, class FromCurrency, class FromDouble,
          class FromText>
R ConvertNumber(const Variant& v, FromLongLong from_long_long, FromCurrency from_currency,
                FromDouble from_double, FromText from_text) {
  switch (v.Type()) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      throw InvalidUseOfNullError();
    case VarType::Integer:
      return *v.As<int16_t>();
    case VarType::Long:
      return *v.As<int32_t>();
    case VarType::LongLong:
      return from_long_long(*v.As<int64_t>());
    case VarType::Boolean:
      return *v.As<bool>() ? -1 : 0;
    case VarType::Currency:
      return from_currency(*v.As<Currency>());
    case VarType::Double:
      return from_double(*v.As<double>());
    case VarType::Date:
      return from_double(v.As<Date>()->Serial());
    case VarType::String:
      return from_text(v.Text());
  }
  throw TypeMismatchError();
}

// Every value as a 64-bit whole number (for CInt, CLng, CLngLng), rounded
// half to even; the caller narrows.
int64_t ToInteger(const Variant& v) {
  return ConvertNumber<int64_t>(
      v, [](int64_t n) { return n; }, CurrencyToInteger,
      [](double d) { return DoubleToInteger(d, -kTwoPow63, kTwoPow63); },
      [](const std::string& text) {
        auto scaled = ToScaled(ReadNumberOrMismatch(text), 0);
        if (!scaled) throw OverflowError();
        return *scaled;
      });
}

template <class T>
T Narrow(int64_t x) {
  if (x < std::numeric_limits<T>::min() || x > std::numeric_limits<T>::max()) {
    throw OverflowError();
  }
  return static_cast<T>(x);
}

std::string DoubleText(double x) {
  if (x == 0) return "0";  // no "-0"
  return fmt::format("{:.15G}", x);
}

}  // namespace

VarType Variant::Type() const {
  // In the order of the alternatives of value_.
  static constexpr VarType kTypes[] = {
      VarType::Empty,    VarType::Null,   VarType::Integer,  VarType::Long,
      VarType::LongLong, VarType::Double, VarType::Currency, VarType::Boolean,
      VarType::Date,     VarType::String,
  };
  static_assert(std::size(kTypes) == std::variant_size_v<decltype(value_)>);
  return kTypes[value_.index()];
}

std::string Variant::TypeName() const {
  switch (Type()) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Integer:
      return "Integer";
    case VarType::Long:
      return "Long";
    case VarType::LongLong:
      return "LongLong";
    case VarType::Double:
      return "Double";
    case VarType::Currency:
      return "Currency";
    case VarType::Date:
      return "Date";
    case VarType::String:
      return "String";
    case VarType::Boolean:
      return "Boolean";
  }
  return "Empty";
}

bool IsNumeric(std::string_view text) {
  auto n = ReadNumberText(text);
  return n && ToDouble(*n).has_value();
}

bool IsNumeric(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Date:
      return false;
    case VarType::String:
      return IsNumeric(std::string_view(v.Text()));
    default:
      return true;
  }
}

bool IsDate(const Variant& v) {
  if (v.Type() == VarType::Date) return true;
  return v.IsText() && IsDate(std::string_view(v.Text()));
}

int16_t CInt(const Variant& v) { return Narrow<int16_t>(ToInteger(v)); }
int32_t CLng(const Variant& v) { return Narrow<int32_t>(ToInteger(v)); }
int64_t CLngLng(const Variant& v) { return ToInteger(v); }

double CDbl(const Variant& v) {
  return ConvertNumber<double>(
      v, [](int64_t n) { return static_cast<double>(n); },
      [](Currency c) { return c.ToDouble(); }, [](double d) { return d; },
      [](const std::string& text) {
        auto d = ToDouble(ReadNumberOrMismatch(text));
        if (!d) throw OverflowError();
        return *d;
      });
}

Currency CCur(const Variant& v) {
  switch (v.Type()) {
    case VarType::Null:
      throw InvalidUseOfNullError();
    case VarType::Currency:
      return *v.As<Currency>();
    case VarType::String: {
      auto scaled = ToScaled(ReadNumberOrMismatch(v.Text()), 4);
      if (!scaled) throw OverflowError();
      return Currency::FromScaled(*scaled);
    }
    case VarType::Double:
    case VarType::Date:
      return Currency::FromScaled(
          DoubleToInteger(CDbl(v) * Currency::kScale, -kTwoPow63, kTwoPow63));
    default: {
      int64_t scaled = 0;
      if (__builtin_mul_overflow(ToInteger(v), Currency::kScale, &scaled)) {
        throw OverflowError();
      }
      return Currency::FromScaled(scaled);
    }
  }
}

bool CBool(const Variant& v) {
  switch (v.Type()) {
    case VarType::Boolean:
      return *v.As<bool>();
    case VarType::Currency:
      return v.As<Currency>()->scaled != 0;
    case VarType::String: {
      std::string_view text = v.Text();
      size_t first = text.find_first_not_of(" \t\r\n");
      size_t last = text.find_last_not_of(" \t\r\n");
      std::string_view word = first == std::string_view::npos
                                  ? std::string_view{}
                                  : text.substr(first, last - first + 1);
      if (TextEquals(word, "True")) return true;
      if (TextEquals(word, "False")) return false;
      auto n = ReadNumberText(text);
      if (!n) throw TypeMismatchError();
      // Any digit left after dropping zeros makes the number non-zero.
      return n->radix_value ? *n->radix_value != 0 : !n->digits.empty();
    }
    default:
      return CDbl(v) != 0;  // Empty is false; Null raises
  }
}

std::string CStr(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
      return "";
    case VarType::Null:
      throw InvalidUseOfNullError();
    case VarType::Integer:
      return std::to_string(*v.As<int16_t>());
    case VarType::Long:
      return std::to_string(*v.As<int32_t>());
    case VarType::LongLong:
      return std::to_string(*v.As<int64_t>());
    case VarType::Boolean:
      return *v.As<bool>() ? "True" : "False";
    case VarType::Currency:
      return CurrencyText(*v.As<Currency>());
    case VarType::Double:
      return DoubleText(*v.As<double>());
    case VarType::Date:
      return GeneralDateText(*v.As<Date>());
    case VarType::String:
      return v.Text();
  }
  return "";
}

Date CDate(const Variant& v) {
  switch (v.Type()) {
    case VarType::Date:
      return *v.As<Date>();
    case VarType::String: {
      auto d = ParseDate(v.Text());
      if (!d) throw TypeMismatchError();
      return *d;
    }
    default: {
      double serial = CDbl(v);  // Empty is the zero date; Null raises
      if (!(serial >= kFirstDateSerial && serial < kPastLastDateSerial))
        throw OverflowError();
      return Date(serial);
    }
  }
}

double RoundHalfEven(double x) {
  double r = std::round(x);  // halves away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5) r = 2.0 * std::round(x / 2.0);
  return r;
}

std::string CurrencyText(Currency c) {
  uint64_t magnitude = c.scaled < 0 ? 0 - static_cast<uint64_t>(c.scaled)
                                    : static_cast<uint64_t>(c.scaled);
  const auto scale = static_cast<uint64_t>(Currency::kScale);
  std::string text = c.scaled < 0 ? "-" : "";
  text += std::to_string(magnitude / scale);
  uint64_t fraction = magnitude % scale;
  if (fraction != 0) {
    std::string decimals = fmt::format("{:04}", fraction);
    while (decimals.back() == '0') decimals.pop_back();
    text += "." + decimals;
  }
  return text;
}

double Val(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (auto radix = ReadRadix(text, pos, true)) return static_cast<double>(*radix);
  auto n = ReadDecimal(text, pos, true);
  if (!n) return 0;
  return ToDouble(*n).value_or(0.0);
}

}  // namespace zanvoro
