#include "case/NotificationCodes.h"

#include <algorithm>
#include <array>

#include "runtime/Text.h"

namespace zanvoro {

namespace {

// The printout and the plain e-mails to a caller or a technician fall back
// to the caller e-mail page when their template is blank.
constexpr std::string_view kCallerPage = "EMAILCALLER.TXT";

constexpr std::array kCodes = {
    NotificationCode{2, "sdoPrint", "", SubjectSuffix::No, LinkBlock::No, kCallerPage},
    NotificationCode{3, "sdoEmailCaller", "sdoEmailCallerSubject", SubjectSuffix::No,
                     LinkBlock::No, kCallerPage},
    NotificationCode{4, "sdoSMSCaller", "", SubjectSuffix::No, LinkBlock::No, ""},
    NotificationCode{5, "sdoSMSTechnician", "", SubjectSuffix::No, LinkBlock::No, ""},
    NotificationCode{6, "sdoCaseCreationConfirmationSMS", "", SubjectSuffix::No,
                     LinkBlock::No, ""},
    NotificationCode{7, "sdoCaseClosedSMS", "", SubjectSuffix::No, LinkBlock::No, ""},
    NotificationCode{8, "sdoCaseAssignmentSMS", "", SubjectSuffix::No, LinkBlock::No, ""},
    NotificationCode{9, "sdoCaseReOpenSMS", "", SubjectSuffix::No, LinkBlock::No, ""},
    NotificationCode{10, "sdoEmailTechnician", "sdoEmailTechnicianSubject",
                     SubjectSuffix::Yes, LinkBlock::Yes, kCallerPage},
    NotificationCode{11, "sdoCaseCreationConfirmationEmail",
                     "sdoCaseCreationConfirmationSubject", SubjectSuffix::No,
                     LinkBlock::No, ""},
    NotificationCode{12, "sdoCaseClosedEmail", "sdoCaseClosedEmailSubject",
                     SubjectSuffix::No, LinkBlock::No, ""},
    NotificationCode{13, "sdoCaseAssignmentEmail", "sdoCaseAssignmentEmailSubject",
                     SubjectSuffix::Yes, LinkBlock::Yes, ""},
    NotificationCode{14, "sdoCaseReOpenEmail", "sdoCaseReOpenEmailSubject",
                     SubjectSuffix::Yes, LinkBlock::Yes, ""},
    NotificationCode{15, "sdoEmailTechnicianDueDateLapsed",
                     "sdoEmailTechnicianDueDateLapsedSubject", SubjectSuffix::Yes,
                     LinkBlock::Yes, ""},
    NotificationCode{16, "sdoSMSTechnicianDueDateLapsed", "", SubjectSuffix::No,
                     LinkBlock::No, ""},
    NotificationCode{17, "sdoEmailCallerWhenAssignedTechnician",
                     "sdoEmailCallerWhenAssignedTechnicianSubject", SubjectSuffix::No,
                     LinkBlock::No, ""},
    NotificationCode{18, "sdoSMSCallerWhenAssignedTechnician", "", SubjectSuffix::No,
                     LinkBlock::No, ""},
    NotificationCode{19, "sdoEmailTechniciansWhenCallerReplies",
                     "sdoEmailTechniciansWhenCallerRepliesSubject", SubjectSuffix::Yes,
                     LinkBlock::No, ""},
    NotificationCode{20, "sdoSMSTechniciansWhenCallerReplies", "", SubjectSuffix::No,
                     LinkBlock::No, ""},
    NotificationCode{21, "sdoSLAEmailSupervisors", "sdoSLAEmailSupervisorsSubject",
                     SubjectSuffix::Yes, LinkBlock::Yes, ""},
    NotificationCode{22, "sdoSLASMSSupervisors", "", SubjectSuffix::No, LinkBlock::No,
                     ""},
    NotificationCode{25, "sdoEmailManagerWhenCaseCreated",
                     "sdoEmailManagerWhenCaseCreatedSubject", SubjectSuffix::Yes,
                     LinkBlock::No, ""},
    NotificationCode{26, "sdoSMSManagerWhenCaseCreated", "", SubjectSuffix::No,
                     LinkBlock::No, ""},
    NotificationCode{27, "sdoEmailCaller", "sdoEmailCallerSubject", SubjectSuffix::No,
                     LinkBlock::No, kCallerPage},
    NotificationCode{28, "sdoEmailCaller", "sdoEmailCallerSubject", SubjectSuffix::No,
                     LinkBlock::No, kCallerPage},
};

bool ContinuesVariableName(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The position of the first whole occurrence of `variable` in `text` at or
// after `from`; npos when there is none.
size_t FindVariable(std::string_view text, std::string_view variable, size_t from) {
  for (size_t pos = text.find(variable, from); pos != std::string_view::npos;
       pos = text.find(variable, pos + 1)) {
    size_t after = pos + variable.size();
    if (after == text.size() || !ContinuesVariableName(text[after])) return pos;
  }
  return std::string_view::npos;
}

}  // namespace

std::span<const NotificationCode> NotificationCodes() { return kCodes; }

const NotificationCode* FindNotificationCode(int32_t code) {
  auto found = std::find_if(kCodes.begin(), kCodes.end(),
                            [code](const NotificationCode& c) { return c.code == code; });
  return found == kCodes.end() ? nullptr : &*found;
}

std::string ReplaceTemplateVariable(std::string_view text, std::string_view variable,
                                    std::string_view value) {
  if (variable.empty()) return std::string(text);
  std::string out;
  size_t from = 0;
  for (size_t pos = FindVariable(text, variable, 0); pos != std::string_view::npos;
       pos = FindVariable(text, variable, from)) {
    out.append(text.substr(from, pos - from));
    out.append(value);
    from = pos + variable.size();
  }
  if (from == 0) return std::string(text);
  out.append(text.substr(from));
  return out;
}

bool ContainsTemplateVariable(std::string_view text, std::string_view variable) {
  return !variable.empty() && FindVariable(text, variable, 0) != std::string_view::npos;
}

std::string WebAccessLoginTable(std::string_view email, std::string_view password) {
  auto row = [](std::string_view label, std::string_view value) {
    std::string r = "<tr><td width=\"26%\">";
    r += label;
    r += "</td><td width=\"4%\">:</td><td width=\"65%\">";
    r += HtmlEscape(value);
    r += "</td></tr>";
    return r;
  };
  return "<table border=\"0\" width=\"300\">" + row("Username", email) +
         row("Password", password) + "</table>";
}

}  // namespace zanvoro
