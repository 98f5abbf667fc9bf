// A named control on a Form. Controls are made with Form::Add, live as long
// as their form and keep their values across Unload (a window that must
// start fresh is constructed again).
//
// Setting a value from code fires the same events the user's action would
// (a check box's Click, a text box's Change), as the original controls did.
// Code may click and change hidden and disabled controls; what the user does
// goes through Form::UserClick and its siblings, which refuse them. Handlers
// run on the UI thread, synchronously, and what they throw reaches the
// caller.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::host {

class Form;

enum class ControlKind {
  Label,
  CommandButton,
  TextBox,
  CheckBox,
  OptionButton,
  ComboBox,
  ListBox,
  ProgressBar,
  Frame,
};

// "Label", "CommandButton", ...
std::string_view ControlKindName(ControlKind kind);

class Control {
 public:
  using Handler = std::function<void()>;

  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  Form& Parent() const { return form_; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  // Free text for the window's own use, never shown.
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }

  // Fires the Click handler; a check box toggles and an option button is
  // selected first.
  virtual void Click();
  void OnClick(Handler handler) { on_click_ = std::move(handler); }

  // The texts a user sees in the control, in reading order (caption, text,
  // list entries); empty for controls that show no text.
  virtual std::vector<std::string> Texts() const = 0;

 protected:
  Control(Form& form, ControlKind kind, std::string name);
  void FireClick();

  // What the user does through a renderer, after Form has checked that the
  // control is visible and enabled. The defaults refuse with an Error.
  virtual void UserInput(std::string_view text);
  virtual void UserCheck(bool checked);
  virtual void UserSelect(int index);
  [[noreturn]] void Refuse(std::string_view what) const;
  // The user's text for a check: "1"/"0", "True"/"False"; refuses others.
  bool ReadChecked(std::string_view text) const;

 private:
  friend class Form;

  Form& form_;
  ControlKind kind_;
  std::string name_;
  bool enabled_ = true;
  bool visible_ = true;
  std::string tag_;
  Handler on_click_;
};

// A control that shows a caption: labels, buttons, check and option boxes,
// frames.
class CaptionedControl : public Control {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  std::vector<std::string> Texts() const override { return {caption_}; }

 protected:
  using Control::Control;

 private:
  std::string caption_;
};

}  // namespace zanvoro::host
