// The first-run question: use an existing helpdesk (cmdExisting, and the
// window's close box) or create a new one (cmdNew).
#pragma once

#include "host/ui/Form.h"

namespace zanvoro {

enum class NewDBAnswer { Existing, New };

class frmNewDB : public host::Form {
 public:
  frmNewDB();

  NewDBAnswer Answer() const { return answer_; }

 private:
  NewDBAnswer answer_ = NewDBAnswer::Existing;
};

}  // namespace zanvoro
