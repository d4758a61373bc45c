#include "platform/xlsxfile.h"

#include <xlsxwriter.h>

#include <cstdio>
#include <map>
#include <memory>

#include "base/scopeguard.h"
#include "platform/xlsxchart.h"

namespace quin {

namespace {

std::uint8_t LxwBorder(const TXlBorder& B) {
  const bool Heavy = B.Weight == TXlBorderWeight::Medium || B.Weight == TXlBorderWeight::Thick;
  switch (B.Style) {
    case TXlLineStyle::None:
      return LXW_BORDER_NONE;
    case TXlLineStyle::Dash:
      return Heavy ? LXW_BORDER_MEDIUM_DASHED : LXW_BORDER_DASHED;
    case TXlLineStyle::Dot:
      return LXW_BORDER_DOTTED;
    case TXlLineStyle::DashDot:
      return Heavy ? LXW_BORDER_MEDIUM_DASH_DOT : LXW_BORDER_DASH_DOT;
    case TXlLineStyle::DashDotDot:
      return Heavy ? LXW_BORDER_MEDIUM_DASH_DOT_DOT : LXW_BORDER_DASH_DOT_DOT;
    case TXlLineStyle::Double:
      return LXW_BORDER_DOUBLE;
    case TXlLineStyle::SlantDashDot:
      return LXW_BORDER_SLANT_DASH_DOT;
    case TXlLineStyle::Continuous:
      break;
  }
  switch (B.Weight) {
    case TXlBorderWeight::Hairline:
      return LXW_BORDER_HAIR;
    case TXlBorderWeight::Medium:
      return LXW_BORDER_MEDIUM;
    case TXlBorderWeight::Thick:
      return LXW_BORDER_THICK;
    case TXlBorderWeight::Thin:
      break;
  }
  return LXW_BORDER_THIN;
}

// The library's formats of the workbook's looks, made when first used; a link's look adds
// the single underline and, without a font colour of its own, blue.
class TFormats {
 public:
  TFormats(lxw_workbook* Book, const TXlWorkbook& Model) : FBook(Book), FModel(Model) {}

  lxw_format* Get(std::uint32_t Index, bool Link = false) {
    if (Index == 0 && !Link) return nullptr;
    lxw_format*& F = FMade[{Index, Link}];
    if (!F) F = Make(FModel.Formats()[Index], Link);
    return F;
  }

 private:
  lxw_format* Make(const TXlCellFormat& X, bool Link) {
    lxw_format* F = workbook_add_format(FBook);
    if (!X.NumberFormat.empty()) format_set_num_format(F, XlsxText(X.NumberFormat).c_str());
    if (X.Bold) format_set_bold(F);
    if (X.FontSize > 0) format_set_font_size(F, X.FontSize);
    if (X.FontColor)
      format_set_font_color(F, XlsxColor(*X.FontColor));
    else if (Link)
      format_set_font_color(F, LXW_COLOR_BLUE);
    if (Link) format_set_underline(F, LXW_UNDERLINE_SINGLE);
    if (X.FillColor) {
      format_set_pattern(F, LXW_PATTERN_SOLID);
      format_set_bg_color(F, XlsxColor(*X.FillColor));
    }
    static constexpr std::uint8_t H[] = {LXW_ALIGN_NONE, LXW_ALIGN_LEFT, LXW_ALIGN_CENTER,
                                         LXW_ALIGN_RIGHT};
    static constexpr std::uint8_t V[] = {LXW_ALIGN_NONE, LXW_ALIGN_VERTICAL_CENTER,
                                         LXW_ALIGN_VERTICAL_TOP};
    if (X.HAlign != TXlHAlign::General) format_set_align(F, H[int(X.HAlign)]);
    if (X.VAlign != TXlVAlign::Bottom) format_set_align(F, V[int(X.VAlign)]);
    SetBorder(F, X.Left, format_set_left, format_set_left_color);
    SetBorder(F, X.Top, format_set_top, format_set_top_color);
    SetBorder(F, X.Right, format_set_right, format_set_right_color);
    SetBorder(F, X.Bottom, format_set_bottom, format_set_bottom_color);
    return F;
  }

  static void SetBorder(lxw_format* F, const TXlBorder& B, void (*Style)(lxw_format*, std::uint8_t),
                        void (*Color)(lxw_format*, lxw_color_t)) {
    if (B.Style == TXlLineStyle::None) return;
    Style(F, LxwBorder(B));
    if (B.Color) Color(F, XlsxColor(*B.Color));
  }

  lxw_workbook* FBook;
  const TXlWorkbook& FModel;
  std::map<std::pair<std::uint32_t, bool>, lxw_format*> FMade;
};

// "'Sheet name'!$A$1" (apostrophes in the name doubled).
std::string SheetRef(const TXlSheet& S, const TXlRange& R) {
  std::string Name;
  for (char C : XlsxText(S.Name())) Name += C == '\'' ? std::string("''") : std::string(1, C);
  return "'" + Name + "'!" + XlRangeRef(R, true);
}

std::string LinkTarget(const TXlHyperlink& L) {
  const bool Internal = L.Address.find_first_not_of(' ') == std::string::npos;
  if (Internal) return "internal:" + XlsxText(L.SubAddress);
  return XlsxText(L.Address) + (L.SubAddress.empty() ? "" : "#" + XlsxText(L.SubAddress));
}

class TWriter {
 public:
  TWriter(lxw_workbook* Book, const TXlWorkbook& Model, const std::string& FileName)
      : FBook(Book),
        FModel(Model),
        FFileName(FileName),
        FFormats(Book, Model),
        FCharts(Book, DataSheetName(Model), FileName) {}

  void Write() {
    std::vector<void*> Written;  // the library's sheets, in order
    for (int I = 1; I <= FModel.SheetCount(); ++I) {
      const TXlSheet& S = *FModel.Sheet(I);
      if (S.Kind() == TXlSheetKind::Worksheet)
        Written.push_back(WriteWorksheet(static_cast<const TXlWorksheet&>(S)));
      else
        Written.push_back(WriteChartSheet(static_cast<const TXlChartSheet&>(S)));
    }
    FCharts.WriteData();
    for (const TXlDefinedName& N : FModel.Names())
      Check(workbook_define_name(FBook, XlsxText(N.Name).c_str(),
                                 ("=" + SheetRef(*N.Sheet, N.Range)).c_str()));
    const int Active = FModel.ActiveSheet();
    if (FModel.Sheet(Active)->Kind() == TXlSheetKind::Worksheet)
      worksheet_activate(static_cast<lxw_worksheet*>(Written[size_t(Active - 1)]));
    else
      chartsheet_activate(static_cast<lxw_chartsheet*>(Written[size_t(Active - 1)]));
  }

 private:
  static std::string DataSheetName(const TXlWorkbook& Model) {
    std::string Name = "ChartData";
    for (int N = 2; Model.FindSheet(Name); ++N) Name = "ChartData" + std::to_string(N);
    return Name;
  }

  void Check(lxw_error E) {
    if (E != LXW_NO_ERROR) FailXlsx(FFileName, lxw_strerror(E));
  }

  lxw_worksheet* WriteWorksheet(const TXlWorksheet& S) {
    lxw_worksheet* WS = workbook_add_worksheet(FBook, XlsxText(S.Name()).c_str());
    if (!WS) FailXlsx(FFileName, S.Name());
    for (const TXlRange& M : S.Merges())
      Check(worksheet_merge_range(WS, lxw_row_t(M.Row1 - 1), lxw_col_t(M.Col1 - 1),
                                  lxw_row_t(M.Row2 - 1), lxw_col_t(M.Col2 - 1), "",
                                  FFormats.Get(FormatOf(S, M.Row1, M.Col1))));
    for (auto& [Key, C] : S.Cells())
      WriteCell(WS, TXlWorksheet::KeyRow(Key) - 1, TXlWorksheet::KeyCol(Key) - 1, C);
    for (const TXlHyperlink& L : S.Hyperlinks()) WriteLink(WS, S, L);
    for (auto [Col, Width] : S.ColumnWidths())
      Check(worksheet_set_column(WS, lxw_col_t(Col - 1), lxw_col_t(Col - 1), Width, nullptr));
    const TXlRange& Sel = S.Selection();
    worksheet_set_selection(WS, lxw_row_t(Sel.Row1 - 1), lxw_col_t(Sel.Col1 - 1),
                            lxw_row_t(Sel.Row2 - 1), lxw_col_t(Sel.Col2 - 1));
    if (S.FrozenAt())
      worksheet_freeze_panes(WS, lxw_row_t(S.FrozenAt()->first - 1),
                             lxw_col_t(S.FrozenAt()->second - 1));
    return WS;
  }

  static std::uint32_t FormatOf(const TXlWorksheet& S, int Row, int Col) {
    const TXlCell* C = S.FindCell(Row, Col);
    return C ? C->Format : 0;
  }

  void WriteCell(lxw_worksheet* WS, int Row, int Col, const TXlCell& C) {
    lxw_format* F = FFormats.Get(C.Format);
    const auto R = lxw_row_t(Row);
    const auto K = lxw_col_t(Col);
    switch (C.Kind) {
      case TXlCell::TKind::Number:
        return Check(worksheet_write_number(WS, R, K, C.Number, F));
      case TXlCell::TKind::Text:
        if (!C.Text.empty())
          return Check(worksheet_write_string(WS, R, K, XlsxText(C.Text).c_str(), F));
        [[fallthrough]];
      case TXlCell::TKind::Empty:
        if (F) Check(worksheet_write_blank(WS, R, K, F));
        return;
    }
  }

  void WriteLink(lxw_worksheet* WS, const TXlWorksheet& S, const TXlHyperlink& L) {
    const TXlCell* C = S.FindCell(L.Row, L.Col);
    lxw_format* F = FFormats.Get(C ? C->Format : 0, true);
    const std::string Text =
        C && C->Kind == TXlCell::TKind::Text && !C->Text.empty() ? XlsxText(C->Text) : "";
    const std::string Tip = XlsxText(L.ScreenTip.substr(0, 255));
    Check(worksheet_write_url_opt(WS, lxw_row_t(L.Row - 1), lxw_col_t(L.Col - 1),
                                  LinkTarget(L).c_str(), F, Text.empty() ? nullptr : Text.c_str(),
                                  Tip.empty() ? nullptr : Tip.c_str()));
    if (C && C->Kind == TXlCell::TKind::Number)
      Check(worksheet_write_number(WS, lxw_row_t(L.Row - 1), lxw_col_t(L.Col - 1), C->Number, F));
  }

  lxw_chartsheet* WriteChartSheet(const TXlChartSheet& S) {
    lxw_chartsheet* CS = workbook_add_chartsheet(FBook, XlsxText(S.Name()).c_str());
    if (!CS) FailXlsx(FFileName, S.Name());
    Check(chartsheet_set_chart(CS, FCharts.Build(S.Chart)));
    return CS;
  }

  lxw_workbook* FBook;
  const TXlWorkbook& FModel;
  const std::string& FFileName;
  TFormats FFormats;
  TXlsxChartWriter FCharts;
};

struct TBookFree {
  void operator()(lxw_workbook* B) const { lxw_workbook_free(B); }
};

}  // namespace

void SaveWorkbookAsXlsx(const TXlWorkbook& Book, const std::string& FileName) {
  if (Book.SheetCount() == 0) FailXlsx(FileName, "no sheet");
  const std::string Temp = FileName + ".part";
  lxw_workbook_options Options{};
  Options.constant_memory = LXW_FALSE;
  std::unique_ptr<lxw_workbook, TBookFree> Lxw(workbook_new_opt(Temp.c_str(), &Options));
  if (!Lxw) FailXlsx(FileName, "out of memory");
  auto RemoveTemp = OnScopeFail([&] { std::remove(Temp.c_str()); });
  TWriter(Lxw.get(), Book, FileName).Write();
  const lxw_error E = workbook_close(Lxw.release());
  if (E != LXW_NO_ERROR) FailXlsx(FileName, lxw_strerror(E));
  if (std::rename(Temp.c_str(), FileName.c_str()) != 0) FailXlsx(FileName, "rename");
}

}  // namespace quin
