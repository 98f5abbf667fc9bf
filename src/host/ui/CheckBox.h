// A check box with the classic three values. Changing the value, from code
// or by a click, fires Click.
#pragma once

#include "host/ui/Control.h"

namespace zanvoro::host {

enum class CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };

class CheckBox : public CaptionedControl {
 public:
  CheckBox(Form& form, std::string name)
      : CaptionedControl(form, ControlKind::CheckBox, std::move(name)) {}

  CheckState Value() const { return value_; }
  bool Checked() const { return value_ == CheckState::Checked; }
  // Fires Click when the value changes.
  void SetValue(CheckState value);
  // Toggles: checked becomes unchecked, anything else checked.
  void Click() override;

 protected:
  void UserInput(std::string_view text) override;  // "1", "0", "True", "False"
  void UserCheck(bool checked) override;

 private:
  CheckState value_ = CheckState::Unchecked;
};

}  // namespace zanvoro::host
