#include "web/throttle.h"

#include <algorithm>

namespace quin {

namespace {
std::string LoginKey(std::string_view Login) { return "l:" + std::string(Login); }
std::string AddressKey(std::string_view Address) { return "a:" + std::string(Address); }
}  // namespace

TLogonThrottle::TMs TLogonThrottle::Remaining(const std::string& Key,
                                              TClock::time_point Now) const {
  auto It = FEntries.find(Key);
  if (It == FEntries.end() || It->second.Until <= Now) return TMs(0);
  return std::chrono::ceil<TMs>(It->second.Until - Now);
}

TLogonThrottle::TMs TLogonThrottle::Wait(std::string_view Login, std::string_view Address,
                                         TClock::time_point Now) {
  std::lock_guard<std::mutex> G(FLock);
  return std::max(Remaining(LoginKey(Login), Now), Remaining(AddressKey(Address), Now));
}

TLogonThrottle::TMs TLogonThrottle::Bump(const std::string& Key, const TRule& Rule,
                                         TClock::time_point Now) {
  TEntry& E = FEntries[Key];
  if (E.Failures > 0 && Now - E.Last > Forget) E.Failures = 0;
  E.Failures = std::min(E.Failures + 1, 64);
  E.Last = Now;
  int Costly = E.Failures - Rule.FreeFailures;
  TMs Delay(0);
  if (Costly > 0) {
    Delay = Rule.FirstDelay;
    for (int I = 1; I < Costly && Delay < Rule.MaxDelay; ++I) Delay *= 2;
    Delay = std::min(Delay, Rule.MaxDelay);
  }
  E.Until = Now + Delay;
  return Delay;
}

TLogonThrottle::TMs TLogonThrottle::Failed(std::string_view Login, std::string_view Address,
                                           TClock::time_point Now) {
  std::lock_guard<std::mutex> G(FLock);
  if (FEntries.size() + 2 > MaxEntries) Prune(Now);
  return std::max(Bump(LoginKey(Login), LoginRule, Now),
                  Bump(AddressKey(Address), AddressRule, Now));
}

void TLogonThrottle::Succeeded(std::string_view Login) {
  std::lock_guard<std::mutex> G(FLock);
  FEntries.erase(LoginKey(Login));
}

void TLogonThrottle::Prune(TClock::time_point Now) {
  // Forgotten counts go first; then the smallest counts, which cost the least wait, until a
  // tenth of the room is free again.
  std::erase_if(FEntries, [&](const auto& P) { return Now - P.second.Last > Forget; });
  for (int Below = 2; FEntries.size() + MaxEntries / 10 > MaxEntries && Below <= 65; ++Below)
    std::erase_if(FEntries, [&](const auto& P) { return P.second.Failures < Below; });
}

}  // namespace quin
