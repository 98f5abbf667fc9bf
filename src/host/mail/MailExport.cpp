#include "host/mail/MailExport.h"

#include <chrono>
#include <random>

#include "host/mail/Charsets.h"
#include "host/mail/ConversationIndex.h"
#include "host/mail/HtmlToText.h"
#include "host/mail/MimeReading.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/Recipients.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "Mail";

Error SendError(std::string description) {
  return Error(err::kCallFailed, std::move(description), kSource);
}

std::string RandomHex(size_t bytes) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes; ++i) {
    auto b = static_cast<unsigned>(random() & 0xFF);
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

vmime::mailbox MailboxOf(std::string_view name, std::string_view address) {
  std::string shown = Trim(name);
  if (shown == address) shown.clear();
  return vmime::mailbox(vmime::text(shown, vmime::charset(vmime::charsets::UTF_8)),
                        vmime::emailAddress(std::string(address)));
}

// "Name <a@b>" or "a@b" as a name and an address; nothing when there is no
// address in it.
bool SplitMailbox(std::string_view text, std::string& name, std::string& address) {
  std::string s = Trim(text);
  size_t open = s.rfind('<');
  size_t close = s.rfind('>');
  if (open != std::string::npos && close != std::string::npos && close > open) {
    address = Trim(s.substr(open + 1, close - open - 1));
    name = Trim(s.substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
      name = name.substr(1, name.size() - 2);
  } else {
    address = s;
    name.clear();
  }
  if (address.find('@') != std::string::npos &&
      address.find_first_of(" \t,;") == std::string::npos)
    return true;
  name.clear();
  address.clear();
  return false;
}

void AddField(vmime::header& header, const std::string& name, const std::string& value) {
  header.appendField(vmime::headerFieldFactory::getInstance()->create(name, value));
}

void MakeText(vmime::bodyPart& part, const std::string& utf8, const char* subtype) {
  part.getBody()->setContents(
      vmime::make_shared<vmime::stringContentHandler>(WithCrlf(utf8)),
      vmime::mediaType(vmime::mediaTypes::TEXT, subtype),
      vmime::charset(vmime::charsets::UTF_8),
      vmime::encoding(vmime::encodingTypes::QUOTED_PRINTABLE));
}

std::shared_ptr<vmime::bodyPart> TextPart(const std::string& utf8, const char* subtype) {
  auto part = vmime::make_shared<vmime::bodyPart>();
  MakeText(*part, utf8, subtype);
  return part;
}

void MakeMultipart(vmime::bodyPart& part, const char* subtype,
                   const std::vector<std::shared_ptr<vmime::bodyPart>>& children) {
  part.getHeader()->ContentType()->setValue(
      vmime::mediaType(vmime::mediaTypes::MULTIPART, subtype));
  part.getHeader()
      ->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE)
      ->setBoundary(vmime::body::generateRandomBoundaryString());
  for (const auto& child : children) part.getBody()->appendPart(child);
}

std::shared_ptr<vmime::bodyPart> MultipartOf(
    const char* subtype, const std::vector<std::shared_ptr<vmime::bodyPart>>& children) {
  auto part = vmime::make_shared<vmime::bodyPart>();
  MakeMultipart(*part, subtype, children);
  return part;
}

std::string MimeTypeFor(const Attachment& attachment) {
  std::string type = LCase(Trim(attachment.MimeType()));
  if (type.find('/') != std::string::npos) return type;
  static const std::pair<const char*, const char*> kTypes[] = {
      {".txt", "text/plain"},      {".htm", "text/html"},  {".html", "text/html"},
      {".pdf", "application/pdf"}, {".png", "image/png"},  {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},     {".gif", "image/gif"},  {".eml", "message/rfc822"},
      {".ics", "text/calendar"},   {".csv", "text/csv"},   {".xml", "text/xml"},
      {".zip", "application/zip"}, {".log", "text/plain"},
  };
  std::string name = LCase(attachment.FileName());
  for (const auto& [ext, mime] : kTypes) {
    std::string_view e(ext);
    if (name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0)
      return mime;
  }
  return "application/octet-stream";
}

std::shared_ptr<vmime::bodyPart> AttachmentPart(const Attachment& attachment,
                                                bool inline_) {
  auto part = vmime::make_shared<vmime::bodyPart>();
  std::string type = MimeTypeFor(attachment);
  size_t slash = type.find('/');
  vmime::mediaType media(type.substr(0, slash), type.substr(slash + 1));
  // An attached mail goes as it is; everything else as base64, which keeps
  // every byte (line ends included) exactly.
  vmime::encoding encoding(type == "message/rfc822" ? vmime::encodingTypes::EIGHT_BIT
                                                    : vmime::encodingTypes::BASE64);
  part->getBody()->setContents(
      vmime::make_shared<vmime::stringContentHandler>(attachment.Bytes()), media);
  part->getBody()->setEncoding(encoding);
  auto header = part->getHeader();
  vmime::word name(attachment.FileName(), vmime::charset(vmime::charsets::UTF_8));
  header->ContentType()->setValue(media);
  auto content_type =
      header->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
  content_type->appendParameter(vmime::make_shared<vmime::parameter>("name", name));
  header->ContentDisposition()->setValue(
      vmime::contentDisposition(inline_ ? vmime::contentDispositionTypes::INLINE
                                        : vmime::contentDispositionTypes::ATTACHMENT));
  auto disposition = header->findField<vmime::contentDispositionField>(
      vmime::fields::CONTENT_DISPOSITION);
  disposition->setFilename(name);
  if (!attachment.ContentId().empty())
    header->ContentId()->setValue(vmime::messageId("<" + attachment.ContentId() + ">"));
  return part;
}

// The HTML refers to the picture by its content ID ("cid:logo@x").
bool IsReferenced(const std::string& html, const Attachment& attachment) {
  return !attachment.ContentId().empty() &&
         InStr(html, "cid:" + attachment.ContentId(), CompareMode::Text) > 0;
}

struct Envelope {
  vmime::addressList to, cc;
  std::vector<std::string> recipients;
};

Envelope RecipientsOf(Item& item) {
  Envelope envelope;
  Recipients& recipients = item.Recipients();
  if (recipients.Count() == 0)
    throw SendError("The item has no recipients, so it cannot be sent.");
  for (int32_t i = 1; i <= recipients.Count(); ++i) {
    Recipient* r = recipients.Item(i);
    std::string name = r->Name(), address = r->Address();
    if (address.empty()) {
      std::string split_name;
      if (SplitMailbox(r->Name(), split_name, address)) {
        name = split_name;
      } else if (r->Resolve()) {
        name = r->Name();
        address = r->Address();
      }
    }
    if (address.empty())
      throw SendError("The recipient \"" + r->Name() +
                      "\" has no e-mail address, so the item cannot be sent.");
    envelope.recipients.push_back(address);
    auto mailbox = vmime::make_shared<vmime::mailbox>(MailboxOf(name, address));
    if (r->Type() == RecipientType::To) envelope.to.appendAddress(mailbox);
    if (r->Type() == RecipientType::CC) envelope.cc.appendAddress(mailbox);
  }
  return envelope;
}

void SetBodies(vmime::message& message, Item& item) {
  std::vector<Attachment*> inline_parts, attached;
  Attachments& attachments = item.Attachments();
  std::string html = item.HTMLBody();
  bool as_html =
      item.BodyFormat() != static_cast<int32_t>(BodyFormat::Plain) && !Trim(html).empty();
  for (int32_t i = 1; i <= attachments.Count(); ++i) {
    Attachment* a = attachments.Item(i);
    (as_html && IsReferenced(html, *a) ? inline_parts : attached).push_back(a);
  }

  std::shared_ptr<vmime::bodyPart> content;
  if (as_html) {
    content = MultipartOf(vmime::mediaTypes::MULTIPART_ALTERNATIVE,
                          {TextPart(HtmlToText(html), vmime::mediaTypes::TEXT_PLAIN),
                           TextPart(html, vmime::mediaTypes::TEXT_HTML)});
    if (!inline_parts.empty()) {
      std::vector<std::shared_ptr<vmime::bodyPart>> related{content};
      for (Attachment* a : inline_parts) related.push_back(AttachmentPart(*a, true));
      content = MultipartOf(vmime::mediaTypes::MULTIPART_RELATED, related);
    }
  }
  if (attached.empty()) {
    if (!content) {
      MakeText(message, item.Body(), vmime::mediaTypes::TEXT_PLAIN);
      return;
    }
    // The one part becomes the message's own content.
    message.getHeader()->ContentType()->setValue(
        *content->getHeader()->ContentType()->getValue());
    for (const auto& child : content->getBody()->getPartList())
      message.getBody()->appendPart(child);
    return;
  }
  if (!content) content = TextPart(item.Body(), vmime::mediaTypes::TEXT_PLAIN);
  std::vector<std::shared_ptr<vmime::bodyPart>> mixed{content};
  for (Attachment* a : attached) mixed.push_back(AttachmentPart(*a, false));
  MakeMultipart(message, vmime::mediaTypes::MULTIPART_MIXED, mixed);
}

}  // namespace

ExportedMail ExportMessage(Item& item, const ExportOptions& options) {
  if (options.user.Address.empty())
    throw SendError("The profile has no e-mail address to send from.");
  Envelope envelope = RecipientsOf(item);
  ExportedMail out;
  try {
    auto message = vmime::make_shared<vmime::message>();
    auto header = message->getHeader();

    std::string behalf = Trim(item.SentOnBehalfOfName());
    if (!behalf.empty()) {
      std::string name, address;
      if (!SplitMailbox(behalf, name, address))
        throw SendError("The mailbox \"" + behalf +
                        "\" to send on behalf of has no e-mail address.");
      header->From()->setValue(MailboxOf(name, address));
      header->Sender()->setValue(MailboxOf(options.user.Name, options.user.Address));
    } else {
      header->From()->setValue(MailboxOf(options.user.Name, options.user.Address));
    }
    if (!envelope.to.isEmpty()) header->To()->setValue(envelope.to);
    if (!envelope.cc.isEmpty()) header->Cc()->setValue(envelope.cc);
    header->Subject()->setValue(
        vmime::text(item.Subject(), vmime::charset(vmime::charsets::UTF_8)));
    header->Date()->setValue(MimeDateOf(options.now.IsZero() ? Now() : options.now));
    out.message_id = "<" + RandomHex(16) + "@" + options.message_id_domain + ">";
    AddField(*header, "Message-ID", out.message_id);
    if (!Trim(item.InReplyTo()).empty())
      AddField(*header, "In-Reply-To", Trim(item.InReplyTo()));
    if (!Trim(item.References()).empty())
      AddField(*header, "References", Trim(item.References()));
    std::string thread_index = ThreadIndexFromConversationIndex(item.ConversationIndex());
    if (!thread_index.empty()) AddField(*header, "Thread-Index", thread_index);
    if (!item.ConversationTopic().empty())
      header->getField("Thread-Topic")
          ->setValue(vmime::text(item.ConversationTopic(),
                                 vmime::charset(vmime::charsets::UTF_8)));
    if (item.Importance() == 2) {
      AddField(*header, "Importance", "high");
      AddField(*header, "X-Priority", "1 (Highest)");
    } else if (item.Importance() == 0) {
      AddField(*header, "Importance", "low");
      AddField(*header, "X-Priority", "5 (Lowest)");
    }
    if (item.ReadReceiptRequested())
      header->DispositionNotificationTo()->setValue(
          MailboxOf(options.user.Name, options.user.Address));
    if (options.origin == MailOrigin::Generated) {
      // Answering machines must not answer mail that a machine wrote.
      AddField(*header, "Auto-Submitted", "auto-generated");
      AddField(*header, "X-Auto-Response-Suppress", "All");
    }
    AddField(*header, "MIME-Version", "1.0");
    SetBodies(*message, item);
    out.rfc5322 = message->generate();
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    throw SendError(std::string("The item could not be written as a mail: ") + e.what());
  }
  out.envelope_recipients = std::move(envelope.recipients);
  out.envelope_from = options.user.Address;
  return out;
}

}  // namespace zanvoro::host
