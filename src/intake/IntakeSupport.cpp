#include "intake/IntakeSupport.h"

#include "connection/RunningAddin.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::intake {

std::shared_ptr<host::Item> NewMail() {
  RunningAddin* addin = ConnectedAddin();
  if (!addin || !addin->HostApplication()) return nullptr;
  return addin->HostApplication()->CreateItem(host::ItemType::Mail);
}

void ShowBalloon(std::string_view text) {
  RunningAddin* addin = ConnectedAddin();
  if (addin) addin->PopupSystrayBalloonInteractive(kApplicationTitle, text);
}

bool SameFolder(const host::MAPIFolder& a, const host::MAPIFolder& b) {
  return a.EntryID() == b.EntryID() && a.StoreID() == b.StoreID();
}

std::string PlainTextAsHtml(std::string_view text) {
  return HtmlEscape(text, LineBreaks::AsBreaks);
}

}  // namespace zanvoro::intake
