
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/net/LoopbackHttpServer.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "notify/NotifyTestSupport.h"
#include "notify/SendCaseEmail.h"
#include "notify/SendSMS.h"
#include "notify/sms/SmsGateways.h"
#include "notify/sms/SmsService.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

class SmsService : public testsupport::NotifyTest {
 protected:
  SmsService() {
    InstallSmsTransport();
    SetSetting("sdoSMSOption", "1");
    SetSetting("sdoSMSGatewayUserName", "ann");
    SetSetting("sdoSMSGatewayPassword", "pw");
    SetSetting("sdoSMSGatewaySenderName", "+1 (555) 010");
    SetSetting("sdoSMSGatewayDisplayName", "Desk");
    SetSetting("sdoSMSGatewayAPIID", "77");
    SetSetting("sdoSMSGatewayTimeout", "1");
    for (const SmsGateway& gateway : SmsGateways()) {
      SetSetting(GatewayAddressSetting(gateway.number).c_str(),
                 gateway_.Address().c_str());
    }
  }
  void UseGateway(int number) {
    SetSetting("sdoSMSGatewayName", SmsGateways()[number - 1].identifier);
  }
  testsupport::LoopbackHttpServer gateway_;
};

TEST_F(SmsService, EveryGatewayGetsItsRequestAndReadsItsAnswer) {
  struct {
    const char* target;
    const char* taken;  // an answer that means the message was taken
  } cases[] = {
      {"/TxTNotify/TxTNotify?PhoneDestination=4407700900123&Message=50%25+%26+more"
       "&CustomerNickname=Desk&Username=ann&Password=pw",
       "Message accepted"},
      {"/http-api.php?action=sendsms&user=ann&password=pw&from=1555010&to=4407700900123"
       "&text=50%25%20%26%20more",
       "OK: 1"},
      {"/sendtxt?client_id=ann&text=50%25%20%26%20more&destaddr=4407700900123&password="
       "pw",
       "SUCCESS"},
      {"/smsc/general/sendsms.jsp?userid=ann&password=pw&submit_name=1555010"
       "&send_to=4407700900123&message_type=0&message_text=50%25%20%26%20more",
       "SUCCESS 1"},
      {"/SMSCwebservice.asp?User=ann&passwd=pw&mobilenumber=4407700900123"
       "&message=50%25%20%26%20more&sid=ann&mtype=N&DR=N",
       "1 SMS message(s) sent"},
      {"/sendsms.asp?user=ann&password=pw&sid=1&text=50%25%20%26%20more"
       "&PhoneNumber=4407700900123",
       "0"},
      {"/bulksms/bulksms.asp?username=ann&password=pw&message=50%25%20%26%20more"
       "&mobile=4407700900123&sender=Desk&type=0&route=1",
       "1701|44077"},
      {"/post/smsv3.asp?userid=ann&apikey=pw&message=50%25+%26+more&senderid=1555010"
       "&sendto=4407700900123",
       "Message submitted"},
      {"/bulk/send.asp?Account=ann&Password=pw&Sender=1555010&Recipients=1"
       "&PhoneNumbers=4407700900123&Message=50%25%20%26%20more",
       "+OK 1"},
      {"/http/sendmsg?user=ann&password=pw&api_id=77&to=4407700900123"
       "&text=50%25+%26+more",
       "ID: 5 OK"},
      {"/SMSSend?user=ann&pass=pw&smsfrom=1555010&smsto=4407700900123"
       "&smsmsg=50%25%20%26%20more",
       "20x"},
      {"/sms/postmsg.php?to_num=4407700900123&message=50%25+%26+more&flash=1"
       "&username=ann&password=pw",
       "AQSMS-OK"},
      {"/httpapi/sendtext.asp?MobileNumber=ann&Password=pw&Message=50%25%20%26%20more"
       "&SendTo=4407700900123&SenderId=1555010",
       "queued"},
      {"/sms/sms_gw.php?username=ann&password=pw&destination=4407700900123"
       "&message=50%25+%26+more",
       "success"},
      {"/scripts/sendsms.php?username=ann&password=pw&mobile=4407700900123"
       "&sms=50%25+%26+more",
       "OK"},
      {"/scripts/sendsms.asp?UserID=ann&Password=pw&phone=4407700900123"
       "&Sms=50%25%20%26%20more",
       "01"},
  };
  ASSERT_EQ(std::size(cases), SmsGateways().size());
  int number = 0;
  for (const auto& c : cases) {
    UseGateway(++number);
    gateway_.Answer(c.taken);
    EXPECT_EQ(SendSMS("+44 (0)7700-900123", "50% & more", &c_), "SUCCESS") << number;
    EXPECT_EQ(gateway_.Targets(), std::vector<std::string>{c.target}) << number;
    // The refusal comes back as the answer text.
    const char* refusal = number == 13 ? "error 21: no credit" : "refused";
    gateway_.Answer(refusal);
    EXPECT_EQ(SendSMS("+44 (0)7700-900123", "50% & more", &c_), refusal) << number;
    EXPECT_EQ(gateway_.Targets().size(), 1u) << number;
  }
  EXPECT_EQ(BalloonTexts(),
            std::vector<std::string>(std::size(cases), CONST_SMS_NOT_SENT));
}

TEST_F(SmsService, FailingGatewaysAndBadInputGiveReasonsAndABalloon) {
  UseGateway(2);
  std::string too_long(kGatewayMessageLimit + 1, 'x');
  struct {
    const char* number;
    std::string text;
    int status;
    bool stall;
    std::string result_start;
    size_t requests;
  } cases[] = {
      {"5550100", "hello", 500, false, "The SMS gateway answered HTTP 500: OK", 1},
      {"5550100", "hello", 200, true, "The SMS gateway did not answer", 1},
      {"555-CALL", "hello", 200, false, CONST_INVALID_PHONE_NUMBER + " (\"555-CALL\")",
       0},
      {"5550100,", "hello", 200, false, CONST_INVALID_PHONE_NUMBER + " (\"\")", 0},
      {"5550100", " \r\n", 200, false, "There is no text to send", 0},
      {"5550100", too_long, 200, false, "The text has 460 characters", 0},
  };
  for (const auto& c : cases) {
    gateway_.Answer("OK", c.status, c.stall);
    std::string result = SendSMS(c.number, c.text, &c_);
    EXPECT_TRUE(result.starts_with(c.result_start)) << result;
    EXPECT_EQ(gateway_.Targets().size(), c.requests) << result;
  }
  gateway_.Answer("\x01\x7f<html>garbage");
  EXPECT_EQ(SendSMS("5550100", "hello", &c_), "\x01\x7f<html>garbage");
  EXPECT_EQ(gateway_.Targets().size(), 1u);
  EXPECT_EQ(BalloonTexts().size(), std::size(cases) + 1);

  SetSetting(GatewayAddressSetting(2).c_str(), "");
  EXPECT_EQ(
      SendSMS("5550100", "hello", &c_),
      "The SMS gateway's address is not set (sdoSMSGatewayAddress2): the SMS was not "
      "sent");
  SetSetting("sdoSMSGatewayName", "NoSuchGateway");
  EXPECT_EQ(SendSMS("5550100", "hello", &c_),
            "\"NoSuchGateway\" is no known SMS gateway: the SMS was not sent");
  SetSetting("sdoSMSOption", "0");
  EXPECT_EQ(SendSMS("5550100", "hello", &c_), CONST_SKYPE_NOT_ONLINE);
  EXPECT_TRUE(gateway_.Targets().empty());
  // The two gateways that could not be asked told so; the client did not.
  EXPECT_EQ(BalloonTexts().size(), std::size(cases) + 3);
}

TEST_F(SmsService, AFailedNotificationSmsStillLetsItsMailGo) {
  SetSetting(GatewayAddressSetting(2).c_str(), "http://127.0.0.1:1");
  UseGateway(2);
  EnableTemplate("sdoCaseAssignmentEmail");
  EnableTemplate("sdoCaseAssignmentSMS");
  NotifyTechniciansOfAssignment(c_);
  EXPECT_EQ(Outbox().size(), 1u);
  EXPECT_EQ(BalloonTexts(), (std::vector<std::string>{CONST_ASSIGNMENT_NOTIFICATION,
                                                      CONST_SMS_NOT_SENT}));
}

TEST_F(SmsService, EmailServiceSendsOneMailPerNumberAtItsDomain) {
  SetSetting("sdoSMSOption", "2");
  SetSetting("sdoSMSEmailService", "@sms.example.test");
  SetSetting("sdoSMSDefaultCountryCode", "44");
  SetSetting("sdoSMSEmailServiceAddToHistory", "1");
  EXPECT_EQ(SendSMS("07700 900123, +1 555-0100,+4407700-900124", "Case 12 is yours", &c_),
            "Success");
  auto outbox = Outbox();
  ASSERT_EQ(outbox.size(), 3u);
  const char* expected[] = {"+447700900123@sms.example.test",
                            "+15550100@sms.example.test",
                            "+447700900124@sms.example.test"};
  for (size_t i = 0; i < outbox.size(); ++i) {
    EXPECT_EQ(Recipients(*outbox[i], host::RecipientType::To), expected[i]);
    EXPECT_EQ(outbox[i]->Subject(), "SMS [12]");
    EXPECT_EQ(outbox[i]->Body(), "Case 12 is yours");
    EXPECT_EQ(outbox[i]->SaveSentMessageFolderID(), GetSentCopyFolder()->EntryID());
  }

  SetSetting("sdoSMSEmailService", "sms.example.test");
  EXPECT_TRUE(
      SendSMS("5550100", "hello", nullptr).starts_with("No e-mail-to-SMS service"));
  EXPECT_EQ(Outbox().size(), 3u);
}

}  // namespace
}  // namespace zanvoro
