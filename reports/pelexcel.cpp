// The worksheets of analyses and pivot tables in an exported workbook.
#include <algorithm>
#include <string>
#include <vector>

#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "base/colors.h"
#include "base/langmanager.h"
#include "reports/orvexcel.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"

namespace quin {

namespace {

std::string Joined(const std::vector<std::string>& Lines) {
  std::string Text;
  for (const std::string& L : Lines) Text += L;
  return Text;
}

// A new worksheet holding Text from its first cell, that cell named like the sheet.
TXlWorksheet& TextSheet(TOrvExcel& Excel, const std::string& Name, const std::string& Text) {
  TXlWorksheet& Sheet = Excel.AddWorksheet(Name);
  Excel.PlaceTabText(Sheet, 1, 1, Text, CurrentLangManager().FormatSettings);
  return Sheet;
}

void NameFirstCell(TOrvExcel& Excel, TXlWorksheet& Sheet) {
  const TOrvExcelRange A1 = Excel.GetCell(Sheet, 1, 1);
  Excel.Select(A1);
  Excel.AddName(A1, Sheet.Name());
}

TXlColor XlColorOf(TColor C) { return TXlColor::FromBgr(std::uint32_t(ColorToRGB(C))); }

}  // namespace

TXlSheet* TPelRepElemAnalysis::ExportToExcel(TOrvExcel& Excel, TXlWorksheet* IntroSheet,
                                             int Options, int Index) {
  std::vector<std::string> Lines;
  AppendText(Lines, Options);
  TXlWorksheet& Sheet = TextSheet(Excel, GetIdentPath(false), Joined(Lines));
  NameFirstCell(Excel, Sheet);
  ListSheetInContents(Excel, IntroSheet, Index, Sheet.Name(), GetFullCaption(), true);
  return &Sheet;
}

TXlSheet* TPelRepElemTable::ExportToExcel(TOrvExcel& Excel, TXlWorksheet* IntroSheet, int Options,
                                          int Index) {
  // The sheet row of visible row B is B + 2 (the caption line and an empty line come first);
  // the sheet column of visible column A is A.
  std::vector<std::string> Lines;
  AppendTextLines(Lines, false, 1);
  TXlWorksheet& Sheet = TextSheet(Excel, GetIdentPath(false), Joined(Lines));
  const TOrvExcelRange Caption = Excel.GetCell(Sheet, 1, 1);
  Excel.SetBold(Caption, true);
  Excel.SetFontSize(Caption, 12);
  NameFirstCell(Excel, Sheet);

  const int Cols = VisibleColCount(), Rows = VisibleRowCount();
  const TXlColor Yellow = XlColorOf(kPelHeaderColor);
  auto Range = [&](int A, int B, int RowCount, int ColCount) {
    return Excel.GetRange(Sheet, A, B + 2, RowCount, ColCount);
  };
  // The blocks: headers centred, row headers left, data right, all centred vertically.
  if (FirstDataRow > 1)
    Excel.SetAlignment(Range(1, 1, FirstDataRow - 1, Cols - 1), xlCenter, xlCenter);
  if (FirstDataCol > 1)
    Excel.SetAlignment(Range(1, 1, Rows - 1, FirstDataCol - 1), xlLeft, xlCenter);
  Excel.SetAlignment(Range(FirstDataCol, FirstDataRow, Rows - FirstDataRow, Cols - FirstDataCol),
                     xlRight, xlCenter);
  Excel.MergeCells(Range(1, 1, FirstDataRow - 1, FirstDataCol - 1));

  // Spans to the right: whole in header rows; elsewhere within the row-header columns, and a
  // span that reaches the last row-header column (a title over the table) is filled yellow.
  for (int B = 1; B < Rows && B + 2 <= XlMaxRows; ++B)
    for (int A = 1; A < Cols && A <= XlMaxCols;) {
      int N = 1;
      while (A + N < Cols && IsMergedRight(A + N - 1, B)) ++N;
      if (N > 1) {
        if (B < FirstDataRow) {
          Excel.MergeCells(Range(A, B, 1, N));
        } else {
          Excel.MergeCells(Range(A, B, 1, std::min(N, FirstDataCol - A)));
          if (A + N - 1 >= FirstDataCol - 1) Excel.SetInteriorColor(Range(A, B, 1, N), Yellow);
        }
      }
      A += N;
    }
  // Spans downward.
  for (int A = 1; A < Cols && A <= XlMaxCols; ++A)
    for (int B = 1; B < Rows && B + 2 <= XlMaxRows;) {
      int N = 1;
      while (B + N < Rows && IsMergedDown(A, B + N - 1)) ++N;
      if (N > 1) Excel.MergeCells(Range(A, B, N, 1));
      B += N;
    }
  if (FirstDataRow > 1) Excel.SetInteriorColor(Range(1, 1, FirstDataRow - 1, Cols - 1), Yellow);
  if (FirstDataCol > 1) Excel.SetInteriorColor(Range(1, 1, Rows - 1, FirstDataCol - 1), Yellow);

  const int LastA = std::min(Cols - 1, XlMaxCols);
  const int LastB = std::min(Rows - 1, XlMaxRows - 2);
  for (int A = 1; A <= LastA; ++A)
    for (int B = 1; B <= LastB; ++B)
      if (CellFontStyle(A, B) & 1) Excel.SetBold(Range(A, B, 1, 1), true);
  // Cells whose colours differ from the data's plain look.
  for (int A = FirstDataCol; A <= LastA; ++A)
    for (int B = FirstDataRow; B <= LastB; ++B) {
      if (const TColor Bg = CellBgColor(A, B); Bg != clWindow)
        Excel.SetInteriorColor(Range(A, B, 1, 1), XlColorOf(Bg));
      if (const TColor Fg = CellFontColor(A, B); Fg != clWindowText)
        Excel.SetFontColor(Range(A, B, 1, 1), XlColorOf(Fg));
    }

  // Number formats per run of equal masks: down the columns when the statistics are a layer
  // or column parameter, across the rows when they are a row parameter.
  TPelParStats* Stats = StatsPar();
  auto MaskAt = [&](int A, int B) {
    TPelRes* Cell = As<TPelRes>(GetCellObject(A, B));
    return Cell ? Cell->WorkbookNumberFormat() : std::string();
  };
  auto FormatRuns = [&](bool Down) {
    const int Outer1 = Down ? FirstDataCol : FirstDataRow, OuterN = Down ? LastA : LastB;
    const int Inner1 = Down ? FirstDataRow : FirstDataCol, InnerN = Down ? LastB : LastA;
    for (int O = Outer1; O <= OuterN; ++O)
      for (int I = Inner1; I <= InnerN;) {
        const std::string Mask = Down ? MaskAt(O, I) : MaskAt(I, O);
        int N = 1;
        while (I + N <= InnerN && (Down ? MaskAt(O, I + N) : MaskAt(I + N, O)) == Mask) ++N;
        if (!Mask.empty())
          Excel.SetNumberFormat(Down ? Range(O, I, N, 1) : Range(I, O, 1, N), Mask);
        I += N;
      }
  };
  if (Stats && (ColParams->IndexOf(Stats) >= 0 || LayerParams->IndexOf(Stats) >= 0))
    FormatRuns(true);
  else if (Stats && RowParams->IndexOf(Stats) >= 0)
    FormatRuns(false);

  // Markers after the numbers, as format suffixes.
  if (Options && Stats && (Stats->SigPct || Stats->SigMeans || Stats->RecsetDiff))
    for (int A = FirstDataCol; A <= LastA; ++A)
      for (int B = FirstDataRow; B <= LastB; ++B) {
        TPelRes* Cell = As<TPelRes>(GetCellObject(A, B));
        if (!Cell) continue;
        const char* Suffix = nullptr;
        if (Stats->RecsetDiff && Cell->UsesOtherRecset())
          Suffix = "\\ \\*";
        else if ((Stats->SigPct || Stats->SigMeans) && Cell->SigMark != 0)
          Suffix = Cell->SigMark < 1 ? "\\ -" : "\\ +";
        if (!Suffix) continue;
        const TOrvExcelRange C = Range(A, B, 1, 1);
        Excel.SetNumberFormat(C, Excel.GetNumberFormat(C) + Suffix);
      }

  Excel.Select(Range(FirstDataCol, FirstDataRow, 1, 1));
  Excel.FreezePanes(Sheet);
  ListSheetInContents(Excel, IntroSheet, Index, Sheet.Name(), GetFullCaption(), true);
  return &Sheet;
}

}  // namespace quin
