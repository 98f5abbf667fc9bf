#include "host/ui/ConsoleRenderer.h"

#include <unistd.h>

#include <iostream>

#include "host/ui/CheckBox.h"
#include "host/ui/ComboBox.h"
#include "host/ui/Form.h"
#include "host/ui/ListBox.h"
#include "host/ui/OptionButton.h"
#include "host/ui/ProgressBar.h"
#include "host/ui/TableView.h"
#include "host/ui/TextBox.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

namespace {

constexpr std::string_view kHelp =
    "Commands: click NAME | set NAME TEXT | check NAME | uncheck NAME | "
    "select NAME INDEX | close | help";

// Console lines end in "\n" only.
std::string Plain(std::string_view text) { return Replace(text, "\r\n", "\n"); }

// The first word of `text` and the rest after the blanks that follow it.
std::string_view NextWord(std::string_view& text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    text = {};
    return {};
  }
  text.remove_prefix(start);
  const size_t end = text.find(' ');
  std::string_view word = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end);
  const size_t rest = text.find_first_not_of(' ');
  text.remove_prefix(rest == std::string_view::npos ? text.size() : rest);
  return word;
}

// One line per entry, numbered for "select", "> " marking the selection.
std::string DescribeList(const ListControl& list) {
  const auto* list_box =
      list.Kind() == ControlKind::ListBox ? static_cast<const ListBox*>(&list) : nullptr;
  std::string shown;
  for (int i = 0; i < list.ListCount(); ++i) {
    const bool selected = list_box ? list_box->Selected(i) : i == list.ListIndex();
    std::string entry = list.List(i);
    for (int column = 1; list_box && column < list_box->ColumnCount(); ++column) {
      entry += " | " + list_box->Cell(i, column);
    }
    shown += "\n      " + std::string(selected ? "> " : "  ") + std::to_string(i) + ". " +
             entry;
  }
  return shown;
}

std::string DescribeControl(const Control& control) {
  switch (control.Kind()) {
    case ControlKind::Label:
      return Plain(static_cast<const CaptionedControl&>(control).Caption());
    case ControlKind::CommandButton:
      return "<" + static_cast<const CaptionedControl&>(control).Caption() + ">";
    case ControlKind::Frame:
      return "-- " + static_cast<const CaptionedControl&>(control).Caption() + " --";
    case ControlKind::CheckBox: {
      const auto& box = static_cast<const CheckBox&>(control);
      const char* mark = box.Value() == CheckState::Checked  ? "[x] "
                         : box.Value() == CheckState::Grayed ? "[-] "
                                                             : "[ ] ";
      return mark + box.Caption();
    }
    case ControlKind::OptionButton: {
      const auto& option = static_cast<const OptionButton&>(control);
      return (option.Value() ? "(*) " : "( ) ") + option.Caption();
    }
    case ControlKind::TextBox:
      return "[" + Plain(control.Texts().front()) + "]";
    case ControlKind::ComboBox: {
      const auto& combo = static_cast<const ComboBox&>(control);
      return "[" + combo.Text() + "] v" + DescribeList(combo);
    }
    case ControlKind::ListBox:
      return "list:" + DescribeList(static_cast<const ListBox&>(control));
    case ControlKind::ProgressBar: {
      const int percent = static_cast<const ProgressBar&>(control).Percent();
      return "[" + std::string(static_cast<size_t>(percent / 10), '#') +
             std::string(static_cast<size_t>(10 - percent / 10), '.') + "] " +
             std::to_string(percent) + "%";
    }
  }
  return {};
}

}  // namespace

ConsoleRenderer::ConsoleRenderer()
    : ConsoleRenderer(std::cin, std::cout, ConsoleMode::Auto) {}

ConsoleRenderer::ConsoleRenderer(std::istream& in, std::ostream& out, ConsoleMode mode)
    : in_(in),
      out_(out),
      interactive_(
          mode == ConsoleMode::Interactive ||
          (mode == ConsoleMode::Auto && &in == &std::cin && isatty(STDIN_FILENO))) {}

bool ConsoleRenderer::ReadLine(std::string& line) {
  if (!std::getline(in_, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

MsgBoxResult ConsoleRenderer::ShowMessage(const MessageBoxRequest& request) {
  const std::vector<MsgBoxResult> results = request.Results();
  const MsgBoxResult fallback = request.DefaultResult();
  out_ << "-- " << request.title;
  if (request.icon != MsgBoxIcon::None) out_ << " (" << IconName(request.icon) << ")";
  out_ << " --\n" << Plain(request.prompt) << "\n";
  for (size_t i = 0; i < results.size(); ++i) {
    out_ << (i ? "  " : "") << "[" << i + 1 << "] " << ButtonLabel(results[i]);
  }
  out_ << "\n";
  if (!interactive_) {
    out_ << "-> " << ButtonLabel(fallback) << " (default button, no terminal)\n";
    out_.flush();
    return fallback;
  }
  for (;;) {
    out_ << "Choose (Enter = " << ButtonLabel(fallback) << "): ";
    out_.flush();
    std::string line;
    if (!ReadLine(line)) {
      out_ << "\n-> " << ButtonLabel(fallback) << " (end of input)\n";
      return fallback;
    }
    const std::string answer = Trim(line);
    if (answer.empty()) return fallback;
    for (size_t i = 0; i < results.size(); ++i) {
      std::string_view label = ButtonLabel(results[i]);
      if (answer == std::to_string(i + 1) || TextEquals(answer, label) ||
          (answer.size() == 1 && TextEquals(answer, label.substr(0, 1)))) {
        return results[i];
      }
    }
    out_ << "Type a number from 1 to " << results.size()
         << " or a button's first letter.\n";
  }
}

void ConsoleRenderer::PrintForm(const Form& form) {
  out_ << "== " << form.Caption() << " [" << form.Name() << "] ==\n";
  for (const Control* control : form.Controls()) {
    if (!control->Visible()) continue;
    out_ << "  " << control->Name() << "  " << DescribeControl(*control);
    if (!control->Enabled()) out_ << "  (disabled)";
    out_ << "\n";
  }
  out_.flush();
}

void ConsoleRenderer::RunCommand(Form& form, std::string_view line) {
  std::string_view rest = line;
  const std::string command = LCase(NextWord(rest));
  if (command.empty()) return;
  if (command == "help" || command == "?") {
    out_ << kHelp << "\n";
    return;
  }
  if (command == "close") {
    if (!form.UserClose()) out_ << form.Name() << " stays open.\n";
    return;
  }
  const std::string control(NextWord(rest));
  if (control.empty()) {
    out_ << "Which control? " << kHelp << "\n";
    return;
  }
  if (command == "click") {
    form.UserClick(control);
  } else if (command == "set") {
    form.UserSet(control, rest);
  } else if (command == "check" || command == "uncheck") {
    form.UserCheck(control, command == "check");
  } else if (command == "select") {
    if (!IsNumeric(rest)) {
      out_ << "select takes the entry's number.\n";
      return;
    }
    form.UserSelect(control, CLng(Variant(rest)));
  } else {
    out_ << "Unknown command \"" << command << "\". " << kHelp << "\n";
  }
}

void ConsoleRenderer::RunModal(Form& form) {
  PrintForm(form);
  if (interactive_) out_ << kHelp << "\n";
  while (form.Visible()) {
    if (interactive_) out_ << form.Name() << "> " << std::flush;
    std::string line;
    if (!ReadLine(line)) {
      out_ << (interactive_ ? "\n" : "") << "(end of input: closing " << form.Name()
           << ")\n";
      if (!form.UserClose() && form.Visible()) form.Hide();
      break;
    }
    if (!interactive_) out_ << "> " << line << "\n";
    try {
      RunCommand(form, line);
    } catch (const Error& e) {
      // The person mistyped; the window stays up and asks again.
      out_ << "! " << e.Description() << "\n";
    }
    if (form.Visible()) PrintForm(form);
  }
  out_.flush();
}

// Modeless windows (the explorers above all) are there to look at: a script
// reading a command's output does not want them.
void ConsoleRenderer::ShowModeless(Form& form) {
  if (interactive_) PrintForm(form);
}

void ConsoleRenderer::Refresh(Form& form) {
  if (interactive_ || form.ShownModal()) PrintForm(form);
}

void ConsoleRenderer::FormHidden(Form&) {}

void ConsoleRenderer::ShowTable(const TableView& view) {
  out_ << TableViewText(view);
  out_.flush();
}

void ConsoleRenderer::PresentBalloon(const BalloonRequest& request) {
  // One line, whatever the text holds.
  out_ << "[balloon] " << request.title << ": " << Replace(Plain(request.text), "\n", " ")
       << "\n";
  out_.flush();
}

void ConsoleRenderer::OpenDocument(std::string_view file_or_url) {
  out_ << "[open] " << file_or_url << std::endl;
  Renderer::OpenDocument(file_or_url);
}

}  // namespace zanvoro::host
