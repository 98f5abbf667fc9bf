// The renderer of the web interface. Message boxes shown while a page
// handler runs are kept for that page, which shows them as dialogs
// (TakeMessages); they are answered with their default button, so a page
// asks its own questions in the browser before it runs an operation and
// runs it without confirmation. Message boxes shown by background work and
// tray balloons go to every browser as toasts (event "toast"). Windows
// (forms) are not shown in the browser: a modal one is refused with an
// Error, which hides it. UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ui/Renderer.h"

namespace zanvoro::host {

class WebRenderer : public Renderer {
 public:
  // `send(event, data)` reaches every browser (WebServer::Broadcast);
  // `other` (may be null) shows the windows and answers the background's
  // questions.
  WebRenderer(std::function<void(const std::string&, const std::string&)> send,
              std::shared_ptr<Renderer> other);

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

 protected:
  void PresentBalloon(const BalloonRequest& request) override;

 private:
  void Toast(const std::string& title, const std::string& text, const std::string& kind);

  std::function<void(const std::string&, const std::string&)> send_;
  std::shared_ptr<Renderer> other_;
  bool in_page_ = false;
  std::vector<MessageBoxRequest> messages_;
};

}  // namespace zanvoro::host
