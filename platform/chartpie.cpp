// Pie series: one pie per series side by side, slices clockwise from the top, labels in columns
// beside the pie with leader lines, spread so they never overlap.
#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "platform/chartpaint.h"

namespace quin {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLeader = 16;  // from the rim to the label column

struct TSlice {
  int Point = 0;
  double Value = 0;
  double A0 = 0, A1 = 0;  // angles, clockwise from three o'clock
  std::string Label{};
  double LabelY = 0;
  bool Right = true;
  bool Shown = true;
};

// Moves the labels of one side apart: at least LineH between neighbours, inside [Top, Bottom];
// when there is no room for all, the labels of the smallest slices go first.
void SpreadLabels(std::vector<TSlice*> Side, double LineH, double Top, double Bottom) {
  const int Room = std::max(0, int((Bottom - Top) / LineH));
  if (int(Side.size()) > Room) {
    std::vector<TSlice*> BySize = Side;
    std::sort(BySize.begin(), BySize.end(),
              [](const TSlice* A, const TSlice* B) { return A->Value < B->Value; });
    for (size_t I = 0; I + size_t(Room) < BySize.size(); ++I) BySize[I]->Shown = false;
    std::erase_if(Side, [](const TSlice* S) { return !S->Shown; });
  }
  std::sort(Side.begin(), Side.end(),
            [](const TSlice* A, const TSlice* B) { return A->LabelY < B->LabelY; });
  for (size_t I = 0; I < Side.size(); ++I) {
    double& Y = Side[I]->LabelY;
    Y = std::max(Y, Top + LineH / 2);
    if (I > 0) Y = std::max(Y, Side[I - 1]->LabelY + LineH);
  }
  for (size_t I = Side.size(); I-- > 0;) {
    double& Y = Side[I]->LabelY;
    Y = std::min(Y, Bottom - LineH / 2);
    if (I + 1 < Side.size()) Y = std::min(Y, Side[I + 1]->LabelY - LineH);
  }
}

void DrawPie(TCanvas& C, const TChart& Chart, int S, const TRectD& Cell, const TFormatSettings& FS,
             bool LabelSlices) {
  const TChartSeries& Ser = Chart.Series[size_t(S)];
  std::vector<TSlice> Slices;
  double Total = 0, V;
  for (size_t I = 0; I < Ser.Points.size(); ++I)
    if (PointValue(Ser.Points[I], V) && V > 0) {
      Slices.push_back({.Point = int(I), .Value = V});
      Total += V;
    }
  const double CX = (Cell.L + Cell.R) / 2, CY = (Cell.T + Cell.B) / 2;
  const double Fit = std::min(Cell.W(), Cell.H()) / 2;
  if (Slices.empty() || !(Total > 0) || !std::isfinite(Total)) {
    C.SetColor(clSilver);
    cairo_set_line_width(C.Cr(), 1);
    cairo_arc(C.Cr(), CX, CY, std::max(Fit * 0.6, 1.0), 0, 2 * kPi);
    cairo_stroke(C.Cr());
    return;
  }
  // Labels: what the marks say, or the point's label when the slices must be named.
  const bool Labels = Ser.Marks.Visible || LabelSlices;
  bool Numeric = false;  // the labels are numbers: never cut, left out when they do not fit
  C.SetFont(Ser.Marks.Font);
  const double LineH = C.LineHeight() + 2;
  double Radius = Fit - 6;
  if (Labels) {
    double Widest = 0;
    const double SerTotal = SeriesTotal(Ser);
    // Where the legend names the slices, marks that would repeat the names give the shares,
    // in whole percent (one decimal below 10 %) to fit beside small pies.
    TMarksStyle Style = Ser.Marks.Visible ? Ser.Marks.Style : TMarksStyle::Label;
    const bool Shares =
        !LabelSlices && (Style == TMarksStyle::Label || Style == TMarksStyle::Legend);
    Numeric = Shares || Style == TMarksStyle::Value || Style == TMarksStyle::Percent ||
              Style == TMarksStyle::PercentTotal;
    for (TSlice& Sl : Slices) {
      if (Shares) {
        const double P = Sl.Value / Total * 100;
        Sl.Label = AxisNumberText(P, P < 9.95 ? 1 : 0, FS) + "%";
      } else {
        Sl.Label = MarkText(Ser, Sl.Point, Style, SerTotal, FS);
      }
      Widest = std::max(Widest, C.TextWidth(Sl.Label));
    }
    const double MaxLabel = Cell.W() * 0.28;
    Widest = std::min(Widest, MaxLabel);
    Radius = std::min((Cell.W() - 2 * (Widest + kLeader + 6)) / 2, Cell.H() / 2 - LineH);
    Radius = std::max(Radius, std::min(Cell.W(), Cell.H()) * 0.22);
    const double Room = Cell.W() / 2 - Radius - kLeader - 6;
    for (TSlice& Sl : Slices) {
      if (!Numeric)
        Sl.Label = C.Ellipsize(Sl.Label, std::min(Room, MaxLabel));
      else if (C.TextWidth(Sl.Label) > Room)
        Sl.Shown = false;
    }
  }
  Radius = std::max(Radius, 2.0);
  // The biggest slice moves out by its share of the radius; the pie shrinks to make room.
  const double Explode = Radius * std::clamp(Ser.ExplodeBiggest, 0, 100) / 100.0 / 2;
  Radius -= Explode;
  size_t Biggest = 0;
  for (size_t I = 0; I < Slices.size(); ++I)
    if (Slices[I].Value > Slices[Biggest].Value) Biggest = I;
  double Acc = 0;
  for (size_t I = 0; I < Slices.size(); ++I) {
    TSlice& Sl = Slices[I];
    Sl.A0 = -kPi / 2 + Acc / Total * 2 * kPi;
    Acc += Sl.Value;
    Sl.A1 = -kPi / 2 + Acc / Total * 2 * kPi;
    const double Mid = (Sl.A0 + Sl.A1) / 2;
    const double Off = I == Biggest ? Explode : 0;
    const double X = CX + Off * std::cos(Mid), Y = CY + Off * std::sin(Mid);
    cairo_move_to(C.Cr(), X, Y);
    cairo_arc(C.Cr(), X, Y, Radius, Sl.A0, Sl.A1);
    cairo_close_path(C.Cr());
    const TColor Fill = Chart.PointColor(S, Sl.Point);
    C.FillBrush(Ser.Brush.Style, Ser.Brush.Color == clDefault ? Fill : Ser.Brush.Color);
    if (Ser.Pen.Visible && Ser.Pen.Style != TChartPenStyle::Clear && Slices.size() > 1) {
      C.SetPen(Ser.Pen);
      C.SetColor(PenColor(Ser.Pen, ShadeColor(Fill, 0.72)));
      cairo_stroke(C.Cr());
    } else {
      cairo_new_path(C.Cr());
    }
    Sl.Right = std::cos(Mid) >= 0;
    Sl.LabelY = CY + (Radius + Off + kLeader / 2) * std::sin(Mid);
  }
  if (!Labels) return;
  std::vector<TSlice*> Left, Right;
  for (TSlice& Sl : Slices)
    if (Sl.Shown) (Sl.Right ? Right : Left).push_back(&Sl);
  SpreadLabels(Left, LineH, Cell.T, Cell.B);
  SpreadLabels(Right, LineH, Cell.T, Cell.B);
  C.SetFont(Ser.Marks.Font);
  for (size_t I = 0; I < Slices.size(); ++I) {
    const TSlice& Sl = Slices[I];
    if (!Sl.Shown || Sl.Label.empty()) continue;
    const double Mid = (Sl.A0 + Sl.A1) / 2;
    const double Off = I == Biggest ? Explode : 0;
    const double Rim = Radius + Off;
    const double Column = CX + (Sl.Right ? 1 : -1) * (Radius + Explode + kLeader);
    C.SetColor(clGray);
    cairo_set_line_width(C.Cr(), 1);
    cairo_set_dash(C.Cr(), nullptr, 0, 0);
    cairo_move_to(C.Cr(), CX + Rim * std::cos(Mid), CY + Rim * std::sin(Mid));
    cairo_line_to(C.Cr(), CX + (Rim + 6) * std::cos(Mid), CY + (Rim + 6) * std::sin(Mid));
    cairo_line_to(C.Cr(), Column - (Sl.Right ? 3 : -3), Sl.LabelY);
    cairo_stroke(C.Cr());
    C.SetColor(Ser.Marks.Font.Color);
    C.Text(Column, Sl.LabelY, Sl.Label, Sl.Right ? THAlign::Left : THAlign::Right, TVAlign::Middle);
  }
}

}  // namespace

void DrawPies(TCanvas& C, const TChart& Chart, const TRectD& Area, const TFormatSettings& FS,
              bool LabelSlices) {
  std::vector<int> Pies;
  for (size_t I = 0; I < Chart.Series.size(); ++I)
    if (Chart.Series[I].Active && Chart.Series[I].Kind == TChartSeriesKind::Pie)
      Pies.push_back(int(I));
  if (Pies.empty() || Area.W() < 4 || Area.H() < 4) return;
  // The grid of cells that gives each pie the most room.
  const int Count = int(Pies.size());
  int Cols = 1;
  double Best = 0;
  for (int K = 1; K <= Count; ++K) {
    const int Rows = (Count + K - 1) / K;
    const double Side = std::min(Area.W() / K, Area.H() / Rows);
    if (Side > Best) Best = Side, Cols = K;
  }
  const int Rows = (Count + Cols - 1) / Cols;
  const double CW = Area.W() / Cols, CH = Area.H() / Rows;
  for (int K = 0; K < Count; ++K) {
    // NOLINTNEXTLINE(bugprone-integer-division): K / Cols is the cell's row
    TRectD Cell{Area.L + (K % Cols) * CW, Area.T + (K / Cols) * CH, 0, 0};
    Cell.R = Cell.L + CW;
    Cell.B = Cell.T + CH;
    if (Count > 1) {  // each pie under its series' title
      TChartFont F = Chart.Series[size_t(Pies[size_t(K)])].Marks.Font;
      F.Bold = true;
      C.SetFont(F);
      C.Text((Cell.L + Cell.R) / 2, Cell.T,
             C.Ellipsize(SeriesTitleText(Chart, Pies[size_t(K)]), CW - 8), THAlign::Center,
             TVAlign::Top);
      Cell.T += C.LineHeight() + 6;
      Cell.L += 6;
      Cell.R -= 6;
    }
    if (Cell.H() >= 4) DrawPie(C, Chart, Pies[size_t(K)], Cell, FS, LabelSlices);
  }
}

}  // namespace quin
