// Toolbar buttons made at run time and the one receiver of their clicks.
//
// cWrappedButton holds one button (Wrapped) and its receiver (Callback):
// the button's click records "Wrapped.cmdOfficeButton.Click" as current
// location and calls the receiver's ButtonClick with the button and the
// cancel-default flag. Each button's tag is its toolbar command identifier
// ("cmdSearchCases"), which tells the receiver what was clicked.
//
// ButtonPopup is a popup of such buttons on a bar, as the settings and the
// navigation buttons build them. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/client/ClientEvent.h"
#include "host/client/CommandBars.h"

namespace zanvoro {

class IMyEventInterface {
 public:
  virtual ~IMyEventInterface() = default;
  virtual void ButtonClick(host::CommandBarControl& button, bool& cancel_default) = 0;
};

// What a toolbar button shows and runs.
struct ButtonDefinition {
  std::string command_id;
  std::string caption;
  std::string tooltip;
  int32_t face_id = 0;
};

class cWrappedButton {
 public:
  // REQUIRES: `callback` outlives the wrapper.
  cWrappedButton(std::shared_ptr<host::CommandBarControl> button,
                 IMyEventInterface& callback);

  // A new temporary button on `controls`, wrapped.
  static cWrappedButton Add(host::CommandBarControls& controls,
                            const ButtonDefinition& definition,
                            IMyEventInterface& callback);

  const std::shared_ptr<host::CommandBarControl>& Wrapped() const { return wrapped_; }

 private:
  std::shared_ptr<host::CommandBarControl> wrapped_;
  host::ScopedConnection click_;
};

class ButtonPopup {
 public:
  ButtonPopup() = default;
  // Deletes what Add put on the bar.
  ~ButtonPopup() { Remove(); }
  ButtonPopup(const ButtonPopup&) = delete;
  ButtonPopup& operator=(const ButtonPopup&) = delete;

  // A temporary popup captioned `caption` at the end of `controls`, with one
  // button per ButtonDefinition, in order. A popup added before is removed first.
  void Add(host::CommandBarControls& controls, std::string caption,
           const std::vector<ButtonDefinition>& buttons, IMyEventInterface& callback);
  // Deletes the popup and lets its buttons go.
  void Remove();

  const std::shared_ptr<host::CommandBarControl>& Popup() const { return popup_; }
  // The button of `command_id`; nullptr when there is none.
  std::shared_ptr<host::CommandBarControl> Button(std::string_view command_id) const;

 private:
  std::shared_ptr<host::CommandBarControl> popup_;
  std::vector<cWrappedButton> buttons_;
};

}  // namespace zanvoro
