// The export's workbook writer: its workbook, ranges and the operations on them, and the
// saved file as an element export leaves it.
#include "reports/orvexcel.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/text.h"
#include "tests/support/tempfolder.h"
#include "tests/support/xlsxread.h"

namespace quin {
namespace {

using test::TTempFolder;
using test::TXlsxReader;

std::string Ref(const TOrvExcelRange& R) { return R ? XlRangeRef(R->Area) : "none"; }

TEST(OrvExcel, ANewWorkbookHoldsOneSheetOfItsTemplate) {
  TOrvExcel Excel;
  ASSERT_EQ(Excel.Workbook().SheetCount(), 1);
  EXPECT_EQ(Excel.GetWorksheet(1), Excel.Workbook().Sheet(1));
  EXPECT_EQ(Excel.GetWorksheet(2), nullptr);
  EXPECT_EQ(&Excel.GetLastSheet(), Excel.Workbook().Sheet(1));

  TOrvExcel Charts(xlChart);
  EXPECT_EQ(Charts.Workbook().Sheet(1)->Kind(), TXlSheetKind::ChartSheet);
  EXPECT_EQ(Charts.GetWorksheet(1), nullptr);  // a chart sheet is no worksheet
  EXPECT_THROW(TOrvExcel Bad(xlWorkbookNormal), EXlWorkbookError);

  TXlWorksheet& Table = Excel.AddWorksheet("A1_Table1");
  TXlChartSheet& Chart = Excel.AddChartSheet("A1T1_Chart1");
  EXPECT_EQ(&Excel.GetLastSheet(), &Chart);
  EXPECT_EQ(Excel.GetWorksheet(2), &Table);
  EXPECT_THROW(Excel.AddWorksheet("a1_table1"), EXlWorkbookError);
  Excel.SetSheetName(*Excel.GetWorksheet(1), "Intro");
  EXPECT_EQ(Excel.Workbook().Sheet(1)->Name(), "Intro");
}

TEST(OrvExcel, RangesAreNoneOutsideTheSheetAndCutAtItsEnd) {
  TOrvExcel Excel;
  TXlWorksheet& S = *Excel.GetWorksheet(1);
  struct Case {
    int Col, Row, RowCount, ColCount;
    const char* Expected;
  } Cases[] = {
      {1, 1, 1, 1, "A1"},
      {2, 3, 4, 5, "B3:F6"},
      {256, 65536, 1, 1, "IV65536"},
      {250, 65530, 100, 100, "IP65530:IV65536"},
      {257, 1, 1, 1, "none"},
      {1, 65537, 1, 1, "none"},
      {0, 1, 1, 1, "none"},
      {1, 0, 1, 1, "none"},
      {1, 1, 0, 1, "none"},
      {1, 1, 1, 0, "none"},
      {1, 1, 2147483647, 2147483647, "A1:IV65536"},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(Ref(Excel.GetRange(S, C.Col, C.Row, C.RowCount, C.ColCount)), C.Expected)
        << C.Col << "," << C.Row;
}

TEST(OrvExcel, OperationsOnNoRangeDoNothing) {
  TOrvExcel Excel;
  TXlWorksheet& S = *Excel.GetWorksheet(1);
  const TOrvExcelRange None = Excel.GetRange(S, 300, 1, 1, 1);
  Excel.SetAlignment(None, xlCenter, xlCenter);
  Excel.SetBorder(None, xlEdgeTop, 1, 2, {});
  Excel.SetInteriorColor(None, TXlColor::FromRgb(0xFFFF00));
  Excel.SetFontColor(None, {});
  Excel.SetBold(None, true);
  Excel.SetFontSize(None, 12);
  Excel.SetNumberFormat(None, "0.0");
  Excel.MergeCells(None);
  Excel.SetValue(None, "x");
  Excel.SetNumber(None, 1);
  Excel.Select(None);
  Excel.AddName(None, "Name");
  Excel.AddHyperlink(None, " ", "Name", " ", "x");
  EXPECT_TRUE(S.Cells().empty());
  EXPECT_TRUE(S.Merges().empty());
  EXPECT_TRUE(Excel.Workbook().Names().empty());
  EXPECT_EQ(Excel.GetNumberFormat(None), "General");
}

TEST(OrvExcel, AlignmentBordersAndFormatsChangeOnlyWhatTheyName) {
  TOrvExcel Excel;
  TXlWorksheet& S = *Excel.GetWorksheet(1);
  const TOrvExcelRange Block = Excel.GetRange(S, 1, 3, 2, 3);  // A3:C4
  Excel.SetAlignment(Block, xlLeft, xlCenter);
  Excel.SetAlignment(Block, xlRight, std::nullopt);  // the vertical alignment stays
  EXPECT_EQ(S.CellFormat(4, 3).HAlign, TXlHAlign::Right);
  EXPECT_EQ(S.CellFormat(4, 3).VAlign, TXlVAlign::Center);
  EXPECT_THROW(Excel.SetAlignment(Block, 42, std::nullopt), EXlWorkbookError);
  EXPECT_THROW(Excel.SetFontSize(Block, 0), EXlWorkbookError);

  const TXlColor Red = TXlColor::FromRgb(0xFF0000);
  Excel.SetBorder(Block, xlEdgeBottom, int(TXlLineStyle::Continuous), int(TXlBorderWeight::Thick),
                  Red);
  Excel.SetBorder(Block, xlInsideVertical, int(TXlLineStyle::Dash), int(TXlBorderWeight::Thin),
                  Red);
  for (int Col = 1; Col <= 3; ++Col) {
    EXPECT_EQ(S.CellFormat(4, Col).Bottom.Weight, TXlBorderWeight::Thick) << Col;
    EXPECT_EQ(S.CellFormat(3, Col).Bottom.Style, TXlLineStyle::None) << Col;
    EXPECT_EQ(S.CellFormat(3, Col).Right.Style, Col < 3 ? TXlLineStyle::Dash : TXlLineStyle::None)
        << Col;
  }
  EXPECT_THROW(Excel.SetBorder(Block, 5, 1, 2, Red), EXlWorkbookError);  // a diagonal
  EXPECT_THROW(Excel.SetBorder(Block, xlEdgeTop, 99, 2, Red), EXlWorkbookError);

  // The number format reads back; a marker suffix appends to what is there.
  const TOrvExcelRange Cell = Excel.GetCell(S, 2, 3);
  EXPECT_EQ(Excel.GetNumberFormat(Cell), "General");
  Excel.SetNumberFormat(Cell, "0.0");
  Excel.SetNumberFormat(Cell, Excel.GetNumberFormat(Cell) + "\\ \\*");
  EXPECT_EQ(Excel.GetNumberFormat(Cell), "0.0\\ \\*");
  Excel.SetNumberFormat(Cell, "General");
  EXPECT_EQ(S.CellFormat(3, 2).NumberFormat, "");

  Excel.MergeCells(Excel.GetCell(S, 5, 5));  // a single cell is not merged
  EXPECT_TRUE(S.Merges().empty());
  Excel.MergeCells(Block);
  EXPECT_EQ(S.Merges().size(), 1u);
}

// The steps of an analysis export: its text placed in a new sheet, its caption selected and
// named, and a link to it on the contents sheet.
TEST(OrvExcel, AnElementSheetLinkedFromTheContentsSurvivesSaving) {
  TTempFolder Dir;
  TOrvExcel Excel;
  Excel.SetSheetName(*Excel.GetWorksheet(1), "Intro");
  TXlWorksheet& Toc = Excel.AddWorksheet("TOC");
  TXlWorksheet& Sheet = Excel.AddWorksheet(Cp1250("Analiza_1"));
  TFormatSettings Polish;
  Polish.DecimalSeparator = ',';
  Polish.ThousandSeparator = ' ';
  Excel.PlaceTabText(Sheet, 1, 1,
                     Cp1250("Czytelnictwo dzienników\r\n\r\nŚrednia\t12,5\t1 234\t25,6%\t--\t"
                            "=SUM(A1)\r\n"),
                     Polish);
  const TOrvExcelRange Caption = Excel.GetCell(Sheet, 1, 1);
  Excel.SetBold(Caption, true);
  Excel.SetFontSize(Caption, 12);
  Excel.Select(Caption);
  Excel.AddName(Caption, Sheet.Name());
  const TOrvExcelRange Row = Excel.GetCell(Toc, 1, 0 + 3);
  Excel.AddHyperlink(Row, " ", Sheet.Name(), " ", Cp1250("Czytelnictwo dzienników"));
  Excel.SetValue(Excel.GetCell(Toc, 2, 3), Sheet.Name());
  Excel.Select(Excel.GetCell(Toc, 1, 3));
  Excel.FreezePanes(Toc);
  Excel.AutoFitColumn(Toc, 2);
  Excel.Workbook().Activate(3);
  const std::string File = Dir.File("Report.xlsx");
  Excel.SaveAs(File);

  const TXlsxReader R(File);
  EXPECT_EQ(R.Query("xl/workbook.xml", "//x:sheet/@name"),
            (std::vector<std::string>{"Intro", "TOC", "Analiza_1"}));
  EXPECT_EQ(R.QueryOne("xl/workbook.xml", "string(//x:workbookView/@activeTab)"), "");
  EXPECT_EQ(R.CellValue("Analiza_1", "A1"), "Czytelnictwo dzienników");
  EXPECT_EQ(R.CellValue("Analiza_1", "A3"), "Średnia");
  EXPECT_EQ(R.CellValue("Analiza_1", "B3"), "12.5");
  EXPECT_EQ(R.CellValue("Analiza_1", "C3"), "1234");
  EXPECT_EQ(R.CellNumberFormat("Analiza_1", "C3"), "#,##0");
  EXPECT_EQ(R.CellValue("Analiza_1", "D3"), "0.256");
  EXPECT_EQ(R.CellNumberFormat("Analiza_1", "D3"), "0.0%");
  EXPECT_EQ(R.CellValue("Analiza_1", "E3"), "--");
  EXPECT_EQ(R.CellValue("Analiza_1", "F3"), "=SUM(A1)");
  EXPECT_EQ(R.QueryOne(R.SheetEntry("Analiza_1"), "count(//x:f)"), "0");
  EXPECT_EQ(R.QueryOne("xl/workbook.xml", "//x:definedName[@name='Analiza_1']"),
            "'Analiza_1'!$A$1");
  EXPECT_EQ(R.QueryOne(R.SheetEntry("TOC"), "//x:hyperlink[@ref='A3']/@location"), "Analiza_1");
  EXPECT_EQ(R.CellValue("TOC", "A3"), "Czytelnictwo dzienników");
  EXPECT_EQ(R.CellValue("TOC", "B3"), "Analiza_1");
  EXPECT_EQ(R.QueryOne(R.SheetEntry("TOC"), "//x:pane/@topLeftCell"), "A3");
  EXPECT_EQ(R.QueryOne(R.SheetEntry("TOC"), "//x:col[@min='2']/@width"), "10.7109375");
}

TEST(OrvExcel, ExportsAtTheSameTimeShareNothing) {
  TTempFolder Dir;
  auto Export = [&](int N) {
    TOrvExcel Excel;
    TXlWorksheet& S = Excel.AddWorksheet("Table");
    std::string Text;
    for (int Row = 0; Row < 200; ++Row) Text += std::to_string(N * 1000 + Row) + "\r\n";
    Excel.PlaceTabText(S, 1, 1, Text, TFormatSettings());
    Excel.AddName(Excel.GetCell(S, 1, 1), "Table");
    Excel.SaveAs(Dir.File("export" + std::to_string(N) + ".xlsx"));
  };
  std::vector<std::thread> Threads;
  for (int N = 1; N <= 4; ++N) Threads.emplace_back(Export, N);
  for (std::thread& T : Threads) T.join();
  for (int N = 1; N <= 4; ++N) {
    const TXlsxReader R(Dir.File("export" + std::to_string(N) + ".xlsx"));
    EXPECT_EQ(R.CellValue("Table", "A1"), std::to_string(N * 1000));
    EXPECT_EQ(R.CellValue("Table", "A200"), std::to_string(N * 1000 + 199));
    EXPECT_EQ(R.Query("xl/workbook.xml", "//x:definedName").size(), 1u);
  }
}

}  // namespace
}  // namespace quin
