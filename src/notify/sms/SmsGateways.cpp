#include "notify/sms/SmsGateways.h"

#include "runtime/Text.h"

namespace zanvoro {

namespace {

using enum BlankAs;
using enum AnswerRule;

// The text parameter of gateway 9 is "Message", as the provider names it.
constexpr SmsGateway kGateways[] = {
    {1, "SMSGateway1", "https",
     "/TxTNotify/TxTNotify?PhoneDestination=VNH_GATEWAY_TO&Message=VNH_GATEWAY_MESSAGE"
     "&CustomerNickname=VNH_GATEWAY_NICK_NAME&Username=VNH_GATEWAY_USERNAME"
     "&Password=VNH_GATEWAY_PASSWORD",
     Plus, "accepted", SuccessWhenPresent},
    {2, "SMSGateway2", "http",
     "/http-api.php?action=sendsms&user=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_"
     "PASSWORD"
     "&from=VNH_GATEWAY_FROM_NUMBER&to=VNH_GATEWAY_TO&text=VNH_GATEWAY_MESSAGE",
     Percent20, "OK", SuccessWhenPresent},
    {3, "SMSGateway3", "http",
     "/sendtxt?client_id=VNH_GATEWAY_USERNAME&text=VNH_GATEWAY_MESSAGE"
     "&destaddr=VNH_GATEWAY_TO&password=VNH_GATEWAY_PASSWORD",
     Percent20, "SUCCESS", SuccessWhenPresent},
    {4, "SMSGateway4", "http",
     "/smsc/general/sendsms.jsp?userid=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_PASSWORD"
     "&submit_name=VNH_GATEWAY_FROM_NUMBER&send_to=VNH_GATEWAY_TO&message_type=0"
     "&message_text=VNH_GATEWAY_MESSAGE",
     Percent20, "SUCCESS", SuccessWhenPresent},
    {5, "SMSGateway5", "http",
     "/SMSCwebservice.asp?User=VNH_GATEWAY_USERNAME&passwd=VNH_GATEWAY_PASSWORD"
     "&mobilenumber=VNH_GATEWAY_TO&message=VNH_GATEWAY_MESSAGE&sid=VNH_GATEWAY_USERNAME"
     "&mtype=N&DR=N",
     Percent20, "SMS message(s) sent", SuccessWhenPresent},
    {6, "SMSGateway6", "http",
     "/sendsms.asp?user=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_PASSWORD&sid=1"
     "&text=VNH_GATEWAY_MESSAGE&PhoneNumber=VNH_GATEWAY_TO",
     Percent20, "0", SuccessWhenPresent},
    {7, "SMSGateway7", "http",
     "/bulksms/bulksms.asp?username=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_PASSWORD"
     "&message=VNH_GATEWAY_MESSAGE&mobile=VNH_GATEWAY_TO&sender=VNH_GATEWAY_NICK_NAME"
     "&type=0&route=1",
     Percent20, "1701", SuccessWhenPresent},
    {8, "SMSGateway8", "http",
     "/post/smsv3.asp?userid=VNH_GATEWAY_USERNAME&apikey=VNH_GATEWAY_PASSWORD"
     "&message=VNH_GATEWAY_MESSAGE&senderid=VNH_GATEWAY_FROM_NUMBER&sendto=VNH_GATEWAY_"
     "TO",
     Plus, "Message submitted", SuccessWhenPresent},
    {9, "SMSGateway9", "http",
     "/bulk/send.asp?Account=VNH_GATEWAY_USERNAME&Password=VNH_GATEWAY_PASSWORD"
     "&Sender=VNH_GATEWAY_FROM_NUMBER&Recipients=1&PhoneNumbers=VNH_GATEWAY_TO"
     "&Message=VNH_GATEWAY_MESSAGE",
     Percent20, "+OK", SuccessWhenPresent},
    {10, "SMSGateway10", "http",
     "/http/sendmsg?user=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_PASSWORD"
     "&api_id=VNH_GATEWAY_API_ID&to=VNH_GATEWAY_TO&text=VNH_GATEWAY_MESSAGE",
     Plus, "OK", SuccessWhenPresent},
    {11, "SMSGateway11", "http",
     "/SMSSend?user=VNH_GATEWAY_USERNAME&pass=VNH_GATEWAY_PASSWORD"
     "&smsfrom=VNH_GATEWAY_FROM_NUMBER&smsto=VNH_GATEWAY_TO&smsmsg=VNH_GATEWAY_MESSAGE",
     Percent20, "20x", SuccessWhenPresent},
    {12, "SMSGateway12", "http",
     "/sms/postmsg.php?to_num=VNH_GATEWAY_TO&message=VNH_GATEWAY_MESSAGE&flash=1"
     "&username=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_PASSWORD",
     Plus, "AQSMS-OK", SuccessWhenPresent},
    {13, "SMSGateway13", "http",
     "/httpapi/"
     "sendtext.asp?MobileNumber=VNH_GATEWAY_USERNAME&Password=VNH_GATEWAY_PASSWORD"
     "&Message=VNH_GATEWAY_MESSAGE&SendTo=VNH_GATEWAY_TO&SenderId=VNH_GATEWAY_FROM_"
     "NUMBER",
     Percent20, "error", FailureWhenPresent},
    {14, "SMSGateway14", "http",
     "/sms/sms_gw.php?username=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_PASSWORD"
     "&destination=VNH_GATEWAY_TO&message=VNH_GATEWAY_MESSAGE",
     Plus, "success", SuccessWhenPresent},
    {15, "SMSGateway15", "http",
     "/scripts/sendsms.php?username=VNH_GATEWAY_USERNAME&password=VNH_GATEWAY_PASSWORD"
     "&mobile=VNH_GATEWAY_TO&sms=VNH_GATEWAY_MESSAGE",
     Plus, "OK", SuccessWhenPresent},
    {16, "SMSGateway16", "http",
     "/scripts/sendsms.asp?UserID=VNH_GATEWAY_USERNAME&Password=VNH_GATEWAY_PASSWORD"
     "&phone=VNH_GATEWAY_TO&Sms=VNH_GATEWAY_MESSAGE",
     Percent20, "01", SuccessWhenPresent},
};

}  // namespace

std::span<const SmsGateway> SmsGateways() { return kGateways; }

const SmsGateway* FindSmsGateway(std::string_view identifier) {
  std::string wanted = Trim(identifier);
  for (const SmsGateway& gateway : kGateways) {
    if (TextEquals(gateway.identifier, wanted)) return &gateway;
  }
  return nullptr;
}

std::string GatewayAddressSetting(int number) {
  return "sdoSMSGatewayAddress" + std::to_string(number);
}

std::string DefaultGatewayAddress(const SmsGateway& gateway) {
  return std::string(gateway.scheme) + "://sms-gateway-" +
         std::to_string(gateway.number) + ".invalid";
}

std::string NormalisePhoneNumber(std::string_view number) {
  std::string plain;
  for (char ch : number) {
    if (std::string_view("-+(){}[] ").find(ch) == std::string_view::npos) plain += ch;
  }
  return plain;
}

std::string EncodeGatewayMessage(std::string_view message, int gateway) {
  std::string text(message);
  for (auto [from, to] :
       {std::pair{"%", "%25"}, {"&", "%26"}, {"+", "%2B"}, {"#", "%23"}, {"=", "%3D"}}) {
    text = Replace(text, from, to);
  }
  bool plus = false;
  for (const SmsGateway& entry : kGateways) {
    if (entry.number == gateway) plus = entry.blank == Plus;
  }
  return Replace(text, " ", plus ? "+" : "%20");
}

std::string GatewayUrl(const SmsGateway& gateway, std::string_view address,
                       const GatewayFields& fields, std::string_view to,
                       std::string_view message) {
  std::string base = Trim(address);
  if (base.empty()) base = DefaultGatewayAddress(gateway);
  if (base.find("://") == std::string::npos)
    base = std::string(gateway.scheme) + "://" + base;
  while (!base.empty() && base.back() == '/') base.pop_back();
  std::string url = base + gateway.path_and_query;
  url = Replace(url, "VNH_GATEWAY_USERNAME", fields.user_name);
  url = Replace(url, "VNH_GATEWAY_PASSWORD", fields.password);
  url = Replace(url, "VNH_GATEWAY_FROM_NUMBER", NormalisePhoneNumber(fields.from_number));
  url = Replace(url, "VNH_GATEWAY_NICK_NAME", fields.display_name);
  url = Replace(url, "VNH_GATEWAY_API_ID", fields.api_id);
  url = Replace(url, "VNH_GATEWAY_TO", NormalisePhoneNumber(to));
  return Replace(url, "VNH_GATEWAY_MESSAGE",
                 EncodeGatewayMessage(message, gateway.number));
}

bool GatewayTookMessage(const SmsGateway& gateway, std::string_view answer) {
  bool present = Contains(answer, gateway.answer_text);
  return gateway.rule == SuccessWhenPresent ? present : !present;
}

}  // namespace zanvoro
