// The live users window: every technician of the helpdesk with their
// address and whether they are working now, which is known from the
// monitoring claims they hold (a running instance claims the monitored
// folders it processes), this user marked as well; and this instance's
// user, computer and version. Refresh reads the claims again; Close closes.
#pragma once

#include "host/ui/Form.h"

namespace zanvoro {

class cGlobalSettings;

class frmRealTimeUsers : public host::Form {
 public:
  explicit frmRealTimeUsers(cGlobalSettings& settings);

 private:
  void FillList();

  cGlobalSettings& settings_;
};

}  // namespace zanvoro
