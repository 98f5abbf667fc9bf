// Conversions between UTF-8, the program's text, and UTF-16LE, the encoding
// of the phrase table. Both directions check their input: malformed text
// raises Error(err::kInvalidProcedureCall) naming what is wrong and at which
// byte, and never yields a partial result.
#pragma once

#include <string>
#include <string_view>

namespace zanvoro {

// UTF-16LE bytes (no byte-order mark handling: a BOM becomes U+FEFF) to
// UTF-8. An odd byte count or an unpaired surrogate is an error.
std::string Utf16LeToUtf8(std::string_view utf16le_bytes);

// UTF-8 to UTF-16LE bytes. Overlong forms, surrogates encoded in UTF-8,
// values past U+10FFFF and cut-short sequences are errors.
std::string Utf8ToUtf16Le(std::string_view utf8);

}  // namespace zanvoro
