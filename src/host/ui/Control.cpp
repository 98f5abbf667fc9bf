#include "host/ui/Control.h"

#include "host/ui/Form.h"
#include "runtime/Error.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

std::string_view ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
      return "Label";
    case ControlKind::CommandButton:
      return "CommandButton";
    case ControlKind::TextBox:
      return "TextBox";
    case ControlKind::CheckBox:
      return "CheckBox";
    case ControlKind::OptionButton:
      return "OptionButton";
    case ControlKind::ComboBox:
      return "ComboBox";
    case ControlKind::ListBox:
      return "ListBox";
    case ControlKind::ProgressBar:
      return "ProgressBar";
    case ControlKind::Frame:
      return "Frame";
  }
  return "Control";
}

Control::Control(Form& form, ControlKind kind, std::string name)
    : form_(form), kind_(kind), name_(std::move(name)) {}

Control::~Control() = default;

void Control::Click() { FireClick(); }

void Control::FireClick() {
  if (on_click_) on_click_();
}

void Control::UserInput(std::string_view) { Refuse("takes no text"); }
void Control::UserCheck(bool) { Refuse("cannot be checked"); }
void Control::UserSelect(int) { Refuse("has no list to select from"); }

void Control::Refuse(std::string_view what) const {
  throw Error(err::kInvalidProcedureCall,
              form_.Name() + "." + name_ + " (" + std::string(ControlKindName(kind_)) +
                  ") " + std::string(what),
              form_.Name());
}

bool Control::ReadChecked(std::string_view text) const {
  try {
    return CBool(Variant(text));
  } catch (const std::exception&) {
    Refuse("takes 1 or 0, True or False, not \"" + std::string(text) + "\"");
  }
}

}  // namespace zanvoro::host
