#include "host/ui/CheckBox.h"

namespace zanvoro::host {

void CheckBox::SetValue(CheckState value) {
  if (value == value_) return;
  value_ = value;
  FireClick();
}

void CheckBox::Click() {
  SetValue(value_ == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked);
}

void CheckBox::UserInput(std::string_view text) { UserCheck(ReadChecked(text)); }

void CheckBox::UserCheck(bool checked) {
  SetValue(checked ? CheckState::Checked : CheckState::Unchecked);
}

}  // namespace zanvoro::host
