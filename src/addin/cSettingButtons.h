// The settings popup of the add-in's toolbar menu: a temporary popup
// captioned CONST_SETTINGS with one button per settings command (the
// settings data source, access control, the lists, templates, options,
// web access, SLAs, upgrade, workload and other settings), each tagged with
// its toolbar command identifier. Its controls go when it does. UI thread
// only.
#pragma once

#include <memory>
#include <vector>

#include "addin/cWrappedButton.h"

namespace zanvoro {

class cSettingButtons {
 public:
  // The buttons in menu order, captions and tooltips in the loaded language.
  static std::vector<ButtonDefinition> Buttons();

  void subAddButtons(host::CommandBarControls& controls, IMyEventInterface& receiver);
  // Greys out the web-access button.
  void disableWebAccess();
  void subRemoveButtons() { popup_.Remove(); }

  const ButtonPopup& Popup() const { return popup_; }

 private:
  ButtonPopup popup_;
};

}  // namespace zanvoro
