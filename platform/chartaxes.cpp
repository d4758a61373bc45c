// The plot's back wall, grids, frame and axes: value labels at round steps, category labels
// rotated, wrapped or cut to their slots and thinned out when the slots are too narrow.
#include <algorithm>

#include "base/text.h"
#include "platform/chartplot.h"

namespace quin {

std::string TPlotPainter::CategoryText(int I) const {
  for (const TPlotSeries& S : Series)
    if (size_t(I) < S.S->Points.size() && !S.S->Points[size_t(I)].Label.empty())
      return Cp1250ToUtf8(S.S->Points[size_t(I)].Label);
  return NoLabels ? std::to_string(I + 1) : std::string();
}

std::vector<std::string> TPlotPainter::FitLabel(const std::string& Text, double Width,
                                                int MaxLines) {
  if (MaxLines > 1) return C.Wrap(Text, Width, MaxLines);
  std::string One = Text;
  for (char& Ch : One)
    if (Ch == '\r' || Ch == '\n') Ch = ' ';
  return {C.Ellipsize(One, Width)};
}

TCategoryLabels TPlotPainter::LayoutCategories(double Slot) {
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

void TPlotPainter::DrawBackWall() {
  const TChartWall& W = Chart.BackWall;
  if (!W.Visible || W.Transparent || W.Brush.Style == TChartBrushStyle::Clear) return;
  cairo_rectangle(C.Cr(), Plot.L, Plot.T, Plot.W(), Plot.H());
  C.FillBrush(W.Brush.Style, W.Brush.Color == clDefault ? W.Color : W.Brush.Color);
  cairo_new_path(C.Cr());
}

void TPlotPainter::DrawGrids() {
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

void TPlotPainter::DrawFrameAndAxes() {
  const TChartWall& W = Chart.BackWall;
  if (W.Visible && W.Pen.Visible && W.Pen.Style != TChartPenStyle::Clear)
    C.StrokeRect(Plot, PenColor(W.Pen, clGray), 1);
  for (const TValueAxis& A : Axes)
    if (A.Axis->Visible) DrawValueAxis(A);
  DrawCategoryAxis();
}

void TPlotPainter::DrawValueAxis(const TValueAxis& A) {
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

void TPlotPainter::DrawCategoryAxis() {
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
    else if (Cat.Angle == 0)  // the first and last labels stay inside the chart
      C.TextLines(
          std::max(Area.L + C.LinesWidth(Lines) / 2, std::min(P, Area.R - C.LinesWidth(Lines) / 2)),
          Plot.B + Off, Lines, THAlign::Center, TVAlign::Top);
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

}  // namespace quin
