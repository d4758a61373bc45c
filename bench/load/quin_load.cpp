// Load on a server on the loopback range (never any other address), bounded in time and count.
//
//   quin_load keepalive PORT PATH COUNT        one kept-alive connection, COUNT requests of PATH
//                                              ("page": the page of a session it opens)
//   quin_load static PORT PATH CONNS SECONDS   CONNS connections asking for PATH as fast as they
//                                              can (keep-alive); requests per second
//   quin_load sessions PORT SESSIONS SECONDS [PID]
//                                              SESSIONS logged-on sessions (the demonstration
//                                              button) working as fast as they can: page,
//                                              heartbeat, language link; latencies, errors, and
//                                              the server's memory (PID) at start and end
//   quin_load slow PORT CLIENTS SECONDS        CLIENTS clients sending one byte of a head (or,
//                                              every other one, of a body) every 3 s from
//                                              127.0.0.2 and up (20 per address), connecting
//                                              again when the server closes them
//   quin_load idle PORT CONNS SECONDS PID      CONNS kept-alive connections idle after one
//                                              request; the server's processor time meanwhile
//   quin_load layers PORT SESSIONS_FILE SECONDS [PID]
//                                              the report-window sessions that
//                                              quin-report-session listed in SESSIONS_FILE, each
//                                              on its own connection, choosing the next layer
//                                              item as fast as they can (the table is
//                                              recalculated and the page sent each time)
//                                              for a warm-up of SECONDS / 10 (at least 1 s),
//                                              then for SECONDS measured: latencies, errors,
//                                              the server's memory and processor time
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
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

int KeepAlive(int Port, std::string Path, int Count) {
  TClient C(Port);
  std::vector<double> Later;
  if (Path == "page") {  // the page of a session opened first
    TReply R;
    if (!C.Exchange(Get("/"), R) || R.Status != 302) return 1;
    Path = R.Header("location");
  }
  double First = 0;
  for (int I = 0; I < Count; ++I) {
    TReply R;
    auto T = TClock::now();
    if (!C.Exchange(Get(Path), R) || R.Status != 200) {
      std::printf("keepalive: request %d failed (status %d)\n", I, R.Status);
      return 1;
    }
    if (I == 0)
      First = MsSince(T);
    else
      Later.push_back(MsSince(T));
  }
  std::printf("keepalive %s: first %.3f ms; later %zu: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
              Path.c_str(), First, Later.size(), Percentile(Later, 50), Percentile(Later, 99),
              Percentile(Later, 100));
  return 0;
}

// CONNS connections spread over a few threads, each thread waiting on its connections with
// epoll; every answer is followed at once by the next request.
int Static(int Port, const std::string& Path, int Conns, int Seconds) {
  const std::string Request = Get(Path);
  int Threads = std::min(4, Conns);
  std::atomic<long> Done{0}, Errors{0}, Reconnects{0};
  auto End = TClock::now() + std::chrono::seconds(Seconds);
  std::vector<std::thread> Pool;
  for (int T = 0; T < Threads; ++T) {
    Pool.emplace_back([&, T] {
      int Ep = epoll_create1(0);
      std::deque<TClient> Mine;
      for (int I = T; I < Conns; I += Threads) Mine.emplace_back(Port);
      for (size_t I = 0; I < Mine.size(); ++I) {
        Mine[I].Fd = Connect(Port);
        epoll_event E{EPOLLIN, {.u64 = I}};
        epoll_ctl(Ep, EPOLL_CTL_ADD, Mine[I].Fd, &E);
        SendAll(Mine[I].Fd, Request);
      }
      long Count = 0;
      epoll_event Events[64];
      char Buf[65536];
      while (TClock::now() < End) {
        int N = epoll_wait(Ep, Events, 64, 100);
        for (int K = 0; K < N; ++K) {
          TClient& C = Mine[Events[K].data.u64];
          ssize_t Got = recv(C.Fd, Buf, sizeof Buf, 0);
          if (Got <= 0) {
            // Closed by the server (after a number of requests): connect again.
            epoll_ctl(Ep, EPOLL_CTL_DEL, C.Fd, nullptr);
            C.Reset();
            ++Reconnects;
            if ((C.Fd = Connect(Port)) < 0) {
              ++Errors;
              continue;
            }
            epoll_event E{EPOLLIN, {.u64 = Events[K].data.u64}};
            epoll_ctl(Ep, EPOLL_CTL_ADD, C.Fd, &E);
            SendAll(C.Fd, Request);
            continue;
          }
          C.In.append(Buf, size_t(Got));
          TReply R;
          while (TakeReply(C.In, R)) {
            if (R.Status != 200) ++Errors;
            ++Count;
            SendAll(C.Fd, Request);
          }
        }
      }
      Done += Count;
      close(Ep);
    });
  }
  for (auto& T : Pool) T.join();
  std::printf("static %s: %d connections, %d s: %.0f requests/s, %ld errors, %ld reconnects\n",
              Path.c_str(), Conns, Seconds, double(Done) / Seconds, long(Errors), long(Reconnects));
  return Errors == 0 ? 0 : 1;
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

std::string Between(const std::string& S, const std::string& A, const std::string& B) {
  size_t P = S.find(A);
  if (P == std::string::npos) return {};
  P += A.size();
  return S.substr(P, S.find(B, P) - P);
}

int Sessions(int Port, int Count, int Seconds, int Pid) {
  std::mutex Lock;
  std::vector<double> All;
  std::atomic<long> Errors{0};
  std::atomic<int> Ready{0};
  long RssStart = -1, RssEnd = -1;
  auto Work = [&](int I) {
    // Twenty sessions per client address, as from many users' machines.
    TClient C(Port, "127.0.1." + std::to_string(1 + I / 20));
    TReply R;
    std::vector<double> Mine;
    auto Timed = [&](const std::string& Req) {
      auto T = TClock::now();
      bool Ok = C.Exchange(Req, R) && R.Status < 400;
      Mine.push_back(MsSince(T));
      if (!Ok) ++Errors;
      return Ok;
    };
    // Open a session and log on with the demonstration button.
    if (!C.Exchange(Get("/"), R)) return void(++Errors);
    std::string Base = R.Header("location");
    if (!C.Exchange(Get(Base), R)) return void(++Errors);
    std::string Page = Between(R.Body, "name=\"__page\" value=\"", "\"");
    std::string Demo = ControlBefore(R.Body, "value=\"Demo\"");
    if (!C.Exchange(Post(Base, "__page=" + Page + "&__evt=" + Demo + "%3Aclick%3A"), R) ||
        R.Status != 303)
      return void(++Errors);
    Base = R.Header("location");
    if (!C.Exchange(Get(Base), R)) return void(++Errors);
    ++Ready;
    while (Ready < Count) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto End = TClock::now() + std::chrono::seconds(Seconds);
    while (TClock::now() < End) {
      if (!Timed(Get(Base))) break;
      Page = Between(R.Body, "name=\"__page\" value=\"", "\"");
      std::string Timer = Between(R.Body, "quinAsync('", ":timer:");
      std::string Lang = ControlBefore(R.Body, ">English</a>");
      if (Lang.empty()) Lang = ControlBefore(R.Body, ">Polski</a>");
      if (!Timed(Post(Base + "async", "__page=" + Page + "&__evt=" + Timer + "%3Atimer%3A"))) break;
      if (!Timed(Post(Base, "__page=" + Page + "&__evt=" + Lang + "%3Aclick%3A"))) break;
    }
    std::lock_guard<std::mutex> G(Lock);
    All.insert(All.end(), Mine.begin(), Mine.end());
  };
  std::vector<std::thread> Pool;
  for (int I = 0; I < Count; ++I) Pool.emplace_back(Work, I);
  long RssMiddle = -1;
  if (Pid > 0) {
    while (Ready < Count && Errors == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    RssStart = RssKb(Pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(500 * Seconds));
    RssMiddle = RssKb(Pid);
  }
  for (auto& T : Pool) T.join();
  if (Pid > 0) RssEnd = RssKb(Pid);
  std::printf(
      "sessions: %d logged on, %d s: %zu requests (%.0f/s), median %.2f ms, p99 %.2f ms, max "
      "%.2f ms, %ld errors",
      Count, Seconds, All.size(), double(All.size()) / Seconds, Percentile(All, 50),
      Percentile(All, 99), Percentile(All, 100), long(Errors));
  if (Pid > 0)
    std::printf("; server memory %ld kB at start, %ld kB half-way, %ld kB at end", RssStart,
                RssMiddle, RssEnd);
  std::printf("\n");
  return Errors == 0 ? 0 : 1;
}

// Each client sends one byte of a never-ending head every 3 s; a client the server closes
// connects again.
int Slow(int Port, int Clients, int Seconds) {
  struct TSlow {
    int Fd = -1;
    size_t Sent = 0;
    std::string From;
  };
  std::vector<TSlow> All(static_cast<size_t>(Clients));
  for (int I = 0; I < Clients; ++I) All[size_t(I)].From = "127.0.0." + std::to_string(2 + I / 20);
  long Reconnects = 0;
  int MinOpen = Clients, MaxOpen = 0;
  auto Start = TClock::now(), End = Start + std::chrono::seconds(Seconds);
  bool Gone = false;
  const std::string Head = "GET / HTTP/1.1\r\nX-Slow: ";
  const std::string Body = "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n";
  while (TClock::now() < End) {
    auto Round = TClock::now();
    for (TSlow& S : All) {
      if (S.Fd >= 0) {
        pollfd P{S.Fd, POLLIN, 0};
        if (poll(&P, 1, 0) == 1) {  // closed (or answered) by the server
          close(S.Fd);
          S.Fd = -1;
          ++Reconnects;
        }
      }
      if (S.Fd < 0) {
        S.Fd = Connect(Port, S.From);
        if (S.Fd < 0) {
          Gone = true;  // the server has stopped
          break;
        }
        S.Sent = 0;
        // Every other client sends a whole head at once and then its body byte by byte.
        if ((&S - All.data()) % 2 == 1) {
          SendAll(S.Fd, Body);
          S.Sent = Head.size();
        }
      }
      SendAll(S.Fd, S.Sent < Head.size() ? Head.substr(S.Sent, 1) : "a");
      ++S.Sent;
    }
    if (Gone) break;
    int Open = 0;
    for (const TSlow& S : All) Open += S.Fd >= 0;
    MinOpen = std::min(MinOpen, Open);
    MaxOpen = std::max(MaxOpen, Open);
    while (TClock::now() < End && TClock::now() - Round < std::chrono::seconds(3))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  for (TSlow& S : All)
    if (S.Fd >= 0) close(S.Fd);
  std::printf(
      "slow: %d clients, %d to %d connected at each round of bytes; %ld closed by the "
      "server (head deadline) and connected again; %s after %.1f s\n",
      Clients, MinOpen, MaxOpen, Reconnects, Gone ? "server gone" : "ended", MsSince(Start) / 1000);
  return 0;
}

// Processor time the process has used, in clock ticks.
long CpuTicks(int Pid) {
  std::ifstream F("/proc/" + std::to_string(Pid) + "/stat");
  std::string Stat((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  size_t P = Stat.rfind(')');
  if (P == std::string::npos) return -1;
  // After the name: state, then 10 fields up to utime and stime (fields 14 and 15).
  const char* C = Stat.c_str() + P + 2;
  long Field[13] = {};
  for (int I = 0; I < 13 && *C; ++I) {
    while (*C == ' ') ++C;
    Field[I] = std::atol(C);
    while (*C && *C != ' ') ++C;
  }
  return Field[11] + Field[12];
}

int Idle(int Port, int Conns, int Seconds, int Pid) {
  std::deque<TClient> All;
  for (int I = 0; I < Conns; ++I) {
    TReply R;
    All.emplace_back(Port, "127.0.2." + std::to_string(1 + I / 20));
    if (!All.back().Exchange(Get("/Files/Quin/Quin.css"), R) || R.Status != 200) {
      std::printf("idle: connection %d failed\n", I);
      return 1;
    }
  }
  long Before = CpuTicks(Pid);
  std::this_thread::sleep_for(std::chrono::seconds(Seconds));
  long Used = CpuTicks(Pid) - Before;
  std::printf("idle: %d kept-alive connections for %d s: the server used %.2f%% of a core\n", Conns,
              Seconds, 100.0 * double(Used) / double(sysconf(_SC_CLK_TCK) * Seconds));
  return 0;
}

// One report-window session as quin-report-session lists it.
struct TLayerSession {
  std::string Base, Page, Elements, ElementIndex, Layer;
  int Items = 0;
};

std::vector<TLayerSession> ReadLayerSessions(const std::string& File) {
  std::vector<TLayerSession> All;
  std::ifstream F(File);
  std::string Line;
  while (std::getline(F, Line)) {
    if (Line.rfind("session ", 0) != 0) continue;
    TLayerSession S;
    S.Base = Between(Line, "session ", " ");
    S.Page = Between(Line, "page=", " ");
    std::string E = Between(Line, "elements=", " ");
    S.Elements = E.substr(0, E.find(':'));
    S.ElementIndex = E.substr(E.find(':') + 1);
    std::string L = Line.substr(Line.find("layer=") + 6);
    S.Layer = L.substr(0, L.find(':'));
    S.Items = std::atoi(L.c_str() + L.find(':') + 1);
    if (S.Items > 0) All.push_back(S);
  }
  return All;
}

int Layers(int Port, const std::string& File, int Seconds, int Pid) {
  const std::vector<TLayerSession> All = ReadLayerSessions(File);
  if (All.empty()) {
    std::printf("layers: no sessions with a layer in %s\n", File.c_str());
    return 1;
  }
  std::mutex Lock;
  std::vector<double> Times;
  std::atomic<long> Errors{0};
  std::atomic<int> Ready{0};
  const int Count = int(All.size());
  // A warm-up before the measured run: the server's threads fill their heap caches and the
  // sessions' tables reach their size; latencies and the memory's course count from its end.
  const int WarmUp = std::max(1, Seconds / 10);
  auto Work = [&](int I) {
    const TLayerSession& S = All[size_t(I)];
    TClient C(Port, "127.0.1." + std::to_string(1 + I / 20));
    TReply R;
    std::vector<double> Mine;
    ++Ready;
    while (Ready < Count) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto Measured = TClock::now() + std::chrono::seconds(WarmUp);
    const auto End = Measured + std::chrono::seconds(Seconds);
    for (int K = 1; TClock::now() < End; ++K) {
      const std::string Body = "__page=" + S.Page + "&__evt=" + S.Layer + "%3Achange%3A&" +
                               S.Elements + "=" + S.ElementIndex + "&" + S.Layer + "=" +
                               std::to_string(K % S.Items);
      auto T = TClock::now();
      bool Ok = C.Exchange(Post(S.Base, Body), R) && R.Status == 200 &&
                R.Body.find("<table class=main") != std::string::npos;
      if (T >= Measured) Mine.push_back(MsSince(T));
      if (!Ok) {
        ++Errors;
        break;
      }
    }
    std::lock_guard<std::mutex> G(Lock);
    Times.insert(Times.end(), Mine.begin(), Mine.end());
  };
  std::vector<std::thread> Pool;
  for (int I = 0; I < Count; ++I) Pool.emplace_back(Work, I);
  long RssBefore = -1, RssStart = -1, RssMiddle = -1, RssEnd = -1, CpuStart = 0, CpuEnd = 0;
  if (Pid > 0) {
    while (Ready < Count) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    RssBefore = RssKb(Pid);
    std::this_thread::sleep_for(std::chrono::seconds(WarmUp));
    RssStart = RssKb(Pid);
    CpuStart = CpuTicks(Pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(500 * Seconds));
    RssMiddle = RssKb(Pid);
  }
  for (auto& T : Pool) T.join();
  if (Pid > 0) {
    RssEnd = RssKb(Pid);
    CpuEnd = CpuTicks(Pid);
  }
  std::printf(
      "layers: %d report sessions, %d s: %zu layer changes (%.0f/s), median %.2f ms, p99 %.2f "
      "ms, max %.2f ms, %ld errors",
      Count, Seconds, Times.size(), double(Times.size()) / Seconds, Percentile(Times, 50),
      Percentile(Times, 99), Percentile(Times, 100), long(Errors));
  if (Pid > 0)
    std::printf(
        "; server memory %ld kB before the load, %ld kB after a %d s warm-up, %ld kB half-way, "
        "%ld kB at end; server processor time %.2f ms per change",
        RssBefore, RssStart, WarmUp, RssMiddle, RssEnd,
        1000.0 * double(CpuEnd - CpuStart) / double(sysconf(_SC_CLK_TCK)) /
            double(std::max<size_t>(Times.size(), 1)));
  std::printf("\n");
  return Errors == 0 ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: quin_load keepalive PORT PATH COUNT | static PORT PATH CONNS SECONDS |\n"
               "       sessions PORT SESSIONS SECONDS [PID] | slow PORT CLIENTS SECONDS |\n"
               "       idle PORT CONNS SECONDS PID | layers PORT SESSIONS_FILE SECONDS [PID]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> A(argv + 1, argv + argc);
  auto Int = [&](size_t I, int Max) {
    int V = I < A.size() ? std::atoi(A[I].c_str()) : 0;
    return std::clamp(V, 0, Max);
  };
  if (A.size() < 2) return Usage();
  int Port = Int(1, 65535);
  // Bounds: at most 10 minutes, 5000 connections, 100000 requests in a row.
  if (A[0] == "keepalive" && A.size() == 4) return KeepAlive(Port, A[2], Int(3, 100000));
  if (A[0] == "static" && A.size() == 5) return Static(Port, A[2], Int(3, 1000), Int(4, 600));
  if (A[0] == "sessions" && A.size() >= 4)
    return Sessions(Port, Int(2, 2000), Int(3, 600), A.size() > 4 ? Int(4, 1 << 30) : 0);
  if (A[0] == "slow" && A.size() == 4) return Slow(Port, Int(2, 5000), Int(3, 600));
  if (A[0] == "idle" && A.size() == 5)
    return Idle(Port, Int(2, 5000), Int(3, 600), Int(4, 1 << 30));
  if (A[0] == "layers" && A.size() >= 4)
    return Layers(Port, A[2], Int(3, 600), A.size() > 4 ? Int(4, 1 << 30) : 0);
  return Usage();
}
