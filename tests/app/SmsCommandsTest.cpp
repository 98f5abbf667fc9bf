#include <gtest/gtest.h>

#include "app/CommandTestSupport.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

class SmsCommands : public testsupport::CommandTest {};

TEST_F(SmsCommands, SendPrintsTheServicesAnswerOrFailsWithItsReason) {
  MakeHelpdesk("helpdesk.zdb", "", Registration::ForUser);
  ASSERT_EQ(Run({"settings", "set", "sdoSMSOption", "2"}), 0) << err_.str();
  ASSERT_EQ(Run({"settings", "set", "sdoSMSEmailService", "@sms.example.test"}), 0);
  EXPECT_EQ(Run({"sms", "send", "555-0100", "Printer fixed"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "Success\n");
  EXPECT_EQ(Run({"sms", "send", "555-CALL", "Printer fixed"}), 1);
  EXPECT_NE(err_.str().find(CONST_INVALID_PHONE_NUMBER + " (\"555-CALL\")"),
            std::string::npos)
      << err_.str();
}

}  // namespace
}  // namespace zanvoro
