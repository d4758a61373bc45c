// A temporary application folder for the web server's tests: its files folder holds a style
// sheet and a users file; the folder goes when the test ends.
#pragma once

#include <string>

#include "platform/webserver.h"
#include "tests/support/tempfolder.h"

namespace quin::test {

struct TTempAppFolder {
  TTempAppFolder() {
    WriteFile(Files + "Quin.css", "body{}");
    WriteFile(Files + "Quin.pwd", "<QuinPwd/>");
  }

  static void Write(const std::string& Path, const std::string& Data) { WriteFile(Path, Data); }
  // Settings for a server over this folder on 127.0.0.1 at a port the system chooses.
  TWebServerSettings Settings() const {
    TWebServerSettings S;
    S.AppPath = App;
    S.Host = "127.0.0.1";
    S.Port = 0;
    S.HiddenFiles = {"Quin.pwd"};
    return S;
  }

  TTempFolder Folder;
  std::string App = Folder.Dir(), Files = App + "Files/Quin/";
};

}  // namespace quin::test
