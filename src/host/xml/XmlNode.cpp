#include "host/xml/XmlNode.h"

#include "host/xml/XmlState.h"
#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "XmlNode";

bool IsTextual(pugi::xml_node_type type) {
  return type == pugi::node_pcdata || type == pugi::node_cdata;
}

void AppendCharRef(std::string& out, unsigned char c) {
  out += "&#";
  out += std::to_string(static_cast<int>(c));
  out += ';';
}

// Text content: the three markup characters, and control characters other
// than tab and line feed as references ("\r" would otherwise be lost to
// line-end normalisation when the text is read back).
void AppendEscapedText(std::string& out, std::string_view text) {
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\t':
      case '\n':
        out += ch;
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          AppendCharRef(out, c);
        } else {
          out += ch;
        }
    }
  }
}

// Attribute values: as text, plus the quote, and tab and line feed as
// references because a reader turns literal ones into spaces.
void AppendEscapedAttribute(std::string& out, std::string_view value) {
  for (char ch : value) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '"') {
      out += "&quot;";
    } else if (c == '\t' || c == '\n') {
      AppendCharRef(out, c);
    } else {
      AppendEscapedText(out, std::string_view(&ch, 1));
    }
  }
}

void AppendAttributes(std::string& out, pugi::xml_node node, bool skip_encoding) {
  for (pugi::xml_attribute a : node.attributes()) {
    if (skip_encoding && std::string_view(a.name()) == "encoding") continue;
    out += ' ';
    out += a.name();
    out += "=\"";
    AppendEscapedAttribute(out, a.value());
    out += '"';
  }
}

// Empty text nodes print nothing, so an element holding only those is empty.
bool HasContent(pugi::xml_node element) {
  for (pugi::xml_node child : element.children()) {
    if (child.type() != pugi::node_pcdata || *child.value()) return true;
  }
  return false;
}

void Write(std::string& out, pugi::xml_node node, pugi::xml_node orphans) {
  switch (node.type()) {
    case pugi::node_document:
      for (pugi::xml_node child : node.children()) {
        // Blank text between top-level nodes is layout, not content.
        if (child == orphans || child.type() == pugi::node_pcdata) continue;
        Write(out, child, orphans);
        out += "\r\n";
      }
      break;
    case pugi::node_element:
      out += '<';
      out += node.name();
      AppendAttributes(out, node, false);
      if (!HasContent(node)) {
        out += "/>";
        break;
      }
      out += '>';
      for (pugi::xml_node child : node.children()) Write(out, child, orphans);
      out += "</";
      out += node.name();
      out += '>';
      break;
    case pugi::node_pcdata:
      AppendEscapedText(out, node.value());
      break;
    case pugi::node_cdata: {
      // "]]>" cannot appear inside a section: close and reopen around it.
      std::string_view value = node.value();
      out += "<![CDATA[";
      for (size_t at; (at = value.find("]]>")) != std::string_view::npos;) {
        out += value.substr(0, at + 2);
        out += "]]><![CDATA[";
        value.remove_prefix(at + 2);
      }
      out += value;
      out += "]]>";
      break;
    }
    case pugi::node_comment:
      out += "<!--";
      out += node.value();
      out += "-->";
      break;
    case pugi::node_pi:
      out += "<?";
      out += node.name();
      if (*node.value()) {
        out += ' ';
        out += node.value();
      }
      out += "?>";
      break;
    case pugi::node_declaration:
      out += "<?xml";
      AppendAttributes(out, node, true);
      out += "?>";
      break;
    case pugi::node_doctype:
    case pugi::node_null:
      break;
  }
}

void CollectText(std::string& out, pugi::xml_node node, pugi::xml_node orphans) {
  for (pugi::xml_node child : node.children()) {
    if (child == orphans) continue;
    if (IsTextual(child.type())) {
      out += child.value();
    } else if (child.type() == pugi::node_element) {
      CollectText(out, child, orphans);
    }
  }
}

void CollectElements(std::vector<pugi::xml_node>& out, pugi::xml_node node,
                     pugi::xml_node orphans, std::string_view name) {
  for (pugi::xml_node child : node.children()) {
    if (child == orphans || child.type() != pugi::node_element) continue;
    if (name == "*" || name == child.name()) out.push_back(child);
    CollectElements(out, child, orphans, name);
  }
}

Error InvalidCall(std::string description) {
  return Error(err::kInvalidProcedureCall, std::move(description), kSource);
}

}  // namespace

XmlNode::XmlNode(std::shared_ptr<XmlState> state, pugi::xml_node_struct* node)
    : state_(std::move(state)),
      node_(node),
      generation_(state_ ? state_->generation : 0) {}

pugi::xml_node_struct* XmlNode::Live() const {
  if (!state_ || !node_ || generation_ != state_->generation) return nullptr;
  return node_;
}

pugi::xml_node_struct* XmlNode::LiveOrThrow(const char* operation) const {
  if (auto* node = Live()) return node;
  throw Error(
      err::kObjectRequired,
      std::string("Object required: ") + operation + " on a node that does not exist",
      kSource);
}

bool XmlNode::IsNull() const { return Live() == nullptr; }

XmlNodeType XmlNode::NodeType() const {
  switch (pugi::xml_node(Live()).type()) {
    case pugi::node_document:
      return XmlNodeType::Document;
    case pugi::node_element:
      return XmlNodeType::Element;
    case pugi::node_pcdata:
      return XmlNodeType::Text;
    case pugi::node_cdata:
      return XmlNodeType::CData;
    case pugi::node_comment:
      return XmlNodeType::Comment;
    case pugi::node_pi:
      return XmlNodeType::ProcessingInstruction;
    case pugi::node_declaration:
      return XmlNodeType::Declaration;
    case pugi::node_doctype:
    case pugi::node_null:
      break;
  }
  return XmlNodeType::Null;
}

std::string XmlNode::NodeName() const {
  pugi::xml_node node(Live());
  switch (node.type()) {
    case pugi::node_document:
      return "#document";
    case pugi::node_pcdata:
      return "#text";
    case pugi::node_cdata:
      return "#cdata-section";
    case pugi::node_comment:
      return "#comment";
    case pugi::node_declaration:
      return "xml";
    default:
      return node.name();
  }
}

std::string XmlNode::Text() const {
  pugi::xml_node node(Live());
  if (!node) return {};
  if (node.type() != pugi::node_element && node.type() != pugi::node_document) {
    return node.value();
  }
  std::string out;
  CollectText(out, node, state_->orphans);
  return out;
}

void XmlNode::SetText(std::string_view text) {
  pugi::xml_node node(LiveOrThrow("SetText"));
  switch (node.type()) {
    case pugi::node_element: {
      pugi::xml_node first = node.first_child();
      if (first && first == node.last_child() && first.type() == pugi::node_pcdata &&
          !text.empty()) {
        first.set_value(text.data(), text.size());
        return;
      }
      // Old children are detached, not freed: handles to them stay valid.
      while (node.first_child()) state_->Orphans().append_move(node.first_child());
      if (!text.empty())
        node.append_child(pugi::node_pcdata).set_value(text.data(), text.size());
      return;
    }
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
      node.set_value(text.data(), text.size());
      return;
    default:
      throw InvalidCall("The text of a " + NodeName() + " node cannot be set");
  }
}

std::string XmlNode::Xml() const {
  pugi::xml_node node(Live());
  if (!node) return {};
  std::string out;
  Write(out, node, state_->orphans);
  return out;
}

XmlNodeList XmlNode::ChildNodes() const {
  pugi::xml_node node(Live());
  std::vector<XmlNode> children;
  const bool top_level = node.type() == pugi::node_document;
  for (pugi::xml_node child : node.children()) {
    if (child == state_->orphans || (top_level && child.type() == pugi::node_pcdata))
      continue;
    children.push_back(XmlNode(state_, child.internal_object()));
  }
  return XmlNodeList(std::move(children));
}

XmlNode XmlNode::FirstChild() const { return ChildNodes().Item(0); }

XmlNode XmlNode::LastChild() const {
  XmlNodeList children = ChildNodes();
  return children.Length() == 0 ? XmlNode() : children.Item(children.Length() - 1);
}

XmlNode XmlNode::NextSibling() const {
  pugi::xml_node node(Live());
  if (!node || node.parent() == state_->orphans) return {};
  pugi::xml_node next = node.next_sibling();
  if (next == state_->orphans) next = next.next_sibling();
  return next ? XmlNode(state_, next.internal_object()) : XmlNode();
}

XmlNode XmlNode::PreviousSibling() const {
  pugi::xml_node node(Live());
  if (!node || node.parent() == state_->orphans) return {};
  pugi::xml_node previous = node.previous_sibling();
  if (previous == state_->orphans) previous = previous.previous_sibling();
  return previous ? XmlNode(state_, previous.internal_object()) : XmlNode();
}

XmlNode XmlNode::ParentNode() const {
  pugi::xml_node node(Live());
  pugi::xml_node parent = node.parent();
  if (!parent || parent == state_->orphans) return {};
  return XmlNode(state_, parent.internal_object());
}

XmlNodeList XmlNode::GetElementsByTagName(std::string_view name) const {
  pugi::xml_node node(Live());
  if (!node) return {};
  std::vector<pugi::xml_node> found;
  CollectElements(found, node, state_->orphans, name);
  std::vector<XmlNode> nodes;
  nodes.reserve(found.size());
  for (pugi::xml_node n : found) nodes.push_back(XmlNode(state_, n.internal_object()));
  return XmlNodeList(std::move(nodes));
}

XmlNode XmlNode::AppendChild(const XmlNode& child) {
  pugi::xml_node parent(LiveOrThrow("AppendChild"));
  pugi::xml_node moved(child.LiveOrThrow("AppendChild"));
  const bool to_document = parent.type() == pugi::node_document;
  if (parent.type() != pugi::node_element && !to_document) {
    throw InvalidCall("A " + NodeName() + " node cannot hold children");
  }
  if (moved.type() == pugi::node_document) {
    throw InvalidCall("A document cannot be appended to a node");
  }
  if (to_document) {
    if (moved.type() == pugi::node_pcdata || moved.type() == pugi::node_cdata) {
      throw InvalidCall("Text cannot be appended at the top level of a document");
    }
    if (moved.type() == pugi::node_element) {
      for (pugi::xml_node top : parent.children()) {
        if (top != state_->orphans && top != moved && top.type() == pugi::node_element) {
          throw InvalidCall("Only one top level element is allowed in an XML document");
        }
      }
    }
  }
  if (child.state_ != state_) {
    pugi::xml_node copy = parent.append_copy(moved);
    return XmlNode(state_, copy.internal_object());
  }
  pugi::xml_node result = parent.append_move(moved);
  if (!result) {
    throw InvalidCall(
        "A node cannot be appended to itself or to one of its own descendants");
  }
  return XmlNode(state_, result.internal_object());
}

std::optional<std::string> XmlNode::GetAttribute(std::string_view name) const {
  pugi::xml_node node(Live());
  for (pugi::xml_attribute a : node.attributes()) {
    if (name == a.name()) return std::string(a.value());
  }
  return std::nullopt;
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  pugi::xml_node node(LiveOrThrow("SetAttribute"));
  if (node.type() != pugi::node_element) {
    throw InvalidCall("A " + NodeName() + " node has no attributes");
  }
  if (!IsXmlName(name)) {
    throw InvalidCall("\"" + std::string(name) + "\" is not a valid attribute name");
  }
  for (pugi::xml_attribute a : node.attributes()) {
    if (name == a.name()) {
      a.set_value(value.data(), value.size());
      return;
    }
  }
  node.append_attribute(std::string(name).c_str()).set_value(value.data(), value.size());
}

bool operator==(const XmlNode& a, const XmlNode& b) { return a.Live() == b.Live(); }

}  // namespace zanvoro::host
