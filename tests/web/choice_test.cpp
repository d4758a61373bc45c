// The pages between the logon and an analysis through the request seam: the next page after a
// logon or a "survey=" start, the open-survey and open-report pages with their Cancel buttons,
// reports handed to the report window, the survey-information page with its texts, addresses
// and files, the template page and the start of a template's steps, and the order in which a
// closing survey is freed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "analysis/pelparquestions.h"
#include "analysis/pelsurvey.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "base/urlprobe.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "reports/pelwiz.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimweights.h"
#include "tests/web/analysis_fixture.h"
#include "web/choicepages.h"
#include "web/logon.h"
#include "web/parpanequestions.h"
#include "web/parstepform.h"
#include "web/prefshelp.h"
#include "web/session.h"
#include "web/surveyinfo.h"

namespace quin {

// A report window as the tests need one: it remembers whether the survey it shows was still
// there when it went.
class TTestReportWindow : public TPelWebIWForm {
  QUIN_CLASS(TTestReportWindow, TPelWebIWForm)
 public:
  TTestReportWindow(std::weak_ptr<const bool> ALife, std::shared_ptr<bool> ASurveyAlive)
      : Life(std::move(ALife)), SurveyAliveAtEnd(std::move(ASurveyAlive)) {}
  ~TTestReportWindow() override { *SurveyAliveAtEnd = !Life.expired(); }
  std::string GetHelpTopic() const override { return {}; }
  std::string GetSubtitle() const override { return "Report"; }
  TWebButton* LogOffButton = nullptr;
  std::weak_ptr<const bool> Life;
  std::shared_ptr<bool> SurveyAliveAtEnd;

 protected:
  void CreateControls() override {
    TPelWebIWForm::CreateControls();
    LogOffButton = Add<TWebButton>("LogOffButton");
    LogOffButton->OnClick = [this](TWebControl&) {
      THobSessionModule* M = As<THobSessionModule>(Session()->Data());
      M->LogOff();
    };
  }
};
QUIN_IMPLEMENT_ABSTRACT_CLASS(TTestReportWindow, TPelWebIWForm)

namespace {

namespace fs = std::filesystem;
using test::TinySurveyBytes;
using test::TinySurveyDefinition;

// The tiny survey with information pages: texts (one under another), a web address, a script
// address, and files beside the survey (one there, one missing, one leading out of the folder).
std::string InfoSurveyBytes() {
  std::string Def = TinySurveyDefinition();
  const std::string Pages = Cp1250(
      "wizards = general;\r\n"
      "  def infopage name = \"<PLK>Metodologia<ENU>Methodology\";"
      " text = \"<PLK><p>Próba losowa</p><ENU><p>A random sample</p>\";\r\n"
      "    def infopage name = \"<PLK>Próba<ENU>Sample\"; text = \"<p>N = 10</p>\"; end;\r\n"
      "  end;\r\n"
      "  def infopage name = \"<PLK>Dokumenty<ENU>Documents\";\r\n"
      "    def infopage name = \"Web\"; addr = \"http://127.0.0.1:1/about?a=1&b=2\"; end;\r\n"
      "    def infopage name = \"Script\"; addr = \"javascript:alert(1)\"; end;\r\n"
      "    def infopage name = \"<PLK>Kwestionariusz<ENU>Questionnaire\";"
      " file = \"docs\\quest.txt\"; end;\r\n"
      "    def infopage name = \"Missing\"; file = \"gone.pdf\"; end;\r\n"
      "    def infopage name = \"Linked\"; file = \"link.txt\"; end;\r\n"
      "  end;\r\n"
      "end;");
  const std::string From = "wizards = general; end;";
  Def.replace(Def.find(From), From.size(), Pages);
  TSwSurveyWave W;
  W.Records = 10;
  for (auto& [N, V] :
       std::vector<std::pair<std::string, std::vector<double>>>{{"sex", test::kTinySex},
                                                                {"age", test::kTinyAge},
                                                                {"kids", test::kTinyKids},
                                                                {"hhsize", test::kTinySize},
                                                                {"tvwd", test::kTinyWeekdays},
                                                                {"tvwe", test::kTinyWeekend}})
    W.Columns.push_back({N, V, {}});
  return SurveyFileBytes(Def, {{"resp", {W}}});
}

class ChoiceTest : public test::TWebAppTest {
 protected:
  void SetUp() override {
    TWebAppTest::SetUp();
    Guest = Files + "Surveys/Guest/";
    Write(Files + "Quin.pwd", UsersFileXml({{"qazo", "qazo", "Guest", "Guest"}}));
    SavedSteps = PelWebStepHooks();
    SavedChoice = PelWebChoiceHooks();
    // The report window is the test's: it records what it was asked to show.
    PelWebStepHooks().OpenReportWindow = [this](THobSessionModule& M) {
      ++NewAnalyses;
      ShowReportWindow(M);
      return true;
    };
    PelWebChoiceHooks().OpenSavedReportWindow = [this](THobSessionModule& M,
                                                       const std::string& Name) {
      OpenedReports.push_back(Name);
      EXPECT_TRUE(M.Report);
      ShowReportWindow(M);
      return true;
    };
  }
  void TearDown() override {
    PelWebStepHooks() = SavedSteps;
    PelWebChoiceHooks() = SavedChoice;
    TWebAppTest::TearDown();
  }
  void ShowReportWindow(THobSessionModule& M) {
    auto* S = As<TPelWebSurvey>(M.Survey.get());
    auto* W = M.Session()->CreateForm<TTestReportWindow>(S->LifeToken(), WindowSawSurvey);
    M.SetReportWindow(W);
    M.Report.reset();  // the window takes the report over
    W->Show();
  }
  // A new English session logged on as the guest through the demonstration button.
  void LogOn() {
    StartServer();
    Sid = Open({{{"lang", "en"}}});
    Post(*As<THobLogonForm>(Active(Sid))->DemoButton, "click");
  }
  THobSessionModule& Module() { return TWebAppTest::Module(Sid); }
  TWebSession& Session(const std::string& S) { return *Sessions.at(S); }
  // Runs Fn as the session's own code runs: the session and its language bound to the thread.
  template <class F>
  auto InSession(F Fn) {
    TWebSessionBinding Bind(Sessions.at(Sid));
    TLangManagerBinding Lang(Module().LangManager.get());
    return Fn();
  }
  std::string Post(const TWebControl& C, const std::string& Kind, const std::string& Arg = {},
                   TWebValues V = {}) {
    return Fire(Sid, C, Kind, Arg, std::move(V));
  }
  // Clicks C with the list L set to the entry Index.
  std::string PostWithChoice(const TWebControl& C, const TWebListBox& L, int Index) {
    return Post(C, "click", {}, {{{L.Id(), std::to_string(Index)}}});
  }
  template <class T>
  T* ActiveAs() {
    return As<T>(Active(Sid));
  }
  std::string ToggleLanguage() { return Post(*As<TZepForm>(Active(Sid))->LangLink, "click"); }
  static std::string ListText(const TWebListBox& L) {
    std::string R;
    for (const TWebListItem& I : L.Items) R += (R.empty() ? "" : "|") + I.Text;
    return R;
  }
  static std::string ReportText(const std::string& Body) {
    return "def report survey = tiny@ns; " + Body + " end;\r\n";
  }

  std::string Guest, Sid;
  TPelWebStepHooks SavedSteps;
  TPelWebChoiceHooks SavedChoice;
  std::vector<std::string> OpenedReports;
  int NewAnalyses = 0;
  std::shared_ptr<bool> WindowSawSurvey = std::make_shared<bool>(false);
};

TEST_F(ChoiceTest, TheOnlySurveyOpensAtLogonAndItsTemplatePageOffersThreeTemplates) {
  Write(Guest + "tiny.zos", TinySurveyBytes());
  LogOn();
  auto* W = ActiveAs<TPelWebWizForm>();
  ASSERT_TRUE(W) << Page(Sid);
  std::string P = Page(Sid);
  EXPECT_NE(P.find("Survey: <b>Tiny</b>"), std::string::npos);
  EXPECT_NE(P.find(">Select analysis type<"), std::string::npos);
  EXPECT_NE(P.find("Select (by clicking on the image) the analysis type"), std::string::npos);
  // One icon region per template, 120 px apart, with the template's icon, name and text.
  struct Row {
    const char* Icon;
    const char* Name;
    const char* Description;
  } Rows[] = {{"wiz0.gif", "Frequencies", "of the results, such as age group sizes"},
              {"wiz1.gif", "Cross-tabs", "pair of questions, where the first question"},
              {"wiz1.gif", "Cross-tabs + means",
               "Cross-tabs + means<br><br>A cross-tab showing the distributions and means of one "
               "question (such as ad evaluation) crossed by"}};
  ASSERT_EQ(W->AnalysisRegion->Controls().size(), 6u);
  for (int I = 0; I < 3; ++I) {
    auto* Region = As<TWebRegion>(W->AnalysisRegion->Controls()[2 * I].get());
    auto* Hint = As<TWebRegion>(W->AnalysisRegion->Controls()[2 * I + 1].get());
    ASSERT_TRUE(Region && Hint);
    EXPECT_EQ(Region->Name, "PelWebIWRegion" + std::to_string(I));
    EXPECT_EQ(Region->Top, 120 * I);
    EXPECT_EQ(Hint->Name, "PelWebIWHRegion" + std::to_string(I));
    EXPECT_EQ(Hint->Left, 140);
    EXPECT_EQ(Hint->Top, 120 * I);
    auto* Name = As<TIWWizNameText>(Region->Controls()[0].get());
    auto* Image = As<TWebImageFile>(Region->Controls()[1].get());
    ASSERT_TRUE(Name && Image);
    EXPECT_EQ(Image->Url, std::string("/Files/Quin/") + Rows[I].Icon);
    EXPECT_EQ(Image->Tag, I);
    EXPECT_EQ(Image->Hint, "Click to select");
    EXPECT_EQ(Name->Text, Rows[I].Name);
    auto* Text = As<TIWWizHintText>(Hint->Controls()[0].get());
    ASSERT_TRUE(Text);
    EXPECT_NE(Text->Text.find(Rows[I].Description), std::string::npos) << Text->Text;
  }
  EXPECT_NE(P.find("title=\"Click to select\""), std::string::npos);
  // The texts follow the language.
  ToggleLanguage();
  auto* Name = As<TIWWizNameText>(
      As<TWebRegion>(W->AnalysisRegion->Controls()[2].get())->Controls()[0].get());
  EXPECT_EQ(Name->Text, "Tabele dwuwymiarowe");
  // Written as a person writes: a blank after each comma and full stop.
  const std::string Polish = Iso88592ToCp1250(
      As<TIWWizHintText>(
          As<TWebRegion>(W->AnalysisRegion->Controls()[3].get())->Controls()[0].get())
          ->Text);
  for (const char* Words : {"pierwsze pytanie jest z pierwszej grupy", "z grupy drugiej. Wyniki",
                            "dwuwymiarowej. Za pomocą", "wieku czy wielkości"})
    EXPECT_NE(Polish.find(Cp1250(Words)), std::string::npos) << Words << "\n" << Polish;
  ToggleLanguage();

  // One survey and no reports: Cancel logs off after the question.
  EXPECT_EQ(W->CancelButton->Caption, "Logout");
  EXPECT_EQ(W->CancelButton->Confirmation, "Are you sure you want to logout?");
  Post(*W->CancelButton, "click");
  EXPECT_TRUE(ActiveAs<THobLogonForm>());
  EXPECT_TRUE(Module().UserName.empty());
  EXPECT_FALSE(Module().Survey);
}

TEST_F(ChoiceTest, SeveralSurveysAreListedAndTheChosenOneLeadsToItsReports) {
  Write(Guest + "tiny.zos", TinySurveyBytes());
  Write(Guest + "broken.zos", "not a survey file");
  Write(Guest + "tiny.reports/Weekly.zor", ReportText(""));
  Write(Guest + "tiny.reports/April.zor", ReportText("title = \"April\";"));
  Write(Guest + "tiny.reports/notes.txt", "not a report");
  LogOn();
  auto* S = ActiveAs<TPelWebOpenSurveyForm>();
  ASSERT_TRUE(S);
  EXPECT_EQ(ListText(*S->AvailableSurveysList), "broken.zos|tiny.zos");
  EXPECT_EQ(S->AvailableSurveysList->ItemIndex(), 0);
  EXPECT_EQ(S->CancelButton->Caption, "Logout");
  EXPECT_EQ(S->CancelButton->Confirmation, "Are you sure you want to logout?");
  EXPECT_EQ(S->GetHelpTopic(), "PelWebOpenSurvey");

  // An entry the list does not have is refused; nothing chosen gives the alert; a survey that
  // cannot be read its own alert. The page stays.
  TWebResponse Forged =
      FireResponse(Sid, *S->OpenButton, "click", {}, {{{S->AvailableSurveysList->Id(), "2"}}});
  EXPECT_EQ(Forged.Status, 400);
  std::string P = Post(*S->OpenButton, "click");
  EXPECT_NE(P.find("alert('No survey selected.')"), std::string::npos);
  P = PostWithChoice(*S->OpenButton, *S->AvailableSurveysList, 0);
  EXPECT_NE(P.find("alert('This survey cannot be opened:"), std::string::npos);
  EXPECT_EQ(Active(Sid), S);
  EXPECT_FALSE(Module().Survey);

  // Enter on the list opens the survey chosen: it has reports (sorted; other files left out).
  Post(*S->AvailableSurveysList, "enter", {}, {{{S->AvailableSurveysList->Id(), "1"}}});
  auto* R = ActiveAs<TPelWebOpenReportForm>();
  ASSERT_TRUE(R);
  EXPECT_EQ(ListText(*R->AvailableReportsList), "April.zor|Weekly.zor");
  EXPECT_EQ(R->AvailableReportsList->ItemIndex(), 0);
  EXPECT_TRUE(R->NewAnalysisRegion->Visible);
  P = Page(Sid);
  EXPECT_NE(P.find("You can define new analyses for this survey:"), std::string::npos);
  // With several surveys Cancel goes back to the list of surveys, without asking.
  EXPECT_EQ(R->CancelButton->Caption, "Cancel");
  EXPECT_TRUE(R->CancelButton->Confirmation.empty());
  Post(*R->CancelButton, "click");
  S = ActiveAs<TPelWebOpenSurveyForm>();
  ASSERT_TRUE(S);

  // New analysis: the template page, whose Cancel returns to the reports.
  PostWithChoice(*S->OpenButton, *S->AvailableSurveysList, 1);
  Post(*ActiveAs<TPelWebOpenReportForm>()->NewAnalysisButton, "click");
  auto* W = ActiveAs<TPelWebWizForm>();
  ASSERT_TRUE(W);
  EXPECT_EQ(W->CancelButton->Caption, "Cancel");
  Post(*W->CancelButton, "click");
  EXPECT_TRUE(ActiveAs<TPelWebOpenReportForm>());
}

TEST_F(ChoiceTest, SurveyStartParameterLogsOnAsTheGuestAndOpensThatSurvey) {
  Write(Guest + "tiny.zos", TinySurveyBytes());
  Write(Guest + "other.zos", "x");
  Write(Guest + "tiny.reports/Weekly.zor", ReportText(""));
  Write(Files + "Surveys/tiny.zos", TinySurveyBytes());
  StartServer();
  struct Case {
    TWebValues Params;
    const ClassInfo* Page;
    bool Opened;
  } Cases[] = {
      // The name is matched against the guest's files without regard to case; the parameter's
      // name must be "survey" itself, and the last one counts.
      {{{{"survey", "TINY"}}}, &TPelWebOpenReportForm::StaticClass(), true},
      {{{{"survey", "other"}, {"survey", "tiny"}}}, &TPelWebOpenReportForm::StaticClass(), true},
      {{{{"notasurvey", "tiny"}}}, &THobLogonForm::StaticClass(), false},
      {{{{"lang", "en"}}}, &THobLogonForm::StaticClass(), false},
  };
  for (Case& C : Cases) {
    // A logon in the session's creation gives it its new address at once.
    TWebResponse R = Server->Handle({"GET", "/", C.Params});
    ASSERT_EQ(R.Status, 302);
    std::string S = R.Header("Location").substr(3, 32);
    const std::string Html = Iso88592ToCp1250(Page(S));
    EXPECT_EQ(Html.find("alert('"), std::string::npos) << Html;
    for (auto& [Id, Ptr] : Sessions)
      if (Ptr->Id() == S) Sessions[S] = Ptr;
    ASSERT_TRUE(Active(S)) << C.Params.Items[0].second;
    EXPECT_TRUE(Active(S)->IsExactly(*C.Page))
        << C.Params.Items[0].second << ": " << Active(S)->ClassName();
    THobSessionModule& M = TWebAppTest::Module(S);
    EXPECT_EQ(bool(M.Survey), C.Opened) << C.Params.Items[0].second;
    if (C.Opened) {
      EXPECT_EQ(M.SurveyPath, Guest + "tiny.zos");
      // The guest's sessions are the cheap ones that go first.
      EXPECT_TRUE(Sessions[S]->IsGuest());
    }
    EXPECT_EQ(M.UserName.empty(), C.Page == &THobLogonForm::StaticClass());
  }
}

TEST_F(ChoiceTest, ASurveyTheGuestLacksOpensNoSessionAndTheLogonPageTellsSo) {
  Write(Guest + "tiny.zos", TinySurveyBytes());
  Write(Files + "Surveys/elsewhere.zos", TinySurveyBytes());
  StartServer();
  struct Case {
    TWebValues Params;
    const char* Notice;
  } Cases[] = {
      {{{{"survey", "missing"}}}, "Nie znaleziono badania \"missing\"."},
      {{{{"lang", "en"}, {"survey", "elsewhere"}}}, "The survey \"elsewhere\" was not found."},
      {{{{"survey", "../elsewhere"}}}, "Nie znaleziono badania \"../elsewhere\"."},
      {{{{"survey", "<b>x"}}}, "Nie znaleziono badania \"&lt;b&gt;x\"."},
  };
  for (Case& C : Cases) {
    const std::size_t Before = Server->SessionCount();
    TWebResponse R = Server->Handle({"GET", "/", C.Params, "10.0.0.1"});
    ASSERT_EQ(R.Status, 303) << C.Notice;
    EXPECT_EQ(Server->SessionCount(), Before);
    // The browser goes on to an ordinary logon page, which names the survey not found.
    const std::string To = R.Header("Location");
    ASSERT_EQ(To.rfind("/?", 0), 0u) << To;
    TWebValues Values;
    ParseQuery(To.substr(2), Values);
    TWebResponse Start = Server->Handle({"GET", "/", Values, "10.0.0.1"});
    ASSERT_EQ(Start.Status, 302);
    const std::string S = Start.Header("Location").substr(3, 32);
    const std::string Html = Page(S);
    EXPECT_TRUE(Active(S)->IsExactly(THobLogonForm::StaticClass()));
    EXPECT_NE(Html.find(Cp1250(C.Notice)), std::string::npos) << Html;
    EXPECT_FALSE(Sessions[S]->IsLoggedOn());
    EXPECT_TRUE(TWebAppTest::Module(S).UserName.empty());
  }
}

TEST_F(ChoiceTest, AReportGoesToTheReportWindowOrItsFirstErrorIsShown) {
  Write(Guest + "tiny.zos", TinySurveyBytes());
  Write(Guest + "tiny.reports/Good.zor", ReportText("title = \"Weekly\";"));
  Write(Guest + "tiny.reports/Damaged.zor", ReportText("zoomed = 2; nosuchkey = 1;"));
  Write(Guest + "tiny.reports/Gone.zor", ReportText(""));
  LogOn();
  auto* R = ActiveAs<TPelWebOpenReportForm>();
  ASSERT_TRUE(R);
  EXPECT_EQ(ListText(*R->AvailableReportsList), "Damaged.zor|Gone.zor|Good.zor");
  // One survey: Cancel would log off.
  EXPECT_EQ(R->CancelButton->Caption, "Logout");

  // A report with two errors is abandoned at the first, which the alert names.
  std::string P = PostWithChoice(*R->OpenButton, *R->AvailableReportsList, 0);
  EXPECT_NE(
      P.find("alert('This report cannot be opened:\\r\\n\\x220\\x22 or \\x221\\x22 expected.')"),
      std::string::npos)
      << P;
  EXPECT_EQ(P.find("Unknown key."), std::string::npos);
  EXPECT_FALSE(Module().Report);
  EXPECT_TRUE(OpenedReports.empty());
  EXPECT_EQ(Active(Sid), R);
  // A report removed since the list was made.
  fs::remove(Guest + "tiny.reports/Gone.zor");
  P = PostWithChoice(*R->OpenButton, *R->AvailableReportsList, 1);
  EXPECT_NE(P.find("alert('"), std::string::npos);
  EXPECT_TRUE(OpenedReports.empty());

  // A good report goes to the report window, which replaces the page.
  Post(*R->AvailableReportsList, "dblclick", {}, {{{R->AvailableReportsList->Id(), "2"}}});
  EXPECT_EQ(OpenedReports, std::vector<std::string>{"Good.zor"});
  auto* W = ActiveAs<TTestReportWindow>();
  ASSERT_TRUE(W);
  EXPECT_EQ(Module().ReportWindow, W);
  EXPECT_EQ(Session(Sid).FormStack().size(), 1u);

  // Over the report window the choice pages' Cancel returns to it.
  auto* S = As<TPelWebOpenSurveyForm>(
      InSession([&] { return ShowFormOver(TPelWebOpenSurveyForm::StaticClass()); }));
  EXPECT_EQ(S->CancelButton->Caption, "Cancel");
  EXPECT_TRUE(S->CancelButton->Confirmation.empty());
  Post(*S->CancelButton, "click");
  EXPECT_EQ(Active(Sid), W);
}

TEST_F(ChoiceTest, OpeningASurveyNeverWaitsForItsWebAddressesAndProbesEachOnce) {
  Write(Guest + "tiny.zos", InfoSurveyBytes());
  const std::thread::id Requests = std::this_thread::get_id();
  std::mutex Lock;
  std::map<std::string, int> Probes;
  int OnRequest = 0;
  SetURLProbe([&](std::string_view Url) {
    std::lock_guard<std::mutex> G(Lock);
    ++Probes[std::string(Url)];
    if (std::this_thread::get_id() == Requests) ++OnRequest;
    return false;
  });
  ASSERT_TRUE(WaitForURLProbes(std::chrono::seconds(30), true));
  LogOn();  // the guest's only survey opens
  ASSERT_TRUE(Module().Survey);
  ASSERT_TRUE(InSession([&] { return Module().OpenSurvey("tiny.zos"); }));
  EXPECT_TRUE(WaitForURLProbes(std::chrono::seconds(30)));
  SetURLProbe(nullptr);
  EXPECT_EQ(OnRequest, 0);
  EXPECT_EQ(Probes, (std::map<std::string, int>{{"http://127.0.0.1:1/about?a=1&b=2", 1},
                                                {"javascript:alert(1)", 1}}));
}

TEST_F(ChoiceTest, InformationPagesShowTextsOpenWebAddressesAndSendFilesOfTheSurveyFolder) {
  Write(Guest + "tiny.zos", InfoSurveyBytes());
  Write(Guest + "other.zos", TinySurveyBytes());
  Write(Guest + "docs/quest.txt", "Q1. How old are you?");
  fs::create_symlink("../../Quin.pwd", Guest + "link.txt");
  LogOn();
  auto* S = ActiveAs<TPelWebOpenSurveyForm>();
  ASSERT_TRUE(S);
  PostWithChoice(*S->InfoButton, *S->AvailableSurveysList, 1);
  auto* I = ActiveAs<TPelWebSurveyInfoForm>();
  ASSERT_TRUE(I);
  EXPECT_TRUE(I->OwnsSurvey);
  EXPECT_FALSE(Module().Survey);  // the page reads a survey of its own
  // "Documents" has neither text nor address: only its pages are listed, under its name.
  EXPECT_EQ(ListText(*I->SubItemComboBox),
            "Data|Methodology|Methodology - Sample|Documents - Web|Documents - Script|"
            "Documents - Questionnaire|Documents - Missing|Documents - Linked");
  std::string P = Page(Sid);
  EXPECT_NE(P.find(">Survey information<"), std::string::npos);
  EXPECT_NE(I->ContentText->Text.find("Tiny"), std::string::npos);  // the data summary
  EXPECT_FALSE(I->SubItemSelPrevButton->Enabled);
  EXPECT_TRUE(I->SubItemSelNextButton->Enabled);

  auto Show = [&](int Index) {
    return FireResponse(Sid, *I->SubItemComboBox, "change", {},
                        {{{I->SubItemComboBox->Id(), std::to_string(Index)}}});
  };
  P = Show(2).Body;
  EXPECT_EQ(I->ContentText->Text, "<p>N = 10</p>");
  P = Post(*I->SubItemSelPrevButton, "click", {}, {{{I->SubItemComboBox->Id(), "2"}}});
  EXPECT_EQ(I->ContentText->Text, "<p>A random sample</p>");
  // A web address opens in a new window; the page names it as text.
  P = Iso88592ToCp1250(Show(3).Body);
  // (without a hold on this window)
  EXPECT_NE(P.find("window.open('http://127.0.0.1:1/about?a=1\\x26b=2','_blank','noopener')"),
            std::string::npos);
  EXPECT_EQ(I->ContentText->Text,
            "Going to the address <b>\"http://127.0.0.1:1/about?a=1&amp;b=2\"</b>...");
  // Any other kind of address is never opened.
  P = Iso88592ToCp1250(Show(4).Body);
  EXPECT_EQ(P.find("window.open("), std::string::npos);
  EXPECT_EQ(I->ContentText->Text, "This address cannot be opened: <b>\"javascript:alert(1)\"</b>.");
  // A file beside the survey is sent; a missing one, or one that leads out of the survey's
  // folder, is not found.
  TWebResponse File = Show(5);
  ASSERT_TRUE(File.File);
  EXPECT_EQ(File.File->ReadAll(), "Q1. How old are you?");
  EXPECT_EQ(File.Header("Content-Disposition"), "inline; filename=\"quest.txt\"");
  const std::pair<int, const char*> NotFound[] = {{6, "gone.pdf"}, {7, "link.txt"}};
  for (const auto& [Index, Name] : NotFound) {
    TWebResponse R = Show(Index);
    EXPECT_EQ(R.ContentType, "text/html; charset=iso-8859-2");
    EXPECT_EQ(R.Body.find("<QuinPwd"), std::string::npos);
    // The page names the file, also one outside any subfolder.
    EXPECT_NE(I->ContentText->Text.find(std::string("File not found:<br>\"") + Name + "\"."),
              std::string::npos)
        << Index << ": " << I->ContentText->Text;
  }
  EXPECT_FALSE(I->SubItemSelNextButton->Enabled);

  // A new language keeps the entry chosen and opens nothing again.
  Show(3);
  P = Post(*I->LangLink, "click", {}, {{{I->SubItemComboBox->Id(), "3"}}});
  EXPECT_EQ(I->SubItemComboBox->ItemIndex(), 3);
  EXPECT_EQ(I->SubItemComboBox->Items[5].Text, "Dokumenty - Kwestionariusz");
  EXPECT_EQ(P.find("window.open("), std::string::npos);
  EXPECT_NE(I->ContentText->Text.find("Przechodzenie do adresu"), std::string::npos);
  Post(*I->LangLink, "click", {}, {{{I->SubItemComboBox->Id(), "3"}}});

  Post(*I->CancelButton, "click");
  EXPECT_EQ(Active(Sid), S);
  // A survey that cannot be read gives the alert and no page.
  Write(Guest + "other.zos", "damaged");
  P = PostWithChoice(*S->InfoButton, *S->AvailableSurveysList, 0);
  EXPECT_NE(P.find("alert('This survey cannot be opened:"), std::string::npos);
  EXPECT_EQ(Active(Sid), S);
}

TEST_F(ChoiceTest, ChoosingATemplateStartsItsStepsOnTheFirstDataBasisAndWeighting) {
  Write(Guest + "tiny.zos", TinySurveyBytes());
  LogOn();
  auto* W = ActiveAs<TPelWebWizForm>();
  ASSERT_TRUE(W);
  auto* Survey = As<TPelSurvey>(Module().Survey.get());
  TPelWizList* L = PelWizList(*Survey);
  ASSERT_TRUE(L && L->Count() == 3);
  auto Image = [&](TPelWebWizForm* F, int I) {
    return As<TWebImageFile>(
        As<TWebRegion>(F->AnalysisRegion->Controls()[2 * I].get())->Controls()[1].get());
  };
  Post(*Image(W, 1), "click");
  auto* Step = ActiveAs<TPelWebRWObjectForm_Form>();
  ASSERT_TRUE(Step);
  EXPECT_EQ(Module().WizardIndex, 1);
  TPelWiz* Wiz = L->GetItem(1);
  EXPECT_EQ(Wiz->BasedOn, Survey->DataBasedOnList->GetItem(0));
  EXPECT_EQ(Wiz->ParList->BasedOn, Survey->DataBasedOnList->GetItem(0));
  EXPECT_EQ(Wiz->ParList->Weight, Survey->Weights->Count() ? Survey->Weights->GetItem(0) : nullptr);
  EXPECT_EQ(Session(Sid).FormStack().size(), 1u);  // the template page went
  EXPECT_NE(Page(Sid).find(">Cross-tabs: "), std::string::npos);
  // Cancel returns to a new template page.
  EXPECT_FALSE(Step->PrevButton->Enabled);
  Post(*Step->CancelButton, "click");
  W = ActiveAs<TPelWebWizForm>();
  ASSERT_TRUE(W);
  // Through every step to the end: the report window of the new analysis.
  Post(*Image(W, 0), "click");
  for (int Guard = 0; Guard < 10 && ActiveAs<TPelWebRWObjectForm_Form>(); ++Guard) {
    Step = ActiveAs<TPelWebRWObjectForm_Form>();
    std::string Message;
    if (Step->Pane && !Step->Pane->Validate(Message)) {
      // The questions step needs a question.
      auto* Q = As<TPelWebParPaneQuestionsFrame>(Step->Pane);
      ASSERT_TRUE(Q) << Message;
      Post(*Q->AvailableTV, "item", "0");
      Post(*Q->AddButton, "click");
    }
    Post(*Step->NextButton, "click");
  }
  EXPECT_EQ(NewAnalyses, 1);
  EXPECT_TRUE(ActiveAs<TTestReportWindow>());
}

TEST_F(ChoiceTest, AClosingSurveyOutlivesTheReportWindowAndThePagesLeftOverIgnoreIt) {
  Write(Guest + "tiny.zos", TinySurveyBytes());
  Write(Guest + "other.zos", TinySurveyBytes());
  LogOn();
  auto* S = ActiveAs<TPelWebOpenSurveyForm>();
  ASSERT_TRUE(S);
  PostWithChoice(*S->OpenButton, *S->AvailableSurveysList, 1);
  ASSERT_TRUE(ActiveAs<TPelWebWizForm>());
  InSession([&] { ShowReportWindow(Module()); });
  auto* Window = ActiveAs<TTestReportWindow>();
  // Opening another survey from a page over the report window closes the window first.
  InSession([&] { return ShowFormOver(TPelWebOpenSurveyForm::StaticClass()); });
  S = ActiveAs<TPelWebOpenSurveyForm>();
  PostWithChoice(*S->OpenButton, *S->AvailableSurveysList, 0);
  EXPECT_TRUE(*WindowSawSurvey);
  EXPECT_FALSE(Module().ReportWindow);
  ASSERT_TRUE(ActiveAs<TPelWebWizForm>());

  // Log off from the report window itself: the window goes before the survey.
  *WindowSawSurvey = false;
  InSession([&] { ShowReportWindow(Module()); });
  Window = ActiveAs<TTestReportWindow>();
  ASSERT_TRUE(Window);
  Post(*Window->LogOffButton, "click");
  EXPECT_TRUE(*WindowSawSurvey);
  EXPECT_TRUE(ActiveAs<THobLogonForm>());
  EXPECT_FALSE(Module().Survey);

  // A template page left under a page that replaced it ("Logout" in the menu of the settings
  // page over it) outlives its survey; a new language passes it by.
  Post(*ActiveAs<THobLogonForm>()->DemoButton, "click");
  PostWithChoice(*ActiveAs<TPelWebOpenSurveyForm>()->OpenButton,
                 *ActiveAs<TPelWebOpenSurveyForm>()->AvailableSurveysList, 1);
  auto* Old = ActiveAs<TPelWebWizForm>();
  ASSERT_TRUE(Old);
  Post(*Old->IWMenu, "click", "1");  // settings
  auto* Prefs = ActiveAs<THobPrefsForm>();
  ASSERT_TRUE(Prefs);
  Post(*Prefs->IWMenu, "click", "0");  // logout: the logon page replaces the settings page
  Post(*ActiveAs<THobLogonForm>()->DemoButton, "click");
  PostWithChoice(*ActiveAs<TPelWebOpenSurveyForm>()->OpenButton,
                 *ActiveAs<TPelWebOpenSurveyForm>()->AvailableSurveysList, 1);
  ASSERT_NE(ActiveAs<TPelWebWizForm>(), Old);
  EXPECT_FALSE(Old->IsCurrent());
  ToggleLanguage();
  ToggleLanguage();
  // The session's end frees the window, then the survey.
  *WindowSawSurvey = false;
  InSession([&] { ShowReportWindow(Module()); });
  Server.reset();
  EXPECT_TRUE(*WindowSawSurvey);
}

TEST_F(ChoiceTest, EveryChoicePageHasItsHelpInBothLanguages) {
  fs::copy(QUIN_HELP_DIR, Files + "Help",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  Write(Guest + "tiny.zos", TinySurveyBytes());
  Write(Guest + "other.zos", TinySurveyBytes());
  Write(Guest + "tiny.reports/Weekly.zor", ReportText(""));
  LogOn();
  auto Help = [&]() {
    auto* F = As<TZepForm>(Active(Sid));
    Post(*F->IWMenu, "click", "2");
    auto* H = ActiveAs<THobHelpForm>();
    EXPECT_TRUE(H);
    if (!H) return std::make_pair(std::string(), std::string());
    std::string English = H->ContentText->Text;
    ToggleLanguage();
    std::string Polish = Iso88592ToCp1250(H->ContentText->Text);
    ToggleLanguage();
    Post(*H->CancelButton, "click");
    return std::make_pair(English, Polish);
  };
  auto Expect = [](const std::pair<std::string, std::string>& T, const char* English,
                   const char* Polish) {
    EXPECT_NE(T.first.find(English), std::string::npos) << T.first;
    EXPECT_NE(T.second.find(Cp1250(Polish)), std::string::npos) << T.second;
    EXPECT_EQ(T.first.find("Sorry"), std::string::npos);
  };
  Expect(Help(), "<h2>Open survey</h2>", "<h2>Otwórz badanie</h2>");
  auto* S = ActiveAs<TPelWebOpenSurveyForm>();
  PostWithChoice(*S->InfoButton, *S->AvailableSurveysList, 1);
  auto Info = Help();
  Expect(Info, "<h2>Survey information</h2>", "<h2>Informacje o badaniu</h2>");
  EXPECT_NE(Info.first.find("<b>&lt;</b> and <b>&gt;</b>"), std::string::npos);
  Post(*ActiveAs<TPelWebSurveyInfoForm>()->CancelButton, "click");
  PostWithChoice(*S->OpenButton, *S->AvailableSurveysList, 1);
  Expect(Help(), "<h2>Open report</h2>", "<h2>Otwórz raport</h2>");
  Post(*ActiveAs<TPelWebOpenReportForm>()->NewAnalysisButton, "click");
  Expect(Help(), "<h2>New analysis wizards</h2>", "<h2>Kreatory nowych analiz</h2>");
}

// ---- The demonstration survey's new analyses, as its template page starts them

class DemoRoadTest : public ChoiceTest {
 protected:
  void SetUp() override {
    ChoiceTest::SetUp();
    fs::create_directories(Guest);
    fs::copy_file(std::string(QUIN_DEMO_SURVEYS) + "/Guest/media2024.zos", Guest + "media2024.zos");
    LogOn();
  }
  TPelSurvey& Survey() { return *As<TPelSurvey>(Module().Survey.get()); }
  // Clicks the icon of the page's template Index (0 frequencies, 1 cross-tabs, 2 cross-tabs
  // with means); the template as its steps start.
  TPelWiz& Choose(int Index) {
    auto* W = ActiveAs<TPelWebWizForm>();
    EXPECT_TRUE(W);
    Post(*As<TWebImageFile>(
             As<TWebRegion>(W->AnalysisRegion->Controls()[2 * std::size_t(Index)].get())
                 ->Controls()[1]
                 .get()),
         "click");
    return *PelWizList(Survey())->GetItem(Index);
  }
  TPelParDefQuestions& QuestionsOf(TPelWiz& W, int N) {
    return *As<TPelParDefQuestions>(
        W.ParList->FindByClass(TPelParDefQuestions::StaticClass(), true, N));
  }
  TGimQuestion* Q(const char* ID) { return Survey().Data->FindQuestion(ID, false); }
  // A new analysis of the template, its first table calculated (as the report window does).
  TPelRepElemTable& Analyse(TPelWiz& W) {
    return *InSession([&] {
      Rep = std::make_unique<TPelRep>(&Survey());
      Analysis = static_cast<TPelRepElemAnalysis*>(
          Rep->Root()->AddChild(New<TPelRepElemAnalysis>(Rep->Root(), &Survey())));
      Analysis->FillFromWiz(W);
      auto* T = As<TPelRepElemTable>(Analysis->Child(0));
      T->Calculate();
      T->RefreshTexts();
      return T;
    });
  }
  // A column of the survey file, read plainly.
  std::vector<double> Column(const char* Name) {
    std::vector<double> V;
    Survey().PelRecset(0)->LoadColumn(Name, V);
    return V;
  }
  // The visible row whose row header reads Label; -1 when none.
  static int RowOf(const TPelRepElemTable& T, const std::string& Label) {
    for (int B = T.FirstDataRow; B < T.VisibleRowCount(); ++B)
      for (int A = 1; A < T.FirstDataCol; ++A)
        if (TrimChar(T.GetCellText(A, B), ' ') == Label) return B;
    return -1;
  }
  // The texts of a visible header line (row B), an empty one taking the text on its left.
  static std::vector<std::string> HeaderLine(const TPelRepElemTable& T, int B) {
    std::vector<std::string> L;
    std::string Last;
    for (int A = T.FirstDataCol; A < T.VisibleColCount(); ++A) {
      const std::string S = TrimChar(T.GetCellText(A, B), ' ');
      if (!S.empty()) Last = S;
      L.push_back(Last);
    }
    return L;
  }

  std::unique_ptr<TPelRep> Rep;
  TPelRepElemAnalysis* Analysis = nullptr;
};

// A new analysis counts with the survey's first weighting, the population weight: the women's
// share is the weighted one. The frequencies' default statistics show side by side: the
// weighted count and the column percent.
TEST_F(DemoRoadTest, FrequenciesAreWeightedAndShowTheCountsBesideThePercentages) {
  TPelWiz& W = Choose(0);
  ASSERT_TRUE(W.Weight);
  EXPECT_EQ(W.Weight->GetID(), "wgt");
  QuestionsOf(W, 0).Questions = {Q("sex")};
  TPelRepElemTable& T = Analyse(W);
  const std::vector<double> Sex = Column("sex"), Wgt = Column("wgt");
  ASSERT_EQ(Sex.size(), Wgt.size());
  double All = 0, Women = 0;
  int SampleWomen = 0;
  for (std::size_t I = 0; I < Sex.size(); ++I) {
    All += Wgt[I];
    Women += Sex[I] == 2 ? Wgt[I] : 0;
    SampleWomen += Sex[I] == 2;
  }
  // The weighting moves the share visibly.
  EXPECT_GT(double(SampleWomen) / double(Sex.size()) - Women / All, 0.02);

  std::vector<std::string> Letters;
  for (int A = 1; A < T.VisibleColCount(); ++A) Letters.push_back(T.GetCellText(A, 0));
  EXPECT_EQ(Letters, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(HeaderLine(T, 1), (std::vector<std::string>{"CntW", "Col %"}));
  const int Female = RowOf(T, "Female");
  ASSERT_GT(Female, 0);
  EXPECT_NEAR(T.GetCellValue(2, Female), Women, 1e-9 * All);
  EXPECT_NEAR(T.GetCellValue(3, Female), Women / All, 1e-12);
  char Pct[16];
  std::snprintf(Pct, sizeof Pct, "%.1f", 100 * Women / All);
  EXPECT_EQ(TrimChar(T.GetCellText(3, Female), ' '), Pct);
  const std::string Description = InSession([&] { return Analysis->GetDescription(0); });
  EXPECT_NE(Description.find("Data weighting: Population weight"), std::string::npos)
      << Description;
}

// The template's first table shows, beside the row percents, the mean of the numeric question
// in its columns for each response of the question in its rows.
TEST_F(DemoRoadTest, CrossTabsWithMeansShowTheMeanOfANumericQuestion) {
  TPelWiz& W = Choose(2);
  QuestionsOf(W, 0).Questions = {Q("age")};
  QuestionsOf(W, 1).Questions = {Q("sex")};
  TPelRepElemTable& T = Analyse(W);
  std::string Grid;
  for (int B = 0; B < T.VisibleRowCount(); ++B) {
    for (int A = 0; A < T.VisibleColCount(); ++A) Grid += "[" + T.GetCellText(A, B) + "]";
    Grid += "\n";
  }
  // Every visible cell holds a number or a label: nothing undefined, nothing without data,
  // and no header waits for a base.
  for (int B = 1; B < T.VisibleRowCount(); ++B)
    for (int A = 1; A < T.VisibleColCount(); ++A) {
      const std::string S = TrimChar(T.GetCellText(A, B), ' ');
      EXPECT_TRUE(S != "!DEF" && S != "--" && S.find("(N = )") == std::string::npos)
          << A << ", " << B << "\n"
          << Grid;
    }
  const std::vector<std::string> Outer = HeaderLine(T, 1);
  const auto Mean = std::find(Outer.begin(), Outer.end(), "Row Mean");
  ASSERT_NE(Mean, Outer.end()) << Grid;
  const int MeanCol = T.FirstDataCol + int(Mean - Outer.begin());
  const std::vector<double> Sex = Column("sex"), Age = Column("age"), Wgt = Column("wgt");
  for (int S = 1; S <= 2; ++S) {
    double Sum = 0, Weight = 0;
    for (std::size_t I = 0; I < Sex.size(); ++I)
      if (Sex[I] == S && Age[I] > -1e300) {
        Sum += Wgt[I] * Age[I];
        Weight += Wgt[I];
      }
    const int Row = RowOf(T, S == 1 ? "Male" : "Female");
    ASSERT_GT(Row, 0) << Grid;
    EXPECT_NEAR(T.GetCellValue(MeanCol, Row), Sum / Weight, 1e-9) << Grid;
  }
}

}  // namespace
}  // namespace quin
