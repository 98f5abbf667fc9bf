#include "notify/SendCaseEmail.h"

#include <filesystem>
#include <string>
#include <vector>

#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "host/client/Application.h"
#include "host/mail/Worker.h"
#include "host/os/AtomicFile.h"
#include "host/os/System.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "host/ui/Renderer.h"
#include "notify/SendSMS.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

// What each notification kind writes into BillingInformation, which
// setting asks for the case's associated users in copy, and which phrase
// the tray balloon shows once the mail is sent (nullptr: the label and
// the recipients).
struct KindRule {
  int32_t kind;
  const char* label;
  const char* copy_setting;  // "" for none
  const std::string* balloon;
};

constexpr const char* kNoLabel = "NIL";
constexpr const char* kCallerCopy = "tpoAlertAssociatedUsersCaller";
constexpr const char* kTechnicianCopy = "tpoAlertAssociatedUsersTechnician";

const KindRule kKindRules[] = {
    {3, "", "tpoBccUsersOnEmailToCaller", nullptr},
    {10, "", "tpoBccUsersOnEmailToTechnician", nullptr},
    {11, "Case Allotment Notification Sent to", kCallerCopy,
     &CONST_CASE_CREATED_NOTIFICATION_SENT},
    {12, "Case Closure Notification Sent to", kCallerCopy,
     &CONST_CASE_CLOSED_NOTIFICATION_SENT},
    {13, "Case Assignment Notification Sent to", kTechnicianCopy,
     &CONST_ASSIGNMENT_NOTIFICATION},
    {14, "Case Reopening Notification Sent to", kTechnicianCopy,
     &CONST_CASE_REOPEN_NOTIFICATION},
    {15, "Case Due Date Lapsed Notification Sent to", kTechnicianCopy, nullptr},
    {17, "New Technician Assignment Notification Sent to", kCallerCopy,
     &CONST_NEW_TECH_ALLOTMENT_NOTIFICATION},
    {19, "Caller Response Received Notification sent to", kTechnicianCopy,
     &CONST_CALLER_REPLIED_NOTIFICATION},
    {21, "SLA Breach Notification Sent to", kTechnicianCopy, nullptr},
    {25, "Unassigned Case Notification sent to", "", nullptr},
    {27, "", "", nullptr},
    {28, "", "", nullptr},
};

// The kinds whose mail also goes, in blind copy, to a list of people of
// the general settings while its switch is on.
struct ExtraCopy {
  int32_t kind;
  const char* switch_setting;
  const char* list_setting;
};
constexpr ExtraCopy kExtraCopies[] = {
    {11, "tpoAreUsersToNotifyOnCaseGeneration", "tpoUsersToNotifyOnCaseGeneration"},
    {12, "tpoAreUsersToNotifyOnClosedCase", "tpoUsersToNotifyOnClosedCase"},
};

// The notification kind whose rendered sheet is printed.
constexpr int32_t kPrintKind = 2;
// The SMS templates sent beside the e-mails below.
constexpr int32_t kCallerAssignedSms = 18;
constexpr int32_t kAssignmentSms = 8;
constexpr int32_t kManagersSms = 26;
constexpr int32_t kCallerReplySms = 20;

const KindRule* FindRule(int32_t kind) {
  for (const KindRule& rule : kKindRules) {
    if (rule.kind == kind) return &rule;
  }
  return nullptr;
}

// The pieces of a list written with any of `separators`, trimmed, empty
// ones left out.
std::vector<std::string> SplitList(std::string_view text, std::string_view separators) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    std::string piece = Trim(text.substr(start, end - start));
    if (!piece.empty()) pieces.push_back(std::move(piece));
    start = end + 1;
  }
  return pieces;
}

void AddRecipients(host::Item& mail, std::string_view addresses,
                   host::RecipientType type) {
  for (const std::string& address : SplitList(addresses, ";")) {
    mail.Recipients().Add(address)->SetType(type);
  }
}

std::shared_ptr<host::Application> HostApplication() {
  RunningAddin* addin = ConnectedAddin();
  return addin ? addin->HostApplication() : nullptr;
}

void ShowBalloon(std::string_view text) {
  RunningAddin* addin = ConnectedAddin();
  if (addin && !text.empty())
    addin->PopupSystrayBalloonInteractive(kApplicationTitle, text);
}

// The balloon of a sent notification: the kind's phrase, else its label
// followed by the recipients. Kinds without a label (mail written from a
// case) announce nothing.
std::string SentBalloonText(int32_t kind, std::string_view to) {
  const KindRule* rule = FindRule(kind);
  if (!rule) return {};
  if (rule->balloon && !rule->balloon->empty()) return *rule->balloon;
  if (*rule->label == '\0') return {};
  return std::string(rule->label) + " " + std::string(to);
}

// The blind copies of kind `kind` about `c`: the associated users when the
// kind's copy setting is on, then the kind's own list when its switch is.
std::string BlindCopies(int32_t kind, const cCase& c) {
  std::vector<std::string> copies;
  if (ShouldCopyUsers(kind) && c.AssociatedUsers && !c.AssociatedUsers->IsEmpty()) {
    std::string emails = c.AssociatedUsers->ToEmails();
    if (!IsBlank(emails)) copies.push_back(std::move(emails));
  }
  for (const ExtraCopy& extra : kExtraCopies) {
    if (extra.kind != kind || !GeneralSettingOn(extra.switch_setting)) continue;
    std::string list = GeneralSettingText(extra.list_setting);
    if (!list.empty()) copies.push_back(std::move(list));
  }
  return Join(copies, ";");
}

// Copies the attachments of the case's item into `mail`, embedded pictures
// (those with a content ID) included, and returns the names of the attached
// files. A case without a stored item has nothing to copy.
std::vector<std::string> CopyCaseAttachments(const cCase& c, host::Item& mail) {
  std::vector<std::string> names;
  auto session = HelpdeskSession();
  if (c.EntryID.empty() || !session) return names;
  std::shared_ptr<host::Item> case_item;
  try {
    case_item = session->GetItemFromID(c.EntryID);
  } catch (const Error& failure) {
    if (failure.Number() == err::kNotFound || failure.Number() == err::kObjectDeleted) {
      return names;
    }
    throw;
  }
  host::Attachments& from = case_item->Attachments();
  if (from.Count() == 0) return names;
  WriteTraceLog("Copying any attached files from the ticket to the outgoing email");
  for (int32_t i = 1; i <= from.Count(); ++i) {
    const host::Attachment* source = from.Item(i);
    host::Attachment* copy = mail.Attachments().AddBytes(
        source->FileName(), source->Bytes(), source->MimeType());
    copy->SetDisplayName(source->DisplayName());
    copy->SetContentId(source->ContentId());
    if (source->ContentId().empty()) names.push_back(source->DisplayName());
  }
  return names;
}

// A file name made of the case ID's letters, digits and dashes.
std::string PrintFileName(const cCase& c) {
  std::string id = c.CaseID.empty() ? c.CaseNumber : c.CaseID;
  std::string safe;
  for (char ch : id) {
    bool plain = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') ||
                 (ch >= 'a' && ch <= 'z') || ch == '-' || ch == '_';
    safe += plain ? ch : '_';
  }
  return safe.empty() ? "Zanvoro Case.html" : "Zanvoro Case " + safe + ".html";
}

// There is no printer to hand the sheet to: it is written as an HTML page
// into the user's documents folder and opened with the desktop's program
// for it, from which the user prints.
void PrintCaseSheet(const cCase& c) {
  std::filesystem::path folder = host::DocumentsFolder();
  std::filesystem::create_directories(folder);
  std::filesystem::path sheet = folder / PrintFileName(c);
  host::WriteFileAtomically(sheet, c.ToHTML(kPrintKind));
  try {
    host::ShellOpen(sheet.string());
  } catch (const Error&) {
    // A desktop without an opener still has the sheet in the documents folder.
  }
}

// Sends the rendered SMS `code` about `c` to `numbers` and announces it
// when the transport took it.
void SendNotificationSms(std::string_view numbers, int32_t code, const cCase& c) {
  if (IsBlank(numbers)) return;
  if (SmsSucceeded(SendSMS(Trim(numbers), c.ToHTML(code), &c)))
    ShowBalloon(CONST_SMS_SENT);
}

// The case's technicians with the addresses and mobiles the helpdesk's
// technician list knows for them, where the case's own record has none.
cTechnicians TechnicianContacts(const cCase& c) {
  cTechnicians contacts;
  const cGlobalSettings& settings = RequireGlobalSettings();
  for (const auto& entry : c.Technicians) {
    cTechnician technician = entry.Value();
    if (const cTechnician* known = settings.Technicians.Find(technician.Name)) {
      if (Trim(technician.Email).empty()) technician.Email = known->Email;
      if (Trim(technician.Mobile).empty()) technician.Mobile = known->Mobile;
    }
    contacts.Add(std::move(technician));
  }
  return contacts;
}

}  // namespace

std::string NotificationLabel(int32_t kind) {
  const KindRule* rule = FindRule(kind);
  return rule ? rule->label : kNoLabel;
}

bool ShouldCopyUsers(int32_t kind) {
  return Trap("Notify.ShouldCopyUsers", false, [&] {
    const KindRule* rule = FindRule(kind);
    return rule && *rule->copy_setting != '\0' && GeneralSettingOn(rule->copy_setting);
  });
}

void SetSendingAccount(host::Item& mail, std::string_view case_recipient_address) {
  Trap("Notify.SetSendingAccount", [&] {
    std::string mailbox = GeneralSettingText("sdoSupportMailbox");
    if (mailbox.empty() &&
        GeneralSettingOn("tpoMonitoringUseRecipientAccountForOutgoing")) {
      mailbox = Trim(case_recipient_address);
    }
    if (!mailbox.empty()) mail.SetSentOnBehalfOfName(mailbox);
  });
}

std::shared_ptr<host::MAPIFolder> GetSentCopyFolder() {
  return Trap("Notify.GetSentCopyFolder", std::shared_ptr<host::MAPIFolder>(), [&] {
    auto session = HelpdeskSession();
    if (!session) return std::shared_ptr<host::MAPIFolder>();
    std::shared_ptr<host::MAPIFolder> sent;
    try {
      sent = session->GetDefaultFolder(host::DefaultFolder::SentMail);
    } catch (const Error& failure) {
      if (failure.Number() == err::kNotFound) return std::shared_ptr<host::MAPIFolder>();
      throw;
    }
    return GetOrCreateSubFolder(sent, kSentCopyFolderName, CreateMode::Create,
                                host::ItemType::Mail);
  });
}

bool IsNotificationOn(std::string_view key) {
  return Trap("Notify.IsNotificationOn", false, [&] {
    const cMessageTemplates& templates = RequireGlobalSettings().MessageTemplates;
    return templates.IsChecked(key) && !IsBlank(templates.GetValue(key));
  });
}

std::string SendCaseEmail(std::string_view to, int32_t kind, cCase& c, SendMode mode) {
  return Trap("Notify.SendCaseEmail", std::string(), [&] {
    std::string recipients = Trim(to);
    if (recipients.empty() && kind == kPrintKind) {
      PrintCaseSheet(c);
      return std::string();
    }
    // Nobody to send to: only a mail shown to the user can still get one.
    if (recipients.empty() && mode == SendMode::Send) return std::string();
    auto application = HostApplication();
    if (!application) return std::string();

    auto mail = application->CreateItem(host::ItemType::Mail);
    if (application->MajorVersion() >= 10) {
      mail->SetBodyFormat(static_cast<int32_t>(host::BodyFormat::HTML));
    }
    std::string body = c.ToHTML(kind);
    std::vector<std::string> attached = CopyCaseAttachments(c, *mail);
    if (!attached.empty()) body += "<BR><BR>" + Join(attached, "<BR>");
    mail->SetHTMLBody(body);

    bool forward = TextEquals(recipients, kForwardRecipient);
    if (!recipients.empty()) {
      SetSendingAccount(*mail, c.RecipientEmailAddress);
      if (!forward) {
        AddRecipients(*mail, recipients, host::RecipientType::To);
        AddRecipients(*mail, BlindCopies(kind, c), host::RecipientType::BCC);
      }
    }
    mail->SetSubject(c.ToSubjectHTML(kind));
    mail->SetBillingInformation(NotificationLabel(kind));
    mail->Save();
    if (auto copies = GetSentCopyFolder()) mail->SetSaveSentMessageFolder(*copies);

    if (mode == SendMode::Display || forward) {
      mail->Save();
      application->DisplayItem(mail);
      return std::string();
    }
    WriteTraceLog("Sending email to " + recipients);
    mail->Send();
    DeliverNow();
    ShowBalloon(SentBalloonText(kind, recipients));
    return std::string(kSendSuccess);
  });
}

void DeliverNow() {
  RunningAddin* addin = ConnectedAddin();
  if (!addin || !addin->HostApplication()) return;
  host::DeliverNow(addin->HostApplication()->GetProfile().folder);
}

void NotifyCallerOfAssignedTechnicians(cCase& c, std::string_view caller_mobile) {
  Trap("Notify.NotifyCallerOfAssignedTechnicians", [&] {
    if (Trim(c.Technicians.FullNames()).empty()) return;
    if (IsNotificationOn("sdoEmailCallerWhenAssignedTechnician") && c.Caller) {
      SendCaseEmail(c.Caller->Email, 17, c, SendMode::Send);
    }
    if (IsNotificationOn("sdoSMSCallerWhenAssignedTechnician")) {
      SendNotificationSms(caller_mobile, kCallerAssignedSms, c);
    }
  });
}

void NotifyTechniciansOfAssignment(cCase& c) {
  Trap("Notify.NotifyTechniciansOfAssignment", [&] {
    cTechnicians contacts = TechnicianContacts(c);
    if (IsNotificationOn("sdoCaseAssignmentEmail")) {
      SendCaseEmail(contacts.Emails(), 13, c, SendMode::Send);
    }
    if (IsNotificationOn("sdoCaseAssignmentSMS")) {
      SendNotificationSms(contacts.Mobiles(), kAssignmentSms, c);
    }
  });
}

void NotifyManagersOfUnassignedCase(cCase& c, host::Item* /*incoming*/) {
  Trap("Notify.NotifyManagersOfUnassignedCase", [&] {
    if (!Trim(c.Technicians.FullNames()).empty()) return;
    std::string managers = GeneralSettingText("sdoManagers");
    if (managers.empty()) return;
    // Managers are technicians named in the list; the technician list's
    // keys ignore letter case. Anyone else has no address to reach.
    const cTechnicians& technicians = RequireGlobalSettings().Technicians;
    std::vector<std::string> emails;
    std::vector<std::string> mobiles;
    for (const std::string& name : SplitList(managers, ";,")) {
      const cTechnician* manager = technicians.Find(name);
      if (!manager) continue;
      if (!Trim(manager->Email).empty()) emails.push_back(Trim(manager->Email));
      if (!Trim(manager->Mobile).empty()) mobiles.push_back(Trim(manager->Mobile));
    }
    if (IsNotificationOn("sdoEmailManagerWhenCaseCreated") && !emails.empty()) {
      SendCaseEmail(Join(emails, ";"), 25, c, SendMode::Send);
    }
    if (IsNotificationOn("sdoSMSManagerWhenCaseCreated") && !mobiles.empty()) {
      SendNotificationSms(Join(mobiles, ","), kManagersSms, c);
    }
  });
}

void NotifyTechniciansOfCallerReply(cCase& c, host::Item& reply) {
  Trap("Notify.NotifyTechniciansOfCallerReply", [&] {
    if (ReadItemBoolean(reply, "DisableNotification")) return;
    cTechnicians contacts = TechnicianContacts(c);
    if (IsNotificationOn("sdoSMSTechniciansWhenCallerReplies")) {
      SendNotificationSms(contacts.Mobiles(), kCallerReplySms, c);
    }
    if (IsNotificationOn("sdoEmailTechniciansWhenCallerReplies")) {
      SendCaseEmail(contacts.Emails(), 19, c, SendMode::Send);
    }
  });
}

}  // namespace zanvoro
