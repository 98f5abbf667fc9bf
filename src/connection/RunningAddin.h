// What the helpdesk's subsystems ask of the connected add-in: whether it is
// shutting down, whether its global settings loaded, its host application
// and session, the language, and the hidden window's balloon. The
// connection registers itself here when it connects and withdraws when it
// goes away; the subsystems never see the connection class itself.
// UI thread only.
#pragma once

#include <memory>
#include <string_view>

namespace zanvoro {

namespace host {
class Application;
class NameSpace;
}  // namespace host

class RunningAddin {
 public:
  virtual ~RunningAddin() = default;

  // The host application and its MAPI session; nullptr when there is none.
  virtual std::shared_ptr<host::Application> HostApplication() const = 0;
  virtual std::shared_ptr<host::NameSpace> Session() const = 0;
  // True once the shut-down began (or the start-up failed).
  virtual bool IsShutdown() const = 0;
  virtual bool GlobalSettingsLoaded() const = 0;
  // Whether network failures are to be shown to the user.
  virtual bool NetworkMessage() const = 0;
  // The phrase table's language column (1 for the first language).
  virtual int LanguageIndex() const = 0;
  // The hidden window's balloon; false when none is loaded.
  virtual bool PopupSystrayBalloonInteractive(std::string_view title,
                                              std::string_view text) = 0;
  // Re-reads the start-up options with the user's "sdo_" setting, after the
  // global settings loaded.
  virtual void ReadOptionsWithUserOption() = 0;
};

// The connected add-in; nullptr when none is connected.
RunningAddin* ConnectedAddin();
// Registers `addin` (nullptr withdraws).
void SetConnectedAddin(RunningAddin* addin);

}  // namespace zanvoro
