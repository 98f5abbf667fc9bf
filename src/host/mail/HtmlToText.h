// The plain-text reading of an HTML mail body. Internal to the mail library.
#pragma once

#include <string>
#include <string_view>

namespace zanvoro::host {

// `html` (UTF-8) as text with CRLF line breaks: paragraphs, line breaks,
// list items, table rows and headings on lines of their own, runs of white
// space collapsed, scripts, styles and the head left out, "> " before the
// lines of quoted history (blockquote), a link's address after its text when
// the two differ. Never throws; broken markup is read as far as it goes.
std::string HtmlToText(std::string_view html);

}  // namespace zanvoro::host
