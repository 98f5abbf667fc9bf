#include "intake/IntakeSupport.h"

#include "addin/ZFO_M.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/store/Item.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::intake {

std::shared_ptr<host::Item> NewMail() {
  ZFO_M* addin = ZFO_M::Connected();
  if (!addin || !addin->HostApplication()) return nullptr;
  return addin->HostApplication()->CreateItem(host::ItemType::Mail);
}

void ShowBalloon(std::string_view text) {
  ZFO_M* addin = ZFO_M::Connected();
  if (addin) addin->PopupSystrayBalloonInteractive(kApplicationTitle, text);
}

std::string PlainTextAsHtml(std::string_view text) {
  return HtmlEscape(text, LineBreaks::AsBreaks);
}

}  // namespace zanvoro::intake
