#include "reports/orvexcel.h"

#include "base/format.h"
#include "base/text.h"
#include "platform/tabtext.h"
#include "platform/xlsxfile.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvExcel, TObject)

namespace {

[[noreturn]] void UnknownConstant(std::string_view What, const std::string& Value) {
  throw EXlWorkbookError(
      Cp1250("<PLK>Niepoprawna wartość arkusza (%s): %s.<ENU>Invalid spreadsheet value (%s): "
             "%s."),
      {std::string(What), Value});
}

[[noreturn]] void UnknownConstant(std::string_view What, int Value) {
  UnknownConstant(What, std::to_string(Value));
}

TXlHAlign HorizontalAlignment(int Code) {
  switch (Code) {
    case xlLeft:
      return TXlHAlign::Left;
    case xlCenter:
      return TXlHAlign::Center;
    case xlRight:
      return TXlHAlign::Right;
    case xlGeneral:
      return TXlHAlign::General;
  }
  UnknownConstant("HorizontalAlignment", Code);
}

TXlVAlign VerticalAlignment(int Code) {
  switch (Code) {
    case xlTop:
      return TXlVAlign::Top;
    case xlCenter:
      return TXlVAlign::Center;
    case xlBottom:
      return TXlVAlign::Bottom;
  }
  UnknownConstant("VerticalAlignment", Code);
}

TXlLineStyle LineStyle(int Code) {
  for (TXlLineStyle S : {TXlLineStyle::Continuous, TXlLineStyle::Dash, TXlLineStyle::Dot,
                         TXlLineStyle::DashDot, TXlLineStyle::DashDotDot, TXlLineStyle::Double,
                         TXlLineStyle::SlantDashDot, TXlLineStyle::None})
    if (int(S) == Code) return S;
  UnknownConstant("LineStyle", Code);
}

TXlBorderWeight BorderWeight(int Code) {
  for (TXlBorderWeight W : {TXlBorderWeight::Hairline, TXlBorderWeight::Thin,
                            TXlBorderWeight::Medium, TXlBorderWeight::Thick})
    if (int(W) == Code) return W;
  UnknownConstant("Weight", Code);
}

}  // namespace

TOrvExcel::TOrvExcel(std::optional<int> Template) {
  if (!Template || *Template == xlWorksheet)
    FWorkbook.AddWorksheet();
  else if (*Template == xlChart)
    FWorkbook.AddChartSheet();
  else
    UnknownConstant("Template", *Template);
}

TXlWorksheet& TOrvExcel::AddWorksheet(std::string_view Name) {
  return FWorkbook.AddWorksheet(Name);
}

TXlChartSheet& TOrvExcel::AddChartSheet(std::string_view Name) {
  return FWorkbook.AddChartSheet(Name);
}

TXlSheet& TOrvExcel::GetLastSheet() { return *FWorkbook.Sheet(FWorkbook.SheetCount()); }

TXlWorksheet* TOrvExcel::GetWorksheet(int Index) {
  TXlSheet* S = FWorkbook.Sheet(Index);
  return S && S->Kind() == TXlSheetKind::Worksheet ? static_cast<TXlWorksheet*>(S) : nullptr;
}

void TOrvExcel::SetSheetName(TXlSheet& Sheet, std::string_view Name) { Sheet.SetName(Name); }

TOrvExcelRange TOrvExcel::GetRange(TXlWorksheet& Sheet, int Col, int Row, int RowCount,
                                   int ColCount) const {
  if (!TXlWorksheet::InSheet(Row, Col) || RowCount < 1 || ColCount < 1) return std::nullopt;
  const long long LastRow = std::min<long long>(XlMaxRows, (long long)Row + RowCount - 1);
  const long long LastCol = std::min<long long>(XlMaxCols, (long long)Col + ColCount - 1);
  return TXlSheetRange{&Sheet, {Row, Col, int(LastRow), int(LastCol)}};
}

void TOrvExcel::PlaceTabText(TXlWorksheet& Sheet, int Col, int Row, std::string_view Text,
                             const TFormatSettings& Settings) {
  quin::PlaceTabText(Sheet, Row, Col, Text, Settings);
}

template <class F>
void TOrvExcel::Format(const TOrvExcelRange& Range, F&& Change) {
  if (Range) Range->Sheet->FormatRange(Range->Area, Change);
}

void TOrvExcel::SetAlignment(const TOrvExcelRange& Range, std::optional<int> Horizontal,
                             std::optional<int> Vertical) {
  if (!Range) return;
  // Plain values and flags: g++ 12 takes optionals of enumerations copied into a lambda for
  // maybe uninitialized.
  const bool SetH = Horizontal.has_value(), SetV = Vertical.has_value();
  const TXlHAlign H = SetH ? HorizontalAlignment(*Horizontal) : TXlHAlign{};
  const TXlVAlign V = SetV ? VerticalAlignment(*Vertical) : TXlVAlign{};
  Format(Range, [&](TXlCellFormat& X) {
    if (SetH) X.HAlign = H;
    if (SetV) X.VAlign = V;
  });
}

void TOrvExcel::SetBorder(const TOrvExcelRange& Range, int Index, int Style, int Weight,
                          TXlColor Color) {
  if (!Range) return;
  const TXlBorder B{LineStyle(Style), BorderWeight(Weight), Color};
  const TXlRange& A = Range->Area;
  TXlWorksheet& S = *Range->Sheet;
  auto Set = [&](TXlRange Part, TXlBorder TXlCellFormat::*Side) {
    if (Part.Row1 <= Part.Row2 && Part.Col1 <= Part.Col2)
      S.FormatRange(Part, [&](TXlCellFormat& X) { X.*Side = B; });
  };
  switch (Index) {
    case xlEdgeLeft:
      return Set({A.Row1, A.Col1, A.Row2, A.Col1}, &TXlCellFormat::Left);
    case xlEdgeTop:
      return Set({A.Row1, A.Col1, A.Row1, A.Col2}, &TXlCellFormat::Top);
    case xlEdgeBottom:
      return Set({A.Row2, A.Col1, A.Row2, A.Col2}, &TXlCellFormat::Bottom);
    case xlEdgeRight:
      return Set({A.Row1, A.Col2, A.Row2, A.Col2}, &TXlCellFormat::Right);
    case xlInsideVertical:
      return Set({A.Row1, A.Col1, A.Row2, A.Col2 - 1}, &TXlCellFormat::Right);
    case xlInsideHorizontal:
      return Set({A.Row1, A.Col1, A.Row2 - 1, A.Col2}, &TXlCellFormat::Bottom);
  }
  UnknownConstant("Borders", Index);
}

void TOrvExcel::SetInteriorColor(const TOrvExcelRange& Range, TXlColor Color) {
  Format(Range, [&](TXlCellFormat& X) { X.FillColor = Color; });
}

void TOrvExcel::SetFontColor(const TOrvExcelRange& Range, TXlColor Color) {
  Format(Range, [&](TXlCellFormat& X) { X.FontColor = Color; });
}

void TOrvExcel::SetBold(const TOrvExcelRange& Range, bool Bold) {
  Format(Range, [&](TXlCellFormat& X) { X.Bold = Bold; });
}

void TOrvExcel::SetFontSize(const TOrvExcelRange& Range, double Size) {
  if (!Range) return;
  if (!(Size >= 1 && Size <= 409)) UnknownConstant("Font.Size", FormatPointDecimal("%g", {Size}));
  Format(Range, [&](TXlCellFormat& X) { X.FontSize = Size; });
}

void TOrvExcel::SetNumberFormat(const TOrvExcelRange& Range, std::string_view Mask) {
  const std::string M = SameText(Mask, "General") ? "" : std::string(Mask);
  Format(Range, [&](TXlCellFormat& X) { X.NumberFormat = M; });
}

std::string TOrvExcel::GetNumberFormat(const TOrvExcelRange& Range) const {
  if (!Range) return "General";
  const std::string& M = Range->Sheet->CellFormat(Range->Area.Row1, Range->Area.Col1).NumberFormat;
  return M.empty() ? "General" : M;
}

void TOrvExcel::MergeCells(const TOrvExcelRange& Range) {
  if (Range && !Range->Area.IsSingleCell()) Range->Sheet->Merge(Range->Area);
}

void TOrvExcel::SetValue(const TOrvExcelRange& Range, std::string_view Text) {
  if (!Range) return;
  const TXlRange& A = Range->Area;
  for (int Row = A.Row1; Row <= A.Row2; ++Row)
    for (int Col = A.Col1; Col <= A.Col2; ++Col) Range->Sheet->SetText(Row, Col, Text);
}

void TOrvExcel::SetNumber(const TOrvExcelRange& Range, double Value) {
  if (!Range) return;
  const TXlRange& A = Range->Area;
  for (int Row = A.Row1; Row <= A.Row2; ++Row)
    for (int Col = A.Col1; Col <= A.Col2; ++Col) Range->Sheet->SetNumber(Row, Col, Value);
}

void TOrvExcel::Select(const TOrvExcelRange& Range) {
  if (Range) Range->Sheet->Select(Range->Area);
}

void TOrvExcel::FreezePanes(TXlWorksheet& Sheet) {
  Sheet.FreezeAt(Sheet.Selection().Row1, Sheet.Selection().Col1);
}

void TOrvExcel::AddName(const TOrvExcelRange& Range, std::string_view Name) {
  if (Range) FWorkbook.DefineName(Name, *Range->Sheet, Range->Area);
}

void TOrvExcel::AddHyperlink(const TOrvExcelRange& Anchor, std::string_view Address,
                             std::string_view SubAddress, std::string_view ScreenTip,
                             std::string_view TextToDisplay) {
  if (Anchor)
    Anchor->Sheet->AddHyperlink(Anchor->Area.Row1, Anchor->Area.Col1, Address, SubAddress,
                                ScreenTip, TextToDisplay);
}

void TOrvExcel::AutoFitColumn(TXlWorksheet& Sheet, int Col) { Sheet.AutoFitColumn(Col); }

void TOrvExcel::SaveAs(const std::string& FileName) {
  FWorkbook.Activate(1);
  SaveWorkbookAsXlsx(FWorkbook, FileName);
}

void ListSheetInContents(TOrvExcel& Excel, TXlWorksheet* Contents, int Index,
                         const std::string& SheetName, const std::string& Caption, bool Link) {
  if (!Contents) return;
  const TOrvExcelRange Cell = Excel.GetCell(*Contents, 1, Index + 3);
  if (Link)
    Excel.AddHyperlink(Cell, " ", SheetName, " ", Caption);
  else
    Excel.SetValue(Cell, Caption);
  Excel.SetValue(Excel.GetCell(*Contents, 2, Index + 3), SheetName);
}

}  // namespace quin
