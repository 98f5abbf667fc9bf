#include <gtest/gtest.h>

#include "host/client/ClientTestSupport.h"
#include "host/os/Hive.h"
#include "settings/RegistryOptions.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro {
namespace {

using host::testsupport::ClientTest;
using host::testsupport::ExpectError;
using host::testsupport::WriteFile;

class RegistryTest : public ClientTest {
 protected:
  RegistryTest() : hive_(dir_.Path() / "hive.json") { SetRegistryHive(&hive_); }
  ~RegistryTest() override { SetRegistryHive(nullptr); }

  host::Hive hive_;
};

TEST_F(
    RegistryTest,
    ValuesLiveUnderPellworthAndTheTrimmedApplicationAndSectionMissingOnesGiveTheDefault) {
  SetRegistryValue(" VNH ", "", "DefLang", "FRENCH");
  SetRegistryValue("VNH", " Windows ", "Width", "12000");
  EXPECT_EQ(hive_.GetValue("Software\\Pellworth\\VNH", "DefLang"), "FRENCH");
  EXPECT_EQ(hive_.GetValue("Software\\Pellworth\\VNH\\Windows", "Width"), "12000");
  EXPECT_EQ(GetRegistryValue("VNH", "", "deflang", "x"), "FRENCH");
  EXPECT_EQ(GetRegistryValue("VNH", "Windows", "Width", "x"), "12000");
  EXPECT_EQ(GetRegistryValue("VNH", "", "StartUpOption", "0"), "0");
  EXPECT_EQ(GetRegistryValue("VNH", "Missing", "StartUpOption", "7"), "7");
}

TEST_F(RegistryTest, ArgumentChecksRaiseApplicationErrorsWithTheirTexts) {
  struct {
    const char* app;
    const char* key;
    const char* text;
  } cases[] = {
      {"", "Key", "AppName may not be empty"},
      {"   ", "Key", "AppName may not be empty"},
      {"VNH", "", "Key may not be empty"},
  };
  for (const auto& c : cases) {
    Error read = ExpectError(vbObjectError + 2000 + kSystemInvalidParameter,
                             [&] { GetRegistryValue(c.app, "", c.key, ""); });
    EXPECT_EQ(read.Description(), c.text);
    Error write = ExpectError(vbObjectError + 2000 + kSystemInvalidParameter,
                              [&] { SetRegistryValue(c.app, "", c.key, "v"); });
    EXPECT_EQ(write.Description(), c.text);
  }
  EXPECT_EQ(vbObjectError, -2147221504);
}

TEST_F(RegistryTest, AHiveThatCannotBeWrittenOrNoHiveRaisesCouldNotOpenWithTheCause) {
  // The hive's folder would have to be made where a file is.
  WriteFile(dir_.Path() / "blocker", "a file");
  host::Hive blocked(dir_.Path() / "blocker" / "hive.json");
  SetRegistryHive(&blocked);
  try {
    SetRegistryValue("VNH", "", "DefLang", "DUTCH");
    ADD_FAILURE() << "expected a registry error";
  } catch (const Error& error) {
    EXPECT_TRUE(
        error.Description().starts_with("Could not open/create registry section ("))
        << error.Description();
    EXPECT_GT(error.Number(), kRegistryErrorBase);
    EXPECT_LE(error.Number(), kRegistryErrorBase + kSystemCannotWrite);
  }
  EXPECT_EQ(GetRegistryValue("VNH", "", "DefLang", "none"), "none");

  SetRegistryHive(nullptr);
  Error read = ExpectError(kRegistryErrorBase + kSystemCannotOpen,
                           [] { GetRegistryValue("VNH", "", "DefLang", ""); });
  EXPECT_TRUE(read.Description().starts_with("Could not open registry section"));
  Error write = ExpectError(kRegistryErrorBase + kSystemCannotOpen,
                            [] { SetRegistryValue("VNH", "", "DefLang", ""); });
  EXPECT_TRUE(write.Description().starts_with("Could not open/create registry section"));
}

TEST_F(RegistryTest, DeleteRegistryKeyRemovesTheKeyWithItsSubKeys) {
  SetRegistryValue("VNH", "Windows\\Search", "Width", "1");
  SetRegistryValue("VNH", "", "DefLang", "ENGLISH");
  DeleteRegistryKey(RegistryRoot::CurrentUser, "Software\\Pellworth\\VNH");
  EXPECT_FALSE(hive_.KeyExists("Software\\Pellworth\\VNH"));
  EXPECT_TRUE(hive_.KeyExists("Software\\Pellworth"));
  DeleteRegistryKey(RegistryRoot::CurrentUser, "Software\\Pellworth\\VNH");
}

TEST_F(RegistryTest, OptionsTakeTheirDefaultsAndUnreadableNumbersBecomeZero) {
  RegistryOptions defaults = RegistryOptions::Read();
  EXPECT_EQ(defaults.TrackIncomingReplies, 1);
  EXPECT_EQ(defaults.TrackOutgoingReplies, 1);
  EXPECT_EQ(defaults.intDaysBackToScan, 1);
  EXPECT_EQ(defaults.StartUpOption, 0);
  EXPECT_EQ(defaults.DefLang, "");

  SetRegistryValue("VNH", "", "StartUpOption", "2");
  SetRegistryValue("VNH", "", "intDaysBackToScan", "seven");
  SetRegistryValue("VNH", "", "COMPORT", "70000");
  SetRegistryValue("VNH", "", "IamTechnician", "Bob");
  RegistryOptions read = RegistryOptions::Read();
  EXPECT_EQ(read.StartUpOption, 2);
  EXPECT_EQ(read.intDaysBackToScan, 0);
  EXPECT_EQ(read.COMPORT, 0);
  EXPECT_EQ(read.IamTechnician, "Bob");

  RegistryOptions with_user = RegistryOptions::ReadWithUserOption(
      [](std::string_view name) { return name == "sdo_Ann Smith" ? "3" : ""; },
      "Ann Smith");
  EXPECT_EQ(with_user.UserOption, 3);
}

}  // namespace
}  // namespace zanvoro
