// The server program: quinview-server [--port N] [--host ADDRESS] [--app-dir DIR]
//   [--trusted-proxy ADDRESS]... [-lang:enu|-lang:plk] [--session-timeout MILLISECONDS]
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/process.h"
#include "base/text.h"
#include "web/controller.h"
#include "web/register.h"

namespace {

int Usage(const std::string& Error) {
  std::cerr
      << "quinview-server: " << Error << "\n"
      << "usage: quinview-server [--port N] [--host ADDRESS] [--app-dir DIR]\n"
         "         [--trusted-proxy ADDRESS]... [-lang:enu|-lang:plk] [--session-timeout MS]\n"
         "  --port N               port to listen on (default 8888)\n"
         "  --host ADDRESS         address to listen on (default 0.0.0.0, every address;\n"
         "                         127.0.0.1 for this machine only, e.g. behind a proxy)\n"
         "  --app-dir DIR          the application folder holding Files/Quin/\n"
         "                         (default: the executable's folder)\n"
         "  --trusted-proxy ADDR   a reverse proxy whose X-Forwarded-For names the client\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quin;
  std::vector<std::string> Args(argv + 1, argv + argc);
  TServerOptions& O = ServerOptions();
  std::vector<std::string> LangArgs;
  for (std::size_t I = 0; I < Args.size(); ++I) {
    const std::string& A = Args[I];
    auto Value = [&](std::string& Out) {
      if (I + 1 >= Args.size()) return false;
      Out = Args[++I];
      return true;
    };
    std::string V;
    if (A == "--port") {
      int P = 0;
      if (!Value(V) || !TryStrToInt(V, P) || P < 0 || P > 65535)
        return Usage("--port needs a port number");
      O.Port = P;
    } else if (A == "--app-dir") {
      if (!Value(V) || V.empty()) return Usage("--app-dir needs a folder");
      O.AppDir = V.back() == '/' ? V : V + "/";
    } else if (A == "--host") {
      if (!Value(V) || V.empty()) return Usage("--host needs an address");
      O.Host = V;
    } else if (A == "--trusted-proxy") {
      if (!Value(V) || V.empty()) return Usage("--trusted-proxy needs an address");
      O.TrustedProxies.push_back(V);
    } else if (A == "--session-timeout") {
      int Ms = 0;
      if (!Value(V) || !TryStrToInt(V, Ms) || Ms < 300)
        return Usage("--session-timeout needs at least 300 milliseconds");
      O.SessionTimeout = std::chrono::milliseconds(Ms);
    } else if (SameText(A, "-lang:enu") || SameText(A, "-lang:plk")) {
      LangArgs.push_back(A);
    } else if (A == "--help" || A == "-h") {
      Usage("options");
      return 0;
    } else {
      return Usage("unknown option " + A);
    }
  }
  SetProgramArguments(LangArgs);
  RegisterWebClasses();
  SetApplicationTitle("Quinview Server");
  RunApplication(TZepApp::StaticClass());
  return 0;
}
