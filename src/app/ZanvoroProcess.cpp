// ZanvoroProcess: the send/receive worker of a profile. It polls the
// profile's incoming accounts and flushes the Outbox, so slow network I/O
// never blocks the UI thread of `zanvoro`. A file landing in a Maildir drop
// and SIGUSR1 (DeliverNow) each start a pass at once; SIGTERM or SIGINT ends it after the
// mail in hand, and a pass that does not finish within the deadline is cut short (every
// mail is either stored and recorded or still at its source, so nothing is lost).
//
//   ZanvoroProcess [--profile DIR] [--once]
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include "host/mail/DropWatch.h"
#include "host/mail/IdleWatch.h"
#include "host/mail/SendReceive.h"
#include "host/mail/Worker.h"
#include "host/os/Profile.h"
#include "host/store/NameSpace.h"
#include "runtime/Error.h"

namespace {

constexpr unsigned kStopDeadlineSeconds = 5;

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_wake = 0;

void OnStop(int) {
  g_stop = 1;
  // The transfer in hand gets a few seconds; then the default SIGALRM ends us.
  alarm(kStopDeadlineSeconds);
}

void OnWake(int) { g_wake = 1; }

void InstallHandlers() {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = OnStop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  action.sa_handler = OnWake;
  sigaction(SIGUSR1, &action, nullptr);
}

void Print(const zanvoro::host::SendReceiveReport& report) {
  for (const auto& account : report.incoming) {
    if (!account.error.empty()) {
      std::cerr << "ZanvoroProcess: " << account.account << ": " << account.error
                << std::endl;
    } else if (account.received.delivered > 0) {
      std::cout << "ZanvoroProcess: " << account.account << ": "
                << account.received.delivered << " delivered" << std::endl;
    }
  }
  if (!report.outgoing_error.empty())
    std::cerr << "ZanvoroProcess: sending: " << report.outgoing_error << std::endl;
  const auto& out = report.outgoing;
  if (out.sent + out.retrying + out.failed > 0) {
    std::cout << "ZanvoroProcess: " << out.sent << " sent, " << out.retrying
              << " to retry, " << out.failed << " failed" << std::endl;
  }
}

int Run(const std::string& profile_option, bool once) {
  using namespace zanvoro::host;
  Profile profile =
      Profile::Load(profile_option.empty() ? Profile::DefaultFolder()
                                           : std::filesystem::path(profile_option));
  std::optional<WorkerLock> lock = WorkerLock::Acquire(profile.folder);
  if (!lock) {
    std::cerr << "ZanvoroProcess: already running for " << profile.folder.string()
              << " (process " << RunningWorker(profile.folder) << ")" << std::endl;
    return 0;
  }
  std::unique_ptr<NameSpace> session = OpenSession(profile, nullptr);
  DropWatch drop(profile);
  IdleWatch idle(profile);
  auto stop_requested = [] { return g_stop != 0; };
  while (!g_stop) {
    g_wake = 0;
    Print(SendAndReceive(profile, *session, stop_requested));
    if (once) break;
    // Sleep until the next poll, a file in the drop, a mail announced by an
    // IMAP server, a wake-up or a stop.
    auto until =
        std::chrono::steady_clock::now() + std::chrono::seconds(profile.poll_seconds);
    while (!g_stop && !g_wake && std::chrono::steady_clock::now() < until) {
      if (drop.Wait(std::chrono::milliseconds(50)) || idle.TakeArrival()) break;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  InstallHandlers();
  CLI::App app("Zanvoro send/receive worker", "ZanvoroProcess");
  std::string profile;
  bool once = false;
  app.add_option("--profile", profile,
                 "Profile folder (default: $XDG_CONFIG_HOME/zanvoro/profile)");
  app.add_flag("--once", once, "Run one send/receive pass and end");
  try {
    app.parse(argc, argv);
    return Run(profile, once);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  } catch (const zanvoro::Error& error) {
    std::cerr << "ZanvoroProcess: " << error.Description() << std::endl;
  } catch (const std::exception& error) {
    std::cerr << "ZanvoroProcess: " << error.what() << std::endl;
  }
  return 1;
}
