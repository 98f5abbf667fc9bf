// An XML document with the small DOM the add-in uses: load from text or a
// file, build with CreateElement and AppendChild, query by tag name and by
// position, and write back as text or to a file.
//
// Xml() gives the compact form the add-in stores in item properties: no
// indentation and no whitespace between elements, empty elements as
// "<Logs/>", every top-level node followed by "\r\n". The XML declaration
// appears only when the loaded text had one, and then without its encoding
// (the text is always UTF-8). Loading drops whitespace between elements but
// keeps whitespace that is the whole content of an element ("<a> </a>").
// "\r" and other control characters in text are written as character
// references, so text survives a round trip byte for byte.
//
// UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "host/xml/XmlNode.h"

namespace zanvoro::host {

// Why the last load failed. error_code is 0 after a successful load.
struct XmlParseError {
  int32_t error_code = 0;
  std::string reason;
  int line = 0;       // 1-based; 0 when the failure has no position
  int column = 0;     // 1-based, in bytes
  size_t offset = 0;  // bytes from the start of the input
};

class XmlDocument {
 public:
  XmlDocument();  // empty: no document element
  ~XmlDocument();
  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Replaces the content with the parsed text (UTF-8). Returns false when the
  // text is not one well-formed XML element (empty text, two top-level
  // elements, text outside the element, a broken tag...): the document is
  // then empty and ParseError() says why. Never throws. Node handles taken
  // before become null.
  bool LoadXML(std::string_view text);
  // The same from a file; the encoding comes from a byte-order mark or the
  // declaration (UTF-8 when neither says). A missing or unreadable file
  // returns false with the reason.
  bool Load(const std::filesystem::path& path);
  // Loads a file that comes from outside (a web form's upload) and refuses,
  // leaving the document empty with the reason in ParseError(): a file of
  // more than `max_bytes` (not read past that), bytes that are not UTF-8 (a
  // UTF-8 byte-order mark is allowed) and any document type declaration, so
  // no entity is ever declared, fetched or expanded. The text is read as
  // UTF-8 whatever its declaration says.
  bool LoadUntrusted(const std::filesystem::path& path, size_t max_bytes);
  const XmlParseError& ParseError() const;

  // Writes Xml() to `path`, replacing the file atomically. Raises Error
  // (err::kPathNotFound when the folder does not exist, err::kPermissionDenied
  // when it cannot be written).
  void Save(const std::filesystem::path& path) const;

  // A new element that belongs to this document but sits nowhere until it is
  // appended. Raises Error(err::kInvalidProcedureCall) for a name that is not
  // an XML name.
  XmlNode CreateElement(std::string_view name);

  // The document as a node (NodeType() == XmlNodeType::Document).
  XmlNode AsNode() const;
  // The top-level element; a null node when the document is empty.
  XmlNode DocumentElement() const;

  // Shorthands for the same operations on AsNode().
  XmlNode AppendChild(const XmlNode& child) { return AsNode().AppendChild(child); }
  XmlNodeList ChildNodes() const { return AsNode().ChildNodes(); }
  XmlNodeList GetElementsByTagName(std::string_view name) const {
    return AsNode().GetElementsByTagName(name);
  }
  std::string Text() const { return AsNode().Text(); }
  std::string Xml() const { return AsNode().Xml(); }

 private:
  bool Parse(const void* data, size_t size, int encoding, unsigned extra_options = 0);

  std::shared_ptr<XmlState> state_;
  XmlParseError parse_error_;
};

}  // namespace zanvoro::host
