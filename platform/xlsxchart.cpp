#include "platform/xlsxchart.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "platform/workbook.h"

namespace quin {

namespace {

constexpr int XlsxMaxRows = 1048576;
constexpr int XlsxMaxCols = 16384;

std::uint8_t LxwChartType(TXlChartType T) {
  switch (FlatChartType(T)) {
    case TXlChartType::ColumnStacked:
      return LXW_CHART_COLUMN_STACKED;
    case TXlChartType::ColumnStacked100:
      return LXW_CHART_COLUMN_STACKED_PERCENT;
    case TXlChartType::BarClustered:
      return LXW_CHART_BAR;
    case TXlChartType::BarStacked:
      return LXW_CHART_BAR_STACKED;
    case TXlChartType::BarStacked100:
      return LXW_CHART_BAR_STACKED_PERCENT;
    case TXlChartType::Area:
      return LXW_CHART_AREA;
    case TXlChartType::AreaStacked:
      return LXW_CHART_AREA_STACKED;
    case TXlChartType::AreaStacked100:
      return LXW_CHART_AREA_STACKED_PERCENT;
    case TXlChartType::Line:
      return LXW_CHART_LINE;
    case TXlChartType::LineStacked:
      return LXW_CHART_LINE_STACKED;
    case TXlChartType::LineStacked100:
      return LXW_CHART_LINE_STACKED_PERCENT;
    case TXlChartType::Pie:
      return LXW_CHART_PIE;
    default:
      return LXW_CHART_COLUMN;
  }
}

bool IsLineKind(TXlChartType T) {
  const TXlChartType F = FlatChartType(T);
  return F == TXlChartType::Line || F == TXlChartType::LineStacked ||
         F == TXlChartType::LineStacked100;
}

lxw_chart_line LxwLine(const TXlLine& L) {
  lxw_chart_line R{};
  if (L.Style == TXlLineStyle::None) {
    R.none = LXW_TRUE;
    return R;
  }
  if (L.Color) R.color = XlsxColor(*L.Color);
  switch (L.Weight) {
    case TXlBorderWeight::Hairline:
      R.width = 0.25f;
      break;
    case TXlBorderWeight::Thin:
      R.width = 0.75f;
      break;
    case TXlBorderWeight::Medium:
      R.width = 1.5f;
      break;
    case TXlBorderWeight::Thick:
      R.width = 2.25f;
      break;
  }
  switch (L.Style) {
    case TXlLineStyle::Dash:
      R.dash_type = LXW_CHART_LINE_DASH_DASH;
      break;
    case TXlLineStyle::Dot:
      R.dash_type = LXW_CHART_LINE_DASH_ROUND_DOT;
      break;
    case TXlLineStyle::DashDot:
    case TXlLineStyle::SlantDashDot:
      R.dash_type = LXW_CHART_LINE_DASH_DASH_DOT;
      break;
    case TXlLineStyle::DashDotDot:
      R.dash_type = LXW_CHART_LINE_DASH_LONG_DASH_DOT_DOT;
      break;
    default:
      R.dash_type = LXW_CHART_LINE_DASH_SOLID;
  }
  return R;
}

std::uint8_t LxwPattern(TXlPattern P) {
  switch (P) {
    case TXlPattern::LightHorizontal:
      return LXW_CHART_PATTERN_LIGHT_HORIZONTAL;
    case TXlPattern::LightVertical:
      return LXW_CHART_PATTERN_LIGHT_VERTICAL;
    case TXlPattern::LightDownwardDiagonal:
      return LXW_CHART_PATTERN_LIGHT_DOWNWARD_DIAGONAL;
    case TXlPattern::LightUpwardDiagonal:
      return LXW_CHART_PATTERN_LIGHT_UPWARD_DIAGONAL;
    case TXlPattern::LargeGrid:
      return LXW_CHART_PATTERN_LARGE_GRID;
    case TXlPattern::OutlinedDiamond:
      return LXW_CHART_PATTERN_OUTLINED_DIAMOND;
  }
  return LXW_CHART_PATTERN_NONE;
}

lxw_chart_pattern LxwPatternFill(TXlPattern P, std::optional<TXlColor> Color) {
  lxw_chart_pattern R{};
  R.type = LxwPattern(P);
  R.fg_color = XlsxColor(Color.value_or(TXlColor{}));
  R.bg_color = XlsxColor(TXlColor::FromRgb(0xFFFFFF));
  return R;
}

std::uint8_t LxwMarker(TXlMarkerStyle S) {
  switch (S) {
    case TXlMarkerStyle::Square:
      return LXW_CHART_MARKER_SQUARE;
    case TXlMarkerStyle::Diamond:
      return LXW_CHART_MARKER_DIAMOND;
    case TXlMarkerStyle::Triangle:
      return LXW_CHART_MARKER_TRIANGLE;
    case TXlMarkerStyle::Star:
      return LXW_CHART_MARKER_STAR;
    case TXlMarkerStyle::Circle:
    case TXlMarkerStyle::Dot:
      return LXW_CHART_MARKER_CIRCLE;
    case TXlMarkerStyle::Plus:
      return LXW_CHART_MARKER_PLUS;
    case TXlMarkerStyle::X:
      return LXW_CHART_MARKER_X;
    case TXlMarkerStyle::None:
      break;
  }
  return LXW_CHART_MARKER_NONE;
}

// A library font over a name kept alive by the caller.
struct TLxwFont {
  explicit TLxwFont(const TXlFont& F, std::int32_t Rotation = 0) : Name(XlsxText(F.Name)) {
    Font.name = Name.empty() ? nullptr : Name.data();
    Font.size = F.Size;
    Font.bold = F.Bold;
    Font.italic = F.Italic;
    Font.underline = F.Underline;
    Font.rotation = Rotation;
    if (F.Color) Font.color = XlsxColor(*F.Color);
  }
  std::string Name;
  lxw_chart_font Font{};
};

bool IsDefaultFont(const TXlFont& F) {
  return F.Name.empty() && !F.Bold && !F.Italic && !F.Underline && F.Size == 0 && !F.Color;
}

void SetSeriesLook(lxw_chart_series* S, const TXlSeries& X) {
  const bool Line = IsLineKind(X.ChartType);
  if (X.Pattern) {
    lxw_chart_pattern P = LxwPatternFill(*X.Pattern, X.Interior);
    chart_series_set_pattern(S, &P);
  } else if (X.Interior && !Line) {
    lxw_chart_fill F{};
    F.color = XlsxColor(*X.Interior);
    chart_series_set_fill(S, &F);
  }
  if (X.Border) {
    lxw_chart_line L = LxwLine(*X.Border);
    chart_series_set_line(S, &L);
  }
  if (X.Marker && X.Marker->Style != TXlMarkerStyle::None) {
    chart_series_set_marker_type(S, LxwMarker(X.Marker->Style));
    chart_series_set_marker_size(S, std::uint8_t(std::clamp(X.Marker->Size, 2, 72)));
    if (X.Marker->Background) {
      lxw_chart_fill F{};
      F.color = XlsxColor(*X.Marker->Background);
      chart_series_set_marker_fill(S, &F);
    }
    if (X.Marker->Foreground) {
      lxw_chart_line L{};
      L.color = XlsxColor(*X.Marker->Foreground);
      chart_series_set_marker_line(S, &L);
    }
  } else if (Line || X.Marker) {
    chart_series_set_marker_type(S, LXW_CHART_MARKER_NONE);
  }
}

void SetDataLabels(lxw_chart_series* S, const TXlDataLabels& D) {
  switch (D.Type) {
    case TXlDataLabelsType::None:
      return;
    case TXlDataLabelsType::ShowValue:
      chart_series_set_labels_options(S, LXW_FALSE, LXW_FALSE, LXW_TRUE);
      break;
    case TXlDataLabelsType::ShowPercent:
      chart_series_set_labels_options(S, LXW_FALSE, LXW_FALSE, LXW_FALSE);
      chart_series_set_labels_percentage(S);
      break;
    case TXlDataLabelsType::ShowLabel:
      chart_series_set_labels_options(S, LXW_FALSE, LXW_TRUE, LXW_FALSE);
      break;
    case TXlDataLabelsType::ShowLabelAndPercent:
      chart_series_set_labels_options(S, LXW_FALSE, LXW_TRUE, LXW_FALSE);
      chart_series_set_labels_percentage(S);
      break;
  }
  if (!IsDefaultFont(D.Font)) {
    TLxwFont F(D.Font);
    chart_series_set_labels_font(S, &F.Font);
  }
  if (D.Interior) {
    lxw_chart_fill F{};
    F.color = XlsxColor(*D.Interior);
    chart_series_set_labels_fill(S, &F);
  }
  if (D.Border) {
    lxw_chart_line L = LxwLine(*D.Border);
    chart_series_set_labels_line(S, &L);
  }
}

void SetPoints(lxw_chart_series* S, const TXlSeries& X, const std::string& FileName) {
  if (X.Points.empty()) return;
  struct TPoint {
    lxw_chart_fill Fill{};
    lxw_chart_line Line{};
    lxw_chart_pattern Pattern{};
    lxw_chart_point Point{};
  };
  std::vector<TPoint> Points(X.Points.size());
  std::vector<lxw_chart_point*> List;
  for (size_t I = 0; I < X.Points.size(); ++I) {
    const TXlPointFormat& F = X.Points[I];
    TPoint& P = Points[I];
    if (F.Pattern) {
      P.Pattern = LxwPatternFill(*F.Pattern, F.Interior ? F.Interior : X.Interior);
      P.Point.pattern = &P.Pattern;
    } else if (F.Interior) {
      P.Fill.color = XlsxColor(*F.Interior);
      P.Point.fill = &P.Fill;
    }
    if (F.LineColor) {
      P.Line.color = XlsxColor(*F.LineColor);
      P.Point.line = &P.Line;
    }
    List.push_back(&P.Point);
  }
  List.push_back(nullptr);
  const lxw_error E = chart_series_set_points(S, List.data());
  if (E != LXW_NO_ERROR) FailXlsx(FileName, lxw_strerror(E));
}

int32_t Rotation(TXlTickLabelOrientation O) {
  switch (O) {
    case TXlTickLabelOrientation::Upward:
      return -90;
    case TXlTickLabelOrientation::Downward:
      return 90;
    default:
      return 0;
  }
}

void SetAxis(lxw_chart_axis* A, const TXlAxis& X, bool Category, const std::string& Sheet,
             int TitleRow, int TitleCol) {
  if (X.ReversePlotOrder) chart_axis_set_reverse(A);
  if (!Category) {
    if (X.Minimum) chart_axis_set_min(A, *X.Minimum);
    if (X.Maximum) chart_axis_set_max(A, *X.Maximum);
    if (X.MajorUnit && *X.MajorUnit > 0) chart_axis_set_major_unit(A, *X.MajorUnit);
  }
  chart_axis_major_gridlines_set_visible(A, X.HasMajorGridlines);
  chart_axis_minor_gridlines_set_visible(A, X.HasMinorGridlines);
  lxw_chart_line Major = LxwLine(X.MajorGridlines), Minor = LxwLine(X.MinorGridlines);
  if (X.HasMajorGridlines) chart_axis_major_gridlines_set_line(A, &Major);
  if (X.HasMinorGridlines) chart_axis_minor_gridlines_set_line(A, &Minor);
  const int32_t Rot = Rotation(X.TickLabelOrientation);
  if (!IsDefaultFont(X.TickLabelFont) || Rot != 0) {
    TLxwFont F(X.TickLabelFont, Rot);
    chart_axis_set_num_font(A, &F.Font);
  }
  if (!X.Title.empty()) {
    chart_axis_set_name_range(A, Sheet.c_str(), lxw_row_t(TitleRow), lxw_col_t(TitleCol));
    if (!IsDefaultFont(X.TitleFont)) {
      TLxwFont F(X.TitleFont);
      chart_axis_set_name_font(A, &F.Font);
    }
  }
  if (Category && !X.AxisBetweenCategories)
    chart_axis_set_position(A, LXW_CHART_AXIS_POSITION_ON_TICK);
}

std::uint8_t LxwLegendPosition(TXlLegendPosition P) {
  switch (P) {
    case TXlLegendPosition::Left:
      return LXW_CHART_LEGEND_LEFT;
    case TXlLegendPosition::Top:
      return LXW_CHART_LEGEND_TOP;
    case TXlLegendPosition::Bottom:
      return LXW_CHART_LEGEND_BOTTOM;
    case TXlLegendPosition::Right:
      break;
  }
  return LXW_CHART_LEGEND_RIGHT;
}

// A title's line breaks as the file keeps them.
std::string TitleText(std::string_view S) {
  std::string R;
  for (size_t I = 0; I < S.size(); ++I) {
    if (S[I] == '\r') {
      R += '\n';
      if (I + 1 < S.size() && S[I + 1] == '\n') ++I;
    } else {
      R += S[I];
    }
  }
  return R;
}

}  // namespace

void FailXlsx(const std::string& FileName, std::string_view Reason) {
  throw EXlWorkbookError(
      Cp1250("<PLK>Nie można zapisać skoroszytu \"%s\": %s<ENU>Cannot write the workbook "
             "\"%s\": %s"),
      {FileName, std::string(Reason)});
}

std::string XlsxText(std::string_view Cp1250Text) { return Cp1250ToUtf8(Cp1250Text); }

std::uint32_t XlsxColor(TXlColor C) {
  const std::uint32_t V = C.Rgb();
  return V ? V : std::uint32_t(LXW_COLOR_BLACK);  // 0 means "no colour" to the library
}

TXlsxChartWriter::TXlsxChartWriter(lxw_workbook* Book, std::string DataSheet, std::string FileName)
    : FBook(Book), FDataSheet(std::move(DataSheet)), FFileName(std::move(FileName)) {}

lxw_chart* TXlsxChartWriter::Build(const TXlChart& C) {
  TBlock B;
  B.Row0 = FNextRow;
  B.Texts = {TitleText(C.Title.Text), TitleText(C.CategoryAxis.Title),
             TitleText(C.ValueAxis.Title)};
  size_t Points = 1;
  for (const TXlSeries& S : C.Series) {
    Points = std::max({Points, S.Values.size(), S.Categories.size()});
    B.Names.push_back(S.Name);
    B.Values.push_back(S.Values);
    if (B.Categories.empty()) B.Categories = S.Categories;
  }
  if (C.Series.size() + 1 > size_t(XlsxMaxCols) || Points + 2 > size_t(XlsxMaxRows - FNextRow))
    FailXlsx(FFileName, "chart data exceed the sheet");
  FNextRow += int(Points) + 2;

  const TXlChartType Kind =
      C.Series.empty() ? TXlChartType::ColumnClustered : FlatChartType(C.Series[0].ChartType);
  lxw_chart* Chart = workbook_add_chart(FBook, LxwChartType(Kind));
  if (!Chart) FailXlsx(FFileName, "chart");
  const char* Sheet = FDataSheet.c_str();
  const auto First = lxw_row_t(B.Row0 + 2), Last = lxw_row_t(B.Row0 + 1 + int(Points));
  for (size_t I = 0; I < std::max<size_t>(C.Series.size(), 1); ++I) {
    lxw_chart_series* S = chart_add_series(Chart, nullptr, nullptr);
    if (!S) FailXlsx(FFileName, "chart series");
    chart_series_set_categories(S, Sheet, First, 0, Last, 0);
    chart_series_set_values(S, Sheet, First, lxw_col_t(I + 1), Last, lxw_col_t(I + 1));
    chart_series_set_name_range(S, Sheet, lxw_row_t(B.Row0 + 1), lxw_col_t(I + 1));
    if (I >= C.Series.size()) break;
    const TXlSeries& X = C.Series[I];
    SetSeriesLook(S, X);
    SetDataLabels(S, X.DataLabels);
    SetPoints(S, X, FFileName);
  }
  if (Kind != TXlChartType::Pie) {
    // The library's bar charts keep their categories on the y axis.
    const bool Bars = Kind == TXlChartType::BarClustered || Kind == TXlChartType::BarStacked ||
                      Kind == TXlChartType::BarStacked100;
    SetAxis(Bars ? Chart->y_axis : Chart->x_axis, C.CategoryAxis, true, FDataSheet, B.Row0, 1);
    SetAxis(Bars ? Chart->x_axis : Chart->y_axis, C.ValueAxis, false, FDataSheet, B.Row0, 2);
  }
  if (C.Legend.Visible && !C.Series.empty()) {
    chart_legend_set_position(Chart, LxwLegendPosition(C.Legend.Position));
    if (!IsDefaultFont(C.Legend.Font)) {
      TLxwFont F(C.Legend.Font);
      chart_legend_set_font(Chart, &F.Font);
    }
  } else {
    chart_legend_set_position(Chart, LXW_CHART_LEGEND_NONE);
  }
  if (C.Title.Visible && !C.Title.Text.empty()) {
    chart_title_set_name_range(Chart, Sheet, lxw_row_t(B.Row0), 0);
    if (!IsDefaultFont(C.Title.Font)) {
      TLxwFont F(C.Title.Font);
      chart_title_set_name_font(Chart, &F.Font);
    }
  } else {
    chart_title_off(Chart);
  }
  if (!C.PlotAreaFill) {
    lxw_chart_fill F{};
    F.none = LXW_TRUE;
    chart_plotarea_set_fill(Chart, &F);
  }
  if (!C.PlotAreaBorder) {
    lxw_chart_line L{};
    L.none = LXW_TRUE;
    chart_plotarea_set_line(Chart, &L);
  }
  FBlocks.push_back(std::move(B));
  return Chart;
}

void TXlsxChartWriter::WriteData() {
  if (FBlocks.empty()) return;
  lxw_worksheet* WS = workbook_add_worksheet(FBook, FDataSheet.c_str());
  if (!WS) FailXlsx(FFileName, FDataSheet);
  worksheet_hide(WS);
  auto Check = [&](lxw_error E) {
    if (E != LXW_NO_ERROR) FailXlsx(FFileName, lxw_strerror(E));
  };
  auto Text = [&](int Row, int Col, const std::string& S) {
    if (!S.empty())
      Check(
          worksheet_write_string(WS, lxw_row_t(Row), lxw_col_t(Col), XlsxText(S).c_str(), nullptr));
  };
  for (const TBlock& B : FBlocks) {
    for (size_t I = 0; I < B.Texts.size(); ++I) Text(B.Row0, int(I), B.Texts[I]);
    for (size_t I = 0; I < B.Names.size(); ++I) Text(B.Row0 + 1, int(I) + 1, B.Names[I]);
    for (size_t P = 0; P < B.Categories.size(); ++P) Text(B.Row0 + 2 + int(P), 0, B.Categories[P]);
    for (size_t I = 0; I < B.Values.size(); ++I)
      for (size_t P = 0; P < B.Values[I].size(); ++P)
        if (std::isfinite(B.Values[I][P]))
          Check(worksheet_write_number(WS, lxw_row_t(B.Row0 + 2 + int(P)), lxw_col_t(I + 1),
                                       B.Values[I][P], nullptr));
  }
}

}  // namespace quin
