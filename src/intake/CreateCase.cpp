// A new case from an incoming item: the case item in the Ongoing folder,
// its fields from the mail, the caller, the settings' defaults, the
// monitored folder and the problem types, its number and subject tag, and
// the notifications of a new case.
#include <optional>
#include <random>
#include <vector>

#include "case/CaseNumbering.h"
#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/html/HtmlSanitizer.h"
#include "host/mail/MailAddress.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "intake/IntakeSupport.h"
#include "intake/ProcessIncomingItem.h"
#include "intake/ReplyThreading.h"
#include "intake/cMonitoredFolderData.h"
#include "notify/DueDateEntries.h"
#include "notify/SendCaseEmail.h"
#include "runtime/Text.h"
#include "settings/SettingsList.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "sla/ApplySLA.h"
#include "sla/ServiceCalendar.h"

namespace zanvoro {

namespace {

void WriteText(host::Item& item, std::string_view name, std::string_view value) {
  WriteItemProperty(item, name, Variant(value), VarType::String);
}

// The SLA `name` given to the case item: its name, the importance of its
// priority and the due date of its response time. Returns whether the SLA
// is known.
bool GiveServiceLevel(host::Item& case_item, std::string_view name) {
  WriteText(case_item, caseprop::kServiceLevel, name);
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) return false;
  return ApplySLAToCaseItem(case_item, name, settings->SLAs, SharedServiceCalendar(),
                            Now());
}

// The text that tells the user the Ongoing folder takes no new items.
std::string FormCacheAdvice() {
  std::string text =
      "The form cache of the VNH_FOLDER folder appears to be corrupted!\r\n"
      "To continue, try the following steps:\r\n"
      "1) If you have Owner permissions or working with a PST file, right-click the "
      "folder "
      "with the issues-> Properties-> tab Forms-> button Manage\xE2\x80\xA6-> button "
      "Clear "
      "Cache\r\n"
      "2) If you only have \xE2\x80\x9CRead\xE2\x80\x9D permissions, goto Tools-> "
      "Options-> "
      "tab Other-> button Advanced Options\xE2\x80\xA6-> button Custom "
      "Forms\xE2\x80\xA6-> "
      "button Manage Forms\xE2\x80\xA6-> button Clear Cache";
  return Replace(text, "VNH_FOLDER", "<VNH_OPENFOLDER>");
}

// A case nobody was given goes to the technician whose client made it when
// `setting` is on: "sdoAutoAssignTechOnNewCaseEmailAuto" for a case made
// from a mail, "sdoAutoAssignTechOnNewCase" for one a user made.
void AutoAssignTechnician(host::Item& case_item, const char* setting) {
  if (!GeneralSettingOn(setting)) return;
  if (!Trim(ReadItemText(case_item, caseprop::kTechnicians)).empty()) return;
  WriteText(case_item, caseprop::kTechnicians, CurrentTechnicianName());
}

// The known caller's technician and SLA. Returns whether the caller's SLA
// gave the case its due date.
bool ApplyCallerDefaults(host::Item& case_item, const cCaller& caller) {
  if (GeneralSettingOn("sdoEnableDefaultTechnician") && !caller.Technician.empty())
    WriteText(case_item, caseprop::kTechnicians, caller.Technician);
  if (GeneralSettingOn("sdoSetCallerDefaultSLA") && !caller.SLA.empty()) {
    GiveServiceLevel(case_item, caller.SLA);
    return true;
  }
  return false;
}

// The known caller's details, technician and SLA. Returns whether the
// caller's SLA gave the case its due date.
bool ApplyKnownCaller(host::Item& case_item, const cCaller& caller) {
  WriteText(case_item, caseprop::kCallerName, caller.Name);
  WriteText(case_item, caseprop::kCallerPhone, caller.Phone);
  WriteText(case_item, caseprop::kCallerDepartment, caller.Department);
  WriteText(case_item, caseprop::kCallerMobile, caller.Mobile);
  WriteText(case_item, caseprop::kCallerCompany, caller.Company);
  WriteText(case_item, caseprop::kCallerAddress, caller.Address);
  WriteText(case_item, caseprop::kAssociatedUsers, caller.AssociatedUsers.ToString());
  return ApplyCallerDefaults(case_item, caller);
}

// The due date of a case without an SLA: the default schedule from now.
void WriteDefaultDueDate(host::Item& case_item) {
  const cGlobalSettings* settings = SharedGlobalSettings();
  Date due = settings
                 ? SharedServiceCalendar().DefaultDueDate(settings->GeneralSettings, Now())
                 : Date::NoDate();
  WriteCaseDueDate(case_item, due);
}

void ApplyNewCaseDefaults(host::Item& case_item) {
  std::string status = GeneralSettingText("sdoCaseOptionStatusNewCase");
  if (!status.empty()) WriteText(case_item, caseprop::kStatus, status);
  std::string sla = GeneralSettingText("sdoCaseOptionSLANewCase");
  if (!sla.empty()) GiveServiceLevel(case_item, sla);
  std::string category = GeneralSettingText("sdoCaseOptionCategoryNewCase");
  if (!category.empty()) WriteText(case_item, caseprop::kProblemCategory, category);
  std::string type = GeneralSettingText("sdoCaseOptionTypeNewCase");
  if (!type.empty()) WriteText(case_item, caseprop::kProblemType, type);
}

void ApplyMonitoredFolderDefaults(host::Item& case_item,
                                  const cMonitoredFolderData& folder) {
  if (ReadItemText(case_item, caseprop::kProblemCategory).empty() &&
      !folder.DefaultProblemCategory.empty()) {
    WriteText(case_item, caseprop::kProblemCategory, folder.DefaultProblemCategory);
  }
  if (ReadItemText(case_item, caseprop::kProblemType).empty() &&
      !folder.DefaultProblemType.empty()) {
    WriteText(case_item, caseprop::kProblemType, folder.DefaultProblemType);
  }
  std::string category = ReadItemText(case_item, caseprop::kProblemCategory);
  std::string type = ReadItemText(case_item, caseprop::kProblemType);
  // The problem type's defaults count when the case has both a category
  // and a type; otherwise, or when it has none, the folder's do.
  const cProblemType* problem = nullptr;
  if (const cGlobalSettings* settings = SharedGlobalSettings();
      settings && !category.empty() && !type.empty()) {
    problem = settings->ProblemTypes.Query(type, category);
  }

  if (ReadItemText(case_item, caseprop::kTechnicians).empty()) {
    std::string technician;
    if (problem && GeneralSettingOn("tpoMonitoringUseDefaultProblemTechnician"))
      technician = problem->DefaultTechnician;
    if (technician.empty()) technician = folder.DefaultTechnician;
    if (!technician.empty()) WriteText(case_item, caseprop::kTechnicians, technician);
  }

  std::string sla;
  if (problem && GeneralSettingOn("tpoMonitoringUseDefaultProblemSLA"))
    sla = problem->DefaultSLA;
  if (sla.empty()) sla = folder.DefaultSLA;
  if (!sla.empty()) GiveServiceLevel(case_item, sla);
}

// The first problem type, in the list's order, whose name (longer than two
// characters: shorter names are found in too many subjects) occurs in the
// subject gives the case its defaults.
void ApplyProblemTypeFromSubject(host::Item& case_item, std::string_view subject) {
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) return;
  std::string upper_subject = UCase(subject);
  for (const auto& entry : settings->ProblemTypes) {
    const cProblemType& problem = entry.Value();
    if (problem.ProblemType.size() <= 2) continue;
    if (!Contains(upper_subject, UCase(problem.ProblemType))) continue;
    if (!problem.DefaultTechnician.empty())
      WriteText(case_item, caseprop::kTechnicians, problem.DefaultTechnician);
    if (!problem.ProblemCategory.empty())
      WriteText(case_item, caseprop::kProblemCategory, problem.ProblemCategory);
    WriteText(case_item, caseprop::kProblemType, problem.ProblemType);
    if (!problem.DefaultSLA.empty()) GiveServiceLevel(case_item, problem.DefaultSLA);
    if (!problem.DefaultField.empty())
      WriteText(case_item, caseprop::kProblemField, problem.DefaultField);
    return;
  }
}

// The item's To line: each To recipient's address, or its name when it has
// none, joined by "; ".
std::string ToLine(host::Item& item) {
  std::vector<std::string> parts;
  host::Recipients& recipients = item.Recipients();
  for (int32_t i = 1; i <= recipients.Count(); ++i) {
    host::Recipient* recipient = recipients.Item(i);
    if (recipient->Type() != host::RecipientType::To) continue;
    std::string part = Trim(recipient->Address());
    if (part.empty()) part = Trim(recipient->Name());
    if (!part.empty()) parts.push_back(part);
  }
  return Join(parts, "; ");
}

std::string FirstRecipientAddress(host::Item& item) {
  host::Recipients& recipients = item.Recipients();
  if (recipients.Count() == 0) return {};
  host::Recipient* first = recipients.Item(1);
  if (first->AddressEntry()) return Trim(first->AddressEntry()->Address);
  return Trim(first->Address());
}

// The contact fields of a caller who is not listed.
struct ContactFields {
  std::string name;
  std::string phone;
  std::string company;
  std::string department;
  std::string mobile;
  std::string address;
};

// The sender's address-book entry when it is a real one (a contact or a
// mailbox owner), not a bare address standing for itself.
std::optional<host::AddressEntry> ContactEntry(const SenderIdentity& sender) {
  const auto& entry = sender.entry;
  if (!entry) return std::nullopt;
  const bool bare = entry->Name == entry->Address &&
                    entry->BusinessTelephoneNumber.empty() &&
                    entry->MobileTelephoneNumber.empty() && entry->CompanyName.empty() &&
                    entry->Department.empty() && entry->StreetAddress.empty() &&
                    entry->OfficeLocation.empty();
  if (bare) return std::nullopt;
  return entry;
}

ContactFields ContactFieldsOf(const host::AddressEntry& entry) {
  ContactFields fields;
  fields.name = entry.Name;
  fields.phone = entry.BusinessTelephoneNumber;
  fields.company = entry.CompanyName;
  fields.department = entry.Department;
  fields.mobile = entry.MobileTelephoneNumber;
  // "tpoCallerAddressValueToUse": 0 the street address, else the office.
  fields.address = GeneralSettingOn("tpoCallerAddressValueToUse") ? entry.OfficeLocation
                                                                  : entry.StreetAddress;
  return fields;
}

void WriteContactFields(host::Item& case_item, const ContactFields& fields) {
  if (!fields.name.empty()) WriteText(case_item, caseprop::kCallerName, fields.name);
  WriteText(case_item, caseprop::kCallerPhone, fields.phone);
  WriteText(case_item, caseprop::kCallerDepartment, fields.department);
  WriteText(case_item, caseprop::kCallerMobile, fields.mobile);
  WriteText(case_item, caseprop::kCallerCompany, fields.company);
  WriteText(case_item, caseprop::kCallerAddress, fields.address);
}

// "sdoCallerAutomaticallySaveInfo": a sender the caller list does not know
// joins it.
void SaveNewCaller(std::string_view address, std::string_view name,
                   const ContactFields& fields) {
  cGlobalSettings* settings = SharedGlobalSettings();
  // An address that is not one plain address (a list, a display name, an
  // internal name) would be a caller nobody can write to.
  if (!settings || !host::IsValidMailAddress(address) ||
      !GeneralSettingOn("sdoCallerAutomaticallySaveInfo"))
    return;
  if (settings->Callers.Exists(address)) return;
  cCaller caller;
  caller.Email = std::string(address);
  caller.Name = fields.name.empty() ? std::string(name) : fields.name;
  caller.Phone = fields.phone;
  caller.Mobile = fields.mobile;
  caller.Department = fields.department;
  caller.Company = fields.company;
  caller.Address = fields.address;
  if (GeneralSettingOn("sdoGenerateRandomPasswordForNewCaller"))
    caller.Password = GenerateRandomPassword();
  settings->Callers.Add(std::move(caller));
  settings->Callers.SortByKey();
  settings->SaveList(SettingsList::Callers);
}

enum class ItemKind { Mail, Post, Appointment, Task, Meeting, Other };

ItemKind KindOf(std::string_view upper_class) {
  if (Contains(upper_class, "IPM.NOTE")) return ItemKind::Mail;
  if (Contains(upper_class, "IPM.POST")) return ItemKind::Post;
  if (Contains(upper_class, "IPM.APPOINTMENT")) return ItemKind::Appointment;
  if (Contains(upper_class, "IPM.TASK")) return ItemKind::Task;
  if (Contains(upper_class, "IPM.SCHEDULE")) return ItemKind::Meeting;
  return ItemKind::Other;
}

// `html` without its first "<OBJECT" ... "</OBJECT>" block (either case):
// an embedded object has no place in a case.
std::string RemoveFirstObject(const std::string& html) {
  std::string upper = UCase(html);
  size_t start = upper.find("<OBJECT");
  if (start == std::string::npos) return html;
  size_t end = upper.find("</OBJECT>", start);
  if (end == std::string::npos) return html;
  return html.substr(0, start) + html.substr(end + 9);
}

Date ReceivedDateOf(host::Item& item) {
  Date received = item.ReceivedTime();
  if (received.IsZero() || received.IsNoDate()) received = item.CreationTime();
  return received;
}

// The case body: the new-case page with the mail's body in it.
void FillBody(host::Item& item, host::Item& case_item, ItemKind kind) {
  std::string body;
  if (kind == ItemKind::Mail || kind == ItemKind::Post) {
    if (item.BodyFormat() == static_cast<int32_t>(host::BodyFormat::RichText)) {
      body = ConvertRichTextToHTML(item, case_item);
    } else {
      body = item.HTMLBody();
    }
    // Whatever the mail's HTML holds is kept as formatting only.
    if (!Trim(body).empty()) body = host::SanitizeHtml(body);
    // A plain mail has no HTML of its own.
    if (Trim(body).empty()) body = intake::PlainTextAsHtml(item.Body());
    if (!Trim(body).empty()) {
      std::string header =
          ConversationHeader(ConversationKind::ProblemDescription, ReceivedDateOf(item),
                             ConversationHeaderText(ConversationKind::ProblemDescription,
                                                    SenderText(item), "", ""),
                             item.EntryID());
      body = InsertAfterBodyTag(header, body);
    }
  } else {
    body = intake::PlainTextAsHtml(item.Body());
  }
  if (body.empty()) return;
  const cGlobalSettings* settings = SharedGlobalSettings();
  body = RemoveFirstObject(body);
  case_item.SetBodyFormat(static_cast<int32_t>(host::BodyFormat::HTML));
  case_item.SetHTMLBody(settings ? settings->NewTicketHTML(body) : body);
  case_item.SetImportance(item.Importance());
  case_item.SetMessageClass(kCaseMessageClass);
  case_item.Save();
}

void CopyAttachments(host::Item& item, host::Item& case_item, ItemKind kind) {
  const bool rich_text =
      (kind == ItemKind::Mail || kind == ItemKind::Post) &&
      item.BodyFormat() == static_cast<int32_t>(host::BodyFormat::RichText);
  if (!rich_text) {
    CopyBodyAndAttachments(item, case_item);
    return;
  }
  // A rich-text body references no pictures by content id: every
  // attachment is an ordinary one.
  WriteTraceLog("Getting Attachements collection");
  host::Attachments& attachments = item.Attachments();
  WriteTraceLog("Looping attachements");
  for (int32_t i = 1; i <= attachments.Count(); ++i) {
    host::Attachment* attachment = attachments.Item(i);
    WriteTraceLog("Adding attachement to ticket " + attachment->FileName());
    case_item.Attachments().AddBytes(attachment->FileName(), attachment->Bytes(),
                                     attachment->MimeType());
  }
  case_item.Save();
}

// The new-case notifications, in their order, then the due-date entries.
void SendNewCaseNotifications(host::Item& incoming, cCase& c, const std::string& mobile) {
  const bool has_technician = !Trim(c.Technicians.FullNames()).empty();
  if (has_technician || !GeneralSettingOn("sdoDisableNotificationIfTechIsEmpty")) {
    SendConfirmationEmail(incoming, c);
    SendNotificationSMS(incoming, c, mobile);
  }
  NotifyCallerOfAssignedTechnicians(c, mobile);
  NotifyTechniciansOfAssignment(c);
  NotifyManagersOfUnassignedCase(c, &incoming);
  AddDueDateEntries(c);
}

}  // namespace

std::string GenerateRandomPassword() {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
  std::random_device source;
  std::uniform_int_distribution<size_t> pick(0, kAlphabet.size() - 1);
  std::string password;
  for (int i = 0; i < 10; ++i) password += kAlphabet[pick(source)];
  return password;
}

std::string ExtractInfoFromEmail(host::Item& item, host::Item& case_item) {
  return Trap("CaseHelper.ExtractInfoFromEmail", std::string{}, [&] {
    if (!EnsureMapiUtils()) return std::string{};
    const ItemKind kind = KindOf(UCase(item.MessageClass()));
    if (kind == ItemKind::Other) return std::string{};
    const cGlobalSettings* settings = SharedGlobalSettings();

    std::string recipient = Trim(ToLine(item));
    if (recipient.empty()) recipient = FirstRecipientAddress(item);
    if (!recipient.empty())
      WriteText(case_item, caseprop::kRecipientEmailAddress, recipient);

    SenderIdentity sender = SenderOf(item);
    WriteText(case_item, caseprop::kCallerName, sender.name);
    std::string address = SenderCallerAddress(item);

    bool caller_sla_applied = false;
    const cCaller* caller =
        settings && !address.empty() ? settings->Callers.Find(address) : nullptr;
    if (caller) {
      caller_sla_applied = ApplyKnownCaller(case_item, *caller);
    } else {
      ContactFields fields;
      if (auto entry = ContactEntry(sender)) {
        fields = ContactFieldsOf(*entry);
        WriteContactFields(case_item, fields);
      }
      SaveNewCaller(address, sender.name, fields);
    }
    WriteText(case_item, caseprop::kCallerEmail, address);

    FillBody(item, case_item, kind);
    CopyAttachments(item, case_item, kind);

    if (!caller_sla_applied) WriteDefaultDueDate(case_item);
    return ReadItemText(case_item, caseprop::kCallerMobile);
  });
}

std::string CreateCase(const std::shared_ptr<host::Item>& item, std::string_view origin,
                       const cMonitoredFolderData* folder_data,
                       std::shared_ptr<host::Item>* case_made) {
  return Trap("CaseHelper.CreateCase", std::string{}, [&]() -> std::string {
    if (!IsCompatibleMessageClass(*item)) return {};
    auto ongoing = GetOngoingFolder();
    if (!ongoing) return {};
    WriteTraceLog("Adding a new ticket to the folder " + ongoing->Name());

    std::shared_ptr<host::Item> case_item;
    try {
      case_item = ongoing->Items()->Add(kCaseMessageClass);
    } catch (const Error& error) {
      constexpr const char* kLocation = "CaseHelper.CreateCase";
      SetCurrentProcedure(kLocation);
      std::string message = FormCacheAdvice();
      ShowErrorKBDialog(kFormCacheArticle, message, error.Description(), error.Number(),
                        static_cast<int16_t>(error.Line()), kLocation);
      return kOngoingRefused;
    }

    const std::string subject = item->Subject();
    const Date received = ReceivedDateOf(*item);
    const Date now = Now();
    WriteText(*case_item, caseprop::kAuthor, CurrentTechnicianName());
    WriteText(*case_item, caseprop::kOrigin, origin);
    WriteCaseDate(*case_item, now, caseprop::kDateCreated, caseprop::kDateCreatedLong,
                  caseprop::kDateCreatedS);
    WriteCaseDate(*case_item, received, caseprop::kReceivedDate, "",
                  caseprop::kReceivedDateS);
    case_item->SetSubject(subject);

    // A counter that cannot be advanced gives 0: the case is made without
    // a number.
    std::string number;
    if (int32_t issued = GetNewCaseID(); issued != 0) {
      number = std::to_string(issued);
      WriteText(*case_item, caseprop::kCaseNumber, number);
      WriteText(*case_item, caseprop::kCaseNumberS,
                std::to_string(static_cast<int64_t>(issued) + 100000000));
    }

    AutoAssignTechnician(*case_item, "sdoAutoAssignTechOnNewCaseEmailAuto");
    std::string mobile = ExtractInfoFromEmail(*item, *case_item);
    ApplyNewCaseDefaults(*case_item);
    if (folder_data) ApplyMonitoredFolderDefaults(*case_item, *folder_data);
    ApplyProblemTypeFromSubject(*case_item, subject);

    cCase c;
    c.GetCaseFromOutlookItem(case_item, SaveUnsaved::No);
    WriteText(*case_item, caseprop::kBody, c.SearchText());
    if (!number.empty()) {
      case_item->SetSubject("[" + c.CasePrefixCode() + number + "] " + Trim(subject));
    }
    case_item->SetHTMLBody(c.HTMLBody);
    case_item->SetUnRead(true);
    case_item->SetMessageClass(kCaseMessageClass);
    case_item->Save();
    if (case_made) *case_made = case_item;

    if (!number.empty()) {
      cCase saved;
      saved.GetCaseFromOutlookItem(case_item, SaveUnsaved::No);
      SendNewCaseNotifications(*item, saved, mobile);
    }
    WriteTraceLog("Setting flag on email that a ticket was created from!");
    return number;
  });
}

void ApplyUserCaseDefaults(host::Item& case_item) {
  Trap("CaseHelper.ApplyUserCaseDefaults", [&] {
    AutoAssignTechnician(case_item, "sdoAutoAssignTechOnNewCase");
    const cGlobalSettings* settings = SharedGlobalSettings();
    const std::string address = ReadItemText(case_item, caseprop::kCallerEmail);
    const cCaller* caller =
        settings && !address.empty() ? settings->Callers.Find(address) : nullptr;
    if (!(caller && ApplyCallerDefaults(case_item, *caller))) WriteDefaultDueDate(case_item);
    ApplyNewCaseDefaults(case_item);
    ApplyProblemTypeFromSubject(case_item, case_item.Subject());
  });
}

}  // namespace zanvoro
