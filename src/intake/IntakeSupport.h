// What the intake's own files share: the general settings as the intake
// reads them, the current technician, new mail from the client, and the
// tray balloon. Not part of the intake's interface. UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
}  // namespace host

namespace intake {

// A new, unsaved mail of the connected client; nullptr without one.
std::shared_ptr<host::Item> NewMail();

// Shows a tray balloon titled like the application (the hidden window
// leaves it out when balloons are off).
void ShowBalloon(std::string_view text);

// Whether `a` and `b` are the same folder of the same store.
bool SameFolder(const host::MAPIFolder& a, const host::MAPIFolder& b);

// `text` as HTML: "&", "<" and ">" escaped, every line break "<br>".
std::string PlainTextAsHtml(std::string_view text);

}  // namespace intake
}  // namespace zanvoro
