// Mail HTML made safe to show: what a mail brings in is kept as formatting
// and pictures, never as something that runs or loads on its own.
//
// An allow-list decides. Kept: text, ordinary formatting and layout elements
// (paragraphs, fonts, tables, lists, links, pictures, <style> without
// anything that runs or imports), the attributes of formatting, links with
// http(s), mailto, tel, ftp, "cid:" and "outlook:" targets or a relative one,
// pictures from those and from "data:image/..." (not SVG). Dropped with
// their content: scripts, frames, objects and embeds, forms and their
// controls, <link>, <base>, <meta> other than the content type, SVG and
// MathML, media elements, data islands; comments and processing
// instructions; event handlers and every other attribute not on the list;
// a URL of any other scheme (javascript:, vbscript:, data: other than a
// picture); a style attribute or element that holds expression(),
// behaviours, bindings, @import, a CSS escape or a url() of a refused
// scheme. Other elements are unwrapped: their content stays. Mail-client
// paragraph marks (<o:p>) stay.
#pragma once

#include <string>
#include <string_view>

namespace zanvoro::host {

// `html` parsed as an HtmlDocument, cleaned as above and written back
// (HtmlDocument::Html). Never fails on malformed input.
std::string SanitizeHtml(std::string_view html);

}  // namespace zanvoro::host
