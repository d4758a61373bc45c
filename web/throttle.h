// Wrong passwords slow down. Each failure makes the next attempt for the same login from the
// same address, and (after a few free failures) any attempt from that address, wait longer
// (doubling up to a ceiling); an attempt made while waiting is refused without a check. So a
// login under attack from elsewhere stays open to its owner at an address that has not failed;
// the login's failures from every address only hold its answers back a little (up to a low
// ceiling), never refusing an attempt. Checking an attempt and recording its failure are one
// step, so guesses sent together are not all checked. A success clears its login's counts;
// counts fade after a quiet spell.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quin {

class TLogonThrottle {
 public:
  using TClock = std::chrono::steady_clock;
  using TMs = std::chrono::milliseconds;

  struct TRule {
    int FreeFailures = 0;  // failures that cost no wait
    TMs FirstDelay{250};   // the wait after the first costly failure; doubles after each
    TMs MaxDelay{16000};
  };
  // One login from one address.
  TRule PairRule{0, TMs(250), TMs(16000)};
  // Many users may share one address (an office behind one router).
  TRule AddressRule{4, TMs(250), TMs(16000)};
  // One login from every address: slows its answers, never refuses.
  TRule LoginRule{4, TMs(100), TMs(2000)};
  // A count is forgotten after this long without failures.
  TMs Forget{15 * 60 * 1000};
  // Most counts remembered.
  std::size_t MaxEntries = 100000;

  struct TOutcome {
    bool Checked = false;  // false: refused without a check (a wait runs)
    bool Succeeded = false;
    TMs Delay{0};  // how long the answer is held back
  };
  // An attempt of Login from Address: refused while a wait for the pair or the address runs;
  // otherwise Check runs (no other attempt is checked meanwhile) and a failure is recorded.
  TOutcome Attempt(std::string_view Login, std::string_view Address, TClock::time_point Now,
                   const std::function<bool()>& Check);

 private:
  struct TEntry {
    int Failures = 0;
    TClock::time_point Until;
    TClock::time_point Last;
  };
  TMs Bump(const std::string& Key, const TRule& Rule, TClock::time_point Now);
  TMs Remaining(const std::string& Key, TClock::time_point Now) const;
  // The delay Rule gives after the failures recorded for Key (zero once forgotten).
  TMs Slowdown(const std::string& Key, const TRule& Rule, TClock::time_point Now) const;
  void Prune(TClock::time_point Now);

  std::mutex FLock;
  std::unordered_map<std::string, TEntry> FEntries;
};

}  // namespace quin
