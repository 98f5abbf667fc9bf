// The demo case loader: makes txtCount demonstration cases (1 to 500) from
// the helpdesk's own lists, each with a random caller, technician, problem
// type, origin and status, marked as demo cases and some left unread; with
// chkResolved every other one is made resolved. Load makes them, Close
// closes; lblDone says how many were made.
//
// Every handler follows the failure convention ("LoadDemo.<control>"). UI
// thread only.
#pragma once

#include "host/ui/Form.h"

namespace zanvoro {

class cGlobalSettings;

class frmLoadDemo : public host::Form {
 public:
  explicit frmLoadDemo(cGlobalSettings& settings);

  int Made() const { return made_; }

 private:
  void LoadCases();

  cGlobalSettings& settings_;
  int made_ = 0;
};

}  // namespace zanvoro
