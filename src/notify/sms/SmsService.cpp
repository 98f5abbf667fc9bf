#include "notify/sms/SmsService.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>

#include "case/cCase.h"
#include "connection/RunningAddin.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/net/HttpClient.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "notify/SendCaseEmail.h"
#include "notify/SendSMS.h"
#include "notify/sms/SmsGateways.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr int kMessagingClientOption = 0;
constexpr int kGatewayOption = 1;
constexpr int kDefaultGatewaySeconds = 10;
// Longest piece of a gateway's answer quoted in a failure.
constexpr size_t kQuotedAnswer = 200;

void ShowFailureBalloon() {
  RunningAddin* addin = ConnectedAddin();
  if (addin) addin->PopupSystrayBalloonInteractive(kApplicationTitle, CONST_SMS_NOT_SENT);
}

// Characters, not bytes: a UTF-8 continuation byte does not start one.
size_t CharacterCount(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char ch) {
    return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
  }));
}

// Why `numbers` cannot be sent to, or "" when each of them is a number.
std::string NumbersProblem(std::string_view numbers) {
  std::vector<std::string> pieces = Split(numbers, ",");
  if (pieces.empty()) return kNoSmsNumber;
  for (const std::string& piece : pieces) {
    std::string digits = NormalisePhoneNumber(piece);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
      return CONST_INVALID_PHONE_NUMBER + " (\"" + Trim(piece) + "\")";
    }
  }
  return {};
}

std::string SendToGateway(std::string_view numbers, std::string_view message) {
  std::string name = GeneralSettingText("sdoSMSGatewayName");
  const SmsGateway* gateway = FindSmsGateway(name);
  if (!gateway) {
    return name.empty()
               ? "No SMS gateway is chosen: the SMS was not sent"
               : "\"" + name + "\" is no known SMS gateway: the SMS was not sent";
  }
  size_t length = CharacterCount(message);
  if (length > kGatewayMessageLimit) {
    return "The text has " + std::to_string(length) + " characters, the gateway takes " +
           std::to_string(kGatewayMessageLimit) + " at most: the SMS was not sent";
  }
  GatewayFields fields{GeneralSettingText("sdoSMSGatewayUserName"),
                       GeneralSettingText("sdoSMSGatewayPassword"),
                       GeneralSettingText("sdoSMSGatewaySenderName"),
                       GeneralSettingText("sdoSMSGatewayDisplayName"),
                       GeneralSettingText("sdoSMSGatewayAPIID")};
  std::string address_setting = GatewayAddressSetting(gateway->number);
  std::string address = GeneralSettingText(address_setting);
  std::string url = GatewayUrl(*gateway, address, fields, numbers, message);
  // A host under ".invalid" (the placeholder until the provider's host is
  // set) never resolves: asking for it would only wait for the lookup.
  if (host::UrlHost(url).ends_with(".invalid")) {
    return "The SMS gateway's address is not set (" + address_setting +
           "): the SMS was not sent";
  }
  // The trace log shows the request without the account's password.
  GatewayFields traced = fields;
  traced.password = "********";
  WriteTraceLog("Sending SMS to Gateway: " +
                GatewayUrl(*gateway, address, traced, numbers, message));

  int seconds = GeneralSettingNumber("sdoSMSGatewayTimeout");
  if (seconds <= 0) seconds = kDefaultGatewaySeconds;
  host::HttpLimits limits;
  limits.total = std::chrono::seconds(seconds);
  limits.connect = std::min(limits.connect, limits.total);
  host::HttpResponse response;
  try {
    response = host::HttpGet(url, limits);
  } catch (const Error& failure) {
    return "The SMS gateway did not answer (" + failure.Description() + ")";
  }
  if (response.status >= 400) {
    std::string answer = Trim(Left(response.body, kQuotedAnswer));
    return "The SMS gateway answered HTTP " + std::to_string(response.status) +
           (answer.empty() ? std::string() : ": " + answer);
  }
  if (GatewayTookMessage(*gateway, response.body)) return "SUCCESS";
  return response.body.empty() ? "The SMS gateway gave an empty answer" : response.body;
}

std::string SendSmsByEmail(std::string_view numbers, std::string_view message,
                           const cCase* c) {
  std::string service = GeneralSettingText("sdoSMSEmailService");
  if (service.empty() || service.find('@') == std::string::npos) {
    return "No e-mail-to-SMS service (\"@\" and its domain) is set: the SMS was not sent";
  }
  RunningAddin* addin = ConnectedAddin();
  std::shared_ptr<host::Application> application =
      addin ? addin->HostApplication() : nullptr;
  if (!application) return "Mail cannot be sent now: the SMS was not sent";
  std::string country_code = GeneralSettingText("sdoSMSDefaultCountryCode");
  for (const std::string& number : Split(numbers, ",")) {
    if (Trim(number).empty()) continue;
    auto mail = application->CreateItem(host::ItemType::Mail);
    mail->Recipients().Add(EmailSmsNumber(number, country_code) + service);
    SetSendingAccount(*mail, c ? std::string_view(c->RecipientEmailAddress) : "");
    bool numbered = c && !Trim(c->CaseNumber).empty();
    mail->SetSubject(numbered ? "SMS [" + Trim(c->CaseNumber) + "]" : "SMS");
    mail->SetBody(message);
    mail->Save();
    if (GeneralSettingOn("sdoSMSEmailServiceAddToHistory")) {
      if (auto copies = GetSentCopyFolder()) mail->SetSaveSentMessageFolder(*copies);
    }
    mail->Send();
  }
  DeliverNow();
  return "Success";
}

std::string Send(std::string_view numbers, std::string_view message, const cCase* c) {
  if (IsBlank(message)) return "There is no text to send: the SMS was not sent";
  std::string problem = NumbersProblem(numbers);
  if (!problem.empty()) return problem;
  int option = GeneralSettingNumber("sdoSMSOption");
  // No desktop messaging client exists on this platform: it is never
  // running, so nothing is sent through it.
  if (option == kMessagingClientOption) {
    return CONST_SKYPE_NOT_ONLINE;
  }
  if (option == kGatewayOption) return SendToGateway(numbers, message);
  return SendSmsByEmail(numbers, message, c);
}

}  // namespace

std::string SendSmsThroughSettings(std::string_view numbers, std::string_view message,
                                   const cCase* c) {
  std::string result;
  try {
    result = Send(Trim(numbers), message, c);
  } catch (const Error& failure) {
    result = failure.Description();
  } catch (const std::exception& failure) {
    result = failure.what();
  }
  // Without a messaging client nothing was tried, so nothing failed to
  // announce.
  bool tried = GeneralSettingNumber("sdoSMSOption") != kMessagingClientOption;
  if (!SmsSucceeded(result) && tried) ShowFailureBalloon();
  return result;
}

void InstallSmsTransport() { SetSmsTransport(&SendSmsThroughSettings); }

std::string EmailSmsNumber(std::string_view number, std::string_view country_code) {
  std::string text = Trim(number);
  std::string code = Trim(country_code);
  if (!code.empty() && code.front() == '+') code.erase(0, 1);
  if (!code.empty() && !text.empty() && text.front() != '+') {
    if (text.front() == '0') text.erase(0, 1);
    text = "+" + code + text;
  }
  if (text.size() >= 4 && text.front() == '+' && text[3] == '0') text.erase(3, 1);
  text = Replace(text, " ", "");
  return Replace(text, "-", "");
}

}  // namespace zanvoro
