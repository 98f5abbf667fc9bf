// A push button: clicking it fires Click.
#pragma once

#include "host/ui/Control.h"

namespace zanvoro::host {

class CommandButton : public CaptionedControl {
 public:
  CommandButton(Form& form, std::string name)
      : CaptionedControl(form, ControlKind::CommandButton, std::move(name)) {}
};

}  // namespace zanvoro::host
