// A list box, optionally with several columns and several selected entries.
// Clicking an entry (ListIndex) fires Click.
#pragma once

#include "host/ui/ListControl.h"

namespace zanvoro::host {

enum class MultiSelect { None = 0, Simple = 1, Extended = 2 };

class ListBox : public ListControl {
 public:
  ListBox(Form& form, std::string name)
      : ListControl(form, ControlKind::ListBox, std::move(name)) {}

  // Columns shown per entry; column 0 is the entry itself (List(i)).
  int ColumnCount() const { return column_count_; }
  void SetColumnCount(int count) { column_count_ = count < 1 ? 1 : count; }
  // A cell; "" for a column never set.
  std::string Cell(int index, int column) const;
  void SetCell(int index, int column, std::string text);

  MultiSelect MultiSelectMode() const { return multi_select_; }
  void SetMultiSelect(MultiSelect mode) { multi_select_ = mode; }
  // With multi-selection, whether the entry is selected; otherwise whether it
  // is the ListIndex entry.
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;

  // The selected entry's text, "" when none is selected.
  std::string Text() const {
    return ListIndex() >= 0 ? List(ListIndex()) : std::string();
  }

 protected:
  // An entry's text selects it (and with multi-selection toggles it).
  void UserInput(std::string_view text) override;
  void UserSelect(int index) override;

 private:
  int column_count_ = 1;
  MultiSelect multi_select_ = MultiSelect::None;
};

}  // namespace zanvoro::host
