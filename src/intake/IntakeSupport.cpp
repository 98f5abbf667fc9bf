#include "intake/IntakeSupport.h"

#include "connection/RunningAddin.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/store/Item.h"
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

std::string PlainTextAsHtml(std::string_view text) {
  std::string html;
  html.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    switch (ch) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        html += "<br>";
        break;
      case '\n':
        html += "<br>";
        break;
      default:
        html += ch;
    }
  }
  return html;
}

}  // namespace zanvoro::intake
