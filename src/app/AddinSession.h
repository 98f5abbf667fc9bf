// `zanvoro run`: the mail-client session with the add-in connected.
#pragma once

#include <string>

namespace zanvoro::app {

class CommandContext;

struct SessionOptions {
  // A file of console commands answering the windows, read in order
  // ("click cmdExisting", "close", ...); empty: none.
  std::string answers_file;
  // Serve the web interface on `listen` while the session runs. An address
  // other than loopback needs the web password of the hive
  // ("Software\Pellworth\VNH\Web", value "Password").
  bool web = false;
  std::string listen = "127.0.0.1:8480";
};

// Opens the profile, connects the add-in (OnConnection, then
// OnStartupComplete once the event loop runs), runs until SIGINT, SIGTERM
// or the client's Quit, then raises OnBeginShutdown and OnDisconnection.
// In between the mailbox monitoring works: the start-up claims and watches
// the monitored folders, processes the mail waiting there and in the
// Ongoing folder, and every mail that arrives later becomes a case or is
// added to one; the shut-down gives the claims up.
//
// Who answers the windows: the commands of `answers_file` when given; no
// one when standard input is not a terminal or ZANVORO_UI is "scripted"
// (message boxes take their default button, windows are closed as soon as
// they open); else the person at the terminal.
//
// With the web interface the server starts before the add-in connects (a
// listen address it may not use stops the session there), its pages run on
// the session's event loop, and the windows are answered as said above.
void RunAddinSession(CommandContext& context, const SessionOptions& options);

}  // namespace zanvoro::app
