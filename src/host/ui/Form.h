// A window ("form"): a name such as "frmStartUp", a caption, named controls
// and event handlers. A renderer shows it (see Renderer.h).
//
// Life cycle, as the original windows had it: Load fires the Load handler
// once; Show loads when needed and shows; a modal Show returns only after
// the window was hidden or unloaded, the renderer driving the user's side
// meanwhile; Unload asks QueryUnload and Unload (either may cancel), then
// hides. Controls keep their values across Unload.
//
// Windows of the add-in either derive from Form and add their controls in
// the constructor, or are built from outside with Add and handler setters.
// UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/ui/Control.h"

namespace zanvoro::host {

enum class ShowMode { Modeless = 0, Modal = 1 };

// Why a window is being unloaded, as QueryUnload is told.
enum class UnloadMode {
  ControlMenu = 0,  // the user closed it with the window's close box
  Code = 1,         // the program unloads it
  AppWindows = 2,   // the session is ending
  TaskManager = 3,  // the program is being stopped from outside
};

class Form {
 public:
  explicit Form(std::string name, std::string caption = {});
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // Size in twips, for windows whose code resizes them.
  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  int Height() const { return height_; }
  void SetHeight(int height) { height_ = height; }
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }

  // Adds a control of type T named `name`; extra arguments go to T's
  // constructor after the form and the name. Raises
  // Error(err::kInvalidProcedureCall) for an empty or duplicate name (names
  // compare ignoring case).
  template <class T, class... Args>
  T& Add(std::string name, Args&&... args) {
    CheckNewName(name);
    auto control =
        std::make_unique<T>(*this, std::move(name), std::forward<Args>(args)...);
    T& added = *control;
    controls_.push_back(std::move(control));
    return added;
  }
  // The control named `name` (ignoring case), or nullptr.
  Control* Find(std::string_view name) const;
  // The control named `name` as a T; raises Error(err::kInvalidProcedureCall)
  // when there is none or it is of another kind.
  template <class T>
  T& Get(std::string_view name) const {
    Control& control = Require(name);
    if (auto* typed = dynamic_cast<T*>(&control)) return *typed;
    RaiseWrongKind(control);
  }
  // In the order they were added.
  std::vector<Control*> Controls() const;

  void OnLoad(std::function<void()> handler) { on_load_ = std::move(handler); }
  // Set `cancel` to keep the window.
  void OnQueryUnload(std::function<void(bool& cancel, UnloadMode mode)> handler) {
    on_query_unload_ = std::move(handler);
  }
  void OnUnload(std::function<void(bool& cancel)> handler) {
    on_unload_ = std::move(handler);
  }

  bool Loaded() const { return loaded_; }
  bool Visible() const { return visible_; }
  // True while a modal Show of this window is running.
  bool ShownModal() const { return modal_; }

  // Fires Load the first time and after each Unload.
  void Load();
  // Loads when needed and shows through the current renderer. Modal: returns
  // when the window is hidden or unloaded; raises
  // Error(err::kInvalidProcedureCall) when the window is shown already, and
  // passes on what the renderer raises (the window is hidden then).
  // Modeless: returns at once.
  void Show(ShowMode mode = ShowMode::Modeless);
  void Hide();
  // Returns false when QueryUnload or Unload cancelled.
  bool Unload(UnloadMode mode = UnloadMode::Code);
  // Tells the renderer that a shown window's controls changed.
  void Refresh();

  // What a renderer does for the user. Each raises
  // Error(err::kInvalidProcedureCall) when the window is not shown, the
  // control does not exist or is hidden or disabled, or the control does not
  // take the value; handlers then have not run.
  void UserClick(std::string_view control);
  void UserSet(std::string_view control, std::string_view value);
  void UserCheck(std::string_view control, bool checked);
  void UserSelect(std::string_view control, int index);
  // The window's close box: Unload(UnloadMode::ControlMenu).
  bool UserClose();

 private:
  void CheckNewName(const std::string& name) const;
  Control& Require(std::string_view name) const;
  Control& RequireForUser(std::string_view name) const;
  [[noreturn]] void RaiseWrongKind(const Control& control) const;
  void NotifyHidden();

  std::string name_;
  std::string caption_;
  std::string tag_;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
  std::function<void()> on_load_;
  std::function<void(bool&, UnloadMode)> on_query_unload_;
  std::function<void(bool&)> on_unload_;
  bool loaded_ = false;
  bool visible_ = false;
  bool modal_ = false;
  bool unloading_ = false;
};

}  // namespace zanvoro::host
