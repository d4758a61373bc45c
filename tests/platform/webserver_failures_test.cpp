// Whatever a request throws, on the I/O thread (a web file) or on a worker (a page), is logged
// and answered with status 500, and the server answers the next request, of the same session
// too.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/log.h"
#include "tests/support/loopback.h"

namespace quin {
namespace {

using test::Exchange;
using test::GetRequest;
using test::THttpReply;

// A server whose requests throw when their path says so.
class TThrowingServer : public TWebServer {
 public:
  using TWebServer::TWebServer;
  TWebResponse Handle(const TWebRequest& Request) override {
    if (Request.Path.find("throw-runtime") != std::string::npos)
      throw std::runtime_error("a failure on purpose");
    if (Request.Path.find("throw-memory") != std::string::npos) throw std::bad_alloc();
    if (Request.Path.find("throw-int") != std::string::npos) throw 42;
    return TWebServer::Handle(Request);
  }
};

class TPlainForm : public TWebForm {
 public:
  void AfterConstruction() override { Add<TWebLabel>("Label")->Caption = "page"; }
};

class ServerFailuresTest : public testing::Test, public test::TTempAppFolder {
 protected:
  void SetUp() override {
    FormerSink = SetLogSink([this](std::string_view Line) { Lines.emplace_back(Line); });
    TWebServerSettings S = Settings();
    S.ThreadPoolSize = 2;
    Server = std::make_unique<TThrowingServer>(S);
    Server->OnNewSession = [](TWebSession& Ses) { Ses.CreateForm<TPlainForm>()->Show(); };
    Server->Start();
    Port = Server->Port();
  }
  void TearDown() override {
    Server.reset();
    SetLogSink(FormerSink);
  }
  // The log lines written so far that contain every one of Parts.
  int LinesWith(std::initializer_list<std::string> Parts) {
    std::lock_guard<std::mutex> G(LinesLock);
    int N = 0;
    for (const std::string& L : Lines) {
      bool All = true;
      for (const std::string& P : Parts) All = All && L.find(P) != std::string::npos;
      N += All;
    }
    return N;
  }

  std::unique_ptr<TWebServer> Server;
  int Port = 0;
  std::mutex LinesLock;
  std::vector<std::string> Lines;
  TLogSink FormerSink;
};

TEST_F(ServerFailuresTest, AWebFileThatThrowsOnTheIoThreadIsAnswered500) {
  for (const char* Path : {"/Files/Quin/throw-runtime.css", "/Files/Quin/throw-memory.css",
                           "/Files/Quin/throw-int.css"}) {
    SCOPED_TRACE(Path);
    EXPECT_EQ(Exchange(Port, GetRequest(Path)).Status, 500);
    THttpReply Next = Exchange(Port, GetRequest("/Files/Quin/Quin.css"));
    EXPECT_EQ(Next.Status, 200);
    EXPECT_EQ(Next.Body, "body{}");
  }
  EXPECT_EQ(LinesWith({" ERROR ",
                       "/Files/Quin/throw-runtime.css: the request failed: a failure "
                       "on purpose"}),
            1);
  EXPECT_EQ(LinesWith({" ERROR ", "throw-memory.css: the request failed: out of memory"}), 1);
  EXPECT_EQ(LinesWith({" ERROR ", "throw-int.css: the request failed: unknown error"}), 1);
  // The access lines: address, method, status.
  EXPECT_EQ(LinesWith({" INFO ", "/Files/Quin/throw-int.css: 127.0.0.1 GET 500 "}), 1);
  EXPECT_EQ(LinesWith({" INFO ", "/Files/Quin/Quin.css: 127.0.0.1 GET 200 6 B "}), 3);
}

TEST_F(ServerFailuresTest, APageThatThrowsOnAWorkerIsAnswered500) {
  // A request of no session, on a worker of the pool.
  EXPECT_EQ(Exchange(Port, GetRequest("/throw-memory")).Status, 500);
  EXPECT_EQ(Exchange(Port, GetRequest("/throw-int")).Status, 500);
  THttpReply Opened = Exchange(Port, GetRequest("/"));
  ASSERT_EQ(Opened.Status, 302);
  const std::string Base = Opened.Headers["location"];
  ASSERT_EQ(Base.size(), 3u + 32u + 1u);

  // Requests of a session take turns: the one after a failure still gets its turn.
  for (const char* Throw : {"throw-runtime", "throw-memory", "throw-int"}) {
    EXPECT_EQ(Exchange(Port, GetRequest(Base + "img/" + Throw)).Status, 500) << Throw;
    THttpReply Page = Exchange(Port, GetRequest(Base));
    EXPECT_EQ(Page.Status, 200) << Throw;
    EXPECT_NE(Page.Body.find("page"), std::string::npos) << Throw;
  }
  // The lines name the session by the start of its identifier, never the whole of it.
  const std::string Sid = Base.substr(3, 32);
  EXPECT_EQ(LinesWith({" ERROR s=" + Sid.substr(0, 8) +
                       " /s/*/img/throw-memory: the request "
                       "failed: out of memory"}),
            1);
  EXPECT_EQ(LinesWith({" INFO s=" + Sid.substr(0, 8) + " /s/*/: 127.0.0.1 GET 200 "}), 3);
  EXPECT_EQ(LinesWith({Sid}), 0);
}

TEST_F(ServerFailuresTest, TheSessionsLanguageCallbackThrowing) {
  // Thrown before any page handler runs (the session's language is bound first).
  std::atomic<bool> Fail{false};
  Server->SessionLangManager = [&Fail](TWebSession&) -> TOrvLangManager* {
    if (Fail) throw std::runtime_error("no language");
    return nullptr;
  };
  THttpReply Opened = Exchange(Port, GetRequest("/"));
  const std::string Base = Opened.Headers["location"];
  Fail = true;
  EXPECT_EQ(Exchange(Port, GetRequest(Base)).Status, 500);
  Fail = false;
  EXPECT_EQ(Exchange(Port, GetRequest(Base)).Status, 200);
  EXPECT_EQ(LinesWith({" ERROR ", "the request failed: no language"}), 1);
}

}  // namespace
}  // namespace quin
