// The advice window for a known failure: a heading, the advice text
// (lblMessage), the report on demand (cmdViewReport starts on the hide
// caption and toggles between the heights 5175 and 3750 twips), and
// cmdExit, which closes the window and shuts the add-in down.
#pragma once

#include "host/ui/Form.h"

namespace zanvoro {

class frmFriendlyError : public host::Form {
 public:
  static constexpr int kExpandedHeight = 5175;
  static constexpr int kCollapsedHeight = 3750;

  frmFriendlyError();
};

}  // namespace zanvoro
