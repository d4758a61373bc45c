// The web server over real sockets on 127.0.0.1 with a port the system chooses.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "tests/support/loopback.h"

namespace quin {
namespace {

using test::Exchange;
using test::GetRequest;
using test::PostRequest;
using test::THttpReply;

class TLoopForm : public TWebForm {
 public:
  void AfterConstruction() override {
    Edit = Add<TWebEdit>("Edit");
    Button = Add<TWebButton>("Button");
    Button->OnClick = [this](TWebControl&) {
      ++Clicks;
      if (OnPress) OnPress();
    };
  }
  TWebEdit* Edit;
  TWebButton* Button;
  int Clicks = 0;
  std::function<void()> OnPress;
};

using LoopbackTest = test::TLoopbackTest<TLoopForm>;

TEST_F(LoopbackTest, SessionPageAndEventsOverHttp) {
  std::string Base = Open("?lang=en&survey=Prasa");
  ASSERT_EQ(Base.size(), 3u + 32u + 1u);
  THttpReply Page = Exchange(Port, GetRequest(Base));
  EXPECT_EQ(Page.Status, 200);
  EXPECT_EQ(Page.Headers["content-type"], "text/html; charset=iso-8859-2");
  EXPECT_NE(Page.Body.find("enctype=\"multipart/form-data\""), std::string::npos);
  TLoopForm& F = Form(Base);

  // The browser's form: multipart, values in ISO-8859-2.
  std::string B = "----quinboundary";
  auto Part = [&B](const std::string& Name, const std::string& Value) {
    return "--" + B + "\r\nContent-Disposition: form-data; name=\"" + Name + "\"\r\n\r\n" + Value +
           "\r\n";
  };
  std::string Body = Part("__page", F.PageId()) + Part("__evt", F.Button->Id() + ":click:") +
                     Part(F.Edit->Id(), "\xB6wiat") + "--" + B + "--\r\n";
  THttpReply R = Exchange(Port, PostRequest(Base, "multipart/form-data; boundary=" + B, Body));
  EXPECT_EQ(R.Status, 200);
  EXPECT_EQ(F.Clicks, 1);
  EXPECT_EQ(F.Edit->Text, Cp1250("świat"));

  // A url-encoded post too.
  R = Exchange(Port, PostRequest(Base, "application/x-www-form-urlencoded",
                                 "__page=" + F.PageId() + "&__evt=" + F.Button->Id() +
                                     "%3Aclick%3A&" + F.Edit->Id() + "=%B1+b"));
  EXPECT_EQ(R.Status, 200);
  EXPECT_EQ(F.Clicks, 2);
  EXPECT_EQ(F.Edit->Text, Cp1250("ą b"));
}

TEST_F(LoopbackTest, FilesAndLimitsOverHttp) {
  EXPECT_EQ(Exchange(Port, GetRequest("/Files/Quin/Quin.css")).Body, "body{}");
  for (const char* P : {"/Files/Quin/Quin.pwd", "/Files/Quin/../Files/Quin/Quin.css",
                        "/Files/Quin/%2e%2e/Files/Quin/Quin.css", "/Files/Quin/..%5cQuin.css"})
    EXPECT_EQ(Exchange(Port, GetRequest(P)).Status, 404) << P;
  std::string Base = Open();
  EXPECT_EQ(Exchange(Port, PostRequest(Base, "application/x-www-form-urlencoded",
                                       "x=" + std::string(70 * 1024, 'a')))
                .Status,
            413);
}

TEST_F(LoopbackTest, SessionsAreServedInParallel) {
  std::string A = Open(), B = Open();
  TLoopForm& FA = Form(A);
  TLoopForm& FB = Form(B);
  // Each handler waits for the other one to start: only parallel threads let both go on.
  std::mutex M;
  std::condition_variable Cv;
  int Started = 0;
  bool Met[2] = {false, false};
  auto Meet = [&](int Who) {
    std::unique_lock<std::mutex> G(M);
    ++Started;
    Cv.notify_all();
    Met[Who] = Cv.wait_for(G, std::chrono::seconds(60), [&] { return Started >= 2; });
  };
  FA.OnPress = [&] { Meet(0); };
  FB.OnPress = [&] { Meet(1); };
  auto Press = [this](const std::string& Base, TLoopForm* F) {
    Exchange(Port,
             PostRequest(Base, "application/x-www-form-urlencoded",
                         "__page=" + F->PageId() + "&__evt=" + F->Button->Id() + "%3Aclick%3A"));
  };
  std::thread T1(Press, A, &FA), T2(Press, B, &FB);
  T1.join();
  T2.join();
  EXPECT_TRUE(Met[0]);
  EXPECT_TRUE(Met[1]);
}

// One session busy at a time: another session's request waits for it, holding no worker, while
// a request of no session is served meanwhile.
class BusySessionsTest : public LoopbackTest {
 protected:
  void Configure(TWebServerSettings& S) override {
    S.ThreadPoolSize = 2;
    S.MaxBusySessions = 1;
  }
};

TEST_F(BusySessionsTest, AnotherSessionWaitsWhileOneComputes) {
  std::string A = Open(), B = Open();
  TLoopForm& FA = Form(A);
  TLoopForm& FB = Form(B);
  std::mutex M;
  std::condition_variable Cv;
  bool InA = false, ReleaseA = false, BStarted = false;
  FA.OnPress = [&] {
    std::unique_lock<std::mutex> G(M);
    InA = true;
    Cv.notify_all();
    Cv.wait_for(G, std::chrono::seconds(60), [&] { return ReleaseA; });
  };
  FB.OnPress = [&] {
    std::lock_guard<std::mutex> G(M);
    BStarted = true;
  };
  auto Press = [this](const std::string& Base, TLoopForm* F) {
    return Exchange(Port, PostRequest(Base, "application/x-www-form-urlencoded",
                                      "__page=" + F->PageId() + "&__evt=" + F->Button->Id() +
                                          "%3Aclick%3A"))
        .Status;
  };
  int StatusA = 0, StatusB = 0;
  std::thread TA([&] { StatusA = Press(A, &FA); });
  {
    std::unique_lock<std::mutex> G(M);
    ASSERT_TRUE(Cv.wait_for(G, std::chrono::seconds(60), [&] { return InA; }));
  }
  std::thread TB([&] { StatusB = Press(B, &FB); });
  // The pool's other worker is free: a new session opens while B waits for A.
  EXPECT_EQ(Open().size(), 3u + 32u + 1u);
  {
    std::lock_guard<std::mutex> G(M);
    EXPECT_FALSE(BStarted);
    ReleaseA = true;
  }
  Cv.notify_all();
  TA.join();
  TB.join();
  EXPECT_EQ(StatusA, 200);
  EXPECT_EQ(StatusB, 200);
  EXPECT_TRUE(BStarted);
}

}  // namespace
}  // namespace quin
