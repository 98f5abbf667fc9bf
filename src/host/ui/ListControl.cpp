#include "host/ui/ListControl.h"

#include "host/ui/Form.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

ListControl::ListControl(Form& form, ControlKind kind, std::string name)
    : Control(form, kind, std::move(name)) {}

void ListControl::BadIndex(int index) const {
  throw Error(err::kInvalidProcedureCall,
              "Invalid property array index " + std::to_string(index) + " for " +
                  Parent().Name() + "." + Name() + " with " +
                  std::to_string(ListCount()) + " entries",
              Parent().Name());
}

ListControl::Row& ListControl::RowAt(int index) {
  if (index < 0 || index >= ListCount()) BadIndex(index);
  return rows_[static_cast<size_t>(index)];
}

const ListControl::Row& ListControl::RowAt(int index) const {
  return const_cast<ListControl*>(this)->RowAt(index);
}

void ListControl::AddItem(std::string item, int index) {
  if (index == -1) index = ListCount();
  if (index < 0 || index > ListCount()) BadIndex(index);
  rows_.insert(rows_.begin() + index, Row{{std::move(item)}});
  if (list_index_ >= index) ++list_index_;
}

void ListControl::RemoveItem(int index) {
  RowAt(index);
  rows_.erase(rows_.begin() + index);
  if (list_index_ == index) {
    list_index_ = -1;
    SelectionChanged();
  } else if (list_index_ > index) {
    --list_index_;
  }
}

void ListControl::Clear() {
  rows_.clear();
  if (list_index_ != -1) {
    list_index_ = -1;
    SelectionChanged();
  }
}

const std::string& ListControl::List(int index) const { return RowAt(index).cells[0]; }

void ListControl::SetList(int index, std::string item) {
  RowAt(index).cells[0] = std::move(item);
  if (index == list_index_) SelectionChanged();
}

int32_t ListControl::ItemData(int index) const { return RowAt(index).data; }

void ListControl::SetItemData(int index, int32_t data) { RowAt(index).data = data; }

int ListControl::FindItem(std::string_view item) const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (TextEquals(rows_[i].cells[0], item)) return static_cast<int>(i);
  }
  return -1;
}

bool ListControl::MoveSelection(int index) {
  if (index != -1) RowAt(index);
  if (index == list_index_) return false;
  list_index_ = index;
  SelectionChanged();
  return true;
}

void ListControl::SetListIndex(int index) {
  if (MoveSelection(index)) FireClick();
}

std::vector<std::string> ListControl::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(rows_.size());
  for (const Row& row : rows_) texts.push_back(Join(row.cells, "\t"));
  return texts;
}

void ListControl::UserSelect(int index) { SetListIndex(index); }

}  // namespace zanvoro::host
