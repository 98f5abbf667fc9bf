#include "addin/frmAbout.h"

#include "addin/modCommands.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "text/Phrases.h"

namespace zanvoro {

frmAbout::frmAbout(std::string home_page)
    : Form("frmAbout", CONST_ABOUT + " Zanvoro"), home_page_(std::move(home_page)) {
  Add<host::Label>("lblTitle").SetCaption(kApplicationTitle);
  Add<host::Label>("lblVersion").SetCaption("Version " + GetVersionString());
  Add<host::Label>("lblHomePage").SetCaption(home_page_);
  auto& home = Add<host::CommandButton>("cmdHomePage");
  home.SetCaption(CONST_VISIT_HOME_PAGE);
  home.OnClick([this] { Trap("About.cmdHomePage", [&] { OpenInBrowser(home_page_); }); });
  auto& ok = Add<host::CommandButton>("cmdOK");
  ok.SetCaption("OK");
  ok.OnClick([this] { Unload(); });
}

}  // namespace zanvoro
