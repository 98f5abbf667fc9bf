#include "host/ui/Form.h"

#include "host/ui/Renderer.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

// Clears a flag when the scope ends, however it ends.
class FlagGuard {
 public:
  explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

Form::Form(std::string name, std::string caption)
    : name_(std::move(name)), caption_(std::move(caption)) {}

Form::~Form() {
  if (!visible_) return;
  try {
    NotifyHidden();
  } catch (...) {  // nothing may leave a destructor; the window is gone anyway
  }
}

Control* Form::Find(std::string_view name) const {
  for (const auto& control : controls_) {
    if (TextEquals(control->Name(), name)) return control.get();
  }
  return nullptr;
}

std::vector<Control*> Form::Controls() const {
  std::vector<Control*> controls;
  controls.reserve(controls_.size());
  for (const auto& control : controls_) controls.push_back(control.get());
  return controls;
}

void Form::CheckNewName(const std::string& name) const {
  if (name.empty()) {
    throw Error(err::kInvalidProcedureCall, "A control on " + name_ + " needs a name",
                name_);
  }
  if (Find(name)) {
    throw Error(err::kInvalidProcedureCall,
                name_ + " already has a control named " + name, name_);
  }
}

Control& Form::Require(std::string_view name) const {
  if (Control* control = Find(name)) return *control;
  throw Error(err::kInvalidProcedureCall,
              name_ + " has no control named " + std::string(name), name_);
}

void Form::RaiseWrongKind(const Control& control) const {
  throw Error(err::kTypeMismatch,
              name_ + "." + control.Name() + " is a " +
                  std::string(ControlKindName(control.Kind())) +
                  " and cannot be used as asked",
              name_);
}

Control& Form::RequireForUser(std::string_view name) const {
  if (!visible_) {
    throw Error(err::kInvalidProcedureCall, name_ + " is not shown", name_);
  }
  Control& control = Require(name);
  if (!control.Visible()) {
    throw Error(err::kInvalidProcedureCall, name_ + "." + control.Name() + " is hidden",
                name_);
  }
  if (!control.Enabled()) {
    throw Error(err::kInvalidProcedureCall, name_ + "." + control.Name() + " is disabled",
                name_);
  }
  return control;
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  if (on_load_) on_load_();
}

void Form::Show(ShowMode mode) {
  if (mode == ShowMode::Modeless) {
    if (modal_) {
      throw Error(err::kInvalidProcedureCall, name_ + " is shown modally already", name_);
    }
    Renderer& renderer = Renderer::Current();
    Load();
    if (!loaded_) return;  // the Load handler unloaded it again
    visible_ = true;
    renderer.ShowModeless(*this);
    return;
  }
  if (visible_) {
    throw Error(err::kInvalidProcedureCall,
                "Form already displayed; can't show modally: " + name_, name_);
  }
  Renderer& renderer = Renderer::Current();
  Load();
  if (!loaded_) return;
  visible_ = true;
  try {
    FlagGuard modal(modal_);
    Renderer::BeforeWait();
    renderer.RunModal(*this);
  } catch (...) {
    visible_ = false;
    throw;
  }
  // A renderer that gives up leaves nobody to close the window.
  visible_ = false;
}

void Form::NotifyHidden() {
  if (Renderer* renderer = Renderer::CurrentOrNull()) renderer->FormHidden(*this);
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  NotifyHidden();
}

bool Form::Unload(UnloadMode mode) {
  if (!loaded_ || unloading_) return !loaded_;
  FlagGuard unloading(unloading_);
  bool cancel = false;
  if (on_query_unload_) on_query_unload_(cancel, mode);
  if (cancel) return false;
  if (on_unload_) on_unload_(cancel);
  if (cancel) return false;
  loaded_ = false;
  Hide();
  return true;
}

void Form::Refresh() {
  if (!visible_) return;
  if (Renderer* renderer = Renderer::CurrentOrNull()) renderer->Refresh(*this);
}

void Form::UserClick(std::string_view control) { RequireForUser(control).Click(); }

void Form::UserSet(std::string_view control, std::string_view value) {
  RequireForUser(control).UserInput(value);
}

void Form::UserCheck(std::string_view control, bool checked) {
  RequireForUser(control).UserCheck(checked);
}

void Form::UserSelect(std::string_view control, int index) {
  RequireForUser(control).UserSelect(index);
}

bool Form::UserClose() {
  if (!visible_) throw Error(err::kInvalidProcedureCall, name_ + " is not shown", name_);
  return Unload(UnloadMode::ControlMenu);
}

}  // namespace zanvoro::host
