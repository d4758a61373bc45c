// The HTTP transport over real sockets on the loopback range: malformed heads, methods, HEAD,
// pipelining, deadlines for slow and idle clients (which never hold a worker), connection caps
// per client address with a trusted proxy, a port already in use, and stopping.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "base/exception.h"
#include "platform/httptransport.h"
#include "tests/support/loopback.h"

namespace quin {
namespace {

using test::LoopbackConnect;
using test::LoopbackExchange;
using test::ParseReplies;
using test::SendAll;

class TPlainForm : public TWebForm {
 public:
  void AfterConstruction() override { Add<TWebText>("Text")->Text = "page"; }
};

class TransportTest : public test::TLoopbackTest<TPlainForm> {
 protected:
  void Configure(TWebServerSettings& S) override {
    S.ThreadPoolSize = 1;
    S.HeadTimeout = std::chrono::milliseconds(300);
    S.IdleTimeout = std::chrono::milliseconds(300);
    S.MaxConnectionsPerAddress = 12;
    S.TrustedProxies = {"127.0.0.5"};
  }
  // True when the server closes Fd (within the reading time-out), whatever it sent first.
  static bool ClosedByServer(int Fd) {
    std::string Ignored;
    bool Closed = test::ReadToClose(Fd, Ignored);
    close(Fd);
    return Closed;
  }
};

TEST_F(TransportTest, MalformedHeadsAndOtherMethodsAreRefusedFromTheHead) {
  struct Case {
    const char* What;
    std::string Request;
    int Status;
    const char* Allow;
  } Cases[] = {
      {"no Host", "GET /Files/Quin/Quin.css HTTP/1.1\r\n\r\n", 400, nullptr},
      {"two Hosts", "GET /Files/Quin/Quin.css HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400,
       nullptr},
      {"line without colon", "GET / HTTP/1.1\r\nHost: x\r\nNoColonHere\r\n\r\n", 400, nullptr},
      {"two lengths",
       "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", 400,
       nullptr},
      {"negative length", "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: -1\r\n\r\n", 400, nullptr},
      {"head too large",
       "GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20 * 1024, 'a') + "\r\n\r\n", 431,
       nullptr},
      {"PUT", "PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 405, "GET, HEAD, POST"},
      {"DELETE", "DELETE /s/x/ HTTP/1.1\r\nHost: x\r\n\r\n", 405, "GET, HEAD, POST"},
      {"POST to a file",
       "POST /Files/Quin/Quin.css HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 405,
       "GET, HEAD"},
  };
  for (const Case& C : Cases) {
    auto R = ParseReplies(LoopbackExchange(Port, C.Request));
    ASSERT_EQ(R.size(), 1u) << C.What;
    EXPECT_EQ(R[0].Status, C.Status) << C.What;
    // After a head it cannot read, the server closes the connection.
    if (C.Status != 405) {
      EXPECT_EQ(R[0].Headers["connection"], "close") << C.What;
    }
    EXPECT_EQ(R[0].Headers["allow"], C.Allow ? C.Allow : "") << C.What;
    EXPECT_EQ(R[0].Headers["x-frame-options"], "DENY") << C.What;
  }
  EXPECT_EQ(Server->SessionCount(), 0u);
  // HTTP/1.0 needs no Host.
  EXPECT_EQ(test::Exchange(Port, "GET /Files/Quin/Quin.css HTTP/1.0\r\n\r\n").Body, "body{}");
}

TEST_F(TransportTest, PipelinedRequestsAndHeadAreAnsweredInOrder) {
  std::string Head = "HEAD /Files/Quin/Quin.css HTTP/1.1\r\nHost: x\r\n\r\n";
  std::string Get = "GET /Files/Quin/Quin.css HTTP/1.1\r\nHost: x\r\n\r\n";
  std::string Missing = "GET /Files/Quin/none.css HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  // All three in one write: each is answered, in order, on the one connection.
  auto R = ParseReplies(LoopbackExchange(Port, Head + Get + Missing), {true});
  ASSERT_EQ(R.size(), 3u);
  EXPECT_EQ(R[0].Status, 200);
  EXPECT_EQ(R[0].Headers["content-length"], "6");
  EXPECT_EQ(R[0].Headers["content-type"], "text/css");
  EXPECT_EQ(R[1].Status, 200);
  EXPECT_EQ(R[1].Body, "body{}");
  EXPECT_EQ(R[2].Status, 404);
}

TEST_F(TransportTest, SlowAndIdleClientsHoldNoWorkerAndAreClosed) {
  // One worker; the head, body and idle deadlines are 300 ms here.
  std::vector<int> Slow;
  for (int I = 0; I < 4; ++I) {
    int Idle = LoopbackConnect(Port, "127.0.0.2");
    int Head = LoopbackConnect(Port, "127.0.0.3");
    int Body = LoopbackConnect(Port, "127.0.0.4");
    SendAll(Head, "GET /Files/Quin/Quin.css HTTP/1.1\r\nHo");
    SendAll(Body, "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\nabc");
    Slow.insert(Slow.end(), {Idle, Head, Body});
  }
  // A kept-alive client that went quiet after its answer.
  int Kept = LoopbackConnect(Port);
  SendAll(Kept, "GET /Files/Quin/Quin.css HTTP/1.1\r\nHost: x\r\n\r\n");
  char Buf[512];
  EXPECT_GT(recv(Kept, Buf, sizeof Buf, 0), 0);
  Slow.push_back(Kept);
  // Meanwhile others are served by the one worker.
  EXPECT_EQ(test::Exchange(Port, test::GetRequest("/Files/Quin/Quin.css")).Status, 200);
  EXPECT_EQ(Open().size(), 3u + 32u + 1u);
  for (int Fd : Slow) EXPECT_TRUE(ClosedByServer(Fd));
}

// A low minimum rate: a body's declared length would buy it minutes.
class TransportRateTest : public TransportTest {
 protected:
  void Configure(TWebServerSettings& S) override {
    TransportTest::Configure(S);
    S.MinBodyRate = 100;
  }
};

TEST_F(TransportRateTest, ABodyMustKeepUpTheMinimumRateFromItsFirstBytes) {
  // A head declaring a large body, then a trickle: the declared length buys no time.
  int Fd = LoopbackConnect(Port, "127.0.0.8");
  SendAll(Fd, "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 60000\r\n\r\nabc");
  std::string In;
  EXPECT_TRUE(test::ReadToClose(Fd, In));
  close(Fd);
  EXPECT_EQ(Server->SessionCount(), 0u);
}

TEST(ConnectionCap, StaysWellBelowTheDescriptorLimit) {
  struct Case {
    std::size_t Max;
    std::uint64_t Limit;
    std::size_t Cap;
  } Cases[] = {{20000, 20000, 15000}, {20000, 1048576, 20000}, {20000, 1024, 768}, {10, 0, 0}};
  for (const Case& C : Cases) EXPECT_EQ(ConnectionCap(C.Max, C.Limit), C.Cap) << C.Limit;
}

// The same with the usual deadlines: the connections held open to reach the cap must not be
// closed as idle before the last one comes, however slowly the test runs.
class TransportCapTest : public TransportTest {
 protected:
  void Configure(TWebServerSettings& S) override {
    TransportTest::Configure(S);
    S.HeadTimeout = std::chrono::seconds(60);
    S.IdleTimeout = std::chrono::seconds(60);
  }
};

TEST_F(TransportCapTest, ConnectionsAreCappedPerClientAddressOrTheOneAProxyNames) {
  std::vector<int> Conns;
  for (int I = 0; I < 12; ++I) Conns.push_back(LoopbackConnect(Port, "127.0.0.6"));
  // The thirteenth from that address is refused; another address is served.
  test::THttpReply Busy = ParseReplies(LoopbackExchange(Port, "", "127.0.0.6")).at(0);
  EXPECT_EQ(Busy.Status, 503);
  // The canned refusal carries the headers of every other answer.
  EXPECT_EQ(Busy.Headers["x-content-type-options"], "nosniff");
  EXPECT_EQ(Busy.Headers["x-frame-options"], "DENY");
  EXPECT_EQ(Busy.Headers["referrer-policy"], "no-referrer");
  EXPECT_EQ(test::Exchange(Port, test::GetRequest("/Files/Quin/Quin.css")).Status, 200);
  for (int Fd : Conns) close(Fd);

  // Behind the trusted proxy the forwarded address counts (the last one the proxy added), and
  // the session learns it; an untrusted peer's header is ignored.
  std::string Via = "X-Forwarded-For: 127.0.0.200, 127.0.0.9\r\n";
  std::vector<int> Proxied;
  std::string Last;
  for (int I = 0; I < 13; ++I) {
    int Fd = LoopbackConnect(Port, "127.0.0.5");
    SendAll(Fd, "GET /Files/Quin/Quin.css HTTP/1.1\r\nHost: x\r\n" + Via + "\r\n");
    char Buf[1024];
    ssize_t N = recv(Fd, Buf, sizeof Buf, 0);  // answered and kept alive, or refused
    Last.assign(Buf, static_cast<size_t>(std::max<ssize_t>(N, 0)));
    Proxied.push_back(Fd);
  }
  EXPECT_EQ(ParseReplies(Last).at(0).Status, 503);
  for (int Fd : Proxied) close(Fd);
  std::string Sid = TLoopbackTest::Open("", "X-Forwarded-For: 127.0.0.10\r\n").substr(3, 32);
  EXPECT_EQ(Addresses[Sid], "127.0.0.1");
  int Fd = LoopbackConnect(Port, "127.0.0.5");
  SendAll(Fd,
          "GET / HTTP/1.1\r\nHost: x\r\nX-Forwarded-For: 127.0.0.10\r\nConnection: close\r\n\r\n");
  std::string In;
  test::ReadToClose(Fd, In);
  close(Fd);
  std::string Loc = ParseReplies(In).at(0).Headers["location"];
  ASSERT_EQ(Loc.size(), 3u + 32u + 1u);
  EXPECT_EQ(Addresses[Loc.substr(3, 32)], "127.0.0.10");
}

TEST_F(TransportCapTest, AConnectionClosingAfterItsAnswerNoLongerCountsForItsAddress) {
  // Requests without keep-alive, one after the other; each client reads its answer to the end
  // but keeps its socket, so the server's side lingers a moment.
  std::vector<int> Done;
  for (int I = 0; I < 20; ++I) {
    int Fd = LoopbackConnect(Port, "127.0.0.7");
    SendAll(Fd, "GET /Files/Quin/Quin.css HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    std::string In;
    EXPECT_TRUE(test::ReadToClose(Fd, In));
    EXPECT_EQ(ParseReplies(In).at(0).Status, 200) << I;
    Done.push_back(Fd);
  }
  for (int Fd : Done) close(Fd);
}

// A page whose button waits until the test lets it go.
class TWaitForm : public TWebForm {
 public:
  void AfterConstruction() override {
    Button = Add<TWebButton>("Button");
    Button->OnClick = [this](TWebControl&) {
      std::unique_lock<std::mutex> G(Lock);
      ++Running;
      Changed.notify_all();
      Changed.wait_for(G, std::chrono::seconds(30), [this] { return Go; });
    };
  }
  TWebButton* Button;
  std::mutex Lock;
  std::condition_variable Changed;
  int Running = 0;
  bool Go = false;
};

class SessionTurnTest : public test::TLoopbackTest<TWaitForm> {
 protected:
  void Configure(TWebServerSettings& S) override { S.ThreadPoolSize = 2; }
};

TEST_F(SessionTurnTest, RequestsWaitingForTheirSessionHoldNoWorker) {
  std::string Busy = Open();
  TWaitForm& F = Form(Busy);
  std::string Click =
      test::PostRequest(Busy, "application/x-www-form-urlencoded", ClickBody(Busy, *F.Button));
  // One click runs and waits; more requests of that session queue behind it.
  std::vector<int> Waiting;
  for (int I = 0; I < 6; ++I) {
    int Fd = LoopbackConnect(Port);
    SendAll(Fd, I == 0 ? Click : test::GetRequest(Busy));
    Waiting.push_back(Fd);
    if (I == 0) {
      std::unique_lock<std::mutex> G(F.Lock);
      ASSERT_TRUE(F.Changed.wait_for(G, std::chrono::seconds(30), [&] { return F.Running == 1; }));
    }
  }
  // With two workers another session is still served meanwhile.
  std::string Other = Open();
  EXPECT_EQ(test::Exchange(Port, test::GetRequest(Other)).Status, 200);
  {
    std::lock_guard<std::mutex> G(F.Lock);
    F.Go = true;
    F.Changed.notify_all();
  }
  for (int Fd : Waiting) {
    std::string In;
    test::ReadToClose(Fd, In);
    close(Fd);
    EXPECT_EQ(ParseReplies(In).at(0).Status, 200);
  }
  EXPECT_EQ(F.Running, 1);
}

TEST_F(TransportTest, APortInUseIsAClearErrorAndStopEndsSlowClients) {
  TWebServerSettings S;
  S.AppPath = App;
  S.Host = "127.0.0.1";
  S.Port = Port;
  TWebServer Second(S);
  try {
    Second.Start();
    ADD_FAILURE() << "a second server listens on the same port";
  } catch (const Exception& E) {
    EXPECT_NE(E.Message.find("already in use"), std::string::npos) << E.Message;
  }
  int Slow = LoopbackConnect(Port);
  SendAll(Slow, "GET / HTTP/1.1\r\n");
  EXPECT_TRUE(Server->Stop());
  EXPECT_TRUE(ClosedByServer(Slow));
  EXPECT_LT(LoopbackConnect(Port), 0);
}

}  // namespace
}  // namespace quin
