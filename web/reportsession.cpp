// quin-report-session: the server with sessions that already show a saved report, for the
// browser tests and the load benchmark of the report window (the pages before the window are
// not needed to reach it).
//
//   quin-report-session --app-dir DIR --report NAME [--sessions N] [--port P]
//                       [--session-timeout MS]
//
// Listens on 127.0.0.1 only. Each session logs on with the demonstration button, opens the
// user's first survey and the report NAME of its reports folder. One line per session:
//   session /s/<id>/ page=<page id> elements=<list id>:<index> layer=<layer list id>:<items>
// then "listening on http://127.0.0.1:<port>/"; runs until SIGINT or SIGTERM.
#include <chrono>
#include <csignal>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/langmanager.h"
#include "platform/webserver.h"
#include "platform/websession.h"
#include "web/controller.h"
#include "web/logon.h"
#include "web/register.h"
#include "web/repwindow.h"
#include "web/session.h"

namespace {

int Usage(const std::string& Error) {
  std::cerr << "quin-report-session: " << Error << "\n"
            << "usage: quin-report-session --app-dir DIR --report NAME [--sessions N] "
               "[--port P] [--session-timeout MS]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quin;
  std::vector<std::string> Args(argv + 1, argv + argc);
  std::string App, Report;
  int Sessions = 1, Port = 0, Timeout = 60000;
  for (std::size_t I = 0; I + 1 < Args.size(); I += 2) {
    const std::string &A = Args[I], &V = Args[I + 1];
    int N = 0;
    if (A == "--app-dir")
      App = V.empty() || V.back() == '/' ? V : V + "/";
    else if (A == "--report")
      Report = V;
    else if (A == "--sessions" && TryStrToInt(V, N) && N >= 1 && N <= 2000)
      Sessions = N;
    else if (A == "--port" && TryStrToInt(V, N) && N >= 0 && N <= 65535)
      Port = N;
    else if (A == "--session-timeout" && TryStrToInt(V, N) && N >= 300)
      Timeout = N;
    else
      return Usage("bad option " + A);
  }
  if (Args.size() % 2 != 0) return Usage("an option lacks its value");
  if (App.empty() || Report.empty()) return Usage("--app-dir and --report are needed");

  // The signals are waited for below; every thread started from here on blocks them.
  sigset_t Stop;
  sigemptyset(&Stop);
  sigaddset(&Stop, SIGINT);
  sigaddset(&Stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &Stop, nullptr);

  RegisterWebClasses();
  TServerOptions Options;
  Options.AppDir = App;
  Options.Host = "127.0.0.1";
  Options.Port = Port;
  Options.SessionTimeout = std::chrono::milliseconds(Timeout);
  std::unique_ptr<TZepServerController> Controller;
  std::unique_ptr<TWebServer> Server;
  try {
    Server = StartServer(Options, Controller);
  } catch (const std::exception& E) {
    std::cerr << "quin-report-session: " << E.what() << "\n";
    return 1;
  }
  std::map<std::string, TWebSession*> Made;
  auto Inner = Server->OnNewSession;
  Server->OnNewSession = [&](TWebSession& S) {
    Made[S.Id()] = &S;
    Inner(S);
  };
  for (int K = 0; K < Sessions; ++K) {
    // Spread over client addresses as many users' machines would be.
    TWebRequest Get{"GET", "/", {}};
    Get.ClientAddress = "127.0.1." + std::to_string(1 + K / 20);
    TWebResponse R = Server->Handle(Get);
    const std::string Sid = R.Header("Location").substr(3, 32);
    TWebSession* S = Made.at(Sid);
    Server->Handle({"GET", "/s/" + Sid + "/", {}});
    auto* Logon = As<THobLogonForm>(S->ActiveForm());
    if (!Logon) return Usage("the session shows no logon page");
    TWebValues V;
    V.Add("__page", Logon->PageId());
    V.Add("__evt", Logon->DemoButton->Id() + ":click:");
    Server->Handle({"POST", "/s/" + Sid + "/", V});
    auto* M = As<THobSessionModule>(S->Data());
    TPelWebRepWindowForm* W = nullptr;
    {
      TWebSessionBinding Bind(S);
      TLangManagerBinding Lang(M->LangManager.get());
      if (M->SurveyFiles.empty() || !M->OpenSurvey(M->SurveyFiles[0])) {
        std::cerr << "quin-report-session: the survey cannot be opened\n";
        return 1;
      }
      M->ListReports();
      W = CreateSavedReportWindow(*M, Report);
      if (!W) {
        std::cerr << "quin-report-session: the report cannot be opened\n";
        return 1;
      }
      S->ReplaceActiveForm(W);
    }
    std::cout << "session " << S->UrlBase() << " page=" << W->PageId()
              << " elements=" << W->SubItemComboBox->Id() << ":" << W->SubItemComboBox->ItemIndex();
    if (!W->LayerCombos.empty())
      std::cout << " layer=" << W->LayerCombos[0]->Id() << ":" << W->LayerCombos[0]->Count();
    std::cout << "\n";
  }
  std::cout << "listening on http://127.0.0.1:" << Server->Port() << "/" << std::endl;
  int Signal = 0;
  sigwait(&Stop, &Signal);
  Server->Stop();
  return 0;
}
