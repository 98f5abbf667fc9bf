// The seam between windows and whatever shows them.
//
// Forms, message boxes and balloons never draw themselves: they hand
// themselves to the current renderer. The console renderer prints them and
// reads commands; the scripted renderer answers from a script and records
// what was shown. A web renderer plugs in behind the same interface: it
// serialises the form's visible controls (Form::Controls, Control::Texts and
// the typed getters) to the browser, turns the browser's events into
// Form::UserClick / UserSet / UserCheck / UserSelect / UserClose calls, and in
// RunModal pumps the UI thread's event loop until the form is no longer
// Visible(); a toast click calls ClickBalloon with the id it was given.
//
// One renderer is current for the whole process; everything here runs on
// the UI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/ui/MsgBox.h"

namespace zanvoro::host {

class Form;
struct TableView;

enum class BalloonIcon { None, Info, Warning, Error };
using BalloonId = uint64_t;

struct BalloonRequest {
  BalloonId id = 0;
  std::string title;
  std::string text;
  BalloonIcon icon = BalloonIcon::None;
};

class Renderer {
 public:
  Renderer();
  virtual ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Shows a message box and returns the chosen button, one of
  // request.Results().
  virtual MsgBoxResult ShowMessage(const MessageBoxRequest& request) = 0;
  // Drives a shown form until it is hidden or unloaded (Form::Visible() is
  // false). A renderer that cannot get there raises an Error instead of
  // returning with the form still up.
  virtual void RunModal(Form& form) = 0;
  // Puts a form on screen and returns at once.
  virtual void ShowModeless(Form& form) = 0;
  // A shown form's controls changed.
  virtual void Refresh(Form& form) = 0;
  // A form went off screen (hidden, unloaded or destroyed).
  virtual void FormHidden(Form& form) = 0;
  // Shows a folder view's table and returns at once.
  virtual void ShowTable(const TableView& view) = 0;
  // Opens a file or a web address with the desktop's program for it
  // (host::OpenWithDesktop). The scripted renderer records it instead, so
  // that nothing is launched in tests. Raises what OpenWithDesktop raises.
  virtual void OpenDocument(std::string_view file_or_url);

  // Shows a tray balloon. `on_click` runs when the user clicks it, through
  // ClickBalloon with the returned id. Only the most recent balloons can be
  // clicked; older ones have long left the screen.
  BalloonId ShowBalloon(std::string title, std::string text, BalloonIcon icon,
                        std::function<void()> on_click = {});
  // Runs the balloon's click route once; false when the id is unknown, was
  // clicked already or has expired.
  bool ClickBalloon(BalloonId id);

  // The process-wide renderer. SetCurrent returns the one it replaces;
  // Current raises Error(err::kObjectRequired) when none is set, so that a
  // window shown where nobody can answer fails instead of hanging.
  static std::shared_ptr<Renderer> SetCurrent(std::shared_ptr<Renderer> renderer);
  static Renderer& Current();
  static Renderer* CurrentOrNull();

  // Runs before a message box or a modal window waits for its answer: the
  // session commits the store writes it holds open there, so that nobody
  // else waits on them meanwhile. One hook; an empty one removes it.
  static void SetBeforeWaitHook(std::function<void()> hook);
  static void BeforeWait();

 protected:
  virtual void PresentBalloon(const BalloonRequest& request) = 0;

 private:
  static constexpr size_t kMaxBalloonRoutes = 64;
  BalloonId next_balloon_ = 1;
  std::map<BalloonId, std::function<void()>> balloon_routes_;
};

// Opens `file_or_url` through the current renderer (Renderer::OpenDocument),
// or with the desktop's program when no renderer is set: the one way the
// add-in opens web pages and documents.
void ShellOpen(std::string_view file_or_url);

// Makes a renderer current for a scope and restores the previous one.
class ScopedRenderer {
 public:
  explicit ScopedRenderer(std::shared_ptr<Renderer> renderer)
      : previous_(Renderer::SetCurrent(std::move(renderer))) {}
  ~ScopedRenderer() { Renderer::SetCurrent(std::move(previous_)); }
  ScopedRenderer(const ScopedRenderer&) = delete;
  ScopedRenderer& operator=(const ScopedRenderer&) = delete;

 private:
  std::shared_ptr<Renderer> previous_;
};

}  // namespace zanvoro::host
