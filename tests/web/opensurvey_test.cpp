// Opening and closing surveys in a web session: the demonstration survey opens for analysis,
// the status line names it in the session's language, closing frees it, and a damaged file
// is answered with an alert.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "analysis/pelsurvey.h"
#include "base/text.h"
#include "tests/web/web_fixture.h"
#include "tools/userswriter.h"
#include "web/controller.h"
#include "web/logon.h"
#include "web/session.h"
#include "web/zepform.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

class OpenSurveyTest : public test::TWebAppTest {
 protected:
  void SetUp() override {
    TWebAppTest::SetUp();
    const std::string Guest = Files + "Surveys/Guest/";
    fs::create_directories(Guest);
    fs::copy_file(std::string(QUIN_DEMO_SURVEYS) + "/Guest/media2024.zos", Guest + "media2024.zos");
    Write(Guest + "broken.zos", "not a survey file");
    Write(Files + "Quin.pwd", UsersFileXml({{"qazo", "qazo", Cp1250("Gość"), "Guest"}}));
    StartServer();
    // An English session, logged on as the guest through the demonstration button.
    Sid = Open({{{"lang", "en"}}});
    Session = Sessions.at(Sid);
    auto* F = As<THobLogonForm>(Session->ActiveForm());
    ASSERT_TRUE(F);
    Fire(*F->DemoButton, "click");
    ASSERT_EQ(Module().SurveyFiles, (std::vector<std::string>{"broken.zos", "media2024.zos"}));
  }
  THobSessionModule& Module() { return TWebAppTest::Module(Sid); }
  std::string Fire(const TWebControl& C, const std::string& Kind) {
    return TWebAppTest::Fire(Sid, C, Kind);
  }
  // Runs F as the session's own code runs: the session and its language bound to the thread.
  template <class F>
  auto InSession(F Fn) {
    TWebSessionBinding Bind(Session);
    TLangManagerBinding Lang(Module().LangManager.get());
    return Fn();
  }
  // The session hooks for a test to change; they are as they were once the test ends.
  TSessionSurveyHooks& TestHooks() {
    if (!SavedHooks) SavedHooks = SessionSurveyHooks();
    return SessionSurveyHooks();
  }
  void TearDown() override {
    if (SavedHooks) SessionSurveyHooks() = *SavedHooks;
    TWebAppTest::TearDown();
  }
  // The language link: the pages are refreshed and their status lines written anew.
  std::string ToggleLanguage() {
    return Fire(*As<TZepForm>(Session->ActiveForm())->LangLink, "click");
  }

  std::string Sid;
  TWebSession* Session = nullptr;
  std::optional<TSessionSurveyHooks> SavedHooks;
};

TEST_F(OpenSurveyTest, OpenNamesTheSurveyInTheStatusLineAndCloseFreesIt) {
  ASSERT_TRUE(InSession([&] { return Module().OpenSurvey("media2024.zos"); }));
  THobSessionModule& M = Module();
  ASSERT_TRUE(M.Survey);
  auto* S = As<TPelSurvey>(M.Survey.get());
  ASSERT_TRUE(S);
  EXPECT_EQ(M.SurveyPath, App + "Files/Quin/Surveys/Guest/media2024.zos");
  EXPECT_EQ(S->PelRecset(0)->RecCount(), 5000);
  EXPECT_EQ(M.GetReportsFolder(), App + "Files/Quin/Surveys/Guest/media2024.reports/");
  // The survey's own texts follow the session's language, there and back.
  EXPECT_EQ(S->Environ->LangManager->Current(), "enu");
  std::string P = ToggleLanguage();
  EXPECT_NE(P.find(Cp1250("Badanie: <b>Zwyczaje medialne Polaków 2024</b>")), std::string::npos);
  EXPECT_EQ(S->Environ->LangManager->Current(), "plk");
  P = ToggleLanguage();
  EXPECT_NE(P.find("Survey: <b>Media usage habits in Poland 2024</b>"), std::string::npos);
  EXPECT_EQ(P.find("alert('"), std::string::npos);

  InSession([&] { Module().CloseSurvey(); });
  EXPECT_FALSE(M.Survey);
  EXPECT_TRUE(M.SurveyPath.empty());
  P = ToggleLanguage();
  EXPECT_NE(P.find("Badanie nie otwarte"), std::string::npos);
}

TEST_F(OpenSurveyTest, DamagedFileOrForeignPathGivesAnAlertAndNoSurvey) {
  ASSERT_TRUE(InSession([&] { return Module().OpenSurvey("media2024.zos"); }));
  // A failed opening closes the survey that was open.
  EXPECT_FALSE(InSession([&] { return Module().OpenSurvey("broken.zos"); }));
  EXPECT_FALSE(Module().Survey);
  EXPECT_TRUE(Module().SurveyPath.empty());
  std::string P = Page(Sid);
  EXPECT_NE(P.find("alert('This survey cannot be opened:"), std::string::npos);
  EXPECT_NE(P.find("No survey opened"), std::string::npos);
  EXPECT_FALSE(InSession([&] { return Module().OpenSurvey("../Guest/media2024.zos"); }));
  EXPECT_FALSE(Module().Survey);
}

TEST_F(OpenSurveyTest, AFailureWithoutATextStillGivesAReason) {
  // A failed inflation carries no text of its own: the damaged-file text stands in, in the
  // session's language.
  TestHooks().LoadSurvey = [](THobSessionModule&, const std::string&) -> std::unique_ptr<TObject> {
    throw EDecompressionError();
  };
  EXPECT_FALSE(InSession([&] { return Module().OpenSurvey("media2024.zos"); }));
  std::string P = Page(Sid);
  EXPECT_NE(P.find("This survey cannot be opened:"), std::string::npos);
  EXPECT_NE(P.find("The survey file is damaged."), std::string::npos);
  ToggleLanguage();
  EXPECT_FALSE(InSession([&] { return Module().OpenSurvey("media2024.zos"); }));
  P = Page(Sid);
  EXPECT_NE(P.find("Plik badania jest uszkodzony."), std::string::npos);
}

TEST_F(OpenSurveyTest, TheSurveyTitleIsTextInTheStatusLine) {
  // A survey file names itself; its name is shown as text, never taken as markup.
  TSessionSurveyHooks& H = TestHooks();
  struct TFakeSurvey : TObject {};
  H.LoadSurvey = [](THobSessionModule&, const std::string&) -> std::unique_ptr<TObject> {
    return std::make_unique<TFakeSurvey>();
  };
  H.SurveyTitle = [](TObject&) {
    return std::string("<img src=x onerror=alert(1)>Press \"A\" & B</b><script>x()</script>");
  };
  H.SurveyLangManager = [](TObject&) -> TOrvLangManager* { return nullptr; };
  ASSERT_TRUE(InSession([&] { return Module().OpenSurvey("media2024.zos"); }));
  std::string P = ToggleLanguage();
  EXPECT_NE(P.find("Badanie: <b>&lt;img src=x onerror=alert(1)&gt;Press &quot;A&quot; &amp; "
                   "B&lt;/b&gt;&lt;script&gt;x()&lt;/script&gt;</b>"),
            std::string::npos);
  EXPECT_EQ(P.find("<img src=x"), std::string::npos);
  EXPECT_EQ(P.find("<script>x()"), std::string::npos);
}

}  // namespace
}  // namespace quin
