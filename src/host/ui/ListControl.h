// What list boxes and combo boxes share: a list of entries, each with a
// number for the window's own use (ItemData), and the selected position
// (ListIndex, -1 for none). Positions are 0-based. A position outside the
// list raises Error(err::kInvalidProcedureCall), as the original controls
// did with "Invalid property array index".
#pragma once

#include <cstdint>

#include "host/ui/Control.h"

namespace zanvoro::host {

class ListControl : public Control {
 public:
  int ListCount() const { return static_cast<int>(rows_.size()); }
  // Adds an entry at `index` (-1: at the end). The selection follows its
  // entry.
  void AddItem(std::string item, int index = -1);
  void RemoveItem(int index);
  void Clear();
  const std::string& List(int index) const;
  void SetList(int index, std::string item);
  int32_t ItemData(int index) const;
  void SetItemData(int index, int32_t data);
  // Position of the first entry equal to `item` ignoring case; -1 if none.
  int FindItem(std::string_view item) const;

  int ListIndex() const { return list_index_; }
  // -1 clears the selection. Fires Click when the selection changes.
  void SetListIndex(int index);

  std::vector<std::string> Texts() const override;

 protected:
  ListControl(Form& form, ControlKind kind, std::string name);
  // Called after the selection moved (before Click), so a combo box can
  // show the new entry.
  virtual void SelectionChanged() {}
  // Moves the selection without firing Click; returns whether it moved.
  bool MoveSelection(int index);
  void UserSelect(int index) override;
  [[noreturn]] void BadIndex(int index) const;

  struct Row {
    std::vector<std::string> cells;  // cells[0] is the entry; more for columns
    int32_t data = 0;
    bool selected = false;  // multi-selection
  };
  Row& RowAt(int index);
  const Row& RowAt(int index) const;
  std::vector<Row>& Rows() { return rows_; }
  const std::vector<Row>& Rows() const { return rows_; }

 private:
  std::vector<Row> rows_;
  int list_index_ = -1;
};

}  // namespace zanvoro::host
