// Keeps one connection per IMAP account of a profile in IDLE on its server
// folder, so the worker fetches a mail the moment the server announces it
// instead of at its next poll. A server without IDLE, or one that cannot be
// reached, leaves that account to the polling, which stays the safety net;
// a lost connection is opened again after a pause.
//
// Each account has its own thread, which only talks to its server and
// raises a flag; the worker takes the flag from its own thread.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

namespace zanvoro::host {

struct Profile;

class IdleWatch {
 public:
  struct Timing {
    // How long an IDLE command runs before it is renewed (servers end one
    // after 30 minutes).
    std::chrono::seconds renew{25 * 60};
    // The pause before a lost or refused connection is tried again.
    std::chrono::seconds retry{30};
  };

  explicit IdleWatch(const Profile& profile) : IdleWatch(profile, Timing{}) {}
  IdleWatch(const Profile& profile, Timing timing);
  // Ends every connection (within a fraction of a second).
  ~IdleWatch();
  IdleWatch(const IdleWatch&) = delete;
  IdleWatch& operator=(const IdleWatch&) = delete;

  // True once after a server announced new mail (since the last call).
  bool TakeArrival() { return arrived_.exchange(false); }
  // How many accounts are in IDLE at the moment.
  int Idling() const { return idling_.load(); }

 private:
  struct Account;
  std::atomic<bool> stop_{false};
  std::atomic<bool> arrived_{false};
  std::atomic<int> idling_{0};
  std::vector<std::unique_ptr<Account>> accounts_;
};

}  // namespace zanvoro::host
