#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "settings/DefaultTemplates.h"

namespace zanvoro {
namespace {

using Variables = std::set<std::string>;

const Variables kCaseSheet = {
    "VNH_CASENUMBER",      "VNH_SUBJECT",     "VNH_STATUS",       "VNH_PRIORITY",
    "VNH_PROBLEMCATEGORY", "VNH_PROBLEMTYPE", "VNH_TECHNICIANS",  "VNH_CALLERNAME",
    "VNH_CALLEREMAIL",     "VNH_CALLERPHONE", "VNH_CALLERMOBILE", "VNH_CASEDESCRIPTION"};
const Variables kOverdue = {"VNH_CASENUMBER",     "VNH_SUBJECT",    "VNH_DUEDATE",
                            "VNH_TECHNICIANS",    "VNH_CALLERNAME", "VNH_CALLEREMAIL",
                            "VNH_CASEDESCRIPTION"};

// Every resource, the body key that takes it and the variables its page
// uses, no more and no fewer.
const struct {
  const char* resource;
  const char* key;
  Variables variables;
} kResources[] = {
    {"NEWCASE.TXT", "sdoNewCase", {"VNH_EMAILBODY"}},
    {"PRINT.TXT", "sdoPrint", kCaseSheet},
    {"EMAILCALLER.TXT", "sdoEmailCaller", kCaseSheet},
    {"EMAILTECHNICIAN.TXT", "sdoEmailTechnician", kCaseSheet},
    {"EMAILCASECREATIONCONFIRMATION.TXT",
     "sdoCaseCreationConfirmationEmail",
     {"VNH_CALLERNAME", "VNH_CASENUMBER", "VNH_DATECREATED", "VNH_EMAILBODY",
      "VNH_WEBACCESS_LOGIN", "VNH_WEBACCESS_URL"}},
    {"EMAILCASECLOSED.TXT",
     "sdoCaseClosedEmail",
     {"VNH_CALLERNAME", "VNH_CASENUMBER", "VNH_DATECREATED", "VNH_CASEDESCRIPTION"}},
    {"EMAILCASEASSIGNMENT.TXT",
     "sdoCaseAssignmentEmail",
     {"VNH_CASENUMBER", "VNH_SUBJECT", "VNH_TECHNICIANS", "VNH_CALLERNAME",
      "VNH_CALLEREMAIL", "VNH_CASEDESCRIPTION", "VNH_NOW"}},
    {"EMAILCASEREOPENING.TXT",
     "sdoCaseReOpenEmail",
     {"VNH_CASENUMBER", "VNH_SUBJECT", "VNH_TECHNICIANS", "VNH_CALLERNAME",
      "VNH_CALLEREMAIL", "VNH_CASEDESCRIPTION"}},
    {"EMAILDUEDATELAPSEDNOTIFICATION.TXT", "sdoEmailTechnicianDueDateLapsed", kOverdue},
    {"EMAILSUPERVISORSSLABREACH.TXT", "sdoSLAEmailSupervisors", kOverdue},
    {"EMAILCALLERWHENASSIGNEDTECHNICIAN.TXT",
     "sdoEmailCallerWhenAssignedTechnician",
     {"VNH_CALLERNAME", "VNH_CASENUMBER", "VNH_TECHNICIANS", "VNH_TECHNICIANS_MOBILES",
      "VNH_CASEDESCRIPTION"}},
    {"EMAILTECHNICIANSWHENCALLERREPLIES.TXT",
     "sdoEmailTechniciansWhenCallerReplies",
     {"VNH_CASENUMBER", "VNH_TECHNICIANS", "VNH_CALLERNAME", "VNH_CALLEREMAIL",
      "VNH_REPLIEDEMAILSUBJECT", "VNH_REPLIEDEMAILBODY"}},
    {"EMAILMANAGERONNEWCASE.TXT",
     "sdoEmailManagerWhenCaseCreated",
     {"VNH_CASENUMBER", "VNH_SUBJECT", "VNH_MANAGERS", "VNH_CALLERNAME",
      "VNH_CALLEREMAIL", "VNH_CASEDESCRIPTION", "VNH_NOW"}},
    {"EMAILKBPUBLICATION.TXT",
     "sdoEmailKBPublication",
     {"VNH_KBSUBJECT", "VNH_AUTHOR", "VNH_KBCREATEDDATE", "VNH_KBPROBLEMCATEGORY",
      "VNH_KBPROBLEMTYPE", "VNH_KBLINK"}},
};

constexpr TemplateLanguage kLanguages[] = {TemplateLanguage::English,
                                           TemplateLanguage::French};

Variables VariablesIn(const std::string& page) {
  static const std::regex kVariable("VNH_[A-Z0-9_]*[A-Z0-9]");
  Variables found;
  for (std::sregex_iterator it(page.begin(), page.end(), kVariable), end; it != end;
       ++it) {
    found.insert(it->str());
  }
  return found;
}

std::string Compact(std::string text) {
  std::erase(text, ' ');
  return text;
}

TEST(DefaultTemplates, EveryResourceIsATemplatePageInBothLanguagesAndItsKeysBody) {
  for (const auto& resource : kResources) {
    for (TemplateLanguage language : kLanguages) {
      SCOPED_TRACE(std::string(resource.resource) +
                   (language == TemplateLanguage::French ? " fr" : " en"));
      std::string page = DefaultTemplateResource(resource.resource, language);
      ASSERT_FALSE(page.empty());
      EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
      EXPECT_NE(page.find("<title>Template</title>"), std::string::npos);
      EXPECT_NE(Compact(page).find("p{font-family:Arial;font-size:10pt;}"),
                std::string::npos);
      EXPECT_NE(page.find("</html>"), std::string::npos);
      EXPECT_EQ(VariablesIn(page), resource.variables);
      EXPECT_EQ(DefaultTemplateText(resource.key, language), page);
    }
  }
}

TEST(DefaultTemplates, FrenchPagesAreTheirOwnAccentedText) {
  std::string english =
      DefaultTemplateResource("EMAILCASECLOSED.TXT", TemplateLanguage::English);
  std::string french =
      DefaultTemplateResource("EMAILCASECLOSED.TXT", TemplateLanguage::French);
  EXPECT_NE(english, french);
  EXPECT_NE(french.find("clôturé"), std::string::npos);
  EXPECT_NE(french.find("lang=\"fr\""), std::string::npos);
}

TEST(DefaultTemplates, NewCasePageIsTheBodyInItalicsThenAnEmptyParagraph) {
  std::string page = DefaultTemplateResource("NEWCASE.TXT", TemplateLanguage::English);
  EXPECT_NE(page.find("<p><i>VNH_EMAILBODY</i></p>\n<p>&nbsp;</p>\n</body>"),
            std::string::npos);
}

TEST(DefaultTemplates, NamesAndKeysIgnoreLetterCaseAndUnknownNamesGiveNothing) {
  EXPECT_EQ(DefaultTemplateResource("emailCaller.txt", TemplateLanguage::French),
            DefaultTemplateResource("EMAILCALLER.TXT", TemplateLanguage::French));
  EXPECT_EQ(DefaultTemplateText("SDOEMAILCALLER", TemplateLanguage::English),
            DefaultTemplateResource("EMAILCALLER.TXT", TemplateLanguage::English));
  EXPECT_EQ(DefaultTemplateResource("NOSUCHPAGE.TXT", TemplateLanguage::English), "");
  EXPECT_EQ(DefaultTemplateResource(".TXT", TemplateLanguage::English), "");
  EXPECT_EQ(DefaultTemplateResource("", TemplateLanguage::English), "");
}

TEST(DefaultTemplates, OnlyLanguageSixTakesTheFrenchSet) {
  EXPECT_EQ(TemplateLanguageFor(6), TemplateLanguage::French);
  for (int other : {0, 1, 2, 5, 7, 8, 99}) {
    EXPECT_EQ(TemplateLanguageFor(other), TemplateLanguage::English) << other;
  }
}

// Subjects of case mail carry the case tag that replies are threaded by; both
// status SMS share one text. The same texts serve every language.
TEST(DefaultTemplates, CaseMailSubjectsCarryTheCaseTagInEveryLanguage) {
  int subjects = 0;
  for (std::string_view key : DefaultTemplateKeys()) {
    if (!key.ends_with("Subject") || key == "sdoKBPublicationSubject") continue;
    ++subjects;
    std::string text = DefaultTemplateText(key, TemplateLanguage::English);
    EXPECT_NE(text.find("[VNH_CASENUMBER]"), std::string::npos) << key << ": " << text;
    EXPECT_NE(text.find("VNH_SUBJECT"), std::string::npos) << key << ": " << text;
    EXPECT_EQ(DefaultTemplateText(key, TemplateLanguage::French), text) << key;
  }
  EXPECT_EQ(subjects, 11);
  EXPECT_EQ(DefaultTemplateText("sdoSMSCaller", TemplateLanguage::French),
            "SupportCase VNH_CASENUMBER dated VNH_DATECREATED. Current status - "
            "VNH_STATUS");
  EXPECT_EQ(DefaultTemplateText("sdoSMSTechnician", TemplateLanguage::English),
            DefaultTemplateText("sdoSMSCaller", TemplateLanguage::English));
}

TEST(DefaultTemplates, EveryKeyOfTheTemplateListHasADefaultAndNoOtherKeyDoes) {
  const auto& keys = DefaultTemplateKeys();
  EXPECT_EQ(keys.size(), 38u);
  EXPECT_EQ(std::set<std::string_view>(keys.begin(), keys.end()).size(), keys.size());
  for (std::string_view key : keys) {
    EXPECT_FALSE(DefaultTemplateText(key, TemplateLanguage::French).empty()) << key;
  }
  EXPECT_EQ(DefaultTemplateText("sdoOwner", TemplateLanguage::English), "");
  EXPECT_EQ(DefaultTemplateText("", TemplateLanguage::English), "");
}

}  // namespace
}  // namespace zanvoro
