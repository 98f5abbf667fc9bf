// An option button: selecting one clears the others of its group on the
// same form (the empty group is the form's own). Selecting fires Click.
#pragma once

#include "host/ui/Control.h"

namespace zanvoro::host {

class OptionButton : public CaptionedControl {
 public:
  OptionButton(Form& form, std::string name, std::string group = {})
      : CaptionedControl(form, ControlKind::OptionButton, std::move(name)),
        group_(std::move(group)) {}

  bool Value() const { return value_; }
  // true selects the button (and clears the rest of the group) and fires
  // Click when it was not selected; false clears it without an event.
  void SetValue(bool value);
  // Selects the button and fires Click, even when it was selected already.
  void Click() override;

  const std::string& Group() const { return group_; }
  void SetGroup(std::string group) { group_ = std::move(group); }

 protected:
  void UserInput(std::string_view text) override;
  void UserCheck(bool checked) override;

 private:
  void Select();

  std::string group_;
  bool value_ = false;
};

}  // namespace zanvoro::host
