// A server of the web application over a temporary application folder, driven through the
// layer's in-process request seam (no sockets).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "base/metaclass.h"
#include "platform/charset.h"
#include "platform/webserver.h"
#include "platform/websession.h"
#include "tests/support/tempfolder.h"
#include "web/controller.h"
#include "web/session.h"

namespace quin::test {

class TWebAppTest : public testing::Test {
 protected:
  // Makes the application folder; the test fills it, then calls StartServer.
  void SetUp() override {
    App = Folder.Dir();
    Files = App + "Files/Quin/";
  }
  void StartServer(std::chrono::milliseconds Timeout = std::chrono::milliseconds(60000)) {
    Server.reset();
    if (!Controller) Controller = New<THobServerController>();
    Controller->AppPath = App;
    Controller->Host = "127.0.0.1";
    Controller->Port = 0;
    Controller->SessionTimeoutSpan = Timeout;
    Server = Controller->CreateServer();
    auto Inner = Server->OnNewSession;
    Server->OnNewSession = [this, Inner](TWebSession& S) {
      Sessions[S.Id()] = &S;
      Inner(S);
    };
    auto InnerClose = Server->OnCloseSession;
    Server->OnCloseSession = [this, InnerClose](TWebSession& S) {
      InnerClose(S);
      std::lock_guard<std::mutex> G(ClosedLock);
      ++Closed;
      ClosedChanged.notify_all();
    };
  }
  // Waits until Count sessions have been closed (at most 30 s); false when they were not.
  bool WaitClosed(int Count) {
    std::unique_lock<std::mutex> G(ClosedLock);
    return ClosedChanged.wait_for(G, std::chrono::seconds(30), [&] { return Closed >= Count; });
  }
  void TearDown() override {
    Server.reset();
    Controller.reset();
  }

  static void Write(const std::string& Path, const std::string& Data) { WriteFile(Path, Data); }
  // A new session (start parameters Params) with its start page shown; its identifier.
  std::string Open(TWebValues Params = {}) {
    TWebResponse R = Server->Handle({"GET", "/", std::move(Params)});
    EXPECT_EQ(R.Status, 302);
    std::string Sid = R.Header("Location").substr(3, 32);
    Page(Sid);  // the first request shows the start page
    return Sid;
  }
  // The page as the browser gets it, recoded to Windows-1250 for comparisons.
  std::string Page(const std::string& Sid) {
    TWebResponse R = Server->Handle({"GET", Url(Sid), {}});
    EXPECT_EQ(R.ContentType, "text/html; charset=iso-8859-2");
    return Iso88592ToCp1250(R.Body);
  }
  TWebForm* Active(const std::string& Sid) { return Sessions.at(Sid)->ActiveForm(); }
  THobSessionModule& Module(const std::string& Sid) {
    return *As<THobSessionModule>(Sessions.at(Sid)->Data());
  }
  // Posts an event of control C (values in ISO-8859-2 as a browser sends them); returns the
  // answer, following a redirect to the session's new address as a browser does (Sid stays
  // the test's name for the session).
  TWebResponse FireResponse(const std::string& Sid, const TWebControl& C, const std::string& Kind,
                            const std::string& Arg = {}, TWebValues V = {}) {
    V.Add("__page", Active(Sid)->PageId());
    V.Add("__evt", C.Id() + ":" + Kind + ":" + Arg);
    TWebResponse R = Server->Handle({"POST", Url(Sid), std::move(V)});
    if (R.Status == 303) {
      std::string To = R.Header("Location");
      EXPECT_EQ(To.compare(0, 3, "/s/"), 0);
      Renamed[Sid] = To.substr(3, 32);
      R = Server->Handle({"GET", To, {}});
    }
    return R;
  }
  // The same; the page answered, recoded to Windows-1250.
  std::string Fire(const std::string& Sid, const TWebControl& C, const std::string& Kind,
                   const std::string& Arg = {}, TWebValues V = {}) {
    return Iso88592ToCp1250(FireResponse(Sid, C, Kind, Arg, std::move(V)).Body);
  }
  // The session's address now (it changes at logon).
  std::string Url(const std::string& Sid) const {
    auto It = Renamed.find(Sid);
    return "/s/" + (It == Renamed.end() ? Sid : It->second) + "/";
  }

  TTempFolder Folder;  // the application folder, removed after the test
  std::string App, Files;
  std::unique_ptr<THobServerController> Controller;
  std::unique_ptr<TWebServer> Server;
  std::mutex ClosedLock;
  std::condition_variable ClosedChanged;
  int Closed = 0;
  std::map<std::string, TWebSession*> Sessions;  // by the identifier they opened with
  std::map<std::string, std::string> Renamed;    // identifiers given at logon
};

}  // namespace quin::test
