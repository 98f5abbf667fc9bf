#include "host/web/WebWindow.h"

#include <algorithm>

#include "host/ui/CheckBox.h"
#include "host/ui/ComboBox.h"
#include "host/ui/Form.h"
#include "host/ui/ListBox.h"
#include "host/ui/OptionButton.h"
#include "host/ui/ProgressBar.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

std::string Esc(std::string_view text) { return HtmlEscape(text); }

// The attributes every input of a control carries: what it is for and
// whether the user may touch it.
std::string Attributes(const Control& control, std::string_view action) {
  return " data-act=\"" + std::string(action) + "\" data-control=\"" +
         Esc(control.Name()) + "\" id=\"w-" + Esc(control.Name()) + "\"" +
         (control.Enabled() ? "" : " disabled");
}

std::string Caption(const Control& control) {
  return static_cast<const CaptionedControl&>(control).Caption();
}

std::string ListHtml(const ListControl& list, bool drop_down) {
  const auto* box =
      list.Kind() == ControlKind::ListBox ? static_cast<const ListBox*>(&list) : nullptr;
  const bool multi = box && box->MultiSelectMode() != MultiSelect::None;
  std::string html = "<select" + Attributes(list, "select");
  if (!drop_down)
    html += " size=\"" + std::to_string(std::clamp(list.ListCount(), 4, 12)) + "\"";
  html += ">";
  if (drop_down && list.ListIndex() < 0)
    html += "<option value=\"-1\" selected></option>";
  for (int i = 0; i < list.ListCount(); ++i) {
    const bool selected = box ? box->Selected(i) : i == list.ListIndex();
    std::string entry = list.List(i);
    for (int column = 1; box && column < box->ColumnCount(); ++column)
      entry += " | " + box->Cell(i, column);
    // Several entries may be selected: each shows a mark, and picking one
    // turns its mark on or off.
    if (multi) entry = (selected ? "\u2713 " : "\u2003 ") + entry;
    html += "<option value=\"" + std::to_string(i) + "\"" +
            (i == list.ListIndex() ? " selected" : "") + ">" + Esc(entry) + "</option>";
  }
  return html + "</select>";
}

std::string ControlHtml(const Control& control) {
  const std::string name = Esc(control.Name());
  switch (control.Kind()) {
    case ControlKind::Label:
      return "<p class=\"w-label\" id=\"w-" + name + "\">" +
             HtmlEscape(Caption(control), LineBreaks::AsBreaks) + "</p>";
    case ControlKind::Frame:
      return "<h3 class=\"w-frame\" id=\"w-" + name + "\">" + Esc(Caption(control)) +
             "</h3>";
    case ControlKind::CommandButton:
      return "<button type=\"button\"" + Attributes(control, "click") + ">" +
             Esc(Caption(control)) + "</button>";
    case ControlKind::CheckBox: {
      const auto& box = static_cast<const CheckBox&>(control);
      return "<label class=\"w-check\"><input type=\"checkbox\"" +
             Attributes(control, "check") + (box.Checked() ? " checked" : "") + ">" +
             Esc(box.Caption()) + "</label>";
    }
    case ControlKind::OptionButton: {
      const auto& option = static_cast<const OptionButton&>(control);
      return "<label class=\"w-check\"><input type=\"radio\" name=\"group-" +
             Esc(option.Group()) + "\"" + Attributes(control, "check") +
             (option.Value() ? " checked" : "") + ">" + Esc(option.Caption()) +
             "</label>";
    }
    case ControlKind::TextBox: {
      const auto& box = static_cast<const TextBox&>(control);
      // A password box shows its mask, never its text.
      const std::string shown = control.Texts().front();
      std::string attributes =
          Attributes(control, "set") + (box.Locked() ? " readonly" : "");
      if (box.MultiLine())
        return "<textarea" + attributes + ">" + Esc(shown) + "</textarea>";
      return "<input" + attributes + (box.PasswordChar() ? " type=\"password\"" : "") +
             " value=\"" + Esc(shown) + "\">";
    }
    case ControlKind::ComboBox: {
      const auto& combo = static_cast<const ComboBox&>(control);
      if (combo.Style() == ComboStyle::DropDownList) return ListHtml(combo, true);
      std::string html = "<input" + Attributes(control, "set") + " list=\"list-" + name +
                         "\" value=\"" + Esc(combo.Text()) + "\"><datalist id=\"list-" +
                         name + "\">";
      for (int i = 0; i < combo.ListCount(); ++i)
        html += "<option value=\"" + Esc(combo.List(i)) + "\">";
      return html + "</datalist>";
    }
    case ControlKind::ListBox:
      return ListHtml(static_cast<const ListBox&>(control), false);
    case ControlKind::ProgressBar:
      return "<progress id=\"w-" + name + "\" max=\"100\" value=\"" +
             std::to_string(static_cast<const ProgressBar&>(control).Percent()) +
             "\"></progress>";
  }
  return {};
}

}  // namespace

std::string WindowHtml(const Form& form, uint64_t id) {
  std::string html =
      "<section class=\"window\" role=\"dialog\" aria-modal=\"true\" "
      "data-window=\"" +
      std::to_string(id) + "\" data-form=\"" + Esc(form.Name()) +
      "\"><div class=\"w-title\"><h2>" + Esc(form.Caption()) +
      "</h2><button type=\"button\" class=\"secondary\" data-act=\"close\" "
      "aria-label=\"Close\" id=\"w-close\">&times;</button></div>"
      "<div class=\"w-body\">";
  std::string buttons;
  for (const Control* control : form.Controls()) {
    if (!control->Visible()) continue;
    // The buttons go together at the foot, as a dialog's do.
    if (control->Kind() == ControlKind::CommandButton) {
      buttons += ControlHtml(*control);
    } else {
      html += "<div class=\"w-row\">" + ControlHtml(*control) + "</div>";
    }
  }
  return html + "</div><div class=\"actions\">" + buttons + "</div></section>";
}

std::string QuestionHtml(const MessageBoxRequest& request, uint64_t id) {
  std::string icon(IconName(request.icon));
  std::string html =
      "<section class=\"question msg-" + Esc(icon.empty() ? "None" : icon) +
      "\" role=\"alertdialog\" data-question=\"" + std::to_string(id) + "\">";
  if (!request.title.empty()) html += "<h2>" + Esc(request.title) + "</h2>";
  html += "<p>" + HtmlEscape(request.prompt, LineBreaks::AsBreaks) +
          "</p><div class=\"actions\">";
  const MsgBoxResult fallback = request.DefaultResult();
  for (MsgBoxResult result : request.Results()) {
    html += "<button type=\"button\" data-answer=\"" +
            std::to_string(static_cast<int>(result)) + "\"" +
            (result == fallback ? " autofocus" : " class=\"secondary\"") + ">" +
            Esc(ButtonLabel(result)) + "</button>";
  }
  return html + "</div></section>";
}

}  // namespace zanvoro::host
