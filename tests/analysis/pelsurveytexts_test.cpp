// The texts that describe a survey: the report header lines, the root of the information
// pages and the HTML summary, in both languages, with the survey's texts escaped in HTML.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/orvdates.h"
#include "base/text.h"
#include "survey_files.h"
#include "surveykit/merenviron.h"
#include "tests/support/tempfolder.h"
#include "tools/demosurvey/demosurvey.h"

namespace quin {
namespace {

using namespace quin::test;
namespace fs = std::filesystem;

// A web session in Code: separators and date patterns follow the language; the survey's texts
// are shown in the same language.
struct TSession {
  std::unique_ptr<TOrvLangManager> Manager;
  TLangManagerBinding Binding;
  TSession(const char* Code, TPelSurvey& Survey)
      : Manager(New<TOrvLangManager>(Code)), Binding(Manager.get()) {
    Manager->SetSeparatorsByLanguage(true);
    Survey.Environ->LangManager->SetLanguage(Code);
  }
};

struct TSurveyDef {
  std::string Languages = "enu, plk";
  std::string InfoLines;
  std::string Weights;  // the "weights" block's body; none without
  std::string WavesLines;
  int Waves = 3;
  bool Panel = false;
};

// Waves from 2005/1/3 on, a month each.
std::string SurveyDef(const TSurveyDef& O) {
  std::string S = "def environ languages = " + O.Languages +
                  "; end;\r\n"
                  "def survey namespace = ns; id = s1; wizards = table1d;\r\n"
                  "  name = \"<PLK>Badanie prasy<ENU>Press survey\";\r\n" +
                  O.InfoLines +
                  "end;\r\n"
                  "def recordset id = resp; name = \"<PLK>Respondenci<ENU>Respondents\";\r\n"
                  "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\nend;\r\n";
  if (O.Panel)
    S += "def recordset id = pan; name = \"Panel <p>\"; join = id;\r\n"
         "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\nend;\r\n";
  if (!O.Weights.empty()) S += "def weights " + O.Weights + " end;\r\n";
  S += "def waves " + O.WavesLines + "\r\n";
  for (int W = 1; W <= O.Waves; ++W)
    S += "  def wave id = w" + std::to_string(W) + "; dateStart = 2005/" + std::to_string(W) +
         "/3; dateEnd = 2005/" + std::to_string(W) + "/28; end;\r\n";
  return S + "end;\r\ndef data end;\r\n";
}

// Records per wave, with the weight column "wgt".
TSwSurveyRecset Records(const char* Name, const std::vector<int>& PerWave) {
  TSwSurveyRecset R{Name, {}};
  for (int N : PerWave)
    R.Waves.push_back(
        Wave({{"id", std::vector<double>(N, 1)}, {"wgt", std::vector<double>(N, 1.5)}}));
  return R;
}

// The survey file in a folder of its own, opened from there.
struct TSurveyFile {
  TTempFolder Dir;
  fs::path Path = Dir.Path() / "small.zos";
  std::unique_ptr<TPelSurvey> Survey;
  explicit TSurveyFile(const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary)
        .write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    Survey = New<TPelSurvey>(Path.string(), 1);
    Survey->LoadFromFile(Path.string());
  }
  std::string SizeKB() const { return std::to_string(fs::file_size(Path) / 1024) + " kB"; }
};

class SurveyTexts : public testing::Test {
 protected:
  // Reports are prepared on 20 October 2024 at 10:00.
  void SetUp() override {
    SetDateClock([] { return EncodeDate(2024, 10, 20) + 10.0 / 24; });
  }
  void TearDown() override { SetDateClock({}); }
};

TSwSurveyOptions DatedNoon() {
  TSwSurveyOptions O;
  O.DataDate = EncodeDate(2005, 3, 1) + 0.5;
  return O;
}

TEST_F(SurveyTexts, SummaryOfOneRecordSetInThreeWavesWithTheOwnerEscaped) {
  TSurveyDef D;
  D.InfoLines = "  owner = \"<PLK>Dom & \"\"Syn\"\"<ENU>House & \"\"Son\"\" <Ltd>\";\r\n";
  D.Weights = "noWeight = 1;";
  TSurveyFile F(SurveyFileBytes(SurveyDef(D), {Records("resp", {1000, 1000, 1001})}, DatedNoon()));
  TSession English("enu", *F.Survey);
  const std::string Head =
      "Survey name: <b>Press survey</b><br>"
      "Survey owner: <b>House &amp; &quot;Son&quot; &lt;Ltd&gt;</b><br>"
      "Survey namespace: <b>ns</b><br>Survey identifier: <b>s1</b><br><br>"
      "File name: <b>small.zos</b><br>";
  const std::string Tail = "File size: <b>" + F.SizeKB() +
                           "</b><br>"
                           "Data prepared: <b>3/1/2005 12:00:00 PM</b><br>"
                           "<br>Number of waves: <b>3</b><br>"
                           "Number of cases: <b>3001</b>, mean per wave: <b>1000</b>"
                           "<br><br>"
                           "<b>Data not weighted</b><br>"
                           "<br>"
                           "Available languages for this survey: <br>"
                           "&nbsp;&nbsp;<b>English</b><br>&nbsp;&nbsp;<b>Polish</b><br><br>";
  std::string Text;
  F.Survey->GetDataSummaryText(1, Text);
  EXPECT_EQ(Text, Head + Tail);
  // Not plain: the font tag first, and the folder after the file name.
  F.Survey->GetDataSummaryText(0, Text);
  EXPECT_EQ(Text, "<font face=\"MS Sans Serif\" size=1>" + Head + "Folder: <b>" +
                      F.Dir.Path().string() + "/</b><br>" + Tail);
}

TEST_F(SurveyTexts, PolishSummaryOfRecordSetsWeightingsAndDemonstrationData) {
  TSurveyDef D;
  D.Languages = "plk, enu";
  D.InfoLines = "  owner = \"<PLK>Dom & \"\"Syn\"\"<ENU>House\"; demo = 1;\r\n";
  D.Weights =
      "noWeight = 1; population = 1234567;\r\n"
      "  def weight id = w1; name = \"<PLK>Waga <A><ENU>Weight <A>\"; population = 2500000;"
      " column = wgt; end;\r\n"
      "  def weight id = w2; name = \"Druga\"; column = wgt; end;\r\n";
  D.WavesLines = "minSelCount = 2;";
  D.Waves = 2;
  D.Panel = true;
  // Kept in memory: the file "s.zos" does not exist, so there is no size line.
  TOpened<> S(SurveyFileBytes(SurveyDef(D), {Records("resp", {2, 3}), Records("pan", {2, 1})},
                              DatedNoon()));
  TSession Polish("plk", *S.Survey);
  std::string Text;
  S.Survey->GetDataSummaryText(1, Text);
  EXPECT_EQ(Text, Cp1250("Nazwa badania: <b>Badanie prasy</b><br>"
                         "Właściciel badania: <b>Dom &amp; &quot;Syn&quot;</b><br>"
                         "Przestrzeń nazw badania: <b>ns</b><br>"
                         "Identyfikator badania: <b>s1</b><br><br>"
                         "Nazwa pliku: <b>s.zos</b><br>"
                         "Dane przygotowane: <b>2005-03-01 12:00:00</b><br>"
                         "<br>Liczba fal: <b>2</b><br>"
                         "Minimalna liczba fal w analizach: <b>2</b><br>"
                         "<br>Zbiory danych:"
                         "<br>&nbsp;&nbsp;<b>Respondenci</b><br>"
                         "&nbsp;&nbsp;Liczba przypadków: <b>5</b>, średnio na falę: <b>2</b>"
                         "<br>&nbsp;&nbsp;<b>Panel &lt;p&gt;</b><br>"
                         "&nbsp;&nbsp;Liczba przypadków: <b>3</b>, średnio na falę: <b>1</b>"
                         "<br><br>"
                         "Dane nie ważone: <b>dostępne</b>, populacja: 1 234 567<br>"
                         "Wagi analityczne:<br>"
                         "&nbsp;&nbsp;<b>Waga &lt;A&gt;</b>, populacja: 2 500 000<br>"
                         "&nbsp;&nbsp;<b>Druga</b><br>"
                         "<br>"
                         "<font color=\"#880000\"><b>To jest wersja demonstracyjna badania.<br>"
                         "Wyniki oparte są na niereprezentatywnych danych i nie powinny podlegać "
                         "statystycznej interpretacji.</b></font><br><br>"
                         "Badanie jest dostępne w następujących językach: <br>"
                         "&nbsp;&nbsp;<b>polski</b><br>&nbsp;&nbsp;<b>angielski</b><br><br>"));
}

TEST_F(SurveyTexts, WeightingBlockOfEachKindOfWeightList) {
  struct TCase {
    const char* Weights;
    const char* Block;
  };
  const TCase Cases[] = {
      // Without a weights block the reader adds "off".
      {"", "<b>Data not weighted</b><br>"},
      {"noWeight = 1; population = 50;", "<b>Data not weighted</b><br>"},
      {"def weight id = w; name = \"Weight\"; column = wgt; end;",
       "Non-weighted data: <b>not available</b><br>Analytical weight: <b>Weight</b><br>"},
      {"noWeight = 1; def weight id = w; name = \"Weight\"; population = 999.5; column = wgt; end;",
       "Non-weighted data: <b>available</b><br>"
       "Analytical weight: <b>Weight</b>, population: 1,000<br>"},
  };
  for (const TCase& C : Cases) {
    TSurveyDef D;
    D.Weights = C.Weights;
    D.Waves = 1;
    TOpened<> S(SurveyFileBytes(SurveyDef(D), {Records("resp", {4})}));
    TSession English("enu", *S.Survey);
    std::string Text;
    S.Survey->GetDataSummaryText(1, Text);
    // One wave: no mean per wave; the block lies between the case line and the languages.
    EXPECT_NE(Text.find(std::string("Number of cases: <b>4</b><br><br>") + C.Block +
                        "<br>Available languages"),
              std::string::npos)
        << C.Weights << "\n"
        << Text;
  }
}

TEST_F(SurveyTexts, ReportHeaderLinesAppendInTheSessionLanguage) {
  TSurveyDef D;
  D.Waves = 2;
  TOpened<> S(SurveyFileBytes(SurveyDef(D), {Records("resp", {1, 1})}, DatedNoon()));
  using V = std::vector<std::string>;
  {
    TSession Polish("plk", *S.Survey);
    V Lines{"x"};
    S.Survey->GetReportHeaderLines(Lines);
    EXPECT_EQ(Lines, (V{"x", "Badanie: Badanie prasy", "Realizacja: 2005-01-03 - 2005-02-28", "",
                        "Dane przetworzone: 2005-03-01", "Raport przygotowany: 2024-10-20", ""}));
  }
  TSession English("enu", *S.Survey);
  V Lines;
  S.Survey->GetReportHeaderLines(Lines);
  EXPECT_EQ(Lines, (V{"Survey: Press survey", "Fieldwork: 1/3/2005 - 2/28/2005", "",
                      "Data processed: 3/1/2005", "Report prepared: 10/20/2024", ""}));
}

TEST_F(SurveyTexts, InfoRootPageNamesTheOwnerEscaped) {
  TSurveyDef D;
  D.InfoLines = "  owner = \"<PLK>Dom <i><ENU>House <i>\";\r\n";
  TOpened<> S(SurveyFileBytes(SurveyDef(D), {Records("resp", {1, 1, 1})}));
  TSession English("enu", *S.Survey);
  S.Survey->PrepareInfoRootPage();
  const TMerInfoPage& Root = S.Survey->Info->RootPage();
  EXPECT_EQ(Root.Name, "Survey information");
  EXPECT_EQ(Root.Text,
            "The following pages show detailed information<br>about the currently opened "
            "survey.<br><br>If needed information is not found there,<br>please contact the "
            "survey owner: <b>House &lt;i&gt;</b>");
  TSession Polish("plk", *S.Survey);
  S.Survey->PrepareInfoRootPage();
  EXPECT_EQ(Root.Name, "Informacje o badaniu");
  EXPECT_EQ(Root.Text,
            Cp1250("Kolejne strony przedstawiają dokładne informacje<br>o aktualnie otwartym "
                   "badaniu.<br><br>Jeżeli nie można znaleźć potrzebnych informacji,<br>proszę "
                   "się kontaktować z właścicielem badania: <b>Dom &lt;i&gt;</b>"));
}

TEST_F(SurveyTexts, TheDemonstrationSurvey) {
  const fs::path Path = fs::path(QUIN_DEMO_SURVEYS) / "Guest" / "media2024.zos";
  auto Survey = New<TPelSurvey>(Path.string(), 1);
  Survey->LoadFromFile(Path.string());
  TSession English("enu", *Survey);
  std::vector<std::string> Lines;
  Survey->GetReportHeaderLines(Lines);
  EXPECT_EQ(Lines,
            (std::vector<std::string>{
                "Survey: Media usage habits in Poland 2024", "Fieldwork: 3/4/2024 - 9/29/2024", "",
                "Data processed: 10/15/2024", "Report prepared: 10/20/2024", "", "Warning",
                "This is a demonstration version of the survey.",
                "Results are based on non-representative data and should not be subject "
                "to statistical analysis.",
                ""}));
  // The viewing records the generator drew, in both waves.
  std::ifstream Params(QUIN_DEMO_DIR "/params.txt", std::ios::binary);
  std::stringstream ParamsText;
  ParamsText << Params.rdbuf();
  const TDemoParams P = TDemoParams::Parse(ParamsText.str());
  int Views = 0;
  for (const TDemoWave& W : GenerateDemoMedia(P, GenerateDemoSurvey(P)).Views) Views += W.Records;
  std::string Text;
  Survey->GetDataSummaryText(1, Text);
  EXPECT_EQ(Text,
            "Survey name: <b>Media usage habits in Poland 2024</b><br>"
            "Survey owner: <b>Quinview - demonstration data</b><br>"
            "Survey namespace: <b>quinview</b><br>Survey identifier: <b>media2024</b><br><br>"
            "File name: <b>media2024.zos</b><br>"
            "File size: <b>" +
                std::to_string(fs::file_size(Path) / 1024) +
                " kB</b><br>"
                "Data prepared: <b>10/15/2024</b><br>"
                "<br>Number of waves: <b>2</b><br>"
                "<br>Record sets:<br>"
                "&nbsp;&nbsp;<b>Respondents</b><br>"
                "&nbsp;&nbsp;Number of cases: <b>5000</b>, mean per wave: <b>2500</b><br>"
                "&nbsp;&nbsp;<b>Television viewing</b><br>"
                "&nbsp;&nbsp;Number of cases: <b>" +
                std::to_string(Views) + "</b>, mean per wave: <b>" + std::to_string(Views / 2) +
                "</b><br><br>"
                "Non-weighted data: <b>available</b><br>"
                "Analytical weight: <b>Population weight</b>, population: 31,620,000<br>"
                "<br>"
                "<font color=\"#880000\"><b>This is a demonstration version of the survey.<br>"
                "Results are based on non-representative data and should not be subject to "
                "statistical analysis.</b></font><br><br>"
                "Available languages for this survey: <br>"
                "&nbsp;&nbsp;<b>Polish</b><br>&nbsp;&nbsp;<b>English</b><br><br>");
}

}  // namespace
}  // namespace quin
