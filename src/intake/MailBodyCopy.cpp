// Bringing a mail's body and attachments into another item: a rich-text
// body as HTML with its pictures embedded, and the attachments copied with
// the embedded pictures kept embedded.
//
// A rich-text mail keeps its formatted body as HTML whose pictures are
// attachments of the mail referenced by file name (<img src="image001.png">,
// or a path that ends in it), the way the mail client writes such a body
// out as a page with its "_files" folder. Referenced by "cid:" instead,
// they travel with the HTML.
#include <set>

#include "errors/Trap.h"
#include "host/html/HtmlDocument.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/StoreTypes.h"
#include "intake/IntakeSupport.h"
#include "intake/ReplyThreading.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

// The object the mail client attaches for a picture pasted into a
// rich-text body; it has no file of its own to copy.
constexpr std::string_view kBitmapObjectName = "picture (device independent bitmap)";

// Nothing but white space (line breaks included).
bool IsRichText(host::Item& item) {
  return item.BodyFormat() == static_cast<int32_t>(host::BodyFormat::RichText);
}

// The picture-type test: the file types a mail body can show.
bool IsPicture(const host::Attachment& attachment) {
  std::string name = LCase(attachment.FileName());
  size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (const char* type : {"png", "jpg", "jpeg", "jpe", "gif", "bmp", "tif", "tiff"})
    if (extension == type) return true;
  return StartsWithText(attachment.MimeType(), "image/");
}

// The file name a picture source ends in ("a/b%20c.png" gives "b c.png");
// "" for "cid:" sources.
std::string SourceFileName(std::string_view source) {
  if (StartsWithText(source, "cid:")) return {};
  size_t slash = source.find_last_of("/\\");
  std::string name(slash == std::string_view::npos ? source : source.substr(slash + 1));
  return Replace(name, "%20", " ");
}

// The file names (lower case) the rich-text body's pictures refer to.
std::set<std::string> PicturesReferencedByName(std::string_view html) {
  std::set<std::string> names;
  if (IsBlank(html)) return names;
  host::HtmlDocument doc(html);
  for (const host::HtmlElement& img : doc.GetElementsByTagName("img")) {
    std::string name = SourceFileName(img.GetAttribute("src"));
    if (!name.empty()) names.insert(LCase(name));
  }
  return names;
}

// Adds `attachment`'s bytes to `to`, in place of one of the same file name.
void PutAttachment(host::Item& to, const host::Attachment& attachment,
                   std::string_view content_id, std::string_view mime_type) {
  host::Attachments& target = to.Attachments();
  for (int32_t i = target.Count(); i >= 1; --i)
    if (TextEquals(target.Item(i)->FileName(), attachment.FileName())) target.Remove(i);
  host::Attachment* added =
      target.AddBytes(attachment.FileName(), attachment.Bytes(), mime_type);
  added->SetDisplayName(attachment.DisplayName());
  added->SetContentId(content_id);
}

}  // namespace

std::string ConvertRichTextToHTML(host::Item& mail, host::Item& target) {
  return Trap("CaseHelper.ConvertRichTextToHTML", std::string{}, [&] {
    std::string html = mail.HTMLBody();
    if (IsBlank(html)) {
      std::string text = mail.Body();
      if (IsBlank(text)) return std::string{};
      return "<html><body>" + intake::PlainTextAsHtml(text) + "</body></html>";
    }
    host::HtmlDocument doc(html);
    host::Attachments& attachments = mail.Attachments();
    for (host::HtmlElement& img : doc.GetElementsByTagName("img")) {
      std::string name = SourceFileName(img.GetAttribute("src"));
      if (name.empty()) continue;
      for (int32_t i = 1; i <= attachments.Count(); ++i) {
        const host::Attachment& picture = *attachments.Item(i);
        if (!IsPicture(picture) || !TextEquals(picture.FileName(), name)) continue;
        img.SetAttribute("src", "cid:" + picture.FileName());
        PutAttachment(target, picture, picture.FileName(), picture.MimeType());
        break;
      }
    }
    return doc.Html();
  });
}

std::string CopyBodyAndAttachments(host::Item& from, host::Item& to) {
  return Trap("CaseHelper.CopyBodyAndAttachments", std::string{}, [&] {
    const std::string html = LCase(from.HTMLBody());
    const std::set<std::string> by_name = IsRichText(from)
                                              ? PicturesReferencedByName(from.HTMLBody())
                                              : std::set<std::string>{};
    host::Attachments& attachments = from.Attachments();
    std::vector<std::string> names;
    for (int32_t i = 1; i <= attachments.Count(); ++i) {
      const host::Attachment& attachment = *attachments.Item(i);
      if (LCase(attachment.FileName()) == kBitmapObjectName) continue;
      std::string content_id = Trim(attachment.ContentId());
      bool embedded = !content_id.empty() &&
                      html.find("cid:" + LCase(content_id)) != std::string::npos;
      if (!embedded && IsPicture(attachment) &&
          by_name.count(LCase(attachment.FileName()))) {
        // A rich-text picture: embedded under its file name, as the
        // converted body refers to it.
        content_id = attachment.FileName();
        embedded = true;
      }
      if (embedded) {
        std::string mime =
            attachment.MimeType().empty() ? "image/jpeg" : attachment.MimeType();
        PutAttachment(to, attachment, content_id, mime);
      } else {
        PutAttachment(to, attachment, "", attachment.MimeType());
        names.push_back(attachment.FileName());
      }
    }
    return Join(names, "; ");
  });
}

}  // namespace zanvoro
