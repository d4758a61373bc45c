// Raw HTTP exchanges with a server on 127.0.0.1 (never any other address), for the loopback
// tests of the web layer.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace quin::testing {

// Sends Raw to 127.0.0.1:Port, then reads until the server closes the connection (or 10 s
// pass without data); returns everything read ("" when the connection failed).
inline std::string LoopbackExchange(int Port, const std::string& Raw) {
  std::string In;
  int Fd = socket(AF_INET, SOCK_STREAM, 0);
  if (Fd < 0) return In;
  timeval Tv{10, 0};
  setsockopt(Fd, SOL_SOCKET, SO_RCVTIMEO, &Tv, sizeof Tv);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_port = htons(static_cast<uint16_t>(Port));
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0) {
    close(Fd);
    return In;
  }
  size_t Sent = 0;
  while (Sent < Raw.size()) {
    ssize_t N = send(Fd, Raw.data() + Sent, Raw.size() - Sent, MSG_NOSIGNAL);
    if (N <= 0) break;
    Sent += static_cast<size_t>(N);
  }
  char Buf[4096];
  for (ssize_t N; (N = recv(Fd, Buf, sizeof Buf, 0)) > 0;) In.append(Buf, static_cast<size_t>(N));
  close(Fd);
  return In;
}

}  // namespace quin::testing
