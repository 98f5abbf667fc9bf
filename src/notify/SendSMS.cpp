#include "notify/SendSMS.h"

#include <exception>
#include <utility>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

SmsTransport& InstalledTransport() {
  static SmsTransport transport;
  return transport;
}

}  // namespace

void SetSmsTransport(SmsTransport transport) {
  InstalledTransport() = std::move(transport);
}

std::string SendSMS(std::string_view number, std::string_view message, const cCase* c) {
  const SmsTransport& transport = InstalledTransport();
  if (!transport) return kNoSmsTransport;
  if (Trim(number).empty()) return kNoSmsNumber;
  // A transport's failure is an answer about this message, not a fault of
  // the helpdesk: it comes back as the result text.
  try {
    return transport(number, message, c);
  } catch (const Error& failure) {
    return failure.Description();
  } catch (const std::exception& failure) {
    return failure.what();
  } catch (...) {
    return "The SMS transport failed";
  }
}

bool SmsSucceeded(std::string_view result) {
  return StartsWithText(LTrim(result), "SUCCESS");
}

}  // namespace zanvoro
