// The built-in notification templates: fourteen HTML pages in English and
// in French compiled into the program (resources/templates), and the fixed
// default subjects and SMS texts. A helpdesk's templates start from these,
// and a template left empty falls back to its default.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zanvoro {

enum class TemplateLanguage { English, French };

// The language of the default templates for interface language number
// `language_index` (6 is French; every other language takes English).
TemplateLanguage TemplateLanguageFor(int language_index);

// The HTML page of resource `resource` ("NEWCASE.TXT", "EMAILCALLER.TXT"...,
// letter case ignored) in `language`; "" for an unknown name.
std::string DefaultTemplateResource(std::string_view resource, TemplateLanguage language);

// The default text of template key `key` ("sdoEmailCaller",
// "sdoEmailCallerSubject", "sdoSMSCaller"...): the HTML page for a body
// key, the fixed text for a subject or SMS key; "" for a key without a
// default.
std::string DefaultTemplateText(std::string_view key, TemplateLanguage language);

// Every key that has a default, in a fixed order.
const std::vector<std::string_view>& DefaultTemplateKeys();

}  // namespace zanvoro
