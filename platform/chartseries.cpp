// The series in the plot: bars side by side or stacked, areas, lines broken at empty points,
// pointers, and the marks of the points.
#include <algorithm>

#include "platform/chartplot.h"

namespace quin {

void TPlotPainter::DrawSeries(const TPlotSeries& S) {
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

void TPlotPainter::DrawBars(const TPlotSeries& S) {
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
    if (S.S->Pen.Visible && S.S->Pen.Style != TChartPenStyle::Clear && R - L >= 4 && Box.W() >= 1 &&
        Box.H() >= 1) {
      C.SetPen(S.S->Pen);
      C.SetColor(PenColor(S.S->Pen, ShadeColor(Fill, 0.72)));
      cairo_rectangle(C.Cr(), Box.L + 0.5, Box.T + 0.5, Box.W() - 1, Box.H() - 1);
      cairo_stroke(C.Cr());
    }
  }
}

void TPlotPainter::DrawArea(const TPlotSeries& S) {
  const TColor Color = Chart.SeriesColor(S.Index);
  int Areas = 0;
  for (const TPlotSeries& O : Series) Areas += O.Shape == TShape::Area ? 1 : 0;
  // Areas over each other are see-through, the more of them the lighter, and keep a full-colour
  // outline so each one's shape stays readable.
  const double Alpha = IsStacked(S.S->MultiBar) || Areas == 1 ? 1.0 : Areas > 2 ? 0.3 : 0.45;
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
    C.SetPen(S.S->Pen, Alpha < 1 ? 2 : 1.5);
    C.SetColor(PenColor(S.S->Pen, Alpha < 1 ? Color : ShadeColor(Color, 0.7)));
    cairo_stroke(Cr);
  });
}

void TPlotPainter::DrawLine(const TPlotSeries& S) {
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

void TPlotPainter::DrawPointers(const TPlotSeries& S) {
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

void TPlotPainter::DrawMarks() {
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
      DrawMarkBox(C, S.S->Marks, MarkText(*S.S, I, S.S->Marks.Style, Total, FS), X, Y, Side, Placed,
                  Bounds);
    }
  }
}

}  // namespace quin
