// An HTTP server on loopback for the tests of what talks HTTP (SMS
// gateways, the update check): answers every GET and POST with the text
// and status set, optionally after a stall of 1.5 s, and records each
// request. Link PkgConfig::HTTPLIB.
#pragma once

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zanvoro::testsupport {

class LoopbackHttpServer {
 public:
  LoopbackHttpServer() {
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
      bool stall;
      {
        std::lock_guard lock(mutex_);
        requests_.push_back({request.method, request.target});
        stall = stall_;
      }
      if (stall) std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      std::lock_guard lock(mutex_);
      response.status = status_;
      response.set_content(answer_, "text/plain");
    };
    server_.Get(".*", handler);
    server_.Post(".*", handler);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~LoopbackHttpServer() {
    server_.stop();
    thread_.join();
  }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  void Answer(std::string text, int status = 200, bool stall = false) {
    std::lock_guard lock(mutex_);
    answer_ = std::move(text);
    status_ = status;
    stall_ = stall;
  }
  // The targets asked for since the last call ("/path?query").
  std::vector<std::string> Targets() {
    std::vector<std::string> targets;
    for (auto& [method, target] : Take()) targets.push_back(std::move(target));
    return targets;
  }
  // The requests since the last call, as "METHOD target".
  std::vector<std::string> Requests() {
    std::vector<std::string> requests;
    for (auto& [method, target] : Take()) requests.push_back(method + " " + target);
    return requests;
  }

 private:
  std::vector<std::pair<std::string, std::string>> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> requests_;
  std::string answer_;
  int status_ = 200;
  bool stall_ = false;
};

}  // namespace zanvoro::testsupport
