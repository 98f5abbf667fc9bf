// The consolidated conversation: each mail of a case copied into the case
// body under a framed header, newest first or oldest first, with its quoted
// history cut off and its attachments brought along.
#include <optional>

#include "case/cCase.h"
#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "host/client/Application.h"
#include "host/html/HtmlDocument.h"
#include "host/html/HtmlSanitizer.h"
#include "host/store/Item.h"
#include "host/store/Recipients.h"
#include "host/store/StoreTypes.h"
#include "intake/IntakeSupport.h"
#include "intake/ReplyThreading.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"

namespace zanvoro {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Nothing but white space (line breaks included).
// The mail client keeps HTML bodies from version 12 on.
bool ClientKeepsHtmlBodies() {
  RunningAddin* addin = ConnectedAddin();
  auto application = addin ? addin->HostApplication() : nullptr;
  return !application || application->MajorVersion() >= 12;
}

// The display text of an address: its name, else its address.
std::string DisplayText(std::string_view name, std::string_view address) {
  std::string text = Trim(name).empty() ? std::string(address) : std::string(name);
  return Replace(text, "'", "");
}

// The body of `mail` as it enters the conversation; "" when it has none.
std::string ConversationBody(host::Item& mail, host::Item& case_item) {
  std::string upper = UCase(mail.MessageClass());
  const bool mail_or_post = Contains(upper, "IPM.NOTE") || Contains(upper, "IPM.POST");
  if (mail_or_post && ClientKeepsHtmlBodies()) {
    const int32_t format = mail.BodyFormat();
    if (format == static_cast<int32_t>(host::BodyFormat::HTML) &&
        !IsBlank(mail.HTMLBody())) {
      return SafeHtmlWithoutQuotedHistory(mail.HTMLBody());
    }
    if (format == static_cast<int32_t>(host::BodyFormat::RichText))
      return SafeHtmlWithoutQuotedHistory(ConvertRichTextToHTML(mail, case_item));
  }
  std::string text = StripQuotedHistoryText(mail.Body());
  return IsBlank(text) ? std::string{} : intake::PlainTextAsHtml(text);
}

// The date an entry shows: when the mail came in, or when it went out.
Date EntryDate(host::Item& mail, ConversationKind kind) {
  if (kind == ConversationKind::ReplySent || kind == ConversationKind::Notification)
    return mail.SentOn();
  Date received = mail.ReceivedTime();
  if (received.IsNoDate() || received.IsZero()) return mail.CreationTime();
  return received;
}

std::string AttachmentsSnippet(std::string_view names) {
  return "<table border=\"1\" width=\"100%\" bordercolor=\"#808080\" "
         "style=\"border-collapse: "
         "collapse\" bgcolor=\"#F5F9FE\" cellpadding=\"2\">\r\n<tr>\r\n<td><font "
         "face=\"Tahoma\" style=\"font-size: 9pt\"><b>New Attachments:</b> " +
         HtmlEscape(names) + "</font></td>\r\n</tr>\r\n</table><br>";
}

// Whether `div` opens the mail client's quoted history: a solid top border
// of #b5c4df over 3pt of padding.
bool IsQuotedHistoryFrame(const host::HtmlElement& div) {
  host::InlineStyle style = div.Style();
  return style.BorderTopColor() == "#b5c4df" && style.PaddingTop() == "3pt" &&
         style.BorderTopStyle() == "solid";
}

}  // namespace

void AddToConsolidatedConversation(std::string_view number, host::Item& mail,
                                   ConversationKind kind, std::string_view label) {
  Trap("CaseHelper.AddToConsolidatedConversation", [&] {
    if (auto case_item = GetCaseItemFromID(number))
      AddToConsolidatedConversation(*case_item, mail, kind, label);
  });
}

void AddToConsolidatedConversation(host::Item& case_item, host::Item& mail,
                                   ConversationKind kind, std::string_view label) {
  Trap("CaseHelper.AddToConsolidatedConversation", [&] {
    std::string case_body = case_item.HTMLBody();
    if (case_body.empty()) case_body = intake::PlainTextAsHtml(case_item.Body());

    std::string mail_body = ConversationBody(mail, case_item);
    if (mail_body.empty()) return;

    std::string header = ConversationHeader(
        kind, EntryDate(mail, kind),
        ConversationHeaderText(kind, SenderText(mail), RecipientsText(mail), label),
        mail.EntryID());
    const bool newest_first =
        GeneralSettingNumber("sdoConsolidatedConversationOrdering") == 0;

    if (kind == ConversationKind::Notification) {
      std::string entry = header + mail_body;
      case_item.SetHTMLBody(newest_first ? InsertAfterBodyTag(entry, case_body)
                                          : InsertBeforeBodyEnd(entry, case_body));
      case_item.Save();
      return;
    }

    std::string entry = InsertAfterBodyTag(header, mail_body);
    if (GeneralSettingOn("sdoConsolidatedConversationAddAttachments")) {
      std::string names = CopyBodyAndAttachments(mail, case_item);
      if (GeneralSettingOn("sdoConsolidatedConversationAddAttachmentsSnippet") &&
          !names.empty()) {
        entry += "<br>\r\n" + AttachmentsSnippet(names);
      }
    }
    const std::string separator = "\r\n<BR>\r\n";
    case_item.SetHTMLBody(newest_first ? entry + separator + case_body
                                        : case_body + separator + entry);
    case_item.Save();
  });
}

// The frame is the same for every kind of entry.
std::string ConversationHeader(ConversationKind /*kind*/, Date when,
                               std::string_view text, std::string_view mail_entry_id) {
  std::string link_start, link_end;
  if (GeneralSettingOn("sdoConsolidatedConversationAddLink") && !mail_entry_id.empty()) {
    link_start = "<a href=\"outlook:" + std::string(mail_entry_id) + "\">";
    link_end = "</a>";
  }
  return "<DIV align=left>\r\n<TABLE bgcolor=\"#F0F0F4\" border=\"0\" width=\"100%\">\r\n"
         "<TR>\r\n<TD><font face=\"Tahoma\" style=\"font-size: 9pt\"><b>" +
         GeneralDateText(when) + "</b> - " + link_start + std::string(text) + link_end +
         "</font></TD>\r\n</TR>\r\n</TABLE>\r\n</DIV><BR>\r\n";
}

std::string ConversationHeaderText(ConversationKind kind, std::string_view sender,
                                   std::string_view recipients, std::string_view label) {
  const std::string from = HtmlEscape(sender), to = HtmlEscape(recipients);
  switch (kind) {
    case ConversationKind::ReplyReceived:
      return "Reply received from <b>" + from + "</b>";
    case ConversationKind::ReplySent:
      return "Reply sent to <b>" + to + "</b> by '<b>" + from + "</b>'";
    case ConversationKind::ProblemDescription:
      return "Problem description received from <b>" + from + "</b>";
    case ConversationKind::Notification:
      return HtmlEscape(label) + " <b>" + to + "</b>";
  }
  return {};
}

std::string SenderText(host::Item& mail) {
  return Trap("CaseHelper.SenderText", std::string{},
              [&] { return DisplayText(mail.SenderName(), mail.SenderEmailAddress()); });
}

std::string RecipientsText(host::Item& mail) {
  return Trap("CaseHelper.RecipientsText", std::string{}, [&] {
    host::Recipients& recipients = mail.Recipients();
    std::vector<std::string> texts;
    for (int32_t i = 1; i <= recipients.Count(); ++i) {
      host::Recipient* r = recipients.Item(i);
      texts.push_back(DisplayText(r->Name(), r->Address()));
    }
    return Join(texts, ";");
  });
}

std::string InsertAfterBodyTag(std::string_view text, std::string_view html) {
  size_t body = UCase(html).find("<BODY");
  if (body != std::string::npos) {
    size_t close = html.find('>', body);
    if (close != std::string_view::npos && close + 1 < html.size()) {
      return std::string(html.substr(0, close + 1)) + std::string(kCrLf) +
             std::string(text) + std::string(kCrLf) + std::string(html.substr(close + 1));
    }
  }
  return std::string(text) + std::string(kCrLf) + std::string(html);
}

std::string InsertBeforeBodyEnd(std::string_view text, std::string_view html) {
  size_t end = UCase(html).rfind("</BODY>");
  if (end != std::string::npos && html.size() - end < 21) {
    return std::string(html.substr(0, end)) + std::string(kCrLf) + std::string(text) +
           std::string(kCrLf) + std::string(html.substr(end));
  }
  return std::string(html) + std::string(kCrLf) + std::string(text);
}

namespace {

// Drops the quoted history (the frame a mail client writes above it, and
// everything after) from `doc`.
void RemoveQuotedHistory(host::HtmlDocument& doc) {
  for (host::HtmlElement& div : doc.GetElementsByTagName("div")) {
    if (!IsQuotedHistoryFrame(div)) continue;
    div.RemoveWithFollowing();
    break;
  }
}

}  // namespace

std::string StripQuotedHistoryHTML(std::string_view html) {
  return Trap("CaseHelper.StripQuotedHistoryHTML", std::string(html), [&] {
    if (IsBlank(html)) return std::string{};
    host::HtmlDocument doc(html);
    RemoveQuotedHistory(doc);
    return doc.Html();
  });
}

std::string SafeHtmlWithoutQuotedHistory(std::string_view html) {
  std::optional<std::string> safe =
      Trap("CaseHelper.SafeHtmlWithoutQuotedHistory", std::optional<std::string>(), [&] {
        if (IsBlank(html)) return std::optional<std::string>(std::string{});
        // One parse: the history goes, then what could run or load.
        host::HtmlDocument doc(html);
        RemoveQuotedHistory(doc);
        doc.Sanitize();
        return std::optional<std::string>(doc.Html());
      });
  // Cutting the history failed: the whole of it is kept, made safe.
  return safe ? *safe : host::SanitizeHtml(html);
}

std::string StripQuotedHistoryText(std::string_view text) {
  std::string kept(text);
  size_t from = kept.find("From:");
  if (from != std::string::npos) kept.resize(from);
  kept = Replace(kept, "_____", "");
  return Replace(kept, "-----Original Message-----", "");
}

}  // namespace zanvoro
