// An explorer's command bars: its active menu bar and the controls on it,
// popups (menus holding further controls) and buttons. The client keeps
// them as data on the explorer; a renderer may show them, and a user's
// click reaches a button through Execute, which fires its Click event.
//
// Nothing here is saved: the bars live with their explorer, so temporary
// and other controls alike are gone when the client exits. Controls are
// shared objects: one that was deleted from its bar stays valid for whoever
// still holds it, detached. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/client/ClientEvent.h"

namespace zanvoro::host {

class CommandBarControl;

// The client's control types (a button, a popup menu).
enum class ControlType : int32_t { Button = 1, Popup = 10 };
// Whether the client discards a control at exit without asking.
enum class ControlLife { Persistent, Temporary };

// The controls of a bar or a popup, in order.
class CommandBarControls {
 public:
  CommandBarControls() = default;
  ~CommandBarControls();
  CommandBarControls(const CommandBarControls&) = delete;
  CommandBarControls& operator=(const CommandBarControls&) = delete;

  int32_t Count() const { return static_cast<int32_t>(controls_.size()); }
  // 1-based; raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  std::shared_ptr<CommandBarControl> Item(int32_t index) const;
  const std::vector<std::shared_ptr<CommandBarControl>>& All() const { return controls_; }
  // A new control at the end: visible, enabled, without caption or tag.
  std::shared_ptr<CommandBarControl> Add(ControlType type,
                                         ControlLife life = ControlLife::Persistent);
  // The first control whose tag equals `tag` (ignoring case), here or in a
  // popup below, depth first; nullptr when there is none.
  std::shared_ptr<CommandBarControl> FindControl(std::string_view tag) const;

 private:
  friend class CommandBarControl;
  void Remove(const CommandBarControl& control);

  std::vector<std::shared_ptr<CommandBarControl>> controls_;
};

class CommandBarControl {
 public:
  // The user's click: the control and the flag that cancels the client's own
  // handling (nothing here has any).
  using ClickEvent = Event<CommandBarControl&, bool&>;

  // Made by CommandBarControls::Add.
  CommandBarControl(ControlType type, ControlLife life, CommandBarControls* parent);
  CommandBarControl(const CommandBarControl&) = delete;
  CommandBarControl& operator=(const CommandBarControl&) = delete;

  ControlType Type() const { return type_; }
  bool Temporary() const { return life_ == ControlLife::Temporary; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  const std::string& TooltipText() const { return tooltip_; }
  void SetTooltipText(std::string text) { tooltip_ = std::move(text); }
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }
  // The icon of the client's built-in set; 0 for none.
  int32_t FaceId() const { return face_id_; }
  void SetFaceId(int32_t face_id) { face_id_ = face_id; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }

  // A popup's controls. A button has none: raises
  // Error(err::kInvalidProcedureCall).
  CommandBarControls& Controls();
  // Takes the control off its bar or popup. Deleting twice does nothing.
  void Delete();
  bool Deleted() const { return parent_ == nullptr; }

  // The user clicks it: a button that is on a bar, visible and enabled
  // fires Click; anything else does nothing. Returns whether Click fired.
  bool Execute();
  ClickEvent& Click() { return click_; }

 private:
  friend class CommandBarControls;

  ControlType type_;
  ControlLife life_;
  CommandBarControls* parent_;
  std::string caption_;
  std::string tooltip_;
  std::string tag_;
  int32_t face_id_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::unique_ptr<CommandBarControls> controls_;
  ClickEvent click_;
};

class CommandBar {
 public:
  explicit CommandBar(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  CommandBarControls& Controls() { return controls_; }
  const CommandBarControls& Controls() const { return controls_; }
  std::shared_ptr<CommandBarControl> FindControl(std::string_view tag) const {
    return controls_.FindControl(tag);
  }

 private:
  std::string name_;
  CommandBarControls controls_;
};

}  // namespace zanvoro::host
