// A temporary application folder for the web server's tests: its files folder holds a style
// sheet and a users file; the folder goes when the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/webserver.h"

namespace quin::test {

struct TTempAppFolder {
  TTempAppFolder() {
    char Tmpl[] = "/tmp/quinappXXXXXX";
    if (!mkdtemp(Tmpl)) throw std::runtime_error("no temporary folder");
    App = std::string(Tmpl) + "/";
    Files = App + "Files/Quin/";
    std::filesystem::create_directories(Files);
    Write(Files + "Quin.css", "body{}");
    Write(Files + "Quin.pwd", "<QuinPwd/>");
  }
  ~TTempAppFolder() { std::filesystem::remove_all(App); }
  TTempAppFolder(const TTempAppFolder&) = delete;
  TTempAppFolder& operator=(const TTempAppFolder&) = delete;

  static void Write(const std::string& Path, const std::string& Data) {
    std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
    std::ofstream(Path, std::ios::binary) << Data;
  }
  // Settings for a server over this folder on 127.0.0.1 at a port the system chooses.
  TWebServerSettings Settings() const {
    TWebServerSettings S;
    S.AppPath = App;
    S.Host = "127.0.0.1";
    S.Port = 0;
    S.HiddenFiles = {"Quin.pwd"};
    return S;
  }

  std::string App, Files;
};

}  // namespace quin::test
