// The one way a short text message leaves the helpdesk. The transport
// (an HTTP gateway, an e-mail-to-SMS service...) is installed by the SMS
// subsystem (notify/sms/SmsService.h) where a session or command starts;
// until one is, every message is refused with kNoSmsTransport.
// UI thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zanvoro {

class cCase;

inline constexpr const char* kNoSmsTransport = "No SMS transport is configured";
inline constexpr const char* kNoSmsNumber = "No phone number to send the SMS to";

// Sends `message` to `number` (several numbers joined by "," where the
// transport takes them); `c` is the case it is about, or nullptr. Returns
// "SUCCESS" (any letter case, possibly followed by detail) when the
// message was sent, else the transport's response or error text.
using SmsTransport = std::function<std::string(std::string_view number,
                                               std::string_view message, const cCase* c)>;

// Installs the transport; an empty one removes it.
void SetSmsTransport(SmsTransport transport);

// Hands the message to the installed transport. Without one the result is
// kNoSmsTransport; a blank number gives kNoSmsNumber without asking the
// transport. A transport that raises gives its error's description: this
// never throws. Shows nothing and logs nothing itself: the notification
// procedures announce a sent SMS, and a transport announces its failures.
std::string SendSMS(std::string_view number, std::string_view message, const cCase* c);

// Whether a SendSMS result means the message was sent.
bool SmsSucceeded(std::string_view result);

}  // namespace zanvoro
