// The server's pages through the layer's in-process request seam: the logon page in both
// languages, logon success and failure, the menu line, the help and preferences pages, and the
// session's end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "base/text.h"
#include "tests/web/web_fixture.h"
#include "tools/userswriter.h"
#include "web/choicepages.h"
#include "web/controller.h"
#include "web/logon.h"
#include "web/prefshelp.h"
#include "web/session.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

class PagesTest : public test::TWebAppTest {
 protected:
  void SetUp() override {
    TWebAppTest::SetUp();
    fs::create_directories(Files + "Surveys/Guest");
    fs::create_directories(Files + "Surveys/Empty");
    Write(Files + "Surveys/Guest/Press.zos", "x");
    Write(Files + "Surveys/Guest/Radio.ZOS", "x");
    Write(Files + "Quin.pwd", UsersFileXml({{"qazo", "qazo", Cp1250("Gość"), "Guest\\"},
                                            {Cp1250("żółw"), "pw", "Turtle", "Guest"},
                                            {"empty", "pw", "Nobody", "Empty"}}));
    Write(Files + "Help/HobLogon_enu.hlp", "<p>Log on&nbsp;here {$mail}</p>");
    Write(Files + "Help/HobLogon_plk.hlp", Cp1250("<p>Zaloguj się</p>"));
    Write(Files + "Help/HobAbout_enu.hlp", "%s|%s|%s|%s|%s|{$comments}");
    StartServer();
  }
  std::string ClickMenu(const std::string& Sid, TWebMenuItem* Item) {
    auto* F = As<TZepForm>(Active(Sid));
    int Index = -1;
    for (int I = 0; I < F->MainMenu->Count(); ++I)
      if (&(*F->MainMenu)[I] == Item) Index = I;
    return Fire(Sid, *F->IWMenu, "click", std::to_string(Index));
  }
};

TEST_F(PagesTest, LogonPageInPolishThenEnglishAndBack) {
  std::string Sid = Open();
  std::string P = Page(Sid);
  ASSERT_TRUE(Active(Sid)->IsExactly<THobLogonForm>());
  EXPECT_NE(P.find("<title>Quinview</title>"), std::string::npos);
  EXPECT_NE(P.find("content=\"pl\""), std::string::npos);
  EXPECT_NE(P.find(Cp1250("Jeżeli jesteś <b>zarejestrowanym</b> użytkownikiem <b>Quinview</b>,"
                          "<br>wprowadź swoje dane:")),
            std::string::npos);
  EXPECT_NE(P.find(">Identyfikator<"), std::string::npos);
  EXPECT_NE(P.find(Cp1250(">Hasło<")), std::string::npos);
  EXPECT_NE(P.find("value=\"OK\""), std::string::npos);
  EXPECT_NE(P.find(">English</a>"), std::string::npos);
  EXPECT_NE(P.find("flagen.gif"), std::string::npos);
  EXPECT_NE(P.find("Badanie nie otwarte"), std::string::npos);
  EXPECT_NE(P.find("/Files/Quin/Quin.css"), std::string::npos);
  EXPECT_NE(P.find("class=\"button\""), std::string::npos);
  EXPECT_NE(P.find("20000);"), std::string::npos);  // the heartbeat
  // "Logout" is hidden on the logon page and still gets its separator; "Help" none.
  auto* F = As<TZepForm>(Active(Sid));
  EXPECT_FALSE(F->LogoutMenu->Visible);
  EXPECT_NE(F->LogoutMenu->Caption.find("lbdiv.gif"), std::string::npos);
  EXPECT_NE(F->SettingsMenu->Caption.find("lbdiv.gif"), std::string::npos);
  EXPECT_EQ(F->HelpMenu->Caption.find("lbdiv.gif"), std::string::npos);

  P = Fire(Sid, *F->LangLink, "click");
  EXPECT_EQ(Module(Sid).LangManager->Current(), "enu");
  EXPECT_NE(P.find("If you are a <b>registered</b> user of <b>Quinview</b>,<br>please enter "
                   "your login name and password:"),
            std::string::npos);
  EXPECT_NE(P.find(">Login name<"), std::string::npos);
  EXPECT_NE(P.find(">Polski</a>"), std::string::npos);
  EXPECT_NE(P.find("flagpl.gif"), std::string::npos);
  EXPECT_NE(P.find("content=\"en\""), std::string::npos);
  EXPECT_NE(P.find("No survey opened"), std::string::npos);
  // After the language change no item has a second separator.
  std::string Cap = F->SettingsMenu->Caption;
  EXPECT_EQ(Cap.find("lbdiv.gif"), Cap.rfind("lbdiv.gif"));

  P = Fire(Sid, *F->LangLink, "click");
  EXPECT_EQ(Module(Sid).LangManager->Current(), "plk");
  EXPECT_NE(P.find(">English</a>"), std::string::npos);
}

TEST_F(PagesTest, StartLanguageFromTheFirstLangParameter) {
  struct Case {
    TWebValues Params;
    const char* Lang;
  } Cases[] = {
      {{{{"lang", "EN"}}}, "enu"},
      {{{{"lang", "pl"}}}, "plk"},
      {{}, "plk"},
      {{{{"lang", "de"}, {"lang", "en"}}}, "plk"},
      {{{{"xlang", "en"}}}, "enu"},  // the first parameter containing "lang="
  };
  for (auto& C : Cases) EXPECT_EQ(Module(Open(C.Params)).LangManager->Current(), C.Lang);
}

TEST_F(PagesTest, LogonFailureAndSuccess) {
  std::string Sid = Open({{{"lang", "en"}}});
  auto* F = As<THobLogonForm>(Active(Sid));
  std::string P = Fire(Sid, *F->OKButton, "click", {},
                       {{{F->UserEdit->Id(), "qazo"}, {F->PasswordEdit->Id(), "wrong"}}});
  EXPECT_NE(P.find("alert('Invalid user name or password.')"), std::string::npos);
  EXPECT_TRUE(Module(Sid).UserName.empty());
  EXPECT_EQ(P.find("wrong"), std::string::npos);  // the password is never sent back

  // A user without surveys: the alert, and the name stays set.
  P = Fire(Sid, *F->PasswordEdit, "submit", {},
           {{{F->UserEdit->Id(), "empty"}, {F->PasswordEdit->Id(), "pw"}}});
  EXPECT_NE(P.find("alert('No surveys available for this user.')"), std::string::npos);
  EXPECT_EQ(Module(Sid).UserName, "Nobody");

  // A Polish login posted in ISO-8859-2 is recoded before the check.
  std::string Other = Open({{{"lang", "en"}}});
  auto* G = As<THobLogonForm>(Active(Other));
  Fire(Other, *G->OKButton, "click", {},
       {{{G->UserEdit->Id(), Cp1250ToIso88592(Cp1250("żółw"))}, {G->PasswordEdit->Id(), "pw"}}});
  EXPECT_EQ(Module(Other).UserName, "Turtle");

  // The demonstration button: the guest with two surveys, sorted, listed on the next page.
  P = Fire(Sid, *F->DemoButton, "click");
  THobSessionModule& M = Module(Sid);
  EXPECT_EQ(M.UserName, Cp1250("Gość"));
  EXPECT_EQ(M.UserFolder, Files + "Surveys/Guest/");
  EXPECT_EQ(M.SurveyFiles, (std::vector<std::string>{"Press.zos", "Radio.ZOS"}));
  EXPECT_EQ(M.GetReportsFolder(), M.UserFolder);
  EXPECT_TRUE(Active(Sid)->IsExactly<TPelWebOpenSurveyForm>());
  EXPECT_EQ(P.find("alert('"), std::string::npos);
  EXPECT_NE(P.find("No survey opened"), std::string::npos);
  EXPECT_NE(P.find(">Press.zos</option><option value=\"1\">Radio.ZOS<"), std::string::npos);
}

TEST_F(PagesTest, PolishAlertIsRecodedForThePage) {
  std::string Sid = Open();
  auto* F = As<THobLogonForm>(Active(Sid));
  std::string P = Fire(Sid, *F->OKButton, "click");
  EXPECT_NE(P.find(Cp1250("alert('Nieprawidłowy użytkownik lub hasło.')")), std::string::npos);
}

TEST_F(PagesTest, HelpPageOverTheLogonPage) {
  std::string Sid = Open({{{"lang", "en"}}});
  auto* Logon = As<TZepForm>(Active(Sid));
  std::string P = ClickMenu(Sid, Logon->HelpMenu);
  auto* H = As<THobHelpForm>(Active(Sid));
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(H->Topics.size(), 15u);
  EXPECT_EQ(H->CurrentTopic, "HobLogon");
  EXPECT_EQ(H->SubItemComboBox->ItemIndex(), 0);
  EXPECT_EQ(H->SubItemComboBox->Items[0].Text, "Loggin on");
  EXPECT_EQ(H->SubItemComboBox->Items[14].Text, "About");
  // "&nbsp;" loses its "&"; the mail placeholder is filled.
  EXPECT_NE(P.find("Log onnbsp;here support@orvsoft.example"), std::string::npos);
  EXPECT_NE(P.find(">Help<"), std::string::npos);  // subtitle
  EXPECT_FALSE(H->HelpMenu->Enabled);
  EXPECT_FALSE(H->SubItemSelPrevButton->Enabled);
  EXPECT_TRUE(H->SubItemSelNextButton->Enabled);

  // ">" steps on; a topic without a file shows the apology.
  P = Fire(Sid, *H->SubItemSelNextButton, "click", {}, {{{H->SubItemComboBox->Id(), "0"}}});
  EXPECT_EQ(H->CurrentTopic, "PelWebOpenSurvey");
  EXPECT_NE(P.find("Sorry<br>No help text available for this topic..."), std::string::npos);
  // The About topic is a template with five texts.
  H->SubItemComboBox->SetItemIndex(14);
  Sessions.at(Sid)->Alert("");  // nothing else pending
  P = Fire(Sid, *H->SubItemComboBox, "change", {}, {{{H->SubItemComboBox->Id(), "14"}}});
  EXPECT_EQ(H->CurrentTopic, "HobAbout");
  EXPECT_NE(P.find("Quinview|1.0a|"), std::string::npos);
  EXPECT_NE(P.find("|Orvsoft|Program: the Orvsoft team<br>"), std::string::npos);
  EXPECT_FALSE(H->SubItemSelNextButton->Enabled);
  // The language follows; Close returns to the logon page.
  P = Fire(Sid, *H->LangLink, "click");
  EXPECT_EQ(H->SubItemComboBox->Items[0].Text, "Logowanie");
  EXPECT_NE(P.find("Przepraszamy"), std::string::npos);  // no Polish About file here
  EXPECT_NE(P.find("value=\"Zamknij\""), std::string::npos);
  Fire(Sid, *H->CancelButton, "click");
  EXPECT_EQ(Active(Sid), Logon);
  // The logon page underneath was re-translated too.
  EXPECT_NE(Page(Sid).find(">English</a>"), std::string::npos);
}

// The help files the server ships: every topic of the help page has a text of its own in both
// languages, a heading and at least one paragraph, never the apology for a missing file.
TEST_F(PagesTest, EveryHelpTopicHasItsTextInBothLanguages) {
  fs::copy(QUIN_HELP_DIR, Files + "Help",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  std::string Sid = Open({{{"lang", "en"}}});
  ClickMenu(Sid, As<TZepForm>(Active(Sid))->HelpMenu);
  auto* H = As<THobHelpForm>(Active(Sid));
  ASSERT_NE(H, nullptr);
  for (const char* Lang : {"enu", "plk"}) {
    for (size_t I = 0; I < H->Topics.size(); ++I) {
      Fire(Sid, *H->SubItemComboBox, "change", {},
           {{{H->SubItemComboBox->Id(), std::to_string(I)}}});
      SCOPED_TRACE(std::string(Lang) + " " + H->Topics[I].Topic);
      ASSERT_EQ(H->CurrentTopic, H->Topics[I].Topic);
      const std::string Text = H->ContentText->Text;
      EXPECT_EQ(Text.find("Sorry"), std::string::npos);
      EXPECT_EQ(Text.find("Przepraszamy"), std::string::npos);
      const std::size_t Heading = Text.find("<h2>");
      ASSERT_NE(Heading, std::string::npos) << Text;
      // The heading holds words, and a paragraph of some length follows it.
      EXPECT_GT(Text.find("</h2>"), Heading + 5) << Text;
      const std::size_t Para = Text.find("<p>");
      ASSERT_NE(Para, std::string::npos) << Text;
      EXPECT_GT(Text.find("</p>", Para) - Para, 20u) << Text;
    }
    Fire(Sid, *H->LangLink, "click");
  }
}

TEST_F(PagesTest, AboutTemplateWithAForeignPlaceholderBecomesAnAlert) {
  Write(Files + "Help/HobAbout_enu.hlp", "%s %d");
  std::string Sid = Open({{{"lang", "en"}}});
  ClickMenu(Sid, As<TZepForm>(Active(Sid))->HelpMenu);
  auto* H = As<THobHelpForm>(Active(Sid));
  std::string P =
      Fire(Sid, *H->SubItemComboBox, "change", {}, {{{H->SubItemComboBox->Id(), "14"}}});
  EXPECT_NE(P.find("alert('Format"), std::string::npos);
}

TEST_F(PagesTest, PreferencesChangeTheLanguageOfEveryPage) {
  std::string Sid = Open();
  auto* Logon = As<TZepForm>(Active(Sid));
  ClickMenu(Sid, Logon->SettingsMenu);
  auto* P = As<THobPrefsForm>(Active(Sid));
  ASSERT_NE(P, nullptr);
  EXPECT_FALSE(P->SettingsMenu->Enabled);
  EXPECT_FALSE(P->LogoutMenu->Visible);
  ASSERT_EQ(P->AppLangsListBox->Count(), 2);
  EXPECT_EQ(P->AppLangsListBox->ItemIndex(), 1);  // "enu" sorts before "plk"
  // The languages are named in the page's language.
  EXPECT_EQ(P->AppLangsListBox->Items[0].Text, "angielski");
  EXPECT_EQ(P->AppLangsListBox->Items[1].Text, "polski");
  EXPECT_FALSE(P->SurveyLangsListBox->Enabled);
  EXPECT_EQ(P->SurveyLangsListBox->Count(), 0);
  std::string Html = Page(Sid);
  EXPECT_NE(Html.find(Cp1250("Język aplikacji")), std::string::npos);
  EXPECT_NE(Html.find("value=\"Anuluj\""), std::string::npos);
  // Cancel changes nothing.
  Fire(Sid, *P->CancelButton, "click");
  EXPECT_EQ(Active(Sid), Logon);
  EXPECT_EQ(Module(Sid).LangManager->Current(), "plk");
  // OK with English re-translates the page below.
  ClickMenu(Sid, Logon->SettingsMenu);
  P = As<THobPrefsForm>(Active(Sid));
  std::string Out = Fire(Sid, *P->OKButton, "click", {}, {{{P->AppLangsListBox->Id(), "0"}}});
  EXPECT_EQ(Module(Sid).LangManager->Current(), "enu");
  EXPECT_EQ(Active(Sid), Logon);
  EXPECT_NE(Out.find("please enter your login name"), std::string::npos);
  // An index out of range is refused by the layer.
  ClickMenu(Sid, Logon->SettingsMenu);
  P = As<THobPrefsForm>(Active(Sid));
  Fire(Sid, *P->OKButton, "click", {}, {{{P->AppLangsListBox->Id(), "7"}}});
  EXPECT_EQ(Module(Sid).LangManager->Current(), "enu");
}

TEST_F(PagesTest, LogonShowsLogoutOnThePreferencesPageAndLogOffClearsTheUser) {
  std::string Sid = Open();
  auto* Logon = As<THobLogonForm>(Active(Sid));
  Fire(Sid, *Logon->DemoButton, "click");
  ClickMenu(Sid, As<TZepForm>(Active(Sid))->SettingsMenu);
  auto* P = As<THobPrefsForm>(Active(Sid));
  EXPECT_TRUE(P->LogoutMenu->Visible);
  // The menu's Logout replaces the page, the user stays.
  ClickMenu(Sid, P->LogoutMenu);
  EXPECT_TRUE(Active(Sid)->IsExactly<THobLogonForm>());
  EXPECT_EQ(Module(Sid).UserName, Cp1250("Gość"));
  {
    TWebSessionBinding B(Sessions.at(Sid));
    Module(Sid).LogOff();
  }
  EXPECT_TRUE(Module(Sid).UserName.empty());
}

TEST_F(PagesTest, SessionEndDeletesItsFolders) {
  StartServer(std::chrono::milliseconds(1000));
  // The session's files are there from its start, so they exist before it can time out
  // however long the request takes.
  std::string Sid;
  auto Inner = Server->OnNewSession;
  Server->OnNewSession = [&](TWebSession& S) {
    Inner(S);
    Sid = S.Id();
    Write(Files + "TMPCharts/" + Sid + "/a.png", "1");
    Write(Files + "TMPCharts/" + Sid + "/b.png", "2");
    Write(Files + "TMPReports/" + Sid + "/r.htm", "3");
    // The exported workbooks lie in the layer's own files folder.
    Write(App + "Files/TMPReports/" + Sid + "/Report.xlsx", "4");
    Write(App + "Files/TMPReports/" + Sid + "/Report.~xlsx", "5");
  };
  ASSERT_EQ(Server->Handle({"GET", "/", {}}).Status, 302);
  ASSERT_EQ(Sid.size(), 32u);
  ASSERT_TRUE(WaitClosed(1));
  EXPECT_EQ(Server->SessionCount(), 0u);
  EXPECT_FALSE(fs::exists(Files + "TMPCharts/" + Sid));
  EXPECT_FALSE(fs::exists(Files + "TMPReports/" + Sid));
  EXPECT_FALSE(fs::exists(App + "Files/TMPReports/" + Sid));
}

TEST_F(PagesTest, TheUsersFileIsNeverServed) {
  EXPECT_EQ(Server->Handle({"GET", "/Files/Quin/Quin.pwd", {}}).Status, 404);
  EXPECT_EQ(Server->Handle({"GET", "/Files/Quin/Help/HobLogon_enu.hlp", {}}).Status, 404);
}

}  // namespace
}  // namespace quin
