// Shows windows on a text console.
//
// Interactive (a person at a terminal): a message box prints its title,
// prompt and numbered buttons and reads the choice (a number, the button's
// name or its first letter; an empty line takes the default). A modal form
// prints its caption and visible controls and reads commands until it
// closes:
//   click NAME | set NAME TEXT | check NAME | uncheck NAME |
//   select NAME INDEX | close | help
// Unattended (input is not a terminal): message boxes take their default
// button and say so; forms still read commands from the input, without
// prompts, so a piped script can drive them. In both modes the end of the
// input closes a modal form with its close box (and hides it if the form
// refuses), so nothing waits for input that will never come. Modeless
// windows (explorers) are shown only in interactive mode.
// Balloons print one line: "[balloon] title: text". Tables print in both
// modes, as TableViewText has them.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "host/ui/Renderer.h"

namespace zanvoro::host {

enum class ConsoleMode {
  Auto,  // interactive when the input is standard input on a terminal
  Interactive,
  Unattended,
};

class ConsoleRenderer : public Renderer {
 public:
  // Standard input and output.
  ConsoleRenderer();
  // REQUIRES: `in` and `out` outlive the renderer.
  ConsoleRenderer(std::istream& in, std::ostream& out,
                  ConsoleMode mode = ConsoleMode::Auto);

  bool Interactive() const { return interactive_; }

  MsgBoxResult ShowMessage(const MessageBoxRequest& request) override;
  void RunModal(Form& form) override;
  void ShowModeless(Form& form) override;
  void Refresh(Form& form) override;
  void FormHidden(Form& form) override;
  void ShowTable(const TableView& view) override;
  // Prints "[open] <file or address>", then opens it with the desktop.
  void OpenDocument(std::string_view file_or_url) override;

 protected:
  void PresentBalloon(const BalloonRequest& request) override;

 private:
  void PrintForm(const Form& form);
  // Runs one command line; raises the Error of a refused action.
  void RunCommand(Form& form, std::string_view line);
  bool ReadLine(std::string& line);

  std::istream& in_;
  std::ostream& out_;
  bool interactive_;
};

}  // namespace zanvoro::host
