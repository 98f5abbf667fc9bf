// The mailbox-monitoring window: the helpdesk's monitored folders and
// mailboxes in lstFolders (key, action mode, active, who monitors it now).
// Add monitors the folder path or mailbox typed in txtFolder with the mode
// of cboMode and the defaults typed for its new cases (AddMonitoredFolder's
// rules; a refusal is shown and nothing changes); Remove stops monitoring
// the picked one. Both save the list at once. Close closes.
//
// Every handler follows the failure convention ("EmailMonitoring.<control>").
// UI thread only.
#pragma once

#include "host/ui/Form.h"

namespace zanvoro {

class cGlobalSettings;

class frmEmailMonitoring : public host::Form {
 public:
  explicit frmEmailMonitoring(cGlobalSettings& settings);

 private:
  void FillList();

  cGlobalSettings& settings_;
};

}  // namespace zanvoro
