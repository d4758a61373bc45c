// What the desktop framework's tests give the forms instead of the desktop: a clock they set,
// dialogs that answer as told, and an application object that records what it was asked to
// open.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/orvdialogs.h"
#include "base/settingsstore.h"
#include "desktop/orvdeskapp.h"
#include "desktop/orvrecents.h"
#include "tests/support/tempfolder.h"

namespace quin::test {

struct TFakeClock {
  int64_t Now = 1000000;
  TOrvTickClock Clock() {
    return [this] { return Now; };
  }
};

class TAnsweringDialogs : public TDialogHandler {
 public:
  struct TBox {
    std::string Text;
    std::string Caption;
    unsigned Flags;
  };
  std::vector<TBox> Boxes;
  int Answer = IDYES;
  int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags) override {
    Boxes.push_back({Text, Caption, Flags});
    return (Flags & MB_TYPEMASK) == MB_OK ? IDOK : Answer;
  }
  bool FileDialog(TFileDialogParams&) override { return false; }
};

// Installs the answering dialogs for the lifetime of the guard.
class TDialogsGuard {
 public:
  TDialogsGuard() : Dialogs(std::make_shared<TAnsweringDialogs>()) {
    FPrevious = SetDialogHandler(Dialogs);
  }
  ~TDialogsGuard() { SetDialogHandler(FPrevious); }
  std::shared_ptr<TAnsweringDialogs> Dialogs;

 private:
  std::shared_ptr<TDialogHandler> FPrevious;
};

class TRecordingHelpViewer : public TOrvHelpViewer {
 public:
  std::vector<std::string> Calls;
  void ShowContents(const std::string& F) override { Calls.push_back("contents " + F); }
  void ShowIndex(const std::string& F) override { Calls.push_back("index " + F); }
  void ShowSearch(const std::string& F) override { Calls.push_back("search " + F); }
  void ShowTopic(const std::string& F, const std::string& T) override {
    Calls.push_back("topic " + T + " " + F);
  }
  void Close() override { Calls.push_back("close"); }
};

// A desktop program's application object with the given product texts; it records what the
// desktop was asked to open and what the help viewer showed.
class TTestDesktopApp : public TOrvDesktopApp {
 public:
  explicit TTestDesktopApp(std::string_view Lang = "enu") : TOrvDesktopApp(Lang) {
    auto V = std::make_unique<TRecordingHelpViewer>();
    Help = V.get();
    FHelpViewer = std::move(V);
    Info = {{0, "Fennix"},
            {1, "Quinview Viewer"},
            {2, "1.2 beta"},
            {3, "2024-06-03"},
            {4, "1.2"},
            {5, "Orvsoft"},
            {6, "(C) 2024 Orvsoft"},
            {8, "orvsoft.example"},
            {9, "fennix.example"},
            {11, "support@orvsoft.example"}};
  }
  ~TTestDesktopApp() override { SetDesktopApp(nullptr); }
  std::map<int, std::string> Info;
  std::vector<std::string> Opened;
  TRecordingHelpViewer* Help;
  std::string GetProductInfo(int Kind) const override {
    auto I = Info.find(Kind);
    return I == Info.end() ? std::string() : I->second;
  }
  int ShellOpen(std::string_view Target) override {
    Opened.emplace_back(Target);
    return 42;
  }
};

// A test's desktop program: its application object installed and a settings folder of its own.
class TDesktopFixture : public testing::Test {
 protected:
  void SetUp() override {
    SetSettingsFolder(Temp.File("settings"));
    App = New<TTestDesktopApp>("enu");
    SetDesktopApp(App.get());
  }
  void TearDown() override {
    App.reset();
    SetSettingsFolder("");
  }
  TTempFolder Temp;
  TDialogsGuard DialogsGuard;
  std::unique_ptr<TTestDesktopApp> App;
};

// A list control of fixed-pitch text.
class TFakeListControl : public TOrvListControl {
 public:
  std::vector<std::string> Items;
  std::vector<TOrvRecents_File*> Data;
  int Width = 400;
  void ClearItems() override {
    Items.clear();
    Data.clear();
  }
  void AddItem(const std::string& Text, TOrvRecents_File* D) override {
    Items.push_back(Text);
    Data.push_back(D);
  }
  int ClientWidth() const override { return Width; }
  int ScrollBarWidth() const override { return 16; }
  int TextWidth(std::string_view Text) const override { return 7 * static_cast<int>(Text.size()); }
};

}  // namespace quin::test
