// The ribbon callbacks of the connection class.
#include "addin/BackStageXML.h"
#include "addin/ZFO_M.h"
#include "addin/modCommands.h"
#include "errors/Trap.h"

namespace zanvoro {

std::string ZFO_M::IRibbonExtensibility_GetCustomUI(std::string_view ribbon_id) {
  return Trap("Ribbon.GetCustomUI", std::string{}, [&] {
    return ribbon_id == host::kExplorerRibbonId ? GetCustomUIXML() : std::string();
  });
}

void ZFO_M::OnLoad(std::shared_ptr<host::RibbonUI> ribbon) {
  ribbon_ = std::move(ribbon);
}

bool ZFO_M::IsShutdown(const host::RibbonControl& /*control*/) const {
  return !shutdown_;
}

void ZFO_M::SubExecuteAction(const host::RibbonControl& control) {
  RunCommand(*this, control.Id);
}

std::string ZFO_M::getImages(const host::RibbonControl& /*control*/) const { return {}; }

std::string ZFO_M::GetCustomUI(std::string_view ribbon_id) {
  return IRibbonExtensibility_GetCustomUI(ribbon_id);
}

void ZFO_M::RibbonLoaded(std::string_view callback,
                         const std::shared_ptr<host::RibbonUI>& ribbon) {
  if (callback == "OnLoad") OnLoad(ribbon);
}

bool ZFO_M::RibbonGetBool(std::string_view callback, const host::RibbonControl& control) {
  return callback == "IsShutdown" && IsShutdown(control);
}

void ZFO_M::RibbonAction(std::string_view callback, const host::RibbonControl& control) {
  if (callback == "SubExecuteAction") SubExecuteAction(control);
}

}  // namespace zanvoro
