// The templates as the global settings keep them: a new helpdesk's defaults,
// the defaults filled in at load, and the body of a new case item.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "errors/modErroHandling.h"
#include "host/store/StoreTestSupport.h"
#include "settings/DefaultTemplates.h"
#include "settings/NewHelpdeskSettings.h"
#include "settings/SettingsFolderStore.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {
namespace {

constexpr int kEnglish = 1;
constexpr int kFrench = 6;

const std::set<std::string> kOnForNewHelpdesk = {"sdoCaseCreationConfirmationEmail",
                                                 "sdoCaseClosedEmail",
                                                 "sdoCaseReOpenEmail",
                                                 "sdoEmailTechnicianDueDateLapsed",
                                                 "sdoEmailTechniciansWhenCallerReplies",
                                                 "sdoSLAEmailSupervisors"};

class TemplateSettingsTest : public host::testing::StoreTest {
 protected:
  TemplateSettingsTest() {
    ResetErrorState();
    session_ = OpenShared(host::testing::Ann());
    auto root = session_->Folders().Item(1);
    folder_ = root->Folders().Add("Settings");
  }

  std::unique_ptr<cGlobalSettings> Load(int language) {
    auto folder = folder_;
    auto settings = std::make_unique<cGlobalSettings>(cGlobalSettings::Services{
        [folder] { return folder; }, [] { return host::testing::Ann(); },
        [language] { return language; }});
    EXPECT_TRUE(settings->LoadDBSettings());
    return settings;
  }
  // The templates as the Settings folder holds them.
  cMessageTemplates Stored() {
    auto item =
        GetOutlookSettingItem(*folder_, kSettingsItemSubject, SettingItemMode::Find);
    cMessageTemplates templates;
    if (item) {
      templates.FromString(
          SettingItemText(*item, SettingsListName(SettingsList::NotificationTemplates)));
    }
    return templates;
  }

  std::unique_ptr<host::NameSpace> session_;
  std::shared_ptr<host::MAPIFolder> folder_;
};

TEST_F(TemplateSettingsTest, NewHelpdeskStoresEveryDefaultWithSixNotificationsOn) {
  ASSERT_TRUE(LoadInitialSettingsToNewDB(folder_, kEnglish));
  cMessageTemplates stored = Stored();
  EXPECT_EQ(stored.Count(), DefaultTemplateKeys().size());
  for (std::string_view key : DefaultTemplateKeys()) {
    EXPECT_EQ(stored.GetValue(key), DefaultTemplateText(key, TemplateLanguage::English))
        << key;
    EXPECT_EQ(stored.IsChecked(key), kOnForNewHelpdesk.contains(std::string(key))) << key;
  }
  auto settings = Load(kEnglish);
  EXPECT_EQ(settings->MessageTemplates.ToString(), stored.ToString());

  // A French helpdesk starts from the French pages.
  ASSERT_TRUE(LoadInitialSettingsToNewDB(folder_, kFrench));
  EXPECT_EQ(Stored().GetValue("sdoCaseClosedEmail"),
            DefaultTemplateResource("EMAILCASECLOSED.TXT", TemplateLanguage::French));
}

TEST_F(TemplateSettingsTest, LoadFillsEmptyTemplatesInMemoryAndKeepsEditedOnes) {
  ASSERT_TRUE(LoadInitialSettingsToNewDB(folder_, kEnglish));
  {
    auto settings = Load(kEnglish);
    settings->MessageTemplates.FromString(
        "sdoCaseClosedEmail; ;-1:sdoEmailCaller;<p>Mine</p>;0");
    ASSERT_TRUE(settings->SaveGlobalSettings(
        static_cast<int32_t>(SettingsList::NotificationTemplates)));
  }
  auto settings = Load(kFrench);
  const cMessageTemplates& templates = settings->MessageTemplates;
  EXPECT_EQ(templates.GetValue("sdoCaseClosedEmail"),
            DefaultTemplateResource("EMAILCASECLOSED.TXT", TemplateLanguage::French));
  EXPECT_TRUE(templates.IsChecked("sdoCaseClosedEmail"));
  EXPECT_EQ(templates.GetValue("sdoEmailCaller"), "<p>Mine</p>");
  // Keys missing from the stored list come back off.
  EXPECT_EQ(templates.Count(), DefaultTemplateKeys().size());
  EXPECT_FALSE(templates.IsChecked("sdoSLAEmailSupervisors"));
  // Only memory changed.
  EXPECT_EQ(Stored().GetValue("sdoCaseClosedEmail"), " ");
  EXPECT_EQ(Stored().Count(), 2u);
}

TEST_F(TemplateSettingsTest, NewTicketBodyUsesTheNewCasePageWhenTheTemplateIsEmpty) {
  ASSERT_TRUE(LoadInitialSettingsToNewDB(folder_, kEnglish));
  auto settings = Load(kEnglish);
  const std::string body = "a < b & c\r\nnext line";
  for (const char* empty : {"", "x"}) {
    settings->MessageTemplates.SetValue("sdoNewCase", empty);
    std::string expected =
        DefaultTemplateResource("NEWCASE.TXT", TemplateLanguage::English);
    expected.replace(expected.find("VNH_EMAILBODY"), 13, body);
    EXPECT_EQ(settings->NewTicketHTML(body), expected) << '"' << empty << '"';
  }
  settings->MessageTemplates.SetValue("sdoNewCase", "<b>VNH_EMAILBODY</b>|VNH_EMAILBODY");
  EXPECT_EQ(settings->NewTicketHTML(body), "<b>" + body + "</b>|" + body);
}

}  // namespace
}  // namespace zanvoro
