// The in-memory workbook the export fills before it is written as a file: worksheets with
// sparse cells (value, number format, font, fill, alignment, borders), merged areas, column
// widths, internal hyperlinks, the selected and the frozen cell; chart sheets; names defined
// for cells. Texts are kept in Windows-1250 like every text of the program; the file writer
// recodes them. Sheets hold at most 256 columns and 65536 rows, rows and columns count from 1.
// Every workbook is independent of every other: nothing is shared between exports.
#pragma once

#include <algorithm>
#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvexceptions.h"
#include "platform/workbookchart.h"

namespace quin {

inline constexpr int XlMaxCols = 256;
inline constexpr int XlMaxRows = 65536;
inline constexpr std::size_t XlMaxCellText = 32767;  // characters of one cell
inline constexpr std::size_t XlMaxSheetName = 31;
inline constexpr double XlDefaultFontSize = 11;
inline constexpr double XlDefaultColumnWidth = 8.43;  // characters of the default font
inline constexpr double XlMaxColumnWidth = 255;

// A failing workbook operation: a sheet or defined name the spreadsheet rules reject, an
// unknown spreadsheet constant, a file that cannot be written.
class EXlWorkbookError : public EOrvException {
 public:
  using EOrvException::EOrvException;
};

enum class TXlHAlign : std::uint8_t { General, Left, Center, Right };
enum class TXlVAlign : std::uint8_t { Bottom, Center, Top };

// One border of a cell.
struct TXlBorder {
  TXlLineStyle Style = TXlLineStyle::None;
  TXlBorderWeight Weight = TXlBorderWeight::Thin;
  std::optional<TXlColor> Color;
  auto operator<=>(const TXlBorder&) const = default;
};

// The look of a cell; the workbook keeps each distinct look once.
struct TXlCellFormat {
  std::string NumberFormat;  // "" is General; "." decimals and "," thousands, as in "#,##0.0"
  bool Bold = false;
  double FontSize = 0;  // 0: the default size
  std::optional<TXlColor> FontColor;
  std::optional<TXlColor> FillColor;
  TXlHAlign HAlign = TXlHAlign::General;
  TXlVAlign VAlign = TXlVAlign::Bottom;
  TXlBorder Left, Top, Right, Bottom;
  auto operator<=>(const TXlCellFormat&) const = default;
};

// A rectangle of cells, inclusive, 1-based.
struct TXlRange {
  int Row1 = 1, Col1 = 1, Row2 = 1, Col2 = 1;
  int RowCount() const { return Row2 - Row1 + 1; }
  int ColCount() const { return Col2 - Col1 + 1; }
  bool IsSingleCell() const { return Row1 == Row2 && Col1 == Col2; }
  bool Contains(int Row, int Col) const {
    return Row >= Row1 && Row <= Row2 && Col >= Col1 && Col <= Col2;
  }
  bool Overlaps(const TXlRange& O) const {
    return Row1 <= O.Row2 && O.Row1 <= Row2 && Col1 <= O.Col2 && O.Col1 <= Col2;
  }
  bool operator==(const TXlRange&) const = default;
};
// The rectangle that holds both.
TXlRange BoundingRange(const TXlRange& A, const TXlRange& B);
// "A1" or "B2:C5" (with "$" before each part when Absolute).
std::string XlRangeRef(const TXlRange& R, bool Absolute = false);

struct TXlCell {
  enum class TKind : std::uint8_t { Empty, Number, Text };
  TKind Kind = TKind::Empty;
  double Number = 0;
  std::string Text;          // Windows-1250
  std::uint32_t Format = 0;  // index into the workbook's formats; 0 is the default look
};

// An internal link: Address blank means a place in this workbook named by SubAddress (a
// defined name or "Sheet!A1").
struct TXlHyperlink {
  int Row = 1, Col = 1;
  std::string Address;
  std::string SubAddress;
  std::string ScreenTip;
};

class TXlWorkbook;

enum class TXlSheetKind : std::uint8_t { Worksheet, ChartSheet };

class TXlSheet {
 public:
  virtual ~TXlSheet() = default;
  TXlSheet(const TXlSheet&) = delete;
  TXlSheet& operator=(const TXlSheet&) = delete;

  TXlSheetKind Kind() const { return FKind; }
  const std::string& Name() const { return FName; }
  // Renames the sheet; raises EXlWorkbookError for a name the rules reject or another sheet
  // holds already.
  void SetName(std::string_view Name);
  TXlWorkbook& Workbook() const { return *FWorkbook; }

 protected:
  TXlSheet(TXlWorkbook& Owner, TXlSheetKind Kind) : FWorkbook(&Owner), FKind(Kind) {}

 private:
  friend class TXlWorkbook;
  TXlWorkbook* FWorkbook;
  TXlSheetKind FKind;
  std::string FName;
};

class TXlWorksheet : public TXlSheet {
 public:
  explicit TXlWorksheet(TXlWorkbook& Owner) : TXlSheet(Owner, TXlSheetKind::Worksheet) {}

  // Cells by key (row - 1) * 256 + (col - 1): row by row, left to right.
  using TCellMap = std::map<std::uint32_t, TXlCell>;
  static std::uint32_t CellKey(int Row, int Col) {
    return std::uint32_t(Row - 1) * XlMaxCols + std::uint32_t(Col - 1);
  }
  static int KeyRow(std::uint32_t Key) { return int(Key / XlMaxCols) + 1; }
  static int KeyCol(std::uint32_t Key) { return int(Key % XlMaxCols) + 1; }
  static bool InSheet(int Row, int Col) {
    return Row >= 1 && Row <= XlMaxRows && Col >= 1 && Col <= XlMaxCols;
  }
  const TCellMap& Cells() const { return FCells; }

  // Null for a cell that holds neither value nor format, or lies outside the sheet.
  const TXlCell* FindCell(int Row, int Col) const;
  const TXlCellFormat& CellFormat(int Row, int Col) const;

  // Values. A text is cut to 32767 characters and is never a formula; a number that is not
  // finite leaves the cell empty. Cells outside the sheet are ignored.
  void SetText(int Row, int Col, std::string_view Text);
  void SetNumber(int Row, int Col, double Value);
  void ClearValue(int Row, int Col);

  // Changes the look of every cell of the range (also of empty cells: a fill shows on them).
  template <class F>
  void FormatRange(const TXlRange& R, F&& Change);

  // Merges the range. Overlapping merged areas become one: their bounding rectangle, which
  // may overlap further areas and so grows until it overlaps none. The merged area keeps the
  // value of its top-left cell, or, when that is empty, the first value in reading order,
  // moved to the top-left cell; the other cells lose their values and keep their look.
  void Merge(const TXlRange& R);
  const std::vector<TXlRange>& Merges() const { return FMerges; }
  // The merged area holding the cell, or null.
  const TXlRange* FindMerge(int Row, int Col) const;

  // Widths in characters of the default font; a column without width has the default.
  void SetColumnWidth(int Col, double Width);
  std::optional<double> ColumnWidth(int Col) const;
  const std::map<int, double>& ColumnWidths() const { return FWidths; }
  // Sets the column's width from an estimate of its widest shown value (merged cells do not
  // count); an empty column gets the default width back.
  void AutoFitColumn(int Col);

  // Adds a link at the cell (replacing one there); the cell shows TextToDisplay, or, when
  // that is empty and the cell holds no value, the link's target.
  void AddHyperlink(int Row, int Col, std::string_view Address, std::string_view SubAddress,
                    std::string_view ScreenTip, std::string_view TextToDisplay);
  const std::vector<TXlHyperlink>& Hyperlinks() const { return FLinks; }
  const TXlHyperlink* FindHyperlink(int Row, int Col) const;

  // The selected range (A1 at first) and the first cell below and right of the frozen
  // panes (none at first).
  void Select(const TXlRange& R) { FSelection = R; }
  const TXlRange& Selection() const { return FSelection; }
  // Freezes the rows above and the columns left of the cell; A1 freezes nothing.
  void FreezeAt(int Row, int Col);
  const std::optional<std::pair<int, int>>& FrozenAt() const { return FFrozenAt; }

 private:
  TXlCell& TouchCell(int Row, int Col);
  void ReleaseIfBare(int Row, int Col);
  std::uint32_t InternFormat(const TXlCellFormat& F);
  const TXlCellFormat& FormatAt(std::uint32_t Index) const;

  TCellMap FCells;
  std::vector<TXlRange> FMerges;
  std::map<int, double> FWidths;
  std::vector<TXlHyperlink> FLinks;
  TXlRange FSelection;
  std::optional<std::pair<int, int>> FFrozenAt;
};

class TXlChartSheet : public TXlSheet {
 public:
  explicit TXlChartSheet(TXlWorkbook& Owner) : TXlSheet(Owner, TXlSheetKind::ChartSheet) {}
  TXlChart Chart;
};

// A name defined for a range of a worksheet (workbook scope).
struct TXlDefinedName {
  std::string Name;
  const TXlWorksheet* Sheet = nullptr;
  TXlRange Range;
};

class TXlWorkbook {
 public:
  TXlWorkbook();
  TXlWorkbook(const TXlWorkbook&) = delete;
  TXlWorkbook& operator=(const TXlWorkbook&) = delete;

  // Adds a sheet after the last one. An empty name gives "Sheet<n>" or "Chart<n>" (the first
  // free number); a name the rules reject raises EXlWorkbookError.
  TXlWorksheet& AddWorksheet(std::string_view Name = "");
  TXlChartSheet& AddChartSheet(std::string_view Name = "");

  int SheetCount() const { return int(FSheets.size()); }
  // 1-based; null outside 1..SheetCount.
  TXlSheet* Sheet(int Index) const;
  int IndexOf(const TXlSheet& S) const;
  // The sheet of that name (letter case ignored), or null.
  TXlSheet* FindSheet(std::string_view Name) const;

  // Raises EXlWorkbookError unless Name is a valid sheet name held by no sheet but Except.
  void CheckSheetName(std::string_view Name, const TXlSheet* Except = nullptr) const;

  // Defines (or redefines) a workbook name for a range; a name the rules reject (blanks,
  // a cell reference such as "B12" or "R1C1", a leading digit) raises EXlWorkbookError.
  void DefineName(std::string_view Name, const TXlWorksheet& Sheet, const TXlRange& Range);
  const std::vector<TXlDefinedName>& Names() const { return FNames; }
  const TXlDefinedName* FindName(std::string_view Name) const;

  // The sheet shown when the file is opened (1-based).
  void Activate(int Index);
  int ActiveSheet() const { return FActive; }

  // The distinct cell looks; index 0 is the default look.
  const std::vector<TXlCellFormat>& Formats() const { return FFormats; }
  std::uint32_t InternFormat(const TXlCellFormat& F);

 private:
  std::string FreeSheetName(std::string_view Stem) const;
  template <class T>
  T& AddSheet(std::string_view Name, std::string_view Stem);

  std::vector<std::unique_ptr<TXlSheet>> FSheets;
  std::vector<TXlDefinedName> FNames;
  std::vector<TXlCellFormat> FFormats;
  std::map<TXlCellFormat, std::uint32_t> FFormatIndex;
  int FActive = 1;
};

// Letter case folded for the comparison of sheet and defined names (ASCII and the letters of
// Windows-1250).
bool XlSameName(std::string_view A, std::string_view B);

template <class F>
void TXlWorksheet::FormatRange(const TXlRange& R, F&& Change) {
  std::map<std::uint32_t, std::uint32_t> Done;  // old look -> new look, within this call
  for (int Row = std::max(R.Row1, 1); Row <= std::min(R.Row2, XlMaxRows); ++Row)
    for (int Col = std::max(R.Col1, 1); Col <= std::min(R.Col2, XlMaxCols); ++Col) {
      TXlCell& C = TouchCell(Row, Col);
      auto It = Done.find(C.Format);
      if (It == Done.end()) {
        TXlCellFormat Look = FormatAt(C.Format);
        Change(Look);
        It = Done.emplace(C.Format, InternFormat(Look)).first;
      }
      C.Format = It->second;
      if (C.Format == 0 && C.Kind == TXlCell::TKind::Empty) ReleaseIfBare(Row, Col);
    }
}

}  // namespace quin
