// Writing nodes back as HTML. The walk is iterative, so deeply nested
// markup cannot exhaust the stack.
#include <libxml/HTMLtree.h>

#include <cstring>

#include "host/html/HtmlTree.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

bool NameIsAnyOf(const xmlNode* node, std::initializer_list<const char*> names) {
  if (!node || node->type != XML_ELEMENT_NODE || !node->name) return false;
  for (const char* name : names)
    if (xmlStrcasecmp(node->name, BAD_CAST name) == 0) return true;
  return false;
}

// Elements that never have content or an end tag.
bool IsVoid(const xmlNode* node) {
  return NameIsAnyOf(node, {"area", "base", "basefont", "bgsound", "br", "col", "embed",
                            "frame", "hr", "img", "input", "isindex", "keygen", "link",
                            "meta", "param", "source", "track", "wbr"});
}

// Elements whose text is written as it stands.
bool IsRawText(const xmlNode* node) {
  return NameIsAnyOf(
      node, {"script", "style", "xmp", "iframe", "noembed", "noframes", "plaintext"});
}

void AppendEscaped(std::string& out, const char* text, bool attribute) {
  if (!text) return;
  for (const char* p = text; *p; ++p) {
    char c = *p;
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<' && !attribute) {
      out += "&lt;";
    } else if (c == '>' && !attribute) {
      out += "&gt;";
    } else if (c == '"' && attribute) {
      out += "&quot;";
    } else if (static_cast<unsigned char>(c) == 0xC2 &&
               static_cast<unsigned char>(p[1]) == 0xA0) {
      out += "&nbsp;";
      ++p;
    } else {
      out += c;
    }
  }
}

void AppendAttributes(std::string& out, const xmlNode* node) {
  for (const xmlAttr* a = node->properties; a; a = a->next) {
    out += ' ';
    if (a->ns && a->ns->prefix) {
      out += reinterpret_cast<const char*>(a->ns->prefix);
      out += ':';
    }
    out += reinterpret_cast<const char*>(a->name);
    // An attribute written without a value ("nowrap") has no children.
    if (!a->children) continue;
    xmlChar* value = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(a));
    // The parser gives "nowrap" the value "nowrap"; it is written as read.
    if (value && htmlIsBooleanAttr(a->name) && xmlStrcasecmp(value, a->name) == 0) {
      xmlFree(value);
      continue;
    }
    out += "=\"";
    AppendEscaped(out, reinterpret_cast<const char*>(value), true);
    out += '"';
    xmlFree(value);
  }
}

bool HasOpenContent(const xmlNode* node) {
  return node->type == XML_ELEMENT_NODE && !IsVoid(node) && node->children;
}

void WriteStart(std::string& out, const xmlNode* node) {
  const char* content = reinterpret_cast<const char*>(node->content);
  switch (node->type) {
    case XML_ELEMENT_NODE:
      out += '<';
      out += ElementName(node);
      AppendAttributes(out, node);
      out += '>';
      break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
      if (IsRawText(node->parent)) {
        if (content) out += content;
      } else {
        AppendEscaped(out, content, false);
      }
      break;
    case XML_COMMENT_NODE:
      out += "<!--";
      if (content) out += content;
      out += "-->";
      break;
    case XML_PI_NODE:
      out += "<?";
      out += reinterpret_cast<const char*>(node->name);
      if (content && *content) {
        out += ' ';
        out += content;
      }
      out += '>';
      break;
    case XML_ENTITY_REF_NODE:
      out += '&';
      out += reinterpret_cast<const char*>(node->name);
      out += ';';
      break;
    default:
      break;
  }
}

void WriteEnd(std::string& out, const xmlNode* node) {
  if (node->type != XML_ELEMENT_NODE || IsVoid(node)) return;
  out += "</";
  out += ElementName(node);
  out += '>';
}

// Writes `top` (with_top) or its children, in document order.
void WriteTree(std::string& out, const xmlNode* top, bool with_top) {
  if (!top) return;
  const xmlNode* node = with_top ? top : top->children;
  while (node) {
    WriteStart(out, node);
    if (HasOpenContent(node)) {
      node = node->children;
      continue;
    }
    WriteEnd(out, node);
    // Climb to the next node that has a following sibling, closing the
    // elements left behind.
    while (true) {
      if (with_top && node == top) return;
      if (node->next) {
        node = node->next;
        break;
      }
      node = node->parent;
      if (!node || (!with_top && node == top)) return;
      WriteEnd(out, node);
    }
  }
}

}  // namespace

HtmlTree::~HtmlTree() {
  for (xmlNodePtr node : detached) xmlFreeNode(node);
  if (doc) xmlFreeDoc(doc);
}

std::string ElementName(const xmlNode* node) {
  if (!node || !node->name) return {};
  std::string name = LCase(reinterpret_cast<const char*>(node->name));
  size_t mark = name.find(kPrefixMark);
  if (mark != std::string::npos) name.replace(mark, kPrefixMark.size(), ":");
  return name;
}

std::string WriteOuter(const xmlNode* node) {
  std::string out;
  WriteTree(out, node, true);
  return out;
}

std::string WriteInner(const xmlNode* node) {
  std::string out;
  if (node && node->type == XML_ELEMENT_NODE && !IsVoid(node))
    WriteTree(out, node, false);
  return out;
}

}  // namespace zanvoro::host
