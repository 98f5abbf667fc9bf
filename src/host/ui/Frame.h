// A captioned box that groups controls on a window. Grouping is only visual
// here: option buttons name their group themselves.
#pragma once

#include "host/ui/Control.h"

namespace zanvoro::host {

class Frame : public CaptionedControl {
 public:
  Frame(Form& form, std::string name)
      : CaptionedControl(form, ControlKind::Frame, std::move(name)) {}
};

}  // namespace zanvoro::host
