#include "host/html/HtmlElement.h"

#include "host/html/HtmlTree.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "HtmlElement";

const xmlAttr* FindAttribute(const xmlNode* node, std::string_view name) {
  if (!node) return nullptr;
  for (const xmlAttr* a = node->properties; a; a = a->next)
    if (a->name && TextEquals(reinterpret_cast<const char*>(a->name), name)) return a;
  return nullptr;
}

bool IsDocumentNode(const xmlNode* node) {
  return node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE;
}

void Detach(HtmlTree& tree, xmlNodePtr node) {
  // A subtree already taken out has no parent and is kept once.
  if (!node->parent) return;
  xmlUnlinkNode(node);
  tree.detached.push_back(node);
}

}  // namespace

HtmlElement::HtmlElement(std::shared_ptr<HtmlTree> tree, _xmlNode* node)
    : tree_(node ? std::move(tree) : nullptr), node_(node) {}

void HtmlElement::RequireNode() const {
  if (!node_)
    throw Error(err::kObjectRequired, "Object required: the HTML element is missing.",
                kSource);
}

std::string HtmlElement::TagName() const { return ElementName(node_); }

std::string HtmlElement::GetAttribute(std::string_view name) const {
  const xmlAttr* a = FindAttribute(node_, name);
  if (!a || !a->children) return {};
  xmlChar* value = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(a));
  std::string out = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return out;
}

bool HtmlElement::HasAttribute(std::string_view name) const {
  return FindAttribute(node_, name) != nullptr;
}

void HtmlElement::SetAttribute(std::string_view name, std::string_view value) {
  RequireNode();
  std::string key = LCase(name);
  std::string text(value);
  if (key.empty() || !xmlSetProp(node_, BAD_CAST key.c_str(), BAD_CAST text.c_str()))
    throw Error(err::kInvalidProcedureCall,
                "The attribute \"" + std::string(name) + "\" cannot be set.", kSource);
}

InlineStyle HtmlElement::Style() const { return InlineStyle(GetAttribute("style")); }

std::string HtmlElement::InnerHTML() const { return WriteInner(node_); }

std::string HtmlElement::OuterHTML() const { return node_ ? WriteOuter(node_) : ""; }

HtmlElement HtmlElement::ParentElement() const {
  if (!node_ || !node_->parent || node_->parent->type != XML_ELEMENT_NODE) return {};
  return HtmlElement(tree_, node_->parent);
}

void HtmlElement::Remove() {
  RequireNode();
  Detach(*tree_, node_);
}

void HtmlElement::RemoveWithFollowing() {
  RequireNode();
  for (xmlNodePtr n = node_; n && !IsDocumentNode(n); n = n->parent)
    while (n->next) Detach(*tree_, n->next);
  Detach(*tree_, node_);
}

}  // namespace zanvoro::host
