// The custom UI document the add-in hands the client for its explorer
// ribbon: an empty ribbon and the backstage tab "Zanvoro Manager" with the
// manager's commands, labelled in the interface language loaded now.
#pragma once

#include <string>

namespace zanvoro {

// The backstage part: "<backstage>...</backstage>".
std::string GetBackStageXML();
// The whole document: the customUI element with its onLoad callback, the
// empty ribbon and the backstage part, without whitespace between them.
std::string GetCustomUIXML();

}  // namespace zanvoro
