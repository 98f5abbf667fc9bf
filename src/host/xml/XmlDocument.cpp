#include "host/xml/XmlDocument.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/xml/XmlState.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "XmlDocument";
// The number a failed load reports; any value other than 0 means failure.
constexpr int32_t kParseFailed = err::kCallFailed;

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration |
                                   pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_ws_pcdata_single | pugi::parse_fragment;

// 1-based line and column of a byte offset.
void Locate(XmlParseError& error, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  size_t end = error.offset < size ? error.offset : size;
  error.line = 1;
  size_t line_start = 0;
  for (size_t i = 0; i < end; ++i) {
    if (bytes[i] == '\n') {
      ++error.line;
      line_start = i + 1;
    }
  }
  error.column = static_cast<int>(end - line_start) + 1;
}

// The parser accepts fragments so that what a document may not hold at its
// top level can be told apart here, with a reason, instead of being dropped.
std::string TopLevelProblem(const pugi::xml_document& doc) {
  int elements = 0;
  for (pugi::xml_node top : doc.children()) {
    if (top.type() == pugi::node_element) ++elements;
    if ((top.type() == pugi::node_pcdata && !IsBlank(top.value())) ||
        top.type() == pugi::node_cdata) {
      return "Text is not allowed outside the top level element";
    }
  }
  if (elements == 0) return "XML document must have a top level element";
  if (elements > 1) return "Only one top level element is allowed in an XML document";
  return {};
}

}  // namespace

XmlDocument::XmlDocument() : state_(std::make_shared<XmlState>()) {}
XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;

bool XmlDocument::Parse(const void* data, size_t size, int encoding,
                        unsigned extra_options) {
  if (!state_) state_ = std::make_shared<XmlState>();
  state_->Reset();
  parse_error_ = XmlParseError{};
  pugi::xml_parse_result result =
      state_->doc.load_buffer(data, size, kParseOptions | extra_options,
                              static_cast<pugi::xml_encoding>(encoding));
  std::string problem;
  if (!result) {
    problem = result.description();
    parse_error_.offset = static_cast<size_t>(result.offset);
    Locate(parse_error_, data, size);
  } else {
    problem = TopLevelProblem(state_->doc);
  }
  if (problem.empty()) return true;
  state_->Reset();
  parse_error_.error_code = kParseFailed;
  parse_error_.reason = problem;
  if (parse_error_.line > 0) {
    parse_error_.reason += " (line " + std::to_string(parse_error_.line) + ", column " +
                           std::to_string(parse_error_.column) + ")";
  }
  return false;
}

bool XmlDocument::LoadXML(std::string_view text) {
  try {
    return Parse(text.data(), text.size(), pugi::encoding_utf8);
  } catch (const std::exception& e) {  // only an allocation can fail here
    if (state_) state_->Reset();
    parse_error_ =
        XmlParseError{kParseFailed, std::string("Cannot load XML: ") + e.what()};
    return false;
  }
}

bool XmlDocument::Load(const std::filesystem::path& path) {
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      int code = errno;
      if (state_) state_->Reset();
      parse_error_ = XmlParseError{
          kParseFailed, "Cannot open " + path.string() + ": " + std::strerror(code)};
      return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)),
                      std::istreambuf_iterator<char>());
    return Parse(bytes.data(), bytes.size(), pugi::encoding_auto);
  } catch (const std::exception& e) {
    if (state_) state_->Reset();
    parse_error_ =
        XmlParseError{kParseFailed, "Cannot read " + path.string() + ": " + e.what()};
    return false;
  }
}

bool XmlDocument::LoadUntrusted(const std::filesystem::path& path, size_t max_bytes) {
  auto refuse = [&](std::string reason) {
    if (state_) state_->Reset();
    parse_error_ = XmlParseError{kParseFailed, std::move(reason)};
    return false;
  };
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      return refuse("Cannot open " + path.string() + ": " + std::strerror(errno));
    }
    // One byte more than allowed tells an oversize file without reading it all.
    std::string bytes(max_bytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (bytes.size() > max_bytes) {
      return refuse("The file is larger than " + std::to_string(max_bytes) + " bytes");
    }
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!IsValidUtf8(text)) return refuse("The file is not UTF-8 text");
    if (!Parse(text.data(), text.size(), pugi::encoding_utf8, pugi::parse_doctype)) {
      return false;
    }
    for (pugi::xml_node top : state_->doc.children()) {
      if (top.type() == pugi::node_doctype) {
        return refuse("Document type declarations are not accepted");
      }
    }
    return true;
  } catch (const std::exception& e) {
    return refuse("Cannot read " + path.string() + ": " + e.what());
  }
}

const XmlParseError& XmlDocument::ParseError() const { return parse_error_; }

void XmlDocument::Save(const std::filesystem::path& path) const {
  const std::string text = Xml();
  std::error_code ec;
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  if (!std::filesystem::is_directory(folder, ec)) {
    throw Error(err::kPathNotFound, "Path not found: " + folder.string(), kSource);
  }
  // Written beside the target and renamed over it, so a reader never sees
  // half a document.
  std::filesystem::path temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      throw Error(err::kPermissionDenied,
                  "Permission denied: cannot write " + temp.string() + ": " +
                      std::strerror(errno),
                  kSource);
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      std::filesystem::remove(temp, ec);
      throw Error(err::kDiskFull, "Cannot write " + temp.string(), kSource);
    }
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    throw Error(
        err::kPermissionDenied,
        "Permission denied: cannot replace " + path.string() + ": " + ec.message(),
        kSource);
  }
}

XmlNode XmlDocument::CreateElement(std::string_view name) {
  if (!IsXmlName(name)) {
    throw Error(err::kInvalidProcedureCall,
                "\"" + std::string(name) + "\" is not a valid element name", kSource);
  }
  if (!state_) state_ = std::make_shared<XmlState>();
  pugi::xml_node element = state_->Orphans().append_child(std::string(name).c_str());
  return XmlNode(state_, element.internal_object());
}

XmlNode XmlDocument::AsNode() const {
  if (!state_) return {};
  return XmlNode(state_, state_->doc.internal_object());
}

XmlNode XmlDocument::DocumentElement() const {
  if (!state_) return {};
  for (pugi::xml_node top : state_->doc.children()) {
    if (top != state_->orphans && top.type() == pugi::node_element) {
      return XmlNode(state_, top.internal_object());
    }
  }
  return {};
}

}  // namespace zanvoro::host
