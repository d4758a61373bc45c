// The workbook writer of the export: one object per export creates a workbook, lets every
// exported element add and shape its sheet, saves the workbook and is freed. It works on our
// own workbook model (platform/workbook.h) and writes an .xlsx file; it shares nothing with
// other exports, so sessions may export at the same time.
//
// Operations on cells work on ranges from GetRange; a range outside the sheet is none (an
// empty optional) and every operation on none does nothing, so cells beyond 256 columns or
// 65536 rows are silently left alone. Like the spreadsheet's own interface, GetRange and
// PlaceTabText take the column before the row.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/formatsettings.h"
#include "base/metaclass.h"
#include "platform/workbook.h"

namespace quin {

// The spreadsheet's enumeration values the export passes.
inline constexpr int xlWorksheet = -4167;       // a new worksheet; the workbook template
inline constexpr int xlChart = -4109;           // a new chart sheet
inline constexpr int xlWorkbookNormal = -4143;  // the normal workbook format
inline constexpr int xlCenter = -4108;          // horizontal or vertical alignment
inline constexpr int xlLeft = -4131;            // horizontal alignment
inline constexpr int xlRight = -4152;           // horizontal alignment
inline constexpr int xlTop = -4160;             // vertical alignment
inline constexpr int xlBottom = -4107;          // vertical alignment
inline constexpr int xlGeneral = 1;             // horizontal alignment by the value's kind

// Border indexes of SetBorder.
inline constexpr int xlEdgeLeft = 7;
inline constexpr int xlEdgeTop = 8;
inline constexpr int xlEdgeBottom = 9;
inline constexpr int xlEdgeRight = 10;
inline constexpr int xlInsideVertical = 11;
inline constexpr int xlInsideHorizontal = 12;

// A rectangle of a worksheet's cells; none when it lies outside the sheet.
struct TXlSheetRange {
  TXlWorksheet* Sheet = nullptr;
  TXlRange Area;
};
using TOrvExcelRange = std::optional<TXlSheetRange>;

class TOrvExcel : public TObject {
  QUIN_CLASS(TOrvExcel, TObject)
 public:
  // A new workbook from Template: xlWorksheet (or none) gives one worksheet, xlChart one
  // chart sheet; another value raises EXlWorkbookError.
  explicit TOrvExcel(std::optional<int> Template = xlWorksheet);

  TXlWorkbook& Workbook() { return FWorkbook; }

  // Adds a sheet after the last one, named Name unless Name is empty. A name the
  // spreadsheet's rules reject, or one that a sheet holds already, raises EXlWorkbookError.
  TXlWorksheet& AddWorksheet(std::string_view Name);
  TXlChartSheet& AddChartSheet(std::string_view Name);
  TXlSheet& GetLastSheet();
  // The worksheet at the 1-based Index; null beyond the sheet count or for a chart sheet.
  TXlWorksheet* GetWorksheet(int Index);
  // Renames a sheet (the same rules as AddWorksheet).
  void SetSheetName(TXlSheet& Sheet, std::string_view Name);

  // None when Col or Row lies outside 1..256, 1..65536, or a count is below 1; otherwise from
  // (Row, Col) over RowCount rows and ColCount columns, cut at the sheet's last row and column.
  TOrvExcelRange GetRange(TXlWorksheet& Sheet, int Col, int Row, int RowCount, int ColCount) const;
  TOrvExcelRange GetCell(TXlWorksheet& Sheet, int Col, int Row) const {
    return GetRange(Sheet, Col, Row, 1, 1);
  }

  // Places tab-separated text with its top-left cell at (Row, Col): CR LF ends a line, a tab
  // ends a field; a field that reads as a number under Settings' separators (an exponent and
  // a trailing "%" allowed) becomes a numeric cell, anything else a text cell, never a
  // formula. Lines and fields beyond the sheet's limits are dropped.
  void PlaceTabText(TXlWorksheet& Sheet, int Col, int Row, std::string_view Text,
                    const TFormatSettings& Settings);

  // Horizontal: xlLeft, xlCenter, xlRight or xlGeneral; vertical: xlTop, xlCenter or xlBottom;
  // none leaves that direction unchanged; another value raises EXlWorkbookError.
  void SetAlignment(const TOrvExcelRange& Range, std::optional<int> Horizontal,
                    std::optional<int> Vertical);
  // One border of the range (xlEdgeLeft ... xlInsideHorizontal) with a line style
  // (TXlLineStyle's values), a weight (TXlBorderWeight's values) and a colour; an unknown
  // index, style or weight raises EXlWorkbookError.
  void SetBorder(const TOrvExcelRange& Range, int Index, int LineStyle, int Weight, TXlColor Color);
  void SetInteriorColor(const TOrvExcelRange& Range, TXlColor Color);
  void SetFontColor(const TOrvExcelRange& Range, TXlColor Color);
  void SetBold(const TOrvExcelRange& Range, bool Bold);
  void SetFontSize(const TOrvExcelRange& Range, double Size);
  // Number formats in the spreadsheet's invariant grammar ("#,##0.0", "0.0%"); "General" and
  // the empty text stand for no format.
  void SetNumberFormat(const TOrvExcelRange& Range, std::string_view Mask);
  // The format of the range's top-left cell; "General" when it has none (and for none).
  std::string GetNumberFormat(const TOrvExcelRange& Range) const;
  // Merges the range when it spans more than one cell (see TXlWorksheet::Merge).
  void MergeCells(const TOrvExcelRange& Range);

  // Every cell of the range gets the text (never read as a number or a formula) or number.
  void SetValue(const TOrvExcelRange& Range, std::string_view Text);
  void SetNumber(const TOrvExcelRange& Range, double Value);
  // Selects the range on its sheet.
  void Select(const TOrvExcelRange& Range);
  // Freezes the sheet's panes above and left of its selected cell.
  void FreezePanes(TXlWorksheet& Sheet);
  // Defines a workbook name for the range; an invalid name raises EXlWorkbookError.
  void AddName(const TOrvExcelRange& Range, std::string_view Name);
  // A link at the range's top-left cell to Address (blank: a place in this workbook) and
  // SubAddress (a defined name, or "Sheet!A1"), with a screen tip and the text shown.
  void AddHyperlink(const TOrvExcelRange& Anchor, std::string_view Address,
                    std::string_view SubAddress, std::string_view ScreenTip,
                    std::string_view TextToDisplay);
  // Fits the column's width to its content.
  void AutoFitColumn(TXlWorksheet& Sheet, int Col);

  // Makes the first sheet the one shown and writes the workbook to FileName as an .xlsx file
  // (the workbook format of this program); a failure raises EXlWorkbookError and leaves an
  // existing file untouched.
  void SaveAs(const std::string& FileName);

 private:
  template <class F>
  void Format(const TOrvExcelRange& Range, F&& Change);
  TXlWorkbook FWorkbook;
};

// Lists an element's sheet in row Index + 3 of the contents sheet: column 1 a link to the
// defined name SheetName showing Caption (with Link unset Caption as plain text), column 2 the
// sheet's name. Nothing without a contents sheet.
void ListSheetInContents(TOrvExcel& Excel, TXlWorksheet* Contents, int Index,
                         const std::string& SheetName, const std::string& Caption, bool Link);

}  // namespace quin
