#include "reports/orvexportserie.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "reports/orvexcel.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvExportSerie, TObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TSetupVBarSerie, TOrvExportSerie)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TSetupHBarSerie, TSetupVBarSerie)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TSetupAreaSerie, TOrvExportSerie)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TSetupPointSerie, TOrvExportSerie)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TSetupLineSerie, TSetupPointSerie)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TSetupPieSerie, TOrvExportSerie)

namespace {

TXlColor XlColor(TColor C) { return TXlColor::FromBgr(std::uint32_t(ColorToRGB(C))); }

TXlFont XlFont(const TChartFont& F) {
  TXlFont X;
  X.Name = F.Name;
  X.Bold = F.Bold;
  X.Italic = F.Italic;
  X.Underline = F.Underline;
  X.Strikethrough = F.StrikeOut;
  X.Size = F.Size;
  X.Color = XlColor(F.Color);
  return X;
}

TXlLineStyle XlLineStyle(TChartPenStyle S) {
  switch (S) {
    case TChartPenStyle::Dash:
      return TXlLineStyle::Dash;
    case TChartPenStyle::Dot:
      return TXlLineStyle::Dot;
    case TChartPenStyle::DashDot:
      return TXlLineStyle::DashDot;
    case TChartPenStyle::DashDotDot:
      return TXlLineStyle::DashDotDot;
    default:
      return TXlLineStyle::Continuous;
  }
}

TXlBorderWeight XlWeight(int Width) {
  switch (Width) {
    case 1:
      return TXlBorderWeight::Hairline;
    case 2:
      return TXlBorderWeight::Thin;
    case 3:
      return TXlBorderWeight::Medium;
    default:
      return TXlBorderWeight::Thick;
  }
}

// A pen as a line; an invisible pen draws none. The colour only when given (clDefault: the
// spreadsheet's own).
TXlLine XlLine(const TChartPen& P, std::optional<TXlColor> Color) {
  TXlLine L;
  if (!P.Visible || P.Style == TChartPenStyle::Clear) {
    L.Style = TXlLineStyle::None;
    return L;
  }
  L.Style = XlLineStyle(P.Style);
  L.Weight = XlWeight(P.Width);
  L.Color = Color;
  return L;
}

std::optional<TXlColor> PenColor(const TChartPen& P) {
  if (P.Color == clDefault) return std::nullopt;
  return XlColor(P.Color);
}

std::optional<TXlPattern> XlPattern(TChartBrushStyle S) {
  switch (S) {
    case TChartBrushStyle::Horizontal:
      return TXlPattern::LightHorizontal;
    case TChartBrushStyle::Vertical:
      return TXlPattern::LightVertical;
    case TChartBrushStyle::FDiagonal:
      return TXlPattern::LightDownwardDiagonal;
    case TChartBrushStyle::BDiagonal:
      return TXlPattern::LightUpwardDiagonal;
    case TChartBrushStyle::Cross:
      return TXlPattern::LargeGrid;
    case TChartBrushStyle::DiagCross:
      return TXlPattern::OutlinedDiamond;
    default:
      return std::nullopt;
  }
}

TXlChartType ByStacking(TMultiBar M, TXlChartType Plain, TXlChartType Stacked,
                        TXlChartType Stacked100) {
  if (M == TMultiBar::Stacked) return Stacked;
  if (M == TMultiBar::Stacked100) return Stacked100;
  return Plain;
}

TXlTickLabelOrientation Orientation(int Angle) {
  switch (Angle) {
    case 0:
    case 180:
      return TXlTickLabelOrientation::Horizontal;
    case 90:
      return TXlTickLabelOrientation::Upward;
    case 270:
      return TXlTickLabelOrientation::Downward;
    default:
      return TXlTickLabelOrientation::Automatic;
  }
}

std::string WithCrBreaks(const std::string& S) {
  std::string R;
  for (std::size_t I = 0; I < S.size(); ++I) {
    if (S[I] == '\r' && I + 1 < S.size() && S[I + 1] == '\n') {
      R += '\r';
      ++I;
    } else {
      R += S[I];
    }
  }
  return R;
}

void ConvertAxis(TXlAxis& X, const TChartAxis& A) {
  X.ReversePlotOrder = A.Inverted;
  X.Minimum = A.AutoMin() ? std::nullopt : std::optional(A.Minimum);
  X.Maximum = A.AutoMax() ? std::nullopt : std::optional(A.Maximum);
  X.MajorUnit = A.Increment != 0 ? std::optional(A.Increment) : std::nullopt;
  X.HasMajorGridlines = A.Grid.Visible;
  X.MajorGridlines = XlLine(A.Grid, PenColor(A.Grid));
  X.HasMinorGridlines = A.MinorGrid.Visible;
  X.MinorGridlines = XlLine(A.MinorGrid, PenColor(A.MinorGrid));
  X.TickLabelFont = XlFont(A.LabelsFont);
  X.TickLabelOrientation = Orientation(A.LabelsAngle);
  if (A.Title.Visible && !A.Title.Caption.empty()) {
    X.Title = WithCrBreaks(A.Title.Caption);
    X.TitleFont = XlFont(A.Title.Font);
  } else {
    X.Title.clear();
  }
}

TXlLegendPosition LegendPosition(TLegendAlignment A) {
  switch (A) {
    case TLegendAlignment::Left:
      return TXlLegendPosition::Left;
    case TLegendAlignment::Top:
      return TXlLegendPosition::Top;
    case TLegendAlignment::Bottom:
      return TXlLegendPosition::Bottom;
    default:
      return TXlLegendPosition::Right;
  }
}

}  // namespace

// ---- The base exporter

TOrvExportSerie::TOrvExportSerie(bool AChart3D, const TChart& AChart, int ASeriesIndex,
                                 TXlSeries& XlSeries)
    : Chart3D(AChart3D),
      Chart(AChart),
      Series(AChart.Series.at(std::size_t(ASeriesIndex))),
      SeriesIndex(ASeriesIndex),
      Xl(XlSeries) {}

TXlColor TOrvExportSerie::SeriesColor() const { return XlColor(Chart.SeriesColor(SeriesIndex)); }

TXlColor TOrvExportSerie::PointColor(int Point) const {
  return XlColor(Chart.PointColor(SeriesIndex, Point));
}

TXlPointFormat& TOrvExportSerie::PointFormat(int Point) {
  if (Xl.Points.size() <= std::size_t(Point)) Xl.Points.resize(std::size_t(Point) + 1);
  return Xl.Points[std::size_t(Point)];
}

void TOrvExportSerie::SetColors() {
  if (Series.ColorEachPoint)
    for (int P = 0; P < int(Series.Points.size()); ++P) PointFormat(P).Interior = PointColor(P);
  else
    Xl.Interior = SeriesColor();
}

void TOrvExportSerie::SetValues() {
  Xl.Values.clear();
  for (const TChartPoint& P : Series.Points)
    Xl.Values.push_back(P.IsNull ? std::numeric_limits<double>::quiet_NaN() : P.Value);
}

void TOrvExportSerie::SetDataLabels() {
  Xl.DataLabels = {};
  if (!Series.Marks.Visible) return;
  TXlDataLabelsType T = TXlDataLabelsType::None;
  switch (Series.Marks.Style) {
    case TMarksStyle::Value:
      T = TXlDataLabelsType::ShowValue;
      break;
    case TMarksStyle::Percent:
    case TMarksStyle::PercentTotal:
      T = IsPie() ? TXlDataLabelsType::ShowPercent : TXlDataLabelsType::None;
      break;
    case TMarksStyle::Label:
    case TMarksStyle::Legend:
      T = TXlDataLabelsType::ShowLabel;
      break;
    case TMarksStyle::LabelPercent:
    case TMarksStyle::LabelPercentTotal:
      T = IsPie() ? TXlDataLabelsType::ShowLabelAndPercent : TXlDataLabelsType::None;
      break;
    default:
      break;
  }
  Xl.DataLabels.Type = T;
  if (T == TXlDataLabelsType::None) return;
  if (!Series.Marks.Transparent) Xl.DataLabels.Interior = XlColor(Series.Marks.BackColor);
  Xl.DataLabels.Font = XlFont(Series.Marks.Font);
  if (Series.Marks.Frame.Visible)
    Xl.DataLabels.Border = XlLine(Series.Marks.Frame, PenColor(Series.Marks.Frame));
}

// ---- Bars

void TSetupVBarSerie::SetColors() {
  TOrvExportSerie::SetColors();
  Xl.Border = XlLine(Series.Pen, PenColor(Series.Pen));
  if (const std::optional<TXlPattern> P = XlPattern(Series.Brush.Style)) {
    const std::optional<TXlColor> BrushColor =
        Series.Brush.Color == clDefault ? std::nullopt : std::optional(XlColor(Series.Brush.Color));
    Xl.Pattern = P;
    if (BrushColor) Xl.Interior = BrushColor;
    if (Series.ColorEachPoint)
      for (int I = 0; I < int(Series.Points.size()); ++I) {
        PointFormat(I).Pattern = P;
        if (BrushColor) PointFormat(I).Interior = BrushColor;
      }
  }
}

void TSetupVBarSerie::SetChartType() {
  Xl.ChartType = Chart3D
                     ? ByStacking(Series.MultiBar, TXlChartType::Column3DClustered,
                                  TXlChartType::Column3DStacked, TXlChartType::Column3DStacked100)
                     : ByStacking(Series.MultiBar, TXlChartType::ColumnClustered,
                                  TXlChartType::ColumnStacked, TXlChartType::ColumnStacked100);
}

void TSetupHBarSerie::SetChartType() {
  Xl.ChartType = Chart3D ? ByStacking(Series.MultiBar, TXlChartType::Bar3DClustered,
                                      TXlChartType::Bar3DStacked, TXlChartType::Bar3DStacked100)
                         : ByStacking(Series.MultiBar, TXlChartType::BarClustered,
                                      TXlChartType::BarStacked, TXlChartType::BarStacked100);
}

// ---- Areas

void TSetupAreaSerie::SetColors() { Xl.Interior = SeriesColor(); }

void TSetupAreaSerie::SetChartType() {
  Xl.ChartType = Chart3D ? ByStacking(Series.MultiBar, TXlChartType::Area3D,
                                      TXlChartType::Area3DStacked, TXlChartType::Area3DStacked100)
                         : ByStacking(Series.MultiBar, TXlChartType::Area,
                                      TXlChartType::AreaStacked, TXlChartType::AreaStacked100);
}

// ---- Points and lines

void TSetupPointSerie::SetChartType() {
  Xl.ChartType = ByStacking(Series.MultiBar, TXlChartType::Line, TXlChartType::LineStacked,
                            TXlChartType::LineStacked100);
}

void TSetupPointSerie::SetExtras() {
  TXlLine None;
  None.Style = TXlLineStyle::None;
  Xl.Border = None;
  SetMarkers();
}

void TSetupPointSerie::SetMarkers() {
  if (Xl.ChartType == TXlChartType::Line3D || !Series.Pointer.Visible) return;
  const TChartPointer& P = Series.Pointer;
  TXlMarker M;
  bool OnlyForeground = false;
  switch (P.Style) {
    case TPointerStyle::Rectangle:
      M.Style = TXlMarkerStyle::Square;
      break;
    case TPointerStyle::Circle:
      M.Style = TXlMarkerStyle::Circle;
      break;
    case TPointerStyle::Triangle:
    case TPointerStyle::DownTriangle:
      M.Style = TXlMarkerStyle::Triangle;
      break;
    case TPointerStyle::Cross:
      M.Style = TXlMarkerStyle::Plus;
      OnlyForeground = true;
      break;
    case TPointerStyle::DiagCross:
      M.Style = TXlMarkerStyle::X;
      OnlyForeground = true;
      break;
    case TPointerStyle::Star:
      M.Style = TXlMarkerStyle::Star;
      OnlyForeground = true;
      break;
    case TPointerStyle::Diamond:
      M.Style = TXlMarkerStyle::Diamond;
      break;
    case TPointerStyle::SmallDot:
      M.Style = TXlMarkerStyle::Dot;
      OnlyForeground = true;
      break;
  }
  M.Size = std::clamp((P.HorizSize + P.VertSize) / 2 + 2, 2, 72);
  if (OnlyForeground) {
    M.Foreground = SeriesColor();
  } else {
    M.Background = SeriesColor();
    if (P.Pen.Visible && P.Pen.Color != clDefault) M.Foreground = XlColor(P.Pen.Color);
  }
  Xl.Marker = M;
}

void TSetupLineSerie::SetChartType() {
  TSetupPointSerie::SetChartType();
  if (Chart3D && Xl.ChartType == TXlChartType::Line) Xl.ChartType = TXlChartType::Line3D;
}

void TSetupLineSerie::SetColors() {
  const TXlColor C = SeriesColor();
  if (Series.ColorEachPoint)
    for (int P = 0; P < int(Series.Points.size()); ++P) PointFormat(P).LineColor = PointColor(P);
  if (Xl.ChartType == TXlChartType::Line3D) Xl.Interior = C;
  Xl.Border = XlLine(Series.Pen, Series.Pen.Color == clDefault ? C : XlColor(Series.Pen.Color));
}

void TSetupLineSerie::SetExtras() {
  if (Series.HasPointer()) SetMarkers();
}

// ---- Pies

void TSetupPieSerie::SetColors() {
  for (int P = 0; P < int(Series.Points.size()); ++P) PointFormat(P).Interior = PointColor(P);
}

void TSetupPieSerie::SetChartType() {
  Xl.ChartType = Chart3D ? TXlChartType::Pie3D : TXlChartType::Pie;
}

// ---- The chart

std::unique_ptr<TOrvExportSerie> NewExportSerie(bool Chart3D, const TChart& Chart, int SeriesIndex,
                                                TXlSeries& XlSeries) {
  switch (Chart.Series.at(std::size_t(SeriesIndex)).Kind) {
    case TChartSeriesKind::Bar:
      return std::make_unique<TSetupVBarSerie>(Chart3D, Chart, SeriesIndex, XlSeries);
    case TChartSeriesKind::HorizBar:
      return std::make_unique<TSetupHBarSerie>(Chart3D, Chart, SeriesIndex, XlSeries);
    case TChartSeriesKind::Area:
      return std::make_unique<TSetupAreaSerie>(Chart3D, Chart, SeriesIndex, XlSeries);
    case TChartSeriesKind::Point:
      return std::make_unique<TSetupPointSerie>(Chart3D, Chart, SeriesIndex, XlSeries);
    case TChartSeriesKind::Line:
      return std::make_unique<TSetupLineSerie>(Chart3D, Chart, SeriesIndex, XlSeries);
    case TChartSeriesKind::Pie:
      return std::make_unique<TSetupPieSerie>(Chart3D, Chart, SeriesIndex, XlSeries);
  }
  return nullptr;
}

void ExportChartToExcel(TXlChart& X, const TChart& Chart) {
  X.Series.clear();
  std::vector<int> Sources;
  for (int I = 0; I < int(Chart.Series.size()); ++I)
    if (Chart.Series[std::size_t(I)].Active) Sources.push_back(I);
  X.Series.resize(Sources.size());
  bool AnyPie = false;
  // The sheet's chart has one value axis: it keeps a fixed scale (the percentages' 0 to 100)
  // only when every series stands on that axis; series on different axes share an automatic
  // one, so that no value is cut off.
  const TChartAxis* ValueAxis = nullptr;
  bool MixedAxes = false;
  for (std::size_t K = 0; K < Sources.size(); ++K) {
    const TChartSeries& S = Chart.Series[std::size_t(Sources[K])];
    TXlSeries& Xs = X.Series[K];
    const std::unique_ptr<TOrvExportSerie> E = NewExportSerie(Chart.View3D, Chart, Sources[K], Xs);
    E->SetValues();
    E->SetChartType();
    Xs.Categories.clear();
    for (const TChartPoint& P : S.Points) Xs.Categories.push_back(P.Label);
    E->SetDataLabels();
    E->SetExtras();
    E->SetColors();
    Xs.Name = S.Title;
    if (S.Kind == TChartSeriesKind::Pie) {
      AnyPie = true;
      continue;
    }
    // Horizontal bars carry their values along the horizontal axis.
    const TChartAxis& Cat = S.IsHorizontal() ? Chart.VertAxisOf(S) : Chart.HorizAxisOf(S);
    const TChartAxis& Val = S.IsHorizontal() ? Chart.HorizAxisOf(S) : Chart.VertAxisOf(S);
    ConvertAxis(X.CategoryAxis, Cat);
    ConvertAxis(X.ValueAxis, Val);
    MixedAxes = MixedAxes || (ValueAxis && ValueAxis != &Val);
    ValueAxis = &Val;
  }
  if (MixedAxes) {
    X.ValueAxis.Minimum.reset();
    X.ValueAxis.Maximum.reset();
    X.ValueAxis.MajorUnit.reset();
  }
  // Lines and three-dimensional areas put their points on the category axis' tick marks.
  for (const TXlSeries& Xs : X.Series) {
    switch (Xs.ChartType) {
      case TXlChartType::Area3D:
      case TXlChartType::Area3DStacked:
      case TXlChartType::Area3DStacked100:
      case TXlChartType::Line3D:
      case TXlChartType::Line:
      case TXlChartType::LineStacked:
      case TXlChartType::LineStacked100:
        X.CategoryAxis.AxisBetweenCategories = false;
        break;
      default:
        break;
    }
  }
  X.Legend.Visible = Chart.Legend.Visible;
  X.Legend.Position = LegendPosition(Chart.Legend.Alignment);
  X.Legend.Font = XlFont(Chart.Legend.Font);
  X.Title.Visible = Chart.Title.Visible;
  X.Title.Text.clear();
  for (const std::string& L : Chart.Title.Text)
    X.Title.Text += (X.Title.Text.empty() ? "" : "\r") + L;
  X.Title.Font = XlFont(Chart.Title.Font);
  if (AnyPie) {
    X.PlotAreaFill = false;
    X.PlotAreaBorder = false;
  }
}

TXlChartSheet& ExportChartSheet(TOrvExcel& Excel, const TChart& Chart, const std::string& SheetName,
                                TXlWorksheet* Contents, int Index, const std::string& Caption) {
  TXlChartSheet& Sheet = Excel.AddChartSheet(SheetName);
  ExportChartToExcel(Sheet.Chart, Chart);
  ListSheetInContents(Excel, Contents, Index, Sheet.Name(), Caption, false);
  return Sheet;
}

}  // namespace quin
