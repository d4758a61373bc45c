// The worksheets that analyses and pivot tables write into an exported workbook: values placed
// as numbers, the pivot look (spans, yellow headers, formats per run, markers, frozen headers)
// and the line in the contents sheet; and the saved workbook as LibreOffice shows it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "analysis/pelres.h"
#include "base/langmanager.h"
#include "reports/orvexcel.h"
#include "reports/pelrepanalysis.h"
#include "tests/reports/table_fixture.h"
#include "tests/support/libreoffice.h"
#include "tests/support/tempfolder.h"

namespace quin::test {
namespace {

constexpr TXlColor Yellow = TXlColor::FromRgb(0xFFFF00);

std::string EduByRegion(const std::string& Axes =
                            "rowParams = 0; colParams = 1; "
                            "layerParams = 2, 3;",
                        const std::string& StatOptions = "") {
  return TableReport("      " + Axes + "\r\n", "cntW, pctCol", StatOptions);
}

std::vector<std::string> Split(const std::string& S, const std::string& Sep) {
  std::vector<std::string> Parts;
  size_t From = 0;
  for (size_t At; (At = S.find(Sep, From)) != std::string::npos; From = At + Sep.size())
    Parts.push_back(S.substr(From, At - From));
  Parts.push_back(S.substr(From));
  return Parts;
}

const TXlCell* Cell(const TXlWorksheet& S, int Row, int Col) { return S.FindCell(Row, Col); }

double NumberAt(const TXlWorksheet& S, int Row, int Col) {
  const TXlCell* C = Cell(S, Row, Col);
  EXPECT_TRUE(C && C->Kind == TXlCell::TKind::Number) << Row << "," << Col;
  return C ? C->Number : -1;
}

std::string TextAt(const TXlWorksheet& S, int Row, int Col) {
  const TXlCell* C = Cell(S, Row, Col);
  return C && C->Kind == TXlCell::TKind::Text ? C->Text : "";
}

TEST(TableSheet, TheTextBecomesCellsShapedAsThePivotTable) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(EduByRegion());
  T.Calculate();
  TOrvExcel Excel;
  TXlWorksheet& Contents = *Excel.GetWorksheet(1);
  TXlSheet* Made = T.ExportToExcel(Excel, &Contents, 0, 3);
  ASSERT_NE(Made, nullptr);
  ASSERT_EQ(Made->Kind(), TXlSheetKind::Worksheet);
  const TXlWorksheet& S = *static_cast<TXlWorksheet*>(Made);
  EXPECT_EQ(S.Name(), "A1_Table1");

  // Rows: caption, empty, "Region", North/South, the "Education" title, Low, Middle, High.
  EXPECT_EQ(TextAt(S, 1, 1), "Analysis - Table 1");
  EXPECT_TRUE(S.CellFormat(1, 1).Bold);
  EXPECT_EQ(S.CellFormat(1, 1).FontSize, 12);
  const TXlDefinedName* Name = Excel.Workbook().FindName("A1_Table1");
  ASSERT_NE(Name, nullptr);
  EXPECT_EQ(Name->Sheet, &S);
  EXPECT_EQ(XlRangeRef(Name->Range), "A1");
  EXPECT_EQ(TextAt(S, 3, 2), "Region");
  EXPECT_EQ(TextAt(S, 4, 2), "North");
  EXPECT_EQ(TextAt(S, 5, 1), "Education");
  EXPECT_TRUE(S.CellFormat(5, 1).Bold);  // the question's title
  EXPECT_FALSE(S.CellFormat(6, 1).Bold);
  // The weighted counts of wave 1 (the layers' first items), numbers in the sheet.
  for (int Edu = 1; Edu <= 3; ++Edu)
    for (int Reg = 1; Reg <= 2; ++Reg) {
      SCOPED_TRACE(std::to_string(Edu) + "/" + std::to_string(Reg));
      const double Expected = WeightOf(
          [&](const TTableRecord& R) { return R.Wave == 1 && R.Edu == Edu && R.Reg == Reg; });
      EXPECT_EQ(NumberAt(S, 5 + Edu, 1 + Reg), Expected);
      EXPECT_EQ(S.CellFormat(5 + Edu, 1 + Reg).NumberFormat, "#,##0");
      EXPECT_EQ(S.CellFormat(5 + Edu, 1 + Reg).HAlign, TXlHAlign::Right);
      EXPECT_FALSE(S.CellFormat(5 + Edu, 1 + Reg).FillColor);
    }
  // The header span over the columns and the corner are merged; headers are yellow.
  std::vector<std::string> Merges;
  for (const TXlRange& R : S.Merges()) Merges.push_back(XlRangeRef(R));
  EXPECT_EQ(Merges, (std::vector<std::string>{"A3:A4", "B3:C3"}));
  for (auto [Row, Col] : {std::pair{3, 1}, {3, 3}, {4, 2}, {5, 1}, {9, 1}})
    EXPECT_EQ(S.CellFormat(Row, Col).FillColor, Yellow) << Row << "," << Col;
  EXPECT_EQ(S.CellFormat(3, 2).HAlign, TXlHAlign::Center);
  EXPECT_EQ(S.CellFormat(6, 1).HAlign, TXlHAlign::Left);
  // Headers stay when scrolling: frozen at the first data cell.
  EXPECT_EQ(S.FrozenAt(), (std::pair{5, 2}));
  // The fourth element links itself from row 6 of the contents.
  const TXlHyperlink* Link = Contents.FindHyperlink(6, 1);
  ASSERT_NE(Link, nullptr);
  EXPECT_EQ(Link->SubAddress, "A1_Table1");
  EXPECT_EQ(TextAt(Contents, 6, 1), "Analysis - Table 1");
  EXPECT_EQ(TextAt(Contents, 6, 2), "A1_Table1");
  EXPECT_TRUE(S.Hyperlinks().empty());
}

TEST(TableSheet, FormatsFollowTheStatisticsAxisAndMarkersFollowTheNumbers) {
  // Statistics on the rows: a count row and a column-percentage row per education, formats
  // run across the rows. In a Polish session the masks keep the spreadsheet's own grammar.
  TTableSurvey F;
  auto Polish = New<TOrvLangManager>("plk");
  Polish->SetSeparatorsByLanguage(true);
  TLangManagerBinding Bound(Polish.get());
  ASSERT_EQ(Polish->FormatSettings.DecimalSeparator, ',');
  TPelRepElemTable& T =
      F.Read(EduByRegion("rowParams = 0, 2; colParams = 1; layerParams = 3;", " sigPct = 1;"));
  T.Calculate();
  // A significance mark on the first percentage cell and on the first count.
  const int A = T.FirstDataCol;
  int PctRow = -1, CntRow = -1;
  for (int B = T.FirstDataRow; B < T.VisibleRowCount(); ++B)
    if (TPelRes* C = As<TPelRes>(T.GetCellObject(A, B)); C && !C->ShowsBase()) {
      const std::string M = C->WorkbookNumberFormat();
      if (M == "0.0%" && PctRow < 0) PctRow = B;
      if (M == "#,##0" && CntRow < 0) CntRow = B;
    }
  ASSERT_GT(PctRow, 0);
  ASSERT_GT(CntRow, 0);
  As<TPelRes>(T.GetCellObject(A, PctRow))->SigMark = 1;
  As<TPelRes>(T.GetCellObject(A, CntRow))->SigMark = -1;

  TOrvExcel Excel;
  const TXlWorksheet& S = *static_cast<TXlWorksheet*>(T.ExportToExcel(Excel, nullptr, 1, 0));
  EXPECT_EQ(S.CellFormat(PctRow + 2, A).NumberFormat, "0.0%\\ +");
  EXPECT_EQ(S.CellFormat(PctRow + 2, A + 1).NumberFormat, "0.0%");
  EXPECT_EQ(S.CellFormat(CntRow + 2, A).NumberFormat, "#,##0\\ -");
  EXPECT_EQ(S.CellFormat(CntRow + 2, A + 1).NumberFormat, "#,##0");
  // The percentage is placed as a fraction: wave 1, low education in the north of all north.
  const double North = WeightOf([](const TTableRecord& R) { return R.Wave == 1 && R.Reg == 1; });
  const double LowNorth =
      WeightOf([](const TTableRecord& R) { return R.Wave == 1 && R.Reg == 1 && R.Edu == 1; });
  EXPECT_EQ(TextAt(S, 1, 1), T.GetFullCaption());
  EXPECT_NEAR(NumberAt(S, PctRow + 2, A), LowNorth / North, 1e-12);

  // Without the markers option the formats stay plain.
  TOrvExcel Plain;
  const TXlWorksheet& P = *static_cast<TXlWorksheet*>(T.ExportToExcel(Plain, nullptr, 0, 0));
  EXPECT_EQ(P.CellFormat(PctRow + 2, A).NumberFormat, "0.0%");
}

TEST(TableSheet, FiguresFromAnotherRecordSetKeepTheirMarker) {
  // A diary joined to the respondents: the region is the respondents', the time of day the
  // diary's own. Respondent 1 (north) has two diary entries (morning, afternoon), respondent 2
  // (south) one (morning).
  TEnglishSession English;
  const std::string Definition =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"Survey\"; wizards = table1d; end;\r\n"
      "def recordset id = resp; name = \"Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n"
      "def recordset id = diary; name = \"Diary\"; join = id;\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n"
      "def waves def wave id = w1; name = \"W1\"; end; end;\r\n"
      "def data\r\n"
      "  def question id = reg; name = \"Region\"; def responseList column = reg;\r\n"
      "    def response id = north; name = \"North\"; code = 1; end;\r\n"
      "    def response id = south; name = \"South\"; code = 2; end; end; end;\r\n"
      "  def question id = slot; name = \"Time\"; def responseList column = slot.diary;\r\n"
      "    def response id = am; name = \"Morning\"; code = 1; end;\r\n"
      "    def response id = pm; name = \"Afternoon\"; code = 2; end; end; end;\r\n"
      "end;\r\n";
  const std::vector<TSwSurveyRecset> Recsets{
      {"resp", {Wave({{"id", {1, 2}}, {"reg", {1, 2}}})}},
      {"diary", {Wave({{"id", {1, 1, 2}}, {"slot", {1, 2, 1}}})}}};
  TOpened<> Opened{SurveyFileBytes(Definition, Recsets)};
  TOrvMsgList Msgs;
  const auto Report =
      ReadReport(*Opened.Survey,
                 ReportWith("  def analysis\r\n"
                            "    def parameters\r\n"
                            "      def varList list = reg, slot; end;\r\n"
                            "      def statList list = cntA; recsetDiff = 1; end;\r\n"
                            "      def waveList def subpar list = w1; end; end;\r\n"
                            "    end;\r\n"
                            "    dataBasedOn = diary;\r\n"
                            "    def table rowParams = 0; layerParams = 1, 2; end;\r\n"
                            "  end;\r\n"),
                 Msgs);
  ASSERT_EQ(Msgs.ErrorCount(), 0) << MsgAt(Msgs, 0);
  auto& T = *As<TPelRepElemTable>(AnalysisAt(*Report, 0)->Child(0));
  T.Calculate();
  const std::map<std::string, std::pair<double, bool>> Expected{{"North", {2, true}},
                                                                {"South", {1, true}},
                                                                {"Morning", {2, false}},
                                                                {"Afternoon", {1, false}}};
  for (int Options : {1, 0}) {
    SCOPED_TRACE(Options);
    TOrvExcel Excel;
    const auto& S = *static_cast<TXlWorksheet*>(T.ExportToExcel(Excel, nullptr, Options, 0));
    int Seen = 0;
    for (int B = T.FirstDataRow; B < T.VisibleRowCount(); ++B) {
      const auto It = Expected.find(T.GetCellText(T.FirstDataCol - 1, B));
      if (It == Expected.end()) continue;
      ++Seen;
      SCOPED_TRACE(It->first);
      EXPECT_EQ(NumberAt(S, B + 2, T.FirstDataCol), It->second.first);
      const std::string Format = S.CellFormat(B + 2, T.FirstDataCol).NumberFormat;
      EXPECT_EQ(Format.ends_with("\\ \\*"), Options == 1 && It->second.second) << Format;
    }
    EXPECT_EQ(Seen, 4);
  }
}

TEST(AnalysisSheet, HoldsTheTextFormAndIsLinkedFromTheContents) {
  TTableSurvey F;
  F.Read(EduByRegion());
  TPelRepElemAnalysis& An = F.Analysis();
  An.Notes = "Checked twice\r\n";
  TOrvExcel Excel;
  TXlWorksheet& Contents = *Excel.GetWorksheet(1);
  const TXlWorksheet& S = *static_cast<TXlWorksheet*>(An.ExportToExcel(Excel, &Contents, 0, 0));
  EXPECT_EQ(S.Name(), "Analysis_1");
  std::vector<std::string> Lines;
  An.AppendText(Lines, 0);
  ASSERT_FALSE(Lines.empty());
  EXPECT_EQ(TextAt(S, 1, 1), An.GetFullCaption());
  EXPECT_EQ(TextAt(S, 2, 1), "Notes");
  EXPECT_EQ(TextAt(S, 3, 1), "Checked twice");
  ASSERT_NE(Excel.Workbook().FindName("Analysis_1"), nullptr);
  ASSERT_NE(Contents.FindHyperlink(3, 1), nullptr);
  EXPECT_EQ(Contents.FindHyperlink(3, 1)->SubAddress, "Analysis_1");
  EXPECT_EQ(TextAt(Contents, 3, 2), "Analysis_1");
}

// Every cell of the saved table sheet, as LibreOffice shows it, against the table's text form
// with its shown values.
TEST(TableSheetInLibreOffice, EveryCellShowsWhatTheTableShows) {
  if (!test::HasLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(EduByRegion("rowParams = 0, 2; colParams = 1; layerParams = 3;"));
  T.Calculate();
  test::TTempFolder Dir;
  TOrvExcel Excel;
  T.ExportToExcel(Excel, Excel.GetWorksheet(1), 1, 0);
  const std::string File = Dir.File("Report.xlsx");
  Excel.SaveAs(File);
  const auto Sheets = test::ReadSheetsWithLibreOffice(File, Dir.Path().string());
  ASSERT_TRUE(Sheets.count("A1_Table1"));
  const test::TCsvSheet& Csv = Sheets.at("A1_Table1");

  // The text form with the values as the page shows them (rounded, with percent signs).
  std::vector<std::string> Lines;
  T.CopyTableAsText(
      Lines, {T.FirstDataCol, T.FirstDataRow, T.VisibleColCount() - 1, T.VisibleRowCount() - 1}, 0,
      false, kPelTextHeaders | kPelTextPctSign | kPelTextComments | kPelTextNotes);
  ASSERT_EQ(Lines.size(), 1u);
  std::vector<std::vector<std::string>> Expected;
  for (const std::string& Line : Split(Lines[0], "\r\n")) Expected.push_back(Split(Line, "\t"));
  while (!Expected.empty() && Expected.back() == std::vector<std::string>{""}) Expected.pop_back();
  ASSERT_EQ(Csv.size(), Expected.size());
  for (size_t R = 0; R < Csv.size(); ++R)
    for (size_t C = 0; C < std::max(Csv[R].size(), Expected[R].size()); ++C) {
      const std::string Shown = C < Csv[R].size() ? Csv[R][C] : "";
      const std::string Text = C < Expected[R].size() ? Expected[R][C] : "";
      EXPECT_EQ(Shown, Text) << "row " << R + 1 << ", column " << C + 1;
    }
  // And against plain sums of the fixture's records (wave 1): rows 6 to 13 hold a count and a
  // column percentage per education, columns C and D the regions.
  ASSERT_GE(Csv.size(), 13u);
  for (int Edu = 1; Edu <= 4; ++Edu)
    for (int Reg = 1; Reg <= 2; ++Reg) {
      SCOPED_TRACE(std::to_string(Edu) + "/" + std::to_string(Reg));
      const double Cell = WeightOf(
          [&](const TTableRecord& X) { return X.Wave == 1 && X.Edu == Edu && X.Reg == Reg; });
      const double Column =
          WeightOf([&](const TTableRecord& X) { return X.Wave == 1 && X.Reg == Reg; });
      char Count[32], Pct[32];
      std::snprintf(Count, sizeof Count, "%.0f", std::floor(Cell + 0.5));
      std::snprintf(Pct, sizeof Pct, "%.1f%%", 100 * Cell / Column);
      const auto& CountRow = Csv[size_t(3 + 2 * Edu)];
      const auto& PctRow = Csv[size_t(4 + 2 * Edu)];
      EXPECT_EQ(CountRow.at(size_t(1 + Reg)), Count);
      EXPECT_EQ(PctRow.at(size_t(1 + Reg)), Pct);
    }
}

}  // namespace
}  // namespace quin::test
