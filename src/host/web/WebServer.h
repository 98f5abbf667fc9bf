// The technicians' web interface: an HTTP server whose page handlers run on
// the UI thread. The server's own threads only parse requests, check the
// session and the CSRF token, post the handler to the event loop and wait
// for its answer; they never touch the store.
//
// Security: the server listens on loopback unless told otherwise, and a
// listen address other than loopback needs a password (Start refuses
// without one). A browser signs in on /login (with the password when one is
// set) and gets a session cookie (HttpOnly, SameSite=Strict). Every change
// is a POST that carries the session's CSRF token (form field "csrf" or
// header "X-CSRF-Token"); a POST without a session or a matching token is
// refused with 403 before any handler runs. GET handlers must change
// nothing.
//
// Server-sent events: GET /events streams what Broadcast sends to every
// signed-in browser.
//
// A modal window waits on the UI thread inside a running task, where the
// loop runs nothing else; ServeUntil serves the browsers from there.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zanvoro::host {

class EventLoop;

struct WebRequest {
  std::string method;
  std::string path;
  // The pattern's captured groups, from 1; [0] is the whole path.
  std::vector<std::string> matches;
  // Query and form parameters (the last value of a repeated name).
  std::map<std::string, std::string> params;
  // The signed-in session's CSRF token, for the forms a page writes.
  std::string csrf;

  // The parameter `name`, or `fallback` when it is absent.
  std::string Param(const std::string& name, std::string fallback = {}) const;
};

struct WebResponse {
  int status = 200;
  std::string content_type = "text/html; charset=utf-8";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;

  static WebResponse Redirect(std::string location);
  static WebResponse Text(int status, std::string text);
};

using WebHandler = std::function<WebResponse(const WebRequest&)>;

struct WebServerOptions {
  // "127.0.0.1:8480"; port 0 takes a free port.
  std::string listen = "127.0.0.1:8480";
  // Empty: no password, allowed on loopback only.
  std::string password;
  // Where the user sets the password, for the refusal's message.
  std::string password_setting = "the web password";
  // How long a request waits for the UI thread before it gets 503.
  std::chrono::milliseconds handler_timeout{30000};
};

// Whether `host` is a loopback address ("127.x.x.x", "::1", "localhost").
bool IsLoopbackHost(const std::string& host);

class WebServer {
 public:
  // `loop` runs the handlers and must outlive the server.
  WebServer(EventLoop& loop, WebServerOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Routes: `pattern` is a regular expression over the whole path. Get
  // routes need a session (others are sent to /login); Post routes need a
  // session and the CSRF token. Register before Start.
  void Get(std::string pattern, WebHandler handler);
  void Post(std::string pattern, WebHandler handler);
  // Files served as they are, without a session ("/static/zanvoro.css").
  void Static(std::string path, std::string content_type, std::string body);
  // The sign-in page: `page(error)` writes it; the form posts "password".
  void LoginPage(std::function<std::string(const std::string& error)> page);

  // Binds and starts serving. Raises Error(err::kInvalidProcedureCall) for a
  // malformed listen address, Error(err::kAccessDenied) for an address
  // other than loopback without a password, and Error(err::kCallFailed)
  // when the address cannot be bound.
  void Start();
  // Ends the event streams and stops serving; waits for the server thread.
  void Stop();
  int Port() const;
  // "http://127.0.0.1:8480/"
  std::string Url() const;

  // Sends `event` with `data` (one line) to every open event stream.
  // Thread-safe.
  void Broadcast(const std::string& event, const std::string& data);

  // Runs the handlers of the requests that arrive on the calling thread,
  // which must be the loop's, until `done()` is true, `timeout` passed, the
  // loop was asked to quit or the server stops; returns done(). For a
  // window that waits for the browser: only the server's handlers run
  // meanwhile, the loop's other tasks and timers wait as they do while the
  // console shows a window. Calls may nest.
  bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace zanvoro::host
