// A helpdesk test that runs `zanvoro` command lines in-process on the
// profile, keeping what the last command printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "case/HelpdeskTestSupport.h"

namespace zanvoro::testsupport {

class CommandTest : public HelpdeskTest {
 protected:
  // Runs `zanvoro --profile <profile> words...`; out_ and err_ then hold
  // what this command printed. Returns its exit code.
  int Run(const std::vector<std::string>& words) {
    out_.str("");
    err_.str("");
    std::vector<const char*> argv = {"zanvoro", "--profile", profile_.folder.c_str()};
    for (const std::string& word : words) argv.push_back(word.c_str());
    return app::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out_, err_);
  }

  std::ostringstream out_;
  std::ostringstream err_;
};

}  // namespace zanvoro::testsupport
