// A combo box: a text with a drop-down list. Picking an entry (ListIndex)
// shows it as the text and fires Click; changing the text fires Change. A
// drop-down list takes no free text: its text is always an entry or "".
#pragma once

#include "host/ui/ListControl.h"

namespace zanvoro::host {

enum class ComboStyle { DropDownCombo = 0, SimpleCombo = 1, DropDownList = 2 };

class ComboBox : public ListControl {
 public:
  ComboBox(Form& form, std::string name, ComboStyle style = ComboStyle::DropDownCombo)
      : ListControl(form, ControlKind::ComboBox, std::move(name)), style_(style) {}

  ComboStyle Style() const { return style_; }
  void SetStyle(ComboStyle style) { style_ = style; }

  const std::string& Text() const { return text_; }
  // Selects the entry equal to `text` (ignoring case) when there is one, and
  // fires Change when the text differs. A drop-down list raises
  // Error(err::kInvalidProcedureCall) for a text that is not an entry.
  void SetText(std::string text);
  void OnChange(Handler handler) { on_change_ = std::move(handler); }

  // The text first, then the entries.
  std::vector<std::string> Texts() const override;

 protected:
  void SelectionChanged() override;
  // An entry's text picks it, as choosing from the list does; other text is
  // typed into the box.
  void UserInput(std::string_view text) override;

 private:
  ComboStyle style_;
  std::string text_;
  Handler on_change_;
};

}  // namespace zanvoro::host
