// A window (form) and a question (message box) as the browser shows them:
// one markup for every window, made from its visible controls in the order
// they were added. Every text goes through HtmlEscape.
//
// What the user does comes back as a POST to /window/ID with "action"
// (click, set, check, select or close), "control" and "value"; an answer
// to a question as a POST to /question/ID with "button", the MsgBoxResult's
// number. zanvoro.js sends them.
#pragma once

#include <cstdint>
#include <string>

#include "host/ui/MsgBox.h"

namespace zanvoro::host {

class Form;

// The window `form`, known to the browser as `id`.
std::string WindowHtml(const Form& form, uint64_t id);
// The question `request`, known to the browser as `id`.
std::string QuestionHtml(const MessageBoxRequest& request, uint64_t id);

}  // namespace zanvoro::host
