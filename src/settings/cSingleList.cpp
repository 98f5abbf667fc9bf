#include "settings/cSingleList.h"

#include "errors/Trap.h"
#include "host/ui/ListControl.h"
#include "runtime/Text.h"
#include "settings/ListRandom.h"
#include "settings/ListText.h"

namespace zanvoro {

bool cSingleList::Add(std::string item) {
  if (Trim(item).empty() || items_.Exists(item)) return false;
  std::string key = item;
  items_.Add(std::move(key), std::move(item));
  return true;
}

std::string cSingleList::GetItem(int64_t index) const {
  if (index < 0 || static_cast<uint64_t>(index) >= items_.Count()) return {};
  return Trim(items_.At(static_cast<size_t>(index)).Value());
}

void cSingleList::ReplaceWith(const std::vector<std::string>& items) {
  items_.Clear();
  for (const std::string& item : items) Add(item);
  if (items_.Count() > 1) items_.SortByKey();
}

void cSingleList::FromString(std::string_view text, std::string_view separator) {
  Trap("SingleList.SetString", [&] { ReplaceWith(Split(text, separator)); });
}

std::string cSingleList::ToString(std::string_view separator) const {
  return Trap("SingleList.GetString", std::string{},
              [&] { return Join(items_.Keys(), separator); });
}

std::string cSingleList::ToStringWithEmptyValue(std::string_view separator) const {
  if (items_.IsEmpty()) return {};
  return std::string(separator) + ToString(separator);
}

void cSingleList::PopulateComboList(host::ListControl& control) const {
  Trap("SingleList.PopulateComboList", [&] {
    control.Clear();
    for (const auto& entry : items_) control.AddItem(entry.Value());
  });
}

void cSingleList::FromComboOrList(const host::ListControl& control) {
  Trap("SingleList.FromComboOrList", [&] {
    std::vector<std::string> items;
    for (int i = 0; i < control.ListCount(); ++i) items.push_back(control.List(i));
    ReplaceWith(items);
  });
}

void cSingleList::FromArray(const Array2D& array) {
  Trap("SingleList.SetArray", [&] {
    std::vector<std::string> items;
    if (array.Columns() > 0) {
      for (size_t row = 0; row < array.Rows(); ++row)
        items.push_back(CellText(array.At(row, 0)));
    }
    ReplaceWith(items);
  });
}

Array2D cSingleList::ToArray() const {
  return Trap("SingleList.GetArray", Array2D{}, [&] {
    Array2D array(items_.Count(), 1);
    size_t row = 0;
    for (const auto& entry : items_) array.Set(row++, 0, entry.Value());
    return array;
  });
}

std::string cSingleList::RandomItem() const {
  return Trap("SingleList.RandomItem", std::string{}, [&] {
    if (items_.IsEmpty()) return std::string{};
    return Trim(items_.At(RandomListIndex(items_.Count())).Value());
  });
}

}  // namespace zanvoro
