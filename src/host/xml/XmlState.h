// The content behind an XmlDocument and its node handles. Private to the
// xml folder: nothing outside it includes pugixml.
#pragma once

#include <cstdint>
#include <pugixml.hpp>
#include <string_view>

namespace zanvoro::host {

struct XmlState {
  pugi::xml_document doc;
  // Elements made by CreateElement wait here until they are appended: the
  // parser library keeps every node inside its document, so the waiting room
  // is a top-level node that every walk over the document skips.
  pugi::xml_node orphans;
  // Bumped whenever the content is replaced; handles from an older
  // generation read as null instead of pointing at freed nodes.
  uint64_t generation = 1;

  pugi::xml_node Orphans() {
    if (!orphans) orphans = doc.append_child(pugi::node_element);
    return orphans;
  }
  void Reset() {
    doc.reset();
    orphans = pugi::xml_node();
    ++generation;
  }
};

// An XML name as far as it matters here: a letter, "_" or ":" first, then
// also digits, "-" and "."; bytes of multi-byte UTF-8 characters pass.
inline bool IsXmlName(std::string_view name) {
  if (name.empty()) return false;
  auto is_start = [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
           c >= 0x80;
  };
  if (!is_start(static_cast<unsigned char>(name[0]))) return false;
  for (unsigned char c : name) {
    if (!is_start(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
  }
  return true;
}

}  // namespace zanvoro::host
