#include "host/ui/ComboBox.h"

#include "host/ui/Form.h"
#include "runtime/Error.h"

namespace zanvoro::host {

void ComboBox::SetText(std::string text) {
  const int found = FindItem(text);
  if (style_ == ComboStyle::DropDownList) {
    if (found < 0 && !text.empty()) {
      throw Error(err::kInvalidProcedureCall,
                  "\"" + text + "\" is not an entry of " + Parent().Name() + "." + Name(),
                  Parent().Name());
    }
    SetListIndex(found);
    return;
  }
  if (found >= 0 && found != ListIndex()) {
    SetListIndex(found);  // shows the entry's own spelling
    return;
  }
  if (text == text_) return;
  text_ = std::move(text);
  if (on_change_) on_change_();
}

std::vector<std::string> ComboBox::Texts() const {
  std::vector<std::string> texts = ListControl::Texts();
  texts.insert(texts.begin(), text_);
  return texts;
}

void ComboBox::SelectionChanged() { text_ = ListIndex() >= 0 ? List(ListIndex()) : ""; }

void ComboBox::UserInput(std::string_view text) {
  const int found = FindItem(text);
  if (found >= 0) {
    SetListIndex(found);
  } else if (style_ == ComboStyle::DropDownList) {
    Refuse("has no entry \"" + std::string(text) + "\"");
  } else {
    SetText(std::string(text));
  }
}

}  // namespace zanvoro::host
