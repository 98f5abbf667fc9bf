// Shows windows to nobody: answers come from a script, and everything shown
// is recorded in a transcript that tests (and logs of unattended runs) read.
//
// Message boxes take the next queued answer; when the queue is empty the
// policy decides (the default button unless told otherwise). A modal form
// runs the next script queued under its name, action by action, and must be
// closed (hidden or unloaded) when the script ends; a modal form with no
// script, a script that leaves its form open, and an answer the box does not
// offer all raise Error(err::kInvalidProcedureCall) at once: a test fails
// loudly instead of hanging. A modeless form runs its next script when one
// is queued and is only recorded otherwise.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/ui/Renderer.h"

namespace zanvoro::host {

// One step of a scripted user on a form.
class FormAction {
 public:
  static FormAction Click(std::string control);
  // Types text, picks a list entry by its text, or checks with "1"/"0".
  static FormAction Set(std::string control, std::string value);
  static FormAction Set(std::string control, const char* value);
  // Checks or clears a check box; selects an option button.
  static FormAction Set(std::string control, bool checked);
  // Picks a list entry by position.
  static FormAction Select(std::string control, int index);
  // The window's close box.
  static FormAction Close();
  // Anything else the test wants to do or check at this point.
  static FormAction Do(std::function<void(Form&)> step);

  void Apply(Form& form) const;
  // "click cmdOK", "set txtName Alice"...
  std::string Describe() const;

 private:
  enum class Kind { Click, Set, Check, Select, Close, Do };
  FormAction(Kind kind, std::string control)
      : kind_(kind), control_(std::move(control)) {}

  Kind kind_;
  std::string control_;
  std::string text_;
  bool checked_ = false;
  int index_ = 0;
  std::function<void(Form&)> step_;
};

enum class MessagePolicy {
  DefaultButton,  // unscripted boxes take their default button
  Fixed,          // unscripted boxes answer a fixed result
  Fail,           // unscripted boxes raise an Error
};

enum class ShownKind { MessageBox, Form, FormRefresh, Balloon, Table, Opened };

// One thing the renderer showed.
struct Shown {
  ShownKind kind = ShownKind::MessageBox;
  std::string name;   // the form's name
  std::string title;  // message box title, form caption, balloon title
  std::string text;   // message box prompt, balloon text, table as text, opened document
  // Visible controls of a form at show time: name and texts joined by "\n".
  std::vector<std::pair<std::string, std::string>> controls;
  int32_t flags = 0;                       // message box flag word
  MsgBoxResult answer = MsgBoxResult::OK;  // message box answer
  BalloonId balloon = 0;

  // The recorded texts of a control, "" when it was not shown.
  std::string ControlText(std::string_view control) const;
};

class ScriptedRenderer : public Renderer {
 public:
  ScriptedRenderer();
  ~ScriptedRenderer() override;

  // Queues the answer to the next message box. With `expected_prompt`, that
  // box's prompt must contain it.
  void Answer(MsgBoxResult answer, std::string expected_prompt = {});
  void SetMessagePolicy(MessagePolicy policy, MsgBoxResult fixed = MsgBoxResult::OK);
  // Queues a script for the next showing of the form named `form` (names
  // compare ignoring case); each showing takes one script.
  void Script(std::string form, std::vector<FormAction> actions);
  // Answers and scripts queued and not used yet.
  size_t PendingAnswers() const { return answers_.size(); }
  size_t PendingScripts() const;

  const std::vector<Shown>& Transcript() const { return transcript_; }
  // Whether any recorded title, text or control text contains `text`.
  bool Saw(std::string_view text) const;
  // The transcript as readable lines, for failure messages and logs.
  std::string TranscriptText() const;
  void ClearTranscript() { transcript_.clear(); }
  // Clicks the most recent balloon; false when it has no route.
  bool ClickLastBalloon();

  MsgBoxResult ShowMessage(const MessageBoxRequest& request) override;
  void RunModal(Form& form) override;
  void ShowModeless(Form& form) override;
  void Refresh(Form& form) override;
  void FormHidden(Form& form) override;
  void ShowTable(const TableView& view) override;
  // Records the document or address; launches nothing.
  void OpenDocument(std::string_view file_or_url) override;

 protected:
  void PresentBalloon(const BalloonRequest& request) override;

 private:
  struct QueuedAnswer {
    MsgBoxResult answer;
    std::string expected_prompt;
  };

  void Record(ShownKind kind, const Form& form);
  bool TakeScript(const Form& form, std::vector<FormAction>& actions);
  void RunScript(Form& form, const std::vector<FormAction>& actions);

  std::deque<QueuedAnswer> answers_;
  MessagePolicy policy_ = MessagePolicy::DefaultButton;
  MsgBoxResult fixed_ = MsgBoxResult::OK;
  // Keyed by the lower-cased form name.
  std::map<std::string, std::deque<std::vector<FormAction>>> scripts_;
  std::vector<Shown> transcript_;
};

}  // namespace zanvoro::host
