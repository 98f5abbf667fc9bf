#include <gtest/gtest.h>

#include "errors/modErroHandling.h"
#include "settings/cAssets.h"
#include "settings/cAssociatedUsers.h"
#include "settings/cCategories.h"
#include "settings/cFAQs.h"
#include "settings/cProblemTypes.h"
#include "settings/cSLAs.h"

namespace zanvoro {
namespace {

TEST(AssociatedUsers, JoinAddressesBySemicolonAndNamesByComma) {
  struct {
    const char* text;
    const char* emails;
    const char* names;
  } cases[] = {
      {"Ann>>ann@x.org||Bob>>bob@x.org", "ann@x.org;bob@x.org", "Ann,Bob"},
      {"Ann>>ann@x.org", "ann@x.org", "Ann"},
      {"Ann>>||>>solo@x.org", "solo@x.org", "Ann"},
  };
  for (const auto& c : cases) {
    cAssociatedUsers users;
    users.FromString(c.text);
    EXPECT_EQ(users.ToEmails(), c.emails) << c.text;
    EXPECT_EQ(users.ToNames(), c.names) << c.text;
  }
}

TEST(AssociatedUsers, ReadsMalformedEntriesWithoutLoss) {
  cAssociatedUsers users;
  users.FromString("||Zed||||a>>b>>ab@x.org||Zed>>second@x.org||");
  ASSERT_EQ(users.Count(), 2u);
  EXPECT_EQ(users.Find("a>>b")->Email, "ab@x.org");  // the address follows the last ">>"
  EXPECT_EQ(users.Find("zed")->Email, "");           // the first Zed wins
  EXPECT_EQ(users.ToString(), "a>>b>>ab@x.org||Zed>>");
  users.FromString("");
  EXPECT_EQ(users.Count(), 2u) << "an empty text leaves the list";
}

TEST(ProblemTypes, OneTypeNameMaySitUnderSeveralCategories) {
  cProblemTypes types;
  types.FromString(
      "Other;Software;15;Ann;Gold;;SW:"
      "Printer;Hardware;30;Bob;Silver;Tray;HW:"
      "Other;Hardware;x:"
      "other;hardware;99");
  ASSERT_EQ(types.Count(), 3u);
  EXPECT_EQ(types.Query("OTHER", "software")->DefaultMinutes, 15);
  EXPECT_EQ(types.Query("Other", "Hardware")->DefaultMinutes,
            0);  // not a number; first wins
  EXPECT_EQ(types.Query("Other")->ProblemCategory, "Hardware");  // first in key order
  EXPECT_EQ(types.Query("Printe", "rHardware"), nullptr);
  EXPECT_EQ(types.Query("Scanner"), nullptr);
  EXPECT_EQ(types.ToStringTab(), "Other\tOther\tPrinter");
  EXPECT_EQ(types.Find("PrinterHardware")->DefaultField, "Tray");
  EXPECT_EQ(types.ToString(),
            "Other;Hardware;0;;;;:Other;Software;15;Ann;Gold;;SW:"
            "Printer;Hardware;30;Bob;Silver;Tray;HW");
}

TEST(ProblemTypes, OperationsRunUnderTheirLocationNames) {
  cProblemTypes types;
  types.FromString("Printer;Hardware");
  EXPECT_EQ(CurrentProcedure(), "Problems.SetString");
  types.ToArray();
  EXPECT_EQ(CurrentProcedure(), "Problems.GetArray");
  types.RandomProblemType();
  EXPECT_EQ(CurrentProcedure(), "Problems.RandomProblemType");
  EXPECT_FALSE(ErrorReportShown());
}

TEST(FAQs, KeepTheOrderOfTheirText) {
  cFAQs faqs;
  faqs.FromString("Why?;Because;Cat;Type:How?;Like this:why?;duplicate");
  ASSERT_EQ(faqs.Count(), 2u);
  EXPECT_EQ(faqs.GetItem(0)->Question, "Why?");
  EXPECT_EQ(faqs.GetItem(0)->ProblemType, "Type");
  EXPECT_EQ(faqs.GetItem(1)->Question, "How?");
  EXPECT_EQ(faqs.ToString(), "Why?;Because;Cat;Type:How?;Like this;;");
}

TEST(Assets, CaseFormCarriesTheCommentAndListFormDoesNot) {
  cAssets assets;
  assets.FromStringCase("PC-8;Laptop;Win;Dell;10.0.0.8;needs a battery:PC-7;Desktop;;;;");
  ASSERT_EQ(assets.Count(), 2u);
  EXPECT_EQ(assets.FirstAsset()->AssetName, "PC-7");
  EXPECT_EQ(assets.Find("pc-8")->AssetComment, "needs a battery");
  EXPECT_EQ(assets.ToStringCase(),
            "PC-7;Desktop;;;;:PC-8;Laptop;Win;Dell;10.0.0.8;needs a battery");
  EXPECT_EQ(assets.ToString(), "PC-7;Desktop;;;:PC-8;Laptop;Win;Dell;10.0.0.8");
  EXPECT_EQ(assets.Names(), "PC-7,PC-8");
  EXPECT_EQ(assets.AssetField3s(), "Win");
  EXPECT_EQ(assets.AssetComments(), "needs a battery");
  assets.Find("pc-8")->AssetComment = "fan: loud; replace";
  cAssets read;
  read.FromStringCase(assets.ToStringCase());
  EXPECT_EQ(read.Find("PC-8")->AssetComment, "fan: loud; replace");
  EXPECT_EQ(cAssets().FirstAsset(), nullptr);
}

TEST(Categories, RateAndCodeRoundTripThroughTheArrayForm) {
  cCategories departments;
  departments.FromString("Sales;12.25;SA:accounts;;AC");
  EXPECT_EQ(departments.ToStringTab(), "accounts\tSales");
  Array2D array = departments.ToArray();
  ASSERT_EQ(array.Columns(), 3u);
  EXPECT_EQ(array.At(1, 1), Variant("12.25"));
  EXPECT_EQ(array.At(0, 1), Variant("0"));
  array.Set(0, 1, Currency::FromScaled(50000));
  cCategories read;
  read.FromArray(array);
  EXPECT_EQ(read.GetCategory("ACCOUNTS")->Rate.scaled, 50000);
  EXPECT_EQ(read.GetCategory("Sales")->Code, "SA");
  EXPECT_EQ(read.GetCategory("Nothing"), nullptr);
}

TEST(SLAs, ReadInNameOrderAndPickAtRandom) {
  cSLAs slas;
  slas.FromString("Silver;2;8:Gold;1;4");
  EXPECT_EQ(slas.ToStringTab(), "Gold\tSilver");
  EXPECT_EQ(slas.GetItem(0)->ResponseTime, "4");
  ASSERT_NE(slas.RandomSLA(), nullptr);
  EXPECT_TRUE(slas.Exists(slas.RandomSLA()->Name));
}

}  // namespace
}  // namespace zanvoro
