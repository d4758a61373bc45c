// The web server over real sockets on 127.0.0.1 with a port the system chooses.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "base/text.h"
#include "platform/webserver.h"
#include "tests/platform/loopback.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

struct THttpReply {
  int Status = 0;
  std::map<std::string, std::string> Headers;  // lower-case names
  std::string Body;
};

// Sends one raw HTTP/1.1 request with "Connection: close" and reads the whole answer.
THttpReply Exchange(int Port, const std::string& Raw) {
  THttpReply R;
  const std::string In = testing::LoopbackExchange(Port, Raw);
  size_t End = In.find("\r\n\r\n");
  if (In.compare(0, 9, "HTTP/1.1 ") != 0 || End == std::string::npos) return R;
  R.Status = std::stoi(In.substr(9, 3));
  size_t Pos = In.find("\r\n") + 2;
  while (Pos < End) {
    size_t Eol = In.find("\r\n", Pos);
    std::string Line = In.substr(Pos, Eol - Pos);
    size_t Colon = Line.find(':');
    if (Colon != std::string::npos)
      R.Headers[LowerCase(Line.substr(0, Colon))] =
          Line.substr(Line.find_first_not_of(' ', Colon + 1));
    Pos = Eol + 2;
  }
  R.Body = In.substr(End + 4);
  return R;
}

std::string GetRequest(const std::string& Target) {
  return "GET " + Target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

std::string PostRequest(const std::string& Target, const std::string& Type,
                        const std::string& Body) {
  return "POST " + Target +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: " + Type +
         "\r\nContent-Length: " + std::to_string(Body.size()) + "\r\n\r\n" + Body;
}

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

class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char Tmpl[] = "/tmp/quinloopXXXXXX";
    ASSERT_NE(mkdtemp(Tmpl), nullptr);
    App = std::string(Tmpl) + "/";
    fs::create_directories(App + "Files/Quin");
    std::ofstream(App + "Files/Quin/Quin.css") << "body{}";
    std::ofstream(App + "Files/Quin/Quin.pwd") << "<QuinPwd/>";
    TWebServerSettings S;
    S.AppPath = App;
    S.Host = "127.0.0.1";
    S.Port = 0;
    S.ThreadPoolSize = 8;
    S.MaxBodySize = 64 * 1024;
    Server = std::make_unique<TWebServer>(S);
    Server->OnNewSession = [this](TWebSession& Ses) {
      std::lock_guard<std::mutex> G(FormsLock);
      Forms[Ses.Id()] = Ses.CreateForm<TLoopForm>();
      Forms[Ses.Id()]->Show();
    };
    Server->Start();
    Port = Server->Port();
    ASSERT_GT(Port, 0);
  }
  void TearDown() override {
    Server.reset();
    fs::remove_all(App);
  }
  // Opens a session over the wire; returns its URL base.
  std::string Open(const std::string& Query = "") {
    THttpReply R = Exchange(Port, GetRequest("/" + Query));
    EXPECT_EQ(R.Status, 302);
    return R.Headers["location"];
  }
  TLoopForm& Form(const std::string& Base) {
    std::lock_guard<std::mutex> G(FormsLock);
    return *Forms.at(Base.substr(3, 32));
  }

  std::string App;
  std::unique_ptr<TWebServer> Server;
  int Port = 0;
  std::mutex FormsLock;
  std::map<std::string, TLoopForm*> Forms;
};

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
    Met[Who] = Cv.wait_for(G, std::chrono::seconds(10), [&] { return Started >= 2; });
  };
  FA.OnPress = [&] { Meet(0); };
  FB.OnPress = [&] { Meet(1); };
  auto Press = [this](std::string Base, TLoopForm* F) {
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

}  // namespace
}  // namespace quin
