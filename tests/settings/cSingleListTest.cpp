#include <gtest/gtest.h>

#include "host/ui/Form.h"
#include "host/ui/ListBox.h"
#include "settings/cSingleList.h"

namespace zanvoro {
namespace {

TEST(SingleList, ReadsItemsBetweenSeparatorsWithoutEmptyOnes) {
  struct {
    const char* text;
    const char* separator;
    const char* items;  // read back, joined by "|"
  } cases[] = {
      {"", "\r\n", ""},
      {"Phone\r\nEmail\r\n", "\r\n", "Email|Phone"},
      {"\r\nWeb\r\n\r\n  \r\nPhone", "\r\n", "Phone|Web"},
      {"Open\tclosed\tOPEN\tWaiting", "\t", "closed|Open|Waiting"},
      {"single", ",", "single"},
  };
  for (const auto& c : cases) {
    cSingleList list;
    list.FromString("stale", ",");
    list.FromString(c.text, c.separator);
    EXPECT_EQ(list.ToString("|"), c.items) << c.text;
  }
}

TEST(SingleList, ItemsAreTrimmedEmptyOutOfRangeAndRandomOnesFromTheList) {
  cSingleList list;
  EXPECT_EQ(list.RandomItem(), "");
  EXPECT_EQ(list.ToStringWithEmptyValue("\t"), "");
  list.FromString(" b ,a", ",");
  EXPECT_EQ(list.GetItem(0), "b");  // " b " sorts before "a"
  EXPECT_EQ(list.FirstItem(), "b");
  EXPECT_EQ(list.GetItem(1), "a");
  EXPECT_EQ(list.GetItem(2), "");
  EXPECT_EQ(list.GetItem(-1), "");
  std::string item = list.RandomItem();
  EXPECT_TRUE(item == "a" || item == "b") << item;
  list.FromString("b\ta", "\t");
  EXPECT_EQ(list.ToStringWithEmptyValue("\t"), "\ta\tb");
  EXPECT_EQ(list.ToStringTab(), "a\tb");
}

TEST(SingleList, RoundTripsThroughAListControlAndAnArray) {
  cSingleList list;
  list.FromString("New,Closed,In progress", ",");
  host::Form form("frmTest");
  auto& box = form.Add<host::ListBox>("lstStatus");
  list.PopulateComboList(box);
  ASSERT_EQ(box.ListCount(), 3);
  EXPECT_EQ(box.List(1), "In progress");
  box.AddItem("Waiting");
  box.AddItem("closed");
  cSingleList from_box;
  from_box.FromComboOrList(box);
  EXPECT_EQ(from_box.ToString(","), "Closed,In progress,New,Waiting");

  Array2D array = from_box.ToArray();
  ASSERT_EQ(array.Columns(), 1u);
  ASSERT_EQ(array.Rows(), 4u);
  array.Set(3, 0, Null{});
  cSingleList from_array;
  from_array.FromArray(array);
  EXPECT_EQ(from_array.ToString(","), "Closed,In progress,New");
}

}  // namespace
}  // namespace zanvoro
