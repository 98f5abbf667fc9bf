#include "host/ui/OptionButton.h"

#include "host/ui/Form.h"
#include "runtime/Text.h"

namespace zanvoro::host {

void OptionButton::Select() {
  for (Control* control : Parent().Controls()) {
    auto* other = dynamic_cast<OptionButton*>(control);
    if (other && other != this && TextEquals(other->group_, group_))
      other->value_ = false;
  }
  value_ = true;
}

void OptionButton::SetValue(bool value) {
  if (!value) {
    value_ = false;
    return;
  }
  if (value_) return;
  Select();
  FireClick();
}

void OptionButton::Click() {
  Select();
  FireClick();
}

void OptionButton::UserInput(std::string_view text) { UserCheck(ReadChecked(text)); }

void OptionButton::UserCheck(bool checked) {
  // A user cannot clear an option button, only pick another one.
  if (!checked) Refuse("cannot be cleared; select another option instead");
  Click();
}

}  // namespace zanvoro::host
