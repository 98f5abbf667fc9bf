#include <gtest/gtest.h>

#include "settings/cCallers.h"

namespace zanvoro {
namespace {

cCaller Caller(std::string email, std::string name) {
  cCaller caller;
  caller.Email = std::move(email);
  caller.Name = std::move(name);
  return caller;
}

TEST(Callers, AddressWithColonAndSemicolonSurvivesTheTextForm) {
  cCallers callers;
  cCaller odd = Caller("a:b;c@example.com", "Odd; Name: Jr");
  odd.Address = "1 Main St; Floor 2";
  odd.AssociatedUsers.Add({"Bo:b", "bob@x.org"});
  odd.AssociatedUsers.Add({"Cy", "cy;1@x.org"});
  callers.Add(odd);
  callers.Add(Caller("plain@example.com", "Plain"));
  cCallers read;
  read.FromString(callers.ToString());
  ASSERT_EQ(read.Count(), 2u);
  const cCaller* back = read.Find("A:B;C@EXAMPLE.COM");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Email, "a:b;c@example.com");
  EXPECT_EQ(back->Name, "Odd; Name: Jr");
  EXPECT_EQ(back->Address, "1 Main St; Floor 2");
  EXPECT_EQ(back->AssociatedUsers.ToEmails(), "bob@x.org;cy;1@x.org");
  EXPECT_EQ(read.ToString(), callers.ToString());
}

TEST(Callers, WritesElevenFieldsWithAssociatedUsersLast) {
  cCallers callers;
  cCaller caller = Caller("ann@x.org", "Ann");
  caller.SLA = "Gold";
  caller.AssociatedUsers.Add({"Bob", "bob@x.org"});
  callers.Add(caller);
  EXPECT_EQ(callers.ToString(), "ann@x.org;Ann;;;;;;;;Gold;Bob>>bob@x.org");
}

TEST(Callers, ReadingKeepsTheFirstOfAnAddressInAddressOrderAndShortEntriesWhole) {
  cCallers callers;
  callers.FromString("Ann@X.org;First:ann@x.org;Second:carl@x.org;C:bob@x.org;B");
  ASSERT_EQ(callers.Count(), 3u);
  EXPECT_EQ(callers.GetCallerNameFromEmail("ANN@x.ORG"), "First");
  EXPECT_EQ(callers.GetCallerNameFromEmail("dora@x.org"), "");
  EXPECT_EQ(callers.GetCallerNameFromEmail(""), "");
  EXPECT_EQ(callers.GetCallerEmailByIndex(0), "Ann@X.org");
  EXPECT_EQ(callers.GetCallerNameByIndex(1), "B");
  EXPECT_EQ(callers.GetCallerNameByIndex(2), "C");
  EXPECT_EQ(callers.GetCallerNameByIndex(3), "");
  EXPECT_EQ(callers.GetCallerNameByIndex(-1), "");
  EXPECT_EQ(callers.GetItem(3), nullptr);
  callers.FromString("");
  EXPECT_EQ(callers.Count(), 3u) << "an empty text leaves the list";

  callers.FromString("::ann@x.org:;;;:bob@x.org;Bob;555:");
  ASSERT_EQ(callers.Count(), 2u);
  EXPECT_EQ(callers.Find("ann@x.org")->Name, "");
  EXPECT_EQ(callers.Find("bob@x.org")->Phone, "555");
  EXPECT_TRUE(callers.Find("bob@x.org")->AssociatedUsers.IsEmpty());
}

TEST(Callers, ArrayFormRoundTripsInFieldOrder) {
  cCallers callers;
  callers.FromString("b@x.org;B;1;2;D;C;A;T;P;S;U>>u@x.org:a@x.org;A");
  Array2D array = callers.ToArray();
  ASSERT_EQ(array.Rows(), 2u);
  ASSERT_EQ(array.Columns(), 11u);
  EXPECT_EQ(array.At(1, 4), Variant("D"));
  EXPECT_EQ(array.At(1, 10), Variant("U>>u@x.org"));
  cCallers read;
  read.FromArray(array);
  EXPECT_EQ(read.ToString(), callers.ToString());
}

TEST(Callers, DemoArrayHasNoAssociatedUsersColumn) {
  Array2D demo(3, 11);
  demo.Set(0, 0, "z@x.org");
  demo.Set(0, 1, "Zed");
  demo.Set(0, 10, "ignored>>i@x.org");
  demo.Set(2, 0, "a@x.org");
  demo.Set(2, 9, "Gold");
  cCallers callers;
  callers.FromArrayDemo(demo);
  ASSERT_EQ(callers.Count(), 2u);  // the blank middle row is skipped
  EXPECT_TRUE(callers.Find("z@x.org")->AssociatedUsers.IsEmpty());
  EXPECT_EQ(callers.GetItem(0)->SLA, "Gold");
}

TEST(Callers, NameIndexKeepsTheFirstCallerOfAName) {
  cCallers callers;
  callers.FromString("b@x.org;Ann:a@x.org;ANN:c@x.org;");
  callers.LoadCallerNamesInDictionary();
  ASSERT_EQ(callers.CallerNames().Count(), 1u);
  EXPECT_EQ(callers.CallerNames().Get("ann"), "a@x.org");
}

}  // namespace
}  // namespace zanvoro
