// The workbook written as an .xlsx file and read back: sheets, texts, numbers, looks, merged
// areas, names, links, panes and charts as the file holds them.
#include "platform/xlsxfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "tests/support/tempfolder.h"
#include "tests/support/xlsxread.h"

namespace quin {
namespace {

using test::TTempFolder;
using test::TXlsxReader;

class XlsxFile : public testing::Test {
 protected:
  TXlsxReader Save(const TXlWorkbook& Book) {
    const std::string Name = Dir.File("book.xlsx");
    SaveWorkbookAsXlsx(Book, Name);
    return TXlsxReader(Name);
  }
  TTempFolder Dir;
};

TEST_F(XlsxFile, SheetsKeepTheirOrderNamesAndActiveSheet) {
  TXlWorkbook Book;
  Book.AddWorksheet("Intro");
  Book.AddChartSheet(Cp1250("Wykres_Łódź"));
  Book.AddWorksheet(Cp1250("Zażółć"));
  Book.Activate(1);
  const TXlsxReader R = Save(Book);
  // The chart's data sheet comes last, hidden.
  EXPECT_EQ(R.Query("xl/workbook.xml", "//x:sheet/@name"),
            (std::vector<std::string>{"Intro", "Wykres_Łódź", "Zażółć", "ChartData"}));
  EXPECT_EQ(R.QueryOne("xl/workbook.xml", "//x:sheet[@name='ChartData']/@state"), "hidden");
  EXPECT_EQ(R.QueryOne("xl/workbook.xml", "string(//x:workbookView/@activeTab)"), "");
  EXPECT_NE(R.SheetEntry(Cp1250ToUtf8(Cp1250("Wykres_Łódź"))).find("chartsheets/"),
            std::string::npos);
}

TEST_F(XlsxFile, CellsKeepTextsNumbersAndLooks) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet("Data");
  S.SetText(1, 1, Cp1250("Zażółć gęślą jaźń ĄĘŁŃÓŚŹŻ"));
  S.SetText(1, 2, "=A1+1");  // a text, never a formula
  S.SetNumber(2, 1, 0.256);
  S.SetNumber(2, 2, 1234.5);
  S.FormatRange({2, 1, 2, 1}, [](TXlCellFormat& F) { F.NumberFormat = "0.0%"; });
  S.FormatRange({2, 2, 2, 2}, [](TXlCellFormat& F) {
    F.NumberFormat = "#,##0.0\\ \\*";
    F.Bold = true;
    F.FontSize = 12;
    F.FontColor = TXlColor::FromRgb(0x800000);
    F.FillColor = TXlColor::FromRgb(0xFFFF00);
    F.HAlign = TXlHAlign::Right;
    F.VAlign = TXlVAlign::Center;
  });
  S.FormatRange({3, 3, 3, 3}, [](TXlCellFormat& F) { F.FillColor = TXlColor::FromRgb(0); });
  const TXlsxReader R = Save(Book);

  EXPECT_EQ(R.CellValue("Data", "A1"), "Zażółć gęślą jaźń ĄĘŁŃÓŚŹŻ");
  EXPECT_EQ(R.CellValue("Data", "B1"), "=A1+1");
  EXPECT_EQ(R.QueryOne(R.SheetEntry("Data"), "count(//x:f)"), "0");
  EXPECT_EQ(std::stod(R.CellValue("Data", "A2")), 0.256);
  EXPECT_EQ(R.CellNumberFormat("Data", "A2"), "0.0%");
  EXPECT_EQ(R.CellNumberFormat("Data", "B2"), "#,##0.0\\ \\*");
  EXPECT_EQ(R.CellNumberFormat("Data", "A1"), "General");

  const std::string Xf = "//x:cellXfs/x:xf[" + std::to_string(R.CellStyle("Data", "B2") + 1) + "]";
  const std::string Font =
      "//x:fonts/x:font[" + R.QueryOne("xl/styles.xml", Xf + "/@fontId") + " + 1]";
  EXPECT_EQ(R.Query("xl/styles.xml", Font + "/x:b").size(), 1u);
  EXPECT_EQ(R.QueryOne("xl/styles.xml", Font + "/x:sz/@val"), "12");
  EXPECT_EQ(R.QueryOne("xl/styles.xml", Font + "/x:color/@rgb"), "FF800000");
  const std::string Fill =
      "//x:fills/x:fill[" + R.QueryOne("xl/styles.xml", Xf + "/@fillId") + " + 1]";
  EXPECT_EQ(R.QueryOne("xl/styles.xml", Fill + "//x:fgColor/@rgb"), "FFFFFF00");
  EXPECT_EQ(R.QueryOne("xl/styles.xml", Xf + "/x:alignment/@horizontal"), "right");
  EXPECT_EQ(R.QueryOne("xl/styles.xml", Xf + "/x:alignment/@vertical"), "center");
  // An empty cell with a fill is written; black is a colour like any other.
  const std::string BlackXf =
      "//x:cellXfs/x:xf[" + std::to_string(R.CellStyle("Data", "C3") + 1) + "]";
  EXPECT_EQ(R.QueryOne("xl/styles.xml", "//x:fills/x:fill[" +
                                            R.QueryOne("xl/styles.xml", BlackXf + "/@fillId") +
                                            " + 1]//x:fgColor/@rgb"),
            "FF000000");
}

TEST_F(XlsxFile, MergesNamesLinksWidthsAndPanes) {
  TXlWorkbook Book;
  TXlWorksheet& Intro = Book.AddWorksheet("TOC");
  TXlWorksheet& S = Book.AddWorksheet("A1_Table2");
  S.SetText(3, 1, "N =");
  S.Merge({3, 1, 3, 2});
  S.Merge({3, 2, 5, 2});  // overlaps: one area A3:B5
  S.Merge({7, 1, 8, 3});
  Book.DefineName("A1_Table2", S, {1, 1, 1, 1});
  Intro.AddHyperlink(4, 1, " ", "A1_Table2", " ", Cp1250("Tabela łączy"));
  Intro.SetColumnWidth(1, 30);
  S.Select({5, 3, 5, 3});
  S.FreezeAt(5, 3);
  const TXlsxReader R = Save(Book);

  const std::string E = R.SheetEntry("A1_Table2");
  EXPECT_EQ(R.Query(E, "//x:mergeCell/@ref"), (std::vector<std::string>{"A3:B5", "A7:C8"}));
  EXPECT_EQ(R.CellValue("A1_Table2", "A3"), "N =");
  EXPECT_EQ(R.QueryOne("xl/workbook.xml", "//x:definedName[@name='A1_Table2']"),
            "'A1_Table2'!$A$1");
  const std::string T = R.SheetEntry("TOC");
  EXPECT_EQ(R.QueryOne(T, "//x:hyperlink[@ref='A4']/@location"), "A1_Table2");
  EXPECT_EQ(R.QueryOne(T, "//x:hyperlink[@ref='A4']/@tooltip"), " ");
  EXPECT_EQ(R.CellValue("TOC", "A4"), "Tabela łączy");
  EXPECT_EQ(R.QueryOne(T, "//x:col[@min='1']/@width"), "30.7109375");
  EXPECT_EQ(R.QueryOne(E, "//x:pane/@state"), "frozen");
  EXPECT_EQ(R.QueryOne(E, "//x:pane/@topLeftCell"), "C5");
  EXPECT_EQ(R.QueryOne(E, "//x:pane/@xSplit"), "2");
  EXPECT_EQ(R.QueryOne(E, "//x:pane/@ySplit"), "4");
}

TEST_F(XlsxFile, ChartSeriesReadTheirDataFromTheHiddenSheet) {
  TXlWorkbook Book;
  Book.AddWorksheet("Intro");
  TXlChart& C = Book.AddChartSheet("A1T1_Chart1").Chart;
  for (const char* Name : {"Men", "Women"}) {
    TXlSeries S;
    S.Name = Name;
    S.ChartType = TXlChartType::Column3DClustered;  // drawn flat
    S.Values = {10, 20, std::nan("")};
    S.Categories = {Cp1250("Łódź"), "Warsaw", "Cracow"};
    S.Interior = TXlColor::FromRgb(0x336699);
    S.DataLabels.Type = TXlDataLabelsType::ShowValue;
    C.Series.push_back(S);
  }
  C.Legend.Position = TXlLegendPosition::Bottom;
  C.Title = {true, Cp1250("Czytelnictwo"), {}};
  C.ValueAxis.Title = "%";
  C.ValueAxis.Maximum = 100;
  TXlChart& Pie = Book.AddChartSheet("Pie").Chart;
  Pie.Series.push_back({});
  Pie.Series[0].ChartType = TXlChartType::Pie3D;
  Pie.Series[0].Values = {1, 2};
  Book.AddChartSheet("Empty");  // no series: still a valid chart
  TXlChart& Bars = Book.AddChartSheet("Bars").Chart;
  Bars.Series.push_back({});
  Bars.Series[0].ChartType = TXlChartType::BarStacked;
  Bars.Series[0].Values = {1, 2};
  Bars.CategoryAxis.ReversePlotOrder = true;
  Bars.ValueAxis.Minimum = -5;
  const TXlsxReader R = Save(Book);

  const std::vector<std::string> Charts = R.ChartEntries();
  ASSERT_EQ(Charts.size(), 4u);
  const std::string& X = Charts[0];
  EXPECT_EQ(R.QueryOne(X, "count(//c:bar3DChart)"), "0");
  EXPECT_EQ(R.QueryOne(X, "//c:barChart/c:barDir/@val"), "col");
  EXPECT_EQ(R.Query(X, "//c:ser/c:val/c:numRef/c:f"),
            (std::vector<std::string>{"ChartData!$B$3:$B$5", "ChartData!$C$3:$C$5"}));
  EXPECT_EQ(R.QueryOne(X, "//c:ser[1]/c:cat//c:f"), "ChartData!$A$3:$A$5");
  EXPECT_EQ(R.QueryOne(X, "//c:ser[1]/c:tx//c:f"), "ChartData!$B$2");
  EXPECT_EQ(R.QueryOne(X, "//c:ser[1]/c:spPr/a:solidFill/a:srgbClr/@val"), "336699");
  EXPECT_EQ(R.QueryOne(X, "//c:ser[1]/c:dLbls/c:showVal/@val"), "1");
  EXPECT_EQ(R.QueryOne(X, "//c:legend/c:legendPos/@val"), "b");
  EXPECT_EQ(R.QueryOne(X, "//c:title/c:tx//c:f"), "ChartData!$A$1");
  EXPECT_EQ(R.QueryOne(X, "//c:valAx/c:scaling/c:max/@val"), "100");
  EXPECT_EQ(R.CellValue("ChartData", "A3"), "Łódź");
  EXPECT_EQ(R.CellValue("ChartData", "C2"), "Women");
  EXPECT_EQ(R.CellValue("ChartData", "B4"), "20");
  EXPECT_EQ(R.CellValue("ChartData", "B5"), "");  // no point
  EXPECT_EQ(R.CellValue("ChartData", "A1"), "Czytelnictwo");
  // The second chart's block starts below the first one's.
  EXPECT_EQ(R.QueryOne(Charts[1], "count(//c:pieChart)"), "1");
  EXPECT_EQ(R.QueryOne(Charts[1], "//c:ser/c:val//c:f"), "ChartData!$B$8:$B$9");
  EXPECT_EQ(R.QueryOne(Charts[2], "count(//c:ser)"), "1");
  EXPECT_EQ(R.QueryOne(Charts[2], "//c:legend/c:legendPos/@val"), "");
  // Horizontal bars: the axes' roles follow the bars.
  EXPECT_EQ(R.QueryOne(Charts[3], "//c:barChart/c:barDir/@val"), "bar");
  EXPECT_EQ(R.QueryOne(Charts[3], "//c:catAx/c:scaling/c:orientation/@val"), "maxMin");
  EXPECT_EQ(R.QueryOne(Charts[3], "//c:valAx/c:scaling/c:min/@val"), "-5");
}

TEST_F(XlsxFile, ChartLooksReachTheFile) {
  TXlWorkbook Book;
  TXlChart& Lines = Book.AddChartSheet("Lines").Chart;
  TXlSeries Marked;
  Marked.ChartType = TXlChartType::LineStacked;
  Marked.Values = {1, 2, 3};
  Marked.Border = TXlLine{TXlLineStyle::Dash, TXlBorderWeight::Medium, TXlColor::FromRgb(0xFF)};
  Marked.Marker = TXlMarker{TXlMarkerStyle::Diamond, 9, TXlColor::FromRgb(0xFF0000), {}};
  Marked.DataLabels.Type = TXlDataLabelsType::ShowLabel;
  Marked.DataLabels.Font = {"Arial", true, false, false, false, 8, TXlColor::FromRgb(0x808080)};
  Marked.DataLabels.Interior = TXlColor::FromRgb(0xFFFFE0);
  TXlSeries Plain = Marked;
  Plain.Marker.reset();  // a line without marker shows none
  Plain.DataLabels = {};
  Lines.Series = {Marked, Plain};
  Lines.CategoryAxis.TickLabelOrientation = TXlTickLabelOrientation::Upward;
  Lines.CategoryAxis.AxisBetweenCategories = false;
  Lines.ValueAxis.HasMajorGridlines = true;
  Lines.ValueAxis.MajorUnit = 5;
  Lines.ValueAxis.Title = "Line\r\nbreak";
  Lines.ValueAxis.TitleFont.Italic = true;
  Lines.Legend.Font.Size = 7;
  TXlChart& Pie = Book.AddChartSheet("Pie").Chart;
  TXlSeries Slices;
  Slices.ChartType = TXlChartType::Pie;
  Slices.Values = {1, 2, 3};
  Slices.Interior = TXlColor::FromRgb(0x00FF00);
  Slices.Points = {{TXlColor::FromRgb(0x111111), {}, {}},
                   {},
                   {TXlColor::FromRgb(0x333333), TXlPattern::LightHorizontal, {}}};
  Slices.DataLabels.Type = TXlDataLabelsType::ShowPercent;
  Pie.Series = {Slices};
  Pie.PlotAreaFill = Pie.PlotAreaBorder = false;
  const TXlsxReader R = Save(Book);

  const std::string L = R.ChartEntries().at(0);
  EXPECT_EQ(R.QueryOne(L, "//c:lineChart/c:grouping/@val"), "stacked");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:marker/c:symbol/@val"), "diamond");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:marker/c:size/@val"), "9");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:marker/c:spPr/a:solidFill/a:srgbClr/@val"), "FF0000");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[2]/c:marker/c:symbol/@val"), "none");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:spPr/a:ln/a:prstDash/@val"), "dash");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:spPr/a:ln/a:solidFill/a:srgbClr/@val"), "0000FF");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:dLbls/c:showCatName/@val"), "1");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:dLbls/c:txPr//a:defRPr/@sz"), "800");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:dLbls/c:txPr//a:latin/@typeface"), "Arial");
  EXPECT_EQ(R.QueryOne(L, "//c:ser[1]/c:dLbls/c:spPr/a:solidFill/a:srgbClr/@val"), "FFFFE0");
  EXPECT_EQ(R.QueryOne(L, "//c:catAx/c:txPr/a:bodyPr/@rot"), "-5400000");
  EXPECT_EQ(R.QueryOne(L, "//c:valAx/c:crossBetween/@val"), "midCat");
  EXPECT_EQ(R.QueryOne(L, "count(//c:valAx/c:majorGridlines)"), "1");
  EXPECT_EQ(R.QueryOne(L, "//c:valAx/c:majorUnit/@val"), "5");
  EXPECT_EQ(R.QueryOne(L, "//c:valAx/c:title//a:defRPr/@i"), "1");
  EXPECT_EQ(R.QueryOne(L, "//c:legend/c:txPr//a:defRPr/@sz"), "700");
  EXPECT_EQ(R.CellValue("ChartData", "C1"), "Line\nbreak");

  const std::string P = R.ChartEntries().at(1);
  EXPECT_EQ(R.QueryOne(P, "//c:ser/c:spPr/a:solidFill/a:srgbClr/@val"), "00FF00");
  EXPECT_EQ(R.Query(P, "//c:dPt/c:idx/@val"), (std::vector<std::string>{"0", "2"}));
  EXPECT_EQ(R.QueryOne(P, "//c:dPt[1]/c:spPr/a:solidFill/a:srgbClr/@val"), "111111");
  EXPECT_EQ(R.QueryOne(P, "//c:dPt[2]/c:spPr/a:pattFill/@prst"), "ltHorz");
  EXPECT_EQ(R.QueryOne(P, "//c:dLbls/c:showPercent/@val"), "1");
  EXPECT_EQ(R.QueryOne(P, "count(//c:plotArea/c:spPr/a:noFill)"), "1");
  EXPECT_EQ(R.QueryOne(P, "count(//c:plotArea/c:spPr/a:ln/a:noFill)"), "1");
}

TEST_F(XlsxFile, AFailureRaisesAndLeavesTheOldFile) {
  TXlWorkbook Book;
  Book.AddWorksheet();
  EXPECT_THROW(SaveWorkbookAsXlsx(Book, Dir.File("missing/book.xlsx")), EXlWorkbookError);

  const std::string Old = Dir.File("old.xlsx");
  std::ofstream(Old) << "previous";
  TXlWorkbook Bad;
  Bad.AddWorksheet().AddHyperlink(1, 1, " ", std::string(2100, 'x'), "", "");
  EXPECT_THROW(SaveWorkbookAsXlsx(Bad, Old), EXlWorkbookError);
  std::ifstream In(Old);
  std::string Kept((std::istreambuf_iterator<char>(In)), {});
  EXPECT_EQ(Kept, "previous");
  EXPECT_FALSE(std::filesystem::exists(Old + ".part"));
}

}  // namespace
}  // namespace quin
