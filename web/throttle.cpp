#include "web/throttle.h"

#include <algorithm>

namespace quin {

namespace {
std::string PairKey(std::string_view Login, std::string_view Address) {
  // A login never holds a line break (the logon page's edit is a single line).
  return "p:" + std::string(Login) + "\n" + std::string(Address);
}
std::string LoginKey(std::string_view Login) { return "l:" + std::string(Login); }
std::string AddressKey(std::string_view Address) { return "a:" + std::string(Address); }

TLogonThrottle::TMs DelayAfter(int Failures, const TLogonThrottle::TRule& Rule) {
  int Costly = Failures - Rule.FreeFailures;
  if (Costly <= 0) return TLogonThrottle::TMs(0);
  TLogonThrottle::TMs Delay = Rule.FirstDelay;
  for (int I = 1; I < Costly && Delay < Rule.MaxDelay; ++I) Delay *= 2;
  return std::min(Delay, Rule.MaxDelay);
}
}  // namespace

TLogonThrottle::TMs TLogonThrottle::Remaining(const std::string& Key,
                                              TClock::time_point Now) const {
  auto It = FEntries.find(Key);
  if (It == FEntries.end() || It->second.Until <= Now) return TMs(0);
  return std::chrono::ceil<TMs>(It->second.Until - Now);
}

TLogonThrottle::TMs TLogonThrottle::Slowdown(const std::string& Key, const TRule& Rule,
                                             TClock::time_point Now) const {
  auto It = FEntries.find(Key);
  if (It == FEntries.end() || Now - It->second.Last > Forget) return TMs(0);
  return DelayAfter(It->second.Failures, Rule);
}

TLogonThrottle::TMs TLogonThrottle::Bump(const std::string& Key, const TRule& Rule,
                                         TClock::time_point Now) {
  TEntry& E = FEntries[Key];
  if (E.Failures > 0 && Now - E.Last > Forget) E.Failures = 0;
  E.Failures = std::min(E.Failures + 1, 64);
  E.Last = Now;
  TMs Delay = DelayAfter(E.Failures, Rule);
  E.Until = Now + Delay;
  return Delay;
}

TLogonThrottle::TOutcome TLogonThrottle::Attempt(std::string_view Login, std::string_view Address,
                                                 TClock::time_point Now,
                                                 const std::function<bool()>& Check) {
  const std::string Pair = PairKey(Login, Address), Addr = AddressKey(Address),
                    User = LoginKey(Login);
  TOutcome R;
  // The lock is held from the look at the waits to the recording of a failure.
  std::lock_guard<std::mutex> G(FLock);
  TMs Wait = std::max(Remaining(Pair, Now), Remaining(Addr, Now));
  if (Wait.count() > 0) {
    R.Delay = Wait;
    return R;
  }
  // Known before the check: a right password is held back as long as a wrong one would be.
  const TMs Slow = Slowdown(User, LoginRule, Now);
  R.Checked = true;
  R.Succeeded = Check();
  if (R.Succeeded) {
    FEntries.erase(Pair);
    FEntries.erase(User);
    R.Delay = Slow;
    return R;
  }
  if (FEntries.size() + 3 > MaxEntries) Prune(Now);
  R.Delay = std::max({Bump(Pair, PairRule, Now), Bump(Addr, AddressRule, Now), Slow});
  Bump(User, LoginRule, Now);
  return R;
}

void TLogonThrottle::Prune(TClock::time_point Now) {
  // Forgotten counts go first; then the smallest counts, which cost the least wait, until a
  // tenth of the room is free again.
  std::erase_if(FEntries, [&](const auto& P) { return Now - P.second.Last > Forget; });
  for (int Below = 2; FEntries.size() + MaxEntries / 10 > MaxEntries && Below <= 65; ++Below)
    std::erase_if(FEntries, [&](const auto& P) { return P.second.Failures < Below; });
}

}  // namespace quin
