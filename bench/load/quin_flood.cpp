// Floods a server on the loopback range (never any other address) the way a hostile client
// would, bounded in time, while a well-behaved client measures what it gets meanwhile.
//
//   quin_flood survey PORT NAME SECONDS PID    one address (127.0.0.2) opens "/?survey=NAME" as
//                                              fast as 16 connections can
//   quin_flood demo PORT SECONDS PID           one address presses the Demo button of new
//                                              sessions as fast as 16 connections can
//   quin_flood params PORT SECONDS PID         one address posts 1 MB start parameters to "/"
//                                              as fast as 16 connections can
//     meanwhile, for these three: a visitor at 127.0.0.3 logs on with LOGIN and PASSWORD (the
//     environment's QUIN_LOGIN and QUIN_PASSWORD, default analyst / Quin-2024) twice a second;
//     the logon times, and the server's memory (PID) at its highest
//   quin_flood opens PORT NAME COUNT PID       COUNT new sessions open "/?survey=NAME" at once
//                                              (from 127.0.3.x) while a logged-on user asks
//                                              for its page again and again: the user's
//                                              latencies while the opens run
//   quin_flood uploads PORT CONNS ADDRESSES SECONDS [FIRST]
//                                              CONNS uploads (a 1 MB body declared, one byte
//                                              every 3 s) from ADDRESSES addresses (the
//                                              FIRST-th after 127.0.2.1 and up, 250 a block),
//                                              connecting again when closed; a new
//                                              client (127.0.0.3) asks for the style sheet
//                                              twice a second: its times and refusals
//   quin_flood guesses PORT LOGIN ATTACKERS ADDRESSES SECONDS
//                                              ATTACKERS clients guess LOGIN's password from
//                                              ADDRESSES addresses (127.1.x.y) in turn; its
//                                              owner (the environment's QUIN_PASSWORD) logs on
//                                              from 127.0.0.3 once a second
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "loadclient.h"

namespace {

using namespace quin::loadclient;

std::string Get(const std::string& Path) {
  return "GET " + Path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}
std::string Post(const std::string& Path, const std::string& Body) {
  return "POST " + Path +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
         "Content-Length: " +
         std::to_string(Body.size()) + "\r\n\r\n" + Body;
}

std::string Between(const std::string& S, const std::string& A, const std::string& B) {
  size_t P = S.find(A);
  if (P == std::string::npos) return {};
  P += A.size();
  return S.substr(P, S.find(B, P) - P);
}

// The id of the control whose rendered element holds Marker and posts a click.
std::string ControlBefore(const std::string& Html, const std::string& Marker) {
  size_t M = Html.find(Marker);
  if (M == std::string::npos) return {};
  size_t Fire = Html.find("quinFire('", M);
  size_t Back = Html.rfind("quinFire('", M);
  size_t At = (Fire != std::string::npos && Fire - M < 200) ? Fire : Back;
  if (At == std::string::npos) return {};
  return Html.substr(At + 10, Html.find(':', At) - At - 10);
}

double Percentile(std::vector<double> V, double P) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  return V[std::min(V.size() - 1, size_t(P / 100.0 * double(V.size())))];
}

long RssKb(int Pid) {
  std::ifstream F("/proc/" + std::to_string(Pid) + "/status");
  std::string Line;
  while (std::getline(F, Line))
    if (Line.rfind("VmRSS:", 0) == 0) return std::atol(Line.c_str() + 6);
  return -1;
}

std::string Env(const char* Name, const char* Default) {
  const char* V = std::getenv(Name);
  return V && *V ? V : Default;
}

std::string UrlEncode(const std::string& S) {
  std::string R;
  char Buf[4];
  for (unsigned char C : S) {
    if (std::isalnum(C) || C == '-' || C == '_' || C == '.') {
      R += char(C);
    } else {
      std::snprintf(Buf, sizeof Buf, "%%%02X", C);
      R += Buf;
    }
  }
  return R;
}

// Opens a session from C, shows its logon page and posts Login and Password (or presses Demo
// when Login is empty). The last answer: 303 for a logon (its location is the session), else
// the logon page again.
bool LogOn(TClient& C, const std::string& Login, const std::string& Password, TReply& R) {
  if (!C.Exchange(Get("/"), R) || R.Status != 302) return false;
  std::string Base = R.Header("location");
  if (!C.Exchange(Get(Base), R) || R.Status != 200) return false;
  std::string Page = Between(R.Body, "name=\"__page\" value=\"", "\"");
  std::string Body = "__page=" + Page;
  if (Login.empty()) {
    Body += "&__evt=" + ControlBefore(R.Body, "value=\"Demo\"") + "%3Aclick%3A";
  } else {
    // The login and password edits are the page's text and password fields.
    const std::string User = Between(R.Body, "<input type=\"text\" id=\"", "\"");
    const std::string Pass = Between(R.Body, "<input type=\"password\" id=\"", "\"");
    Body += "&" + User + "=" + UrlEncode(Login) + "&" + Pass + "=" + UrlEncode(Password) +
            "&__evt=" + ControlBefore(R.Body, "value=\"OK\"") + "%3Aclick%3A";
  }
  return C.Exchange(Post(Base, Body), R);
}

// The visitor: logs on with a password twice a second until Stop; its logon times.
void Visitor(int Port, const std::atomic<bool>& Stop, std::vector<double>& Times, long& Failed) {
  const std::string Login = Env("QUIN_LOGIN", "analyst"), Pw = Env("QUIN_PASSWORD", "Quin-2024");
  while (!Stop) {
    TClient C(Port, "127.0.0.3");
    TReply R;
    auto T = TClock::now();
    bool Ok = LogOn(C, Login, Pw, R) && R.Status == 303;
    Times.push_back(MsSince(T));
    if (!Ok) ++Failed;
    for (int I = 0; I < 50 && !Stop; ++I)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void Report(const char* What, const std::vector<double>& Times, long Failed) {
  std::printf("%s: %zu logons, %ld failed; median %.1f ms, p99 %.1f ms, max %.1f ms\n", What,
              Times.size(), Failed, Percentile(Times, 50), Percentile(Times, 99),
              Percentile(Times, 100));
}

// One attacking address floods with 16 connections, each repeating Attack; the visitor logs
// on meanwhile; the server's memory is watched.
int Flood(int Port, int Seconds, int Pid, const char* Name,
          const std::function<bool(TClient&)>& Attack) {
  std::atomic<bool> Stop{false};
  std::atomic<long> Done{0}, Errors{0};
  std::vector<std::thread> Pool;
  for (int I = 0; I < 16; ++I)
    Pool.emplace_back([&] {
      TClient C(Port, "127.0.0.2");
      while (!Stop) {
        if (Attack(C))
          ++Done;
        else
          ++Errors;
      }
    });
  std::vector<double> Times;
  long Failed = 0;
  std::thread V([&] { Visitor(Port, Stop, Times, Failed); });
  long RssMax = RssKb(Pid), RssStart = RssMax;
  auto End = TClock::now() + std::chrono::seconds(Seconds);
  while (TClock::now() < End) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    RssMax = std::max(RssMax, RssKb(Pid));
  }
  Stop = true;
  for (auto& T : Pool) T.join();
  V.join();
  std::printf("%s flood from one address, %d s: %ld requests done, %ld refused or failed\n", Name,
              Seconds, long(Done), long(Errors));
  Report("  visitor logging on meanwhile", Times, Failed);
  std::printf("  server memory: %ld MB at start, %ld MB at most\n", RssStart / 1024, RssMax / 1024);
  return 0;
}

int Opens(int Port, const std::string& Name, int Count, int Pid) {
  // The user: logged on, asking for its page again and again.
  TClient U(Port, "127.0.0.3");
  TReply R;
  if (!LogOn(U, Env("QUIN_LOGIN", "analyst"), Env("QUIN_PASSWORD", "Quin-2024"), R) ||
      R.Status != 303) {
    std::printf("opens: the user cannot log on\n");
    return 1;
  }
  const std::string Base = R.Header("location");
  std::atomic<int> Left{Count};
  std::atomic<long> Errors{0};
  std::vector<std::thread> Pool;
  auto Start = TClock::now();
  for (int I = 0; I < Count; ++I)
    Pool.emplace_back([&, I] {
      TClient C(Port, "127.0.3." + std::to_string(1 + I / 40));
      TReply A;
      if (!C.Exchange(Get("/?survey=" + UrlEncode(Name)), A) || A.Status >= 400) ++Errors;
      --Left;
    });
  std::vector<double> Times;
  while (Left > 0) {
    auto T = TClock::now();
    if (!U.Exchange(Get(Base), R) || R.Status != 200) ++Errors;
    Times.push_back(MsSince(T));
  }
  const double All = MsSince(Start);
  for (auto& T : Pool) T.join();
  std::printf(
      "%d opens of \"%s\" in %.0f ms (%ld errors); the user's page meanwhile: %zu "
      "requests, median %.1f ms, p99 %.1f ms, max %.1f ms; server memory %ld MB\n",
      Count, Name.c_str(), All, long(Errors), Times.size(), Percentile(Times, 50),
      Percentile(Times, 99), Percentile(Times, 100), RssKb(Pid) / 1024);
  return 0;
}

int Uploads(int Port, int Conns, int Addresses, int Seconds, int First) {
  // Every connection needs a descriptor here too.
  rlimit Files{};
  getrlimit(RLIMIT_NOFILE, &Files);
  Files.rlim_cur = Files.rlim_max;
  setrlimit(RLIMIT_NOFILE, &Files);
  std::atomic<bool> Stop{false};
  std::atomic<long> Opened{0}, Refused{0}, Closed{0};
  const int Threads = 8;
  const std::string Head =
      "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      "Content-Length: 1000000\r\n\r\n";
  std::vector<std::thread> Pool;
  for (int T = 0; T < Threads; ++T)
    Pool.emplace_back([&, T] {
      struct TUp {
        std::string From;
        int Fd = -1;
      };
      std::vector<TUp> Mine;
      for (int I = T; I < Conns; I += Threads)
        Mine.push_back({"127.0.2." + std::to_string(1 + I % Addresses), -1});
      // Addresses beyond 254 go on in the next block.
      for (auto& U : Mine) {
        int N = std::atoi(U.From.c_str() + 8);
        if (N > 254)
          U.From = "127.0." + std::to_string(2 + N / 254) + "." + std::to_string(N % 254 + 1);
      }
      auto Open = [&](TUp& U) {
        U.Fd = Connect(Port, U.From, 1);
        if (U.Fd < 0) return;
        ++Opened;
        SendAll(U.Fd, Head);
      };
      for (auto& U : Mine) {
        if (Stop) break;
        Open(U);
      }
      while (!Stop) {
        // One byte every 3 s on each; a connection the server closed (or refused) comes again.
        for (auto& U : Mine) {
          if (Stop) break;
          if (U.Fd < 0) {
            Open(U);
            continue;
          }
          char B[512];
          ssize_t N = recv(U.Fd, B, sizeof B, MSG_DONTWAIT);
          if (N == 0 || (N > 0 && std::strstr(B, " 503 "))) {
            if (N > 0) ++Refused;
            ++Closed;
            close(U.Fd);
            U.Fd = -1;
            continue;
          }
          if (send(U.Fd, "x", 1, MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN) {
            ++Closed;
            close(U.Fd);
            U.Fd = -1;
          }
        }
        for (int I = 0; I < 300 && !Stop; ++I)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      for (auto& U : Mine)
        if (U.Fd >= 0) close(U.Fd);
    });
  std::vector<double> Times;
  long Failed = 0;
  auto End = TClock::now() + std::chrono::seconds(Seconds);
  while (TClock::now() < End) {
    TClient C(Port, "127.0.0.3");
    TReply R;
    auto T = TClock::now();
    bool Ok = C.Exchange(Get("/Files/Quin/Quin.css"), R) && R.Status == 200;
    Times.push_back(MsSince(T));
    if (!Ok) ++Failed;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  Stop = true;
  for (auto& T : Pool) T.join();
  std::printf(
      "%d slow uploads from %d addresses, %d s: %ld connections opened, %ld refused, "
      "%ld closed by the server\n",
      Conns, Addresses, Seconds, long(Opened), long(Refused), long(Closed));
  std::printf(
      "  new client meanwhile: %zu requests, %ld failed; median %.1f ms, p99 %.1f ms, "
      "max %.1f ms\n",
      Times.size(), Failed, Percentile(Times, 50), Percentile(Times, 99), Percentile(Times, 100));
  return 0;
}

int Guesses(int Port, const std::string& Login, int Attackers, int Addresses, int Seconds) {
  std::atomic<bool> Stop{false};
  std::atomic<long> Guessed{0}, Next{0};
  std::vector<std::thread> Pool;
  for (int I = 0; I < Attackers; ++I)
    Pool.emplace_back([&] {
      while (!Stop) {
        long N = Next++ % Addresses;
        TClient C(Port, "127.1." + std::to_string(N / 250) + "." + std::to_string(1 + N % 250));
        TReply R;
        LogOn(C, Login, "guess" + std::to_string(N), R);
        ++Guessed;
      }
    });
  std::vector<double> Times;
  long Failed = 0;
  auto End = TClock::now() + std::chrono::seconds(Seconds);
  while (TClock::now() < End) {
    TClient C(Port, "127.0.0.3");
    TReply R;
    auto T = TClock::now();
    bool Ok = LogOn(C, Login, Env("QUIN_PASSWORD", "Quin-2024"), R) && R.Status == 303;
    Times.push_back(MsSince(T));
    if (!Ok) ++Failed;
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  Stop = true;
  for (auto& T : Pool) T.join();
  std::printf("%d attackers guessing \"%s\" from %d addresses, %d s: %ld guesses answered\n",
              Attackers, Login.c_str(), Addresses, Seconds, long(Guessed));
  Report("  its owner meanwhile", Times, Failed);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: quin_flood survey PORT NAME SECONDS PID | demo PORT SECONDS PID |\n"
               "       params PORT SECONDS PID | opens PORT NAME COUNT PID |\n"
               "       uploads PORT CONNS ADDRESSES SECONDS [FIRST] |\n"
               "       guesses PORT LOGIN ATTACKERS ADDRESSES SECONDS\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> A(argv + 1, argv + argc);
  auto Int = [&A](size_t I) { return I < A.size() ? std::atoi(A[I].c_str()) : 0; };
  if (A.size() < 2) return Usage();
  const std::string Mode = A[0];
  const int Port = Int(1);
  if (Mode == "survey" && A.size() == 5) {
    const std::string Get1 = Get("/?survey=" + UrlEncode(A[2]));
    return Flood(Port, Int(3), Int(4), "/?survey=", [&](TClient& C) {
      TReply R;
      return C.Exchange(Get1, R) && R.Status < 500;
    });
  }
  if (Mode == "demo" && A.size() == 4)
    return Flood(Port, Int(2), Int(3), "Demo logon", [&](TClient& C) {
      TReply R;
      return LogOn(C, "", "", R) && R.Status == 303;
    });
  if (Mode == "params" && A.size() == 4) {
    const std::string Big = Post("/", "lang=en&junk=" + std::string(1000000, 'x'));
    return Flood(Port, Int(2), Int(3), "1 MB start parameters", [&](TClient& C) {
      TReply R;
      return C.Exchange(Big, R) && R.Status == 302;
    });
  }
  if (Mode == "opens" && A.size() == 5) return Opens(Port, A[2], Int(3), Int(4));
  if (Mode == "uploads" && (A.size() == 5 || A.size() == 6))
    return Uploads(Port, Int(2), Int(3), Int(4), Int(5));
  if (Mode == "guesses" && A.size() == 6) return Guesses(Port, A[2], Int(3), Int(4), Int(5));
  return Usage();
}
