#include "host/web/WebServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <atomic>
#include <thread>
#include <string>

#include "host/os/EventLoop.h"
#include "host/web/WebPage.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

// Runs `client` on a thread of its own while the loop serves the handlers.
template <class F>
auto WhileServing(EventLoop& loop, F client) {
  std::atomic<bool> done = false;
  decltype(client()) result;
  std::thread thread([&] {
    result = client();
    done = true;
    loop.Post([] {});  // wakes the loop to see that the client is done
  });
  loop.RunUntil([&] { return done.load(); }, std::chrono::seconds(30));
  thread.join();
  return result;
}

std::string SessionCookie(const httplib::Result& login) {
  std::string cookie = login->get_header_value("Set-Cookie");
  return cookie.substr(0, cookie.find(';'));
}

TEST(WebServer, ChangesNeedTheSessionCookieAndItsCsrfToken) {
  EventLoop loop;
  WebServerOptions options;
  options.listen = "127.0.0.1:0";
  WebServer server(loop, options);
  int changes = 0;
  server.Post("/change", [&](const WebRequest&) {
    ++changes;
    return WebResponse::Text(200, "changed");
  });
  server.Get("/token", [](const WebRequest& request) {
    return WebResponse::Text(200, request.csrf);
  });
  server.Start();

  struct Seen {
    int anonymous, no_token, wrong_token, as_get, anonymous_get, with_token;
    std::string set_cookie;
  };
  Seen seen = WhileServing(loop, [&] {
    httplib::Client client("127.0.0.1", server.Port());
    Seen s{};
    s.anonymous = client.Post("/change", "csrf=x", "application/x-www-form-urlencoded")->status;
    auto login = client.Post("/login", "", "application/x-www-form-urlencoded");
    s.set_cookie = login->get_header_value("Set-Cookie");
    httplib::Headers session = {{"Cookie", SessionCookie(login)}};
    std::string token = client.Get("/token", session)->body;
    s.no_token = client.Post("/change", session, "", "application/x-www-form-urlencoded")->status;
    s.wrong_token = client.Post("/change", session, "csrf=" + std::string(token.size(), '0'),
                                "application/x-www-form-urlencoded")->status;
    s.as_get = client.Get("/change?csrf=" + token, session)->status;
    s.anonymous_get = client.Get("/token")->status;
    s.with_token = client.Post("/change", session, "csrf=" + token,
                               "application/x-www-form-urlencoded")->status;
    return s;
  });
  server.Stop();

  EXPECT_EQ(seen.anonymous, 403);
  EXPECT_EQ(seen.no_token, 403);
  EXPECT_EQ(seen.wrong_token, 403);
  EXPECT_EQ(seen.as_get, 404);  // a change is never a GET
  EXPECT_EQ(seen.anonymous_get, 303);
  EXPECT_EQ(seen.with_token, 200);
  EXPECT_EQ(changes, 1);
  EXPECT_NE(seen.set_cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(seen.set_cookie.find("SameSite=Strict"), std::string::npos);
}

TEST(WebServer, PasswordGuardsTheSessionAndOtherThanLoopback) {
  EventLoop loop;
  WebServerOptions open;
  open.listen = "0.0.0.0:0";
  WebServer refused(loop, open);
  try {
    refused.Start();
    FAIL() << "started on 0.0.0.0 without a password";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), err::kAccessDenied);
  }
  WebServerOptions malformed;
  malformed.listen = "127.0.0.1";
  EXPECT_THROW(WebServer(loop, malformed).Start(), Error);

  WebServerOptions guarded;
  guarded.listen = "127.0.0.1:0";
  guarded.password = "s3cret";
  WebServer server(loop, guarded);
  server.Start();
  auto statuses = WhileServing(loop, [&] {
    httplib::Client client("127.0.0.1", server.Port());
    auto wrong = client.Post("/login", "password=guess", "application/x-www-form-urlencoded");
    auto right = client.Post("/login", "password=s3cret", "application/x-www-form-urlencoded");
    return std::pair{wrong->has_header("Set-Cookie") ? 0 : wrong->status,
                     right->has_header("Set-Cookie") ? right->status : 0};
  });
  EXPECT_EQ(statuses.first, 403);
  EXPECT_EQ(statuses.second, 303);
}

TEST(WebPage, EveryTextIsEscaped) {
  TableView view;
  view.columns = {{"<b>Number</b>", 900}, {"Subject", 3000}};
  view.rows = {{"7", "<img src=x onerror=alert(1)>"}};
  WebTableLinks links;
  links.row_href = [](size_t) { return std::string("/case/7?\"x"); };
  std::string html = TableViewHtml(view, links);
  EXPECT_EQ(html.find("<img"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_NE(html.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
  EXPECT_NE(html.find("/case/7?&quot;x"), std::string::npos);

  WebPage page;
  page.title = "</title><script>";
  page.messages.push_back(MessageBoxRequest{.prompt = "<script>x</script>"});
  std::string document = RenderWebPage(page);
  EXPECT_EQ(document.find("<script>"), std::string::npos);
}

}  // namespace
}  // namespace zanvoro::host
