#include "host/ui/ListBox.h"

#include "host/ui/Form.h"
#include "runtime/Error.h"

namespace zanvoro::host {

std::string ListBox::Cell(int index, int column) const {
  const Row& row = RowAt(index);
  if (column < 0) BadIndex(column);
  return static_cast<size_t>(column) < row.cells.size()
             ? row.cells[static_cast<size_t>(column)]
             : std::string();
}

void ListBox::SetCell(int index, int column, std::string text) {
  Row& row = RowAt(index);
  if (column < 0) BadIndex(column);
  if (row.cells.size() <= static_cast<size_t>(column)) row.cells.resize(column + 1);
  row.cells[static_cast<size_t>(column)] = std::move(text);
}

bool ListBox::Selected(int index) const {
  const Row& row = RowAt(index);
  return multi_select_ == MultiSelect::None ? index == ListIndex() : row.selected;
}

void ListBox::SetSelected(int index, bool selected) {
  if (multi_select_ == MultiSelect::None) {
    RowAt(index);
    if (selected) {
      SetListIndex(index);
    } else if (index == ListIndex()) {
      SetListIndex(-1);
    }
    return;
  }
  Row& row = RowAt(index);
  if (row.selected == selected) return;
  row.selected = selected;
  FireClick();
}

int ListBox::SelCount() const {
  int count = 0;
  for (int i = 0; i < ListCount(); ++i) count += Selected(i) ? 1 : 0;
  return count;
}

void ListBox::UserInput(std::string_view text) {
  const int found = FindItem(text);
  if (found < 0) Refuse("has no entry \"" + std::string(text) + "\"");
  UserSelect(found);
}

void ListBox::UserSelect(int index) {
  if (multi_select_ == MultiSelect::None) {
    SetListIndex(index);
    return;
  }
  // The clicked entry becomes the current one and flips its selection.
  Row& row = RowAt(index);
  row.selected = !row.selected;
  MoveSelection(index);
  FireClick();
}

}  // namespace zanvoro::host
