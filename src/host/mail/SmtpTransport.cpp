#include "host/mail/SmtpTransport.h"

#include <vmime/net/smtp/SMTPExceptions.hpp>

#include "host/mail/MailExport.h"
#include "host/mail/NetService.h"

namespace zanvoro::host {

struct SmtpTransport::Impl {
  MailServer server;
  vmime::shared_ptr<vmime::net::transport> transport;

  // After any failure the connection's state is unknown: start a new one.
  void Drop() {
    auto old = std::move(transport);
    try {
      if (old && old->isConnected()) old->disconnect();
    } catch (const std::exception&) {
      // The connection is gone either way.
    }
  }
};

SmtpTransport::SmtpTransport(MailServer server) : impl_(std::make_unique<Impl>()) {
  impl_->server = std::move(server);
}

SmtpTransport::~SmtpTransport() { Close(); }

SendResult SmtpTransport::Send(const ExportedMail& mail) {
  Impl& impl = *impl_;
  std::string where = "the SMTP server " + impl.server.host;
  try {
    if (!impl.transport || !impl.transport->isConnected()) {
      impl.Drop();
      impl.transport = net::MakeTransport(impl.server);
      impl.transport->connect();
    }
    vmime::mailboxList recipients;
    for (const std::string& to : mail.envelope_recipients)
      recipients.appendMailbox(
          vmime::make_shared<vmime::mailbox>(vmime::emailAddress(to)));
    vmime::utility::inputStreamStringAdapter input(mail.rfc5322);
    impl.transport->send(vmime::mailbox(vmime::emailAddress(mail.envelope_from)),
                         recipients, input, mail.rfc5322.size());
    return {SendStatus::Sent, {}};
  } catch (const vmime::net::smtp::SMTPCommandError& refusal) {
    impl.Drop();
    // A 5xx reply to the mail itself means the server will never take it; a
    // refused login or greeting is the account's problem and may clear up.
    bool about_mail = refusal.command().rfind("MAIL", 0) == 0 ||
                      refusal.command().rfind("RCPT", 0) == 0 ||
                      refusal.command().rfind("DATA", 0) == 0 ||
                      refusal.command().rfind("BDAT", 0) == 0;
    SendStatus status = about_mail && refusal.statusCode() >= 500 ? SendStatus::Failed
                                                                  : SendStatus::Retry;
    return {status, where + " refused the mail with " +
                        std::to_string(refusal.statusCode()) + ": " +
                        net::Describe(refusal)};
  } catch (const std::exception& cause) {
    impl.Drop();
    return {SendStatus::Retry,
            "Cannot send through " + where + ": " + net::Describe(cause)};
  }
}

void SmtpTransport::Close() { impl_->Drop(); }

}  // namespace zanvoro::host
