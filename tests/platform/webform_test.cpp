// The web-form layer through its in-process request seam: sessions, pages, controls, events,
// replies and the web files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "platform/charset.h"
#include "platform/html.h"
#include "platform/webserver.h"
#include "tests/platform/server_fixture.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

// --- character set and escaping ---

TEST(WebCharset, PolishLettersRoundTripBetweenIsoAndWindows1250) {
  // a-ogonek, s-acute, z-acute, A-ogonek, S-acute, Z-acute differ; l-stroke and z-dot agree.
  struct Case {
    unsigned char Iso, Cp;
  } Cases[] = {{0xB1, 0xB9}, {0xB6, 0x9C}, {0xBC, 0x9F}, {0xA1, 0xA5}, {0xA6, 0x8C}, {0xAC, 0x8F},
               {0xB3, 0xB3}, {0xBF, 0xBF}, {0xEA, 0xEA}, {0xF3, 0xF3}, {'A', 'A'}};
  for (auto C : Cases) {
    std::string Iso(1, char(C.Iso)), Cp(1, char(C.Cp));
    EXPECT_EQ(Iso88592ToCp1250(Iso), Cp) << int(C.Iso);
    EXPECT_EQ(Cp1250ToIso88592(Cp), Iso) << int(C.Cp);
  }
  // Every ISO-8859-2 letter Windows-1250 has comes back unchanged (the maps are inverse).
  int Shared = 0;
  for (int B = 0xA0; B <= 0xFF; ++B) {
    std::string Iso(1, char(B));
    std::string Cp = Iso88592ToCp1250(Iso);
    if (Cp == "?") continue;
    ++Shared;
    EXPECT_EQ(Cp1250ToIso88592(Cp), Iso) << B;
  }
  EXPECT_EQ(Shared, 96);
  // ISO-8859-2 control codes have no Windows-1250 character.
  EXPECT_EQ(Iso88592ToCp1250("\x85"), "?");
  EXPECT_EQ(Iso88592ToCp1250(Cp1250ToIso88592(Cp1250("Zażółć gęślą jaźń ŚĄŹ"))),
            Cp1250("Zażółć gęślą jaźń ŚĄŹ"));
}

TEST(WebCharset, PageTextRecodesWindows1250AndLeavesRecodedTextAlone) {
  std::string Cp = Cp1250("ś ą Ś „x”");
  std::string Page = ToPageText(Cp);
  EXPECT_EQ(Page, Cp1250ToIso88592(Cp1250("ś ą Ś")) + " &#8222;x&#8221;");
  EXPECT_EQ(ToPageText(Page), Page);  // translated texts arrive already recoded
  EXPECT_EQ(ToPageText("\x84", true), "\\u201E");
}

TEST(HtmlHelpers, ColoursSpansAlignmentAndStyles) {
  EXPECT_EQ(FormatHtmlColor(clRed), "#FF0000");
  EXPECT_EQ(FormatHtmlColor(0xFF8000), "#0080FF");
  EXPECT_EQ(FormatHtmlColor(clWindow), "#FFFFFF");
  EXPECT_EQ(FormatHtmlColor(clWindowText), "#000000");
  EXPECT_EQ(FormatHtmlBgColor(clRed), " bgcolor=#FF0000");
  EXPECT_EQ(FormatHtmlColSpan(1), "");
  EXPECT_EQ(FormatHtmlColSpan(0), "");
  EXPECT_EQ(FormatHtmlColSpan(2), " colspan = \"2\"");
  EXPECT_EQ(FormatHtmlRowSpan(3), " rowspan = \"3\"");
  EXPECT_EQ(FormatHtmlAlign(0), " align = \"left\"");
  EXPECT_EQ(FormatHtmlAlign(1), " align = \"right\"");
  EXPECT_EQ(FormatHtmlAlign(2), " align = \"center\"");
  EXPECT_EQ(FormatHtmlAlign(3), "");
  EXPECT_EQ(FormatHtmlOpenStyleTags(7), "<b><i><u>");
  EXPECT_EQ(FormatHtmlCloseStyleTags(7), "</b></i></u>");
  EXPECT_EQ(FormatHtmlOpenStyleTags(4), "<u>");
}

TEST(WebEscape, HtmlAndScriptContexts) {
  EXPECT_EQ(HtmlEscape("<a href=\"x\">'&'</a>"),
            "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
  EXPECT_EQ(JsEscape("it's \"x\"\n</script>\\"), "it\\x27s \\x22x\\x22\\n\\x3C/script\\x3E\\\\");
  EXPECT_EQ(UrlDecode("a%2Fb+c%zz%4", true), "a/b c%zz%4");
  EXPECT_EQ(UrlEncode(Cp1250("a b/ś~")), "a%20b%2F%9C~");
}

using test::TTestData;
using test::TTestForm;
using test::WebServerTest;

}  // namespace

namespace test {
QUIN_IMPLEMENT_CLASS(TTestForm, TWebForm)
}  // namespace test

namespace {

TEST_F(WebServerTest, SessionTrackedInUrlWithStartParameters) {
  std::string A = Open({{{"lang", "en"}, {"survey", "Prasa"}, {"x", "\xB6"}}});
  std::string B = Open();
  EXPECT_NE(A, B);
  EXPECT_EQ(Server->SessionCount(), 2u);
  TWebSession& S = Session(A);
  EXPECT_EQ(S.Id(), A);
  EXPECT_EQ(S.UrlBase(), "/s/" + A + "/");
  EXPECT_EQ(S.StartParams(), (std::vector<std::string>{"lang=en", "survey=Prasa", "x=\x9C"}));
  EXPECT_EQ(S.AppPath(), App);
  EXPECT_EQ(S.FilesFolder(), Files);
  EXPECT_TRUE(S.Data()->Is<TObject>());

  TWebResponse Page = Get("/s/" + A + "/");
  EXPECT_EQ(Page.Status, 200);
  EXPECT_EQ(Page.ContentType, "text/html; charset=iso-8859-2");
  EXPECT_NE(Page.Body.find("action=\"/s/" + A + "/\""), std::string::npos);
  EXPECT_NE(Page.Body.find("accept-charset=\"iso-8859-2\""), std::string::npos);

  // Malformed identifiers are not found; the address without its slash gets it.
  EXPECT_EQ(Get("/s/nonsense/").Status, 404);
  EXPECT_EQ(Get("/s/" + A).Header("Location"), "/s/" + A + "/");
  EXPECT_EQ(Get("/s/%0D%0ALocation:x").Header("Location"), "");
  EXPECT_EQ(Get("/favicon.ico").Status, 404);
  EXPECT_EQ(Server->SessionCount(), 2u);
}

TEST_F(WebServerTest, StartPageClassWhenNoPageWasShown) {
  Server->OnNewSession = [this](TWebSession& S) {
    Track(S);
    S.SetStartForm(&TTestForm::StaticClass());
  };
  std::string Sid = Open();
  EXPECT_EQ(TTestForm::Alive, 0);
  EXPECT_EQ(Get("/s/" + Sid + "/").Status, 200);
  EXPECT_EQ(TTestForm::Alive, 1);
  EXPECT_NE(Session(Sid).ActiveForm(), nullptr);
}

TEST_F(WebServerTest, PostedValuesReachControlsRecodedAndEventsReachTheirControl) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  TWebResponse R = Fire(Sid, *F.Button, "click", {},
                        {{{F.Edit->Id(), "Gda\xF1sk \xB6\xB1"},
                          {F.Shown->Id(), "forged"},
                          {F.List->Id(), "0"},
                          {F.List->Id(), "2"},
                          {F.Combo->Id(), "1"},
                          {F.Check->Id(), "on"},
                          {F.Memo->Id(), "a\nb"}}});
  EXPECT_EQ(R.Status, 200);
  EXPECT_EQ(F.Clicks, 1);
  EXPECT_EQ(F.Edit->Text, Cp1250("Gdańsk śą"));
  EXPECT_EQ(F.Shown->Text, "1:5");  // read-only: shown, never taken
  EXPECT_NE(R.Body.find("value=\"1:5\" readonly"), std::string::npos);
  EXPECT_EQ(F.List->SelectedIndices(), (std::vector<int>{0, 2}));
  EXPECT_EQ(F.List->ItemIndex(), 0);
  EXPECT_EQ(F.Combo->ItemIndex(), 1);
  EXPECT_TRUE(F.Check->Checked);
  EXPECT_EQ(F.Memo->Text, "a\r\nb");
  // Browsers send a memo's lines with CR LF: one line break per line, post-back after
  // post-back.
  for (int I = 0; I < 2; ++I) {
    Fire(Sid, *F.Button, "click", {}, {{{F.Memo->Id(), "line 1\r\nline 2\r\n"}}});
    EXPECT_EQ(F.Memo->Text, "line 1\r\nline 2\r\n");
  }
  // The page shows the values back in its character set.
  EXPECT_NE(R.Body.find("value=\"Gda\xF1sk \xB6\xB1\""), std::string::npos);

  // Missing values clear a box and a multiple selection; the change event runs.
  Fire(Sid, *F.List, "change");
  EXPECT_EQ(F.Changes, 1);
  EXPECT_FALSE(F.Check->Checked);
  EXPECT_TRUE(F.List->SelectedIndices().empty());
  EXPECT_EQ(Fire(Sid, *F.Combo, "change").Status, 400);  // no handler

  // Menus by item path, tree items by index, toggling expands.
  Fire(Sid, *F.Menu, "click", "0.0");
  Fire(Sid, *F.Menu, "click", "1");
  EXPECT_EQ(F.MenuClicks, "OpenHelp");
  Fire(Sid, *F.Tree, "item", "0");
  EXPECT_EQ(Fire(Sid, *F.Tree, "item", "1").Status, 400);  // below a collapsed item
  Fire(Sid, *F.Tree, "toggle", "0");
  EXPECT_TRUE(F.Tree->Item(0).Expanded);
  Fire(Sid, *F.Tree, "item", "1");
  EXPECT_EQ(F.TreeClicks, "Root <x>Child");
}

TEST_F(WebServerTest, ForgedOrInvalidRequestsAreRefusedAndChangeNothing) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  F.Edit->Text = "kept";
  struct Case {
    const char* What;
    std::function<void()> Prepare;
    std::string Event;
    TWebValues Values;
  };
  std::string B = F.Button->Id();
  std::vector<Case> Cases = {
      {"unknown control", {}, "c999:click:", {}},
      {"malformed event", {}, "nonsense", {}},
      {"wrong kind", {}, B + ":dblclick:", {}},
      {"argument on a button", {}, B + ":click:1", {}},
      {"hidden button", [&] { F.Button->Visible = false; }, B + ":click:", {}},
      {"disabled button", [&] { F.Button->Enabled = false; }, B + ":click:", {}},
      {"hidden region", [&] { F.Region->Visible = false; }, B + ":click:", {}},
      {"disabled region", [&] { F.Region->Enabled = false; }, B + ":click:", {}},
      {"list index out of range", {}, B + ":click:", {{{F.List->Id(), "3"}}}},
      {"negative list index", {}, B + ":click:", {{{F.List->Id(), "-1"}}}},
      {"list index not a number", {}, B + ":click:", {{{F.List->Id(), "1x"}}}},
      {"two values for a combo", {}, B + ":click:", {{{F.Combo->Id(), "0"}, {F.Combo->Id(), "1"}}}},
      {"hidden menu item", {}, F.Menu->Id() + ":click:0.1", {}},
      {"disabled menu item",
       [&] { F.Menu->Items[1].Enabled = false; },
       F.Menu->Id() + ":click:1",
       {}},
      {"disabled sub-item",
       [&] { F.Menu->Items[0][0].Enabled = false; },
       F.Menu->Id() + ":click:0.0",
       {}},
      {"value longer than the edit takes",
       [&] { F.Edit->MaxLength = 8; },
       B + ":click:",
       {{{F.Edit->Id(), "changed!!"}}}},
      {"text longer than the memo takes",
       [&] { F.Memo->MaxLength = 4; },
       B + ":click:",
       {{{F.Memo->Id(), "changed"}}}},
      {"menu item with sub-items", {}, F.Menu->Id() + ":click:0", {}},
      {"menu path out of range", {}, F.Menu->Id() + ":click:0.7", {}},
      {"tree index out of range", {}, F.Tree->Id() + ":item:2", {}},
      {"timer through the page", {}, F.Timer->Id() + ":click:", {}},
  };
  for (auto& C : Cases) {
    F.Button->Visible = F.Button->Enabled = F.Region->Visible = F.Region->Enabled = true;
    F.Menu->Items[1].Enabled = F.Menu->Items[0][0].Enabled = true;
    F.Edit->MaxLength = 1024;
    F.Memo->MaxLength = 1024;
    if (C.Prepare) C.Prepare();
    TWebValues V = C.Values;
    V.Add(F.Edit->Id(), "changed");
    V.Add("__evt", C.Event);
    TWebResponse R = Post(Sid, V);
    EXPECT_EQ(R.Status, 400) << C.What;
    EXPECT_EQ(R.Body.find("changed"), std::string::npos) << C.What;  // never echoed
    EXPECT_EQ(F.Clicks, 0) << C.What;
    EXPECT_EQ(F.MenuClicks, "") << C.What;
    EXPECT_EQ(F.TreeClicks, "") << C.What;
    EXPECT_EQ(F.Edit->Text, "kept") << C.What;
  }
  // A disabled edit takes no value either.
  F.Button->Visible = F.Button->Enabled = F.Region->Visible = F.Region->Enabled = true;
  F.Edit->Enabled = false;
  Post(Sid, {{{F.Edit->Id(), "changed"}}});
  EXPECT_EQ(F.Edit->Text, "kept");
  // A request from an older page only shows the active page.
  F.Edit->Enabled = true;
  TWebResponse R = Post(Sid, {{{F.Edit->Id(), "changed"}, {"__evt", B + ":click:"}}}, "p0");
  EXPECT_EQ(R.Status, 200);
  EXPECT_EQ(F.Clicks, 0);
  EXPECT_EQ(F.Edit->Text, "kept");
  // Oversized requests.
  EXPECT_EQ(Post(Sid, {{{F.Edit->Id(), std::string(5000, 'x')}}}).Status, 413);
  EXPECT_EQ(F.Edit->Text, "kept");
}

class TOverForm : public TWebForm {
  QUIN_CLASS(TOverForm, TWebForm)
 public:
  static std::atomic<int> Alive;
  TOverForm() { ++Alive; }
  ~TOverForm() override { --Alive; }
  void AfterConstruction() override {
    Close = Add<TWebButton>("Close");
    Close->OnClick = [this](TWebControl&) {
      Release();
      // The page goes on working until the handler returns.
      Close->Caption = "released";
      AfterRelease = Session()->ActiveForm() != this && Alive == 1;
    };
  }
  TWebButton* Close;
  bool AfterRelease = false;
};
std::atomic<int> TOverForm::Alive{0};
QUIN_IMPLEMENT_CLASS(TOverForm, TWebForm)

TEST_F(WebServerTest, PageStackShowOverReleaseAndReplaceFromAHandler) {
  std::string Sid = Open();
  TTestForm& Base = Form(Sid);
  TOverForm* Over = nullptr;
  Base.Button->OnClick = [&](TWebControl&) {
    Over = Base.Session()->CreateForm<TOverForm>();
    Over->Show();
  };
  Fire(Sid, *Base.Button, "click");
  TWebSession& S = Session(Sid);
  ASSERT_EQ(S.ActiveForm(), Over);
  EXPECT_EQ(S.FormStack(), (std::vector<TWebForm*>{&Base, Over}));

  // A press on a control of the page below is refused while the page above is active.
  EXPECT_EQ(Post(Sid, {{{"__evt", Base.Button->Id() + ":click:"}}}).Status, 400);

  Fire(Sid, *Over->Close, "click");
  EXPECT_EQ(TOverForm::Alive, 0);
  EXPECT_EQ(S.ActiveForm(), &Base);

  // Replace from within the active page's handler: the new page shows, the old one is freed
  // once the handler has returned.
  bool OldAliveInHandler = false;
  Base.Button->OnClick = [&](TWebControl&) {
    TWebForm* New = Base.Session()->CreateForm<TOverForm>();
    Base.Session()->ReplaceActiveForm(New);
    OldAliveInHandler = Base.Session()->ActiveForm() == New && TTestForm::Alive == 1;
  };
  Fire(Sid, *Base.Button, "click");
  EXPECT_TRUE(OldAliveInHandler);
  EXPECT_EQ(TTestForm::Alive, 0);
  EXPECT_EQ(S.FormStack().size(), 1u);
  EXPECT_TRUE(S.ActiveForm()->Is<TOverForm>());

  // Releasing a page that is not on top unlinks it; the top stays.
  TOverForm* Top = static_cast<TOverForm*>(S.ActiveForm());
  TOverForm* Hidden = S.CreateForm<TOverForm>();
  Hidden->Show();
  Top->Show();
  Hidden->Release();
  EXPECT_EQ(S.FormStack(), (std::vector<TWebForm*>{Top}));
  EXPECT_EQ(TOverForm::Alive, 1);
}

class TBrokenForm : public TWebForm {
 public:
  void AfterConstruction() override {
    Add<TWebLabel>("Half");
    throw Exception("broken page");
  }
};

TEST_F(WebServerTest, ExceptionsBecomeAlertsAndTheSessionGoesOn) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  F.Button->OnClick = [](TWebControl&) { throw Exception("Bad 'thing'</script>"); };
  TWebResponse R = Fire(Sid, *F.Button, "click");
  EXPECT_EQ(R.Status, 200);
  EXPECT_NE(R.Body.find("alert('Bad \\x27thing\\x27\\x3C/script\\x3E');"), std::string::npos);
  EXPECT_EQ(R.Body.find("</script>'"), std::string::npos);
  // Shown once.
  EXPECT_EQ(Get("/s/" + Sid + "/").Body.find("alert('"), std::string::npos);

  F.Button->OnClick = [](TWebControl&) { throw std::runtime_error("std failure"); };
  EXPECT_NE(Fire(Sid, *F.Button, "click").Body.find("alert('std failure')"), std::string::npos);

  // A page whose construction fails is not left in the session.
  F.Button->OnClick = [](TWebControl&) { CurrentWebSession()->CreateForm<TBrokenForm>()->Show(); };
  EXPECT_NE(Fire(Sid, *F.Button, "click").Body.find("alert('broken page')"), std::string::npos);
  EXPECT_EQ(Session(Sid).Forms(), std::vector<TWebForm*>{&F});

  F.Button->OnClick = [](TWebControl& B) {
    CurrentWebSession()->Alert(Cp1250("Błąd"));
    CurrentWebSession()->OpenNewWindow("/x?a='1'");
  };
  R = Fire(Sid, *F.Button, "click");
  EXPECT_NE(R.Body.find("alert('B\xB3\xB1"
                        "d')"),
            std::string::npos);
  EXPECT_NE(R.Body.find("window.open('/x?a=\\x271\\x27','_blank','noopener')"), std::string::npos);
}

TEST_F(WebServerTest, RenderingEscapesValuesAndKeepsMarkupRaw) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  F.Edit->Text = "\"><script>";
  F.Memo->Text = "</textarea>";
  std::vector<std::string> Seen;
  F.Tree->OnRenderTag = [&Seen](const TWebTreeItem& It, std::string& Tag) {
    Seen.push_back(It.Caption);
    Tag = "<span data-x=\"1\">";
  };
  F.StyleSheetUrl = "/Files/Quin/Quin.css";
  F.ExtraHeader.emplace_back("<meta http-equiv=\"content-language\" content=\"pl\" />");
  int Renders = 0;
  F.OnRender = [&Renders](TWebForm&) { ++Renders; };
  std::string H = Get("/s/" + Sid + "/").Body;
  EXPECT_EQ(Renders, 1);
  EXPECT_NE(H.find("<b>raw</b>"), std::string::npos);
  EXPECT_NE(H.find("&lt;i&gt;one&lt;/i&gt;"), std::string::npos);
  EXPECT_NE(H.find("value=\"&quot;&gt;&lt;script&gt;\""), std::string::npos);
  EXPECT_NE(H.find("&lt;/textarea&gt;</textarea>"), std::string::npos);
  EXPECT_NE(H.find("confirm(q)"), std::string::npos);
  EXPECT_NE(H.find("'Sure? It\\x27s \\x22final\\x22'"), std::string::npos);
  EXPECT_NE(H.find("<span data-x=\"1\">Root &lt;x&gt;</span>"), std::string::npos);
  EXPECT_EQ(Seen, std::vector<std::string>{"Root <x>"});  // the child is collapsed
  EXPECT_NE(H.find("href=\"/Files/Quin/Quin.css\""), std::string::npos);
  EXPECT_NE(H.find("content=\"pl\" />"), std::string::npos);
  EXPECT_NE(H.find("<option value=\"-1\" selected></option>"), std::string::npos);
  EXPECT_NE(H.find(",20000);"), std::string::npos);
  EXPECT_EQ(H.find("Hidden"), std::string::npos);  // hidden menu item

  F.Edit->Password = true;
  F.Edit->SubmitOnEnter = true;
  H = Get("/s/" + Sid + "/").Body;
  EXPECT_NE(H.find("type=\"password\""), std::string::npos);
  EXPECT_EQ(H.find("&lt;script&gt;"), std::string::npos);  // a password is not sent back
  EXPECT_NE(H.find(F.Edit->Id() + ":submit:"), std::string::npos);
}

TEST_F(WebServerTest, AsyncTimerRunsWithoutRenderingAndCarriesAlerts) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  std::string Page = F.PageId();
  auto Beat = [&](std::string Evt, std::string P) {
    return Server->Handle({"POST", "/s/" + Sid + "/async", {{{"__evt", Evt}, {"__page", P}}}});
  };
  TWebResponse R = Beat(F.Timer->Id() + ":timer:", Page);
  EXPECT_EQ(R.Status, 200);
  EXPECT_EQ(R.Body, "");
  EXPECT_EQ(F.Beats, 1);
  F.Timer->OnAsyncTimer = [](TWebControl&) { CurrentWebSession()->Alert(Cp1250("Uwaga: ś")); };
  EXPECT_EQ(Beat(F.Timer->Id() + ":timer:", Page).Body, "Uwaga: \xB6");
  EXPECT_EQ(Beat(F.Button->Id() + ":click:", Page).Status, 400);
  // A file asked for by a timer is not sent with a later page request.
  Write(App + "f.txt", "data");
  F.Timer->OnAsyncTimer = [this](TWebControl&) { CurrentWebSession()->SendFile(App + "f.txt"); };
  Beat(F.Timer->Id() + ":timer:", Page);
  EXPECT_EQ(Post(Sid, {}).ContentType, "text/html; charset=iso-8859-2");
  F.Timer->Enabled = false;
  EXPECT_EQ(Beat(F.Timer->Id() + ":timer:", Page).Status, 400);
  // A timer of an older page only keeps the session alive.
  EXPECT_EQ(Beat(F.Timer->Id() + ":timer:", "p0").Status, 200);
}

TEST_F(WebServerTest, ADropDownTakesNothingChosenOnlyWhereItOfferedIt) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  // Nothing chosen yet: the page offers the empty entry.
  EXPECT_EQ(Post(Sid, {{{F.Combo->Id(), "-1"}}}).Status, 200);
  F.Combo->SetItemIndex(1);
  for (const char* Forged : {"-1", "2", "-2"})
    EXPECT_EQ(Post(Sid, {{{F.Combo->Id(), Forged}}}).Status, 400) << Forged;
  EXPECT_EQ(F.Combo->ItemIndex(), 1);
  EXPECT_EQ(Post(Sid, {{{F.Combo->Id(), "0"}}}).Status, 200);
  EXPECT_EQ(F.Combo->ItemIndex(), 0);
}

TEST_F(WebServerTest, SendFileAnswersWithTheFileInline) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  Write(App + "report.xls", "XLSDATA");
  std::string Name = Cp1250("Raport \"ś\".xls");
  F.Button->OnClick = [&](TWebControl&) {
    CurrentWebSession()->SendFile(App + "report.xls", Name);
  };
  TWebResponse R = Fire(Sid, *F.Button, "click");
  EXPECT_EQ(R.Status, 200);
  // The file goes from disk in pieces: the answer holds it open, not in memory.
  EXPECT_TRUE(R.Body.empty());
  ASSERT_TRUE(R.File);
  EXPECT_EQ(R.File->Size, 7u);
  EXPECT_EQ(R.File->ReadAll(), "XLSDATA");
  EXPECT_EQ(R.ContentType, "application/vnd.ms-excel");
  EXPECT_EQ(R.Header("Content-Disposition"),
            "inline; filename=\"Raport ___.xls\"; filename*=UTF-8''Raport%20%22%C5%9B%22.xls");

  F.Button->OnClick = [&](TWebControl&) { CurrentWebSession()->SendFile(App + "none.pdf"); };
  R = Fire(Sid, *F.Button, "click");
  EXPECT_EQ(R.ContentType, "text/html; charset=iso-8859-2");
  EXPECT_NE(R.Body.find("alert('The file cannot be sent: none.pdf')"), std::string::npos);
}

TEST_F(WebServerTest, WebFilesComeOnlyFromTheAllowList) {
  std::string Sid = Open();
  std::string Other = Open();
  fs::create_directories(Files + "TMPCharts/" + Sid);
  Write(Files + "TMPCharts/" + Sid + "/chart1.png", "PNG");
  fs::create_directories(Files + "TMPReports/" + Sid);
  Write(Files + "TMPReports/" + Sid + "/r.html", "<p>");
  fs::create_symlink(App + "secret.css", Files + "link.css");
  // Links inside the folder to the users file, under an allowed name or in a session folder,
  // and a folder with an allowed name.
  fs::create_symlink(Files + "Quin.pwd", Files + "users.css");
  fs::create_symlink("../../Quin.pwd", Files + "TMPReports/" + Sid + "/users.html");
  fs::create_symlink(Files + "Quin.css", Files + "TMPCharts/" + Sid + "/style.png");
  fs::create_directories(Files + "folder.gif");

  EXPECT_EQ(Get("/Files/Quin/Quin.css").Body, "body{}");
  EXPECT_EQ(Get("/Files/Quin/Quin.css").ContentType, "text/css");
  EXPECT_EQ(Get("/Files/Quin/flagpl.gif").ContentType, "image/gif");
  // A session's files only under the names it published.
  TWebResponse Chart = Get(Session(Sid).PublishFile(Files + "TMPCharts/" + Sid + "/chart1.png"));
  ASSERT_TRUE(Chart.File);
  EXPECT_EQ(Chart.File->ReadAll(), "PNG");
  EXPECT_EQ(Get(Session(Sid).PublishFile(Files + "TMPReports/" + Sid + "/r.html")).Status, 200);
  for (const std::string& Link :
       {Files + "TMPReports/" + Sid + "/users.html", Files + "TMPCharts/" + Sid + "/style.png"})
    EXPECT_EQ(Get(Session(Sid).PublishFile(Link)).Status, 404) << Link;

  const std::string Refused[] = {
      "/Files/Quin/Quin.pwd",
      "/Files/Quin/Surveys/Press/x.zos",
      "/Files/Quin/../secret.css",
      "/Files/Quin/Help/../../secret.css",
      "/Files/Quin/%2e%2e/secret.css",
      "/Files/Quin/%2E%2E/secret.css",
      "/Files/Quin/..%2fsecret.css",
      "/Files/Quin/..%5csecret.css",
      "/Files/Quin/..\\secret.css",
      "/Files/Quin//etc/passwd",
      "/Files/Quin/./Quin.css",
      "/Files/Quin/Quin.css%00.png",
      "/Files/Quin/link.css",
      "/Files/Quin/",
      "/Files/Quin/missing.gif",
      "/Files/Quin/TMPCharts/" + Other + "/chart1.png",
      "/Files/Quin/TMPCharts/0123456789abcdef0123456789abcdef/chart1.png",
      "/Files/Quin/TMPCharts/" + Sid,
      "/Files/Quin/tmpcharts/" + Other + "/chart1.png",
      "/Files/Quin/TMPCharts/" + Sid + "/../../Quin.pwd",
      "/Files/Quin/users.css",
      "/Files/Quin/TMPReports/" + Sid + "/users.html",
      "/Files/Quin/TMPCharts/" + Sid + "/style.png",
      "/Files/Quin/folder.gif",
      "/favicon.ico",
  };
  for (const std::string& P : Refused) EXPECT_EQ(Get(P).Status, 404) << P;
  // The page icon at the address browsers ask for; every answer carries the security headers.
  Write(Files + "favicon.ico", "ICO");
  TWebResponse Icon = Get("/favicon.ico");
  EXPECT_EQ(Icon.Body, "ICO");
  EXPECT_EQ(Icon.ContentType, "image/x-icon");
  for (const TWebResponse& R : {Icon, Get("/Files/Quin/missing.gif"), Get("/s/" + Sid + "/")}) {
    EXPECT_EQ(R.Header("Referrer-Policy"), "no-referrer");
    EXPECT_EQ(R.Header("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(R.Header("X-Frame-Options"), "DENY");
    EXPECT_EQ(R.Header("Content-Security-Policy"), "frame-ancestors 'none'");
  }
  EXPECT_EQ(Icon.Header("Cache-Control"), "max-age=3600");
  // Whatever is below the folder, only web assets outside the session folders.
  EXPECT_EQ(Get("/Files/Quin/Surveys/Press/cover.png").Status, 200);
  EXPECT_EQ(Server->Handle({"POST", "/Files/Quin/Quin.css", {}}).Status, 405);
}

TEST_F(WebServerTest, ImageFileByNameIsServedThroughTheSessionOrTheFilesUrl) {
  std::string Sid = Open();
  TTestForm& F = Form(Sid);
  Write(App + "chart.png", "IMG");
  TWebImageFile* Img = F.Add<TWebImageFile>("Chart");
  Img->FileName = App + "chart.png";
  Img->Tag = 7;
  std::intptr_t Got = 0;
  Img->OnClick = [&Got](TWebControl& C) { Got = C.Tag; };
  EXPECT_EQ(Img->ImageUrl(), "/s/" + Sid + "/img/" + Img->Id());
  EXPECT_EQ(Get(Img->ImageUrl()).File->ReadAll(), "IMG");
  EXPECT_EQ(Get("/s/" + Sid + "/img/" + F.Button->Id()).Status, 404);
  Fire(Sid, *Img, "click");
  EXPECT_EQ(Got, 7);
  Img->FileName = Files + "TMPCharts/" + Sid + "/a b.png";
  EXPECT_EQ(Img->ImageUrl(), Session(Sid).PublishFile(Img->FileName));
  Img->FileName = Files + "Surveys/Press/a b.png";
  EXPECT_EQ(Img->ImageUrl(), "/Files/Quin/Surveys/Press/a%20b.png");
}

TEST_F(WebServerTest, SessionFilesGoUnderRandomNamesOnlyWhileTheSessionLives) {
  std::string Sid = Open();
  fs::create_directories(Files + "TMPReports/" + Sid);
  Write(Files + "TMPReports/" + Sid + "/report.html", "<p>print</p>");
  Write(Files + "TMPReports/" + Sid + "/other.html", "<p>other</p>");
  TWebSession& S = Session(Sid);
  const std::string Url = S.PublishFile(Files + "TMPReports/" + Sid + "/report.html", true);
  // A name of its own (the same for the same file), never the session's identifier.
  EXPECT_EQ(Url.rfind("/FilesNC/Quin/TMPReports/", 0), 0u) << Url;
  EXPECT_EQ(Url.size(), std::string("/FilesNC/Quin/TMPReports/").size() + 32 + 5);
  EXPECT_EQ(Url.find(Sid), std::string::npos);
  EXPECT_EQ(S.PublishFile(Files + "TMPReports/" + Sid + "/report.html", true), Url);
  const std::string Other = S.PublishFile(Files + "TMPReports/" + Sid + "/other.html");
  EXPECT_NE(Other.substr(Other.size() - 37), Url.substr(Url.size() - 37));
  TWebResponse R = Get(Url);
  EXPECT_EQ(R.Status, 200);
  ASSERT_TRUE(R.File);
  EXPECT_EQ(R.File->ReadAll(), "<p>print</p>");
  EXPECT_EQ(R.Header("Cache-Control"), "no-store");
  // The place on disk is no address, and only the session's own folders publish.
  EXPECT_EQ(Get("/FilesNC/Quin/TMPReports/" + Sid + "/report.html").Status, 404);
  EXPECT_EQ(Get("/Files/Quin/TMPReports/" + Sid + "/report.html").Status, 404);
  EXPECT_THROW(S.PublishFile(Files + "Quin.css"), Exception);
  EXPECT_THROW(S.PublishFile(Files + "TMPReports/" + Open() + "/report.html"), Exception);
  // The sessions end: their names serve nothing.
  EXPECT_TRUE(Server->Stop());
  EXPECT_EQ(Get(Url).Status, 404);
}

TEST_F(WebServerTest, TimeoutClosesTheSessionWithItsBindings) {
  TWebServerSettings S;
  S.AppPath = App;
  S.SessionTimeout = std::chrono::milliseconds(30);
  Server = std::make_unique<TWebServer>(S);
  Server->OnNewSession = [this](TWebSession& S) {
    Track(S);
    S.SetData(std::make_unique<TTestData>());
    S.CreateForm<TTestForm>()->Show();
  };
  auto LM = New<TOrvLangManager>("enu");
  Server->SessionLangManager = [&LM](TWebSession&) { return LM.get(); };
  std::mutex M;
  std::condition_variable Cv;
  std::vector<std::string> Closed;
  bool BoundInClose = false;
  Server->OnCloseSession = [&](TWebSession& Ses) {
    std::lock_guard<std::mutex> G(M);
    BoundInClose = CurrentWebSession() == &Ses && &CurrentLangManager() == LM.get() &&
                   Ses.Data() != nullptr && TTestForm::Alive > 0;
    Closed.push_back(Ses.Id());
    Cv.notify_all();
  };
  std::string Sid = Open();
  {
    std::unique_lock<std::mutex> G(M);
    ASSERT_TRUE(Cv.wait_for(G, std::chrono::seconds(60), [&] { return !Closed.empty(); }));
  }
  // The session object and pages are freed right after the close handler.
  for (int I = 0; I < 10000 && TTestData::Alive > 0; ++I)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(Closed, std::vector<std::string>{Sid});
  EXPECT_TRUE(BoundInClose);
  EXPECT_EQ(Server->SessionCount(), 0u);
  EXPECT_EQ(TTestData::Alive, 0);
  EXPECT_EQ(TTestForm::Alive, 0);
  // The ended session's page leads to a new session in its language.
  TWebResponse R = Get("/s/" + Sid + "/");
  EXPECT_EQ(R.Status, 303);
  TWebSession& After = Session(R.Header("Location").substr(3, 32));
  EXPECT_TRUE(After.FollowsEndedSession());
  EXPECT_EQ(After.EndedLangCode(), "enu");
  Server.reset();  // while the close handler's locals still exist
}

TEST_F(WebServerTest, StopClosesEverySession) {
  int Closed = 0;
  Server->OnCloseSession = [&Closed](TWebSession&) { ++Closed; };
  Open();
  Open();
  Server->Stop();
  EXPECT_EQ(Closed, 2);
  EXPECT_EQ(TTestData::Alive, 0);
}

TEST_F(WebServerTest, OneSessionAtATimeWhileSessionsRunInParallel) {
  std::string A = Open(), B = Open();
  TTestForm& FA = Form(A);
  TTestForm& FB = Form(B);
  std::string PageA = FA.PageId(), PageB = FB.PageId();
  auto LM = New<TOrvLangManager>("plk");
  Server->SessionLangManager = [&LM](TWebSession&) { return LM.get(); };

  // Session A's handler waits for session B's handler to start: only parallel sessions let
  // it go on.
  std::mutex M;
  std::condition_variable Cv;
  bool AStarted = false, BStarted = false, ASawB = false, BSawA = false;
  std::atomic<int> InsideA{0};
  std::atomic<int> MaxInsideA{0};
  std::atomic<bool> Bound{true};
  FA.Button->OnClick = [&](TWebControl&) {
    int N = ++InsideA;
    MaxInsideA = std::max(MaxInsideA.load(), N);
    if (CurrentWebSession()->Id() != A || &CurrentLangManager() != LM.get()) Bound = false;
    {
      std::unique_lock<std::mutex> G(M);
      AStarted = true;
      Cv.notify_all();
      if (Cv.wait_for(G, std::chrono::seconds(60), [&] { return BStarted; })) ASawB = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    --InsideA;
  };
  FB.Button->OnClick = [&](TWebControl&) {
    if (CurrentWebSession()->Id() != B) Bound = false;
    std::unique_lock<std::mutex> G(M);
    BStarted = true;
    Cv.notify_all();
    BSawA = Cv.wait_for(G, std::chrono::seconds(60), [&] { return AStarted; });
  };
  auto Press = [&](const std::string& Sid, const std::string& Page, const std::string& Id) {
    Server->Handle({"POST", "/s/" + Sid + "/", {{{"__page", Page}, {"__evt", Id + ":click:"}}}});
  };
  std::vector<std::thread> Threads;
  for (int I = 0; I < 4; ++I) Threads.emplace_back(Press, A, PageA, FA.Button->Id());
  Threads.emplace_back(Press, B, PageB, FB.Button->Id());
  for (auto& T : Threads) T.join();
  EXPECT_TRUE(ASawB);
  EXPECT_TRUE(BSawA);
  EXPECT_EQ(MaxInsideA, 1);
  EXPECT_TRUE(Bound);
  EXPECT_EQ(CurrentWebSession(), nullptr);
}

}  // namespace
}  // namespace quin
