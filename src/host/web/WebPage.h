// The frame every page of the web interface shares, and the pieces pages
// are made of. Every text put in goes through HtmlEscape here; `body` and
// the *_html arguments are markup the caller made (and escaped) itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/ui/MsgBox.h"
#include "host/ui/TableView.h"

namespace zanvoro::host {

struct WebNavLink {
  std::string caption;
  std::string href;
  bool current = false;
};

struct WebPage {
  std::string title;
  std::string app_title;  // "Zanvoro"
  std::vector<WebNavLink> nav;
  std::string user;
  std::string csrf;
  // Shown as dialogs when the page opens.
  std::vector<MessageBoxRequest> messages;
  std::string body;
};

// The whole document: head (stylesheet, script, CSRF token in a meta tag),
// the top bar with the navigation, the dialogs and the body.
std::string RenderWebPage(const WebPage& page);

// A hidden CSRF field for a POST form.
std::string CsrfField(std::string_view csrf);

// A folder view as a table. Each heading links to `sort_href(i)`; the cells
// of `link_column` link to `row_href(row)`; `sorted` marks the sorted
// column (-1: none) with an arrow.
struct WebTableLinks {
  std::function<std::string(size_t column)> sort_href;
  std::function<std::string(size_t row)> row_href;
  int link_column = 0;
  int sorted = -1;
  bool descending = false;
};
std::string TableViewHtml(const TableView& view, const WebTableLinks& links);

// `text` percent-encoded for a query value.
std::string UrlEncode(std::string_view text);

}  // namespace zanvoro::host
