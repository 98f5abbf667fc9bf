// The about window: the program's name and version, the host it runs in,
// and a button (cmdHomePage) that opens the product's home page; OK closes.
#pragma once

#include <string>

#include "host/ui/Form.h"

namespace zanvoro {

class frmAbout : public host::Form {
 public:
  explicit frmAbout(std::string home_page);

 private:
  std::string home_page_;
};

}  // namespace zanvoro
