#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Error.h"
#include "runtime/Variant.h"

namespace zanvoro {
namespace {

constexpr int32_t kOk = 0;

// The error number a call raised, or kOk.
template <class F>
int32_t ErrorOf(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.Number();
  }
  return kOk;
}

TEST(Variant, ReportsItsTypeAndTypeName) {
  struct {
    Variant value;
    VarType type;
    const char* name;
  } cases[] = {
      {Variant(), VarType::Empty, "Empty"},
      {Null{}, VarType::Null, "Null"},
      {int16_t{1}, VarType::Integer, "Integer"},
      {1, VarType::Long, "Long"},
      {int64_t{1}, VarType::LongLong, "LongLong"},
      {1.5, VarType::Double, "Double"},
      {Currency{15000}, VarType::Currency, "Currency"},
      {Date(1.0), VarType::Date, "Date"},
      {"x", VarType::String, "String"},
      {true, VarType::Boolean, "Boolean"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.Type(), c.type) << c.name;
    EXPECT_EQ(c.value.TypeName(), c.name);
  }
}

TEST(IsNumeric, AcceptsNumbersAndNumberTextsButNotEmptyNullOrDates) {
  struct {
    const char* text;
    bool numeric;
  } cases[] = {
      {"12", true},      {"  12 ", true},  {"-12", true},    {"+1.5", true},
      {".5", true},      {"5.", true},     {"1.5E-3", true}, {"1e5", true},
      {"\t7\r\n", true}, {"&H1F", true},   {"&hff", true},   {"&O17", true},
      {"", false},       {"   ", false},   {".", false},     {"-", false},
      {"1e", false},     {"1.2.3", false}, {"12abc", false}, {"abc", false},
      {"&H", false},     {"&HZZ", false},  {"&O8", false},   {"1 2", false},
      {"1e400", false},  {"True", false},  {"- 5", false},   {"e5", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNumeric(c.text), c.numeric) << '"' << c.text << '"';
  EXPECT_TRUE(IsNumeric(Variant(int16_t{0})));
  EXPECT_TRUE(IsNumeric(Variant(false)));
  EXPECT_TRUE(IsNumeric(Variant(Currency{})));
  EXPECT_TRUE(IsNumeric(Variant("  3 ")));
  EXPECT_FALSE(IsNumeric(Variant()));
  EXPECT_FALSE(IsNumeric(Variant(Null{})));
  EXPECT_FALSE(IsNumeric(Variant(Date(5.0))));
}

std::string Describe(const Variant& v) {
  return v.TypeName() + (v.IsText() ? " \"" + v.Text() + "\"" : "");
}

// One row of a conversion table: the value in, and the result or the number
// of the error that the conversion raises.
template <class T>
struct Row {
  Variant in;
  T out;
  int32_t error;
};

template <class T, class Convert>
void CheckConversions(const std::vector<Row<T>>& rows, Convert convert) {
  for (const auto& row : rows) {
    SCOPED_TRACE(Describe(row.in));
    std::optional<T> got;
    EXPECT_EQ(ErrorOf([&] { got = convert(row.in); }), row.error);
    if (row.error == kOk) {
      EXPECT_EQ(got, row.out);
    }
  }
}

TEST(CLng, RoundsHalfToEvenAndReadsText) {
  CheckConversions<int64_t>(
      {
          {2.5, 2, kOk},
          {3.5, 4, kOk},
          {-2.5, -2, kOk},
          {-3.5, -4, kOk},
          {2.4999, 2, kOk},
          {2.5001, 3, kOk},
          {"  12 ", 12, kOk},
          {"2.5", 2, kOk},
          {"3.5", 4, kOk},
          {"0.5", 0, kOk},
          {"1.5", 2, kOk},
          {"-0.5", 0, kOk},
          {"12.50000000000000000001", 13, kOk},
          {"1e3", 1000, kOk},
          {"0.000", 0, kOk},
          {"&H1F", 31, kOk},
          {"&HFFFF", -1, kOk},
          {"&H10000", 65536, kOk},
          {"&HFFFFFFFF", -1, kOk},
          {true, -1, kOk},
          {false, 0, kOk},
          {Variant(), 0, kOk},
          {Currency{25000}, 2, kOk},
          {Currency{35000}, 4, kOk},
          {Currency{-25000}, -2, kOk},
          {Currency{25001}, 3, kOk},
          {Date(1.5), 2, kOk},
          {"abc", 0, err::kTypeMismatch},
          {"", 0, err::kTypeMismatch},
          {"12abc", 0, err::kTypeMismatch},
          {Null{}, 0, err::kInvalidUseOfNull},
      },
      [](const Variant& v) { return CLng(v); });
}

TEST(CLng, OverflowsOutsideThirtyTwoBits) {
  CheckConversions<int64_t>(
      {
          {2147483647.0, 2147483647, kOk},
          {2147483647.4, 2147483647, kOk},
          {2147483647.5, 0, err::kOverflow},
          {-2147483648.5, -2147483648LL, kOk},
          {-2147483649.0, 0, err::kOverflow},
          {"2147483647", 2147483647, kOk},
          {"2147483648", 0, err::kOverflow},
          {"-2147483648", -2147483648LL, kOk},
          {"99999999999999999999999", 0, err::kOverflow},
          {"1e400", 0, err::kOverflow},
          {int64_t{1} << 40, 0, err::kOverflow},
          {1e300, 0, err::kOverflow},
          {std::numeric_limits<double>::quiet_NaN(), 0, err::kOverflow},
      },
      [](const Variant& v) { return CLng(v); });
}

TEST(CInt, OverflowsOutsideSixteenBits) {
  CheckConversions<int64_t>(
      {
          {32767.5, 0, err::kOverflow},
          {32766.5, 32766, kOk},
          {-32768.5, -32768, kOk},
          {-32769.0, 0, err::kOverflow},
          {"32767", 32767, kOk},
          {"32768", 0, err::kOverflow},
          {"-32768", -32768, kOk},
          {40000, 0, err::kOverflow},
          {"&HFFFF", -1, kOk},
          {"&H8000", -32768, kOk},
          {true, -1, kOk},
          {Null{}, 0, err::kInvalidUseOfNull},
      },
      [](const Variant& v) { return CInt(v); });
}

TEST(CLngLng, ReadsSixtyFourBitTextExactly) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  CheckConversions<int64_t>(
      {
          {"9223372036854775807", kMax, kOk},
          {"9223372036854775808", 0, err::kOverflow},
          {"-9223372036854775808", kMin, kOk},
          {"-9223372036854775809", 0, err::kOverflow},
          {"9223372036854775806.5", 9223372036854775806LL, kOk},
          {"9223372036854775807.5", 0, err::kOverflow},
          {"1E18", 1000000000000000000LL, kOk},
          {"1E19", 0, err::kOverflow},
          {"00000000000000000000012", 12, kOk},
          {"12345678901234567890E-10", 1234567890, kOk},
          {"&HFFFFFFFFFFFFFFFF", -1, kOk},
          {9.3e18, 0, err::kOverflow},
          {-9223372036854775808.0, kMin, kOk},
          {Currency{kMax}, 922337203685478, kOk},
          {Null{}, 0, err::kInvalidUseOfNull},
      },
      [](const Variant& v) { return CLngLng(v); });
}

TEST(CDbl, ConvertsEveryNumberKind) {
  CheckConversions<double>(
      {
          {"1.5E-3", 0.0015, kOk},
          {"  -12.25 ", -12.25, kOk},
          {"0.1", 0.1, kOk},
          {"&H1F", 31, kOk},
          {"1e-400", 0, kOk},
          {"1e400", 0, err::kOverflow},
          {"x", 0, err::kTypeMismatch},
          {true, -1, kOk},
          {Currency{15000}, 1.5, kOk},
          {Date(2.25), 2.25, kOk},
          {int64_t{1} << 53, 9007199254740992.0, kOk},
          {Variant(), 0, kOk},
          {Null{}, 0, err::kInvalidUseOfNull},
      },
      [](const Variant& v) { return CDbl(v); });
}

TEST(CCur, RoundsToFourDecimalsHalfToEven) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  CheckConversions<int64_t>(
      {
          {"1.00005", 10000, kOk},
          {"1.00015", 10002, kOk},
          {"1.000051", 10001, kOk},
          {"-1.00005", -10000, kOk},
          {"-1.00015", -10002, kOk},
          {2.5, 25000, kOk},
          {1.23456, 12346, kOk},
          {"922337203685477.5807", kMax, kOk},
          {"922337203685477.5808", 0, err::kOverflow},
          {"-922337203685477.5808", kMin, kOk},
          {1e15, 0, err::kOverflow},
          {"&HFFFF", -10000, kOk},
          {true, -10000, kOk},
          {7, 70000, kOk},
          {int64_t{1} << 62, 0, err::kOverflow},
          {Variant(), 0, kOk},
          {"abc", 0, err::kTypeMismatch},
          {Null{}, 0, err::kInvalidUseOfNull},
      },
      [](const Variant& v) { return CCur(v).scaled; });
}

TEST(CBool, ReadsTrueFalseTextAndNumbers) {
  CheckConversions<bool>(
      {
          {"True", true, kOk},
          {"true", true, kOk},
          {"FALSE", false, kOk},
          {" True ", true, kOk},
          {"1", true, kOk},
          {"0", false, kOk},
          {"0.0", false, kOk},
          {"-2.5", true, kOk},
          {"&H0", false, kOk},
          {"1e400", true, kOk},
          {0.0, false, kOk},
          {0.1, true, kOk},
          {int16_t{-1}, true, kOk},
          {Currency{}, false, kOk},
          {Currency{1}, true, kOk},
          {Date(0.5), true, kOk},
          {Variant(), false, kOk},
          {"abc", false, err::kTypeMismatch},
          {"", false, err::kTypeMismatch},
          {"yes", false, err::kTypeMismatch},
          {Null{}, false, err::kInvalidUseOfNull},
      },
      [](const Variant& v) { return CBool(v); });
}

TEST(CStr, WritesNumbersInShortestFormUpToFifteenDigits) {
  struct {
    Variant in;
    const char* out;
  } cases[] = {
      {0.1, "0.1"},
      {1e20, "1E+20"},
      {1.5e-7, "1.5E-07"},
      {1e15, "1E+15"},
      {1e14, "100000000000000"},
      {1.0 / 3, "0.333333333333333"},
      {123456789012345.6, "123456789012346"},
      {0.1 + 0.2, "0.3"},
      {-0.0, "0"},
      {2.0, "2"},
      {-1.25, "-1.25"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {true, "True"},
      {false, "False"},
      {int16_t{-5}, "-5"},
      {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
      {Currency{15000}, "1.5"},
      {Currency{-1}, "-0.0001"},
      {Currency{1000000}, "100"},
      {Currency{std::numeric_limits<int64_t>::min()}, "-922337203685477.5808"},
      {Variant(), ""},
      {"text", "text"},
  };
  for (const auto& c : cases) EXPECT_EQ(CStr(c.in), c.out);
}

TEST(Conversions, RaiseInvalidUseOfNullForNullAndErrorsWithTheRuntimeTexts) {
  const Variant null{Null{}};
  EXPECT_EQ(ErrorOf([&] { CStr(null); }), err::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { CDate(null); }), err::kInvalidUseOfNull);
  EXPECT_FALSE(IsDate(null));
  try {
    CInt(Variant(40000));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Description(), "Overflow");
  }
}

TEST(RoundHalfEven, RoundsTiesToTheEvenNeighbour) {
  struct {
    double in, out;
  } cases[] = {
      {0.5, 0},      {1.5, 2}, {2.5, 2},   {-0.5, 0},
      {-1.5, -2},    {2.6, 3}, {-2.4, -2}, {4503599627370495.5, 4503599627370496.0},
      {1e300, 1e300}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(Val, ReadsTheNumberAtTheStart) {
  struct {
    const char* text;
    double out;
  } cases[] = {
      {"  -1.5e3xyz", -1500},
      {" 1615 198th Street N.E.", 1615198},
      {"&H1F", 31},
      {"&HFFFF", -1},
      {"&H1 F", 31},
      {"&O17", 15},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"1.2.3", 1.2},
      {"1e", 1},
      {"1e+", 1},
      {"- 5", -5},
      {".5", 0.5},
      {"+7", 7},
      {"1e400", 0},
      {"&H", 0},
      {"$5", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Val(c.text), c.out) << '"' << c.text << '"';
}

TEST(CDate, TakesDayCountsWithinTheValidYearsAndDateTextOnly) {
  EXPECT_EQ(CDate(Variant(1.25)), Date(1.25));
  EXPECT_EQ(CDate(Variant(int32_t{2958465})), Date(2958465.0));
  EXPECT_EQ(CDate(Variant(-657434.0)), Date(-657434.0));
  EXPECT_EQ(CDate(Variant()), Date());
  EXPECT_EQ(CDate(Variant(true)), Date(-1.0));
  EXPECT_EQ(ErrorOf([] { CDate(Variant(2958466.0)); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CDate(Variant(-657434.5)); }), err::kOverflow);
  EXPECT_EQ(CDate(Variant("2009-03-07 09:05:00")), MakeDate({2009, 3, 7, 9, 5, 0}));
  EXPECT_EQ(ErrorOf([] { CDate(Variant("not a date")); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDate(Variant("")); }), err::kTypeMismatch);
}

TEST(IsDate, AcceptsDatesAndDateTextAndCStrWritesTheGeneralDateText) {
  EXPECT_TRUE(IsDate(Variant(Date(1.0))));
  EXPECT_TRUE(IsDate(Variant("2009-03-07")));
  EXPECT_TRUE(IsDate(std::string("2009-03-07")));
  EXPECT_FALSE(IsDate(Variant("abc")));
  EXPECT_FALSE(IsDate(Variant(1.0)));
  EXPECT_FALSE(IsDate(Variant()));
  EXPECT_EQ(CStr(Variant(MakeDate({2009, 3, 7, 9, 5, 0}))), "3/7/2009 9:05:00 AM");
}

}  // namespace
}  // namespace zanvoro
