// An element of an HtmlDocument. A handle: copying it copies the reference,
// and it keeps the document's tree alive. A default handle, or one that was
// asked for something that is not there, is null: reads give empty values
// and changes raise Error(err::kObjectRequired). A removed element stays
// readable, outside the document. UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "host/html/InlineStyle.h"

struct _xmlNode;

namespace zanvoro::host {

struct HtmlTree;

class HtmlElement {
 public:
  HtmlElement() = default;
  HtmlElement(std::shared_ptr<HtmlTree> tree, _xmlNode* node);

  bool IsNull() const { return node_ == nullptr; }

  // Lower case, with its namespace prefix ("div", "o:p").
  std::string TagName() const;
  // The attribute's value (entities decoded); "" when absent.
  std::string GetAttribute(std::string_view name) const;
  bool HasAttribute(std::string_view name) const;
  void SetAttribute(std::string_view name, std::string_view value);
  // The declarations of the "style" attribute.
  InlineStyle Style() const;

  // The markup of the children, and of the element with its children.
  // Text is escaped ("&amp;", "&lt;", "&gt;", non-breaking spaces as
  // "&nbsp;"); attribute values are written as they read, quoted; the text
  // of <script> and <style> is written as it stands.
  std::string InnerHTML() const;
  std::string OuterHTML() const;

  HtmlElement ParentElement() const;

  // Takes the element with its children out of the document.
  void Remove();
  // Takes the element, with its children, and everything after it in
  // document order (its following siblings, and those of each ancestor) out
  // of the document; the ancestors themselves stay.
  void RemoveWithFollowing();

 private:
  void RequireNode() const;

  std::shared_ptr<HtmlTree> tree_;
  _xmlNode* node_ = nullptr;
};

}  // namespace zanvoro::host
