// The guard against mail loops that message classes do not reveal: an
// automatic responder that ignores the auto-reply conventions, a script
// gone wild. A sender who sends more than "sdoLoopGuardMails" mails (20 when
// unset; 0 turns the guard off) within "sdoLoopGuardMinutes" minutes (10
// when unset) has the excess set aside; the administrator hears of it once
// per burst. Counts live in this instance's memory. UI thread only.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "runtime/Date.h"

namespace zanvoro {

class LoopGuard {
 public:
  struct Limits {
    int mails = 20;
    int minutes = 10;
  };
  enum class Verdict {
    Admit,
    // Over the limit, and the first such mail of this burst: tell someone.
    FirstExcess,
    Excess,
  };

  // Counts a mail from `sender` (an address, any case) arriving at `now`.
  Verdict Count(std::string_view sender, Date now, Limits limits);

 private:
  struct Sender {
    std::deque<Date> arrivals;  // admitted mails within the window
    Date alerted;               // the last FirstExcess; zero when none
  };
  void Forget(Date cutoff);

  std::unordered_map<std::string, Sender> senders_;
};

// The limits of the shared settings.
LoopGuard::Limits LoopGuardLimits();

// The instance's guard.
LoopGuard& SharedLoopGuard();

}  // namespace zanvoro
