#include "host/web/WebServer.h"

#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <random>
#include <regex>
#include <thread>

#include "host/os/EventLoop.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kCookieName = "zanvoro_session";
constexpr size_t kMaxSessions = 256;
constexpr size_t kKeptEvents = 64;
// httplib serves each connection on a pool thread, and every open event
// stream holds one.
constexpr size_t kServerThreads = 24;

std::string RandomToken() {
  static std::mutex mutex;
  static std::random_device device;
  std::lock_guard lock(mutex);
  static const char* digits = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 8; ++i) {
    uint32_t word = device();
    for (int j = 0; j < 8; ++j) {
      token += digits[word & 15];
      word >>= 4;
    }
  }
  return token;
}

// Constant-time comparison, so a token cannot be guessed by timing.
bool SameToken(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

std::string CookieValue(const httplib::Request& request, const std::string& name) {
  std::string header = request.get_header_value("Cookie");
  for (const std::string& part : Split(header, ";")) {
    std::string trimmed = Trim(part);
    size_t equals = trimmed.find('=');
    if (equals != std::string::npos && trimmed.substr(0, equals) == name)
      return trimmed.substr(equals + 1);
  }
  return {};
}

void SecurityHeaders(httplib::Response& response) {
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_header("Referrer-Policy", "no-referrer");
  response.set_header("X-Frame-Options", "SAMEORIGIN");
  response.set_header("Cache-Control", "no-store");
}

struct Route {
  std::regex pattern;
  WebHandler handler;
};

}  // namespace

std::string WebRequest::Param(const std::string& name, std::string fallback) const {
  auto found = params.find(name);
  return found == params.end() ? fallback : found->second;
}

WebResponse WebResponse::Redirect(std::string location) {
  WebResponse response;
  response.status = 303;
  response.headers.emplace_back("Location", std::move(location));
  return response;
}

WebResponse WebResponse::Text(int status, std::string text) {
  WebResponse response;
  response.status = status;
  response.content_type = "text/plain; charset=utf-8";
  response.body = std::move(text);
  return response;
}

bool IsLoopbackHost(const std::string& host) {
  return host == "localhost" || host == "::1" || host == "[::1]" ||
         StartsWithText(host, "127.");
}

struct WebServer::State {
  EventLoop& loop;
  WebServerOptions options;
  std::string host;
  int port = 0;
  httplib::Server server;
  std::thread thread;
  std::vector<Route> gets;
  std::vector<Route> posts;
  std::function<std::string(const std::string&)> login_page;

  std::mutex mutex;
  std::condition_variable changed;
  std::map<std::string, std::string> sessions;  // cookie -> CSRF token
  std::deque<std::pair<uint64_t, std::string>> events;
  uint64_t last_event = 0;
  bool stopping = false;
  // The handlers waiting for the UI thread; whoever comes first runs each:
  // the loop task posted with it, or a ServeUntil.
  std::deque<std::function<void()>> jobs;
  std::condition_variable job_posted;
  std::weak_ptr<State> self;

  State(EventLoop& l, WebServerOptions o) : loop(l), options(std::move(o)) {}

  // The session's CSRF token, or "" when the request has no session.
  std::string SessionToken(const httplib::Request& request) {
    std::string cookie = CookieValue(request, kCookieName);
    std::lock_guard lock(mutex);
    auto found = sessions.find(cookie);
    return found == sessions.end() ? std::string{} : found->second;
  }

  std::string NewSession() {
    std::string cookie = RandomToken();
    std::lock_guard lock(mutex);
    // The oldest sessions make room when too many browsers signed in.
    if (sessions.size() >= kMaxSessions) sessions.erase(sessions.begin());
    sessions[cookie] = RandomToken();
    return cookie;
  }

  // Runs `handler` on the UI thread and waits for its answer.
  WebResponse RunOnLoop(const WebHandler& handler, WebRequest request) {
    auto answer = std::make_shared<std::promise<WebResponse>>();
    std::future<WebResponse> future = answer->get_future();
    {
      std::lock_guard lock(mutex);
      jobs.emplace_back([handler, answer, request = std::move(request)] {
        try {
          answer->set_value(handler(request));
        } catch (const Error& error) {
          answer->set_value(WebResponse::Text(500, error.Description()));
        } catch (const std::exception& error) {
          answer->set_value(WebResponse::Text(500, error.what()));
        }
      });
    }
    job_posted.notify_all();
    loop.Post([weak = self] {
      if (auto state = weak.lock()) state->RunJob();
    });
    if (future.wait_for(options.handler_timeout) != std::future_status::ready)
      return WebResponse::Text(503, "The helpdesk is busy; try again in a moment.");
    return future.get();
  }

  // Runs the oldest waiting handler; false when none waits.
  bool RunJob() {
    std::function<void()> job;
    {
      std::lock_guard lock(mutex);
      if (jobs.empty()) return false;
      job = std::move(jobs.front());
      jobs.pop_front();
    }
    job();
    return true;
  }

  void Dispatch(const httplib::Request& request, httplib::Response& response,
                const std::vector<Route>& routes, const std::string& csrf) {
    for (const Route& route : routes) {
      std::smatch match;
      if (!std::regex_match(request.path, match, route.pattern)) continue;
      WebRequest web;
      web.method = request.method;
      web.path = request.path;
      for (const auto& group : match) web.matches.push_back(group.str());
      for (const auto& [name, value] : request.params) web.params[name] = value;
      web.csrf = csrf;
      WebResponse answer = RunOnLoop(route.handler, std::move(web));
      response.status = answer.status;
      for (const auto& [name, value] : answer.headers) response.set_header(name, value);
      response.set_content(answer.body, answer.content_type.c_str());
      return;
    }
    response.status = 404;
    response.set_content("Not found", "text/plain; charset=utf-8");
  }

  void ServeLogin(httplib::Response& response, const std::string& error) {
    std::string page = login_page ? login_page(error) : std::string("<form method=post>"
                                                                    "<button>Sign in"
                                                                    "</button></form>");
    response.set_content(page, "text/html; charset=utf-8");
  }

  void Login(const httplib::Request& request, httplib::Response& response) {
    std::string given = request.has_param("password") ? request.get_param_value("password")
                                                      : std::string{};
    if (!options.password.empty() && !SameToken(given, options.password)) {
      response.status = 403;
      ServeLogin(response, "The password is not right.");
      return;
    }
    std::string cookie = NewSession();
    response.set_header("Set-Cookie", std::string(kCookieName) + "=" + cookie +
                                          "; Path=/; HttpOnly; SameSite=Strict");
    response.status = 303;
    response.set_header("Location", "/");
  }

  void Handle(const httplib::Request& request, httplib::Response& response) {
    SecurityHeaders(response);
    if (request.path == "/login") {
      if (request.method == "POST") {
        Login(request, response);
      } else {
        ServeLogin(response, {});
      }
      return;
    }
    std::string csrf = SessionToken(request);
    if (request.method == "GET" || request.method == "HEAD") {
      if (csrf.empty()) {
        response.status = 303;
        response.set_header("Location", "/login");
      } else if (request.path == "/events") {
        Events(response);
      } else {
        Dispatch(request, response, gets, csrf);
      }
      return;
    }
    if (request.method != "POST") {
      response.status = 405;
      return;
    }
    std::string given = request.get_header_value("X-CSRF-Token");
    if (given.empty() && request.has_param("csrf")) given = request.get_param_value("csrf");
    if (csrf.empty() || !SameToken(given, csrf)) {
      response.status = 403;
      response.set_content(csrf.empty() ? "Sign in first." : "The form has expired; reload the page.",
                           "text/plain; charset=utf-8");
      return;
    }
    Dispatch(request, response, posts, csrf);
  }

  void Events(httplib::Response& response) {
    uint64_t seen;
    {
      std::lock_guard lock(mutex);
      seen = last_event;
    }
    response.set_header("X-Accel-Buffering", "no");
    response.set_chunked_content_provider(
        "text/event-stream", [this, seen](size_t, httplib::DataSink& sink) mutable {
          std::unique_lock lock(mutex);
          changed.wait_for(lock, std::chrono::seconds(15),
                           [&] { return stopping || last_event > seen; });
          if (stopping) {
            sink.done();
            return false;
          }
          std::string out;
          for (const auto& [number, text] : events) {
            if (number > seen) out += text;
          }
          seen = last_event;
          lock.unlock();
          // A comment keeps the connection open through quiet times.
          if (out.empty()) out = ":\n\n";
          return sink.write(out.data(), out.size());
        });
  }
};

WebServer::WebServer(EventLoop& loop, WebServerOptions options)
    : state_(std::make_shared<State>(loop, std::move(options))) {
  state_->self = state_;
}

WebServer::~WebServer() { Stop(); }

void WebServer::Get(std::string pattern, WebHandler handler) {
  state_->gets.push_back({std::regex(pattern), std::move(handler)});
}

void WebServer::Post(std::string pattern, WebHandler handler) {
  state_->posts.push_back({std::regex(pattern), std::move(handler)});
}

void WebServer::Static(std::string path, std::string content_type, std::string body) {
  state_->server.Get(path, [content_type, body](const httplib::Request&,
                                                httplib::Response& response) {
    SecurityHeaders(response);
    response.set_header("Cache-Control", "max-age=300");
    response.set_content(body, content_type.c_str());
  });
}

void WebServer::LoginPage(std::function<std::string(const std::string&)> page) {
  state_->login_page = std::move(page);
}

void WebServer::Start() {
  State& s = *state_;
  size_t colon = s.options.listen.rfind(':');
  std::string port_text =
      colon == std::string::npos ? std::string{} : s.options.listen.substr(colon + 1);
  s.host = colon == std::string::npos ? std::string{} : s.options.listen.substr(0, colon);
  if (s.host.size() > 2 && s.host.front() == '[' && s.host.back() == ']')
    s.host = s.host.substr(1, s.host.size() - 2);
  if (s.host.empty() || port_text.empty() ||
      port_text.find_first_not_of("0123456789") != std::string::npos ||
      port_text.size() > 5 || std::stoi(port_text) > 65535) {
    throw Error(err::kInvalidProcedureCall,
                "the listen address \"" + s.options.listen +
                    "\" is not of the form HOST:PORT (e.g. 127.0.0.1:8480)");
  }
  if (!IsLoopbackHost(s.host) && s.options.password.empty()) {
    throw Error(err::kAccessDenied,
                "the web interface listens on " + s.host +
                    ", which is not loopback, and no password is set: set " +
                    s.options.password_setting + ", or listen on 127.0.0.1");
  }

  s.server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  s.server.set_payload_max_length(8 * 1024 * 1024);
  std::weak_ptr<State> weak = state_;
  // Every path goes through one handler (the static files were registered
  // before it and match first), after the body was read.
  auto handle = [weak](const httplib::Request& request, httplib::Response& response) {
    if (auto state = weak.lock()) state->Handle(request, response);
  };
  s.server.Get(".*", handle);
  s.server.Post(".*", handle);

  int port = std::stoi(port_text);
  if (port == 0) {
    port = s.server.bind_to_any_port(s.host);
  } else if (!s.server.bind_to_port(s.host, port)) {
    port = -1;
  }
  if (port <= 0) {
    throw Error(err::kCallFailed, "the web interface cannot listen on " + s.options.listen +
                                      " (in use, or not an address of this machine)");
  }
  s.port = port;
  s.thread = std::thread([state = state_] { state->server.listen_after_bind(); });
}

void WebServer::Stop() {
  State& s = *state_;
  {
    std::lock_guard lock(s.mutex);
    s.stopping = true;
  }
  s.changed.notify_all();
  s.job_posted.notify_all();
  if (s.thread.joinable()) {
    s.server.stop();
    s.thread.join();
  }
}

int WebServer::Port() const { return state_->port; }

std::string WebServer::Url() const {
  std::string host = state_->host.find(':') != std::string::npos ? "[" + state_->host + "]"
                                                                   : state_->host;
  return "http://" + host + ":" + std::to_string(state_->port) + "/";
}

void WebServer::Broadcast(const std::string& event, const std::string& data) {
  std::string text = "event: " + event + "\ndata: " +
                     Replace(Replace(data, "\r", " "), "\n", " ") + "\n\n";
  {
    std::lock_guard lock(state_->mutex);
    state_->events.emplace_back(++state_->last_event, std::move(text));
    while (state_->events.size() > kKeptEvents) state_->events.pop_front();
  }
  state_->changed.notify_all();
}

bool WebServer::ServeUntil(const std::function<bool()>& done,
                           std::chrono::milliseconds timeout) {
  State& s = *state_;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  // done() may turn true through what the UI thread does itself (a handler
  // run here, a window closed from code); it is asked again this often.
  constexpr auto kLook = std::chrono::milliseconds(100);
  while (!done()) {
    const auto now = std::chrono::steady_clock::now();
    if (s.loop.QuitRequested() || now >= deadline) return false;
    {
      std::unique_lock lock(s.mutex);
      if (s.stopping) return false;
      s.job_posted.wait_until(lock, std::min(deadline, now + kLook),
                              [&] { return s.stopping || !s.jobs.empty(); });
    }
    s.RunJob();
  }
  return true;
}

}  // namespace zanvoro::host
