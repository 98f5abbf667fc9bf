// Reading the parts of a parsed MIME message as UTF-8 text and plain values.
// Internal to the mail library (it shows vmime types).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <vmime/contentDispositionField.hpp>
#include <vmime/contentTypeField.hpp>
#include <vmime/vmime.hpp>

#include "runtime/Date.h"

namespace zanvoro::host {

// The header fields of `rfc5322` as written (unfolded, undecoded), in order.
// Reading stops at the first empty line or at a line that is no header.
std::vector<std::pair<std::string, std::string>> RawHeaderFields(
    std::string_view rfc5322);
// The first field of that name (any case), trimmed; "" when absent.
std::string RawField(const std::vector<std::pair<std::string, std::string>>& fields,
                     std::string_view name);

// Encoded words (RFC 2047) and raw 8-bit header text as UTF-8.
std::string TextOf(const vmime::text& text);
std::string TextOf(const vmime::word& word);

// The media type of a part, lower case ("text/plain" when it has none).
std::string MediaTypeOf(const vmime::bodyPart& part);
// A parameter of the part's Content-Type or Content-Disposition, decoded
// (RFC 2231 and the RFC 2047 words some clients put in quotes); "" when absent.
std::string ContentTypeParameter(const vmime::bodyPart& part, const char* name);
std::string DispositionParameter(const vmime::bodyPart& part, const char* name);
// "attachment", "inline" or "" when the part does not say.
std::string DispositionOf(const vmime::bodyPart& part);
// The part's content, transfer-decoded.
std::string DecodedBytes(const vmime::bodyPart& part);

// The local time of an RFC 5322 date, or nullopt for a date that cannot be
// read or lies outside the years a Date holds.
std::optional<Date> LocalDateOf(const vmime::datetime& when);
vmime::datetime MimeDateOf(Date local);

}  // namespace zanvoro::host
