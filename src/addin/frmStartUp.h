// The start-up question (start-up option 1): load the add-in or stay
// inactive for this session. cmdActive and the window's close box answer
// active, cmdInactive inactive.
#pragma once

#include "host/ui/Form.h"

namespace zanvoro {

enum class StartUpAnswer { Active, Inactive };

class frmStartUp : public host::Form {
 public:
  frmStartUp();

  StartUpAnswer Answer() const { return answer_; }

 private:
  StartUpAnswer answer_ = StartUpAnswer::Active;
};

}  // namespace zanvoro
