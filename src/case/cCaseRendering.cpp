// The case's values put into texts: notification bodies and subjects, the
// case's own HTML body and the body of its due-date appointments.
#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "case/CaseID.h"
#include "case/NotificationCodes.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/os/Locale.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/DefaultTemplates.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

// The template variables, each named by kVariableNames at the same place.
enum class Var {
  CaseNumber,
  Subject,
  TechniciansMobiles,
  Technicians,
  MobilesTechnicians,
  ProblemCategory,
  ProblemType,
  CaseDescription,
  EmailBody,
  TimeSpentDescription,
  TotalTimeSpent,
  Notes,
  Logs,
  EmailHistoryListing,
  Managers,
  AssetName,
  AssetField2,
  AssetField3,
  AssetField4,
  AssetField5,
  AssetComments,
  CustomField1,
  CustomField2,
  CustomField3,
  CustomField4,
  CustomField5,
  CustomField6,
  CustomField7,
  CustomField8,
  CustomField9,
  CustomField10,
  ProblemField,
  AssociatedUsers,
  CallerName,
  CallerEmail,
  CallerPhone,
  CallerAddress,
  CallerMobile,
  CallerDepartment,
  CallerCompany,
  Status,
  Priority,
  DueDateShort,
  DueDate,
  CaseAuthor,
  DateReceivedShort,
  DateReceived,
  DateCreatedShort,
  DateCreated,
  Now,
  RepliedEmailBody,
  RepliedEmailSubject,
  SLA,
  CaseLink,
  WebAccessLogin,
  WebAccessURL,
};

constexpr std::string_view kVariableNames[] = {
    "VNH_CASENUMBER",
    "VNH_SUBJECT",
    "VNH_TECHNICIANS_MOBILES",
    "VNH_TECHNICIANS",
    "VNH_MOBILES_TECHNICIANS",
    "VNH_PROBLEMCATEGORY",
    "VNH_PROBLEMTYPE",
    "VNH_CASEDESCRIPTION",
    "VNH_EMAILBODY",
    "VNH_TIMESPENT_DESCRIPTION",
    "VNH_TOTAL_TIMESPENT",
    "VNH_NOTES",
    "VNH_LOGS",
    "VNH_EMAIL_HISTORY_LISTING",
    "VNH_MANAGERS",
    "VNH_ASSETNAME",
    "VNH_ASSETFIELD2",
    "VNH_ASSETFIELD3",
    "VNH_ASSETFIELD4",
    "VNH_ASSETFIELD5",
    "VNH_ASSETCOMMENTS",
    "VNH_CUSTOMFIELD1",
    "VNH_CUSTOMFIELD2",
    "VNH_CUSTOMFIELD3",
    "VNH_CUSTOMFIELD4",
    "VNH_CUSTOMFIELD5",
    "VNH_CUSTOMFIELD6",
    "VNH_CUSTOMFIELD7",
    "VNH_CUSTOMFIELD8",
    "VNH_CUSTOMFIELD9",
    "VNH_CUSTOMFIELD10",
    "VNH_PROBLEM_FIELD",
    "VNH_ASSOCIATED_USERS",
    "VNH_CALLERNAME",
    "VNH_CALLEREMAIL",
    "VNH_CALLERPHONE",
    "VNH_CALLERADDRESS",
    "VNH_CALLERMOBILE",
    "VNH_CALLERDEPARTMENT",
    "VNH_CALLERCOMPANY",
    "VNH_STATUS",
    "VNH_PRIORITY",
    "VNH_DUEDATE_SHORT",
    "VNH_DUEDATE",
    "VNH_CASEAUTHOR",
    "VNH_DATERECEIVED_SHORT",
    "VNH_DATERECEIVED",
    "VNH_DATECREATED_SHORT",
    "VNH_DATECREATED",
    "VNH_NOW",
    "VNH_REPLIEDEMAILBODY",
    "VNH_REPLIEDEMAILSUBJECT",
    "VNH_SLA",
    "VNH_CASELINK",
    "VNH_WEBACCESS_LOGIN",
    "VNH_WEBACCESS_URL",
};
static_assert(std::size(kVariableNames) == static_cast<size_t>(Var::WebAccessURL) + 1);

std::string_view VariableName(Var v) { return kVariableNames[static_cast<size_t>(v)]; }

// The substitution orders of the four renderings. A value may hold the name
// of a variable further down its list; that one is replaced too. Every
// order starts with the same head (some leave out a variable of it) and
// goes on with a tail of its own.
// clang-format off
constexpr Var kHead[] = {
    Var::CaseNumber, Var::Subject,
    Var::TechniciansMobiles, Var::Technicians, Var::MobilesTechnicians,
    Var::ProblemCategory, Var::ProblemType, Var::CaseDescription, Var::EmailBody,
    Var::TimeSpentDescription, Var::TotalTimeSpent, Var::Notes, Var::Logs,
    Var::EmailHistoryListing, Var::Managers,
    Var::AssetName, Var::AssetField2, Var::AssetField3, Var::AssetField4,
    Var::AssetField5, Var::AssetComments,
    Var::CustomField1, Var::CustomField2, Var::CustomField3, Var::CustomField4,
    Var::CustomField5, Var::CustomField6, Var::CustomField7, Var::CustomField8,
    Var::CustomField9, Var::CustomField10,
};

constexpr Var kNotificationTail[] = {
    Var::ProblemField, Var::AssociatedUsers,
    Var::CallerName, Var::CallerEmail, Var::CallerPhone, Var::CallerAddress,
    Var::CallerMobile, Var::CallerDepartment, Var::CallerCompany,
    Var::Status, Var::Priority, Var::DueDate, Var::CaseAuthor,
    Var::DateReceived, Var::DateCreated, Var::Now, Var::RepliedEmailBody,
    Var::RepliedEmailSubject, Var::SLA, Var::CaseLink, Var::WebAccessLogin,
    Var::WebAccessURL,
};

// Subjects have no bodies; the managers come after the due date.
constexpr Var kSubjectTail[] = {
    Var::CallerName, Var::CallerEmail, Var::CallerPhone, Var::CallerCompany,
    Var::CallerDepartment, Var::CallerAddress, Var::CallerMobile,
    Var::Status, Var::Priority, Var::DueDate, Var::Managers, Var::CaseAuthor,
    Var::DateReceived, Var::DateCreated, Var::CaseLink, Var::ProblemField,
    Var::AssociatedUsers, Var::Now, Var::RepliedEmailBody, Var::RepliedEmailSubject,
    Var::SLA, Var::WebAccessLogin, Var::WebAccessURL,
};

constexpr Var kEmailBodyTail[] = {
    Var::ProblemField, Var::AssociatedUsers,
    Var::CallerName, Var::CallerEmail, Var::CallerPhone, Var::CallerDepartment,
    Var::CallerCompany, Var::Status, Var::Priority, Var::DueDate,
    Var::CallerAddress, Var::CallerMobile, Var::CaseAuthor, Var::DateReceived,
    Var::DateCreated, Var::Now, Var::RepliedEmailBody, Var::RepliedEmailSubject,
    Var::SLA, Var::WebAccessLogin, Var::WebAccessURL, Var::CaseLink,
};

// The case's own body: its description is the body itself, so VNH_EMAILBODY
// stays; the short dates come right before their long forms.
constexpr Var kCaseBodyTail[] = {
    Var::ProblemField, Var::AssociatedUsers,
    Var::CallerName, Var::CallerEmail, Var::CallerPhone, Var::CallerCompany,
    Var::CallerDepartment, Var::CallerAddress, Var::CallerMobile,
    Var::Status, Var::Priority, Var::DueDateShort, Var::DueDate, Var::CaseAuthor,
    Var::DateReceivedShort, Var::DateReceived, Var::DateCreatedShort,
    Var::DateCreated, Var::Now, Var::RepliedEmailBody, Var::RepliedEmailSubject,
    Var::SLA, Var::WebAccessLogin, Var::WebAccessURL, Var::CaseLink,
};
// clang-format on

struct SubstitutionOrder {
  std::initializer_list<Var> head_skips;
  std::span<const Var> tail;
};

const SubstitutionOrder kNotificationOrder{{}, kNotificationTail};
const SubstitutionOrder kSubjectOrder{{Var::EmailBody, Var::Managers}, kSubjectTail};
const SubstitutionOrder kEmailBodyOrder{{}, kEmailBodyTail};
const SubstitutionOrder kCaseBodyOrder{{Var::EmailBody}, kCaseBodyTail};

// VNH_SUBJECT as the case has it, or without its first bracketed part (the
// subject templates carry the case tag themselves).
enum class SubjectForm { Full, WithoutFirstTag };
// A notification keeps the variables of missing objects, so the gap shows;
// the case's own body loses its asset and associated-user variables, and
// shows the managers only once the settings are there.
enum class TextKind { Notification, CaseBody };

struct RenderRules {
  SubjectForm subject;
  TextKind kind;
  Markup markup = Markup::Html;
};

// The values that are HTML already: bodies (made safe when the mail came
// in), the log, work and history tables (their cells are escaped), the links
// and the login table.
bool IsHtmlValue(Var v) {
  switch (v) {
    case Var::CaseDescription:
    case Var::EmailBody:
    case Var::TimeSpentDescription:
    case Var::Logs:
    case Var::EmailHistoryListing:
    case Var::RepliedEmailBody:
    case Var::CaseLink:
    case Var::WebAccessLogin:
    case Var::Notes:
      return true;
    default:
      return false;
  }
}

std::string GeneralSetting(std::string_view key) {
  return CStr(RequireGlobalSettings().GeneralSettings.GetValue(key, VarType::String));
}

std::optional<std::string> MissingListValue(const RenderRules& rules) {
  if (rules.kind == TextKind::CaseBody) return std::string{};
  return std::nullopt;
}

std::optional<std::string> AssetsValue(const cCase& c, Var v, const RenderRules& rules) {
  if (!c.Assets) return MissingListValue(rules);
  switch (v) {
    case Var::AssetName:
      return c.Assets->Names();
    case Var::AssetField2:
      return c.Assets->AssetField2s();
    case Var::AssetField3:
      return c.Assets->AssetField3s();
    case Var::AssetField4:
      return c.Assets->AssetField4s();
    case Var::AssetField5:
      return c.Assets->AssetField5s();
    default:
      return c.Assets->AssetComments();
  }
}

std::optional<std::string> CallerValue(const cCase& c, Var v) {
  if (!c.Caller) return std::nullopt;
  const cCaller& caller = *c.Caller;
  switch (v) {
    case Var::CallerName:
      return caller.Name;
    case Var::CallerEmail:
      return caller.Email;
    case Var::CallerPhone:
      return caller.Phone;
    case Var::CallerAddress:
      return caller.Address;
    case Var::CallerMobile:
      return caller.Mobile;
    case Var::CallerDepartment:
      return caller.Department;
    default:
      return caller.Company;
  }
}

// The value of `v` for `c`; nullopt leaves the variable in the text.
std::optional<std::string> VariableValue(const cCase& c, Var v,
                                         const RenderRules& rules) {
  switch (v) {
    case Var::CaseNumber:
      return c.CaseID;
    case Var::Subject:
      return rules.subject == SubjectForm::Full ? c.Subject
                                                : RemoveFirstBracketTag(c.Subject);
    case Var::TechniciansMobiles:
    case Var::MobilesTechnicians:
      return c.Technicians.Mobiles();
    case Var::Technicians:
      return c.Technicians.CreatedBy();
    case Var::ProblemCategory:
      return c.ProblemCategory;
    case Var::ProblemType:
      return c.ProblemTypeRecord ? c.ProblemTypeRecord->ProblemType : std::string{};
    case Var::CaseDescription:
    case Var::EmailBody:
      return c.HTMLBody;
    case Var::TimeSpentDescription:
      if (!c.Works) return std::nullopt;
      return c.Works->ToHTML();
    case Var::TotalTimeSpent:
      if (!c.Works) return std::nullopt;
      return std::to_string(c.Works->TotalTimeSpent());
    case Var::Notes:
      if (rules.markup == Markup::Html) return HtmlEscape(c.Notes, LineBreaks::AsBreaks);
      return Replace(c.Notes, "\r\n", "<br>");
    case Var::Logs:
      if (!c.Log) return std::nullopt;
      return c.Log->ToHTML();
    case Var::EmailHistoryListing:
      if (!c.EmailHistory) return std::nullopt;
      return c.EmailHistory->ToHTML(c.CaseNumber);
    case Var::Managers:
      if (rules.kind == TextKind::CaseBody) {
        const cGlobalSettings* settings = SharedGlobalSettings();
        if (!settings || !settings->Loaded) return std::nullopt;
      }
      return GeneralSetting("sdoManagers");
    case Var::AssetName:
    case Var::AssetField2:
    case Var::AssetField3:
    case Var::AssetField4:
    case Var::AssetField5:
    case Var::AssetComments:
      return AssetsValue(c, v, rules);
    case Var::CustomField1:
    case Var::CustomField2:
    case Var::CustomField3:
    case Var::CustomField4:
    case Var::CustomField5:
    case Var::CustomField6:
    case Var::CustomField7:
    case Var::CustomField8:
    case Var::CustomField9:
    case Var::CustomField10:
      return *c.CustomField(static_cast<int>(v) - static_cast<int>(Var::CustomField1) +
                            1);
    case Var::ProblemField:
      return c.ProblemField;
    case Var::AssociatedUsers:
      if (!c.AssociatedUsers) return MissingListValue(rules);
      return c.AssociatedUsers->ToNames();
    case Var::CallerName:
    case Var::CallerEmail:
    case Var::CallerPhone:
    case Var::CallerAddress:
    case Var::CallerMobile:
    case Var::CallerDepartment:
    case Var::CallerCompany:
      return CallerValue(c, v);
    case Var::Status:
      return c.Status;
    case Var::Priority:
      return ImportanceText(c.Importance);
    case Var::DueDateShort:
      return ShortDateText(c.DueDate);
    case Var::DueDate:
      return GeneralDateText(c.DueDate);
    case Var::CaseAuthor:
      return c.Author;
    case Var::DateReceivedShort:
      return ShortDateText(c.ReceivedDate);
    case Var::DateReceived:
      return GeneralDateText(c.ReceivedDate);
    case Var::DateCreatedShort:
      return ShortDateText(c.DateCreated);
    case Var::DateCreated:
      return GeneralDateText(c.DateCreated);
    case Var::Now:
      return GeneralDateText(Now());
    case Var::RepliedEmailBody:
      return c.RepliedEmailBody;
    case Var::RepliedEmailSubject:
      return c.RepliedEmailSubject;
    case Var::SLA:
      return c.ServiceLevel;
    case Var::CaseLink:
      return c.CaseLink;
    case Var::WebAccessLogin: {
      if (!c.Caller) return std::nullopt;
      const cCaller* known = RequireGlobalSettings().Callers.Find(c.Caller->Email);
      return WebAccessLoginTable(c.Caller->Email, known ? known->Password : "");
    }
    case Var::WebAccessURL:
      return GeneralSetting("sdoWebURLCWS");
  }
  return std::nullopt;
}

// Puts the values into `text` in `order`. A value is worked out only when
// its variable is in the text at its turn (the e-mail history is a folder
// search). When a value fails, `text` keeps what was replaced before it.
void SubstituteOne(std::string& text, const cCase& c, Var v, const RenderRules& rules) {
  std::string_view name = VariableName(v);
  if (!ContainsTemplateVariable(text, name)) return;
  std::optional<std::string> value = VariableValue(c, v, rules);
  if (!value) return;
  if (rules.markup == Markup::Html && !IsHtmlValue(v)) value = HtmlEscape(*value);
  text = ReplaceTemplateVariable(text, name, *value);
}

void Substitute(std::string& text, const cCase& c, const SubstitutionOrder& order,
                const RenderRules& rules) {
  for (Var v : kHead) {
    if (std::find(order.head_skips.begin(), order.head_skips.end(), v) ==
        order.head_skips.end())
      SubstituteOne(text, c, v, rules);
  }
  for (Var v : order.tail) SubstituteOne(text, c, v, rules);
}

// The built-in pages follow the language the settings use for the
// helpdesk's own defaults, so a blank template and a filled-in one agree.
TemplateLanguage DefaultLanguage() {
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (settings) return TemplateLanguageFor(settings->LanguageIndex());
  return TemplateLanguageFor(
      LanguageIndexFromLcid(static_cast<int>(host::SystemDefaultLCID())));
}

std::string OpenCaseBlock(const cCase& c) {
  return "<div align=\"right\"><table border=\"0\" width=\"100%\" id=\"table1\" "
         "cellspacing=\"1\" cellpadding=\"0\"><tr><td align=\"right\"><a "
         "href=\"outlook:" +
         c.EntryID + "\"><font size=\"1\"><b>Click here to open case #" +
         HtmlEscape(c.CaseID) + " directly</b></font></a></td></tr></table></div>";
}

}  // namespace

std::string cCase::ToHTML(int32_t code) const {
  std::string text;
  Trap("Case.ToHTML", [&] {
    const NotificationCode* entry = FindNotificationCode(code);
    if (!entry) return;
    text = RequireGlobalSettings().MessageTemplates.GetValue(entry->body_template);
    if (!entry->blank_body_resource.empty() && Trim(text).empty()) {
      text = DefaultTemplateResource(entry->blank_body_resource, DefaultLanguage());
    }
    Substitute(text, *this, kNotificationOrder,
               {SubjectForm::Full, TextKind::Notification,
                HasPlainTextBody(*entry) ? Markup::PlainText : Markup::Html});
    if (entry->link_block == LinkBlock::Yes) text = OpenCaseBlock(*this) + "\r\n" + text;
  });
  return text;
}

std::string cCase::ToSubjectHTML(int32_t code) const {
  std::string text;
  Trap("Case.ToSubjectHTML", [&] {
    const NotificationCode* entry = FindNotificationCode(code);
    if (!entry || entry->subject_template.empty()) return;
    text = RequireGlobalSettings().MessageTemplates.GetValue(entry->subject_template);
    if (entry->subject_suffix == SubjectSuffix::Yes) text += kSystemGeneratedSuffix;
    Substitute(text, *this, kSubjectOrder,
               {SubjectForm::WithoutFirstTag, TextKind::Notification, Markup::PlainText});
  });
  return text;
}

std::string cCase::ReplaceCaseVariablesToEmailBody(std::string_view body) const {
  std::string text(body);
  Trap("Case.ReplaceCaseVariablesToEmailBody", [&] {
    Substitute(text, *this, kEmailBodyOrder, {SubjectForm::Full, TextKind::Notification});
  });
  return text;
}

std::string cCase::ReplaceMailBodyWithValues(std::string_view body) const {
  std::string text(body);
  Trap("Case.ReplaceMailBodyWithValues", [&] {
    if (Trim(text).empty()) return;
    Substitute(text, *this, kCaseBodyOrder,
               {SubjectForm::WithoutFirstTag, TextKind::CaseBody});
  });
  return text;
}

std::string cCase::ToTaskAppointmentBody() const {
  std::string text;
  Trap("Case.ToTaskAppointmentBody", [&] {
    auto line = [&](std::string_view label, std::string_view value) {
      text.append(label);
      text.append(value);
      text.append("\r\n");
    };
    line("Helpdesk Case #", CaseID);
    line("Case URL outlook:", EntryID);
    line("", "");
    if (Caller) {
      line("Caller: ", Caller->Name);
      line("Caller: ", Caller->Email);
      if (!Caller->Mobile.empty()) line("Caller: ", Caller->Mobile);
      if (!Caller->Phone.empty()) line("Caller: ", Caller->Phone);
    }
    if (ProblemTypeRecord) {
      line("Problem Cateory : ", ProblemTypeRecord->ProblemCategory);
      line("Problem Type : ", ProblemTypeRecord->ProblemType);
    }
    line("Status : ", Status);
    line("", "");
    line("Case Description:", "");
    line("---------------------", "");
    text.append(Body);
  });
  return text;
}

}  // namespace zanvoro
