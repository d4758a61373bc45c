// The report's workbook (introduction, contents, the elements' sheets, the backup of the last
// one) and its packing into a ZIP archive by the 7-Zip program, or by a program that fails.
#include "reports/pelrepexport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "analysis/pelsurvey.h"
#include "reports/pelchart.h"
#include "reports/pelrep.h"
#include "tests/reports/table_fixture.h"
#include "tests/support/tempfolder.h"
#include "tests/support/xlsxread.h"

namespace quin::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Contents(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

void Put(const std::string& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary) << Bytes;
}

TEST(ReportWorkbook, IntroductionContentsAndOneSheetPerElement) {
  TTableSurvey F;
  TPelRepElemTable& T =
      F.Read(TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n"));
  T.Calculate();
  test::TTempFolder Dir;
  const std::string File = Dir.File("Report.xlsx");
  std::vector<std::string> Told;
  const TPelExportProduct Product{"Quinview 1.0a", "Orvsoft"};
  ExportReportToExcel(
      File, *F.Report, {&F.Analysis(), &T},
      [&](const std::string& Caption, int N) { Told.push_back(std::to_string(N) + " " + Caption); },
      true, true, Product);
  EXPECT_EQ(Told, (std::vector<std::string>{"1 Analysis", "2 Analysis - Table 1"}));
  test::TXlsxReader R(File);
  EXPECT_EQ(R.Query("xl/workbook.xml", "//x:sheet/@name"),
            (std::vector<std::string>{"Intro", "TOC", "Analysis_1", "A1_Table1"}));
  // The intro: the survey's header lines from row 3, the product two rows below the last.
  std::vector<std::string> Header;
  F.S.GetReportHeaderLines(Header);
  ASSERT_FALSE(Header.empty());
  EXPECT_EQ(R.CellValue("Intro", "A1"), "Introduction");
  EXPECT_EQ(R.CellValue("Intro", "A3"), Header[0]);
  const int Last = 2 + int(Header.size());
  EXPECT_EQ(R.CellValue("Intro", "A" + std::to_string(Last + 2)), "Quinview 1.0a");
  EXPECT_EQ(R.CellValue("Intro", "A" + std::to_string(Last + 3)), "Orvsoft");
  // The contents: a line per element from row 3, headers frozen above it.
  EXPECT_EQ(R.CellValue("TOC", "A3"), "Analysis");
  EXPECT_EQ(R.CellValue("TOC", "B3"), "Analysis_1");
  EXPECT_EQ(R.CellValue("TOC", "A4"), "Analysis - Table 1");
  EXPECT_EQ(R.CellValue("TOC", "B4"), "A1_Table1");
  EXPECT_EQ(R.QueryOne(R.SheetEntry("TOC"), "//x:pane/@topLeftCell"), "A3");
  EXPECT_EQ(R.QueryOne("xl/workbook.xml", "//x:workbookView/@activeTab"), "");  // the intro

  // Without contents only the intro precedes the elements; the last workbook is kept.
  const std::string First = Contents(File);
  ExportReportToExcel(File, *F.Report, {&T}, {}, false, false, Product);
  EXPECT_EQ(Contents(Dir.File("Report.~xlsx")), First);
  test::TXlsxReader Again(File);
  EXPECT_EQ(Again.Query("xl/workbook.xml", "//x:sheet/@name"),
            (std::vector<std::string>{"Intro", "A1_Table1"}));
}

TEST(ReportWorkbook, AChartBecomesAChartSheetListedWithoutALink) {
  TTableSurvey F;
  TPelRepElemTable& T =
      F.Read(TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n"
                         "      def chart end;\r\n",
                         "pctRow"));
  T.Calculate();
  auto* C = As<TPelRepElemChart>(T.Child(0));
  ASSERT_NE(C, nullptr);
  test::TTempFolder Dir;
  const std::string File = Dir.File("Report.xlsx");
  ExportReportToExcel(File, *F.Report, {&T, C}, {}, true, true, {});
  test::TXlsxReader R(File);
  EXPECT_EQ(R.Query("xl/workbook.xml", "//x:sheet/@name"),
            (std::vector<std::string>{"Intro", "TOC", "A1_Table1", "A1T1_Chart1", "ChartData"}));
  EXPECT_EQ(R.CellValue("TOC", "A4"), C->GetFullCaption());
  EXPECT_EQ(R.CellValue("TOC", "B4"), "A1T1_Chart1");
  EXPECT_EQ(R.QueryOne(R.SheetEntry("TOC"), "count(//x:hyperlink)"), "1");  // the table's
  // One series per education with a value (nobody has none), a point per region: the row
  // percentages of wave 1, counted plainly.
  const std::vector<std::string> Charts = R.ChartEntries();
  ASSERT_EQ(Charts.size(), 1u);
  EXPECT_EQ(R.QueryOne(Charts[0], "count(//c:ser)"), "3");
  for (int E = 1; E <= 3; ++E)
    for (int Reg = 1; Reg <= 2; ++Reg) {
      const double Pct =
          WeightOf(
              [&](const TTableRecord& X) { return X.Wave == 1 && X.Edu == E && X.Reg == Reg; }) /
          WeightOf([&](const TTableRecord& X) { return X.Wave == 1 && X.Edu == E; }) * 100;
      // Series E's values lie in column E + 1 from row 3 on.
      const std::string Ref = std::string(1, char('A' + E)) + std::to_string(2 + Reg);
      EXPECT_NEAR(std::stod(R.CellValue("ChartData", Ref)), Pct, 1e-9) << Ref;
    }
}

TEST(PackWorkbook, The7ZipProgramPacksTheWorkbookAlone) {
  const std::string Program = FindZipProgram();
  if (Program.empty()) GTEST_SKIP() << "7-Zip is not installed";
  test::TTempFolder Dir;
  const std::string Book = Dir.File("Report.xlsx");
  Put(Book, "the workbook's bytes");
  Put(Dir.File("Report.zip"), "an archive of an earlier export");
  Put(Dir.File("other.txt"), "not packed");
  const std::string Archive = PackWorkbook(Book, Program, 60s);
  ASSERT_EQ(Archive, Dir.File("Report.zip"));
  test::TXlsxReader Zip(Archive);
  EXPECT_EQ(Zip.EntryNames(), std::vector<std::string>{"Report.xlsx"});
  EXPECT_EQ(Zip.Entry("Report.xlsx"), "the workbook's bytes");
}

TEST(PackWorkbook, AFailedPackingLeavesNoArchive) {
  test::TTempFolder Dir;
  // Stand-ins for the archiver, each failing its own way.
  struct Case {
    const char* Name;
    const char* Script;
  } Cases[] = {
      {"exit code", "exit 2"},
      {"no archive", "exit 0"},
      {"not a ZIP", "[ \"$1\" = a ] && echo junk > Report.zip; exit 0"},
      {"failed test", "[ \"$1\" = a ] && printf 'PK\\003\\004junk' > Report.zip; [ \"$1\" = a ]"},
      {"hangs", "sleep 30"},
  };
  const std::string Book = Dir.File("Report.xlsx");
  Put(Book, "bytes");
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Program = Dir.File("fake7z");
    Put(Program, std::string("#!/bin/sh\n") + C.Script + "\n");
    ::chmod(Program.c_str(), 0755);
    Put(Dir.File("Report.zip"), "an archive of an earlier export");
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_EQ(PackWorkbook(Book, Program, 500ms), "");
    EXPECT_LT(std::chrono::steady_clock::now() - Start, 20s);
    EXPECT_FALSE(fs::exists(Dir.File("Report.zip")));
    EXPECT_TRUE(fs::exists(Book));
  }
  // A name with a double quote never reaches a command line.
  const std::string Quoted = Dir.File("Re\"port.xlsx");
  Put(Quoted, "bytes");
  EXPECT_EQ(PackWorkbook(Quoted, "/bin/true", 500ms), "");
  EXPECT_EQ(PackWorkbook(Book, "", 500ms), "");
}

}  // namespace
}  // namespace quin::test
