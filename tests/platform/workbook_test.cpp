// The in-memory workbook: sheets and their names, cells and looks, merged areas, defined
// names, links, column widths and panes.
#include "platform/workbook.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/text.h"

namespace quin {
namespace {

std::string CellText(const TXlWorksheet& S, int Row, int Col) {
  const TXlCell* C = S.FindCell(Row, Col);
  return C && C->Kind == TXlCell::TKind::Text ? C->Text : "";
}

TEST(XlWorkbook, SheetNamesFollowTheSpreadsheetRules) {
  TXlWorkbook Book;
  EXPECT_EQ(Book.AddWorksheet().Name(), "Sheet1");
  EXPECT_EQ(Book.AddChartSheet().Name(), "Chart1");
  TXlWorksheet& Named = Book.AddWorksheet(Cp1250("Łódź"));
  EXPECT_EQ(Book.AddWorksheet().Name(), "Sheet2");
  EXPECT_EQ(Book.SheetCount(), 4);
  EXPECT_EQ(Book.Sheet(3), &Named);
  EXPECT_EQ(Book.Sheet(0), nullptr);
  EXPECT_EQ(Book.Sheet(5), nullptr);
  // Letter case is ignored, Polish letters included.
  EXPECT_EQ(Book.FindSheet(Cp1250("łÓDŹ")), &Named);

  const std::string Rejected[] = {
      std::string(32, 'a'), "a:b", "a/b", "a?", "a*", "[a]", "a\\b", "'a", "a'", "SHEET1",
      Cp1250("ŁÓDŹ")};
  for (const std::string& Name : Rejected)
    EXPECT_THROW(Book.AddWorksheet(Name), EXlWorkbookError) << Name;
  EXPECT_EQ(Book.SheetCount(), 4);
  EXPECT_NO_THROW(Book.AddWorksheet(std::string(31, 'a')));
  EXPECT_NO_THROW(Book.AddWorksheet("A1_Table2"));

  Named.SetName(Cp1250("ŁÓDŹ"));  // its own name in another case
  EXPECT_EQ(Named.Name(), Cp1250("ŁÓDŹ"));
  EXPECT_THROW(Named.SetName("Sheet2"), EXlWorkbookError);
  EXPECT_THROW(Named.SetName(""), EXlWorkbookError);
  Book.Sheet(1)->SetName("Intro");
  EXPECT_EQ(Book.Sheet(1)->Name(), "Intro");
}

TEST(XlWorkbook, CellsHoldValuesInsideTheSheetOnly) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  S.SetText(1, 1, std::string(40000, 'x'));
  EXPECT_EQ(CellText(S, 1, 1).size(), XlMaxCellText);
  S.SetNumber(1, 2, 1.5);
  S.SetNumber(1, 2, std::nan(""));  // no number: the cell is left empty
  EXPECT_EQ(S.FindCell(1, 2), nullptr);
  S.SetText(XlMaxRows, XlMaxCols, "corner");
  EXPECT_EQ(CellText(S, XlMaxRows, XlMaxCols), "corner");
  for (auto [Row, Col] : {std::pair{0, 1}, {1, 0}, {XlMaxRows + 1, 1}, {1, XlMaxCols + 1}}) {
    S.SetText(Row, Col, "outside");
    S.FormatRange({Row, Col, Row, Col}, [](TXlCellFormat& F) { F.Bold = true; });
  }
  EXPECT_EQ(S.Cells().size(), 2u);
}

TEST(XlWorkbook, LooksAreSharedAndEmptyDefaultCellsDisappear) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  S.SetNumber(1, 1, 3);
  S.FormatRange({1, 1, 2, 2}, [](TXlCellFormat& F) { F.FillColor = TXlColor::FromRgb(0xFFFF00); });
  S.FormatRange({2, 2, 2, 2}, [](TXlCellFormat& F) { F.Bold = true; });
  EXPECT_EQ(S.Cells().size(), 4u);  // a fill shows on empty cells too
  EXPECT_EQ(S.FindCell(1, 1)->Format, S.FindCell(2, 1)->Format);
  EXPECT_NE(S.FindCell(1, 1)->Format, S.FindCell(2, 2)->Format);
  EXPECT_TRUE(S.CellFormat(2, 2).Bold);
  EXPECT_EQ(S.CellFormat(2, 2).FillColor, TXlColor::FromRgb(0xFFFF00));
  EXPECT_EQ(Book.Formats().size(), 3u);

  S.FormatRange({1, 1, 2, 2}, [](TXlCellFormat& F) { F = TXlCellFormat(); });
  EXPECT_EQ(S.Cells().size(), 1u);  // only the value is left
  EXPECT_EQ(S.FindCell(1, 1)->Number, 3);
}

TEST(XlWorkbook, OverlappingMergesBecomeTheirBoundingArea) {
  struct Case {
    const char* What;
    std::vector<TXlRange> Merges;
    std::vector<TXlRange> Expected;
  } Cases[] = {
      {"separate areas stay apart", {{1, 1, 1, 2}, {2, 1, 3, 1}}, {{1, 1, 1, 2}, {2, 1, 3, 1}}},
      {"a margin label across and a column down", {{1, 3, 1, 4}, {1, 4, 3, 4}}, {{1, 3, 3, 4}}},
      {"an area inside another changes nothing", {{1, 1, 4, 4}, {2, 2, 3, 3}}, {{1, 1, 4, 4}}},
      {"a bridge joins two areas and grows on",
       {{1, 1, 1, 2}, {1, 4, 1, 5}, {3, 1, 3, 6}, {1, 2, 2, 4}},
       {{3, 1, 3, 6}, {1, 1, 2, 5}}},
      {"the bounding area reaches a further one",
       {{1, 1, 1, 6}, {3, 6, 3, 7}, {1, 2, 3, 2}},
       {{1, 1, 3, 7}}},
      {"a single cell is no merge", {{2, 2, 2, 2}}, {}},
      {"an area is cut at the sheet's end",
       {{XlMaxRows - 1, XlMaxCols, XlMaxRows + 5, XlMaxCols + 5}},
       {{XlMaxRows - 1, XlMaxCols, XlMaxRows, XlMaxCols}}},
  };
  for (const Case& C : Cases) {
    TXlWorkbook Book;
    TXlWorksheet& S = Book.AddWorksheet();
    for (const TXlRange& R : C.Merges) S.Merge(R);
    ASSERT_EQ(S.Merges().size(), C.Expected.size()) << C.What;
    for (size_t I = 0; I < C.Expected.size(); ++I)
      EXPECT_EQ(XlRangeRef(S.Merges()[I]), XlRangeRef(C.Expected[I])) << C.What;
  }
}

TEST(XlWorkbook, AMergedAreaKeepsOneValueInItsTopLeftCell) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  // Top-left value present: the others are dropped, their looks stay.
  S.SetText(1, 1, "Total");
  S.SetText(1, 2, "lost");
  S.FormatRange({1, 2, 1, 2}, [](TXlCellFormat& F) { F.Bold = true; });
  S.Merge({1, 1, 1, 3});
  EXPECT_EQ(CellText(S, 1, 1), "Total");
  EXPECT_EQ(S.FindCell(1, 2)->Kind, TXlCell::TKind::Empty);
  EXPECT_TRUE(S.CellFormat(1, 2).Bold);
  // Top-left empty: the first value in reading order moves there (row 5 before row 6).
  S.SetText(6, 1, "later");
  S.SetNumber(5, 3, 7);
  S.Merge({5, 1, 6, 3});
  EXPECT_EQ(S.FindCell(5, 1)->Number, 7);
  EXPECT_EQ(S.FindCell(5, 3), nullptr);
  EXPECT_EQ(S.FindCell(6, 1), nullptr);
  // Coalescing keeps the value of the bounding area's top-left cell.
  S.SetText(10, 2, "upper");
  S.SetText(11, 1, "left");
  S.Merge({10, 2, 12, 2});
  S.Merge({11, 1, 11, 2});
  EXPECT_EQ(XlRangeRef(*S.FindMerge(12, 1)), "A10:B12");
  EXPECT_EQ(CellText(S, 10, 1), "upper");
  EXPECT_EQ(S.FindCell(11, 1), nullptr);
}

TEST(XlWorkbook, DefinedNamesFollowTheSpreadsheetRules) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  for (std::string Name : {"A1_Table2", "Analysis_1", "A2T1_Chart2", "_x", "TOC", "RC1x"})
    EXPECT_NO_THROW(Book.DefineName(Name, S, {1, 1, 1, 1})) << Name;
  EXPECT_NO_THROW(Book.DefineName(Cp1250("Łódź_1"), S, {1, 1, 1, 1}));
  for (std::string Name :
       {"", "B12", "xfd1", "R", "c", "R1C1", "rc", "r2", "1st", "a b", "a-b", "a:b"})
    EXPECT_THROW(Book.DefineName(Name, S, {1, 1, 1, 1}), EXlWorkbookError) << Name;
  // Defining a name again moves it.
  Book.DefineName("toc", S, {3, 2, 3, 2});
  ASSERT_NE(Book.FindName("TOC"), nullptr);
  EXPECT_EQ(XlRangeRef(Book.FindName("TOC")->Range, true), "$B$3");
  EXPECT_EQ(Book.Names().size(), 7u);
}

TEST(XlWorkbook, LinksShowTheirTextAndReplaceEachOther) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  S.AddHyperlink(4, 1, " ", "A1_Table1", " ", "First table");
  S.AddHyperlink(4, 1, " ", "A1_Table2", " ", "Second table");
  ASSERT_EQ(S.Hyperlinks().size(), 1u);
  EXPECT_EQ(S.FindHyperlink(4, 1)->SubAddress, "A1_Table2");
  EXPECT_EQ(CellText(S, 4, 1), "Second table");
  // Without a text the cell keeps its value, or shows the target when it has none.
  S.SetText(5, 1, "kept");
  S.AddHyperlink(5, 1, "", "Intro!A1", "", "");
  S.AddHyperlink(6, 1, "", "Intro!A1", "", "");
  EXPECT_EQ(CellText(S, 5, 1), "kept");
  EXPECT_EQ(CellText(S, 6, 1), "Intro!A1");
}

TEST(XlWorkbook, AutoFitMeasuresTheWidestShownValue) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  S.SetText(1, 1, "abc");
  S.SetText(2, 1, "twelve chars\r\nshort");  // the longest line counts
  S.SetText(3, 1, std::string(40, 'm'));
  S.Merge({3, 1, 3, 2});  // merged cells do not count
  S.AutoFitColumn(1);
  EXPECT_DOUBLE_EQ(*S.ColumnWidth(1), 12 + 1);

  S.SetText(1, 2, "abcdefghij");
  S.FormatRange({1, 2, 1, 2}, [](TXlCellFormat& F) {
    F.Bold = true;
    F.FontSize = 22;
  });
  S.AutoFitColumn(2);
  EXPECT_DOUBLE_EQ(*S.ColumnWidth(2), 10 * 2 * 1.1 + 1);

  S.SetNumber(1, 3, 0.256);
  S.FormatRange({1, 3, 1, 3}, [](TXlCellFormat& F) { F.NumberFormat = "0.0%"; });  // "25.6%"
  S.SetNumber(2, 3, 1234567);
  S.FormatRange({2, 3, 2, 3}, [](TXlCellFormat& F) { F.NumberFormat = "#,##0\\ \\*"; });
  S.AutoFitColumn(3);
  EXPECT_DOUBLE_EQ(*S.ColumnWidth(3), double(std::string("1,234,567 *").size()) + 1);

  S.SetColumnWidth(4, 30);
  S.AutoFitColumn(4);  // empty: back to the default width
  EXPECT_FALSE(S.ColumnWidth(4).has_value());
  S.SetText(1, 5, std::string(1000, 'w'));
  S.AutoFitColumn(5);
  EXPECT_DOUBLE_EQ(*S.ColumnWidth(5), XlMaxColumnWidth);
}

TEST(XlWorkbook, PanesFreezeAboveAndLeftOfTheirCell) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  EXPECT_FALSE(S.FrozenAt().has_value());
  S.FreezeAt(3, 2);
  EXPECT_EQ(S.FrozenAt(), std::make_pair(3, 2));
  S.FreezeAt(1, 1);
  EXPECT_FALSE(S.FrozenAt().has_value());
}

}  // namespace
}  // namespace quin
