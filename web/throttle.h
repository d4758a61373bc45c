// Wrong passwords slow down: per login and per client address, each failure makes the next
// attempt wait longer (doubling up to a ceiling); attempts made while waiting are refused
// without a check. A success clears its login's count; counts fade after a quiet spell.
#pragma once

#include <chrono>
#include <cstddef>
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
  TRule LoginRule{0, TMs(250), TMs(16000)};
  // Many users may share one address (an office behind one router).
  TRule AddressRule{4, TMs(250), TMs(16000)};
  // A count is forgotten after this long without failures.
  TMs Forget{15 * 60 * 1000};
  // Most logins and addresses remembered.
  std::size_t MaxEntries = 100000;

  // How long an attempt for Login from Address must still wait; zero: it may be checked now.
  TMs Wait(std::string_view Login, std::string_view Address, TClock::time_point Now);
  // Records a wrong password; returns the wait it imposes on the next attempt.
  TMs Failed(std::string_view Login, std::string_view Address, TClock::time_point Now);
  // Records a successful logon of Login.
  void Succeeded(std::string_view Login);

 private:
  struct TEntry {
    int Failures = 0;
    TClock::time_point Until;
    TClock::time_point Last;
  };
  TMs Bump(const std::string& Key, const TRule& Rule, TClock::time_point Now);
  TMs Remaining(const std::string& Key, TClock::time_point Now) const;
  void Prune(TClock::time_point Now);

  std::mutex FLock;
  std::unordered_map<std::string, TEntry> FEntries;
};

}  // namespace quin
