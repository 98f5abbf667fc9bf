// The conversation index of a mail (the binary thread key mail clients
// carry in the Thread-Index header) as the item keeps it: uppercase hex.
// Internal to the mail library.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace zanvoro::host {

// A new index that starts a conversation: a reserved byte 0x01, five bytes
// of the time (a FILETIME without its three least significant bytes) and a
// random 16-byte GUID; 44 hex digits.
std::string NewConversationIndex(std::chrono::system_clock::time_point when);

// The Thread-Index header value (base64) as hex; "" when it is not base64
// or holds less than the 22 bytes every index starts with.
std::string ConversationIndexFromThreadIndex(std::string_view base64);
// The hex index as a Thread-Index header value; "" when it is not hex.
std::string ThreadIndexFromConversationIndex(std::string_view hex);

}  // namespace zanvoro::host
