#include "intake/LoopGuard.h"

#include "runtime/Text.h"
#include "settings/SettingsSteps.h"

namespace zanvoro {

namespace {

constexpr size_t kForgetAbove = 10000;  // senders remembered before stale ones go

}  // namespace

LoopGuard::Verdict LoopGuard::Count(std::string_view sender, Date now, Limits limits) {
  if (limits.mails <= 0 || limits.minutes <= 0) return Verdict::Admit;
  const Date cutoff = DateAdd(DateInterval::Minute, -limits.minutes, now);
  if (senders_.size() > kForgetAbove) Forget(cutoff);
  Sender& s = senders_[LCase(sender)];
  while (!s.arrivals.empty() && s.arrivals.front() <= cutoff) s.arrivals.pop_front();
  if (static_cast<int>(s.arrivals.size()) < limits.mails) {
    s.arrivals.push_back(now);
    return Verdict::Admit;
  }
  if (!s.alerted.IsZero() && s.alerted > cutoff) return Verdict::Excess;
  s.alerted = now;
  return Verdict::FirstExcess;
}

void LoopGuard::Forget(Date cutoff) {
  std::erase_if(senders_, [&](const auto& entry) {
    const Sender& s = entry.second;
    return (s.arrivals.empty() || s.arrivals.back() <= cutoff) &&
           (s.alerted.IsZero() || s.alerted <= cutoff);
  });
}

LoopGuard::Limits LoopGuardLimits() {
  LoopGuard::Limits limits;
  if (!IsBlank(GeneralSettingText("sdoLoopGuardMails")))
    limits.mails = static_cast<int>(GeneralSettingNumber("sdoLoopGuardMails"));
  if (!IsBlank(GeneralSettingText("sdoLoopGuardMinutes")))
    limits.minutes = static_cast<int>(GeneralSettingNumber("sdoLoopGuardMinutes"));
  return limits;
}

LoopGuard& SharedLoopGuard() {
  static LoopGuard guard;
  return guard;
}

}  // namespace zanvoro
