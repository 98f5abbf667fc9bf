// The Zanvoro program: the mail-client session (`zanvoro run`) and the
// shell commands around it.
#include <iostream>

#include "app/Commands.h"

int main(int argc, char** argv) {
  return zanvoro::app::RunCommandLine(argc, argv, std::cout, std::cerr);
}
