// The report window through the request seam: a saved cross-tabulation with a wave layer, its
// numbers against a plain count of the records, layer changes, the menus in both languages,
// the chart pane's image, the print page and the session's folders, and the report
// parameters page of a report with a parameter file.
#include "web/repwindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/pelparwaves.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "base/orvstreams.h"
#include "base/orvstrings.h"
#include "platform/charset.h"
#include "platform/html.h"
#include "reports/pelchart.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "tests/platform/jpegdecode.h"
#include "tests/web/web_fixture.h"
#include "tools/surveywriter/zoswriter.h"
#include "tools/userswriter.h"
#include "web/exportform.h"
#include "web/logon.h"
#include "web/parstepform.h"
#include "web/reppanes.h"
#include "web/repparform.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

// The records: wave, education (1 low, 2 middle, 3 high), region (1 north, 2 south).
struct TRecord {
  int Wave, Edu, Reg;
};
const std::vector<TRecord> kRecords{{1, 1, 1}, {1, 2, 1}, {1, 3, 2}, {1, 1, 2},
                                    {1, 2, 1}, {2, 2, 2}, {2, 3, 1}, {2, 1, 1},
                                    {2, 2, 2}, {2, 3, 2}, {2, 3, 2}};

// The plain count of the records of Wave with Edu and Reg.
int CountOf(int Wave, int Edu, int Reg) {
  int N = 0;
  for (const TRecord& R : kRecords) N += R.Wave == Wave && R.Edu == Edu && R.Reg == Reg;
  return N;
}

std::string Definition(bool Demo) {
  return "def environ languages = plk, enu; end;\r\n"
         "def survey namespace = ns; id = s1; name = \"<PLK>Badanie<ENU>Survey\"; " +
         std::string(Demo ? "demo = 1; " : "") + "wizards = general; " +
         "end;\r\n"
         "def recordset id = resp; name = \"Respondents\";\r\n"
         "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
         "end;\r\n"
         "def waves\r\n"
         "  def wave id = w1; name = \"W1 <&>\"; end;\r\n"
         "  def wave id = w2; name = \"W2\"; end;\r\n"
         "end;\r\n"
         "def data\r\n"
         "  def question id = edu; name = \"Education\";\r\n"
         "    def responseList column = edu;\r\n"
         "      def response id = low; name = \"Low\"; code = 1; end;\r\n"
         "      def response id = mid; name = \"Middle\"; code = 2; end;\r\n"
         "      def response id = high; name = \"High & <b>\"; code = 3; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "  def question id = reg; name = \"Region\";\r\n"
         "    def responseList column = reg;\r\n"
         "      def response id = north; name = \"North\"; code = 1; end;\r\n"
         "      def response id = south; name = \"South\"; code = 2; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "end;\r\n";
}

std::string SurveyBytes(bool Demo) {
  std::vector<TSwSurveyWave> Waves;
  for (int W = 1; W <= 2; ++W) {
    std::vector<double> Edu, Reg;
    for (const TRecord& R : kRecords)
      if (R.Wave == W) {
        Edu.push_back(R.Edu);
        Reg.push_back(R.Reg);
      }
    TSwSurveyWave Wave;
    Wave.Records = static_cast<int32_t>(Edu.size());
    Wave.Columns.push_back({"edu", Edu, {}});
    Wave.Columns.push_back({"reg", Reg, {}});
    Waves.push_back(Wave);
  }
  return SurveyFileBytes(Definition(Demo), {{"resp", Waves}});
}

// A report of one analysis (education, region, counts, waves one item each) whose table shows
// education by region and counts with the waves as the layer; Extra goes into the table.
std::string CrossReport(const std::string& Extra = "", const std::string& Title = "") {
  return "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}\";\r\nversion = 1;\r\n"
         "def report\r\n  survey = s1@ns;\r\n" +
         (Title.empty() ? "" : "  title = \"" + Title + "\";\r\n") +
         "  def analysis\r\n"
         "    def parameters\r\n"
         "      def varList list = edu; end;\r\n"
         "      def varList list = reg; end;\r\n"
         "      def statList list = cntA; end;\r\n"
         "      def waveList def subpar list = w1; end; def subpar list = w2; end; end;\r\n"
         "    end;\r\n"
         "    dataBasedOn = resp;\r\n"
         "    def table\r\n"
         "      rowParams = 0; colParams = 1, 2; layerParams = 3;\r\n" +
         Extra +
         "    end;\r\n"
         "  end;\r\n"
         "end;\r\n";
}

// The texts of the rows of the first table in Html (tags and blanks dropped, entities
// decoded).
std::vector<std::vector<std::string>> TableRows(const std::string& Html) {
  std::vector<std::vector<std::string>> Rows;
  size_t P = Html.find("<table class=main");
  if (P == std::string::npos) return Rows;
  const size_t End = Html.find("</table>", P);
  while ((P = Html.find("<tr>", P)) != std::string::npos && P < End) {
    const size_t RowEnd = Html.find("</tr>", P);
    std::vector<std::string> Cells;
    size_t C = P;
    while ((C = Html.find("<td", C)) != std::string::npos && C < RowEnd) {
      const size_t Open = Html.find('>', C) + 1;
      const size_t Close = Html.find("</td>", Open);
      std::string Raw = Html.substr(Open, Close - Open), Text;
      for (size_t I = 0; I < Raw.size(); ++I) {
        if (Raw[I] == '<') {
          I = Raw.find('>', I);
          continue;
        }
        Text += Raw[I];
      }
      Text = ReplaceText(Text, "&nbsp;", "");
      Text = ReplaceText(ReplaceText(ReplaceText(Text, "&lt;", "<"), "&gt;", ">"), "&amp;", "&");
      Cells.push_back(TrimChar(Text, ' '));
      C = Close;
    }
    Rows.push_back(Cells);
    P = RowEnd;
  }
  return Rows;
}

// The row whose header is Label; empty when none.
std::vector<std::string> RowOf(const std::vector<std::vector<std::string>>& Rows,
                               const std::string& Label) {
  for (const auto& R : Rows)
    if (std::find(R.begin(), R.end(), Label) != R.end()) return R;
  return {};
}

std::string ReadAll(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream S;
  S << In.rdbuf();
  return S.str();
}

class RepWindowTest : public test::TWebAppTest {
 protected:
  void SetUp() override {
    TWebAppTest::SetUp();
    Write(Files + "Quin.pwd", UsersFileXml({{"qazo", "qazo", "Guest", "Guest"}}));
  }
  template <class F>
  auto InSession(F Fn) {
    TWebSessionBinding Bind(Session);
    TLangManagerBinding Lang(Module(Sid).LangManager.get());
    return Fn();
  }
  // The survey (and its reports) in place, the server started, the demonstration user logged
  // on and the survey open.
  void Start(bool Demo = false) {
    Write(Files + "Surveys/Guest/s1.zos", SurveyBytes(Demo));
    StartServer();
    Sid = Open({{{"lang", "en"}}});
    Session = Sessions.at(Sid);
    auto* F = As<THobLogonForm>(Session->ActiveForm());
    ASSERT_TRUE(F);
    Fire(Sid, *F->DemoButton, "click");
    bool Opened = InSession([&] { return Module(Sid).OpenSurvey("s1.zos"); });
    ASSERT_TRUE(Opened) << Page(Sid);
    InSession([&] { Module(Sid).ListReports(); });
  }
  void WriteReport(const std::string& Name, const std::string& Text) {
    Write(Files + "Surveys/Guest/s1.reports/" + Name, Text);
  }
  // Opens the saved report Name in its window, shown in place of the active page.
  TPelWebRepWindowForm* OpenReport(const std::string& Name) {
    return InSession([&] {
      Module(Sid).ListReports();
      TPelWebRepWindowForm* W = CreateSavedReportWindow(Module(Sid), Name);
      if (W) Session->ReplaceActiveForm(W);
      return W;
    });
  }
  TPelWebRepWindowForm* Window() { return As<TPelWebRepWindowForm>(Active(Sid)); }
  // Clicks the menu item at Path ("3.1": the fourth top item's second item).
  std::string Menu(const std::string& Path) { return Post(*Window()->IWMenu, "click", Path); }
  // The path of Item in the window's menu.
  std::string PathOf(const TWebMenuItem* Item) {
    std::string P;
    for (const TWebMenuItem* I = Item; I->Parent(); I = I->Parent()) {
      const TWebMenuItem* Up = I->Parent();
      int K = 0;
      while (Up->Items()[K].get() != I) ++K;
      P = std::to_string(K) + (P.empty() ? "" : "." + P);
    }
    return P;
  }
  // Chooses the layer item Index of the first layer selector.
  std::string ChooseLayer(int Index) {
    TPelWebParComboBox* C = Window()->LayerCombos.at(0);
    TWebValues V;
    V.Add(C->Id(), std::to_string(Index));
    return Post(*C, "change", "", std::move(V));
  }
  std::string CurrentId() { return Session->Id(); }
  // An event of C as a browser sends it: the values of the page's lists as they stand, unless
  // Over gives a list's value.
  TWebValues WithPageValues(TWebValues Over) {
    TWebValues V = Over;
    Active(Sid)->ForEachControl([&](TWebControl& C) {
      auto* L = As<TWebListBox>(&C);
      if (!L || !L->IsActive() || Over.Find(L->Id())) return;
      for (int I : L->SelectedIndices()) V.Add(L->Id(), std::to_string(I));
    });
    return V;
  }
  std::string Post(const TWebControl& C, const std::string& Kind, const std::string& Arg = {},
                   TWebValues Over = {}) {
    return Fire(Sid, C, Kind, Arg, WithPageValues(std::move(Over)));
  }

  std::string Sid;
  TWebSession* Session = nullptr;
};

// The element's information is the element's description in its HTML form: the statistics'
// significance markers show as the images the table's cells carry.
TEST_F(RepWindowTest, InformationShowsTheSignificanceMarkersAsImages) {
  std::string Report = CrossReport();
  const std::string Stats = "def statList list = cntA; end;";
  Report.replace(Report.find(Stats), Stats.size(), "def statList list = cntA; sigMeans = 1; end;");
  WriteReport("cross.zor", Report);
  Start();
  ASSERT_TRUE(OpenReport("cross.zor"));
  const std::string P = Page(Sid);
  EXPECT_NE(P.find("Significant differences between means are marked with <img "
                   "src=\"/Files/Quin/DownRed.gif\"> and <img src=\"/Files/Quin/UpGreen.gif\">"),
            std::string::npos)
      << P;
  EXPECT_EQ(P.find("&quot;-&quot; and &quot;+&quot;"), std::string::npos);
}

TEST_F(RepWindowTest, CrossTabShowsPlainCountsAndRecalculatesOnALayerChange) {
  WriteReport("cross.zor", CrossReport());
  Start();
  ASSERT_TRUE(OpenReport("cross.zor"));
  std::string P = Page(Sid);
  // One layer selector for the waves, on wave 1; the element list holds the table alone.
  ASSERT_EQ(Window()->LayerCombos.size(), 1u);
  EXPECT_EQ(Window()->LayerCombos[0]->ItemIndex(), 0);
  EXPECT_EQ(Window()->SubItemComboBox->Count(), 1);
  EXPECT_NE(P.find(">cross</span>"), std::string::npos) << "subtitle: the file name";
  for (int Wave : {1, 2}) {
    SCOPED_TRACE(Wave);
    if (Wave == 2) P = ChooseLayer(1);
    const auto Rows = TableRows(P);
    // A survey text reaches the cell escaped and reads back as it was.
    EXPECT_NE(P.find("High &amp; &lt;b&gt;"), std::string::npos);
    // A survey text in the element's information is escaped as well; the selected wave is
    // named once, after its caption.
    if (Wave == 1) {
      EXPECT_NE(P.find(">Selected waves: W1 &lt;&amp;&gt;<br>"), std::string::npos);
      EXPECT_EQ(P.find("Other waves"), std::string::npos);
    }
    EXPECT_EQ(P.find("W1 <&>"), std::string::npos);
    const std::vector<std::pair<std::string, int>> Edu{
        {"Low", 1}, {"Middle", 2}, {"High & <b>", 3}};
    for (const auto& [Label, Code] : Edu) {
      const auto R = RowOf(Rows, Label);
      ASSERT_GE(R.size(), 2u) << Label;
      // The last two cells: North, South.
      EXPECT_EQ(R[R.size() - 2], std::to_string(CountOf(Wave, Code, 1))) << Label;
      EXPECT_EQ(R[R.size() - 1], std::to_string(CountOf(Wave, Code, 2))) << Label;
    }
  }
  EXPECT_EQ(Window()->Table->ParSelections->GetSelected(Window()->LayerCombos[0]->Par), 1);
}

TEST_F(RepWindowTest, MenusAndTextsInBothLanguages) {
  WriteReport("cross.zor", CrossReport("", "Readers & <i>"));
  WriteReport("other.zor", CrossReport());
  Start(true);
  ASSERT_TRUE(OpenReport("cross.zor"));
  struct TCase {
    const char* Lang;
    std::vector<const char*> Texts;
  };
  const std::vector<TCase> Cases{
      {"enu",
       {">Survey<", ">Information...<", ">Report<", ">Open...<", ">Print/copy...<", ">Export...<",
        "Close the current report?", ">Parameters<", ">Edit...<", "Warning<br>",
        "This is a demonstration version of the survey.<br>Results are based"}},
      {"plk",
       {">Badanie<", ">Informacje...<", ">Raport<", ">Otwórz...<", ">Drukuj/kopiuj...<",
        ">Eksportuj...<", "Zamknąć aktualny raport?", ">Parametry<", ">Edytuj...<",
        "Ostrzeżenie<br>", "To jest wersja demonstracyjna badania.<br>Wyniki oparte"}}};
  std::string P = Page(Sid);
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Lang);
    if (std::string(C.Lang) == "plk") P = Post(*Window()->LangLink, "click");
    for (const char* T : C.Texts) EXPECT_NE(P.find(Cp1250(T)), std::string::npos) << T;
    // The report's title is the subtitle, escaped.
    EXPECT_NE(P.find("Readers &amp; &lt;i&gt;"), std::string::npos);
    // One survey: no survey opening or closing; no parameter file: no "Edit all...".
    EXPECT_FALSE(Window()->SurveyOpenMenu->Visible);
    EXPECT_FALSE(Window()->SurveyCloseMenu->Visible);
    EXPECT_FALSE(Window()->ParAllMenu->Visible);
    EXPECT_TRUE(Window()->RepOpenMenu->Visible);
  }
  // The edit submenu lists the editable parameters one by one, but the two question lists share
  // a submenu named after their class (the waves are not edited on the web).
  ASSERT_TRUE(Window()->EditMenuItem);
  const TWebMenuItem& Edit = *Window()->EditMenuItem;
  ASSERT_EQ(Edit.Count(), 2);
  EXPECT_EQ(Edit[0].Tag, -1);
  EXPECT_EQ(Edit[0].Count(), 2);
  EXPECT_EQ(Edit[0].Caption, Cp1250("Pytania"));
  EXPECT_EQ(Edit[1].Count(), 0);
}

TEST_F(RepWindowTest, ChartPaneWritesAJpegServedOnlyToItsSession) {
  WriteReport("cross.zor", CrossReport("      def chart title = \"Readers\"; end;\r\n"));
  Start();
  ASSERT_TRUE(OpenReport("cross.zor"));
  // The table, then its chart, captioned with the table's caption before its own.
  ASSERT_EQ(Window()->SubItemComboBox->Count(), 2);
  EXPECT_NE(Window()->SubItemComboBox->Items[1].Text.find(" - Readers"), std::string::npos);
  std::string P = Post(*Window()->SubItemSelNextButton, "click");
  auto* Pane = As<TPelWebRepPaneChartFrame>(Window()->CurrentPane());
  ASSERT_TRUE(Pane);
  const std::string File = Pane->ChartImage->FileName;
  EXPECT_EQ(File, Files + "TMPCharts/" + CurrentId() + "/Chart" +
                      std::to_string(Pane->ImageNumber) + ".jpg");
  const std::string Jpeg = ReadAll(File);
  TBitmap B;
  ASSERT_TRUE(jpegtest::Decode(Jpeg, B));
  EXPECT_EQ(B.Width, 686);
  EXPECT_EQ(B.Height, 387);
  // Quality 80: the standard luminance table's first entry 16 at 40 percent.
  EXPECT_EQ(JpegQuantTables(Jpeg)[0].at(0), 6);
  // The page shows it under a random name of its own: neither the session's identifier nor
  // the chart's number is in its address.
  const std::size_t At = P.find("/Files/Quin/TMPCharts/");
  ASSERT_NE(At, std::string::npos);
  const std::string Url = P.substr(At, std::string("/Files/Quin/TMPCharts/").size() + 32 + 4);
  EXPECT_EQ(Url.substr(Url.size() - 4), ".jpg");
  EXPECT_EQ(Url.find(CurrentId()), std::string::npos);
  EXPECT_EQ(P.find("/Chart" + std::to_string(Pane->ImageNumber)), std::string::npos);
  TWebResponse R = Server->Handle({"GET", Url, {}});
  EXPECT_EQ(R.Status, 200);
  ASSERT_TRUE(R.File);
  EXPECT_EQ(R.File->ReadAll(), Jpeg);
  // The file's place on disk is no address.
  EXPECT_EQ(Server
                ->Handle({"GET",
                          "/Files/Quin/TMPCharts/" + CurrentId() + "/Chart" +
                              std::to_string(Pane->ImageNumber) + ".jpg",
                          {}})
                .Status,
            404);
  std::string Other = Url;
  Other.replace(Other.size() - 36, 32, std::string(32, 'a'));
  EXPECT_EQ(Server->Handle({"GET", Other, {}}).Status, 404);

  // Printing the chart gives a page with the image's address.
  Menu(PathOf(Window()->RepPrintMenu));
  const std::string Report = ReadAll(Files + "TMPReports/" + CurrentId() + "/report.html");
  EXPECT_NE(Report.find("<img src=\"" + Url + "\">"), std::string::npos) << Report;
}

TEST_F(RepWindowTest, PrintPageIsWrittenServedAndDeletedWithTheSession) {
  WriteReport("cross.zor", CrossReport());
  Start();
  ASSERT_TRUE(OpenReport("cross.zor"));
  Page(Sid);
  const std::string Id = CurrentId();
  TWebResponse Answer = FireResponse(Sid, *Window()->IWMenu, "click",
                                     PathOf(Window()->RepPrintMenu), WithPageValues({}));
  // The page opens the print in a new window, at an address that does not name the session.
  const std::string Open = "window.open('";
  const std::size_t At = Answer.Body.find(Open);
  ASSERT_NE(At, std::string::npos);
  const std::string Url = Answer.Body.substr(
      At + Open.size(), Answer.Body.find('\'', At + Open.size()) - At - Open.size());
  EXPECT_EQ(Url.rfind("/FilesNC/Quin/TMPReports/", 0), 0u) << Url;
  EXPECT_EQ(Url.find(Id), std::string::npos) << Url;
  EXPECT_NE(Answer.Body.find(Open + Url + "','_blank','noopener')"), std::string::npos);
  EXPECT_EQ(Server->Handle({"GET", "/FilesNC/Quin/TMPReports/" + Id + "/report.html", {}}).Status,
            404);
  const std::string File = Files + "TMPReports/" + Id + "/report.html";
  const std::string Html = ReadAll(File);
  EXPECT_NE(Html.find("<table class=main"), std::string::npos);
  EXPECT_NE(Html.find("<b>Comments</b>"), std::string::npos);
  EXPECT_NE(Html.find(".main { font-family: arial, helvetica; font-size: 11px;"),
            std::string::npos);
  TWebResponse R = Server->Handle({"GET", Url, {}});
  EXPECT_EQ(R.Status, 200);
  ASSERT_TRUE(R.File);
  EXPECT_EQ(R.File->ReadAll(), Html);
  EXPECT_EQ(R.Header("Cache-Control"), "no-store");
  // Printing again replaces the one page of the session.
  ChooseLayer(1);
  Menu(PathOf(Window()->RepPrintMenu));
  EXPECT_NE(ReadAll(File), Html);
  EXPECT_EQ(std::distance(fs::directory_iterator(Files + "TMPReports/" + Id), {}), 1);

  // The session ends: its folders go, and nothing is served any more.
  Server.reset();
  EXPECT_FALSE(fs::exists(Files + "TMPReports/" + Id));
  EXPECT_FALSE(fs::exists(Files + "TMPCharts/" + Id));
}

TEST_F(RepWindowTest, LogoutDeletesTheSessionFolders) {
  WriteReport("cross.zor", CrossReport());
  Start();
  ASSERT_TRUE(OpenReport("cross.zor"));
  Page(Sid);
  Menu(PathOf(Window()->RepPrintMenu));
  const std::string Id = CurrentId();
  ASSERT_TRUE(fs::exists(Files + "TMPReports/" + Id + "/report.html"));
  Menu(PathOf(Window()->LogoutMenu));
  EXPECT_FALSE(fs::exists(Files + "TMPReports/" + Id));
  EXPECT_EQ(Module(Sid).ReportWindow, nullptr);
}

TEST_F(RepWindowTest, ExportMenuOpensTheExportPageWithTheCurrentElementChosen) {
  WriteReport("cross.zor", CrossReport());
  Start();
  ASSERT_TRUE(OpenReport("cross.zor"));
  Page(Sid);
  TPelRepElem* Current = Window()->CurrentElem;
  TPelRep* Report = Window()->Report.get();
  ASSERT_TRUE(Current);
  const std::string P = Menu(PathOf(Window()->RepExportMenu));
  auto* Export = As<TPelWebExportForm>(Active(Sid));
  ASSERT_TRUE(Export) << P;
  EXPECT_EQ(Export->Preselected, Current);
  EXPECT_EQ(Export->Report, Report);
  EXPECT_NE(P.find("Select elements to export"), std::string::npos);
}

TEST_F(RepWindowTest, ElementListShowsTablesAndChartsCaptionedWithTheirAnalysis) {
  const std::string Analysis =
      "  def analysis title = \"%s\";\r\n"
      "    def parameters def varList list = edu; end; def statList list = cntA; end; end;\r\n"
      "    dataBasedOn = resp;\r\n"
      "    def table title = \"Table\"; rowParams = 0; colParams = 1; end;\r\n"
      "  end;\r\n";
  std::string Text = CrossReport();
  Text.insert(Text.rfind("end;"),
              ReplaceText(Analysis, "%s", "First") + ReplaceText(Analysis, "%s", "Second"));
  WriteReport("two.zor", Text);
  Start();
  ASSERT_TRUE(OpenReport("two.zor"));
  std::vector<std::string> Captions;
  for (const TWebListItem& It : Window()->SubItemComboBox->Items) Captions.push_back(It.Text);
  EXPECT_EQ(Captions,
            (std::vector<std::string>{"Analysis - Table 1", "First - Table", "Second - Table"}));
  // Moving to the second analysis's table calculates it; its layer selectors are its own.
  TWebValues V;
  V.Add(Window()->SubItemComboBox->Id(), "2");
  Post(*Window()->SubItemComboBox, "change", "", std::move(V));
  EXPECT_EQ(Window()->CurrentElem->GetCaption(), "Table");
  EXPECT_TRUE(Window()->Table->Calculated);
  EXPECT_TRUE(Window()->LayerCombos.empty());
  EXPECT_FALSE(Window()->LayersRegion->Visible);
}

// Which saved parameters an analysis parameter takes over: waves whose every selection is one
// chosen wave, and target groups whose first conditions ask the same question.
TEST_F(RepWindowTest, SavedParametersMatchWavesOfOneWaveAndGroupsOnOneQuestion) {
  Start();
  struct TCase {
    const char* Saved;
    const char* Par;
    bool Match;
  };
  const std::vector<TCase> Cases{
      {"def waveList def subpar list = w1; end; def subpar list = w2; end; end;",
       "def waveList def subpar list = w2; end; end;", true},
      // The saved parameter's own selections are not looked at.
      {"def waveList def subpar all = 1; end; end;", "def waveList def subpar list = w1; end; end;",
       true},
      {"def waveList def subpar list = w1; end; end;",
       "def waveList def subpar list = w1, w2; end; end;", false},
      {"def waveList def subpar list = w1; end; end;", "def waveList def subpar all = 1; end; end;",
       false},
      {"def groupList def subpar expr = edu = low; end; end;",
       "def groupList def subpar expr = all; end; def subpar expr = edu = high; end; end;", true},
      {"def groupList def subpar expr = edu = low; end; end;",
       "def groupList def subpar expr = reg = north; end; end;", false},
      {"def groupList def subpar expr = all; end; end;",
       "def groupList def subpar expr = edu = low; end; end;", false},
      {"def varList list = edu; end;", "def varList list = edu; end;", false},
      {"def waveList def subpar list = w1; end; end;",
       "def groupList def subpar expr = edu = low; end; end;", false},
  };
  InSession([&] {
    auto* Survey = As<TPelSurvey>(Module(Sid).Survey.get());
    for (const TCase& C : Cases) {
      SCOPED_TRACE(std::string(C.Saved) + " / " + C.Par);
      TPelRWObjectFile Saved(Survey), Mine(Survey);
      TMemoryStream A{std::string_view(C.Saved)}, B{std::string_view(C.Par)};
      Saved.ReadFromStream(A);
      Mine.ReadFromStream(B);
      auto* S = As<TPelPar>(Saved.Elems.GetItem(0)->Obj.get());
      auto* P = As<TPelPar>(Mine.Elems.GetItem(0)->Obj.get());
      ASSERT_TRUE(S && P);
      EXPECT_EQ(TPelWebRepWindowForm::SavedParMatchesAnalysisPar(S, P), C.Match);
    }
  });
}

// A new analysis from a template: the steps open the window, a single edit recalculates, and a
// parameter removed in the edit leaves the tables.
TEST_F(RepWindowTest, NewAnalysisOpensFromTheStepsAndFollowsEdits) {
  Start();
  TPelWebRepWindowHooks Saved = PelWebRepWindowHooks();
  PelWebRepWindowHooks().FillFromWizard = [](THobSessionModule& M, TPelRepElemAnalysis& A) {
    auto* Survey = As<TPelSurvey>(M.Survey.get());
    TPelRWObjectFile F(Survey);
    TMemoryStream S{std::string_view(
        "def varList list = edu; end; def varList list = reg; end; "
        "def statList list = cntA; end; "
        "def waveList def subpar list = w1; end; def subpar list = w2; end; end;")};
    F.ReadFromStream(S);
    // As the template page leaves them: the first data basis and weighting.
    A.Parameters->BasedOn = Survey->DataBasedOnList->GetItem(0);
    A.Parameters->Weight = Survey->Weights->GetItem(0);
    for (int I = 0; I < F.Elems.Count(); ++I)
      A.Parameters->AddPar(
          std::unique_ptr<TPelPar>(static_cast<TPelPar*>(F.Elems.GetItem(I)->Obj.release())));
    auto T = New<TPelRepElemTable>(&A, Survey);
    T->AddRowPar(A.Parameters->GetItem(0), false);
    T->AddColPar(A.Parameters->GetItem(1), false);
    T->AddColPar(A.Parameters->GetItem(2), false);
    T->AddLayerPar(A.Parameters->GetItem(3), false);
    A.AddChild(std::move(T));
  };
  const bool Opened = InSession([&] { return PelWebStepHooks().OpenReportWindow(Module(Sid)); });
  PelWebRepWindowHooks() = Saved;
  ASSERT_TRUE(Opened);
  ASSERT_TRUE(Window());
  EXPECT_TRUE(Window()->FromWizard);
  EXPECT_EQ(Module(Sid).ReportWindow, Window());
  std::string P = Page(Sid);
  EXPECT_NE(P.find(">Analysis</span>"), std::string::npos) << "the subtitle";
  auto Low = RowOf(TableRows(P), "Low");
  ASSERT_GE(Low.size(), 2u);
  EXPECT_EQ(Low[Low.size() - 1], std::to_string(CountOf(1, 1, 2)));
  ASSERT_EQ(Window()->LayerCombos.size(), 1u);

  // The edit of the waves took out the first wave: the window recalculates.
  TPelRepElemAnalysis* A = Window()->Analysis;
  auto* Waves = As<TPelParWaves>(A->Parameters->GetItem(3));
  InSession([&] {
    Waves->DeleteSubPar(0);
    PelWebStepHooks().RefreshAfterEdit(Module(Sid));
  });
  Low = RowOf(TableRows(Page(Sid)), "Low");
  ASSERT_GE(Low.size(), 2u);
  EXPECT_EQ(Low[Low.size() - 1], std::to_string(CountOf(2, 1, 2)));

  // An edit that empties the waves removes them: the table has no layer, the selectors go.
  InSession([&] {
    RemoveParFromAnalysis(Module(Sid), Waves);
    PelWebStepHooks().RefreshAfterEdit(Module(Sid));
  });
  EXPECT_EQ(Window()->Table->LayerParams->Count(), 0);
  EXPECT_TRUE(Window()->LayerCombos.empty());
  EXPECT_FALSE(Window()->LayersRegion->Visible);
  Low = RowOf(TableRows(Page(Sid)), "Low");
  ASSERT_GE(Low.size(), 2u);
  EXPECT_EQ(Low[Low.size() - 1], std::to_string(CountOf(1, 1, 2) + CountOf(2, 1, 2)));
}

// A report with its parameter file: the window offers the saved parameters.
class RepParTest : public RepWindowTest {
 protected:
  // The saved waves parameter: each sub-parameter one selected wave.
  static std::string Zop() {
    return "def waveList name = \"Waves\";\r\n"
           "  def subpar list = w1; end;\r\n"
           "  def subpar list = w2; end;\r\n"
           "end;\r\n";
  }
};

TEST_F(RepParTest, SavedParametersGiveButtonsAndTheParametersPageHidesWaves) {
  WriteReport("cross.zor", CrossReport());
  WriteReport("cross.zop", Zop());
  Start();
  ASSERT_TRUE(OpenReport("cross.zor"));
  TPelWebRepWindowForm* W = Window();
  ASSERT_TRUE(W->ParFile);
  std::string P = Page(Sid);
  EXPECT_TRUE(W->LayerCombos.empty());
  ASSERT_TRUE(W->ParamButton);
  ASSERT_EQ(W->ParButtons.size(), 1u);
  EXPECT_EQ(W->ParButtons[0]->Top, 36);
  EXPECT_TRUE(W->ParAllMenu->Visible);

  // "Edit all..." shows one frame per saved parameter, its sub-parameters all selected.
  Post(*W->ParamButton, "click");
  auto* F = As<TPelWebRepParForm>(Active(Sid));
  ASSERT_TRUE(F);
  ASSERT_EQ(F->Frames.size(), 1u);
  TWebListBox& L = *F->Frames[0]->ValuesListBox;
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.SelectedIndices(), (std::vector<int>{0, 1}));
  // Nothing selected leaves the parameter as it was; selecting the second hides the first.
  for (auto [Chosen, Hidden0, Hidden1] :
       std::vector<std::tuple<std::string, bool, bool>>{{"", false, false}, {"1", true, false}}) {
    if (!As<TPelWebRepParForm>(Active(Sid))) Post(*Window()->ParamButton, "click");
    F = As<TPelWebRepParForm>(Active(Sid));
    TWebValues V;
    if (!Chosen.empty()) V.Add(F->Frames[0]->ValuesListBox->Id(), Chosen);
    // A list with nothing chosen posts no value.
    P = Chosen.empty() ? Fire(Sid, *F->RecalcButton, "click", "", std::move(V))
                       : Post(*F->RecalcButton, "click", "", std::move(V));
    ASSERT_EQ(Window(), W);
    auto* Saved = As<TPelParWaves>(W->ParFile->Elems.GetItem(0)->Obj.get());
    EXPECT_EQ(Saved->SubPar(0)->Hidden, Hidden0);
    EXPECT_EQ(Saved->SubPar(1)->Hidden, Hidden1);
    // The analysis's waves took the saved values and kept their own identities.
    auto* Mine = As<TPelParWaves>(W->Analysis->Parameters->GetItem(3));
    EXPECT_EQ(Mine->SubPar(0)->Hidden, Hidden0);
    EXPECT_NE(Mine->SubPar(0)->GUID, Saved->SubPar(0)->GUID);
  }
  // A parameter button shows its one parameter; the entries chosen survive a language change.
  Post(*Window()->ParButtons[0], "click");
  F = As<TPelWebRepParForm>(Active(Sid));
  ASSERT_TRUE(F);
  ASSERT_EQ(F->Frames.size(), 1u);
  EXPECT_EQ(F->Frames[0]->Top, 0);
  TWebValues Chosen;
  Chosen.Add(F->Frames[0]->ValuesListBox->Id(), "0");
  Post(*F->LangLink, "click", "", std::move(Chosen));
  EXPECT_EQ(F->Frames[0]->ValuesListBox->SelectedIndices(), std::vector<int>{0});
  EXPECT_EQ(F->RecalcButton->Caption, "Przelicz");
  Post(*F->CancelButton, "click");
  ASSERT_EQ(Window(), W);
  P = Post(*W->LangLink, "click");

  // Only wave 2 is left as the layer: the table counts wave 2.
  const auto R = RowOf(TableRows(P), "Low");
  ASSERT_GE(R.size(), 2u);
  EXPECT_EQ(R[R.size() - 2], std::to_string(CountOf(2, 1, 1)));
}

}  // namespace
}  // namespace quin
