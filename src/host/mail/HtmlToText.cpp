#include "host/mail/HtmlToText.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>

#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

bool NameIs(const xmlNode* node, const char* name) {
  return node->name && xmlStrcasecmp(node->name, BAD_CAST name) == 0;
}

bool IsAnyOf(const xmlNode* node, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (NameIs(node, n)) return true;
  return false;
}

std::string Attribute(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, BAD_CAST name);
  if (!value) return {};
  std::string out(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return out;
}

// Builds the text line by line: white space collapses to one space, a
// pending line break is written only before the next visible text, so
// nested blocks do not pile up empty lines.
class TextWriter {
 public:
  void Text(std::string_view s) {
    for (char c : s) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
        space_pending_ = true;
        continue;
      }
      Flush();
      out_ += c;
    }
  }
  // Starts a new line; `blank` leaves an empty line between (paragraphs).
  void Break(bool blank = false) {
    int want = blank ? 2 : 1;
    if (want > breaks_) breaks_ = want;
    space_pending_ = false;
  }
  void HardBreak() {  // <br>: every one counts
    ++breaks_;
    space_pending_ = false;
  }
  void Quote(int delta) { quote_depth_ += delta; }
  const std::string& Finish() const { return out_; }

 private:
  void Flush() {
    if (out_.empty()) {
      AppendQuote();
    } else if (breaks_ > 0) {
      // An empty line between a quote and what surrounds it belongs to
      // neither, so it carries the shallower depth.
      int blank_depth = std::min(line_depth_, quote_depth_);
      for (int i = 1; i < breaks_; ++i) {
        out_ += "\r\n";
        out_.append(static_cast<size_t>(blank_depth), '>');
      }
      out_ += "\r\n";
      AppendQuote();
    } else if (space_pending_) {
      out_ += ' ';
    }
    breaks_ = 0;
    space_pending_ = false;
    line_depth_ = quote_depth_;
  }
  void AppendQuote() {
    if (quote_depth_ == 0) return;
    out_.append(static_cast<size_t>(quote_depth_), '>');
    out_ += ' ';
  }

  std::string out_;
  int breaks_ = 0;
  bool space_pending_ = false;
  int quote_depth_ = 0;
  int line_depth_ = 0;  // the quote depth of the last line written
};

void Walk(const xmlNode* node, TextWriter& w, int depth) {
  // Deeply nested markup is read no further than a sane depth.
  if (depth > 200) return;
  for (const xmlNode* n = node; n; n = n->next) {
    if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
      if (n->content) w.Text(reinterpret_cast<const char*>(n->content));
      continue;
    }
    if (n->type != XML_ELEMENT_NODE) continue;
    if (IsAnyOf(n, {"script", "style", "head", "title", "template"})) continue;
    if (NameIs(n, "br")) {
      w.HardBreak();
      continue;
    }
    bool paragraph = IsAnyOf(
        n, {"p", "h1", "h2", "h3", "h4", "h5", "h6", "ul", "ol", "table", "pre", "hr"});
    bool block = paragraph || IsAnyOf(n, {"div", "li", "tr", "dt", "dd", "address",
                                          "section", "article", "header", "footer"});
    bool quote = NameIs(n, "blockquote");
    if (quote) {
      w.Break(true);
      w.Quote(1);
    } else if (block) {
      w.Break(paragraph);
    }
    if (NameIs(n, "li")) w.Text("- ");
    if (NameIs(n, "td") || NameIs(n, "th")) w.Text(" ");
    if (NameIs(n, "img")) {
      std::string alt = Attribute(n, "alt");
      if (!alt.empty()) w.Text("[" + alt + "]");
    }
    Walk(n->children, w, depth + 1);
    if (NameIs(n, "a")) {
      std::string href = Attribute(n, "href");
      std::string text;
      if (xmlChar* content = xmlNodeGetContent(n)) {
        text = Trim(reinterpret_cast<const char*>(content));
        xmlFree(content);
      }
      std::string shown = href.rfind("mailto:", 0) == 0 ? href.substr(7) : href;
      if (!href.empty() && href[0] != '#' && shown != text) w.Text(" <" + shown + ">");
    }
    if (quote) {
      w.Quote(-1);
      w.Break(true);
    } else if (block) {
      w.Break(paragraph);
    }
  }
}

}  // namespace

std::string HtmlToText(std::string_view html) {
  if (html.empty()) return {};
  // The parser drops namespace prefixes, which would turn the office
  // programs' <o:p> into real paragraphs.
  std::string source =
      Replace(Replace(std::string(html), "<o:p>", "<o-p>"), "</o:p>", "</o-p>");
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
      htmlReadMemory(source.data(), static_cast<int>(source.size()), nullptr, "UTF-8",
                     HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                         HTML_PARSE_NONET),
      &xmlFreeDoc);
  if (!doc) return {};
  TextWriter writer;
  Walk(xmlDocGetRootElement(doc.get()), writer, 0);
  return writer.Finish();
}

}  // namespace zanvoro::host
