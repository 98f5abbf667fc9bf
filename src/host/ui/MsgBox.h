// Message boxes: the classic button sets, icons, default buttons and results,
// both as typed enums and as the numeric flag word that the add-in's texts
// were written with (vbYesNo + vbQuestion == 36). MsgBox shows the box
// through the current renderer (Renderer::Current) and returns the button
// the user chose. UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::host {

enum class MsgBoxButtons {
  OK = 0,
  OKCancel = 1,
  AbortRetryIgnore = 2,
  YesNoCancel = 3,
  YesNo = 4,
  RetryCancel = 5,
};

enum class MsgBoxIcon {
  None = 0,
  Critical = 16,
  Question = 32,
  Exclamation = 48,
  Information = 64,
};

// Which button is the default, counted from the left.
enum class MsgBoxDefault {
  Button1 = 0,
  Button2 = 256,
  Button3 = 512,
  Button4 = 768,
};

enum class MsgBoxResult {
  OK = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7,
};

// The classic constants, under their classic names, for code that copies
// flag words from the original program.
inline constexpr int32_t vbOKOnly = 0;
inline constexpr int32_t vbOKCancel = 1;
inline constexpr int32_t vbAbortRetryIgnore = 2;
inline constexpr int32_t vbYesNoCancel = 3;
inline constexpr int32_t vbYesNo = 4;
inline constexpr int32_t vbRetryCancel = 5;
inline constexpr int32_t vbCritical = 16;
inline constexpr int32_t vbQuestion = 32;
inline constexpr int32_t vbExclamation = 48;
inline constexpr int32_t vbInformation = 64;
inline constexpr int32_t vbDefaultButton1 = 0;
inline constexpr int32_t vbDefaultButton2 = 256;
inline constexpr int32_t vbDefaultButton3 = 512;
inline constexpr int32_t vbDefaultButton4 = 768;
inline constexpr int32_t vbApplicationModal = 0;
inline constexpr int32_t vbSystemModal = 4096;
inline constexpr int32_t vbMsgBoxSetForeground = 65536;
inline constexpr int32_t vbMsgBoxRight = 524288;
inline constexpr int32_t vbOK = 1;
inline constexpr int32_t vbCancel = 2;
inline constexpr int32_t vbAbort = 3;
inline constexpr int32_t vbRetry = 4;
inline constexpr int32_t vbIgnore = 5;
inline constexpr int32_t vbYes = 6;
inline constexpr int32_t vbNo = 7;

struct MessageBoxRequest {
  std::string prompt;
  std::string title;
  MsgBoxButtons buttons = MsgBoxButtons::OK;
  MsgBoxIcon icon = MsgBoxIcon::None;
  MsgBoxDefault default_button = MsgBoxDefault::Button1;
  // Flag bits without a meaning here (modality, foreground, alignment),
  // kept so that Flags() gives back the word the request was made from.
  int32_t other_flags = 0;

  // Reads a classic flag word. Unknown button sets and icons raise
  // Error(err::kInvalidProcedureCall), as the runtime did.
  static MessageBoxRequest FromFlags(std::string prompt, int32_t flags,
                                     std::string title);
  int32_t Flags() const;

  // The results of the buttons, left to right.
  std::vector<MsgBoxResult> Results() const;
  // The result of the default button; the first button when the default
  // points past the last one.
  MsgBoxResult DefaultResult() const;
  bool Offers(MsgBoxResult result) const;
};

// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No".
std::string_view ButtonLabel(MsgBoxResult result);
// "Critical", "Question", "Exclamation", "Information", or "" for None.
std::string_view IconName(MsgBoxIcon icon);

MsgBoxResult MsgBox(const MessageBoxRequest& request);
MsgBoxResult MsgBox(std::string_view prompt, MsgBoxButtons buttons = MsgBoxButtons::OK,
                    MsgBoxIcon icon = MsgBoxIcon::None,
                    MsgBoxDefault default_button = MsgBoxDefault::Button1,
                    std::string_view title = {});
// The classic form: flags as a number, the result as a number (vbYes...).
int32_t MsgBox(std::string_view prompt, int32_t flags, std::string_view title = {});

}  // namespace zanvoro::host
