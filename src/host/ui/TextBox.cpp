#include "host/ui/TextBox.h"

namespace zanvoro::host {

void TextBox::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  if (on_change_) on_change_();
}

std::vector<std::string> TextBox::Texts() const {
  if (password_char_ == '\0') return {text_};
  return {std::string(text_.size(), password_char_)};
}

void TextBox::UserInput(std::string_view text) {
  if (locked_) Refuse("is locked");
  SetText(std::string(text));
}

}  // namespace zanvoro::host
