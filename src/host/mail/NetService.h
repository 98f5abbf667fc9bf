// What the IMAP, POP3 and SMTP code share: sessions with a mail library
// service made from an account's server settings, and library failures
// turned into this system's errors. Included by .cpp files only.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vmime/vmime.hpp>

#include "host/os/Profile.h"

namespace zanvoro::host::net {

// A store ("imap", "pop3") or transport ("smtp") for `server`, configured
// but not connected: STARTTLS or TLS, the certificate check, and the user
// and password when there is a user.
vmime::shared_ptr<vmime::net::store> MakeStore(const MailServer& server,
                                               std::string_view protocol);
vmime::shared_ptr<vmime::net::transport> MakeTransport(const MailServer& server);

// The library's message with the causes it chains.
std::string Describe(const std::exception& cause);

// The whole text of a mail on the server, read without marking it seen;
// a failure raises the network error "Cannot read <what>".
std::string ReadMessageText(vmime::net::message& message, const std::string& what,
                            const char* source);

// Error(err::kNetworkError) "<what>: <cause>" from `source`.
[[noreturn]] void RaiseNetworkError(const std::string& what, const std::exception& cause,
                                    const char* source);

}  // namespace zanvoro::host::net
