#include "host/web/WebPage.h"

#include <cctype>

#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

std::string DialogHtml(const MessageBoxRequest& message) {
  std::string icon(IconName(message.icon));
  std::string html = "<dialog class=\"msg msg-" + HtmlEscape(icon.empty() ? "None" : icon) +
                     "\" data-auto-open>";
  if (!message.title.empty()) html += "<h2>" + HtmlEscape(message.title) + "</h2>";
  html += "<p>" + HtmlEscape(message.prompt, LineBreaks::AsBreaks) +
          "</p><form method=\"dialog\"><button autofocus>OK</button></form></dialog>";
  return html;
}

}  // namespace

std::string CsrfField(std::string_view csrf) {
  return "<input type=\"hidden\" name=\"csrf\" value=\"" + HtmlEscape(csrf) + "\">";
}

std::string UrlEncode(std::string_view text) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  return out;
}

std::string RenderWebPage(const WebPage& page) {
  std::string html =
      "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<meta name=\"csrf\" content=\"" +
      HtmlEscape(page.csrf) + "\"><title>" + HtmlEscape(page.title) + " - " +
      HtmlEscape(page.app_title) +
      "</title><link rel=\"stylesheet\" href=\"/static/zanvoro.css\">"
      "<script src=\"/static/zanvoro.js\" defer></script></head><body>"
      "<header class=\"top\"><a class=\"brand\" href=\"/\">" +
      HtmlEscape(page.app_title) + "</a><nav>";
  for (const WebNavLink& link : page.nav) {
    html += "<a href=\"" + HtmlEscape(link.href) + "\"" +
            (link.current ? " class=\"current\" aria-current=\"page\"" : "") + ">" +
            HtmlEscape(link.caption) + "</a>";
  }
  html += "</nav><span class=\"user\">" + HtmlEscape(page.user) +
          "</span></header><div id=\"toasts\" aria-live=\"polite\"></div>";
  for (const MessageBoxRequest& message : page.messages) html += DialogHtml(message);
  html += "<main>" + page.body + "</main></body></html>";
  return html;
}

std::string TableViewHtml(const TableView& view, const WebTableLinks& links) {
  std::string html = "<table class=\"grid\"><thead><tr>";
  for (size_t i = 0; i < view.columns.size(); ++i) {
    const TableColumn& column = view.columns[i];
    // Twips to pixels, as the client's views were laid out at 96 dpi.
    std::string width = std::to_string(column.width / 15);
    std::string heading = HtmlEscape(column.heading);
    if (static_cast<int>(i) == links.sorted) heading += links.descending ? " &#9660;" : " &#9650;";
    if (links.sort_href)
      heading = "<a href=\"" + HtmlEscape(links.sort_href(i)) + "\">" + heading + "</a>";
    html += "<th style=\"width:" + width + "px\">" + heading + "</th>";
  }
  html += "</tr></thead><tbody>";
  for (size_t r = 0; r < view.rows.size(); ++r) {
    const auto& row = view.rows[r];
    std::string href = links.row_href ? links.row_href(r) : std::string{};
    html += href.empty() ? "<tr>" : "<tr data-href=\"" + HtmlEscape(href) + "\" tabindex=\"0\">";
    for (size_t c = 0; c < view.columns.size(); ++c) {
      std::string cell = c < row.size() ? HtmlEscape(row[c]) : std::string{};
      if (!href.empty() && static_cast<int>(c) == links.link_column)
        cell = "<a href=\"" + HtmlEscape(href) + "\">" + cell + "</a>";
      html += "<td>" + cell + "</td>";
    }
    html += "</tr>";
  }
  if (view.rows.empty())
    html += "<tr><td class=\"empty\" colspan=\"" + std::to_string(view.columns.size()) +
            "\">&mdash;</td></tr>";
  html += "</tbody></table>";
  return html;
}

}  // namespace zanvoro::host
