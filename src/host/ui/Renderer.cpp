#include "host/ui/Renderer.h"

#include "host/os/Processes.h"
#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

std::shared_ptr<Renderer>& CurrentSlot() {
  static std::shared_ptr<Renderer> current;
  return current;
}

std::function<void()>& BeforeWaitSlot() {
  static std::function<void()> hook;
  return hook;
}

}  // namespace

Renderer::Renderer() = default;
Renderer::~Renderer() = default;

BalloonId Renderer::ShowBalloon(std::string title, std::string text, BalloonIcon icon,
                                std::function<void()> on_click) {
  const BalloonId id = next_balloon_++;
  if (on_click) {
    balloon_routes_.emplace(id, std::move(on_click));
    if (balloon_routes_.size() > kMaxBalloonRoutes)
      balloon_routes_.erase(balloon_routes_.begin());
  }
  PresentBalloon(BalloonRequest{id, std::move(title), std::move(text), icon});
  return id;
}

bool Renderer::ClickBalloon(BalloonId id) {
  auto it = balloon_routes_.find(id);
  if (it == balloon_routes_.end()) return false;
  std::function<void()> route = std::move(it->second);
  balloon_routes_.erase(it);
  route();
  return true;
}

std::shared_ptr<Renderer> Renderer::SetCurrent(std::shared_ptr<Renderer> renderer) {
  std::swap(CurrentSlot(), renderer);
  return renderer;
}

Renderer& Renderer::Current() {
  if (Renderer* renderer = CurrentOrNull()) return *renderer;
  throw Error(err::kObjectRequired,
              "Object required: no user interface renderer is set to show windows",
              "Renderer");
}

Renderer* Renderer::CurrentOrNull() { return CurrentSlot().get(); }

void Renderer::OpenDocument(std::string_view file_or_url) {
  OpenWithDesktop(file_or_url);
}

void ShellOpen(std::string_view file_or_url) {
  if (Renderer* renderer = Renderer::CurrentOrNull()) {
    renderer->OpenDocument(file_or_url);
  } else {
    OpenWithDesktop(file_or_url);
  }
}

void Renderer::SetBeforeWaitHook(std::function<void()> hook) {
  BeforeWaitSlot() = std::move(hook);
}

void Renderer::BeforeWait() {
  if (BeforeWaitSlot()) BeforeWaitSlot()();
}

}  // namespace zanvoro::host
