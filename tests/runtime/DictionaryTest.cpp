#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Dictionary.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

using Strings = std::vector<std::string>;

TEST(Dictionary, FindsKeysWithoutRegardToCase) {
  Dictionary<int> d;
  d.Add("sdoOwner", 1);
  d.Add("École", 2);
  EXPECT_TRUE(d.Exists("SDOOWNER"));
  EXPECT_TRUE(d.Exists("ÉCOLE"));
  EXPECT_FALSE(d.Exists("sdoOwne"));
  EXPECT_EQ(d.Get("sdoowner"), 1);
  ASSERT_NE(d.Find("école"), nullptr);
  EXPECT_EQ(*d.Find("école"), 2);
  EXPECT_EQ(d.Find("missing"), nullptr);
}

TEST(Dictionary, KeepsTheFirstSpellingAndPlaceOfAKey) {
  Dictionary<std::string> d;
  d.Set("Alpha", "1");
  d.Set("beta", "2");
  d.Set("ALPHA", "3");
  EXPECT_EQ(d.Keys(), (Strings{"Alpha", "beta"}));
  EXPECT_EQ(d.Get("alpha"), "3");
  EXPECT_EQ(d.Count(), 2u);
}

TEST(Dictionary, AddRaisesOnADuplicateKeyAndKeepsTheOldValue) {
  Dictionary<int> d;
  d.Add("Key", 1);
  try {
    d.Add("KEY", 2);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 457);
    EXPECT_EQ(e.Description(),
              "This key is already associated with an element of this collection");
  }
  EXPECT_EQ(d.Get("key"), 1);
  EXPECT_EQ(d.Keys(), (Strings{"Key"}));
}

TEST(Dictionary, GetAndAtRaiseSubscriptOutOfRangeWhenMissing) {
  Dictionary<int> d;
  d.Add("a", 1);
  const auto& cd = d;
  for (auto f :
       std::vector<std::function<void()>>{[&] { d.Get("b"); }, [&] { cd.Get("b"); },
                                          [&] { d.At(1); }, [&] { cd.At(5); }}) {
    try {
      f();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), err::kSubscriptOutOfRange);
    }
  }
}

TEST(Dictionary, IteratesInInsertionOrder) {
  Dictionary<int> d;
  for (const char* k : {"zeta", "Alpha", "mid"}) d.Add(k, static_cast<int>(d.Count()));
  Strings keys;
  for (auto& e : d) {
    keys.push_back(e.Key());
    e.Value() *= 10;
  }
  EXPECT_EQ(keys, (Strings{"zeta", "Alpha", "mid"}));
  EXPECT_EQ(d.At(2).Value(), 20);
  EXPECT_EQ(d.At(0).Key(), "zeta");
}

TEST(Dictionary, SortByKeyOrdersIgnoringCaseAndKeepsLookups) {
  Dictionary<int> d;
  d.Add("banana", 1);
  d.Add("Apple", 2);
  d.Add("cherry", 3);
  d.Add("apple2", 4);
  d.Add("_first", 5);
  d.SortByKey();
  EXPECT_EQ(d.Keys(), (Strings{"_first", "Apple", "apple2", "banana", "cherry"}));
  EXPECT_EQ(d.Get("APPLE"), 2);
  EXPECT_EQ(d.Get("Cherry"), 3);
  d.Add("aardvark", 6);
  EXPECT_EQ(d.At(5).Key(), "aardvark");
}

TEST(Dictionary, RemoveKeepsTheOrderAndLookupsOfTheRest) {
  Dictionary<int> d;
  for (int i = 0; i < 5; ++i) d.Add("k" + std::to_string(i), i);
  EXPECT_TRUE(d.Remove("K1"));
  EXPECT_FALSE(d.Remove("k1"));
  EXPECT_EQ(d.Keys(), (Strings{"k0", "k2", "k3", "k4"}));
  EXPECT_EQ(d.Get("k4"), 4);
  EXPECT_EQ(d.Get("k2"), 2);
  d.Add("K1", 9);
  EXPECT_EQ(d.Keys(), (Strings{"k0", "k2", "k3", "k4", "K1"}));
}

TEST(Dictionary, ClearEmptiesIt) {
  Dictionary<int> d;
  d.Add("a", 1);
  d.Clear();
  EXPECT_TRUE(d.IsEmpty());
  EXPECT_FALSE(d.Exists("a"));
  d.Add("A", 2);
  EXPECT_EQ(d.Get("a"), 2);
}

TEST(Dictionary, HoldsMoveOnlyValues) {
  Dictionary<std::unique_ptr<int>> d;
  d.Add("b", std::make_unique<int>(2));
  d.Add("a", std::make_unique<int>(1));
  d.Set("B", std::make_unique<int>(3));
  d.SortByKey();
  d.Remove("a");
  EXPECT_EQ(*d.Get("b"), 3);
}

// Random operations checked against a plain list searched with TextEquals.
TEST(Dictionary, AgreesWithALinearModelOverRandomOperations) {
  std::mt19937 rng(20091);
  const Strings spellings = {"a",   "A",  "b",  "B",  "école", "ÉCOLE", "key", "KEY",
                             "Key", "x1", "X1", "zz", "ZZ",    "_",     "m",   "M"};
  Dictionary<int> d;
  std::vector<std::pair<std::string, int>> model;
  auto model_find = [&](const std::string& key) {
    return std::find_if(model.begin(), model.end(),
                        [&](const auto& e) { return TextEquals(e.first, key); });
  };
  for (int step = 0; step < 3000; ++step) {
    const std::string& key = spellings[rng() % spellings.size()];
    auto it = model_find(key);
    switch (rng() % 5) {
      case 0:
      case 1:
        d.Set(key, step);
        if (it != model.end()) {
          it->second = step;
        } else {
          model.emplace_back(key, step);
        }
        break;
      case 2:
        EXPECT_EQ(d.Remove(key), it != model.end());
        if (it != model.end()) model.erase(it);
        break;
      case 3:
        d.SortByKey();
        std::sort(model.begin(), model.end(), [](const auto& x, const auto& y) {
          return TextCompare(x.first, y.first) < 0;
        });
        break;
      default:
        if (it == model.end()) {
          EXPECT_EQ(d.Find(key), nullptr);
        } else {
          ASSERT_NE(d.Find(key), nullptr);
          EXPECT_EQ(*d.Find(key), it->second);
        }
    }
    ASSERT_EQ(d.Count(), model.size());
    for (size_t i = 0; i < model.size(); ++i) {
      ASSERT_EQ(d.At(i).Key(), model[i].first) << "step " << step;
      ASSERT_EQ(d.At(i).Value(), model[i].second);
    }
  }
}

}  // namespace
}  // namespace zanvoro
