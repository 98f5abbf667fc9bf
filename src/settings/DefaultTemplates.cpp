#include "settings/DefaultTemplates.h"

#include <string>

#include "runtime/Text.h"
#include "settings/DefaultTemplateData.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

// What a key starts as: a page of the resources, or a fixed text. Subjects
// and SMS texts are the same in every language.
struct KeyDefault {
  std::string_view key;
  std::string_view resource;  // "EMAILCALLER.TXT"; empty for a fixed text
  std::string_view text;
};

constexpr std::string_view kCaseSubject = "[VNH_CASENUMBER] VNH_SUBJECT";
constexpr std::string_view kStatusSms =
    "SupportCase VNH_CASENUMBER dated VNH_DATECREATED. Current status - VNH_STATUS";

constexpr KeyDefault kKeyDefaults[] = {
    // The bodies of e-mails, the case item and the printout.
    {"sdoNewCase", "NEWCASE.TXT", ""},
    {"sdoPrint", "PRINT.TXT", ""},
    {"sdoEmailCaller", "EMAILCALLER.TXT", ""},
    {"sdoEmailTechnician", "EMAILTECHNICIAN.TXT", ""},
    {"sdoCaseCreationConfirmationEmail", "EMAILCASECREATIONCONFIRMATION.TXT", ""},
    {"sdoCaseClosedEmail", "EMAILCASECLOSED.TXT", ""},
    {"sdoCaseAssignmentEmail", "EMAILCASEASSIGNMENT.TXT", ""},
    {"sdoEmailTechnicianDueDateLapsed", "EMAILDUEDATELAPSEDNOTIFICATION.TXT", ""},
    {"sdoSLAEmailSupervisors", "EMAILSUPERVISORSSLABREACH.TXT", ""},
    {"sdoEmailCallerWhenAssignedTechnician", "EMAILCALLERWHENASSIGNEDTECHNICIAN.TXT", ""},
    {"sdoCaseReOpenEmail", "EMAILCASEREOPENING.TXT", ""},
    {"sdoEmailTechniciansWhenCallerReplies", "EMAILTECHNICIANSWHENCALLERREPLIES.TXT", ""},
    {"sdoEmailKBPublication", "EMAILKBPUBLICATION.TXT", ""},
    {"sdoEmailManagerWhenCaseCreated", "EMAILMANAGERONNEWCASE.TXT", ""},
    // Their subjects.
    {"sdoEmailCallerSubject", "", kCaseSubject},
    {"sdoEmailTechnicianSubject", "", kCaseSubject},
    {"sdoCaseCreationConfirmationSubject", "", kCaseSubject},
    {"sdoCaseClosedEmailSubject", "", kCaseSubject},
    {"sdoCaseAssignmentEmailSubject", "", kCaseSubject},
    {"sdoEmailTechnicianDueDateLapsedSubject", "",
     "[VNH_CASENUMBER] Due Date lapsed : VNH_SUBJECT"},
    {"sdoSLAEmailSupervisorsSubject", "", "[VNH_CASENUMBER] SLA breach : VNH_SUBJECT"},
    {"sdoEmailCallerWhenAssignedTechnicianSubject", "", "[VNH_CASENUMBER] : VNH_SUBJECT"},
    {"sdoCaseReOpenEmailSubject", "", "[VNH_CASENUMBER] Re-Opened : VNH_SUBJECT"},
    {"sdoEmailTechniciansWhenCallerRepliesSubject", "",
     "[VNH_CASENUMBER] caller replied : VNH_SUBJECT"},
    {"sdoKBPublicationSubject", "", "New KB published : 'VNH_KBSUBJECT'"},
    {"sdoEmailManagerWhenCaseCreatedSubject", "",
     "New case generated: [VNH_CASENUMBER] VNH_SUBJECT"},
    // The SMS texts.
    {"sdoSMSCaller", "", kStatusSms},
    {"sdoSMSTechnician", "", kStatusSms},
    {"sdoCaseCreationConfirmationSMS", "",
     "Dear VNH_CALLERNAME, SupportCase VNH_CASENUMBER created based on our email dated "
     "VNH_DATECREATED. We will soon get in touch with you."},
    {"sdoCaseClosedSMS", "",
     "Dear VNH_CALLERNAME, SupportCase VNH_CASENUMBER allotted to you on VNH_DATECREATED "
     "has been closed. Thank you for using contacting us"},
    {"sdoCaseAssignmentSMS", "",
     "SupportCase VNH_CASENUMBER has been assigned to you on VNH_NOW. You are requested "
     "to start working on this case at the earliest."},
    {"sdoSMSTechnicianDueDateLapsed", "",
     "The due date for case VNH_CASENUMBER assigned to you has already lapsed. Please "
     "attend to the case (from VNH_CALLERNAME) ASAP"},
    {"sdoSLASMSSupervisors", "",
     "Reporting SLA breach for case VNH_CASENUMBER assigned to VNH_TECHNICIANS. Case was "
     "due on VNH_DUEDATE."},
    {"sdoSMSCallerWhenAssignedTechnician", "",
     "Technicians, VNH_TECHNICIANS are assigned to your case #VNH_CASENUMBER. You can "
     "reach them at VNH_MOBILES_TECHNICIANS."},
    {"sdoCaseReOpenSMS", "",
     "Support case #VNH_CASENUMBER (which was assigned to you) has been re-opened again. "
     "Please attend to this case (VNH_CALLERNAME, VNH_CALLEREMAIL) at the earliest "
     "possible"},
    {"sdoSMSTechniciansWhenCallerReplies", "",
     "Caller (VNH_CALLERNAME, VNH_CALLEREMAIL) has replied to the support case "
     "#VNH_CASENUMBER (that was assigned to you). Please work on it ASAP."},
    {"sdoSMSKBPublication", "",
     "A new KB article '[VNH_KBSUBJECT]' is published by [VNH_AUTHOR]."},
    // The number goes in as VNH_CASENUMBER: no rendering replaces a
    // "VNH_NUMBER", which would reach the managers as written.
    {"sdoSMSManagerWhenCaseCreated", "",
     "A new unassigned case '[VNH_CASENUMBER]' has been generated!"},
};

// Resources are named as files of the old resource group ("EMAILCALLER.TXT");
// the pages are kept as "<language>/EMAILCALLER.html".
constexpr std::string_view kResourceExtension = ".TXT";

std::string_view FolderOf(TemplateLanguage language) {
  return language == TemplateLanguage::French ? "fr" : "en";
}

}  // namespace

TemplateLanguage TemplateLanguageFor(int language_index) {
  return language_index == kLanguageFrench ? TemplateLanguage::French
                                           : TemplateLanguage::English;
}

std::string DefaultTemplateResource(std::string_view resource,
                                    TemplateLanguage language) {
  std::string name = UCase(Trim(resource));
  if (name.size() > kResourceExtension.size() && name.ends_with(kResourceExtension)) {
    name.resize(name.size() - kResourceExtension.size());
  }
  for (const EmbeddedTemplate& page : EmbeddedTemplates()) {
    if (page.language == FolderOf(language) && page.name == name) {
      return std::string(page.text);
    }
  }
  return {};
}

std::string DefaultTemplateText(std::string_view key, TemplateLanguage language) {
  for (const KeyDefault& entry : kKeyDefaults) {
    if (!TextEquals(entry.key, key)) continue;
    if (entry.resource.empty()) return std::string(entry.text);
    return DefaultTemplateResource(entry.resource, language);
  }
  return {};
}

const std::vector<std::string_view>& DefaultTemplateKeys() {
  static const std::vector<std::string_view> keys = [] {
    std::vector<std::string_view> list;
    for (const KeyDefault& entry : kKeyDefaults) list.push_back(entry.key);
    return list;
  }();
  return keys;
}

}  // namespace zanvoro
