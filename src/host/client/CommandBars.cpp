#include "host/client/CommandBars.h"

#include <algorithm>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

CommandBarControls::~CommandBarControls() {
  // Whoever still holds a control of this list holds a detached one.
  for (const auto& control : controls_) control->parent_ = nullptr;
}

std::shared_ptr<CommandBarControl> CommandBarControls::Item(int32_t index) const {
  if (index < 1 || index > Count()) {
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds", "CommandBar");
  }
  return controls_[static_cast<size_t>(index - 1)];
}

std::shared_ptr<CommandBarControl> CommandBarControls::Add(ControlType type,
                                                           ControlLife life) {
  auto control = std::make_shared<CommandBarControl>(type, life, this);
  controls_.push_back(control);
  return control;
}

std::shared_ptr<CommandBarControl> CommandBarControls::FindControl(
    std::string_view tag) const {
  for (const auto& control : controls_) {
    if (TextEquals(control->Tag(), tag)) return control;
    if (control->controls_) {
      if (auto found = control->controls_->FindControl(tag)) return found;
    }
  }
  return nullptr;
}

void CommandBarControls::Remove(const CommandBarControl& control) {
  std::erase_if(controls_, [&](const auto& held) { return held.get() == &control; });
}

CommandBarControl::CommandBarControl(ControlType type, ControlLife life,
                                     CommandBarControls* parent)
    : type_(type), life_(life), parent_(parent) {
  if (type_ == ControlType::Popup) controls_ = std::make_unique<CommandBarControls>();
}

CommandBarControls& CommandBarControl::Controls() {
  if (!controls_) {
    throw Error(err::kInvalidProcedureCall, "A button holds no controls", "CommandBar");
  }
  return *controls_;
}

void CommandBarControl::Delete() {
  CommandBarControls* parent = parent_;
  if (!parent) return;
  parent_ = nullptr;
  parent->Remove(*this);  // may release the last hold on this control
}

bool CommandBarControl::Execute() {
  if (type_ != ControlType::Button || Deleted() || !visible_ || !enabled_) return false;
  bool cancel_default = false;
  click_.Fire(*this, cancel_default);
  return true;
}

}  // namespace zanvoro::host
