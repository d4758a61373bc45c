// Filling a chart from the chart element: the default look, the template's look and series
// styles, one series per chosen table line, and the picture the web pane shows.
#include <string_view>

#include "analysis/pelres.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "platform/chartform.h"
#include "platform/chartrender.h"
#include "platform/formtext.h"
#include "platform/jpeg.h"
#include "reports/pelchart.h"
#include "reports/peltable.h"
#include "surveykit/gimstat.h"

namespace quin {

namespace {

// The pointer styles that line and point series take in turn.
constexpr TPointerStyle kPointerCycle[8] = {TPointerStyle::Rectangle, TPointerStyle::Triangle,
                                            TPointerStyle::Circle,    TPointerStyle::Cross,
                                            TPointerStyle::Diamond,   TPointerStyle::DownTriangle,
                                            TPointerStyle::Star,      TPointerStyle::DiagCross};

// The first custom axis of the orientation; -1 when the chart has none.
int CustomAxisIndex(const TChart& Chart, bool Horizontal) {
  for (size_t I = 0; I < Chart.CustomAxes.size(); ++I)
    if (Chart.CustomAxes[I].Horizontal == Horizontal) return int(I);
  return -1;
}

bool IsBlank(std::string_view S) {
  return S.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Every standard and custom axis is shown when an active series draws on it. A custom axis
// shown beside a shown right (top) axis stands off the plot, with a wider margin for it.
void ShowUsedAxes(TChart& Chart) {
  bool Left = false, Right = false, Top = false, Bottom = false;
  std::vector<bool> Custom(Chart.CustomAxes.size(), false);
  auto Mark = [&](const TChartAxis& A) {
    if (&A == &Chart.LeftAxis)
      Left = true;
    else if (&A == &Chart.RightAxis)
      Right = true;
    else if (&A == &Chart.TopAxis)
      Top = true;
    else if (&A == &Chart.BottomAxis)
      Bottom = true;
    else
      Custom[size_t(&A - Chart.CustomAxes.data())] = true;
  };
  for (const TChartSeries& S : Chart.Series) {
    if (!S.Active || S.Kind == TChartSeriesKind::Pie) continue;
    if (S.VertAxis == TVertAxis::Both)
      Left = Right = true;
    else
      Mark(Chart.VertAxisOf(S));
    if (S.HorizAxis == THorizAxis::Both)
      Top = Bottom = true;
    else
      Mark(Chart.HorizAxisOf(S));
  }
  Chart.LeftAxis.Visible = Left;
  Chart.RightAxis.Visible = Right;
  Chart.TopAxis.Visible = Top;
  Chart.BottomAxis.Visible = Bottom;
  for (size_t I = 0; I < Custom.size(); ++I) Chart.CustomAxes[I].Visible = Custom[I];
  if (const int V = CustomAxisIndex(Chart, false); V >= 0 && Custom[size_t(V)]) {
    Chart.CustomAxes[size_t(V)].PositionPercent = Right ? -5 : 0;
    Chart.Margins.Right = Right ? 8 : 4;
  }
  if (const int H = CustomAxisIndex(Chart, true); H >= 0 && Custom[size_t(H)]) {
    Chart.CustomAxes[size_t(H)].PositionPercent = Top ? -5 : 0;
    Chart.Margins.Top = Top ? 8 : 4;
  }
}

}  // namespace

void ApplyChartDefaults(TChart& Chart) {
  Chart.Left = 1;
  Chart.Top = 1;
  Chart.Width = 686;
  Chart.Height = 387;
  Chart.AllowPanning = TChartPanning::None;
  Chart.Color = clWhite;
  Chart.BackWall.Color = clWhite;
  Chart.BackWall.Brush.Style = TChartBrushStyle::Clear;
  Chart.Gradient.StartColor = RGBToColor(128, 128, 128);
  Chart.Gradient.EndColor = clWhite;
  Chart.Gradient.Visible = true;
  Chart.LeftWall.Color = clGray;
  Chart.Legend.CheckBoxes = true;
  Chart.Legend.LegendStyle = TLegendStyle::Series;
  Chart.Legend.TextStyle = TLegendTextStyle::Plain;
  Chart.Title.Visible = false;
  Chart.Margins.Left = 4;
  Chart.Margins.Right = 4;
  for (TChartAxis* A : {&Chart.LeftAxis, &Chart.BottomAxis, &Chart.RightAxis, &Chart.TopAxis}) {
    A->Grid.Visible = false;
    A->LabelsMultiLine = true;
  }
  Chart.BottomAxis.Increment = 72;
  Chart.BottomAxis.LabelsAngle = 90;
  for (TChartAxis* A : {&Chart.RightAxis, &Chart.TopAxis}) {
    A->Automatic = false;
    A->AutomaticMinimum = false;
    A->AutomaticMaximum = false;
    A->Minimum = 0;
    A->Maximum = 100;
  }
  Chart.CustomAxes.clear();
  for (bool Horizontal : {false, true}) {
    TChartAxis A;
    A.Horizontal = Horizontal;
    A.OtherSide = true;
    A.LabelsMultiLine = true;
    A.PositionPercent = -5;
    Chart.CustomAxes.push_back(A);
  }
  Chart.View3D = false;
  Chart.Chart3DPercent = 70;
  Chart.View3DOptions.HorizOffset = -10;
  Chart.View3DOptions.VertOffset = -18;
  Chart.View3DOptions.OrthoAngle = 50;
  Chart.View3DOptions.Orthogonal = false;
  Chart.View3DOptions.Perspective = 100;
  Chart.View3DOptions.Zoom = 90;
  Chart.View3DOptions.ZoomText = false;
  Chart.PrintMargins = {15, 26, 15, 26};
}

TChart TPelRepElemChart::ReadTemplate() const {
  if (IsBlank(Template)) return TChart();
  return TextToComponent<TChart>(Template);
}

void TPelRepElemChart::BuildChart(TChart& Chart, bool FreshStyles) {
  const bool HasTemplate = !IsBlank(Template);
  const TChart Tmpl = ReadTemplate();
  if (HasTemplate) {
    if (!Tmpl.CustomAxes.empty()) {
      const TChart Own = Chart;
      Chart = Tmpl;
      Chart.Name = Own.Name;
      Chart.Left = Own.Left;
      Chart.Top = Own.Top;
      Chart.Width = Own.Width;
      Chart.Height = Own.Height;
    }
    Chart.View3D = Tmpl.View3D;
  }
  Chart.LeftAxis.Labels = true;
  Chart.BottomAxis.Labels = true;
  BuildSeriesFrom(Chart, Tmpl, FreshStyles);
}

void TPelRepElemChart::BuildChartSeries(TChart& Chart, bool FreshStyles) {
  BuildSeriesFrom(Chart, ReadTemplate(), FreshStyles);
}

void TPelRepElemChart::BuildSeriesFrom(TChart& Chart, const TChart& Template, bool FreshStyles) {
  std::vector<TPelChartLine> Cols, Rows;
  SelectLines(Cols, Rows);
  TChart Tmpl = Template;
  if (Tmpl.Series.empty()) {
    TChartSeries Bars(TChartSeriesKind::Bar);
    Bars.MultiBar = TMultiBar::Side;
    Bars.Marks.Visible = false;
    Tmpl.AddSeries(Bars);
  }
  Chart.RemoveAllSeries();
  if (TPelRepElemTable* T = GetTable()) {
    const bool ByRows = SeriesIn != 1;
    auto Path = [&](bool Col, int Line) {
      return Col ? T->ColHeaderPath(Line) : T->RowHeaderPath(Line);
    };
    for (const TPelChartLine& L : ByRows ? Rows : Cols) {
      TChartSeries& S = NewChartSeries(Chart, Tmpl, Path(!ByRows, L.Line), L.Info, FreshStyles);
      for (const TPelChartLine& P : ByRows ? Cols : Rows) {
        const int A = ByRows ? P.Line : L.Line;
        const int B = ByRows ? L.Line : P.Line;
        AddChartPoint(Chart, S, As<TPelRes>(T->GetCellObject(A, B)), Path(ByRows, P.Line),
                      T->GetCellValue(A, B));
      }
    }
  }
  ShowUsedAxes(Chart);
  Chart.Legend.Visible = Chart.Series.size() > 1;
  Chart.Visible = !Chart.Series.empty();
}

TChartSeries& TPelRepElemChart::NewChartSeries(TChart& Chart, const TChart& Tmpl,
                                               const std::string& Title, TPelChartDataInfo* Info,
                                               bool FreshStyles) {
  const int Count = int(Chart.Series.size());
  TChartSeries S;
  bool Stored = false;
  if (Info && Info->HasSeries && !FreshStyles) {
    try {
      S = TextToComponent<TChartSeries>(Info->Series);
      Stored = true;
    } catch (const EFormTextError&) {
      // A style we cannot read is replaced by the template's below.
    }
  }
  if (!Stored) {
    const int Styles = int(Tmpl.Series.size());
    S = Tmpl.Series[size_t(Count % Styles)];
    if (Count >= Styles) S.Color = DefaultSeriesColor(Count);
    if (S.Kind == TChartSeriesKind::Point ||
        (S.Kind == TChartSeriesKind::Line && S.Pointer.Visible))
      S.Pointer.Style = kPointerCycle[Count % 8];
  }
  S.Clear();
  S.Title = Title;
  S.Name = "Series" + std::to_string(Count + 1);
  if (!Stored && Info) {
    // The address remembers the style its series got.
    std::string Text = ComponentToText(S);
    while (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r')) Text.pop_back();
    Info->Series = Text;
    Info->HasSeries = true;
  }
  return Chart.AddSeries(std::move(S));
}

void TPelRepElemChart::AddChartPoint(const TChart& Chart, TChartSeries& Series, TPelRes* Cell,
                                     const std::string& Label, double Value) {
  const bool Real = IsRealValue(Value);
  double X = Value;
  if (Real && Cell) Cell->GetNumericValue(X);
  if (Series.Kind == TChartSeriesKind::Pie) {
    if (Real) Series.Add(X, Label);
    return;
  }
  // Counts (and the bases that cells of total lines show) go on the automatic axis,
  // percentages on the axis of 0 to 100, other statistics on their own automatic axis. A series
  // has one axis: points of different kinds put it on the automatic axis of counts, so that no
  // value is cut off.
  const TGimStat* Stat = Cell ? Cell->Stat : nullptr;
  bool Count = Stat && (Stat->Is<TGimStatCnt>() || Cell->IsBaseCell());
  bool Pct = Stat && !Count && Stat->Is<TGimStatPct>();
  if (!Series.Points.empty()) {
    const bool WasCount = Series.IsHorizontal() ? Series.HorizAxis == THorizAxis::Bottom
                                                : Series.VertAxis == TVertAxis::Left;
    const bool WasPct = Series.IsHorizontal() ? Series.HorizAxis == THorizAxis::Top
                                              : Series.VertAxis == TVertAxis::Right;
    if (WasCount != Count || WasPct != Pct) {
      Count = true;
      Pct = false;
    }
  }
  if (Series.IsHorizontal()) {
    Series.HorizAxis = Count ? THorizAxis::Bottom : Pct ? THorizAxis::Top : THorizAxis::Custom;
    if (!Count && !Pct) Series.CustomHorizAxis = CustomAxisIndex(Chart, true);
  } else {
    Series.VertAxis = Count ? TVertAxis::Left : Pct ? TVertAxis::Right : TVertAxis::Custom;
    if (!Count && !Pct) Series.CustomVertAxis = CustomAxisIndex(Chart, false);
  }
  if (Real)
    Series.Add(X, Label);
  else
    Series.AddNull(Label);
}

// ---- What the pages and the export call

TChart TPelRepElemChart::CreateChart(bool FreshStyles) {
  TChart C;
  ApplyChartDefaults(C);
  try {
    BuildChart(C, FreshStyles);
  } catch (const EFormTextError&) {
    // The template cannot be read: the default look with the default series style.
    C.LeftAxis.Labels = true;
    C.BottomAxis.Labels = true;
    BuildSeriesFrom(C, TChart(), FreshStyles);
  }
  return C;
}

TBitmap TPelRepElemChart::DrawImage(int Width, int Height) {
  TChart C;
  try {
    C = CreateChart(false);
  } catch (const Exception&) {
    // A chart that cannot be filled is drawn empty; the page goes on.
    LogCaught(TLogLevel::Warning, "the chart cannot be filled: " + GetCaption());
    C = TChart();
    ApplyChartDefaults(C);
  }
  C.Gradient.Visible = false;
  C.BevelInner = TChartBevel::None;
  C.BevelOuter = TChartBevel::None;
  C.Width = Width;
  C.Height = Height;
  TChartDrawOptions Options;
  Options.Numbers = CurrentLangManager().FormatSettings;
  return DrawChart(C, Width, Height, Options);
}

std::string TPelRepElemChart::RenderJpeg(int Width, int Height, int Quality) {
  return EncodeJpeg(DrawImage(Width, Height), Quality);
}

}  // namespace quin
