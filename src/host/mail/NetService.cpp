#include "host/mail/NetService.h"

#include <mutex>
#include <vector>

#include "host/os/AtomicFile.h"
#include "runtime/Error.h"

namespace zanvoro::host::net {
namespace {

constexpr const char* kCaBundle = "/etc/ssl/certs/ca-certificates.crt";

// Takes any certificate: for test servers on loopback, when the account says so.
class TrustAnyVerifier : public vmime::security::cert::certificateVerifier {
 public:
  void verify(vmime::shared_ptr<vmime::security::cert::certificateChain>,
              const vmime::string&) override {}
};

// The system's certificate authorities, read once.
const std::vector<vmime::shared_ptr<vmime::security::cert::X509Certificate>>& RootCAs() {
  static std::vector<vmime::shared_ptr<vmime::security::cert::X509Certificate>> roots;
  static std::once_flag once;
  std::call_once(once, [] {
    std::optional<std::string> bundle;
    try {
      bundle = ReadFileIfExists(kCaBundle);
    } catch (const Error&) {
    }
    if (!bundle) return;
    const std::string begin = "-----BEGIN CERTIFICATE-----";
    const std::string end = "-----END CERTIFICATE-----";
    for (size_t at = bundle->find(begin); at != std::string::npos;
         at = bundle->find(begin, at + 1)) {
      size_t stop = bundle->find(end, at);
      if (stop == std::string::npos) break;
      std::string pem = bundle->substr(at, stop + end.size() - at) + "\n";
      try {
        auto cert = vmime::security::cert::X509Certificate::import(
            reinterpret_cast<const vmime::byte_t*>(pem.data()), pem.size());
        if (cert) roots.push_back(cert);
      } catch (const std::exception&) {
        // A certificate the library cannot read is left out.
      }
    }
  });
  return roots;
}

void Configure(vmime::net::service& service, const MailServer& server) {
  if (server.port != 0) service.setProperty("server.port", server.port);
  if (server.security == MailSecurity::StartTls) {
    service.setProperty("connection.tls", true);
    service.setProperty("connection.tls.required", true);
  }
  if (!server.user.empty()) {
    service.setProperty("options.need-authentication", true);
    service.setProperty("auth.username", server.user);
    service.setProperty("auth.password", server.password);
  }
  if (server.certificate == CertificateCheck::TrustAny) {
    service.setCertificateVerifier(vmime::make_shared<TrustAnyVerifier>());
  } else {
    auto verifier =
        vmime::make_shared<vmime::security::cert::defaultCertificateVerifier>();
    verifier->setX509RootCAs(RootCAs());
    service.setCertificateVerifier(verifier);
  }
}

std::string Protocol(std::string_view base, const MailServer& server) {
  return std::string(base) + (server.security == MailSecurity::Tls ? "s" : "");
}

}  // namespace

vmime::shared_ptr<vmime::net::store> MakeStore(const MailServer& server,
                                               std::string_view protocol) {
  auto session = vmime::net::session::create();
  vmime::utility::url url(Protocol(protocol, server), server.host);
  auto store = session->getStore(url);
  Configure(*store, server);
  return store;
}

vmime::shared_ptr<vmime::net::transport> MakeTransport(const MailServer& server) {
  auto session = vmime::net::session::create();
  vmime::utility::url url(Protocol("smtp", server), server.host);
  auto transport = session->getTransport(url);
  Configure(*transport, server);
  return transport;
}

std::string Describe(const std::exception& cause) {
  std::string text = cause.what();
  if (auto* chained = dynamic_cast<const vmime::exception*>(&cause)) {
    if (auto* command = dynamic_cast<const vmime::exceptions::command_error*>(chained)) {
      if (!command->response().empty())
        text += " (server said: " + command->response() + ")";
    }
    for (const vmime::exception* other = chained->other(); other && other->what()[0];
         other = other->other()) {
      text += ": ";
      text += other->what();
    }
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

void RaiseNetworkError(const std::string& what, const std::exception& cause,
                       const char* source) {
  throw Error(err::kNetworkError, what + ": " + Describe(cause), source);
}

std::string ReadMessageText(vmime::net::message& message, const std::string& what,
                            const char* source) {
  std::string text;
  try {
    vmime::utility::outputStreamStringAdapter out(text);
    // Peek: reading must not mark the mail seen on the server.
    message.extract(out, nullptr, 0, static_cast<size_t>(-1), true);
  } catch (const std::exception& cause) {
    RaiseNetworkError("Cannot read " + what, cause, source);
  }
  return text;
}

}  // namespace zanvoro::host::net
