// The helpdesk's folders on the user's own machine, under the documents
// folder: "Helpdesk Data" and "Helpdesk Reports", used by the reports.
#pragma once

#include <string>

#include "case/HelpdeskFolders.h"

namespace zanvoro {

// "<documents>/Helpdesk Data". With CreateMode::Create a missing folder is
// created (a failure is reported); the path is returned either way, "" only
// after an unexpected failure.
std::string GetHelpdeskDataFolder(CreateMode create);
// "<documents>/Helpdesk Reports", the same way.
std::string GetHelpdeskReportsFolder(CreateMode create);

}  // namespace zanvoro
