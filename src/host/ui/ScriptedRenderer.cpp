#include "host/ui/ScriptedRenderer.h"

#include "host/ui/Form.h"
#include "host/ui/TableView.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "ScriptedRenderer";

Error ScriptError(std::string description) {
  return Error(err::kInvalidProcedureCall, std::move(description), kSource);
}

}  // namespace

FormAction FormAction::Click(std::string control) {
  return FormAction(Kind::Click, std::move(control));
}

FormAction FormAction::Set(std::string control, std::string value) {
  FormAction action(Kind::Set, std::move(control));
  action.text_ = std::move(value);
  return action;
}

FormAction FormAction::Set(std::string control, const char* value) {
  return Set(std::move(control), std::string(value));
}

FormAction FormAction::Set(std::string control, bool checked) {
  FormAction action(Kind::Check, std::move(control));
  action.checked_ = checked;
  return action;
}

FormAction FormAction::Select(std::string control, int index) {
  FormAction action(Kind::Select, std::move(control));
  action.index_ = index;
  return action;
}

FormAction FormAction::Close() { return FormAction(Kind::Close, {}); }

FormAction FormAction::Do(std::function<void(Form&)> step) {
  FormAction action(Kind::Do, {});
  action.step_ = std::move(step);
  return action;
}

void FormAction::Apply(Form& form) const {
  switch (kind_) {
    case Kind::Click:
      form.UserClick(control_);
      break;
    case Kind::Set:
      form.UserSet(control_, text_);
      break;
    case Kind::Check:
      form.UserCheck(control_, checked_);
      break;
    case Kind::Select:
      form.UserSelect(control_, index_);
      break;
    case Kind::Close:
      form.UserClose();
      break;
    case Kind::Do:
      step_(form);
      break;
  }
}

std::string FormAction::Describe() const {
  switch (kind_) {
    case Kind::Click:
      return "click " + control_;
    case Kind::Set:
      return "set " + control_ + " " + text_;
    case Kind::Check:
      return (checked_ ? "check " : "uncheck ") + control_;
    case Kind::Select:
      return "select " + control_ + " " + std::to_string(index_);
    case Kind::Close:
      return "close";
    case Kind::Do:
      return "a scripted step";
  }
  return {};
}

std::string Shown::ControlText(std::string_view control) const {
  for (const auto& [name, text] : controls) {
    if (TextEquals(name, control)) return text;
  }
  return {};
}

ScriptedRenderer::ScriptedRenderer() = default;
ScriptedRenderer::~ScriptedRenderer() = default;

void ScriptedRenderer::Answer(MsgBoxResult answer, std::string expected_prompt) {
  answers_.push_back(QueuedAnswer{answer, std::move(expected_prompt)});
}

void ScriptedRenderer::SetMessagePolicy(MessagePolicy policy, MsgBoxResult fixed) {
  policy_ = policy;
  fixed_ = fixed;
}

void ScriptedRenderer::Script(std::string form, std::vector<FormAction> actions) {
  scripts_[LCase(form)].push_back(std::move(actions));
}

size_t ScriptedRenderer::PendingScripts() const {
  size_t pending = 0;
  for (const auto& [name, queue] : scripts_) pending += queue.size();
  return pending;
}

bool ScriptedRenderer::Saw(std::string_view text) const {
  auto has = [&](const std::string& s) { return s.find(text) != std::string::npos; };
  for (const Shown& shown : transcript_) {
    if (has(shown.title) || has(shown.text)) return true;
    for (const auto& control : shown.controls) {
      if (has(control.second)) return true;
    }
  }
  return false;
}

std::string ScriptedRenderer::TranscriptText() const {
  std::string out;
  for (const Shown& shown : transcript_) {
    switch (shown.kind) {
      case ShownKind::MessageBox:
        out += "message \"" + shown.title + "\": " + shown.text + " -> " +
               std::string(ButtonLabel(shown.answer)) + "\n";
        break;
      case ShownKind::Form:
      case ShownKind::FormRefresh:
        out += std::string(shown.kind == ShownKind::Form ? "form " : "refresh ") +
               shown.name + " \"" + shown.title + "\"\n";
        for (const auto& [name, text] : shown.controls) {
          out += "  " + name + ": " + Replace(text, "\n", " | ") + "\n";
        }
        break;
      case ShownKind::Balloon:
        out += "balloon \"" + shown.title + "\": " + shown.text + "\n";
        break;
      case ShownKind::Table:
        out += "table \"" + shown.title + "\"\n" + shown.text;
        break;
      case ShownKind::Opened:
        out += "opened " + shown.text + "\n";
        break;
    }
  }
  return out;
}

bool ScriptedRenderer::ClickLastBalloon() {
  for (auto it = transcript_.rbegin(); it != transcript_.rend(); ++it) {
    if (it->kind == ShownKind::Balloon) return ClickBalloon(it->balloon);
  }
  return false;
}

MsgBoxResult ScriptedRenderer::ShowMessage(const MessageBoxRequest& request) {
  Shown shown;
  shown.kind = ShownKind::MessageBox;
  shown.title = request.title;
  shown.text = request.prompt;
  shown.flags = request.Flags();
  const std::string seen = "message box \"" + request.title + "\": " + request.prompt;
  if (!answers_.empty()) {
    QueuedAnswer queued = std::move(answers_.front());
    answers_.pop_front();
    if (request.prompt.find(queued.expected_prompt) == std::string::npos) {
      throw ScriptError("Expected a message box saying \"" + queued.expected_prompt +
                        "\", got " + seen);
    }
    shown.answer = queued.answer;
  } else if (policy_ == MessagePolicy::Fail) {
    throw ScriptError("Unexpected " + seen);
  } else {
    shown.answer = policy_ == MessagePolicy::Fixed ? fixed_ : request.DefaultResult();
  }
  if (!request.Offers(shown.answer)) {
    throw ScriptError("The answer " + std::string(ButtonLabel(shown.answer)) +
                      " is not a button of " + seen);
  }
  transcript_.push_back(std::move(shown));
  return transcript_.back().answer;
}

void ScriptedRenderer::Record(ShownKind kind, const Form& form) {
  Shown shown;
  shown.kind = kind;
  shown.name = form.Name();
  shown.title = form.Caption();
  for (const Control* control : form.Controls()) {
    if (control->Visible())
      shown.controls.emplace_back(control->Name(), Join(control->Texts(), "\n"));
  }
  transcript_.push_back(std::move(shown));
}

bool ScriptedRenderer::TakeScript(const Form& form, std::vector<FormAction>& actions) {
  auto it = scripts_.find(LCase(form.Name()));
  if (it == scripts_.end() || it->second.empty()) return false;
  actions = std::move(it->second.front());
  it->second.pop_front();
  return true;
}

void ScriptedRenderer::RunScript(Form& form, const std::vector<FormAction>& actions) {
  for (size_t i = 0; i < actions.size(); ++i) {
    if (!form.Visible()) {
      throw ScriptError(
          form.Name() + " closed with " + std::to_string(actions.size() - i) +
          " scripted actions left, the next being \"" + actions[i].Describe() + "\"");
    }
    actions[i].Apply(form);
  }
}

void ScriptedRenderer::RunModal(Form& form) {
  Record(ShownKind::Form, form);
  std::vector<FormAction> actions;
  if (!TakeScript(form, actions)) {
    throw ScriptError("No script for the modal window " + form.Name() + " (\"" +
                      form.Caption() + "\")");
  }
  RunScript(form, actions);
  if (form.Visible()) {
    throw ScriptError(form.Name() + " is still open after its script ended");
  }
}

void ScriptedRenderer::ShowModeless(Form& form) {
  Record(ShownKind::Form, form);
  std::vector<FormAction> actions;
  if (TakeScript(form, actions)) RunScript(form, actions);
}

void ScriptedRenderer::Refresh(Form& form) { Record(ShownKind::FormRefresh, form); }

void ScriptedRenderer::ShowTable(const TableView& view) {
  Shown shown;
  shown.kind = ShownKind::Table;
  shown.title = view.caption;
  shown.text = TableViewText(view);
  transcript_.push_back(std::move(shown));
}

void ScriptedRenderer::FormHidden(Form&) {}

void ScriptedRenderer::OpenDocument(std::string_view file_or_url) {
  Shown shown;
  shown.kind = ShownKind::Opened;
  shown.text = std::string(file_or_url);
  transcript_.push_back(std::move(shown));
}

void ScriptedRenderer::PresentBalloon(const BalloonRequest& request) {
  Shown shown;
  shown.kind = ShownKind::Balloon;
  shown.title = request.title;
  shown.text = request.text;
  shown.balloon = request.id;
  transcript_.push_back(std::move(shown));
}

}  // namespace zanvoro::host
