// Text of any charset a mail may declare, as UTF-8. Internal to the mail
// library.
#pragma once

#include <string>
#include <string_view>

namespace zanvoro::host {

// `bytes` in `charset` as UTF-8. Never throws: a charset nobody knows, or
// none at all, is read as windows-1252 unless the bytes are already valid
// UTF-8 (which plain ASCII always is); invalid sequences of a known charset
// become replacement marks rather than losing the text around them.
std::string DecodeToUtf8(std::string_view bytes, std::string_view charset);

// Windows-1252 (a superset of Latin-1 for printable text) as UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);

// Line breaks as CRLF, whatever mix the text had.
std::string WithCrlf(std::string_view text);

}  // namespace zanvoro::host
