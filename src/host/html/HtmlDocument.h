// An HTML document: mail bodies parsed into a tree the add-in can search
// and edit, and write back as HTML, the way it used the browser's document
// object. The parser repairs what it can (unclosed and misnested tags,
// stray text, a missing <html> or <body>) and never fails on malformed
// input; the document always has an <html> element with a <body>.
//
// Mail-client markup survives the trip: elements with a namespace prefix
// (<o:p>, <v:shape>) keep their names, and the downlevel conditional
// markers <![if ...]> and <![endif]> are dropped (browsers ignore them).
// Input is UTF-8 text; a charset named in a meta tag does not change that.
//
// HtmlElement handles keep the document's tree alive. UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/html/HtmlElement.h"

namespace zanvoro::host {

struct HtmlTree;

class HtmlDocument {
 public:
  // An empty document: <html><head></head><body></body></html>.
  HtmlDocument();
  explicit HtmlDocument(std::string_view html);
  ~HtmlDocument();
  HtmlDocument(HtmlDocument&&) noexcept;
  HtmlDocument& operator=(HtmlDocument&&) noexcept;

  // Replaces the content with `html` parsed. Raises Error(err::kOutOfMemory)
  // only when the parser cannot get memory (or the text is above 2 GB).
  void Load(std::string_view html);

  // The <html> element.
  HtmlElement DocumentElement() const;
  HtmlElement Body() const;
  // The elements named `name` (any case; "o:p" finds <o:p>) in document
  // order; "*" gives every element.
  std::vector<HtmlElement> GetElementsByTagName(std::string_view name) const;

  // Drops what could run or load on its own (see HtmlSanitizer.h); element
  // handles taken before may point at removed nodes and must not be used.
  void Sanitize();

  // "<html>" + the document element's inner HTML + "</html>".
  std::string Html() const;

 private:
  std::shared_ptr<HtmlTree> tree_;
};

}  // namespace zanvoro::host
