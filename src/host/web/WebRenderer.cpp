#include "host/web/WebRenderer.h"

#include <nlohmann/json.hpp>

#include "host/ui/Form.h"
#include "host/ui/TableView.h"
#include "runtime/Error.h"

namespace zanvoro::host {

WebRenderer::WebRenderer(
    std::function<void(const std::string&, const std::string&)> send,
    std::shared_ptr<Renderer> other)
    : send_(std::move(send)), other_(std::move(other)) {}

MsgBoxResult WebRenderer::ShowMessage(const MessageBoxRequest& request) {
  if (in_page_) {
    messages_.push_back(request);
    return request.DefaultResult();
  }
  Toast(request.title, request.prompt, std::string(IconName(request.icon)));
  return other_ ? other_->ShowMessage(request) : request.DefaultResult();
}

void WebRenderer::RunModal(Form& form) {
  if (other_) return other_->RunModal(form);
  throw Error(err::kCallFailed, "the window \"" + form.Caption() +
                                    "\" cannot be shown in the web interface; use the "
                                    "console (zanvoro manage) for it");
}

void WebRenderer::ShowModeless(Form& form) {
  if (other_) other_->ShowModeless(form);
}
void WebRenderer::Refresh(Form& form) {
  if (other_) other_->Refresh(form);
}
void WebRenderer::FormHidden(Form& form) {
  if (other_) other_->FormHidden(form);
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

}  // namespace zanvoro::host
