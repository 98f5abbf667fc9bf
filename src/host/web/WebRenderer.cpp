#include "host/web/WebRenderer.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "host/ui/Form.h"
#include "host/ui/TableView.h"
#include "host/web/WebWindow.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

WebRenderer::WebRenderer(
    std::function<void(const std::string&, const std::string&)> send,
    std::shared_ptr<Renderer> other)
    : send_(std::move(send)), other_(std::move(other)) {}

void WebRenderer::SetWait(Wait wait) { wait_ = std::move(wait); }

MsgBoxResult WebRenderer::ShowMessage(const MessageBoxRequest& request) {
  if (in_page_) {
    messages_.push_back(request);
    return request.DefaultResult();
  }
  if (InBrowser()) {
    Question question{++next_id_, request, std::nullopt};
    questions_.push_back(&question);
    struct Asked {
      WebRenderer& renderer;
      Question* question;
      ~Asked() {
        std::erase(renderer.questions_, question);
        renderer.Changed();
      }
    } asked{*this, &question};
    Touch();
    Changed();
    Renderer::BeforeWait();
    WaitFor([&] { return question.answer.has_value() || Idle(); });
    return question.answer.value_or(request.DefaultResult());
  }
  Toast(request.title, request.prompt, std::string(IconName(request.icon)));
  return other_ ? other_->ShowMessage(request) : request.DefaultResult();
}

void WebRenderer::RunModal(Form& form) {
  if (!InBrowser()) {
    if (other_) return other_->RunModal(form);
    throw Error(err::kCallFailed, "the window \"" + form.Caption() +
                                      "\" cannot be shown in the web interface; use the "
                                      "console (zanvoro manage) for it");
  }
  windows_.push_back({++next_id_, &form});
  // However the wait ends, the browsers no longer see the window after it.
  struct Gone {
    WebRenderer& renderer;
    Form& form;
    ~Gone() { renderer.FormHidden(form); }
  } gone{*this, form};
  Touch();
  Changed();
  WaitFor([&] { return !form.Visible() || Idle(); });
  // The browser left, or the session ends: the window closes as its close
  // box would close it, and goes even when its code would keep it.
  if (form.Visible() && !form.UserClose()) form.Hide();
}

void WebRenderer::ShowModeless(Form& form) {
  if (Showing(form)) {
    Changed();
  } else if (InBrowser()) {
    windows_.push_back({++next_id_, &form});
    Touch();
    Changed();
  } else if (other_) {
    other_->ShowModeless(form);
  }
}

void WebRenderer::Refresh(Form& form) {
  if (Showing(form)) {
    Changed();
  } else if (other_) {
    other_->Refresh(form);
  }
}

void WebRenderer::FormHidden(Form& form) {
  if (Showing(form)) {
    std::erase_if(windows_, [&](const Shown& s) { return s.form == &form; });
    Changed();
  } else if (other_) {
    other_->FormHidden(form);
  }
}

bool WebRenderer::Showing(const Form& form) const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [&](const Shown& s) { return s.form == &form; });
}

bool WebRenderer::InBrowser() const {
  return wait_ && (from_browser_ > 0 || !windows_.empty());
}

void WebRenderer::ShowTable(const TableView& view) {
  if (other_) other_->ShowTable(view);
}
void WebRenderer::OpenDocument(std::string_view file_or_url) {
  if (other_) {
    other_->OpenDocument(file_or_url);
  } else {
    Renderer::OpenDocument(file_or_url);
  }
}

void WebRenderer::BeginPage() {
  in_page_ = true;
  messages_.clear();
}

std::vector<MessageBoxRequest> WebRenderer::TakeMessages() {
  in_page_ = false;
  return std::exchange(messages_, {});
}

void WebRenderer::RunFromBrowser(const std::function<void()>& command) {
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } depth(from_browser_);
  // Not yet the user's doing: what the command shows, or the action Act
  // accepts, counts.
  command();
}

std::string WebRenderer::CurrentScreen(Seen seen) {
  if (seen == Seen::InUse)
    Touch();
  else
    Look();
  if (windows_.empty() && questions_.empty()) return {};
  std::string html = "<div class=\"screen\" data-revision=\"" + std::to_string(revision_) +
                     "\">";
  if (!windows_.empty()) html += WindowHtml(*windows_.back().form, windows_.back().id);
  if (!questions_.empty()) html += QuestionHtml(questions_.back()->request, questions_.back()->id);
  return html + "</div>";
}

void WebRenderer::Act(uint64_t window, std::string_view action, std::string_view control,
                      std::string_view value) {
  auto shown = std::find_if(windows_.begin(), windows_.end(),
                            [&](const Shown& s) { return s.id == window; });
  if (shown == windows_.end())
    throw Error(err::kInvalidProcedureCall, "This window is no longer open.");
  // Only the window in front takes the user's actions, as on a desktop: one
  // under it, or under a question, waits for them to close.
  if (shown != windows_.end() - 1 || !questions_.empty())
    throw Error(err::kInvalidProcedureCall, "Another window is open over this one.");
  Touch();
  // The form may go away while its handlers run; the change is told after.
  struct TellChanged {
    WebRenderer& renderer;
    ~TellChanged() { renderer.Changed(); }
  } tell{*this};
  Form& form = *shown->form;
  if (action == "click") {
    form.UserClick(control);
  } else if (action == "set") {
    form.UserSet(control, value);
  } else if (action == "check") {
    form.UserCheck(control, value == "1" || TextEquals(value, "true"));
  } else if (action == "select") {
    if (!IsNumeric(value))
      throw Error(err::kInvalidProcedureCall, "The entry to select is not a number.");
    form.UserSelect(control, static_cast<int>(Val(value)));
  } else if (action == "close") {
    form.UserClose();
  } else {
    throw Error(err::kInvalidProcedureCall, "Unknown action \"" + std::string(action) + "\".");
  }
}

bool WebRenderer::Answer(uint64_t question, MsgBoxResult result) {
  auto open = std::find_if(questions_.begin(), questions_.end(),
                           [&](const Question* q) { return q->id == question; });
  if (open == questions_.end() || (*open)->answer) return false;
  std::vector<MsgBoxResult> results = (*open)->request.Results();
  if (std::find(results.begin(), results.end(), result) == results.end()) return false;
  (*open)->answer = result;
  Touch();
  return true;
}

void WebRenderer::PresentBalloon(const BalloonRequest& request) {
  const char* kind = request.icon == BalloonIcon::Error     ? "Critical"
                     : request.icon == BalloonIcon::Warning ? "Exclamation"
                                                            : "Information";
  Toast(request.title, request.text, kind);
}

void WebRenderer::Toast(const std::string& title, const std::string& text,
                        const std::string& kind) {
  if (!send_) return;
  nlohmann::json toast = {{"title", title}, {"text", text}, {"kind", kind}};
  send_("toast", toast.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void WebRenderer::Changed() {
  ++revision_;
  if (send_) send_("window", std::to_string(revision_));
}

void WebRenderer::Look() { looked_at_ = std::chrono::steady_clock::now(); }

void WebRenderer::Touch() {
  looked_at_ = std::chrono::steady_clock::now();
  acted_at_ = looked_at_;
}

bool WebRenderer::Idle() const {
  const auto now = std::chrono::steady_clock::now();
  return now - looked_at_ > kIdleLimit || now - acted_at_ > kUnattendedLimit;
}

bool WebRenderer::WaitFor(const std::function<bool()>& done) {
  // The requests served meanwhile begin and end pages of their own.
  const bool in_page = std::exchange(in_page_, false);
  std::vector<MessageBoxRequest> kept = std::exchange(messages_, {});
  bool finished = wait_(done);
  in_page_ = in_page;
  messages_ = std::move(kept);
  return finished;
}

}  // namespace zanvoro::host
