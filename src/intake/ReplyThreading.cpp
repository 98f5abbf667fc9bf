// How a mail finds its case and is attached to it: the caller's reply path
// and AddEmailToCase with its markers, moves and copies, the case link in
// the mail, and the technician of a conversation.
#include "intake/ReplyThreading.h"

#include "case/CaseID.h"
#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "host/store/StoreTypes.h"
#include "intake/IntakeSupport.h"
#include "intake/ProcessIncomingItem.h"
#include "notify/SendCaseEmail.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "workflow/CaseOperations.h"

namespace zanvoro {

namespace {

bool IsMailOrPost(host::Item& item) {
  std::string upper = UCase(item.MessageClass());
  return Contains(upper, "IPM.NOTE") || Contains(upper, "IPM.POST");
}

// "[HD-12]" for case 12 with prefix "HD-".
std::string CaseTag(std::string_view prefix, std::string_view number) {
  return "[" + std::string(prefix) + std::string(number) + "]";
}

// The subject with every tag of case `old_number` taken out: "[9]", and
// each tag as the subject writes it ("[HD-9]", whatever its prefix).
std::string WithoutCaseTags(std::string subject, std::string_view old_number) {
  subject = Replace(subject, CaseTag("", old_number), "");
  std::vector<std::string> pieces = Split(subject, "[");
  for (size_t i = 1; i < pieces.size(); ++i) {
    size_t close = pieces[i].find(']');
    if (close == std::string::npos) continue;
    std::string tag = "[" + pieces[i].substr(0, close + 1);
    if (Trim(NumberPartOfTag(tag)) == old_number) subject = Replace(subject, tag, "");
  }
  return subject;
}

// The subject a mail of case `number` carries in the History folder: the
// case's tag in front, in place of another case's tag.
std::string HistorySubject(const std::string& subject, std::string_view prefix,
                           std::string_view number) {
  std::string found = ExtractCaseID(subject);
  if (found == number) return subject;
  std::string rest = found.empty() ? subject : WithoutCaseTags(subject, found);
  return CaseTag(prefix, number) + " " + Trim(rest);
}

// Appends " [HD-12]" when the subject holds no case tag.
void AppendCaseTag(host::Item& item, std::string_view prefix, std::string_view number) {
  if (!ExtractCaseID(item.Subject()).empty()) return;
  item.SetSubject(item.Subject() + " " + CaseTag(prefix, number));
}

}  // namespace

bool CaseExists(std::string_view number) {
  return Trap("CaseHelper.CaseExists", false,
              [&] { return !number.empty() && GetCaseItemFromID(number) != nullptr; });
}

namespace {

using CaseHandle = std::shared_ptr<host::Item>;

// The case after the re-open a reply may bring: the same item, or the case
// as the re-open left it in the Ongoing folder.
CaseHandle ReopenOnReply(std::string_view number, CaseHandle case_item) {
  Trap("CaseHelper.ReopenCaseOnReply", [&] {
    if (GeneralSettingOn("tpoDontReopenCaseAutomatically")) return;
    auto resolved = GetResolvedFolder();
    if (!resolved) return;
    // An open case of the number counts first; only a closed one returns.
    if (!case_item) return;
    auto parent = case_item->Parent();
    if (!parent || !intake::SameFolder(*parent, *resolved)) return;
    ReOpenCase(case_item, Confirm::DontAsk);
    case_item = GetCaseItemFromID(number);
  });
  return case_item;
}

void NotifyOnReply(const CaseHandle& case_item, host::Item& item) {
  Trap("CaseHelper.NotifyTechnicianWhenCallerReplies", [&] {
    if (UCase(item.MessageClass()) != "IPM.NOTE") return;
    if (!case_item) return;
    cCase c;
    if (!c.GetCaseFromOutlookItem(case_item, SaveUnsaved::No)) return;
    case_item->SetUnRead(true);
    case_item->Save();
    // The technicians' mail reaches the case through its sent copy.
    NotifyTechniciansOfCallerReply(c, item);
  });
}

void EscalateOnReply(const CaseHandle& case_item) {
  Trap("CaseHelper.EscalateCaseOnReply", [&] {
    std::string status = GeneralSettingText("sdoCaseOptionStatusEscalatedCase");
    if (status.empty() || !case_item) return;
    if (!WriteItemProperty(*case_item, caseprop::kStatus, Variant(status),
                           VarType::String))
      return;
    case_item->Save();
  });
}

void CloseOnRequest(const CaseHandle& case_item) {
  Trap("CaseHelper.CloseCaseOnRequest", [&] {
    if (!case_item) return;
    // The caller asked for it and nobody is there to fill in fields: the
    // mandatory-field check is the technicians' when they close a case.
    MarkComplete(case_item, MandatoryCheck::Skip);
  });
}

}  // namespace

bool ProcessCallerReply(const std::shared_ptr<host::Item>& item, std::string_view number,
                        std::shared_ptr<host::Item>* case_handle) {
  return Trap("CaseHelper.ProcessCallerReply", false, [&] {
    if (!item) return false;
    const bool close_requested = IsCloseRequest(*item);
    CaseHandle case_item =
        case_handle && *case_handle ? *case_handle : GetCaseItemFromID(number);
    case_item = ReopenOnReply(number, std::move(case_item));
    if (case_handle) *case_handle = case_item;
    NotifyOnReply(case_item, *item);
    const bool added =
        AddEmailToCase(item, number, MailKind::Reply, ConversationKind::ReplyReceived,
                       AttachedBy::Monitoring, {}, case_item);
    EscalateOnReply(case_item);
    if (close_requested) CloseOnRequest(case_item);
    return added;
  });
}

bool IsCloseRequest(host::Item& item) {
  return Trap("CaseHelper.IsCloseRequest", false, [&] {
    for (const std::string& text :
         {LCase(item.Subject()), LCase(intake::PlainTextAsHtml(item.Body()))}) {
      if (Contains(text, "close case") || Contains(text, "close ticket")) return true;
    }
    return false;
  });
}

void ReopenCaseOnReply(std::string_view number) {
  ReopenOnReply(number, GetCaseItemFromID(number));
}

void NotifyTechnicianWhenCallerReplies(std::string_view number, host::Item& item) {
  NotifyOnReply(GetCaseItemFromID(number), item);
}

void EscalateCaseOnReply(std::string_view number) {
  EscalateOnReply(GetCaseItemFromID(number));
}

void CloseCaseOnRequest(std::string_view number) {
  CloseOnRequest(GetCaseItemFromID(number));
}

bool AddEmailToCase(const std::shared_ptr<host::Item>& item, std::string_view number,
                    MailKind kind, ConversationKind conversation, AttachedBy by,
                    std::string_view label, std::shared_ptr<host::Item> case_item) {
  return Trap("CaseHelper.AddEmailToCase", false, [&] {
    if (!item || !IsMailOrPost(*item)) return false;
    const std::string case_number(number);
    if (!case_item) case_item = GetCaseItemFromID(case_number);
    const std::string case_entry_id = case_item ? case_item->EntryID() : std::string();
    const std::string prefix = case_item ? SetPrefixCodeFromCaseItem(*case_item) : "";

    // Without the History folder the mail keeps its markers and no more.
    auto history = GetHistoryFolder();

    // The markers that say the mail belongs to the case.
    item->SetBillingInformation(case_number);
    item->SetFlagStatus(1);
    const std::string now = GeneralDateText(Now());
    item->SetFlagRequest(
        kind == MailKind::NewCase
            ? "Support Case # " + case_number + " generated from this email at " + now
            : "Added to Support Case #" + case_number + " on '" + now + "'");
    if (GeneralSettingOn("sdoInsertIDPrefixCodeToOriginalEmail"))
      AppendCaseTag(*item, prefix, case_number);

    // Monitoring always files the mail itself (and may keep a copy in view
    // under "Processed Emails"); a user's command files it or a copy.
    std::shared_ptr<host::MAPIFolder> processed_folder;
    bool move = true;
    if (by == AttachedBy::Monitoring) {
      if (GeneralSettingNumber("sdoMoveEmailOptionAuto") == 1)
        processed_folder = GetSetAsideFolder(item->Parent(), kProcessedFolderName);
    } else {
      move = GeneralSettingNumber("sdoMoveEmailOption") == 1;
    }

    if (kind != MailKind::NewCase) {
      const char* direction = kind == MailKind::Outgoing ? "Sent" : "Received";
      item->SetBillingInformation(case_number);
      WriteItemProperty(*item, "EmailFlag", Variant(direction), VarType::String);
    }
    // The mail filed into the History folder carries the case in its subject.
    if (history && move)
      item->SetSubject(HistorySubject(item->Subject(), prefix, case_number));
    // One save for all the markers, before the case is touched.
    item->Save();
    if (!history) return true;
    // The helpdesk's own mail is logged by whoever sent it.
    if (kind != MailKind::Outgoing && case_item)
      AddEmailLogEntry(*case_item, kind == MailKind::NewCase ? 13 : 12);

    std::shared_ptr<host::Item> history_item;
    std::shared_ptr<host::Item> in_view;
    if (move) {
      try {
        history_item = item->Move(history);
      } catch (const Error& error) {
        if (error.Number() != err::kMoveFailed) return false;
        // What stays behind is a leftover of a filed mail: the next arrival
        // deletes it.
        item->SetBillingInformation(kAlreadyProcessed);
        item->SetSubject("");
        item->Save();
      }
      if (history_item && processed_folder) {
        auto copy = history_item->Copy();
        in_view = copy->Move(processed_folder);
      }
    } else {
      if (GeneralSettingOn("sdoInsertIDPrefixCodeToOriginalEmail")) {
        AppendCaseTag(*item, prefix, case_number);
        item->Save();
      }
      auto copy = item->Copy();
      AppendCaseTag(*copy, prefix, case_number);
      copy->Save();
      history_item = copy->Move(history);
      in_view = item;
    }

    if (in_view && GeneralSettingOn("sdoEmbedShortcutLinkToReceivedEmails") &&
        in_view->BodyFormat() == static_cast<int32_t>(host::BodyFormat::HTML) &&
        !case_entry_id.empty()) {
      EmbedCaseLink(*in_view, case_entry_id, case_number);
    }

    if (history_item && conversation != ConversationKind::ProblemDescription &&
        GeneralSettingOn("sdoConsolidatedConversationEnabled") &&
        (conversation != ConversationKind::Notification ||
         GeneralSettingOn("sdoConsolidatedConversationAddSnippeForAutoMessage"))) {
      if (case_item)
        AddToConsolidatedConversation(*case_item, *history_item, conversation, label);
    }
    return true;
  });
}

void EmbedCaseLink(host::Item& mail, std::string_view case_entry_id,
                   std::string_view number) {
  Trap("CaseHelper.EmbedCaseLink", [&] {
    std::string upper = UCase(mail.MessageClass());
    if (upper != "IPM.NOTE" && upper != "IPM.POST" &&
        upper != UCase("IPM.Note.Rules.OofTemplate.Microsoft")) {
      return;
    }
    std::string previous = mail.HTMLBody();
    if (previous.empty()) previous = intake::PlainTextAsHtml(mail.Body());
    mail.SetHTMLBody(
        "<div align=\"right\"><table border=\"0\" width=\"100%\" cellspacing=\"1\" "
        "cellpadding=\"0\"><tr><td align=\"right\"><a href=\"outlook:" +
        std::string(case_entry_id) +
        "\"><b><font size=\"1\" face=\"Tahoma\">Support Case #" + std::string(number) +
        "</font></b></a></td></tr></table></div>\r\n" + previous);
    mail.SetBodyFormat(static_cast<int32_t>(host::BodyFormat::HTML));
    mail.Save();
  });
}

std::string GetTechnicianFromConversation(host::Item& item) {
  return Trap("CaseHelper.GetTechnicianFromConversation", std::string{}, [&] {
    if (!Contains(UCase(item.MessageClass()), "IPM.NOTE")) return std::string{};
    auto history = GetHistoryFolder();
    auto session = HelpdeskSession();
    if (!history || !session) return std::string{};
    const std::string index = item.ConversationIndex();
    // Each level of a conversation adds five bytes (ten hex digits) to the
    // index of the mail it answers.
    for (size_t level = 1; level <= 3; ++level) {
      if (index.size() <= 10 * level) break;
      std::string parent_index = index.substr(0, index.size() - 10 * level);
      host::Recordset rows = history->ExecSQL(
          "Select EntryID from Folder where ConversationIndex = '" +
          Replace(parent_index, "'", "''") + "' order by LastModificationTime desc");
      if (rows.RecordCount() == 0) continue;
      rows.MoveFirst();
      std::string entry_id = CStr(rows.Fields("EntryID").Value);
      std::shared_ptr<host::Item> found;
      try {
        found = session->GetItemFromID(entry_id, history->StoreID());
      } catch (const Error& error) {
        if (error.Number() != err::kNotFound && error.Number() != err::kObjectDeleted)
          throw;
      }
      return found ? ReadItemText(*found, "Technician") : std::string{};
    }
    return std::string{};
  });
}

}  // namespace zanvoro
