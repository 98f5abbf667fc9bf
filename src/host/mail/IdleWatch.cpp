#include "host/mail/IdleWatch.h"

#include <curl/curl.h>
#include <poll.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "host/os/Profile.h"

namespace zanvoro::host {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kSlice{100};
constexpr long kConnectSeconds = 10;

// How an IDLE connection ended.
enum class Outcome { Stopped, Lost, NoIdle };

int AbortOnStop(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

// One IMAP connection, opened and logged in by libcurl; the commands after
// the log-in are ours.
class Connection {
 public:
  explicit Connection(const std::atomic<bool>& stop)
      : stop_(stop), handle_(curl_easy_init()) {}
  ~Connection() {
    if (handle_) curl_easy_cleanup(handle_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Open(const MailServer& server) {
    if (!handle_) return false;
    const bool tls = server.security == MailSecurity::Tls;
    const int port = server.port ? server.port : (tls ? 993 : 143);
    const std::string url = std::string(tls ? "imaps://" : "imap://") + server.host +
                            ":" + std::to_string(port) + "/";
    curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "imap,imaps");
    curl_easy_setopt(handle_, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(handle_, CURLOPT_SERVER_RESPONSE_TIMEOUT, kConnectSeconds);
    curl_easy_setopt(handle_, CURLOPT_NOPROXY, "*");
    if (server.security == MailSecurity::StartTls)
      curl_easy_setopt(handle_, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (server.certificate == CertificateCheck::TrustAny) {
      curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 0L);
      curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    // A stop asked for while connecting ends the attempt at once.
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, &stop_);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &AbortOnStop);
    if (!server.user.empty()) {
      curl_easy_setopt(handle_, CURLOPT_USERNAME, server.user.c_str());
      curl_easy_setopt(handle_, CURLOPT_PASSWORD, server.password.c_str());
    }
    if (curl_easy_perform(handle_) != CURLE_OK) return false;
    return curl_easy_getinfo(handle_, CURLINFO_ACTIVESOCKET, &socket_) == CURLE_OK &&
           socket_ != CURL_SOCKET_BAD;
  }

  bool Send(std::string_view text) {
    while (!text.empty()) {
      size_t sent = 0;
      CURLcode rc = curl_easy_send(handle_, text.data(), text.size(), &sent);
      if (rc == CURLE_AGAIN) {
        if (!WaitFor(POLLOUT, Clock::now() + std::chrono::seconds(kConnectSeconds)))
          return false;
        continue;
      }
      if (rc != CURLE_OK) return false;
      text.remove_prefix(sent);
    }
    return true;
  }

  // The next line from the server without its CR LF; false when the
  // connection is lost, the deadline passes or a stop is asked for.
  bool ReadLine(std::string& line, Clock::time_point deadline) {
    for (;;) {
      size_t end = buffer_.find("\r\n");
      if (end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 2);
        return true;
      }
      char chunk[4096];
      size_t got = 0;
      CURLcode rc = curl_easy_recv(handle_, chunk, sizeof chunk, &got);
      if (rc == CURLE_OK) {
        if (got == 0) return false;  // the server closed the connection
        buffer_.append(chunk, got);
        continue;
      }
      if (rc != CURLE_AGAIN) return false;
      if (!WaitFor(POLLIN, deadline)) return false;
    }
  }

  // Sends `tag command` and reads up to its tagged answer; true on OK.
  // Untagged lines are appended to `untagged`.
  bool Command(std::string_view tag, std::string_view command, std::string* untagged) {
    if (!Send(std::string(tag) + " " + std::string(command) + "\r\n")) return false;
    const std::string prefix = std::string(tag) + " ";
    std::string line;
    const auto deadline = Clock::now() + std::chrono::seconds(kConnectSeconds);
    while (ReadLine(line, deadline)) {
      if (line.rfind(prefix, 0) == 0) return line.compare(prefix.size(), 2, "OK") == 0;
      if (untagged) *untagged += line + "\n";
    }
    return false;
  }

  bool TimedOut() const { return timed_out_; }
  // From now on waits run to their deadline even when a stop is asked for:
  // the last exchange of a closing connection.
  void Finishing() { finishing_ = true; }

 private:
  // Waits for the socket in short slices so a stop is seen at once.
  bool WaitFor(short events, Clock::time_point deadline) {
    timed_out_ = false;
    while (finishing_ || !stop_) {
      if (Clock::now() >= deadline) {
        timed_out_ = true;
        return false;
      }
      pollfd fd{static_cast<int>(socket_), events, 0};
      int ready = poll(&fd, 1, static_cast<int>(kSlice.count()));
      if (ready > 0) return true;
      if (ready < 0 && errno != EINTR) return false;
    }
    return false;
  }

  const std::atomic<bool>& stop_;
  CURL* handle_;
  curl_socket_t socket_ = CURL_SOCKET_BAD;
  std::string buffer_;
  bool timed_out_ = false;
  bool finishing_ = false;
};

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

bool AnnouncesMail(std::string_view line) {
  return line.size() > 2 && line.substr(0, 2) == "* " &&
         (line.ends_with(" EXISTS") || line.ends_with(" RECENT"));
}

}  // namespace

struct IdleWatch::Account {
  IncomingAccount account;
  std::thread thread;
};

namespace {

// One connection's life: log in, select the folder, IDLE until stopped,
// renewing the command now and then.
Outcome Watch(const IncomingAccount& account, const IdleWatch::Timing& timing,
              const std::atomic<bool>& stop, std::atomic<bool>& arrived,
              std::atomic<int>& idling) {
  Connection connection(stop);
  if (!connection.Open(account.server)) return Outcome::Lost;
  std::string capabilities;
  if (!connection.Command("c1", "CAPABILITY", &capabilities)) return Outcome::Lost;
  if (capabilities.find(" IDLE") == std::string::npos) return Outcome::NoIdle;
  if (!connection.Command("c2", "SELECT " + Quoted(account.server_folder), nullptr))
    return Outcome::Lost;
  for (int n = 1; !stop; ++n) {
    const std::string tag = "i" + std::to_string(n);
    if (!connection.Send(tag + " IDLE\r\n")) return Outcome::Lost;
    std::string line;
    const auto renew_at = Clock::now() + timing.renew;
    if (!connection.ReadLine(line,
                             Clock::now() + std::chrono::seconds(kConnectSeconds)) ||
        line.rfind("+", 0) != 0)
      return stop ? Outcome::Stopped : Outcome::Lost;
    ++idling;
    while (connection.ReadLine(line, renew_at)) {
      if (AnnouncesMail(line)) arrived = true;
    }
    --idling;
    if (!stop && !connection.TimedOut()) return Outcome::Lost;
    // Leave IDLE so the connection goes on, or logs out quickly at its end.
    if (stop) connection.Finishing();
    if (!connection.Send("DONE\r\n")) return Outcome::Lost;
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    const std::string prefix = tag + " ";
    while (connection.ReadLine(line, deadline) && line.rfind(prefix, 0) != 0) {
      if (AnnouncesMail(line)) arrived = true;
    }
  }
  return Outcome::Stopped;
}

}  // namespace

IdleWatch::IdleWatch(const Profile& profile, Timing timing) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  for (const IncomingAccount& incoming : profile.incoming) {
    if (incoming.kind != IncomingKind::Imap) continue;
    auto account = std::make_unique<Account>();
    account->account = incoming;
    Account* self = account.get();
    account->thread = std::thread([this, self, timing] {
      while (!stop_) {
        Outcome outcome = Watch(self->account, timing, stop_, arrived_, idling_);
        if (outcome != Outcome::Lost) return;
        // Wait before trying again; the polling covers the gap.
        const auto until = Clock::now() + timing.retry;
        while (!stop_ && Clock::now() < until) std::this_thread::sleep_for(kSlice);
      }
    });
    accounts_.push_back(std::move(account));
  }
}

IdleWatch::~IdleWatch() {
  stop_ = true;
  for (auto& account : accounts_) {
    if (account->thread.joinable()) account->thread.join();
  }
}

}  // namespace zanvoro::host
