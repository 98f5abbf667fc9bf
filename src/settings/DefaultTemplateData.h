// The default template pages compiled into the library: generated at build
// time from resources/templates (EmbedTemplates.cmake). Private to the
// notification defaults; everyone else asks DefaultTemplates.h.
#pragma once

#include <span>
#include <string_view>

namespace zanvoro {

struct EmbeddedTemplate {
  std::string_view language;  // "en" or "fr", the folder of the page
  std::string_view name;      // "EMAILCALLER", the file name without ".html"
  std::string_view text;      // the page as stored (UTF-8)
};

// Every page, English first, each language in the same order.
std::span<const EmbeddedTemplate> EmbeddedTemplates();

}  // namespace zanvoro
