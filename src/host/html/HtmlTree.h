// Inside the HTML documents: the parsed tree that the document and its
// element handles share, and the writer that turns nodes back into HTML.
// Only the files of this folder include it.
#pragma once

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::host {

// Element names with a namespace prefix are parsed as "o" + kPrefixMark +
// "p", since the parser would drop the prefix.
inline constexpr std::string_view kPrefixMark = "_zns_";

struct HtmlTree {
  HtmlTree() = default;
  HtmlTree(const HtmlTree&) = delete;
  HtmlTree& operator=(const HtmlTree&) = delete;
  ~HtmlTree();

  xmlDocPtr doc = nullptr;
  // Subtrees taken out of the document: kept until the tree goes, so that
  // handles to them stay valid. Their names live in the document's
  // dictionary, so they go first.
  std::vector<xmlNodePtr> detached;
};

// The element's name as written in markup: lower case, prefix restored.
std::string ElementName(const xmlNode* node);

// The markup of `node` (OuterHTML) or of its children (InnerHTML).
std::string WriteOuter(const xmlNode* node);
std::string WriteInner(const xmlNode* node);

}  // namespace zanvoro::host
