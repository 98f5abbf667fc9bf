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

TEST(Dictionary, IterationChangesValuesClearEmptiesItAndItHoldsMoveOnlyValues) {
  Dictionary<int> d;
  d.Add("a", 1);
  d.Add("b", 2);
  for (auto& e : d) e.Value() *= 10;
  EXPECT_EQ(d.Get("B"), 20);
  d.Clear();
  EXPECT_TRUE(d.IsEmpty());
  EXPECT_FALSE(d.Exists("a"));
  d.Add("A", 2);
  EXPECT_EQ(d.Get("a"), 2);
  Dictionary<std::unique_ptr<int>> owned;
  owned.Add("b", std::make_unique<int>(2));
  owned.Add("a", std::make_unique<int>(1));
  owned.Set("B", std::make_unique<int>(3));
  owned.SortByKey();
  owned.Remove("a");
  EXPECT_EQ(*owned.Get("b"), 3);
}

// Random operations checked against a plain list searched with TextEquals:
// look-ups without regard to case, the first spelling and place of a key, the
// insertion order, sorting by key and removal that keeps the rest in order.
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
