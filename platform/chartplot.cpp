// The plot of bar, horizontal bar, line, area and point series: categories along one axis,
// values along one or more value axes (the standard ones and custom axes), stacking and the
// layout of the plot, its axes and their labels.
#include "platform/chartplot.h"

#include <algorithm>

namespace quin {

void TPlotPainter::Paint() {
  if (!CollectSeries()) return;
  StackValues();
  AssignBarSlots();
  for (int Pass = 0; Pass < 2; ++Pass) Layout(Pass);
  DrawBackWall();
  DrawGrids();
  for (TShape Shape : {TShape::Area, TShape::Bar, TShape::Line, TShape::Point}) {
    // Bars and areas end at the plot's edges; lines and pointers on an edge stay whole.
    const double Out = Shape == TShape::Line || Shape == TShape::Point ? PointerRoom() : 0;
    cairo_save(C.Cr());
    cairo_rectangle(C.Cr(), Plot.L - Out, Plot.T - Out, Plot.W() + 2 * Out, Plot.H() + 2 * Out);
    cairo_clip(C.Cr());
    for (const TPlotSeries& S : Series)
      if (S.Shape == Shape) DrawSeries(S);
    cairo_restore(C.Cr());
  }
  DrawFrameAndAxes();
  DrawMarks();
}

double TPlotPainter::PointerRoom() const {
  double R = 2;
  for (const TPlotSeries& S : Series)
    if (S.S->HasPointer())
      R = std::max(
          R, std::min(double(std::max(S.S->Pointer.HorizSize, S.S->Pointer.VertSize)), 12.0) + 2);
  return R;
}

bool TPlotPainter::CollectSeries() {
  for (size_t I = 0; I < Chart.Series.size(); ++I) {
    const TChartSeries& S = Chart.Series[I];
    if (!S.Active || S.Kind == TChartSeriesKind::Pie) continue;
    if (Series.empty()) Horizontal = S.IsHorizontal();
    TPlotSeries P;
    P.Index = int(I);
    P.S = &S;
    P.Shape = ShapeOf(S.Kind);
    P.Axis = ValueAxisOf(S);
    Series.push_back(std::move(P));
    N = std::max(N, int(S.Points.size()));
  }
  CatAxis = Horizontal ? &Chart.LeftAxis : &Chart.BottomAxis;
  return !Series.empty() && N > 0;
}

int TPlotPainter::ValueAxisOf(const TChartSeries& S) {
  const TChartAxis* A = Horizontal ? &Chart.HorizAxisOf(S) : &Chart.VertAxisOf(S);
  const bool Custom = A != &Chart.LeftAxis && A != &Chart.RightAxis && A != &Chart.TopAxis &&
                      A != &Chart.BottomAxis;
  const bool Far = Custom ? A->OtherSide : A == (Horizontal ? &Chart.TopAxis : &Chart.RightAxis);
  for (size_t I = 0; I < Axes.size(); ++I)
    if (Axes[I].Axis == A) return int(I);
  TValueAxis V;
  V.Axis = A;
  V.Far = Far;
  Axes.push_back(V);
  return int(Axes.size()) - 1;
}

void TPlotPainter::StackValues() {
  const size_t NC = size_t(N);
  std::vector<std::vector<double>> Pos, Neg, Total;
  std::vector<std::pair<int, int>> Keys;
  for (TPlotSeries& S : Series) {
    const int Family = S.Shape == TShape::Point ? int(TShape::Line) : int(S.Shape);
    const std::pair<int, int> Key{Family, S.Axis};
    auto It = std::find(Keys.begin(), Keys.end(), Key);
    S.Group = int(It - Keys.begin());
    if (It == Keys.end()) {
      Keys.push_back(Key);
      Pos.emplace_back(NC, 0.0);
      Neg.emplace_back(NC, 0.0);
      Total.emplace_back(NC, 0.0);
    }
    double V;
    if (S.S->MultiBar == TMultiBar::Stacked100)
      for (size_t I = 0; I < S.S->Points.size(); ++I)
        if (PointValue(S.S->Points[I], V)) Total[size_t(S.Group)][I] += std::fabs(V);
  }
  for (TPlotSeries& S : Series) {
    S.Base.assign(NC, kNaN);
    S.Top.assign(NC, kNaN);
    const bool Stacked = IsStacked(S.S->MultiBar);
    const bool Filled = S.Shape == TShape::Bar || S.Shape == TShape::Area;
    const size_t G = size_t(S.Group);
    double V;
    for (size_t I = 0; I < S.S->Points.size(); ++I) {
      if (!PointValue(S.S->Points[I], V)) continue;
      if (S.S->MultiBar == TMultiBar::Stacked100) V = Total[G][I] > 0 ? V / Total[G][I] * 100 : 0;
      if (Stacked) {
        double& Acc = V >= 0 ? Pos[G][I] : Neg[G][I];
        S.Base[I] = Acc;
        Acc += V;
        S.Top[I] = Acc;
      } else {
        S.Base[I] = Filled ? 0 : kNaN;
        S.Top[I] = V;
      }
      Axes[size_t(S.Axis)].Include(S.Base[I]);
      Axes[size_t(S.Axis)].Include(S.Top[I]);
    }
  }
}

void TPlotPainter::AssignBarSlots() {
  std::vector<int> GroupSlot;
  for (TPlotSeries& S : Series) {
    if (S.Shape != TShape::Bar) continue;
    if (BarSlots == 0) BarWidth = S.S->BarWidthPercent;
    if (IsStacked(S.S->MultiBar)) {
      if (GroupSlot.size() <= size_t(S.Group)) GroupSlot.resize(size_t(S.Group) + 1, -1);
      int& Slot = GroupSlot[size_t(S.Group)];
      if (Slot < 0) Slot = BarSlots++;
      S.Slot = Slot;
    } else {
      S.Slot = BarSlots++;
    }
  }
}

void TPlotPainter::Layout(int Pass) {
  if (Pass == 0) Plot = Area;
  const double ValueLen = Horizontal ? Plot.W() : Plot.H();
  MeasureMarks(ValueLen);
  for (TValueAxis& A : Axes) ScaleAxis(A, ValueLen, Pass);
  const double Slot = (Horizontal ? Plot.H() : Plot.W()) / N;
  Cat = LayoutCategories(Slot);
  double Near = 0, Far = 0;
  for (TValueAxis& A : Axes) {
    if (!A.Axis->Visible) continue;
    double& Side = A.Far ? Far : Near;
    Side += (Side > 0 ? kAxisGap : 0) + A.Band;
  }
  const bool CatShown = CatAxis->Visible && CatAxis->Labels;
  double CatBand = CatShown ? Cat.Extent + kTick + kGap : 0;
  C.SetFont(CatAxis->Title.Font);
  if (HasTitle(*CatAxis)) CatBand += C.LineHeight() + kGap;
  const double HalfLabel = HalfValueLabel();
  if (!Horizontal) {
    Plot = {Area.L + std::max(Near, 4.0), Area.T + std::max(HalfLabel, 4.0),
            Area.R - std::max(Far, 8.0), Area.B - std::max(CatBand, HalfLabel)};
  } else {
    Plot = {Area.L + std::max(CatBand, HalfLabel), Area.T + std::max(Far, 6.0),
            Area.R - std::max(HalfLabel, 8.0), Area.B - std::max(Near, 4.0)};
  }
  Plot.R = std::max(Plot.R, Plot.L + 1);
  Plot.B = std::max(Plot.B, Plot.T + 1);
  PlaceAxisLines();
}

double TPlotPainter::HalfValueLabel() {
  double H = 0;
  for (const TValueAxis& A : Axes) {
    if (!A.Axis->Visible || !A.Axis->Labels) continue;
    C.SetFont(A.Axis->LabelsFont);
    if (!Horizontal) {
      H = std::max(H, C.LineHeight() / 2 + 1);
    } else if (!A.Texts.empty()) {
      H = std::max(H, C.TextWidth(A.Texts.back()) / 2 + 2);
      H = std::max(H, C.TextWidth(A.Texts.front()) / 2 + 2);
    }
  }
  return H;
}

void TPlotPainter::MeasureMarks(double ValueLen) {
  for (TValueAxis& A : Axes) A.RoomHi = A.RoomLo = 0;
  for (const TPlotSeries& S : Series) {
    if (!S.S->Marks.Visible || (S.Shape == TShape::Bar && IsStacked(S.S->MultiBar))) continue;
    C.SetFont(S.S->Marks.Font);
    double Room = C.LineHeight() + 14;  // the box and its gap
    if (Horizontal) {
      Room = 0;
      const double Total = SeriesTotal(*S.S);
      for (size_t I = 0; I < S.S->Points.size() && I < size_t(kMeasuredLabels); ++I)
        if (!std::isnan(S.Top[I]))
          Room =
              std::max(Room, C.TextWidth(MarkText(*S.S, int(I), S.S->Marks.Style, Total, FS)) + 14);
    }
    Room = std::min(Room, ValueLen * 0.3);
    TValueAxis& A = Axes[size_t(S.Axis)];
    A.RoomHi = std::max(A.RoomHi, Room);
    if (S.Shape == TShape::Bar) A.RoomLo = std::max(A.RoomLo, Room);  // below negative bars
  }
}

void TPlotPainter::ScaleAxis(TValueAxis& A, double Length, int Pass) {
  C.SetFont(A.Axis->LabelsFont);
  double MaxSteps;
  if (!Horizontal) {
    MaxSteps = Length / std::max(C.LineHeight() * 2.2, 22.0);
  } else {
    double W = 0;
    for (const std::string& T : A.Texts) W = std::max(W, C.TextWidth(T));
    if (Pass == 0 && A.DataMin <= A.DataMax)
      W = std::max(C.TextWidth(AxisNumberText(A.DataMax, 1, FS)),
                   C.TextWidth(AxisNumberText(A.DataMin, 1, FS)));
    MaxSteps = Length / (W + 24);
  }
  // The data range grows by the room of the marks.
  double Lo = A.DataMin, Hi = A.DataMax;
  const double Usable = Length - A.RoomHi - A.RoomLo;
  if (Lo < Hi && Usable > Length * 0.3) {
    const double Span = Hi - Lo;
    if (Hi > 0) Hi += Span * A.RoomHi / Usable;
    if (Lo < 0) Lo -= Span * A.RoomLo / Usable;
  }
  A.Scale = ChooseAxisScale(*A.Axis, Lo, Hi, std::max(1, int(MaxSteps)));
  A.Ticks = A.Scale.Ticks();
  A.Texts.clear();
  A.LabelSize = 0;
  for (double T : A.Ticks) {
    A.Texts.push_back(AxisNumberText(T, A.Scale.Decimals, FS));
    A.LabelSize = std::max(A.LabelSize, Horizontal ? C.LineHeight() : C.TextWidth(A.Texts.back()));
  }
  A.Band = 0;
  if (!A.Axis->Visible) return;
  A.Band = kTick + (A.Axis->Labels ? kGap + A.LabelSize : 0);
  C.SetFont(A.Axis->Title.Font);
  if (HasTitle(*A.Axis)) A.Band += kGap * 2 + C.LineHeight();
}

void TPlotPainter::PlaceAxisLines() {
  double Near = 0, Far = 0;
  for (TValueAxis& A : Axes) {
    if (!A.Axis->Visible) continue;
    double& Off = A.Far ? Far : Near;
    if (!Horizontal)
      A.Line = A.Far ? Plot.R + Off : Plot.L - Off;
    else
      A.Line = A.Far ? Plot.T - Off : Plot.B + Off;
    Off += A.Band + kAxisGap;
  }
}

void DrawCartesian(TCanvas& C, const TChart& Chart, const TRectD& Area, const TFormatSettings& FS) {
  TPlotPainter(C, Chart, Area, FS).Paint();
}

}  // namespace quin
