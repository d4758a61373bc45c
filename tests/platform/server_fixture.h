// The web-form layer through its in-process request seam: a test page with a control of each
// kind, a session data object, and a server over a temporary application folder whose new
// sessions show the test page.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "base/exception.h"
#include "platform/webserver.h"
#include "tests/support/app_folder.h"

namespace quin::test {

namespace fs = std::filesystem;

struct TTestData : TObject {
  inline static std::atomic<int> Alive{0};
  TTestData() { ++Alive; }
  ~TTestData() override { --Alive; }
  std::string Log;
};

class TTestForm : public TWebForm {
  QUIN_CLASS(TTestForm, TWebForm)
 public:
  inline static std::atomic<int> Alive{0};
  TTestForm() { ++Alive; }
  ~TTestForm() override { --Alive; }

  void AfterConstruction() override {
    Title = "Test";
    Label = Add<TWebLabel>("Label");
    Label->Caption = "<b>raw</b>";
    Region = Add<TWebRegion>("Region");
    Button = Region->Add<TWebButton>("Button");
    Button->Caption = "OK";
    Button->Confirmation = "Sure? It's \"final\"";
    Button->OnClick = [this](TWebControl&) { Clicks++; };
    Edit = Add<TWebEdit>("Edit");
    Shown = Add<TWebEdit>("Shown");
    Shown->Text = "1:5";
    Shown->ReadOnly = true;
    List = Add<TWebListBox>("List");
    List->AddItem("<i>one</i>");
    List->AddItem("two");
    List->AddItem("three");
    List->MultiSelect = true;
    List->OnChange = [this](TWebControl&) { Changes++; };
    Combo = Add<TWebComboBox>("Combo");
    Combo->AddItem("a");
    Combo->AddItem("b");
    Check = Add<TWebCheckBox>("Check");
    Memo = Add<TWebMemo>("Memo");
    Menu = Add<TWebMenu>("Menu");
    TWebMenuItem* File = Menu->Items.Add("File", "File");
    File->Add("Open", "Open")->OnClick = [this](TWebMenuItem& I) { MenuClicks += I.Name; };
    File->Add("Hidden", "Hidden")->OnClick = [this](TWebMenuItem& I) { MenuClicks += I.Name; };
    File->Items()[1]->Visible = false;
    Menu->Items.Add("Help", "Help")->OnClick = [this](TWebMenuItem& I) { MenuClicks += I.Name; };
    Tree = Add<TWebTreeView>("Tree");
    TWebTreeItem* Root = Tree->AddItem(nullptr, "Root <x>");
    Tree->AddItem(Root, "Child");
    Tree->OnItemClick = [this](TWebTreeView&, TWebTreeItem& It) { TreeClicks += It.Caption; };
    Timer = Add<TWebTimer>("Heartbeat");
    Timer->Interval = 20000;
    Timer->OnAsyncTimer = [this](TWebControl&) { Beats++; };
  }

  TWebLabel* Label;
  TWebRegion* Region;
  TWebButton* Button;
  TWebEdit* Edit;
  TWebEdit* Shown;
  TWebListBox* List;
  TWebComboBox* Combo;
  TWebCheckBox* Check;
  TWebMemo* Memo;
  TWebMenu* Menu;
  TWebTreeView* Tree;
  TWebTimer* Timer;
  int Clicks = 0, Changes = 0, Beats = 0;
  std::string MenuClicks, TreeClicks;
};

class WebServerTest : public testing::Test, public TTempAppFolder {
 protected:
  // Changes the server's settings before it is made.
  virtual void Configure(TWebServerSettings& S) {}
  void SetUp() override {
    fs::create_directories(Files + "TMPCharts");
    Write(Files + "flagpl.gif", "GIF89a");
    Write(Files + "Surveys/Press/x.zos", "survey");
    Write(Files + "Surveys/Press/cover.png", "png");
    Write(App + "secret.css", "outside");
    TWebServerSettings S = Settings();
    S.MaxBodySize = 4096;
    Configure(S);
    Server = std::make_unique<TWebServer>(S);
    Server->OnNewSession = [this](TWebSession& S) {
      Track(S);
      S.SetData(std::make_unique<TTestData>());
      S.CreateForm<TTestForm>()->Show();
    };
  }
  void TearDown() override {
    Server.reset();
    EXPECT_EQ(TTestForm::Alive, 0);
    EXPECT_EQ(TTestData::Alive, 0);
  }

  TWebResponse Get(const std::string& Path) { return Server->Handle({"GET", Path, {}}); }
  // Opens a session; returns its identifier.
  std::string Open(TWebValues Params = {}) {
    TWebResponse R = Server->Handle({"GET", "/", std::move(Params)});
    EXPECT_EQ(R.Status, 302);
    std::string Loc = R.Header("Location");
    EXPECT_EQ(Loc.size(), 3u + 32u + 1u);
    return Loc.substr(3, 32);
  }
  TWebSession& Session(const std::string& Sid) {
    std::lock_guard<std::mutex> G(SessionsLock);
    auto It = Sessions.find(Sid);
    if (It == Sessions.end()) throw Exception("no session " + Sid);
    return *It->second;
  }
  // Keeps the sessions the server opens, for the tests to reach them.
  void Track(TWebSession& S) {
    std::lock_guard<std::mutex> G(SessionsLock);
    Sessions[S.Id()] = &S;
  }
  TTestForm& Form(const std::string& Sid) {
    return *static_cast<TTestForm*>(Session(Sid).ActiveForm());
  }
  TWebResponse Post(const std::string& Sid, TWebValues V, std::string Page = {}) {
    if (Page.empty()) Page = Session(Sid).ActiveForm()->PageId();
    V.Add("__page", Page);
    // (at the session's identifier now: it changes at logon)
    return Server->Handle({"POST", "/s/" + Session(Sid).Id() + "/", std::move(V)});
  }
  TWebResponse Fire(const std::string& Sid, const TWebControl& C, const std::string& Kind,
                    const std::string& Arg = {}, TWebValues V = {}) {
    V.Add("__evt", C.Id() + ":" + Kind + ":" + Arg);
    return Post(Sid, std::move(V));
  }

  std::unique_ptr<TWebServer> Server;
  std::mutex SessionsLock;
  std::map<std::string, TWebSession*> Sessions;
};

}  // namespace quin::test
