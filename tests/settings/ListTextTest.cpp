#include <gtest/gtest.h>

#include "runtime/Error.h"
#include "settings/Array2D.h"
#include "settings/ListText.h"

namespace zanvoro {
namespace {

TEST(ListText, EncodesSeparatorsAndLeavesAmpersands) {
  struct {
    const char* field;
    const char* stored;
  } cases[] = {
      {"plain", "plain"},
      {"a;b", "a&semicolonb"},
      {"a:b", "a&colonb"},
      {"mailto:x;y", "mailto&colonx&semicolony"},
      {"R&D", "R&D"},
      {";:", "&semicolon&colon"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeListField(c.field), c.stored) << c.field;
    EXPECT_EQ(DecodeListField(c.stored), c.field) << c.stored;
  }
  // Escape words typed in a field read back as their separators.
  EXPECT_EQ(DecodeListField(EncodeListField("a&colonb")), "a:b");
  EXPECT_EQ(DecodeListField(EncodeListField("a&semicolonb")), "a;b");
}

TEST(ListText, ReadsWhatCanBeReadFromMalformedText) {
  struct {
    const char* text;
    std::vector<std::vector<std::string>> entries;
  } cases[] = {
      {"a;b:c;d", {{"a", "b"}, {"c", "d"}}},
      {"a;b:", {{"a", "b"}}},
      {":a;b::c;d:", {{"a", "b"}, {"c", "d"}}},
      {"a", {{"a"}}},
      {";;:;", {}},
      {"a;;c", {{"a", "", "c"}}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadListText(c.text), c.entries) << c.text;
}

TEST(ListText, NumericFieldsReadLeniently) {
  EXPECT_EQ(ReadCurrencyField("12.5").scaled, 125000);
  EXPECT_EQ(ReadCurrencyField("").scaled, 0);
  EXPECT_EQ(ReadCurrencyField("abc").scaled, 0);
  EXPECT_EQ(ReadCurrencyField("1E300").scaled, 0);
  EXPECT_EQ(ReadIntegerField("30"), 30);
  EXPECT_EQ(ReadIntegerField("thirty"), 0);
  EXPECT_EQ(ReadIntegerField("99999999999"), 0);
}

TEST(Array2D, CellsOutsideRaiseSubscriptOutOfRange) {
  Array2D array(2, 3);
  array.Set(1, 2, "x");
  EXPECT_EQ(CellText(array.At(1, 2)), "x");
  EXPECT_EQ(CellText(array.At(0, 0)), "");
  try {
    array.At(2, 0);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), err::kSubscriptOutOfRange);
  }
  EXPECT_THROW(array.Set(0, 3, "y"), Error);
}

}  // namespace
}  // namespace zanvoro
