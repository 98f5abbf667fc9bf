// The error report window: explains that an unexpected failure happened,
// shows the report on demand (cmdViewReport toggles between the heights
// 3150 and 5535 twips and shows or hides txtReport), and offers the error
// mail (cmdOpenEmail: for review; lblSendDirectly: sent at once) or just
// closing (cmdCancel). Every way out shuts the add-in down. Texts come from
// the phrase variables in the user's language.
#pragma once

#include "host/ui/Form.h"

namespace zanvoro {

class frmErrorReport : public host::Form {
 public:
  static constexpr int kCollapsedHeight = 3150;
  static constexpr int kExpandedHeight = 5535;

  frmErrorReport();

 private:
  void Leave();
};

}  // namespace zanvoro
