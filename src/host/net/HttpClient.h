// A plain HTTP(S) client for the requests the add-in makes itself (SMS
// gateways, the update check): one synchronous GET or POST with short time
// limits, so a server that stalls holds the calling thread no longer than
// the limit.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace zanvoro::host {

struct HttpLimits {
  // Time to reach the server, and time for the whole exchange.
  std::chrono::milliseconds connect{std::chrono::seconds(5)};
  std::chrono::milliseconds total{std::chrono::seconds(10)};
};

struct HttpResponse {
  long status = 0;   // the HTTP status code, 200...
  std::string body;  // the response text as received
};

// Sends GET `url` (http or https only; redirects are not followed) and
// returns the server's answer whatever its status. Raises
// Error(err::kNetworkError) naming the URL's host and the cause when no
// answer came: unknown host, refused connection, time limit reached, TLS
// failure. Loopback addresses never go through a proxy. Any thread.
HttpResponse HttpGet(const std::string& url, const HttpLimits& limits = {});
// Sends POST `url` with `body` as "application/x-www-form-urlencoded" (an
// empty body is an empty form); otherwise as HttpGet.
HttpResponse HttpPost(const std::string& url, std::string_view body,
                      const HttpLimits& limits = {});

// The host name of `url` in lower case, without user, port, path or query
// ("https://Ann:pw@SMS.example:8080/send?x" gives "sms.example").
std::string UrlHost(std::string_view url);

}  // namespace zanvoro::host
