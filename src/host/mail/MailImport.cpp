#include "host/mail/MailImport.h"

#include <chrono>
#include <optional>

#include "host/mail/Charsets.h"
#include "host/mail/ConversationIndex.h"
#include "host/mail/HtmlToText.h"
#include "host/mail/MailAddress.h"
#include "host/mail/MimeReading.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/Recipients.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

using RawFields = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kOofClass = "IPM.Note.Rules.OofTemplate.Microsoft";

// Subjects that out-of-office assistants put in front of the original.
constexpr const char* kAutoReplySubjects[] = {
    "Out of Office",       "Automatic reply", "Auto:",      "Abwesenheitsnotiz",
    "Réponse automatique", "Autoreply",       "Auto-Reply", "Automatische Antwort"};

// Reply and forward markers a conversation topic leaves out.
constexpr const char* kSubjectPrefixes[] = {"RE", "FW", "FWD", "AW",   "WG", "SV",
                                            "VS", "TR", "RV",  "ANTW", "R"};

struct Body {
  std::string plain, html;
  bool has_plain = false, has_html = false;
  std::vector<Attachment::Row> attachments;
  std::string problem;  // the first damage found
};

bool HasAutoReplySubject(std::string_view subject) {
  std::string s = Trim(subject);
  for (const char* prefix : kAutoReplySubjects)
    if (StartsWithText(s, prefix)) return true;
  return false;
}

std::string ContentTypeRawParameter(const vmime::bodyPart& part, const char* name) {
  return LCase(Trim(ContentTypeParameter(part, name)));
}

bool HasMeetingRequest(const vmime::bodyPart& part, int depth) {
  if (depth > 20) return false;
  std::string type = MediaTypeOf(part);
  if (type == "text/calendar") {
    if (ContentTypeRawParameter(part, "method") == "request") return true;
    std::string ics = DecodedBytes(part);
    return InStr(ics, "METHOD:REQUEST", CompareMode::Text) > 0;
  }
  if (type.rfind("multipart/", 0) != 0) return false;
  auto body = part.getBody();
  for (size_t i = 0; i < body->getPartCount(); ++i)
    if (HasMeetingRequest(*body->getPartAt(i), depth + 1)) return true;
  return false;
}

// The report part a message carries: "delivery-status",
// "disposition-notification", "feedback-report" or "". Reports that leave
// out their report type (or are not marked as reports at all) still carry
// the part.
std::string ReportPartOf(const vmime::bodyPart& part, int depth) {
  if (depth > 20) return {};
  std::string type = MediaTypeOf(part);
  for (const char* kind :
       {"delivery-status", "disposition-notification", "feedback-report"}) {
    if (type == std::string("message/") + kind) return kind;
  }
  if (type.rfind("multipart/", 0) != 0) return {};
  auto body = part.getBody();
  for (size_t i = 0; i < body->getPartCount(); ++i) {
    std::string found = ReportPartOf(*body->getPartAt(i), depth + 1);
    if (!found.empty()) return found;
  }
  return {};
}

std::string ClassOf(const vmime::message& message, const RawFields& fields) {
  std::string type = MediaTypeOf(message);
  std::string report;
  if (type == "multipart/report")
    report = ContentTypeRawParameter(message, "report-type");
  if (report.empty()) report = ReportPartOf(message, 0);
  if (report == "delivery-status") return "REPORT.IPM.Note.NDR";
  if (report == "disposition-notification") return "REPORT.IPM.Note.IPNRN";
  if (report == "feedback-report") return "REPORT.IPM.Note.FeedbackReport";
  if (type == "multipart/signed") return "IPM.Note.SMIME.MultipartSigned";
  if (type == "application/pkcs7-mime" || type == "application/x-pkcs7-mime")
    return "IPM.Note.SMIME";
  if (HasMeetingRequest(message, 0)) return "IPM.Schedule.Meeting.Request";
  std::string auto_submitted = LCase(RawField(fields, "Auto-Submitted"));
  if (auto_submitted.rfind("auto-replied", 0) == 0) return kOofClass;
  if (!RawField(fields, "X-Autoreply").empty() ||
      !RawField(fields, "X-Autorespond").empty())
    return kOofClass;
  auto subject = message.getHeader()->findField(vmime::fields::SUBJECT);
  if (subject) {
    auto text = subject->getValue<vmime::text>();
    if (text && HasAutoReplySubject(TextOf(*text))) return kOofClass;
  }
  return "IPM.Note";
}

// The topic of a conversation: the subject without reply and forward markers.
std::string TopicOf(std::string subject) {
  for (bool again = true; again;) {
    again = false;
    std::string s = Trim(subject);
    size_t colon = s.find(':');
    if (colon == std::string::npos || colon > 4) break;
    std::string prefix = UCase(s.substr(0, colon));
    for (const char* p : kSubjectPrefixes) {
      if (prefix == p) {
        subject = s.substr(colon + 1);
        again = true;
        break;
      }
    }
  }
  return Trim(subject);
}

int32_t ImportanceOf(const RawFields& fields) {
  std::string importance = LCase(RawField(fields, "Importance"));
  if (importance.rfind("high", 0) == 0) return 2;
  if (importance.rfind("low", 0) == 0) return 0;
  if (importance.rfind("normal", 0) == 0) return 1;
  std::string priority = Trim(RawField(fields, "X-Priority"));
  if (!priority.empty()) {
    if (priority[0] == '1' || priority[0] == '2') return 2;
    if (priority[0] == '4' || priority[0] == '5') return 0;
  }
  return 1;
}

// The message IDs of a field ("<a@b> <c@d>"), each with its brackets.
std::vector<std::string> MessageIdsOf(std::string_view raw) {
  std::vector<std::string> ids;
  size_t pos = 0;
  while ((pos = raw.find('<', pos)) != std::string_view::npos) {
    size_t end = raw.find('>', pos);
    if (end == std::string_view::npos) break;
    std::string id(raw.substr(pos, end - pos + 1));
    if (id.size() > 2 && id.find_first_of(" \t") == std::string::npos) ids.push_back(id);
    pos = end + 1;
  }
  return ids;
}

std::string ExtensionFor(std::string_view mime_type) {
  static const std::pair<const char*, const char*> kExtensions[] = {
      {"text/plain", ".txt"},
      {"text/html", ".htm"},
      {"text/calendar", ".ics"},
      {"message/rfc822", ".eml"},
      {"image/png", ".png"},
      {"image/jpeg", ".jpg"},
      {"image/gif", ".gif"},
      {"application/pdf", ".pdf"},
      {"message/delivery-status", ".txt"},
      {"message/disposition-notification", ".txt"},
      {"text/rfc822-headers", ".txt"},
      {"application/pkcs7-signature", ".p7s"},
      {"application/x-pkcs7-signature", ".p7s"},
      {"application/pkcs7-mime", ".p7m"},
      {"application/x-pkcs7-mime", ".p7m"},
  };
  for (const auto& [type, ext] : kExtensions)
    if (mime_type == type) return ext;
  return ".dat";
}

std::string DefaultNameFor(const vmime::bodyPart& part, std::string_view mime_type) {
  if (mime_type == "message/rfc822") {
    // An attached mail is named after its subject, as mail clients show it.
    auto inner = vmime::make_shared<vmime::message>();
    inner->parse(DecodedBytes(part));
    auto subject = inner->getHeader()->findField(vmime::fields::SUBJECT);
    std::string name = subject && subject->getValue<vmime::text>()
                           ? Trim(TextOf(*subject->getValue<vmime::text>()))
                           : std::string();
    for (char& c : name)
      if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
          c == '<' || c == '>' || c == '|')
        c = '_';
    return (name.empty() ? "message" : name) + ".eml";
  }
  if (mime_type == "application/pkcs7-signature" ||
      mime_type == "application/x-pkcs7-signature")
    return "smime.p7s";
  if (mime_type == "application/pkcs7-mime" || mime_type == "application/x-pkcs7-mime")
    return "smime.p7m";
  if (mime_type == "text/calendar") return "invite.ics";
  return (mime_type.rfind("image/", 0) == 0 ? "image" : "attachment") +
         ExtensionFor(mime_type);
}

std::string ContentIdOf(const vmime::bodyPart& part) {
  auto field = part.getHeader()->findField(vmime::fields::CONTENT_ID);
  if (!field) return {};
  std::string id = Trim(field->getValue()->generate());
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>')
    id = id.substr(1, id.size() - 2);
  return id;
}

bool HasClosingBoundary(std::string_view raw, const std::string& boundary) {
  return raw.find("--" + boundary + "--") != std::string_view::npos;
}

void Collect(const vmime::bodyPart& part, std::string_view raw, Body& body, int depth) {
  if (depth > 40) {
    if (body.problem.empty()) body.problem = "its parts are nested too deeply";
    return;
  }
  std::string type = MediaTypeOf(part);
  if (type.rfind("multipart/", 0) == 0) {
    std::string boundary = ContentTypeParameter(part, "boundary");
    if (body.problem.empty() && (boundary.empty() || !HasClosingBoundary(raw, boundary)))
      body.problem = "the message ends before its last part is complete";
    auto parts = part.getBody();
    for (size_t i = 0; i < parts->getPartCount(); ++i)
      Collect(*parts->getPartAt(i), raw, body, depth + 1);
    return;
  }
  std::string disposition = DispositionOf(part);
  std::string file_name = DispositionParameter(part, "filename");
  if (file_name.empty()) file_name = ContentTypeParameter(part, "name");
  bool is_text = type == "text/plain" || type == "text/html";
  if (is_text && disposition != "attachment" && file_name.empty()) {
    std::string text =
        DecodeToUtf8(DecodedBytes(part), ContentTypeParameter(part, "charset"));
    // A NUL byte is never text; it would cut the body short further on.
    std::erase(text, '\0');
    if (type == "text/plain" && !body.has_plain) {
      body.plain = WithCrlf(text);
      body.has_plain = true;
      return;
    }
    if (type == "text/html" && !body.has_html) {
      body.html = std::move(text);
      body.has_html = true;
      return;
    }
  }
  Attachment::Row row;
  row.mime_type = type;
  row.content_id = ContentIdOf(part);
  row.file_name = Trim(file_name);
  if (row.file_name.empty()) row.file_name = DefaultNameFor(part, type);
  row.display_name = row.file_name;
  row.data = DecodedBytes(part);
  body.attachments.push_back(std::move(row));
}

// The first mailbox of the raw field `name`; nullopt when it names none.
std::optional<Mailbox> FirstMailbox(const RawFields& fields, std::string_view name) {
  std::vector<Mailbox> boxes = ParseMailboxList(RawField(fields, name));
  if (boxes.empty()) return std::nullopt;
  return boxes.front();
}

void SetSender(Item& item, const RawFields& fields) {
  // The address comes from the angle-addr, whatever the display name looks
  // like; of several authors in From, the first speaks.
  std::optional<Mailbox> from = FirstMailbox(fields, "From");
  std::optional<Mailbox> sender = FirstMailbox(fields, "Sender");
  auto name_of = [](const Mailbox& mb) { return mb.name.empty() ? mb.address : mb.name; };
  // Sent on behalf: the mailbox in From is the one the mail speaks for, the
  // Sender the person who sent it.
  std::optional<Mailbox> actual = from;
  if (sender && from && !TextEquals(sender->address, from->address)) {
    actual = sender;
    item.SetSentOnBehalfOfName(name_of(*from));
  } else if (!actual) {
    actual = sender;
  }
  if (!actual) return;
  item.SetSenderName(name_of(*actual));
  item.SetSenderEmailAddress(actual->address);
  item.SetSenderEmailType("SMTP");
}

void AddRecipients(Item& item, const RawFields& fields, std::string_view field_name,
                   RecipientType type) {
  for (const auto& [name, value] : fields) {
    if (!TextEquals(name, field_name)) continue;
    for (const Mailbox& mb : ParseMailboxList(value)) {
      item.Recipients().Append(Recipients::Row{
          type, mb.name.empty() ? mb.address : mb.name, mb.address, true});
    }
  }
}

// Everything a readable message gives the item; returns the damage found.
std::string Fill(Item& item, std::string_view rfc5322, Date received,
                 ImportOutcome& outcome) {
  RawFields fields = RawHeaderFields(rfc5322);
  auto message = vmime::make_shared<vmime::message>();
  message->parse(std::string(rfc5322));
  vmime::header& header = *message->getHeader();

  item.SetMessageClass(ClassOf(*message, fields));
  std::string subject;
  if (auto field = header.findField(vmime::fields::SUBJECT))
    if (auto text = field->getValue<vmime::text>()) subject = TextOf(*text);
  item.SetSubject(subject);
  SetSender(item, fields);
  AddRecipients(item, fields, "To", RecipientType::To);
  AddRecipients(item, fields, "Cc", RecipientType::CC);

  item.SetReceivedTime(received);
  std::optional<Date> sent;
  std::string raw_date = RawField(fields, "Date");
  if (!raw_date.empty())
    if (auto field = header.findField(vmime::fields::DATE))
      if (auto when = field->getValue<vmime::datetime>()) {
        // A date the library cannot read comes back as the start of 1970.
        bool unreadable = when->getYear() == 1970 && when->getMonth() == 1 &&
                          when->getDay() == 1 &&
                          raw_date.find("1970") == std::string::npos;
        if (!unreadable) sent = LocalDateOf(*when);
      }
  item.SetSentOn(sent.value_or(received));

  auto ids = MessageIdsOf(RawField(fields, "Message-ID"));
  if (!ids.empty()) {
    outcome.message_id = ids.front();
    item.SetMessageID(ids.front());
  }
  auto in_reply_to = MessageIdsOf(RawField(fields, "In-Reply-To"));
  if (!in_reply_to.empty()) item.SetInReplyTo(in_reply_to.front());
  auto references = MessageIdsOf(RawField(fields, "References"));
  if (!references.empty()) item.SetReferences(Join(references, " "));

  std::string index = ConversationIndexFromThreadIndex(RawField(fields, "Thread-Index"));
  if (index.empty()) index = NewConversationIndex(std::chrono::system_clock::now());
  item.SetConversationIndex(index);
  std::string topic;
  if (auto field = header.findField("Thread-Topic"))
    if (auto text = field->getValue<vmime::text>()) topic = Trim(TextOf(*text));
  item.SetConversationTopic(topic.empty() ? TopicOf(subject) : topic);
  item.SetImportance(ImportanceOf(fields));

  Body body;
  if (fields.empty()) body.problem = "it has no header";
  Collect(*message, rfc5322, body, 0);
  if (body.has_html) {
    item.SetHTMLBody(body.html);
    item.SetBody(body.has_plain ? body.plain : HtmlToText(body.html));
    item.SetBodyFormat(static_cast<int32_t>(BodyFormat::HTML));
  } else {
    item.SetBody(body.plain);
    item.SetBodyFormat(static_cast<int32_t>(BodyFormat::Plain));
  }
  for (auto& row : body.attachments) {
    Attachment* a =
        item.Attachments().AddBytes(row.file_name, std::move(row.data), row.mime_type);
    a->SetContentId(row.content_id);
  }
  return body.problem;
}

// Some programs write a UTF-8 byte-order mark before the first header,
// which would hide that header.
std::string_view WithoutByteOrderMark(std::string_view rfc5322) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  while (rfc5322.substr(0, kBom.size()) == kBom) rfc5322.remove_prefix(kBom.size());
  return rfc5322;
}

void MarkDamaged(Item& item, std::string_view rfc5322, const std::string& problem,
                 ImportOutcome& outcome) {
  outcome.damaged = true;
  outcome.problem = problem;
  std::string note = "This message could not be read in full: " + problem +
                     ". The original message is attached as original.eml.";
  std::string readable = item.Body();
  item.SetBody(readable.empty() ? note : note + "\r\n\r\n" + readable);
  item.SetHTMLBody("");
  item.SetBodyFormat(static_cast<int32_t>(BodyFormat::Plain));
  item.Attachments().AddBytes("original.eml", std::string(rfc5322), "message/rfc822");
}

}  // namespace

std::string MessageClassFor(std::string_view rfc5322) {
  rfc5322 = WithoutByteOrderMark(rfc5322);
  try {
    auto message = vmime::make_shared<vmime::message>();
    message->parse(std::string(rfc5322));
    return ClassOf(*message, RawHeaderFields(rfc5322));
  } catch (const std::exception&) {
    return "IPM.Note";
  }
}

ImportOutcome ImportMessage(std::string_view rfc5322, Item& item, Date received) {
  rfc5322 = WithoutByteOrderMark(rfc5322);
  ImportOutcome outcome;
  std::string problem;
  try {
    problem = Fill(item, rfc5322, received, outcome);
  } catch (const std::exception& e) {
    problem = std::string("the mail library could not read it (") + e.what() + ")";
  }
  if (!problem.empty()) {
    // Whatever was read stays; what could not be read is in the original.
    try {
      if (item.MessageClass().empty()) item.SetMessageClass("IPM.Note");
      if (item.ReceivedTime().IsNoDate()) item.SetReceivedTime(received);
    } catch (const std::exception&) {
    }
    MarkDamaged(item, rfc5322, problem, outcome);
  }
  return outcome;
}

}  // namespace zanvoro::host
