#include <gtest/gtest.h>

#include <string>

#include "settings/cMessageTemplates.h"

namespace zanvoro {
namespace {

TEST(MessageTemplates, TextFormEncodesSeparatorsAndLineBreaksAndRoundTrips) {
  const struct {
    const char* key;
    std::string value;
    bool enabled;
  } cases[] = {
      {"sdoEmailCaller", "<p>Dear VNH_CALLERNAME;</p>\r\n<p>Case: VNH_CASENUMBER</p>",
       true},
      {"sdoCaseClosedSMS", "a;b:c;;::d & e", false},
      {"sdoPrint", "", true},
      {"sdoNewCase", "\r\n\r\nline\r\n", false},
      {"key;with:separators", "value", true},
  };
  cMessageTemplates templates;
  for (const auto& c : cases) {
    templates.SetValue(c.key, c.value);
    templates.SetNotificaionEnabledValue(c.key, c.enabled);
  }
  cMessageTemplates read;
  read.FromString(templates.ToString());
  ASSERT_EQ(read.Count(), std::size(cases));
  for (const auto& c : cases) {
    EXPECT_EQ(read.GetValue(c.key), c.value) << c.key;
    EXPECT_EQ(read.IsChecked(c.key), c.enabled) << c.key;
  }
  // Separators are encoded, line breaks written as a word.
  cMessageTemplates sms;
  sms.SetValue("sdoSMSCaller", "a;b:c\r\nd");
  sms.SetNotificaionEnabledValue("sdoSMSCaller", true);
  sms.SetValue("sdoPrint", "x");
  EXPECT_EQ(sms.ToString(), "sdoSMSCaller;a&semicolonb&colonc[LF]d;-1:sdoPrint;x;0");
}

TEST(MessageTemplates, FirstEntryOfAKeyWinsWhateverItsLetterCase) {
  cMessageTemplates templates;
  templates.FromString("sdoPrint;first;-1:SDOPRINT;second;0:sdoprint;third;0");
  EXPECT_EQ(templates.Count(), 1u);
  EXPECT_EQ(templates.GetValue("sdoPrint"), "first");
  EXPECT_TRUE(templates.IsChecked("SdoPrint"));
  EXPECT_EQ(templates.Find("sdoprint")->NotificationName, "sdoPrint");
}

TEST(MessageTemplates, MalformedTextReadsWhatCanBeRead) {
  const struct {
    const char* text;
    const char* key;  // nullptr: nothing is read
    const char* value;
    bool enabled;
  } cases[] = {
      {":::", nullptr, "", false},
      {";;;", nullptr, "", false},
      {";value;1", nullptr, "", false},
      {"sdoPrint", "sdoPrint", "", false},
      {"sdoPrint;page", "sdoPrint", "page", false},
      {"sdoPrint;page;abc", "sdoPrint", "page", false},
      {"sdoPrint;page;1", "sdoPrint", "page", true},
      {"sdoPrint;page;True", "sdoPrint", "page", true},
      {"sdoPrint;page; -1 ", "sdoPrint", "page", true},
      {"sdoPrint;a;b;-1", "sdoPrint", "a;b", true},
      {"::sdoPrint;page;0::", "sdoPrint", "page", false},
  };
  for (const auto& c : cases) {
    cMessageTemplates templates;
    templates.FromString(c.text);
    if (!c.key) {
      EXPECT_EQ(templates.Count(), 0u) << c.text;
      continue;
    }
    EXPECT_EQ(templates.Count(), 1u) << c.text;
    EXPECT_EQ(templates.GetValue(c.key), c.value) << c.text;
    EXPECT_EQ(templates.IsChecked(c.key), c.enabled) << c.text;
  }
}

TEST(MessageTemplates, MissingKeysAreOffAndEmptyAndSettingEitherPartAddsThem) {
  cMessageTemplates templates;
  EXPECT_FALSE(templates.IsChecked("sdoPrint"));
  EXPECT_EQ(templates.GetValue("sdoPrint"), "");
  EXPECT_EQ(templates.Count(), 0u);

  templates.SetNotificaionEnabledValue("sdoCaseClosedEmail", true);
  EXPECT_TRUE(templates.IsChecked("sdoCaseClosedEmail"));
  EXPECT_EQ(templates.GetValue("sdoCaseClosedEmail"), "");
  templates.SetValue("sdoCaseClosedEmail", "page");
  EXPECT_TRUE(templates.IsChecked("sdoCaseClosedEmail"));  // the text keeps the switch

  templates.SetValue("sdoPrint", "sheet");
  EXPECT_FALSE(templates.IsChecked("sdoPrint"));
  EXPECT_EQ(templates.Count(), 2u);
  // An empty text leaves the list; any other text replaces it.
  templates.FromString("");
  EXPECT_EQ(templates.GetValue("sdoPrint"), "sheet");
  templates.FromString("sdoNewCase;body;0");
  EXPECT_FALSE(templates.Exists("sdoPrint"));
  EXPECT_EQ(templates.GetValue("sdoNewCase"), "body");
}

}  // namespace
}  // namespace zanvoro
