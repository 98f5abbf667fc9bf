// The renderer of the web interface.
//
// Message boxes shown while a page handler runs are kept for that page,
// which shows them as dialogs (TakeMessages); they are answered with their
// default button, so a page asks its own questions in the browser before it
// runs an operation and runs it without confirmation.
//
// The windows (forms) and message boxes of a command started from the
// browser (RunFromBrowser), and of the windows it shows, show in the
// browser once the renderer can wait for it (SetWait): every browser gets
// the topmost window with the open question (CurrentScreen) and is told of
// each change (event "window"). What the user does there comes back
// through Act and Answer, which call the form's User* functions. A modal
// window waits for the browser, the requests being served meanwhile. A
// window nobody looks at for kIdleLimit (the browser left), or nobody acts
// on for kUnattendedLimit (a tab left open), is closed as its close box
// would close it, and an unanswered question takes its default button; so
// does everything when the session ends.
//
// Other message boxes (background work) go to every browser as toasts
// (event "toast"), as tray balloons do, and are answered by `other`. Other
// windows go to `other`; a modal one without `other` is refused with an
// Error, which hides it. UI thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/ui/Renderer.h"

namespace zanvoro::host {

class WebRenderer : public Renderer {
 public:
  // How long a window or a question waits without a browser asking for it.
  static constexpr std::chrono::seconds kIdleLimit{180};
  // How long it waits with browsers asking but nobody acting: the session's
  // timers (mail monitoring) wait meanwhile, so a tab left open must not
  // hold them for good.
  static constexpr std::chrono::minutes kUnattendedLimit{15};

  // `send(event, data)` reaches every browser (WebServer::Broadcast);
  // `other` (may be null) answers the background's questions.
  WebRenderer(std::function<void(const std::string&, const std::string&)> send,
              std::shared_ptr<Renderer> other);

  // Serves the browsers until `done()` is true or it cannot go on (the
  // session ends); returns done(). WebServer::ServeUntil.
  using Wait = std::function<bool(const std::function<bool()>& done)>;
  void SetWait(Wait wait);

  MsgBoxResult ShowMessage(const MessageBoxRequest& request) override;
  void RunModal(Form& form) override;
  void ShowModeless(Form& form) override;
  void Refresh(Form& form) override;
  void FormHidden(Form& form) override;
  void ShowTable(const TableView& view) override;
  void OpenDocument(std::string_view file_or_url) override;

  // Between these the messages shown are kept for the page.
  void BeginPage();
  std::vector<MessageBoxRequest> TakeMessages();

  // Runs `command`; the questions it asks go to the browser.
  void RunFromBrowser(const std::function<void()>& command);

  // The markup of the topmost window with the question open over it; ""
  // when neither is up. Counts as the browser looking, and with InUse as
  // the user acting (typing that is not sent yet).
  enum class Seen { Looked, InUse };
  std::string CurrentScreen(Seen seen = Seen::Looked);
  // The user's `action` ("click", "set", "check", "select", "close") on
  // `control` of the window `window` with `value`. Raises
  // Error(err::kInvalidProcedureCall) for a window no longer shown, an
  // unknown action, or what the form refuses.
  void Act(uint64_t window, std::string_view action, std::string_view control,
           std::string_view value);
  // Answers the open question `question` with `result`; false when it is no
  // longer open or the result is none of its buttons.
  bool Answer(uint64_t question, MsgBoxResult result);

 protected:
  void PresentBalloon(const BalloonRequest& request) override;

 private:
  struct Shown {
    uint64_t id;
    Form* form;
  };
  struct Question {
    uint64_t id;
    MessageBoxRequest request;
    std::optional<MsgBoxResult> answer;
  };

  void Toast(const std::string& title, const std::string& text, const std::string& kind);
  // Whether `form` is one of the browser's windows.
  bool Showing(const Form& form) const;
  // Whether what is shown now goes to the browser.
  bool InBrowser() const;
  void Changed();
  // A browser asked for the screen (Look) or the user did something (Touch).
  void Look();
  void Touch();
  bool Idle() const;
  // Waits for `done`, the page's kept messages put aside meanwhile.
  bool WaitFor(const std::function<bool()>& done);

  std::function<void(const std::string&, const std::string&)> send_;
  std::shared_ptr<Renderer> other_;
  Wait wait_;
  bool in_page_ = false;
  std::vector<MessageBoxRequest> messages_;
  int from_browser_ = 0;
  std::vector<Shown> windows_;
  std::vector<Question*> questions_;
  uint64_t next_id_ = 0;
  uint64_t revision_ = 0;
  std::chrono::steady_clock::time_point looked_at_{};
  std::chrono::steady_clock::time_point acted_at_{};
};

}  // namespace zanvoro::host
