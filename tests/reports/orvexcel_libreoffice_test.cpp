// A saved workbook opened by LibreOffice: it loads without complaint and every cell shows
// what the export placed there, in the number formats it set.
#include <gtest/gtest.h>

#include "base/text.h"
#include "reports/orvexcel.h"
#include "tests/support/libreoffice.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

using test::TCsvSheet;
using test::TTempFolder;

TEST(OrvExcelInLibreOffice, EveryCellShowsWhatTheExportPlaced) {
  if (!test::HasLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
  TTempFolder Dir;
  TOrvExcel Excel;
  TXlWorksheet& Intro = *Excel.GetWorksheet(1);
  Excel.SetSheetName(Intro, "Intro");
  TXlWorksheet& Table = Excel.AddWorksheet("A1_Table1");
  TFormatSettings Polish;
  Polish.DecimalSeparator = ',';
  Polish.ThousandSeparator = ' ';
  Excel.PlaceTabText(Table, 1, 1,
                     Cp1250("Płeć a czytelnictwo\r\n"
                            "\r\n"
                            "\tOgółem\tKobiety\tMężczyźni\r\n"
                            "N =\t1 234,5\t600\t634,5\r\n"
                            "Czyta\t25,6%\t12,5\t--\r\n"
                            "=1+1\t!DEF\t1,5E3\t-3\r\n"),
                     Polish);
  Excel.MergeCells(Excel.GetRange(Table, 1, 1, 1, 4));  // overlapping spans become one
  Excel.MergeCells(Excel.GetRange(Table, 1, 1, 2, 2));
  Excel.SetNumberFormat(Excel.GetCell(Table, 3, 5), "0.0\\ \\*");
  Excel.SetNumberFormat(Excel.GetCell(Table, 3, 6), "#,##0.00\\ \\+");
  Excel.SetInteriorColor(Excel.GetRange(Table, 1, 3, 2, 4), TXlColor::FromRgb(0xFFFF00));
  Excel.AddName(Excel.GetCell(Table, 1, 1), "A1_Table1");
  Excel.AddHyperlink(Excel.GetCell(Intro, 1, 3), " ", "A1_Table1", " ",
                     Cp1250("Płeć a czytelnictwo"));
  TXlChart& Chart = Excel.AddChartSheet("A1T1_Chart1").Chart;
  Chart.Series.push_back({});
  Chart.Series[0].Values = {600, 634.5};
  Chart.Series[0].Categories = {"Kobiety", Cp1250("Mężczyźni")};
  const std::string File = Dir.File("Report.xlsx");
  Excel.SaveAs(File);

  const auto Sheets = test::ReadSheetsWithLibreOffice(File, Dir.Path().string());
  const TCsvSheet Expected = {
      {"Płeć a czytelnictwo", "", "", ""},    {"", "", "", ""},
      {"", "Ogółem", "Kobiety", "Mężczyźni"}, {"N =", "1,234.5", "600", "634.5"},
      {"Czyta", "25.6%", "12.5 *", "--"},     {"=1+1", "!DEF", "1,500.00 +", "-3"},
  };
  ASSERT_TRUE(Sheets.count("A1_Table1"));
  EXPECT_EQ(Sheets.at("A1_Table1"), Expected);
  ASSERT_TRUE(Sheets.count("Intro"));
  EXPECT_EQ(Sheets.at("Intro").at(2).at(0), "Płeć a czytelnictwo");
}

}  // namespace
}  // namespace quin
