// The HTTP SMS gateways the helpdesk can send through: each one a URL
// template with placeholders for the account, the numbers and the text, a
// rule for blanks in the text, and the answer that means the message was
// taken. The gateway's address (scheme, host and port) is a shared setting
// of its own, so an administrator can point a gateway at the provider's
// current host. No state; any thread.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace zanvoro {

// How a blank in the message is written into the URL.
enum class BlankAs { Plus, Percent20 };
// How the gateway's answer is read: it holds the success text, or the
// success text names the failure (any answer without it was taken).
enum class AnswerRule { SuccessWhenPresent, FailureWhenPresent };

struct SmsGateway {
  int number;                  // 1 to 16
  const char* identifier;      // the value of "sdoSMSGatewayName"
  const char* scheme;          // "http" or "https"
  const char* path_and_query;  // with the VNH_GATEWAY_... placeholders
  BlankAs blank;
  const char* answer_text;
  AnswerRule rule;
};

// The 16 gateways, by number.
std::span<const SmsGateway> SmsGateways();
// The gateway with `identifier` (letter case ignored), or nullptr.
const SmsGateway* FindSmsGateway(std::string_view identifier);

// The shared setting holding gateway `number`'s address ("host",
// "host:port" or "scheme://host:port"), and the address used while it is
// empty: the gateway's scheme and a host under ".invalid" that the
// administrator replaces with the provider's.
std::string GatewayAddressSetting(int number);
std::string DefaultGatewayAddress(const SmsGateway& gateway);

// What fills a template's placeholders.
struct GatewayFields {
  std::string user_name;     // "sdoSMSGatewayUserName"
  std::string password;      // "sdoSMSGatewayPassword"
  std::string from_number;   // "sdoSMSGatewaySenderName"
  std::string display_name;  // "sdoSMSGatewayDisplayName"
  std::string api_id;        // "sdoSMSGatewayAPIID"
};

// `number` without "-", "+", "(", ")", "{", "}", "[", "]" and blanks.
std::string NormalisePhoneNumber(std::string_view number);
// `message` for gateway `gateway`'s URL: "%", "&", "+", "#" and "=" escaped
// in that order, then each blank written as the gateway's BlankAs says.
std::string EncodeGatewayMessage(std::string_view message, int gateway);
// The full URL that sends `message` to `to` through `gateway` at `address`
// (see GatewayAddressSetting). The numbers are normalised, the message
// encoded; placeholders are filled in the order user name, password, from
// number, display name, API id, destination, message.
std::string GatewayUrl(const SmsGateway& gateway, std::string_view address,
                       const GatewayFields& fields, std::string_view to,
                       std::string_view message);
// Whether `answer` (the response text) means the gateway took the message.
bool GatewayTookMessage(const SmsGateway& gateway, std::string_view answer);

// The longest message a gateway takes, in characters: three joined parts.
inline constexpr size_t kGatewayMessageLimit = 459;

}  // namespace zanvoro
