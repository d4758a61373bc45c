// The pivot table: a grid whose column headers come from the analysis parameters placed on the
// columns, whose row headers come from those on the rows, and whose data cells are TPelRes
// cells addressed by one item of every column, row and layer parameter (a layer parameter
// restricts every cell to its selected item).
//
// The grids are column-major, indexed by column then row, both from 0. Bands from the left
// (from the top): column 0 (row 0) holds the sheet coordinates, then the row-header columns
// (column-header rows), then the margin ("Total", "N =") lines, then the data lines. The
// table's operations address cells by visible position: hidden lines skipped, the sort order
// applied; visible position 0 is always the coordinate line.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/pelpar.h"
#include "base/colors.h"
#include "base/orvexceptions.h"
#include "reports/pelrepelem.h"

namespace quin {

class TGimStat;
class TPelRepElemAnalysis;
class TPelParStats;
class TPelRes;
class TPelResElem;
class TPelResElemRef;
class TGimWeight;
class TPelDataBasedOn;
class TPelResManager;
class TPelSortDataInfo;
class TPelSortDataInfoList;
class TPelTableDataInfo;
class TPelTableSortParams;
struct TPelNeighbour;

// A table whose grid would exceed the cell cap: refused with a message.
class EPelTableTooLarge : public EOrvException {
 public:
  using EOrvException::EOrvException;
};

// The most cells (grid columns x grid rows) a table may have: a result cell with its coordinate
// references takes about a kilobyte, and a table beyond this is no table anyone reads.
inline constexpr int64_t kPelMaxTableCells = 250000;

// Presentation colours of the cells.
inline constexpr TColor kPelHeaderColor = clYellow;
inline constexpr TColor kPelLimitCellColor = 0xF5F5F5;
inline constexpr TColor kPelBaseFontColor = clGray;
inline constexpr TColor kPelBaseDiffFontColor = clMaroon;

// Cell alignment as the outputs use it.
enum class TPelCellAlign { Left, Right, Center };

// A region of the table by visible positions (first and last column and row).
struct TPelTableRegion {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// Flags of the text form.
enum : int {
  kPelTextHeaders = 1,   // the caption line, the column-header lines and the row-header cells
  kPelTextComments = 2,  // the comments section
  kPelTextNotes = 4,     // the notes section
  kPelTextRaw = 8,       // raw values
  kPelTextPctSign = 16,  // percent signs
  kPelTextMarkers = 32,  // the markers " *", " +", " -"
};

class TPelRepElemTable : public TPelRepElem {
  QUIN_CLASS(TPelRepElemTable, TPelRepElem)
 public:
  // The element below Analysis: empty axes, selections and sort settings; number 1.
  TPelRepElemTable(TPelRepElem* AAnalysis, TPelSurvey* ASurvey);
  ~TPelRepElemTable() override;

  int ColCount = 1;
  int RowCount = 1;
  bool LayerNKnown = false;  // layerNW and layerNA hold a calculation's or the file's figures
  double LayerNW = 0;        // weighted cases of the data basis under the analysis's weight
  int32_t LayerNA = 0;       // unweighted cases
  // The axes: parameters of the analysis, not owned; the first is the outermost level.
  std::unique_ptr<TPelParList> ColParams;
  std::unique_ptr<TPelParList> RowParams;
  std::unique_ptr<TPelParList> LayerParams;
  std::unique_ptr<TPelParSelections> ParSelections;  // the selected item of each parameter
  bool Calculated = false;
  int DataColCount = 0;
  int FirstDataCol = 1;
  int DataRowCount = 0;
  int FirstDataRow = 1;
  int MarginCols = 0;
  int MarginRows = 0;
  std::vector<uint8_t> ColHidden;  // per grid column
  std::vector<uint8_t> RowHidden;  // per grid row
  std::vector<int32_t> ColWidths;  // pixels of the desktop grid, kept for the file
  std::vector<int32_t> RowHeights;
  std::unique_ptr<TPelTableSortParams> SortParams;

  // ---- The grids (column-major; outside the grid: nothing, empty, 0)
  bool InGrid(int C, int R) const { return C >= 0 && R >= 0 && C < ColCount && R < RowCount; }
  const std::string& TextAt(int C, int R) const;
  void SetTextAt(int C, int R, std::string Text);
  double ValueAt(int C, int R) const;
  void SetValueAt(int C, int R, double Value);
  TOrvObject* ObjectAt(int C, int R) const;
  TPelRes* CellAt(int C, int R) const;
  TPelResElem* ElemAt(int C, int R) const;
  bool OwnedAt(int C, int R) const;
  bool MergeRightAt(int C, int R) const;
  bool MergeDownAt(int C, int R) const;
  void SetMergeRight(int C, int R, bool Value);
  void SetMergeDown(int C, int R, bool Value);
  // The header position (item) of the parameter whose header cell (C, R) is; -1 elsewhere.
  int HeaderPosAt(int C, int R) const;

  // ---- Axes
  // Appends Par to the axis unless it is null or empty; WithAxes inserts the extra
  // response-axis parameters of a split questions parameter right after it.
  void AddColPar(TPelPar* Par, bool WithAxes);
  void AddRowPar(TPelPar* Par, bool WithAxes);
  void AddLayerPar(TPelPar* Par, bool WithAxes);
  TPelRepElemAnalysis* Analysis() const;
  // The analysis's statistics parameter; null when none.
  TPelParStats* StatsPar() const;

  // ---- Visible positions
  int VisibleColCount() const;
  int VisibleRowCount() const;
  // The grid line shown at visible position A (B); -1 outside.
  int GridCol(int A) const;
  int GridRow(int B) const;
  // Hidden flags or the sort order changed outside the table's own operations.
  void InvalidateVisible() { FVisibleValid = false; }
  TOrvObject* GetCellObject(int A, int B) const;
  std::string GetCellText(int A, int B) const;
  double GetCellValue(int A, int B) const;
  void SetCellValue(int A, int B, double Value);
  void SetCellText(int A, int B, std::string Text);
  // Value and the cell's display text for it.
  void StoreCellResult(int A, int B, double Value);
  // The cell continues into the one below (right of) it: every grid line from its own to the
  // next visible one's has the span mark; never outside the lines 1 .. visible lines - 2.
  bool IsMergedDown(int A, int B) const { return IsMerged(true, A, B); }
  bool IsMergedRight(int A, int B) const { return IsMerged(false, A, B); }
  // The visible position of the first cell (columns outer, rows inner, from 1) whose object is
  // exactly of Class; (1, 1) when none.
  void FindFirstCellOfClass(const ClassInfo& Class, int& A, int& B) const;
  // The cell is a result that accepts an optimisation limit.
  bool IsLimitCell(int A, int B) const;

  // ---- Grid
  // Sizes every grid for ColCount x RowCount: values zero-filled when ResetValues (and grown
  // with zeros otherwise), texts, objects, spans and the header positions cleared, hidden
  // flags cleared when ResetValues (else kept where the size allows), permutations reset.
  void AllocateGrid(bool ResetValues);
  // Frees the layer elements and the owned cell objects; clears every other reference.
  void FreeCells();

  // ---- Layout and calculation (peltablelayout.cpp)
  // The bands and the grid size from the axes; EPelTableTooLarge beyond the cell cap.
  void ComputeGridCounts();
  // Clears the header cells' texts (coordinates kept).
  void ClearHeaderTexts();
  // The headers' texts and spans, with WithObjects also their elements (margins first).
  void BuildRowHeaders(bool WithObjects);
  void BuildColHeaders(bool WithObjects);
  // Headers and one result cell per data position; cells that need no case data get their
  // values at once.
  void BuildTableCells(bool ResetValues);
  // Computes the table with one result manager: cells, sort, hiding, marks and texts, and the
  // layer's case counts. The analysis must be calculable.
  void Calculate();

  // ---- Hiding, marks, texts and presentation (peltablemarks.cpp)
  void HideEmptyLines();
  void MarkSignificance();
  // The next comparable cell from visible (A, B) StepRow rows and StepCol columns on.
  TPelNeighbour FindNeighbourCell(int A, int B, int StepRow, int StepCol);
  void FormatCellTexts();
  TColor CellBgColor(int A, int B) const;
  TColor CellFontColor(int A, int B) const;
  TPelCellAlign CellAlignment(int A, int B) const;
  // Bits: 1 bold, 2 italic, 4 underline.
  int CellFontStyle(int A, int B) const;
  std::string ColHeaderPath(int A) const;
  std::string RowHeaderPath(int B) const;
  std::string GetInfoText(int Options);

  // ---- Outputs (peltableoutput.cpp)
  void FillCoordinates();
  // The texts made afresh from the calculated cells, as every output wants them: header texts
  // in the current language (without new elements), coordinates, cell texts and the sort.
  // Nothing before the first calculation.
  void RefreshTexts();
  void RenderHtml(std::vector<std::string>& Lines) const;
  // The HTML as one text, one line per tag line.
  std::string RenderHtmlText() const;
  void AppendTextLines(std::vector<std::string>& Lines, bool WithMarks, int Options);
  // The text form of Region (visible data positions) appended to Lines as one entry.
  void CopyTableAsText(std::vector<std::string>& Lines, const TPelTableRegion& Region, int Options,
                       bool AllDescriptions, int Flags);

  // ---- Sorting (peltablesort.cpp)
  void ApplySort();
  // Kind 0 resets the order, 1 orders the rows by column Line, 2 the columns by row Line.
  void SortLine(int Kind, int Order, int Line);
  // A new sort key for the line (a header parameter's last header line or a data line).
  TPelSortDataInfo* NewSortKey(int Kind, int Line, int Order);

  // A parameter of the table counts press days: a layer with its selected item, a column or
  // row parameter with any item.
  bool UsesDays() const;

  // ---- Overrides
  std::string GetKindCaption() const override;
  std::string GetKindName(bool Short) const override;
  std::string GetDefKeyword() const override { return "table"; }
  bool IsTableElement() const override { return true; }
  bool IsContentElement() const override { return true; }
  std::string GetFullCaption() const override;
  std::string GetOwnDescription(int Options) override { return GetInfoText(Options); }
  void AppendText(std::vector<std::string>& Lines, int Options) override;
  // A worksheet named by the identification path: the text form placed from its first cell
  // (numbers as numbers), shaped as the table looks (merged spans, yellow headers, bold
  // labels, cell colours, number formats per run of equal masks, with Options set the
  // significance and record-set markers as format suffixes), headers frozen; listed with a
  // link in the contents sheet.
  TXlSheet* ExportToExcel(TOrvExcel& Excel, TXlWorksheet* IntroSheet, int Options,
                          int Index) override;
  void WriteKeys(TStream& Stream, int& Indent) const override;
  void ReadBody(TRixScanner& Scanner, bool& Stale) override;

 private:
  // The HTML table, one tag line at a time.
  void WriteHtml(const std::function<void(std::string_view)>& Line) const;
  friend class TPelTableLayout;
  friend class TPelTableReader;
  size_t Ix(int C, int R) const {
    return static_cast<size_t>(C) * static_cast<size_t>(RowCount) + static_cast<size_t>(R);
  }
  void AddPar(TPelParList& Axis, TPelPar* Par, bool WithAxes);
  void BuildVisible() const;
  bool IsMerged(bool Down, int A, int B) const;
  std::string HeaderPath(bool Cols, int Line) const;
  // Hides the empty data lines of one direction; shows them all again when none is kept.
  void HideEmptyLinesOf(bool Rows, int Mode);
  void RestoreCells(const std::vector<int>& BaseDiffs, const std::vector<int>& SigDiffs);
  void RelinkSortKeys();
  void ClearCellObject(int C, int R);
  void FreeCellObjects();
  // A new result cell, or a spare one built anew in its memory.
  std::unique_ptr<TPelRes> MakeCell(const TGimWeight* Weight, TPelDataBasedOn* BasedOn);
  // A new reference to the header element E, or a spare one built anew.
  std::unique_ptr<TPelResElem> MakeRef(TPelResElem* E);
  // Sorting helpers.
  void LocateKeys(TPelSortDataInfoList& Keys, int Kind, int FirstC, int FirstR);
  int ParamLine(int Kind, int Position) const;

  std::vector<std::string> FTexts;
  std::vector<double> FValues;
  std::vector<TOrvObject*> FObjects;
  std::vector<uint8_t> FOwned;
  std::vector<uint8_t> FMergeRight;
  std::vector<uint8_t> FMergeDown;
  std::vector<int32_t> FHeaderPos;
  std::vector<uint8_t> FDirect;  // the cell took its value without case data
  std::vector<std::unique_ptr<TPelResElem>> FLayerElems;
  // The cells of the last build and their references, kept by FreeCellObjects for the next
  // build: a recalculation rebuilds them in the same memory instead of freeing and allocating
  // thousands of objects (which the server's request threads would contend for). The spares
  // the next build does not use are freed at its end.
  std::vector<std::unique_ptr<TPelRes>> FSpareCells;
  std::vector<std::unique_ptr<TPelResElemRef>> FSpareRefs;
  // Header lines per level: rows per position of each column parameter, columns per position
  // of each row parameter (from the last grid counts), and the level of each header line.
  std::vector<int> FColLevelRows;
  std::vector<int> FRowLevelCols;
  mutable std::vector<int> FVisCols;
  mutable std::vector<int> FVisRows;
  mutable bool FVisibleValid = false;

 public:
  // The layer elements (one per layer parameter; null for a parameter without items).
  const std::vector<std::unique_ptr<TPelResElem>>& LayerElems() const { return FLayerElems; }
  // The row parameter whose header band holds header column C (1 ..), the column parameter
  // whose band holds header row R; -1 outside.
  int RowLevelOfCol(int C) const;
  int ColLevelOfRow(int R) const;
};

// Links the elements of a cell address to the parameters of Axis that own their sub-parameters.
void PelRelinkDataInfo(TPelTableDataInfo& Info, const TPelParList& Axis);

// Spreadsheet column letters of sheet column N: 1 "A" .. 26 "Z", 27 "AA" .. 702 "ZZ", 703 "AAA".
std::string PelColumnLetters(int N);

// Registers the table's element kind ("table" blocks in analyses).
void RegisterTableElemKind();

}  // namespace quin
