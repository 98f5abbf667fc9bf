// A caption on a window; clicking it fires Click (labels that act as links).
#pragma once

#include "host/ui/Control.h"

namespace zanvoro::host {

class Label : public CaptionedControl {
 public:
  Label(Form& form, std::string name)
      : CaptionedControl(form, ControlKind::Label, std::move(name)) {}
};

}  // namespace zanvoro::host
