// A text box. Changing the text, from code or by typing, fires Change.
#pragma once

#include "host/ui/Control.h"

namespace zanvoro::host {

class TextBox : public Control {
 public:
  TextBox(Form& form, std::string name)
      : Control(form, ControlKind::TextBox, std::move(name)) {}

  const std::string& Text() const { return text_; }
  // Fires Change when the text differs from the current one.
  void SetText(std::string text);
  void OnChange(Handler handler) { on_change_ = std::move(handler); }

  // A locked box shows its text but the user cannot change it.
  bool Locked() const { return locked_; }
  void SetLocked(bool locked) { locked_ = locked; }
  bool MultiLine() const { return multi_line_; }
  void SetMultiLine(bool multi_line) { multi_line_ = multi_line; }
  // When set, the box shows this character in place of each character
  // (passwords); Texts() does too.
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char c) { password_char_ = c; }

  std::vector<std::string> Texts() const override;

 protected:
  void UserInput(std::string_view text) override;

 private:
  std::string text_;
  bool locked_ = false;
  bool multi_line_ = false;
  char password_char_ = '\0';
  Handler on_change_;
};

}  // namespace zanvoro::host
