// The export page: its list of report elements, and what a click on Export sends: the
// workbook packed into a ZIP archive when 7-Zip is installed, the workbook itself otherwise,
// nothing when nothing was written.
#include "web/exportform.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelsurvey.h"
#include "base/orvstreams.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/pelrepexport.h"
#include "reports/peltable.h"
#include "tests/support/tempfolder.h"
#include "tests/support/xlsxread.h"
#include "tests/web/analysis_fixture.h"

namespace quin::test {
namespace {

namespace fs = std::filesystem;

// Children by number of children (0, 1 or 2) and sex, in one wave, counted plainly.
std::string TinyReport() {
  return "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}\";\r\nversion = 1;\r\n"
         "def report\r\n  survey = tiny@ns;\r\n"
         "  def analysis\r\n"
         "    def parameters\r\n"
         "      def varList list = kidsno; end;\r\n"
         "      def varList list = sex; end;\r\n"
         "      def statList list = cntW; end;\r\n"
         "      def waveList def subpar list = w1; end; end;\r\n"
         "    end;\r\n"
         "    def table rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n"
         "      def chart end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "end;\r\n";
}

class ExportPageTest : public TAnalysisPageTest {
 protected:
  void SetUp() override {
    TAnalysisPageTest::SetUp();
    if (HasFatalFailure()) return;
    InSession([&] {
      auto Rep = std::make_unique<TPelRep>(&Survey());
      const std::string Text = TinyReport();
      TMemoryStream M{std::string_view(Text)};
      TOrvMsgList Msgs;
      Rep->LoadFromStream(M, &Msgs);
      Report = Rep.get();
      Table = As<TPelRepElemTable>(Report->Root()->Child(0)->Child(0));
      Table->Calculate();
      Module().Report = std::move(Rep);
      ShowExportPage(Table, *Report);
    });
    Page(Sid);
    Form = ActiveAs<TPelWebExportForm>();
  }
  // Clicks Export with the entries Chosen, the contents box ticked and the markers box ticked
  // unless told otherwise.
  TWebResponse Export(std::vector<int> Chosen, bool Markers = true) {
    TWebValues V;
    for (int I : Chosen) V.Add(Form->TOCListBox->Id(), std::to_string(I));
    V.Add(Form->TOCCheckBox->Id(), "on");
    if (Markers) V.Add(Form->SigCheckBox->Id(), "on");
    return FireResponse(Sid, *Form->ExportButton, "click", {}, std::move(V));
  }
  std::string Folder() const { return App + "Files/TMPReports/" + Session->Id() + "/"; }
  static std::string Saved(const std::string& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
    return Path;
  }
  // The saved workbook's sheet names and a few cells.
  void ExpectWorkbook(const std::string& File) {
    test::TXlsxReader W(File);
    EXPECT_EQ(W.Query("xl/workbook.xml", "//x:sheet/@name"),
              (std::vector<std::string>{"Intro", "TOC", "Analysis_1", "A1_Table1"}));
    EXPECT_EQ(W.CellValue("Intro", "A1"), "Introduction");
    EXPECT_EQ(W.CellValue("TOC", "A1"), "Table of contents");
    EXPECT_EQ(W.CellValue("TOC", "B3"), "Analysis_1");
    EXPECT_EQ(W.CellValue("TOC", "B4"), "A1_Table1");
    // Counted from the fixture's columns.
    int Women1 = 0, Men0 = 0;
    for (size_t I = 0; I < kTinySex.size(); ++I) {
      Women1 += kTinySex[I] == 2 && kTinyKids[I] == 1;
      Men0 += kTinySex[I] == 1 && kTinyKids[I] == 0;
    }
    // Rows: caption, empty, "Sex", Male/Female, the question's title, none, one, two.
    EXPECT_EQ(W.CellValue("A1_Table1", "B6"), std::to_string(Men0));
    EXPECT_EQ(W.CellValue("A1_Table1", "C7"), std::to_string(Women1));
  }

  TPelRep* Report = nullptr;
  TPelRepElemTable* Table = nullptr;
  TPelWebExportForm* Form = nullptr;
};

TEST_F(ExportPageTest, ListsEveryElementByLevelWithTheOneChosenFirst) {
  ASSERT_NE(Form, nullptr);
  ASSERT_EQ(Form->TOCListBox->Count(), 3);
  EXPECT_EQ(Form->TOCListBox->Items[0].Text, "Analysis");
  EXPECT_EQ(Form->TOCListBox->Items[1].Text, " - Table 1");
  EXPECT_EQ(Form->TOCListBox->Items[2].Text, " -  - Chart");
  EXPECT_EQ(Form->TOCListBox->SelectedIndices(), std::vector<int>{1});
  EXPECT_TRUE(Form->TOCCheckBox->Checked);
  EXPECT_TRUE(Form->SigCheckBox->Checked);
  const std::string Html = Page(Sid);
  EXPECT_NE(Html.find("Select elements to export"), std::string::npos);
  EXPECT_NE(Html.find("Create table of contents"), std::string::npos);
  // The selection survives a change of language (the browser posts it along).
  TWebValues V;
  V.Add(Form->TOCListBox->Id(), "1");
  Post(*Form->LangLink, "click", {}, std::move(V));
  EXPECT_EQ(Form->TOCListBox->Items[0].Text, "Analiza");
  EXPECT_EQ(Form->TOCListBox->SelectedIndices(), std::vector<int>{1});
}

TEST_F(ExportPageTest, UntickedSignificanceMarkersStayOutOfTheWorkbook) {
  ASSERT_NE(Form, nullptr);
  ASSERT_TRUE(Table->StatsPar());
  Table->StatsPar()->SigPct = true;
  // Every count marked as significantly higher.
  for (int C = Table->FirstDataCol; C < Table->ColCount; ++C)
    for (int R = Table->FirstDataRow; R < Table->RowCount; ++R)
      if (TPelRes* Cell = Table->CellAt(C, R)) Cell->SigMark = 1;
  for (bool Markers : {true, false}) {
    SCOPED_TRACE(Markers);
    Export({1}, Markers);
    EXPECT_FALSE(Form->SigCheckBox->Checked && !Markers);
    test::TXlsxReader W(Folder() + "Report.xlsx");
    const std::string Format = W.CellNumberFormat("A1_Table1", "B6");
    EXPECT_EQ(Format, Markers ? "#,##0\\ +" : "#,##0");
  }
}

TEST_F(ExportPageTest, SendsTheWorkbookPackedIntoAZipArchive) {
  if (FindZipProgram().empty()) GTEST_SKIP() << "7-Zip is not installed";
  ASSERT_NE(Form, nullptr);
  const TWebResponse R = Export({0, 1});
  EXPECT_EQ(R.ContentType, "application/zip");
  EXPECT_NE(R.Header("Content-Disposition").find("filename=\"Report.zip\""), std::string::npos);
  test::TTempFolder Dir;
  ASSERT_TRUE(R.File);
  test::TXlsxReader Zip(Saved(Dir.File("got.zip"), R.File->ReadAll()));
  EXPECT_EQ(Zip.EntryNames(), std::vector<std::string>{"Report.xlsx"});
  ExpectWorkbook(Saved(Dir.File("inner.xlsx"), Zip.Entry("Report.xlsx")));
  EXPECT_TRUE(fs::exists(Folder() + "Report.xlsx"));
  // The page's texts are finished for the page again: "&" marks go, letters are recoded.
  EXPECT_TRUE(Module().GetLangManager()->Hook);
}

TEST_F(ExportPageTest, WithoutTheArchiverTheWorkbookGoesOutAndTheLastOneIsKept) {
  ASSERT_NE(Form, nullptr);
  test::TTempFolder NoPrograms;
  const char* Old = getenv("PATH");
  const std::string SavedPath = Old ? Old : "";
  setenv("PATH", NoPrograms.Path().c_str(), 1);
  Export({0, 1});
  const TWebResponse Second = Export({0, 1});
  setenv("PATH", SavedPath.c_str(), 1);
  EXPECT_EQ(Second.ContentType,
            "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
  EXPECT_NE(Second.Header("Content-Disposition").find("filename=\"Report.xlsx\""),
            std::string::npos);
  test::TTempFolder Dir;
  ASSERT_TRUE(Second.File);
  ExpectWorkbook(Saved(Dir.File("got.xlsx"), Second.File->ReadAll()));
  EXPECT_TRUE(fs::exists(Folder() + "Report.~xlsx"));
  EXPECT_FALSE(fs::exists(Folder() + "Report.zip"));
}

TEST_F(ExportPageTest, NothingChosenSendsNothingNotEvenAnEarlierWorkbook) {
  ASSERT_NE(Form, nullptr);
  const TWebResponse First = Export({1});
  ASSERT_NE(First.ContentType.find("text/html"), 0u);
  const TWebResponse None = Export({});
  EXPECT_EQ(None.ContentType, "text/html; charset=iso-8859-2");
  EXPECT_NE(Iso88592ToCp1250(None.Body).find(
                "To export a report to Excel, you must select at least one element."),
            std::string::npos);
  EXPECT_TRUE(None.Header("Content-Disposition").empty());
  // An export that fails (here the workbook's place is taken by a folder) alerts and sends
  // nothing either; the language hooks are back afterwards.
  fs::remove(Folder() + "Report.xlsx");
  fs::create_directories(Folder() + "Report.xlsx/x");
  const TWebResponse Failed = Export({1});
  EXPECT_EQ(Failed.ContentType, "text/html; charset=iso-8859-2");
  EXPECT_NE(Failed.Body.find("alert("), std::string::npos);
  EXPECT_TRUE(Failed.Header("Content-Disposition").empty());
  EXPECT_TRUE(Module().GetLangManager()->Hook);
}

// Every Polish letter, small and capital, in the survey's texts, a table's title and the
// statistic's label ("Liczebność waż."): a Polish session has calculated the table for its
// pages, and the workbook still gets every letter as it is. Its chart mixes counts and
// percentages.
class ExportLettersTest : public TAnalysisPageTest {
 protected:
  static constexpr const char* kSmall = "ąćęłńóśźż";
  static constexpr const char* kCapital = "ĄĆĘŁŃÓŚŹŻ";
  void SetUp() override {
    TAnalysisPageTest::SetUp();
    if (HasFatalFailure()) return;
    const std::string Definition =
        "def environ languages = plk, enu; end;\r\n"
        "def survey namespace = ns; id = letters; name = \"<PLK>Litery<ENU>Letters\"; "
        "wizards = general; end;\r\n"
        "def recordset id = resp; name = \"R\";\r\n"
        "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
        "end;\r\n"
        "def waves def wave id = w1; name = \"W1\"; end; end;\r\n"
        "def data\r\n"
        "  def question id = lit; name = \"Pytanie " +
        std::string(kSmall) +
        "\";\r\n"
        "    def responseList column = lit;\r\n"
        "      def response id = s; name = \"" +
        kSmall +
        "\"; code = 1; end;\r\n"
        "      def response id = c; name = \"" +
        kCapital +
        "\"; code = 2; end;\r\n"
        "    end;\r\n"
        "  end;\r\n"
        "end;\r\n";
    TSwSurveyWave W;
    W.Records = 3;
    W.Columns.push_back({"lit", {1, 2, 1}, {}});
    Write(Files + "Surveys/Guest/letters.zos",
          SurveyFileBytes(Cp1250(Definition), {{"resp", {W}}}));
    ToggleLanguage();
    ASSERT_EQ(Module().LangManager->Current(), "plk");
    InSession([&] {
      ASSERT_TRUE(Module().OpenSurvey("letters.zos"));
      auto Rep = std::make_unique<TPelRep>(&Survey());
      const std::string Text = Cp1250(
          "def report survey = letters@ns;\r\n"
          "  def analysis\r\n"
          "    def parameters\r\n"
          "      def varList list = lit; end;\r\n"
          "      def statList list = cntW, pctCol; end;\r\n"
          "    end;\r\n"
          "    def table title = \"Tabela " +
          std::string(kSmall) + " " + kCapital +
          "\"; rowParams = 0; colParams = 1;\r\n"
          "      def chart seriesIn = columns; end;\r\n"
          "    end;\r\n"
          "  end;\r\n"
          "end;\r\n");
      TMemoryStream M{std::string_view(Text)};
      TOrvMsgList Msgs;
      Rep->LoadFromStream(M, &Msgs);
      Report = Rep.get();
      auto* Table = As<TPelRepElemTable>(Report->Root()->Child(0)->Child(0));
      // Calculated and shown for a Polish page: the table's texts are the page's.
      Table->Calculate();
      Table->RefreshTexts();
      Module().Report = std::move(Rep);
      ShowExportPage(Table, *Report);
    });
    Page(Sid);
    Form = As<TPelWebExportForm>(Session->ActiveForm());
  }
  TPelRep* Report = nullptr;
  TPelWebExportForm* Form = nullptr;
};

TEST_F(ExportLettersTest, ReachTheTableTheChartAndTheContentsSheetsAsTheyAre) {
  ASSERT_NE(Form, nullptr);
  ASSERT_EQ(Form->TOCListBox->Count(), 3);
  TWebValues V;
  for (int I : {0, 1, 2}) V.Add(Form->TOCListBox->Id(), std::to_string(I));
  V.Add(Form->TOCCheckBox->Id(), "on");
  test::TTempFolder NoPrograms;
  const char* Old = getenv("PATH");
  const std::string SavedPath = Old ? Old : "";
  setenv("PATH", NoPrograms.Path().c_str(), 1);
  const TWebResponse R = FireResponse(Sid, *Form->ExportButton, "click", {}, std::move(V));
  setenv("PATH", SavedPath.c_str(), 1);
  test::TTempFolder Dir;
  const std::string File = Dir.File("letters.xlsx");
  ASSERT_TRUE(R.File);
  std::ofstream(File, std::ios::binary) << R.File->ReadAll();
  test::TXlsxReader W(File);
  const std::string Small = kSmall, Capital = kCapital;
  EXPECT_EQ(W.Query("xl/workbook.xml", "//x:sheet/@name"),
            (std::vector<std::string>{"Intro", "TOC", "Analiza_1", "A1_Tabela1", "A1T1_Wykres1",
                                      "ChartData"}));
  // The table sheet: its caption, the statistic's label and both responses.
  std::vector<std::string> Cells;
  for (const char* Col : {"A", "B"})
    for (int Row = 1; Row <= 8; ++Row)
      Cells.push_back(W.CellValue("A1_Tabela1", std::string(Col) + std::to_string(Row)));
  auto Has = [](const std::vector<std::string>& L, const std::string& S) {
    return std::find(L.begin(), L.end(), S) != L.end();
  };
  EXPECT_TRUE(Has(Cells, Small)) << ::testing::PrintToString(Cells);
  EXPECT_TRUE(Has(Cells, Capital)) << ::testing::PrintToString(Cells);
  EXPECT_TRUE(Has(Cells, "Liczebność waż.")) << ::testing::PrintToString(Cells);
  EXPECT_TRUE(Has(Cells, "Pytanie " + Small)) << ::testing::PrintToString(Cells);
  // The chart sheet: its categories, its series and its title.
  const std::vector<std::string> Charts = W.ChartEntries();
  ASSERT_EQ(Charts.size(), 1u);
  const auto Categories = W.Query(Charts[0], "//c:cat//c:v");
  EXPECT_TRUE(Has(Categories, "Pytanie " + Small + ": " + Small) || Has(Categories, Small))
      << ::testing::PrintToString(Categories);
  std::string Chart = W.Entry(Charts[0]);
  EXPECT_NE(Chart.find(Capital), std::string::npos);
  EXPECT_NE(Chart.find("Liczebność waż."), std::string::npos);
  // Titled with the chart's full caption; its series of counts and of percentages share an
  // automatic value axis, so no count is cut at 100.
  EXPECT_NE(Chart.find("Analiza - Wykres"), std::string::npos);
  EXPECT_EQ(W.Query(Charts[0], "//c:valAx/c:scaling/c:max"), std::vector<std::string>{});
  // The contents sheet lists the table and the chart with their captions.
  std::vector<std::string> Contents;
  for (int Row = 3; Row <= 5; ++Row)
    Contents.push_back(W.CellValue("TOC", "A" + std::to_string(Row)));
  EXPECT_TRUE(Has(Contents, "Analiza - Tabela " + Small + " " + Capital))
      << ::testing::PrintToString(Contents);
}

}  // namespace
}  // namespace quin::test
