// The plot of bar, horizontal bar, line, area and point series: categories along one axis,
// values along one or more value axes (the standard ones and custom axes), stacking, empty
// points, grids, axis labels and marks.
#include <algorithm>
#include <cmath>
#include <limits>

#include "base/text.h"
#include "platform/chartpaint.h"

namespace quin {

namespace {

constexpr double kTick = 4;      // tick length
constexpr double kGap = 3;       // between ticks and labels
constexpr double kAxisGap = 10;  // between two axes on one side
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The labels measured to find the widest (enough to judge the space they need).
constexpr int kMeasuredLabels = 2000;

enum class TShape : std::uint8_t { Bar, Area, Line, Point };

TShape ShapeOf(TChartSeriesKind K) {
  switch (K) {
    case TChartSeriesKind::Bar:
    case TChartSeriesKind::HorizBar:
      return TShape::Bar;
    case TChartSeriesKind::Area:
      return TShape::Area;
    case TChartSeriesKind::Line:
      return TShape::Line;
    default:
      return TShape::Point;
  }
}

bool IsStacked(TMultiBar M) { return M == TMultiBar::Stacked || M == TMultiBar::Stacked100; }

struct TPlotSeries {
  int Index = 0;
  const TChartSeries* S = nullptr;
  TShape Shape = TShape::Bar;
  int Axis = 0;                   // index into the value axes
  int Group = 0;                  // series stacked together share a group
  int Slot = -1;                  // bars: the position in a category
  std::vector<double> Base, Top;  // per category in data units; NaN where nothing is drawn
};

struct TValueAxis {
  const TChartAxis* Axis = nullptr;
  bool Far = false;  // right (or top) rather than left (or bottom)
  double DataMin = std::numeric_limits<double>::infinity();
  double DataMax = -std::numeric_limits<double>::infinity();
  double RoomHi = 0, RoomLo = 0;  // pixels the marks need beyond the highest / lowest value
  TAxisScale Scale;
  std::vector<double> Ticks;
  std::vector<std::string> Texts;
  double LabelSize = 0;  // widest label (vertical axes) or label height (horizontal ones)
  double Band = 0;       // the space beside the plot
  double Line = 0;       // the coordinate of the axis line

  void Include(double V) {
    if (std::isnan(V)) return;
    DataMin = std::min(DataMin, V);
    DataMax = std::max(DataMax, V);
  }
};

struct TCategoryLabels {
  TChartFont Font;                              // the axis' font, smaller when slots are tight
  std::vector<std::vector<std::string>> Lines;  // per category; empty when not shown
  double Extent = 0;                            // the depth of the band they fill
  double Angle = 0;                             // 0, 90 or 270
};

class TPlotPainter {
 public:
  TPlotPainter(TCanvas& C, const TChart& Chart, const TRectD& Area, const TFormatSettings& FS)
      : C(C), Chart(Chart), Area(Area), FS(FS) {}

  void Paint() {
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

 private:
  double PointerRoom() const {
    double R = 2;
    for (const TPlotSeries& S : Series)
      if (S.S->HasPointer())
        R = std::max(
            R, std::min(double(std::max(S.S->Pointer.HorizSize, S.S->Pointer.VertSize)), 12.0) + 2);
    return R;
  }

  // ----- Data

  bool CollectSeries() {
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

  int ValueAxisOf(const TChartSeries& S) {
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

  // Bases and tops of every point; series stacked together (same shape family, same value
  // axis, a stacking mode) build on each other, positive and negative values apart.
  void StackValues() {
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

  void AssignBarSlots() {
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

  // ----- Layout

  void Layout(int Pass) {
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

  // Half the size of a value label along its axis: the room the end labels need.
  double HalfValueLabel() {
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

  static bool HasTitle(const TChartAxis& A) { return A.Title.Visible && !A.Title.Caption.empty(); }

  // Marks stand beyond the points (inside the segments of stacked bars): the room they need
  // beyond the highest and the lowest values, in pixels along the value axis.
  void MeasureMarks(double ValueLen) {
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
            Room = std::max(Room,
                            C.TextWidth(MarkText(*S.S, int(I), S.S->Marks.Style, Total, FS)) + 14);
      }
      Room = std::min(Room, ValueLen * 0.3);
      TValueAxis& A = Axes[size_t(S.Axis)];
      A.RoomHi = std::max(A.RoomHi, Room);
      if (S.Shape == TShape::Bar) A.RoomLo = std::max(A.RoomLo, Room);  // below negative bars
    }
  }

  void ScaleAxis(TValueAxis& A, double Length, int Pass) {
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
      A.LabelSize =
          std::max(A.LabelSize, Horizontal ? C.LineHeight() : C.TextWidth(A.Texts.back()));
    }
    A.Band = 0;
    if (!A.Axis->Visible) return;
    A.Band = kTick + (A.Axis->Labels ? kGap + A.LabelSize : 0);
    C.SetFont(A.Axis->Title.Font);
    if (HasTitle(*A.Axis)) A.Band += kGap * 2 + C.LineHeight();
  }

  void PlaceAxisLines() {
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

  std::string CategoryText(int I) const {
    for (const TPlotSeries& S : Series)
      if (size_t(I) < S.S->Points.size() && !S.S->Points[size_t(I)].Label.empty())
        return Cp1250ToUtf8(S.S->Points[size_t(I)].Label);
    return NoLabels ? std::to_string(I + 1) : std::string();
  }

  // A label in the space given: wrapped into lines, or on one line cut with an ellipsis.
  std::vector<std::string> FitLabel(const std::string& Text, double Width, int MaxLines) {
    if (MaxLines > 1) return C.Wrap(Text, Width, MaxLines);
    std::string One = Text;
    for (char& Ch : One)
      if (Ch == '\r' || Ch == '\n') Ch = ' ';
    return {C.Ellipsize(One, Width)};
  }

  // Category labels: every label when the slots allow, else every k-th; rotated ones are cut
  // to a share of the chart's height, level ones to their slot.
  TCategoryLabels LayoutCategories(double Slot) {
    TCategoryLabels R;
    R.Lines.assign(size_t(N), {});
    if (!CatAxis->Visible || !CatAxis->Labels || Slot <= 0) return R;
    R.Font = CatAxis->LabelsFont;
    C.SetFont(R.Font);
    NoLabels = true;
    for (const TPlotSeries& S : Series)
      for (const TChartPoint& P : S.S->Points) NoLabels = NoLabels && P.Label.empty();
    const int Angle = ((CatAxis->LabelsAngle % 360) + 360) % 360;
    const bool Rotated =
        !Horizontal && ((Angle >= 45 && Angle < 135) || (Angle >= 225 && Angle < 315));
    R.Angle = Rotated ? (Angle < 180 ? 90 : 270) : 0;
    // Labels across tight slots take a point or two off their size rather than go missing.
    if ((Rotated || Horizontal) && C.LineHeight() > Slot)
      for (int Smaller = 1; Smaller <= 2 && R.Font.Size - Smaller >= 6; ++Smaller) {
        TChartFont F = CatAxis->LabelsFont;
        F.Size -= Smaller;
        C.SetFont(F);
        R.Font = F;
        if (C.LineHeight() <= Slot) break;
      }
    const double LineH = C.LineHeight();
    int Every = 1;
    double Width;
    int MaxLines;
    if (Rotated || Horizontal) {
      // Lines stack across the slot; the length is bounded by the chart's size.
      if (Slot < LineH) Every = int(std::ceil(LineH * 1.15 / Slot));
      MaxLines = CatAxis->LabelsMultiLine ? std::clamp(int(Slot * Every / LineH), 1, 3) : 1;
      Width = Horizontal ? Area.W() * 0.3 : Area.H() * 0.38;
    } else {
      // The width a label needs: its widest word when it may wrap, else all of it.
      double Natural = 0;
      for (int I = 0; I < N && I < kMeasuredLabels; ++I) {
        const std::string T = CategoryText(I);
        if (!CatAxis->LabelsMultiLine) {
          Natural = std::max(Natural, C.TextWidth(T));
          continue;
        }
        for (size_t P = 0; P < T.size();) {
          const size_t E = std::min(T.find_first_of(" \r\n", P), T.size());
          Natural = std::max(Natural, C.TextWidth(T.substr(P, E - P)));
          P = E + 1;
        }
      }
      const double Least = std::min(Natural, 60.0);
      if (Slot - 6 < Least) Every = int(std::ceil((Least + 6) / Slot));
      Width = Slot * Every - 6;
      MaxLines = CatAxis->LabelsMultiLine ? 3 : 1;
    }
    for (int I = 0; I < N; I += Every) {
      R.Lines[size_t(I)] = FitLabel(CategoryText(I), Width, MaxLines);
      const auto& L = R.Lines[size_t(I)];
      R.Extent = std::max(R.Extent, Rotated || Horizontal ? C.LinesWidth(L) : L.size() * LineH);
    }
    return R;
  }

  // ----- Positions

  double ValuePos(const TValueAxis& A, double V) const {
    double F = std::clamp(A.Scale.Fraction(V), -0.05, 1.05);
    if (A.Axis->Inverted) F = 1 - F;
    return Horizontal ? Plot.L + F * Plot.W() : Plot.B - F * Plot.H();
  }

  // The centre of category I; horizontal bars list the categories from the top.
  double CatPos(double I) const {
    double F = (I + 0.5) / N;
    if (CatAxis->Inverted) F = 1 - F;
    return Horizontal ? Plot.T + F * Plot.H() : Plot.L + F * Plot.W();
  }

  double SlotSize() const { return (Horizontal ? Plot.H() : Plot.W()) / N; }

  // ----- Drawing

  void DrawBackWall() {
    const TChartWall& W = Chart.BackWall;
    if (!W.Visible || W.Transparent || W.Brush.Style == TChartBrushStyle::Clear) return;
    cairo_rectangle(C.Cr(), Plot.L, Plot.T, Plot.W(), Plot.H());
    C.FillBrush(W.Brush.Style, W.Brush.Color == clDefault ? W.Color : W.Brush.Color);
    cairo_new_path(C.Cr());
  }

  void DrawGrids() {
    for (const TValueAxis& A : Axes) {
      const TChartPen& G = A.Axis->Grid;
      if (!G.Visible || G.Style == TChartPenStyle::Clear) continue;
      C.SetPen(G);
      C.SetColor(PenColor(G, clSilver));
      for (double T : A.Ticks) {
        const double P = std::round(ValuePos(A, T)) + 0.5;
        if (Horizontal)
          C.Line(P, Plot.T, P, Plot.B);
        else
          C.Line(Plot.L, P, Plot.R, P);
      }
    }
    const TChartPen& G = CatAxis->Grid;
    if (G.Visible && G.Style != TChartPenStyle::Clear && SlotSize() >= 4) {
      C.SetPen(G);
      C.SetColor(PenColor(G, clSilver));
      for (int I = 1; I < N; ++I) {
        const double P = std::round(CatPos(I - 0.5)) + 0.5;
        if (Horizontal)
          C.Line(Plot.L, P, Plot.R, P);
        else
          C.Line(P, Plot.T, P, Plot.B);
      }
    }
    // The zero line of the first value axis when its values change sign.
    const TValueAxis& A = Axes.front();
    if (A.Scale.Min < 0 && A.Scale.Max > 0) {
      C.SetPen(TChartPen{});
      C.SetColor(PenColor(A.Axis->AxisPen, clGray));
      const double P = std::round(ValuePos(A, 0)) + 0.5;
      if (Horizontal)
        C.Line(P, Plot.T, P, Plot.B);
      else
        C.Line(Plot.L, P, Plot.R, P);
    }
  }

  void DrawSeries(const TPlotSeries& S) {
    switch (S.Shape) {
      case TShape::Bar:
        DrawBars(S);
        break;
      case TShape::Area:
        DrawArea(S);
        break;
      case TShape::Line:
        DrawLine(S);
        break;
      case TShape::Point:
        break;
    }
    if (S.S->HasPointer()) DrawPointers(S);
  }

  void DrawBars(const TPlotSeries& S) {
    const TValueAxis& A = Axes[size_t(S.Axis)];
    const double Group = SlotSize() * std::clamp(BarWidth, 1, 100) / 100.0;
    const double W = Group / std::max(1, BarSlots);
    for (int I = 0; I < N; ++I) {
      if (std::isnan(S.Top[size_t(I)])) continue;
      const double C0 = CatPos(I) - Group / 2 + S.Slot * W;
      double A0 = ValuePos(A, S.Base[size_t(I)]), A1 = ValuePos(A, S.Top[size_t(I)]);
      if (A0 > A1) std::swap(A0, A1);
      double L = std::round(C0), R = std::round(C0 + W);
      if (R - L < 1) R = L + 1;
      A0 = std::round(A0);
      A1 = std::round(A1);
      const TRectD Box = Horizontal ? TRectD{A0, L, A1, R} : TRectD{L, A0, R, A1};
      const TColor Fill = Chart.PointColor(S.Index, I);
      cairo_rectangle(C.Cr(), Box.L, Box.T, Box.W(), Box.H());
      C.FillBrush(S.S->Brush.Style, S.S->Brush.Color == clDefault ? Fill : S.S->Brush.Color);
      cairo_new_path(C.Cr());
      if (S.S->Pen.Visible && S.S->Pen.Style != TChartPenStyle::Clear && R - L >= 4 &&
          Box.W() >= 1 && Box.H() >= 1) {
        C.SetPen(S.S->Pen);
        C.SetColor(PenColor(S.S->Pen, ShadeColor(Fill, 0.72)));
        cairo_rectangle(C.Cr(), Box.L + 0.5, Box.T + 0.5, Box.W() - 1, Box.H() - 1);
        cairo_stroke(C.Cr());
      }
    }
  }

  // Runs of consecutive drawn points [First, Last].
  template <class F>
  void ForRuns(const TPlotSeries& S, F Each) const {
    int I = 0;
    while (I < N) {
      while (I < N && std::isnan(S.Top[size_t(I)])) ++I;
      int J = I;
      while (J < N && !std::isnan(S.Top[size_t(J)])) ++J;
      if (J > I) Each(I, J - 1);
      I = J;
    }
  }

  std::pair<double, double> PointAt(const TPlotSeries& S, int I, bool Base) const {
    const TValueAxis& A = Axes[size_t(S.Axis)];
    const double V = ValuePos(A, Base ? S.Base[size_t(I)] : S.Top[size_t(I)]);
    const double K = CatPos(I);
    return Horizontal ? std::pair{V, K} : std::pair{K, V};
  }

  void DrawArea(const TPlotSeries& S) {
    const TColor Color = Chart.SeriesColor(S.Index);
    int Areas = 0;
    for (const TPlotSeries& O : Series) Areas += O.Shape == TShape::Area ? 1 : 0;
    const double Alpha = IsStacked(S.S->MultiBar) || Areas == 1 ? 1.0 : 0.55;
    ForRuns(S, [&](int First, int Last) {
      cairo_t* Cr = C.Cr();
      for (int I = First; I <= Last; ++I) {
        const auto [X, Y] = PointAt(S, I, false);
        I == First ? cairo_move_to(Cr, X, Y) : cairo_line_to(Cr, X, Y);
      }
      for (int I = Last; I >= First; --I) {
        const auto [X, Y] = PointAt(S, I, true);
        cairo_line_to(Cr, X, Y);
      }
      cairo_close_path(Cr);
      if (S.S->Brush.Style == TChartBrushStyle::Solid) {
        C.SetColor(Color, Alpha);
        cairo_fill(Cr);
      } else {
        C.FillBrush(S.S->Brush.Style, S.S->Brush.Color == clDefault ? Color : S.S->Brush.Color);
        cairo_new_path(Cr);
      }
      if (!S.S->Pen.Visible || S.S->Pen.Style == TChartPenStyle::Clear) return;
      for (int I = First; I <= Last; ++I) {
        const auto [X, Y] = PointAt(S, I, false);
        I == First ? cairo_move_to(Cr, X, Y) : cairo_line_to(Cr, X, Y);
      }
      C.SetPen(S.S->Pen, 1.5);
      C.SetColor(PenColor(S.S->Pen, Alpha < 1 ? Color : ShadeColor(Color, 0.7)));
      cairo_stroke(Cr);
    });
  }

  void DrawLine(const TPlotSeries& S) {
    const TChartPen& Pen = S.S->Pen;
    if (!Pen.Visible || Pen.Style == TChartPenStyle::Clear) return;
    const TColor Color = PenColor(Pen, Chart.SeriesColor(S.Index));
    const double Width = Pen.Width <= 1 ? 2 : Pen.Width + 1;
    ForRuns(S, [&](int First, int Last) {
      cairo_t* Cr = C.Cr();
      C.SetColor(Color);
      if (First == Last) {  // a point between empty ones: a dot
        const auto [X, Y] = PointAt(S, First, false);
        cairo_arc(Cr, X, Y, Width, 0, 6.2832);
        cairo_fill(Cr);
        return;
      }
      for (int I = First; I <= Last; ++I) {
        const auto [X, Y] = PointAt(S, I, false);
        I == First ? cairo_move_to(Cr, X, Y) : cairo_line_to(Cr, X, Y);
      }
      C.SetPen(Pen, Width / std::max(1, Pen.Width));
      cairo_stroke(Cr);
    });
  }

  void DrawPointers(const TPlotSeries& S) {
    const TChartPointer& P = S.S->Pointer;
    if (!P.Visible) return;
    for (int I = 0; I < N; ++I) {
      if (std::isnan(S.Top[size_t(I)])) continue;
      const auto [X, Y] = PointAt(S, I, false);
      const TColor Fill =
          S.Shape == TShape::Line ? Chart.SeriesColor(S.Index) : Chart.PointColor(S.Index, I);
      const TColor Outline = P.Pen.Visible ? PenColor(P.Pen, ShadeColor(Fill, 0.6)) : clNone;
      DrawPointer(C, P.Style, X, Y, P.HorizSize, P.VertSize, Fill, Outline);
    }
  }

  void DrawFrameAndAxes() {
    const TChartWall& W = Chart.BackWall;
    if (W.Visible && W.Pen.Visible && W.Pen.Style != TChartPenStyle::Clear)
      C.StrokeRect(Plot, PenColor(W.Pen, clGray), 1);
    for (const TValueAxis& A : Axes)
      if (A.Axis->Visible) DrawValueAxis(A);
    DrawCategoryAxis();
  }

  void DrawValueAxis(const TValueAxis& A) {
    const TChartAxis& X = *A.Axis;
    const double L = std::round(A.Line) + 0.5;
    const double Dir = A.Far ? -1 : 1;  // left axes: labels at smaller X; right ones larger
    if (X.AxisPen.Visible && X.AxisPen.Style != TChartPenStyle::Clear) {
      C.SetPen(X.AxisPen);
      C.SetColor(PenColor(X.AxisPen, clGray));
      if (Horizontal)
        C.Line(Plot.L, L, Plot.R, L);
      else
        C.Line(L, Plot.T, L, Plot.B);
      cairo_set_line_width(C.Cr(), 1);
      cairo_set_dash(C.Cr(), nullptr, 0, 0);
      for (double T : A.Ticks) {
        const double P = std::round(ValuePos(A, T)) + 0.5;
        if (Horizontal)
          C.Line(P, L, P, L + kTick * (A.Far ? -1 : 1));
        else
          C.Line(L, P, L - kTick * Dir, P);
      }
    }
    if (X.Labels) {
      C.SetFont(X.LabelsFont);
      for (size_t I = 0; I < A.Ticks.size(); ++I) {
        const double P = ValuePos(A, A.Ticks[I]);
        if (Horizontal)
          C.Text(P, L + (kTick + kGap) * (A.Far ? -1 : 1), A.Texts[I], THAlign::Center,
                 A.Far ? TVAlign::Bottom : TVAlign::Top);
        else
          C.Text(L - (kTick + kGap) * Dir, P, A.Texts[I], A.Far ? THAlign::Left : THAlign::Right,
                 TVAlign::Middle);
      }
    }
    if (!HasTitle(X)) return;
    C.SetFont(X.Title.Font);
    const std::string Title = Cp1250ToUtf8(X.Title.Caption);
    if (Horizontal) {
      const double Y = L + A.Band * (A.Far ? -1 : 1);
      C.Text((Plot.L + Plot.R) / 2, Y, C.Ellipsize(Title, Plot.W()), THAlign::Center,
             A.Far ? TVAlign::Top : TVAlign::Bottom);
    } else {
      const double XPos = L - A.Band * Dir;
      C.Text(XPos, (Plot.T + Plot.B) / 2, C.Ellipsize(Title, Plot.H()), THAlign::Center,
             A.Far ? TVAlign::Bottom : TVAlign::Top, 90);
    }
  }

  void DrawCategoryAxis() {
    const TChartAxis& X = *CatAxis;
    if (!X.Visible) return;
    if (X.AxisPen.Visible && X.AxisPen.Style != TChartPenStyle::Clear) {
      C.SetPen(X.AxisPen);
      C.SetColor(PenColor(X.AxisPen, clGray));
      if (Horizontal)
        C.Line(std::round(Plot.L) + 0.5, Plot.T, std::round(Plot.L) + 0.5, Plot.B);
      else
        C.Line(Plot.L, std::round(Plot.B) + 0.5, Plot.R, std::round(Plot.B) + 0.5);
    }
    C.SetFont(Cat.Font);
    const double Off = kTick + kGap;
    for (int I = 0; I < N && X.Labels; ++I) {
      const auto& Lines = Cat.Lines[size_t(I)];
      if (Lines.empty()) continue;
      const double P = CatPos(I);
      if (Horizontal)
        C.TextLines(Plot.L - Off, P, Lines, THAlign::Right, TVAlign::Middle);
      else if (Cat.Angle == 0)
        C.TextLines(P, Plot.B + Off, Lines, THAlign::Center, TVAlign::Top);
      else
        C.TextLines(P, Plot.B + Off, Lines, Cat.Angle == 90 ? THAlign::Right : THAlign::Left,
                    TVAlign::Middle, Cat.Angle);
    }
    if (!HasTitle(X)) return;
    C.SetFont(X.Title.Font);
    const std::string Title = Cp1250ToUtf8(X.Title.Caption);
    if (Horizontal)
      C.Text(Area.L, (Plot.T + Plot.B) / 2, C.Ellipsize(Title, Plot.H()), THAlign::Center,
             TVAlign::Top, 90);
    else
      C.Text((Plot.L + Plot.R) / 2, Area.B, C.Ellipsize(Title, Plot.W()), THAlign::Center,
             TVAlign::Bottom);
  }

  void DrawMarks() {
    std::vector<TRectD> Placed;
    const TRectD Bounds{0, 0, double(C.Width()), double(C.Height())};
    for (const TPlotSeries& S : Series) {
      if (!S.S->Marks.Visible) continue;
      const double Group = SlotSize() * std::clamp(BarWidth, 1, 100) / 100.0;
      const double W = Group / std::max(1, BarSlots);
      const double Total = SeriesTotal(*S.S);
      for (int I = 0; I < N; ++I) {
        if (std::isnan(S.Top[size_t(I)])) continue;
        auto [X, Y] = PointAt(S, I, false);
        const double Up = S.Shape == TShape::Bar && S.Top[size_t(I)] < S.Base[size_t(I)] ? -1 : 1;
        TMarkSide Side = Horizontal ? (Up > 0 ? TMarkSide::Right : TMarkSide::Left)
                                    : (Up > 0 ? TMarkSide::Above : TMarkSide::Below);
        if (S.Shape == TShape::Bar) {
          (Horizontal ? Y : X) = CatPos(I) - Group / 2 + (S.Slot + 0.5) * W;
          if (IsStacked(S.S->MultiBar)) {  // inside its segment
            const double Mid =
                ValuePos(Axes[size_t(S.Axis)], (S.Base[size_t(I)] + S.Top[size_t(I)]) / 2);
            (Horizontal ? X : Y) = Mid;
            Side = TMarkSide::Center;
          }
        }
        DrawMarkBox(C, S.S->Marks, MarkText(*S.S, I, S.S->Marks.Style, Total, FS), X, Y, Side,
                    Placed, Bounds);
      }
    }
  }

  TCanvas& C;
  const TChart& Chart;
  const TRectD Area;
  const TFormatSettings& FS;
  std::vector<TPlotSeries> Series;
  std::vector<TValueAxis> Axes;
  const TChartAxis* CatAxis = nullptr;
  bool Horizontal = false;
  bool NoLabels = false;
  int N = 0;  // categories
  int BarSlots = 0;
  int BarWidth = 70;
  TRectD Plot;
  TCategoryLabels Cat;
};

}  // namespace

bool DrawMarkBox(TCanvas& C, const TChartMarks& Marks, const std::string& Text, double X, double Y,
                 TMarkSide Side, std::vector<TRectD>& Placed, const TRectD& Bounds) {
  if (Text.empty()) return false;
  C.SetFont(Marks.Font);
  const double W = C.TextWidth(Text) + 6, H = C.LineHeight() + 2;
  const double Gap = 3 + std::min(Marks.ArrowLength, 8) / 2.0;
  TRectD Box;
  switch (Side) {
    case TMarkSide::Above:
      Box = {X - W / 2, Y - Gap - H, X + W / 2, Y - Gap};
      break;
    case TMarkSide::Below:
      Box = {X - W / 2, Y + Gap, X + W / 2, Y + Gap + H};
      break;
    case TMarkSide::Right:
      Box = {X + Gap, Y - H / 2, X + Gap + W, Y + H / 2};
      break;
    case TMarkSide::Left:
      Box = {X - Gap - W, Y - H / 2, X - Gap, Y + H / 2};
      break;
    case TMarkSide::Center:
      Box = {X - W / 2, Y - H / 2, X + W / 2, Y + H / 2};
      break;
  }
  Box = {std::round(Box.L), std::round(Box.T), std::round(Box.R), std::round(Box.B)};
  if (Box.L < Bounds.L || Box.T < Bounds.T || Box.R > Bounds.R || Box.B > Bounds.B) return false;
  for (const TRectD& P : Placed)
    if (Box.Intersects(P)) return false;
  Placed.push_back(Box);
  if (!Marks.Transparent) C.FillRect(Box, Marks.BackColor);
  if (Marks.Frame.Visible && Marks.Frame.Style != TChartPenStyle::Clear)
    C.StrokeRect(Box, PenColor(Marks.Frame, clGray), 1);
  C.SetFont(Marks.Font);
  C.Text((Box.L + Box.R) / 2, (Box.T + Box.B) / 2, Text, THAlign::Center, TVAlign::Middle);
  return true;
}

void DrawPointer(TCanvas& C, TPointerStyle Style, double X, double Y, double HS, double VS,
                 TColor Fill, TColor Outline) {
  cairo_t* Cr = C.Cr();
  cairo_set_dash(Cr, nullptr, 0, 0);
  auto Poly = [&](std::initializer_list<std::pair<double, double>> Pts) {
    bool First = true;
    for (auto [PX, PY] : Pts) {
      First ? cairo_move_to(Cr, X + PX, Y + PY) : cairo_line_to(Cr, X + PX, Y + PY);
      First = false;
    }
    cairo_close_path(Cr);
  };
  switch (Style) {
    case TPointerStyle::Cross:
    case TPointerStyle::DiagCross:
    case TPointerStyle::Star: {
      // Line shapes: drawn in the filling colour.
      const bool Straight = Style != TPointerStyle::DiagCross;
      const bool Diagonal = Style != TPointerStyle::Cross;
      if (Straight) {
        cairo_move_to(Cr, X - HS, Y), cairo_line_to(Cr, X + HS, Y);
        cairo_move_to(Cr, X, Y - VS), cairo_line_to(Cr, X, Y + VS);
      }
      if (Diagonal) {
        const double K = Straight ? 0.75 : 1;
        cairo_move_to(Cr, X - HS * K, Y - VS * K), cairo_line_to(Cr, X + HS * K, Y + VS * K);
        cairo_move_to(Cr, X - HS * K, Y + VS * K), cairo_line_to(Cr, X + HS * K, Y - VS * K);
      }
      C.SetColor(Fill);
      cairo_set_line_width(Cr, 2);
      cairo_stroke(Cr);
      return;
    }
    case TPointerStyle::Rectangle:
      cairo_rectangle(Cr, X - HS, Y - VS, HS * 2, VS * 2);
      break;
    case TPointerStyle::Circle:
    case TPointerStyle::SmallDot: {
      const double K = Style == TPointerStyle::SmallDot ? 0.4 : 1;
      cairo_save(Cr);
      cairo_translate(Cr, X, Y);
      cairo_scale(Cr, std::max(HS * K, 0.5), std::max(VS * K, 0.5));
      cairo_arc(Cr, 0, 0, 1, 0, 6.2832);
      cairo_restore(Cr);
      break;
    }
    case TPointerStyle::Triangle:
      Poly({{0, -VS}, {HS, VS}, {-HS, VS}});
      break;
    case TPointerStyle::DownTriangle:
      Poly({{0, VS}, {HS, -VS}, {-HS, -VS}});
      break;
    case TPointerStyle::Diamond:
      Poly({{0, -VS}, {HS, 0}, {0, VS}, {-HS, 0}});
      break;
  }
  C.SetColor(Fill);
  cairo_fill_preserve(Cr);
  if (Outline != clNone) {
    C.SetColor(Outline);
    cairo_set_line_width(Cr, 1);
    cairo_stroke(Cr);
  } else {
    cairo_new_path(Cr);
  }
}

void DrawCartesian(TCanvas& C, const TChart& Chart, const TRectD& Area, const TFormatSettings& FS) {
  TPlotPainter(C, Chart, Area, FS).Paint();
}

}  // namespace quin
