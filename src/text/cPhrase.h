// One loaded phrase: its key and its text in the selected language.
#pragma once

#include <string>

namespace zanvoro {

struct cPhrase {
  std::string Key;
  std::string LangPhrase;
};

}  // namespace zanvoro
