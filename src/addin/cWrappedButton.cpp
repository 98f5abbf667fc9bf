#include "addin/cWrappedButton.h"

#include "errors/modErroHandling.h"
#include "runtime/Text.h"

namespace zanvoro {

cWrappedButton::cWrappedButton(std::shared_ptr<host::CommandBarControl> button,
                               IMyEventInterface& callback)
    : wrapped_(std::move(button)) {
  click_ = wrapped_->Click().Connect(
      [&callback](host::CommandBarControl& clicked, bool& cancel_default) {
        SetCurrentProcedure("Wrapped.cmdOfficeButton.Click");
        callback.ButtonClick(clicked, cancel_default);
      });
}

cWrappedButton cWrappedButton::Add(host::CommandBarControls& controls,
                                   const ButtonDefinition& definition,
                                   IMyEventInterface& callback) {
  auto button = controls.Add(host::ControlType::Button, host::ControlLife::Temporary);
  button->SetCaption(definition.caption);
  button->SetTooltipText(definition.tooltip);
  button->SetTag(definition.command_id);
  button->SetFaceId(definition.face_id);
  return cWrappedButton(std::move(button), callback);
}

void ButtonPopup::Add(host::CommandBarControls& controls, std::string caption,
                      const std::vector<ButtonDefinition>& buttons,
                      IMyEventInterface& callback) {
  Remove();
  popup_ = controls.Add(host::ControlType::Popup, host::ControlLife::Temporary);
  popup_->SetCaption(std::move(caption));
  for (const ButtonDefinition& definition : buttons) {
    buttons_.push_back(cWrappedButton::Add(popup_->Controls(), definition, callback));
  }
}

void ButtonPopup::Remove() {
  buttons_.clear();
  if (popup_) popup_->Delete();
  popup_.reset();
}

std::shared_ptr<host::CommandBarControl> ButtonPopup::Button(
    std::string_view command_id) const {
  for (const cWrappedButton& button : buttons_) {
    if (TextEquals(button.Wrapped()->Tag(), command_id)) return button.Wrapped();
  }
  return nullptr;
}

}  // namespace zanvoro
