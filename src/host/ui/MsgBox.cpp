#include "host/ui/MsgBox.h"

#include "host/ui/Renderer.h"
#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

constexpr int32_t kButtonsMask = 0x0F;
constexpr int32_t kIconMask = 0xF0;
constexpr int32_t kDefaultMask = 0xF00;

}  // namespace

MessageBoxRequest MessageBoxRequest::FromFlags(std::string prompt, int32_t flags,
                                               std::string title) {
  const int32_t buttons = flags & kButtonsMask;
  const int32_t icon = flags & kIconMask;
  const int32_t default_button = flags & kDefaultMask;
  if (buttons > vbRetryCancel || icon > vbInformation ||
      default_button > vbDefaultButton4) {
    throw Error(
        err::kInvalidProcedureCall,
        "Invalid procedure call or argument: message box flags " + std::to_string(flags),
        "MsgBox");
  }
  MessageBoxRequest request;
  request.prompt = std::move(prompt);
  request.title = std::move(title);
  request.buttons = static_cast<MsgBoxButtons>(buttons);
  request.icon = static_cast<MsgBoxIcon>(icon);
  request.default_button = static_cast<MsgBoxDefault>(default_button);
  request.other_flags = flags & ~(kButtonsMask | kIconMask | kDefaultMask);
  return request;
}

int32_t MessageBoxRequest::Flags() const {
  return static_cast<int32_t>(buttons) | static_cast<int32_t>(icon) |
         static_cast<int32_t>(default_button) | other_flags;
}

std::vector<MsgBoxResult> MessageBoxRequest::Results() const {
  using R = MsgBoxResult;
  switch (buttons) {
    case MsgBoxButtons::OK:
      return {R::OK};
    case MsgBoxButtons::OKCancel:
      return {R::OK, R::Cancel};
    case MsgBoxButtons::AbortRetryIgnore:
      return {R::Abort, R::Retry, R::Ignore};
    case MsgBoxButtons::YesNoCancel:
      return {R::Yes, R::No, R::Cancel};
    case MsgBoxButtons::YesNo:
      return {R::Yes, R::No};
    case MsgBoxButtons::RetryCancel:
      return {R::Retry, R::Cancel};
  }
  return {R::OK};
}

MsgBoxResult MessageBoxRequest::DefaultResult() const {
  const std::vector<MsgBoxResult> results = Results();
  const size_t index = static_cast<size_t>(default_button) / vbDefaultButton2;
  return index < results.size() ? results[index] : results.front();
}

bool MessageBoxRequest::Offers(MsgBoxResult result) const {
  for (MsgBoxResult r : Results()) {
    if (r == result) return true;
  }
  return false;
}

std::string_view ButtonLabel(MsgBoxResult result) {
  switch (result) {
    case MsgBoxResult::OK:
      return "OK";
    case MsgBoxResult::Cancel:
      return "Cancel";
    case MsgBoxResult::Abort:
      return "Abort";
    case MsgBoxResult::Retry:
      return "Retry";
    case MsgBoxResult::Ignore:
      return "Ignore";
    case MsgBoxResult::Yes:
      return "Yes";
    case MsgBoxResult::No:
      return "No";
  }
  return "";
}

std::string_view IconName(MsgBoxIcon icon) {
  switch (icon) {
    case MsgBoxIcon::None:
      return "";
    case MsgBoxIcon::Critical:
      return "Critical";
    case MsgBoxIcon::Question:
      return "Question";
    case MsgBoxIcon::Exclamation:
      return "Exclamation";
    case MsgBoxIcon::Information:
      return "Information";
  }
  return "";
}

MsgBoxResult MsgBox(const MessageBoxRequest& request) {
  Renderer& renderer = Renderer::Current();
  Renderer::BeforeWait();
  return renderer.ShowMessage(request);
}

MsgBoxResult MsgBox(std::string_view prompt, MsgBoxButtons buttons, MsgBoxIcon icon,
                    MsgBoxDefault default_button, std::string_view title) {
  MessageBoxRequest request;
  request.prompt = prompt;
  request.title = title;
  request.buttons = buttons;
  request.icon = icon;
  request.default_button = default_button;
  return MsgBox(request);
}

int32_t MsgBox(std::string_view prompt, int32_t flags, std::string_view title) {
  return static_cast<int32_t>(MsgBox(
      MessageBoxRequest::FromFlags(std::string(prompt), flags, std::string(title))));
}

}  // namespace zanvoro::host
