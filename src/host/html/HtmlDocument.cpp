#include "host/html/HtmlDocument.h"

#include <cctype>
#include <climits>

#include "host/html/HtmlTree.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "HtmlDocument";
constexpr std::string_view kEmptyDocument = "<html><head></head><body></body></html>";

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
}

// The markup as the parser should see it: the downlevel conditional
// markers <![if ...]> and <![endif]> dropped, and the ":" of prefixed
// element names (<o:p>, </v:shape>) replaced by kPrefixMark. Comments and
// attribute values are left as they are.
std::string Prepare(std::string_view html) {
  std::string out;
  out.reserve(html.size() + html.size() / 16);
  size_t i = 0;
  while (i < html.size()) {
    char c = html[i];
    if (c != '<') {
      out += c;
      ++i;
      continue;
    }
    std::string_view rest = html.substr(i);
    if (rest.substr(0, 4) == "<!--") {
      size_t end = html.find("-->", i + 4);
      size_t stop = end == std::string_view::npos ? html.size() : end + 3;
      out.append(html.substr(i, stop - i));
      i = stop;
      continue;
    }
    if (StartsWithText(rest, "<![if") || StartsWithText(rest, "<![endif")) {
      size_t end = html.find("]>", i);
      if (end != std::string_view::npos) {
        i = end + 2;
        continue;
      }
    }
    // A tag: "<" or "</" and a name, with ":" after a prefix.
    size_t name_start = i + 1;
    if (name_start < html.size() && html[name_start] == '/') ++name_start;
    size_t j = name_start;
    if (j >= html.size() || !IsNameStart(html[j])) {
      out += c;
      ++i;
      continue;
    }
    while (j < html.size() && IsNameChar(html[j])) ++j;
    out.append(html.substr(i, j - i));
    i = j;
    if (j + 1 < html.size() && html[j] == ':' && IsNameStart(html[j + 1])) {
      out.append(kPrefixMark);
      ++i;
    }
    // The rest of the tag as it stands, so that attribute values keep
    // whatever they hold.
    char quote = 0;
    char last = 0;
    while (i < html.size()) {
      char ch = html[i++];
      out += ch;
      if (quote) {
        if (ch == quote) quote = 0;
      } else if ((ch == '"' || ch == '\'') && last == '=') {
        quote = ch;
      } else if (ch == '>') {
        break;
      }
      if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n') last = ch;
    }
  }
  return out;
}

xmlDocPtr Parse(std::string_view html) {
  constexpr int kOptions =
      HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
  return htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                        kOptions);
}

xmlNodePtr ChildElement(xmlNodePtr parent, const char* name) {
  if (!parent) return nullptr;
  for (xmlNodePtr n = parent->children; n; n = n->next)
    if (n->type == XML_ELEMENT_NODE && xmlStrcasecmp(n->name, BAD_CAST name) == 0)
      return n;
  return nullptr;
}

// Every element below `top`, in document order, without recursion.
template <class F>
void ForEachElement(xmlNodePtr top, F&& visit) {
  xmlNodePtr node = top;
  while (node) {
    if (node->type == XML_ELEMENT_NODE) visit(node);
    if (node->children && node->type == XML_ELEMENT_NODE) {
      node = node->children;
      continue;
    }
    while (node && node != top && !node->next) node = node->parent;
    if (!node || node == top) return;
    node = node->next;
  }
}

}  // namespace

HtmlDocument::HtmlDocument() { Load({}); }

HtmlDocument::HtmlDocument(std::string_view html) { Load(html); }

HtmlDocument::~HtmlDocument() = default;
HtmlDocument::HtmlDocument(HtmlDocument&&) noexcept = default;
HtmlDocument& HtmlDocument::operator=(HtmlDocument&&) noexcept = default;

void HtmlDocument::Load(std::string_view html) {
  if (html.size() > static_cast<size_t>(INT_MAX) / 2)
    throw Error(err::kOutOfMemory, "The HTML text is too large to be read.", kSource);
  auto tree = std::make_shared<HtmlTree>();
  tree->doc = Parse(Prepare(html));
  if (!tree->doc || !xmlDocGetRootElement(tree->doc)) {
    if (tree->doc) xmlFreeDoc(tree->doc);
    tree->doc = Parse(kEmptyDocument);
  }
  if (!tree->doc)
    throw Error(err::kOutOfMemory, "Out of memory while reading an HTML text.", kSource);
  xmlNodePtr root = xmlDocGetRootElement(tree->doc);
  if (root && !ChildElement(root, "body")) {
    xmlNodePtr body = xmlNewDocNode(tree->doc, nullptr, BAD_CAST "body", nullptr);
    if (!body || !xmlAddChild(root, body))
      throw Error(err::kOutOfMemory, "Out of memory while reading an HTML text.",
                  kSource);
  }
  tree_ = std::move(tree);
}

HtmlElement HtmlDocument::DocumentElement() const {
  return HtmlElement(tree_, xmlDocGetRootElement(tree_->doc));
}

HtmlElement HtmlDocument::Body() const {
  return HtmlElement(tree_, ChildElement(xmlDocGetRootElement(tree_->doc), "body"));
}

std::vector<HtmlElement> HtmlDocument::GetElementsByTagName(std::string_view name) const {
  std::vector<HtmlElement> found;
  std::string wanted = LCase(name);
  bool any = wanted == "*";
  ForEachElement(xmlDocGetRootElement(tree_->doc), [&](xmlNodePtr node) {
    if (any || ElementName(node) == wanted) found.emplace_back(tree_, node);
  });
  return found;
}

std::string HtmlDocument::Html() const {
  return "<html>" + WriteInner(xmlDocGetRootElement(tree_->doc)) + "</html>";
}

}  // namespace zanvoro::host
