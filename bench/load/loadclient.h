// What the load tools share: a kept-alive HTTP/1.1 client on the loopback range, bound to a
// chosen local address so that one machine can play many clients.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

namespace quin::loadclient {

using TClock = std::chrono::steady_clock;

inline double MsSince(TClock::time_point T) {
  return std::chrono::duration<double, std::milli>(TClock::now() - T).count();
}

inline int Connect(int Port, const std::string& From = "127.0.0.1", int TimeoutS = 10) {
  int Fd = socket(AF_INET, SOCK_STREAM, 0);
  if (Fd < 0) return -1;
  int One = 1;
  setsockopt(Fd, IPPROTO_TCP, TCP_NODELAY, &One, sizeof One);
  sockaddr_in Local{};
  Local.sin_family = AF_INET;
  inet_pton(AF_INET, From.c_str(), &Local.sin_addr);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_port = htons(static_cast<uint16_t>(Port));
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval Tv{TimeoutS, 0};
  setsockopt(Fd, SOL_SOCKET, SO_RCVTIMEO, &Tv, sizeof Tv);
  if (bind(Fd, reinterpret_cast<sockaddr*>(&Local), sizeof Local) != 0 ||
      connect(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0) {
    close(Fd);
    return -1;
  }
  return Fd;
}

inline bool SendAll(int Fd, const std::string& Data) {
  size_t Sent = 0;
  while (Sent < Data.size()) {
    ssize_t N = send(Fd, Data.data() + Sent, Data.size() - Sent, MSG_NOSIGNAL);
    if (N <= 0) return false;
    Sent += size_t(N);
  }
  return true;
}

struct TReply {
  int Status = 0;
  std::string Head;
  std::string Body;
  std::string Header(const char* Name) const {
    std::string Lower = Head;
    for (char& C : Lower) C = char(tolower(C));
    std::string Key = std::string("\r\n") + Name + ":";
    size_t P = Lower.find(Key);
    if (P == std::string::npos) return {};
    size_t Start = Head.find_first_not_of(' ', P + Key.size());
    return Head.substr(Start, Head.find("\r\n", Start) - Start);
  }
};

inline bool TakeReply(std::string& In, TReply& R) {
  size_t End = In.find("\r\n\r\n");
  if (End == std::string::npos) return false;
  R.Head = In.substr(0, End + 2);
  R.Status = std::atoi(In.c_str() + 9);
  size_t Length = size_t(std::atoll(R.Header("content-length").c_str()));
  if (In.size() < End + 4 + Length) return false;
  R.Body = In.substr(End + 4, Length);
  In.erase(0, End + 4 + Length);
  return true;
}

// A kept-alive connection of one client.
struct TClient {
  explicit TClient(int APort, std::string AFrom = "127.0.0.1")
      : Port(APort), From(std::move(AFrom)) {}
  TClient(const TClient&) = delete;
  TClient& operator=(const TClient&) = delete;
  ~TClient() { Reset(); }
  int Port;
  std::string From;
  int Fd = -1;
  std::string In;
  bool Exchange(const std::string& Request, TReply& R) {
    if (Fd < 0 && (Fd = Connect(Port, From)) < 0) return false;
    if (!SendAll(Fd, Request)) return Reset();
    char Buf[65536];
    while (!TakeReply(In, R)) {
      ssize_t N = recv(Fd, Buf, sizeof Buf, 0);
      if (N <= 0) return Reset();
      In.append(Buf, size_t(N));
    }
    if (R.Header("connection") == "close") Reset();
    return true;
  }
  bool Reset() {
    if (Fd >= 0) close(Fd);
    Fd = -1;
    In.clear();
    return false;
  }
};

}  // namespace quin::loadclient
