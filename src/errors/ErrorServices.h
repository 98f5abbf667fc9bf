// What the error report needs from the rest of the add-in, handed in by the
// connection (ZFO_M) when it connects: the host application, the shut-down,
// and the helpdesk's folder paths and owner for the advice texts. Every
// member may be empty; the report then does without it (no version, no
// shut-down, placeholders replaced by "").
#pragma once

#include <functional>
#include <string>

#include "errors/HelpdeskFolder.h"

namespace zanvoro {

namespace host {
class Application;
}  // namespace host

struct ErrorServices {
  // The host application, acquired again when it was lost; nullptr when
  // there is none.
  std::function<host::Application*()> application;
  // ShutdownAddin.
  std::function<void()> shutdown;
  // The full folder path of a helpdesk folder; "" when it is not found.
  std::function<std::string(HelpdeskFolder)> folder_path;
  // The global setting "sdoOwner": the helpdesk owner's name.
  std::function<std::string()> owner;
};

// Replaces the services; UI thread only.
void SetErrorServices(ErrorServices services);
const ErrorServices& GetErrorServices();

}  // namespace zanvoro
