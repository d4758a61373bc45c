// The web server over real sockets on the loopback range (never any other address): raw HTTP
// exchanges, and one fixture with a server on 127.0.0.1 at a port the system chooses, over a
// temporary application folder, whose new sessions show a page of class TForm.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/webserver.h"
#include "tests/support/app_folder.h"

namespace quin::test {

// A socket connected to 127.0.0.1:Port from the loopback address From, reading with a 60 s
// time-out (generous: it only bounds a failing test on a busy machine); -1 when the connection
// failed.
inline int LoopbackConnect(int Port, const char* From = "127.0.0.1") {
  int Fd = socket(AF_INET, SOCK_STREAM, 0);
  if (Fd < 0) return -1;
  timeval Tv{60, 0};
  setsockopt(Fd, SOL_SOCKET, SO_RCVTIMEO, &Tv, sizeof Tv);
  sockaddr_in Local{};
  Local.sin_family = AF_INET;
  inet_pton(AF_INET, From, &Local.sin_addr);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_port = htons(static_cast<uint16_t>(Port));
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(Fd, reinterpret_cast<sockaddr*>(&Local), sizeof Local) != 0 ||
      connect(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0) {
    close(Fd);
    return -1;
  }
  return Fd;
}

inline void SendAll(int Fd, const std::string& Data) {
  size_t Sent = 0;
  while (Sent < Data.size()) {
    ssize_t N = send(Fd, Data.data() + Sent, Data.size() - Sent, MSG_NOSIGNAL);
    if (N <= 0) break;
    Sent += static_cast<size_t>(N);
  }
}

// Reads until the server closes the connection; false when 60 s passed without data first.
inline bool ReadToClose(int Fd, std::string& In) {
  char Buf[4096];
  for (;;) {
    ssize_t N = recv(Fd, Buf, sizeof Buf, 0);
    if (N > 0) {
      In.append(Buf, static_cast<size_t>(N));
      continue;
    }
    return N == 0 || errno == ECONNRESET;
  }
}

// Sends Raw from From, then reads until the server closes the connection (or 60 s pass without
// data); returns everything read ("" when the connection failed).
inline std::string LoopbackExchange(int Port, const std::string& Raw,
                                    const char* From = "127.0.0.1") {
  std::string In;
  int Fd = LoopbackConnect(Port, From);
  if (Fd < 0) return In;
  SendAll(Fd, Raw);
  ReadToClose(Fd, In);
  close(Fd);
  return In;
}

struct THttpReply {
  int Status = 0;
  std::map<std::string, std::string> Headers;  // lower-case names
  std::string Body;
};

// The answers in a stream read from one connection, bodies taken by their Content-Length
// (none for the answers to HEAD requests, counted from the first).
inline std::vector<THttpReply> ParseReplies(const std::string& In,
                                            const std::vector<bool>& HeadRequests = {}) {
  std::vector<THttpReply> R;
  size_t Pos = 0;
  while (In.compare(Pos, 7, "HTTP/1.") == 0) {
    size_t End = In.find("\r\n\r\n", Pos);
    if (End == std::string::npos) break;
    THttpReply Reply;
    Reply.Status = std::atoi(In.substr(Pos + 9, 3).c_str());
    for (size_t L = In.find("\r\n", Pos) + 2; L < End;) {
      size_t Eol = In.find("\r\n", L);
      std::string Line = In.substr(L, Eol - L);
      size_t Colon = Line.find(':');
      if (Colon != std::string::npos)
        Reply.Headers[LowerCase(Line.substr(0, Colon))] =
            Line.substr(Line.find_first_not_of(' ', Colon + 1));
      L = Eol + 2;
    }
    size_t Length = static_cast<size_t>(std::atoll(Reply.Headers["content-length"].c_str()));
    bool Head = R.size() < HeadRequests.size() && HeadRequests[R.size()];
    Pos = End + 4;
    if (!Head) {
      Reply.Body = In.substr(Pos, Length);
      Pos += Length;
    }
    R.push_back(std::move(Reply));
  }
  return R;
}

// The status codes of the answers to Raw, in order.
inline std::vector<int> Statuses(int Port, const std::string& Raw) {
  std::vector<int> R;
  for (const THttpReply& Reply : ParseReplies(LoopbackExchange(Port, Raw)))
    R.push_back(Reply.Status);
  return R;
}

inline THttpReply Exchange(int Port, const std::string& Raw) {
  std::vector<THttpReply> R = ParseReplies(LoopbackExchange(Port, Raw));
  return R.empty() ? THttpReply{} : R.front();
}

inline std::string GetRequest(const std::string& Target) {
  return "GET " + Target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

inline std::string PostRequest(const std::string& Target, const std::string& Type,
                               const std::string& Body) {
  return "POST " + Target +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: " + Type +
         "\r\nContent-Length: " + std::to_string(Body.size()) + "\r\n\r\n" + Body;
}

template <class TForm>
class TLoopbackTest : public testing::Test, public TTempAppFolder {
 protected:
  // Changes the server's settings before it starts.
  virtual void Configure(TWebServerSettings& S) {}

  void SetUp() override {
    TWebServerSettings S = Settings();
    S.ThreadPoolSize = 4;
    S.MaxBodySize = 64 * 1024;
    Configure(S);
    Server = std::make_unique<TWebServer>(S);
    Server->OnNewSession = [this](TWebSession& Ses) {
      std::lock_guard<std::mutex> G(FormsLock);
      Forms[Ses.Id()] = Ses.CreateForm<TForm>();
      Forms[Ses.Id()]->Show();
      Addresses[Ses.Id()] = Ses.ClientAddress();
    };
    Server->Start();
    Port = Server->Port();
    ASSERT_GT(Port, 0);
  }
  void TearDown() override { Server.reset(); }
  // Opens a session over the wire; returns its URL base.
  std::string Open(const std::string& Query = "", const std::string& ExtraHeaders = "") {
    THttpReply R = Exchange(Port, "GET /" + Query + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                                      ExtraHeaders + "Connection: close\r\n\r\n");
    EXPECT_EQ(R.Status, 302);
    return R.Headers["location"];
  }
  TForm& Form(const std::string& Base) {
    std::lock_guard<std::mutex> G(FormsLock);
    return *Forms.at(Base.substr(3, 32));
  }
  // The url-encoded body that clicks Control on the session's page.
  std::string ClickBody(const std::string& Base, const TWebControl& Control) {
    return "__page=" + Form(Base).PageId() + "&__evt=" + Control.Id() + "%3Aclick%3A";
  }

  std::unique_ptr<TWebServer> Server;
  int Port = 0;
  std::mutex FormsLock;
  std::map<std::string, TForm*> Forms;
  std::map<std::string, std::string> Addresses;  // the client address each session opened with
};

}  // namespace quin::test
