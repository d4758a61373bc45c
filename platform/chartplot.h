// Inside the chart renderer: the plot of bar, horizontal bar, line, area and point series,
// drawn by TPlotPainter (data and layout in chartplot.cpp, axes in chartaxes.cpp, series and
// marks in chartseries.cpp). Not for use outside platform/chart*.cpp.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/chartpaint.h"

namespace quin {

constexpr double kTick = 4;      // tick length
constexpr double kGap = 3;       // between ticks and labels
constexpr double kAxisGap = 10;  // between two axes on one side
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The labels measured to find the widest (enough to judge the space they need).
constexpr int kMeasuredLabels = 2000;

enum class TShape : std::uint8_t { Bar, Area, Line, Point };

inline TShape ShapeOf(TChartSeriesKind K) {
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

inline bool IsStacked(TMultiBar M) { return M == TMultiBar::Stacked || M == TMultiBar::Stacked100; }

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

  void Paint();

 private:
  // ----- Data and layout (chartplot.cpp)

  bool CollectSeries();
  int ValueAxisOf(const TChartSeries& S);
  // Bases and tops of every point; series stacked together (same shape family, same value
  // axis, a stacking mode) build on each other, positive and negative values apart.
  void StackValues();
  void AssignBarSlots();
  void Layout(int Pass);
  // Half the size of a value label along its axis: the room the end labels need.
  double HalfValueLabel();
  // Marks stand beyond the points (inside the segments of stacked bars): the room they need
  // beyond the highest and the lowest values, in pixels along the value axis.
  void MeasureMarks(double ValueLen);
  void ScaleAxis(TValueAxis& A, double Length, int Pass);
  void PlaceAxisLines();
  // The room beyond the plot's edges that lines and pointers may use.
  double PointerRoom() const;

  // ----- Axes (chartaxes.cpp)

  std::string CategoryText(int I) const;
  // A label in the space given: wrapped into lines, or on one line cut with an ellipsis.
  std::vector<std::string> FitLabel(const std::string& Text, double Width, int MaxLines);
  // Category labels: every label when the slots allow, else every k-th; rotated ones are cut
  // to a share of the chart's height, level ones to their slot.
  TCategoryLabels LayoutCategories(double Slot);
  void DrawBackWall();
  void DrawGrids();
  void DrawFrameAndAxes();
  void DrawValueAxis(const TValueAxis& A);
  void DrawCategoryAxis();
  static bool HasTitle(const TChartAxis& A) { return A.Title.Visible && !A.Title.Caption.empty(); }

  // ----- Series (chartseries.cpp)

  void DrawSeries(const TPlotSeries& S);
  void DrawBars(const TPlotSeries& S);
  void DrawArea(const TPlotSeries& S);
  void DrawLine(const TPlotSeries& S);
  void DrawPointers(const TPlotSeries& S);
  void DrawMarks();

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

  std::pair<double, double> PointAt(const TPlotSeries& S, int I, bool Base) const {
    const TValueAxis& A = Axes[size_t(S.Axis)];
    const double V = ValuePos(A, Base ? S.Base[size_t(I)] : S.Top[size_t(I)]);
    const double K = CatPos(I);
    return Horizontal ? std::pair{V, K} : std::pair{K, V};
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

}  // namespace quin
