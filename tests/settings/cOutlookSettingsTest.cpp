#include <gtest/gtest.h>

#include "settings/cOutlookSettings.h"

namespace zanvoro {
namespace {

TEST(OutlookSettings, KeysAndValuesWithSeparatorsSurviveTheTextFormInTheirOrder) {
  cOutlookSettings settings;
  settings.SetValue("sdoOwner", "Ann: Head; of R&D");
  settings.SetValue("key;with:both", "x");
  settings.SetValue("sdoEmpty", "");
  settings.SetValue("k", "a&colonb");
  cOutlookSettings read;
  read.FromString(settings.ToString());
  EXPECT_EQ(read.Count(), 4u);
  EXPECT_EQ(read.GetValue("sdoOwner", VarType::String), Variant("Ann: Head; of R&D"));
  EXPECT_EQ(read.GetValue("key;with:both", VarType::String), Variant("x"));
  EXPECT_EQ(read.GetValue("k", VarType::String), Variant("a:b"));
  EXPECT_TRUE(read.Exists("sdoEmpty"));
  cOutlookSettings pairs;
  pairs.SetValue("b", "1:2");
  pairs.SetValue("a", "x;y");
  EXPECT_EQ(pairs.ToString(), "b;1&colon2:a;x&semicolony");
}

TEST(OutlookSettings, KeysIgnoreCaseTheFirstValueAndSpellingWinAndBadTextReadsWhatItCan) {
  cOutlookSettings settings;
  settings.FromString("sdoOwner;Ann:SDOOWNER;Bob:other;1");
  EXPECT_EQ(settings.Count(), 2u);
  EXPECT_EQ(settings.GetValue("SdoOwner", VarType::String), Variant("Ann"));
  EXPECT_EQ(settings.Find("SDOOWNER")->KeyID, "sdoOwner");
  settings.SetValue("SDOOWNER", "9");
  settings.SetValue("c", "3");
  EXPECT_EQ(settings.ToString(), "sdoOwner;9:other;1:c;3");
  settings.FromString("");
  EXPECT_EQ(settings.Count(), 3u) << "an empty text leaves the store";
  settings.FromString("::lonely:;:a;1;2:b;2:");
  EXPECT_EQ(settings.ToString(), "lonely;:a;1&semicolon2:b;2");
}

TEST(OutlookSettings, GetValueConvertsOrFallsBackToZero) {
  cOutlookSettings settings;
  settings.FromString(
      "yes;1:no;0:word;abc:num;42:frac;2.5:big;99999:true;True:day;3/7/2009");
  struct {
    const char* key;
    VarType type;
    Variant expected;
  } cases[] = {
      {"missing", VarType::Boolean, Variant(false)},
      {"missing", VarType::Long, Variant(int32_t{0})},
      {"missing", VarType::Double, Variant(0.0)},
      {"missing", VarType::String, Variant("")},
      {"word", VarType::Integer, Variant(int16_t{0})},
      {"word", VarType::Long, Variant(int32_t{0})},
      {"word", VarType::Boolean, Variant(false)},
      {"word", VarType::Currency, Variant(Currency{})},
      {"word", VarType::Date, Variant(Date())},
      {"yes", VarType::Boolean, Variant(true)},
      {"no", VarType::Boolean, Variant(false)},
      {"true", VarType::Boolean, Variant(true)},
      {"num", VarType::Long, Variant(int32_t{42})},
      {"frac", VarType::Double, Variant(2.5)},
      {"frac", VarType::Currency, Variant(Currency::FromScaled(25000))},
      {"big", VarType::Integer, Variant(int16_t{0})},
      {"big", VarType::Long, Variant(int32_t{99999})},
      {"day", VarType::Date, Variant(DateSerial(2009, 3, 7))},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(settings.GetValue(c.key, c.type), c.expected) << c.key;
  }
}

}  // namespace
}  // namespace zanvoro
