#include "host/html/HtmlSanitizer.h"

#include <array>
#include <cctype>

#include "host/html/HtmlDocument.h"
#include "host/html/HtmlTree.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

enum class Verdict { Keep, Unwrap, Drop };

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names)
    if (name == n) return true;
  return false;
}

// Gone with everything inside: what runs, loads, submits or hides markup.
bool IsDropped(std::string_view name) {
  return IsOneOf(
      name,
      {"script",  "noscript", "iframe",   "frame",    "frameset", "noframes", "object",
       "embed",   "applet",   "param",    "input",    "button",   "select",   "textarea",
       "option",  "optgroup", "keygen",   "datalist", "output",   "base",     "link",
       "svg",     "math",     "template", "noembed",  "xml",      "xmp",      "plaintext",
       "bgsound", "audio",    "video",    "source",   "track",    "canvas",   "portal",
       "layer",   "ilayer",   "isindex",  "slot",     "dialog"});
}

bool IsKept(std::string_view name) {
  return IsOneOf(
      name,
      {"html",    "head",   "body",       "title",      "style",   "meta",    "div",
       "span",    "p",      "br",         "hr",         "h1",      "h2",      "h3",
       "h4",      "h5",     "h6",         "b",          "i",       "u",       "s",
       "strike",  "em",     "strong",     "small",      "big",     "sub",     "sup",
       "font",    "center", "blockquote", "pre",        "code",    "tt",      "kbd",
       "samp",    "var",    "q",          "cite",       "abbr",    "acronym", "address",
       "del",     "ins",    "mark",       "dfn",        "bdo",     "bdi",     "ul",
       "ol",      "li",     "dl",         "dt",         "dd",      "dir",     "menu",
       "table",   "thead",  "tbody",      "tfoot",      "tr",      "td",      "th",
       "caption", "col",    "colgroup",   "a",          "img",     "map",     "area",
       "wbr",     "nobr",   "figure",     "figcaption", "section", "article", "header",
       "footer",  "nav",    "aside",      "main",       "details", "summary", "time",
       "ruby",    "rt",     "rp",         "o:p"});
}

bool IsKeptAttribute(std::string_view name) {
  return IsOneOf(
      name,
      {"class",       "id",      "style",      "title",    "lang",       "dir",
       "align",       "valign",  "width",      "height",   "border",     "cellpadding",
       "cellspacing", "bgcolor", "color",      "face",     "size",       "colspan",
       "rowspan",     "nowrap",  "alt",        "name",     "target",     "start",
       "type",        "span",    "frame",      "rules",    "summary",    "abbr",
       "axis",        "headers", "scope",      "char",     "charoff",    "hspace",
       "vspace",      "usemap",  "shape",      "coords",   "datetime",   "clear",
       "compact",     "noshade", "value",      "reversed", "text",       "link",
       "vlink",       "alink",   "href",       "src",      "background", "cite",
       "content",     "charset", "http-equiv", "media",    "open"});
}

bool IsUrlAttribute(std::string_view name) {
  return IsOneOf(name, {"href", "src", "background", "cite"});
}

// The URL as a browser reads it: blanks and control characters inside a
// scheme name do not count.
std::string Condensed(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (u > 0x20 && u != 0x7F) out += static_cast<char>(std::tolower(u));
  }
  return out;
}

bool IsPictureData(std::string_view url) {
  for (std::string_view type : {"data:image/png", "data:image/gif", "data:image/jpeg",
                                "data:image/jpg", "data:image/webp", "data:image/bmp"}) {
    if (url.substr(0, type.size()) == type &&
        (url.size() == type.size() || url[type.size()] == ';' || url[type.size()] == ','))
      return true;
  }
  return false;
}

enum class UrlUse { Link, Picture };

bool IsSafeUrl(std::string_view value, UrlUse use) {
  std::string url = Condensed(value);
  size_t colon = url.find(':');
  size_t other = url.find_first_of("/?#");
  // No scheme: a relative address or an anchor.
  if (colon == std::string::npos || (other != std::string::npos && other < colon))
    return true;
  std::string_view scheme = std::string_view(url).substr(0, colon);
  if (IsOneOf(scheme, {"http", "https", "mailto", "tel", "ftp", "cid", "outlook"}))
    return true;
  return use == UrlUse::Picture && scheme == "data" && IsPictureData(url);
}

// CSS that cannot run script, bind behaviours or fetch styles: escapes
// would hide any of it, so a style with a backslash is refused whole.
bool IsSafeCss(std::string_view css) {
  std::string text;
  text.reserve(css.size());
  for (size_t i = 0; i < css.size(); ++i) {
    if (css.substr(i, 2) == "/*") {
      size_t end = css.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 1;
      continue;
    }
    text += css[i];
  }
  std::string flat = Condensed(text);
  if (flat.find('\\') != std::string::npos) return false;
  for (std::string_view bad : {"expression(", "javascript:", "vbscript:", "behavior:",
                               "behaviour:", "-moz-binding", "@import", "<"}) {
    if (flat.find(bad) != std::string::npos) return false;
  }
  for (size_t at = flat.find("url("); at != std::string::npos;
       at = flat.find("url(", at + 4)) {
    size_t end = flat.find(')', at);
    std::string inner =
        flat.substr(at + 4, end == std::string::npos ? std::string::npos : end - at - 4);
    std::erase(inner, '"');
    std::erase(inner, '\'');
    if (!IsSafeUrl(inner, UrlUse::Picture)) return false;
  }
  return true;
}

// The text of a node or an attribute, entities decoded.
std::string TextContent(const xmlNode* node) {
  xmlChar* text = xmlNodeGetContent(node);
  std::string out = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return out;
}

std::string AttributeValue(const xmlAttr* attribute) {
  return TextContent(reinterpret_cast<const xmlNode*>(attribute));
}

std::string AttributeName(const xmlAttr* attribute) {
  std::string name;
  if (attribute->ns && attribute->ns->prefix) {
    name = reinterpret_cast<const char*>(attribute->ns->prefix);
    name += ':';
  }
  name += reinterpret_cast<const char*>(attribute->name);
  return LCase(name);
}

bool IsSafeAttribute(std::string_view element, const xmlAttr* attribute) {
  std::string name = AttributeName(attribute);
  if (!IsKeptAttribute(name)) return false;
  if (name == "style") return IsSafeCss(AttributeValue(attribute));
  if (IsUrlAttribute(name)) {
    UrlUse use = element == "img" && name == "src" ? UrlUse::Picture : UrlUse::Link;
    return IsSafeUrl(AttributeValue(attribute), use);
  }
  if (name == "http-equiv")
    return TextEquals(Trim(AttributeValue(attribute)), "content-type");
  return true;
}

void CleanAttributes(xmlNodePtr node, std::string_view element) {
  xmlAttrPtr attribute = node->properties;
  while (attribute) {
    xmlAttrPtr next = attribute->next;
    if (!IsSafeAttribute(element, attribute)) xmlRemoveProp(attribute);
    attribute = next;
  }
}

// Elements that never hold content. The parser may still nest what follows
// them inside; that is the mail's text and stays.
bool IsVoidElement(std::string_view name) {
  return IsOneOf(name, {"embed", "input", "param", "keygen", "source", "track", "base",
                        "link", "meta", "isindex", "bgsound", "frame"});
}

Verdict Judge(const xmlNode* node, const std::string& name) {
  if (IsDropped(name)) return IsVoidElement(name) ? Verdict::Unwrap : Verdict::Drop;
  if (!IsKept(name)) return Verdict::Unwrap;
  if (name == "style" && !IsSafeCss(TextContent(node))) return Verdict::Drop;
  if (name == "meta") {
    for (const xmlAttr* a = node->properties; a; a = a->next)
      if (AttributeName(a) == "http-equiv" && !IsSafeAttribute(name, a))
        return Verdict::Unwrap;
  }
  return Verdict::Keep;
}

// The node after `node` in document order, not entering its children; null
// past the last node inside `top`.
xmlNodePtr NextOutside(xmlNodePtr node, xmlNodePtr top) {
  while (node && node != top && !node->next) node = node->parent;
  if (!node || node == top) return nullptr;
  return node->next;
}

void Clean(xmlNodePtr top) {
  xmlNodePtr node = top->children;
  while (node) {
    if (node->type == XML_TEXT_NODE || node->type == XML_ENTITY_REF_NODE) {
      node = NextOutside(node, top);
      continue;
    }
    if (node->type != XML_ELEMENT_NODE) {
      // Comments, processing instructions, CDATA: nothing a reader sees.
      xmlNodePtr next = NextOutside(node, top);
      xmlUnlinkNode(node);
      xmlFreeNode(node);
      node = next;
      continue;
    }
    const std::string name = ElementName(node);
    switch (Judge(node, name)) {
      case Verdict::Drop: {
        xmlNodePtr next = NextOutside(node, top);
        xmlUnlinkNode(node);
        xmlFreeNode(node);
        node = next;
        break;
      }
      case Verdict::Unwrap: {
        xmlNodePtr first = node->children;
        while (xmlNodePtr child = node->children) {
          xmlUnlinkNode(child);
          xmlAddPrevSibling(node, child);
        }
        xmlNodePtr next = first ? first : NextOutside(node, top);
        xmlUnlinkNode(node);
        xmlFreeNode(node);
        node = next;
        break;
      }
      case Verdict::Keep:
        CleanAttributes(node, name);
        node =
            node->children && name != "style" ? node->children : NextOutside(node, top);
        break;
    }
  }
}

}  // namespace

void HtmlDocument::Sanitize() {
  xmlNodePtr root = xmlDocGetRootElement(tree_->doc);
  if (!root) return;
  CleanAttributes(root, "html");
  Clean(root);
}

std::string SanitizeHtml(std::string_view html) {
  // A new case makes the same mail safe for its body and again for the
  // confirmation that quotes it: the last result is kept, for mails of
  // ordinary size.
  constexpr size_t kLargestKept = 512 * 1024;
  thread_local std::string last_html;
  thread_local std::string last_safe;
  if (!last_html.empty() && html == last_html) return last_safe;
  HtmlDocument doc(html);
  doc.Sanitize();
  std::string safe = doc.Html();
  if (html.size() <= kLargestKept) {
    // Emptied first: a copy that fails half-way leaves nothing kept, never
    // one mail's input paired with another's result.
    last_html.clear();
    last_safe = safe;
    last_html.assign(html);
  }
  return safe;
}

}  // namespace zanvoro::host
