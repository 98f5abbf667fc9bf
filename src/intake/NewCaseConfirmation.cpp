// The caller's confirmation of a new case, by e-mail and by SMS, with the
// variables only a confirmation has (the mail's own subject and body, the
// caller's web-access login).
#include "case/NotificationCodes.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/html/HtmlSanitizer.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "intake/IntakeSupport.h"
#include "intake/ProcessIncomingItem.h"
#include "intake/ReplyThreading.h"
#include "notify/SendCaseEmail.h"
#include "notify/SendSMS.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr int32_t kCaseAllotmentKind = 11;

const cMessageTemplates* Templates() {
  const cGlobalSettings* settings = SharedGlobalSettings();
  return settings ? &settings->MessageTemplates : nullptr;
}

// Adds every address of `line` (";"-separated) as a recipient of `type`.
void AddRecipients(host::Item& mail, std::string_view line, host::RecipientType type) {
  for (const std::string& piece : Split(line, ";")) {
    std::string address = Trim(piece);
    if (address.empty()) continue;
    mail.Recipients().Add(address)->SetType(type);
  }
}

// The blind copies of a confirmation: the users to notify of new cases,
// and, with "tpoIncludeCCUsersToTicketConfirmation", everyone the caller's
// mail went to.
std::string ConfirmationBlindCopies(host::Item& incoming) {
  std::vector<std::string> parts;
  if (GeneralSettingOn("tpoAreUsersToNotifyOnCaseGeneration")) {
    std::string users = GeneralSettingText("tpoUsersToNotifyOnCaseGeneration");
    if (!users.empty()) parts.push_back(users);
  }
  if (GeneralSettingOn("tpoIncludeCCUsersToTicketConfirmation") &&
      UCase(incoming.MessageClass()).find("IPM.NOTE") != std::string::npos) {
    std::vector<std::string> addresses;
    host::Recipients& recipients = incoming.Recipients();
    for (int32_t i = 1; i <= recipients.Count(); ++i) {
      std::string address = Replace(Trim(recipients.Item(i)->Address()), "'", "");
      if (!address.empty()) addresses.push_back(address);
    }
    if (!addresses.empty()) parts.push_back(Join(addresses, ";"));
  }
  return Join(parts, ";");
}

std::string MailBodyAsHtml(host::Item& mail) {
  std::string html = mail.HTMLBody();
  return Trim(html).empty() ? intake::PlainTextAsHtml(mail.Body())
                            : host::SanitizeHtml(html);
}

}  // namespace

std::string GetLoginHTML(std::string_view email) {
  return Trap("CaseHelper.GetLoginHTML", std::string{}, [&] {
    const cGlobalSettings* settings = SharedGlobalSettings();
    const cCaller* caller = settings ? settings->Callers.Find(email) : nullptr;
    if (!caller || caller->Password.empty()) return std::string{};
    return WebAccessLoginTable(email, caller->Password);
  });
}

std::string RenderConfirmationTemplate(std::string_view text, const cCase& c,
                                       host::Item& incoming, Markup markup) {
  std::string out(text);
  const bool html = markup == Markup::Html;
  auto put = [&](std::string_view variable, std::string_view value) {
    out = ReplaceTemplateVariable(out, variable,
                                  html ? HtmlEscape(value) : std::string(value));
  };
  auto put_html = [&](std::string_view variable, std::string_view value) {
    out = ReplaceTemplateVariable(out, variable, value);
  };
  const std::string caller_name = c.Caller ? c.Caller->Name : std::string{};
  const std::string caller_email = c.Caller ? c.Caller->Email : std::string{};
  put("VNH_CASENUMBER", c.CasePrefixCode() + c.CaseNumber);
  put("VNH_SUBJECT", incoming.Subject());
  // The caller's mail is made safe only for a text that quotes it (a
  // subject does not).
  if (ContainsTemplateVariable(out, "VNH_EMAILBODY"))
    put_html("VNH_EMAILBODY", MailBodyAsHtml(incoming));
  put("VNH_MANAGERS", GeneralSettingText("sdoManagers"));
  put("VNH_CASEAUTHOR", c.Author);
  put("VNH_DATERECEIVED", GeneralDateText(c.ReceivedDate));
  put("VNH_DATECREATED", GeneralDateText(c.DateCreated));
  put("VNH_CALLERNAME", caller_name);
  put_html("VNH_WEBACCESS_LOGIN", GetLoginHTML(caller_email));
  put("VNH_WEBACCESS_URL", GeneralSettingText("sdoWebURLCWS"));
  put_html("VNH_CASELINK", c.EntryID.empty()
                               ? std::string{}
                               : "<a href=\"outlook:" + HtmlEscape(c.EntryID) +
                                     "\"><b>Support Case #" + HtmlEscape(c.CaseNumber) +
                                     "</b></a>");
  return out;
}

bool SendConfirmationEmail(host::Item& incoming, const cCase& c) {
  return Trap("CaseHelper.SendConfirmationEmail", false, [&] {
    const cMessageTemplates* templates = Templates();
    if (!templates || !IsNotificationOn("sdoCaseCreationConfirmationEmail")) return false;
    std::string to = SenderCallerAddress(incoming);
    if (to.empty()) return false;
    std::string blind_copies = ConfirmationBlindCopies(incoming);

    auto mail = intake::NewMail();
    if (!mail) return false;
    std::string page = templates->GetValue("sdoCaseCreationConfirmationEmail");
    mail->SetBodyFormat(static_cast<int32_t>(host::BodyFormat::HTML));
    mail->SetHTMLBody(RenderConfirmationTemplate(page, c, incoming, Markup::Html));
    mail->Save();
    // The caller's own mail is quoted: its pictures and files come along.
    if (ContainsTemplateVariable(page, "VNH_EMAILBODY"))
      CopyBodyAndAttachments(incoming, *mail);
    mail->SetSubject(RenderConfirmationTemplate(
        templates->GetValue("sdoCaseCreationConfirmationSubject"), c, incoming,
        Markup::PlainText));
    AddRecipients(*mail, to, host::RecipientType::To);
    if (!blind_copies.empty())
      AddRecipients(*mail, blind_copies, host::RecipientType::BCC);
    mail->SetReadReceiptRequested(false);
    SetSendingAccount(*mail, c.RecipientEmailAddress);
    mail->SetBillingInformation(NotificationLabel(kCaseAllotmentKind));
    mail->Save();
    if (auto copies = GetSentCopyFolder()) mail->SetSaveSentMessageFolder(*copies);
    WriteTraceLog("Sending email to " + to);
    mail->Send();
    intake::ShowBalloon(CONST_CASE_CREATED_NOTIFICATION_SENT);
    DeliverNow();
    return true;
  });
}

bool SendNotificationSMS(host::Item& incoming, const cCase& c, std::string_view mobile) {
  return Trap("CaseHelper.SendNotificationSMS", false, [&] {
    const cMessageTemplates* templates = Templates();
    if (!templates || Trim(mobile).empty() ||
        !IsNotificationOn("sdoCaseCreationConfirmationSMS")) {
      return false;
    }
    std::string text =
        RenderConfirmationTemplate(templates->GetValue("sdoCaseCreationConfirmationSMS"),
                                   c, incoming, Markup::PlainText);
    if (!SmsSucceeded(SendSMS(Trim(mobile), text, &c))) return false;
    intake::ShowBalloon(CONST_SMS_SENT);
    return true;
  });
}

}  // namespace zanvoro
