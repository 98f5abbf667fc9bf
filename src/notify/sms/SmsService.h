// The helpdesk's SMS transport: one text to one or more phone numbers
// through the service the shared settings choose ("sdoSMSOption"): 1 an
// HTTP gateway ("sdoSMSGatewayName" and its account settings), 0 the
// desktop messaging client, anything else an e-mail-to-SMS service
// ("sdoSMSEmailService"). UI thread only.
#pragma once

#include <string>
#include <string_view>

namespace zanvoro {

class cCase;

// Sends `message` to `numbers` (joined by ","); `c` is the case it is
// about, or nullptr. Returns "SUCCESS" when a gateway took the message,
// "Success" when the mails to the e-mail service were handed to the
// outgoing mail, else a text saying why nothing was sent: a number with
// other characters than digits and separators, an empty text, a text
// longer than kGatewayMessageLimit for a gateway, no or an unknown
// gateway, a gateway whose address is still unset, the gateway's refusal,
// HTTP error or silence within its time limit ("sdoSMSGatewayTimeout"
// seconds, 10 when unset), no e-mail service, or the messaging client that
// is not running. A failure shows the CONST_SMS_NOT_SENT balloon (except
// with the messaging client, which is never tried); a sent message shows
// nothing (the caller announces it). Never throws.
std::string SendSmsThroughSettings(std::string_view numbers, std::string_view message,
                                   const cCase* c);

// Makes SendSmsThroughSettings the transport of SendSMS.
void InstallSmsTransport();

// The number written in front of the e-mail-to-SMS service's domain: a
// number without its own "+" gets "+" and `country_code` in place of a
// leading "0" (when a country code is set), a "0" right after a two-digit
// country code is dropped, and blanks and "-" are removed.
std::string EmailSmsNumber(std::string_view number, std::string_view country_code);

}  // namespace zanvoro
