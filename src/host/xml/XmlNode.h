// A node of an XmlDocument, and the lists that node queries return.
//
// A node is a handle: copying it copies the reference, not the node, and it
// keeps its document's content alive even when the XmlDocument object itself
// is gone. A handle that refers to nothing (a missing child, a position past
// the end, a node whose document has since loaded other content) is a null
// node: IsNull() is true, every read returns an empty value and every change
// raises Error(err::kObjectRequired). Reads never throw. UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
struct xml_node_struct;
}

namespace zanvoro::host {

struct XmlState;
class XmlNodeList;

enum class XmlNodeType {
  Null,
  Document,
  Element,
  Text,
  CData,
  Comment,
  ProcessingInstruction,
  Declaration,  // <?xml version="1.0"?>
};

class XmlNode {
 public:
  XmlNode() = default;  // a null node

  bool IsNull() const;
  XmlNodeType NodeType() const;
  // The element's tag name; "#text", "#cdata-section", "#comment" and
  // "#document" for those nodes; the target of a processing instruction
  // ("xml" for the declaration); "" for a null node.
  std::string NodeName() const;

  // All text below the node (text and CDATA sections, comments excluded) in
  // document order, exactly as stored: nothing is trimmed.
  std::string Text() const;
  // Replaces the element's children with one text node holding `text` (no
  // children at all when it is empty); on a text, CDATA or comment node,
  // replaces its value.
  void SetText(std::string_view text);

  // The node written out as XML text; see XmlDocument::Xml for the form.
  std::string Xml() const;

  // Direct children in order, text nodes included.
  XmlNodeList ChildNodes() const;
  XmlNode FirstChild() const;
  XmlNode LastChild() const;
  XmlNode NextSibling() const;
  XmlNode PreviousSibling() const;
  // Null for the document, and for an element that was created and not yet
  // appended anywhere.
  XmlNode ParentNode() const;

  // Elements below this node named `name` in document order; "*" matches
  // every element. Names compare exactly (XML names are case-sensitive).
  XmlNodeList GetElementsByTagName(std::string_view name) const;

  // Makes `child` the last child of this node and returns it. A child that
  // already sits somewhere in the same document is moved. A child of another
  // document is copied, and the copy is returned. Raises
  // Error(err::kInvalidProcedureCall) for a node that cannot hold children,
  // for a node appended into itself or its own descendants, and for a second
  // top-level element.
  XmlNode AppendChild(const XmlNode& child);

  // The attribute's value, or nullopt when the element has no such attribute.
  std::optional<std::string> GetAttribute(std::string_view name) const;
  // Adds the attribute or replaces its value. Raises
  // Error(err::kInvalidProcedureCall) for a name that is not an XML name.
  void SetAttribute(std::string_view name, std::string_view value);

  // Same node of the same document (two null nodes are equal).
  friend bool operator==(const XmlNode& a, const XmlNode& b);

 private:
  friend class XmlDocument;
  XmlNode(std::shared_ptr<XmlState> state, pugi::xml_node_struct* node);
  // The node when it still belongs to its document's current content.
  pugi::xml_node_struct* Live() const;
  pugi::xml_node_struct* LiveOrThrow(const char* operation) const;

  std::shared_ptr<XmlState> state_;
  pugi::xml_node_struct* node_ = nullptr;
  uint64_t generation_ = 0;
};

// A list of nodes taken when the query ran (later changes to the document do
// not change it). Item past the end is a null node.
class XmlNodeList {
 public:
  XmlNodeList() = default;
  explicit XmlNodeList(std::vector<XmlNode> nodes) : nodes_(std::move(nodes)) {}

  size_t Length() const { return nodes_.size(); }
  XmlNode Item(size_t index) const {
    return index < nodes_.size() ? nodes_[index] : XmlNode();
  }

  auto begin() const { return nodes_.begin(); }
  auto end() const { return nodes_.end(); }

 private:
  std::vector<XmlNode> nodes_;
};

}  // namespace zanvoro::host
