// The chart model: a chart with its title, legend, walls, background, 3-D options, standard
// and custom axes, and series of bars, horizontal bars, lines, areas, points and pies. Plain
// value types: a copy is a clone (copying a series copies its style and its points), so a
// template chart or series is applied by assignment. The renderer (platform/chartrender.h)
// draws a chart, the form text (platform/chartform.h) stores and restores one.
//
// Sizes of pens, pointers and margins are pixels unless noted; chart margins are percent of the
// chart's width or height. Texts are Windows-1250.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/colors.h"

namespace quin {

enum class TChartPenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear };
enum class TChartBrushStyle : std::uint8_t {
  Solid,
  Clear,
  Horizontal,
  Vertical,
  FDiagonal,
  BDiagonal,
  Cross,
  DiagCross
};

struct TChartPen {
  bool Visible = true;
  // clDefault: a darker shade of the filling it outlines.
  TColor Color = clBlack;
  int Width = 1;
  TChartPenStyle Style = TChartPenStyle::Solid;

  bool operator==(const TChartPen&) const = default;
};

struct TChartBrush {
  TChartBrushStyle Style = TChartBrushStyle::Solid;
  // clDefault: the colour of the series or point it fills.
  TColor Color = clDefault;

  bool operator==(const TChartBrush&) const = default;
};

struct TChartFont {
  std::string Name = "Arial";
  int Size = 8;  // points (96 pixels per inch)
  TColor Color = clBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  bool operator==(const TChartFont&) const = default;
};

enum class TChartGradientDirection : std::uint8_t { TopBottom, BottomTop, LeftRight, RightLeft };

struct TChartGradient {
  bool Visible = false;
  TColor StartColor = clWhite;
  TColor EndColor = clYellow;
  TChartGradientDirection Direction = TChartGradientDirection::TopBottom;

  bool operator==(const TChartGradient&) const = default;
};

struct TChartWall {
  bool Visible = true;
  TColor Color = clWhite;
  TChartBrush Brush{};
  TChartPen Pen{.Color = RGBToColor(0xA0, 0xA0, 0xA0)};
  bool Transparent = false;
  int Size = 0;

  bool operator==(const TChartWall&) const = default;
};

enum class TChartTextAlignment : std::uint8_t { Left, Right, Center };

struct TChartTitle {
  bool Visible = true;
  std::vector<std::string> Text{};  // one entry per line
  TChartFont Font{.Size = 10, .Color = clBlue};
  TChartTextAlignment Alignment = TChartTextAlignment::Center;
  TColor Color = clWhite;  // the box behind the text, unless Transparent
  bool Transparent = true;
  TChartPen Frame{.Visible = false};

  bool operator==(const TChartTitle&) const = default;
};

enum class TLegendAlignment : std::uint8_t { Left, Right, Top, Bottom };
// Auto: the points of a chart with one series, the series otherwise.
enum class TLegendStyle : std::uint8_t { Auto, Series, Values, LastValues };
enum class TLegendTextStyle : std::uint8_t {
  Plain,
  LeftValue,
  RightValue,
  LeftPercent,
  RightPercent,
  XValue,
  Value,
  Percent,
  XAndValue,
  XAndPercent
};

struct TChartLegend {
  bool Visible = true;
  bool CheckBoxes = false;
  TLegendAlignment Alignment = TLegendAlignment::Right;
  TLegendStyle LegendStyle = TLegendStyle::Auto;
  TLegendTextStyle TextStyle = TLegendTextStyle::Plain;
  TChartFont Font{};
  TColor Color = clWhite;
  bool Transparent = false;
  bool FontSeriesColor = false;  // each entry's text in its series' colour
  int ShadowSize = 3;
  TChartPen Frame{.Color = clGray};

  bool operator==(const TChartLegend&) const = default;
};

struct TChartAxisTitle {
  std::string Caption{};
  int Angle = 0;  // 0 for horizontal axes, 90 for vertical ones
  TChartFont Font{};
  bool Visible = true;

  bool operator==(const TChartAxisTitle&) const = default;
};

struct TChartAxis {
  bool Visible = true;
  // Automatic sets both ends from the data; otherwise AutomaticMinimum and AutomaticMaximum
  // decide each end, and a fixed end takes Minimum or Maximum.
  bool Automatic = true;
  bool AutomaticMinimum = true;
  bool AutomaticMaximum = true;
  double Minimum = 0;
  double Maximum = 0;
  double Increment = 0;  // the desired step between labels; 0: chosen from the space
  bool Labels = true;
  int LabelsAngle = 0;  // 0, 90, 180 or 270 degrees
  bool LabelsMultiLine = false;
  TChartFont LabelsFont{};
  TChartPen Grid{.Color = RGBToColor(0xC8, 0xC8, 0xC8), .Style = TChartPenStyle::Dot};
  TChartPen MinorGrid{
      .Visible = false, .Color = RGBToColor(0xE0, 0xE0, 0xE0), .Style = TChartPenStyle::Dot};
  TChartPen AxisPen{.Color = RGBToColor(0x60, 0x60, 0x60)};
  bool Inverted = false;
  TChartAxisTitle Title{};
  // Custom axes: the position as percent of the chart's width or height outside (negative)
  // or inside the plot edge, the orientation and the side.
  double PositionPercent = 0;
  bool Horizontal = false;
  bool OtherSide = false;

  bool AutoMin() const { return Automatic || AutomaticMinimum; }
  bool AutoMax() const { return Automatic || AutomaticMaximum; }

  bool operator==(const TChartAxis&) const = default;
};

enum class TChartPanning : std::uint8_t { None, Horizontal, Vertical, Both };

struct TChart3DOptions {
  int Elevation = 345;
  int HorizOffset = 0;
  int VertOffset = 0;
  int OrthoAngle = 45;
  bool Orthogonal = true;
  int Perspective = 15;
  int Rotation = 345;
  int Zoom = 100;
  bool ZoomText = true;

  bool operator==(const TChart3DOptions&) const = default;
};

enum class TChartBevel : std::uint8_t { None, Lowered, Raised };

struct TChartMargins {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  bool operator==(const TChartMargins&) const = default;
};

enum class TChartSeriesKind : std::uint8_t { Bar, HorizBar, Line, Area, Point, Pie };

// How series of one kind share a category: bars side by side, stacked, stacked to 100 %, or
// drawn over each other (None). Areas, lines and points know None, Stacked and Stacked100.
enum class TMultiBar : std::uint8_t { None, Side, Stacked, Stacked100 };

enum class TMarksStyle : std::uint8_t {
  Value,
  Percent,
  Label,
  LabelPercent,
  LabelValue,
  Legend,
  PercentTotal,
  LabelPercentTotal,
  XValue
};

enum class TPointerStyle : std::uint8_t {
  Rectangle,
  Circle,
  Triangle,
  DownTriangle,
  Cross,
  DiagCross,
  Star,
  Diamond,
  SmallDot
};

// The series' axes: the standard ones, both, or the custom axis CustomVertAxis /
// CustomHorizAxis (an index into TChart::CustomAxes).
enum class TVertAxis : std::uint8_t { Left, Right, Both, Custom };
enum class THorizAxis : std::uint8_t { Top, Bottom, Both, Custom };

struct TChartMarks {
  bool Visible = false;
  TMarksStyle Style = TMarksStyle::Label;
  TChartFont Font{};
  TColor BackColor = clWhite;
  bool Transparent = false;
  TChartPen Frame{.Color = clGray};
  int ArrowLength = 8;

  bool operator==(const TChartMarks&) const = default;
};

struct TChartPointer {
  bool Visible = true;
  TPointerStyle Style = TPointerStyle::Rectangle;
  int HorizSize = 4;  // half the width
  int VertSize = 4;   // half the height
  TChartPen Pen{.Color = clDefault};

  bool operator==(const TChartPointer&) const = default;
};

// One point: Value is the Y value, or the X value of a horizontal bar. An empty (null) point
// keeps its place and label and is not drawn.
struct TChartPoint {
  double Value = 0;
  std::string Label{};
  TColor Color = clDefault;  // clDefault: the series' colour (or the palette for pies)
  bool IsNull = false;

  bool operator==(const TChartPoint&) const = default;
};

struct TChartSeries {
  TChartSeries() = default;
  // A fresh series of Kind with that kind's own defaults.
  explicit TChartSeries(TChartSeriesKind AKind);

  TChartSeriesKind Kind = TChartSeriesKind::Bar;
  std::string Name;   // the component name ("Series1")
  std::string Title;  // the text of the legend
  bool Active = true;
  TColor Color = clDefault;  // clDefault: the palette colour of the series' position
  bool ColorEachPoint = false;
  TMultiBar MultiBar = TMultiBar::None;
  int BarWidthPercent = 70;
  TChartMarks Marks;
  TChartPointer Pointer;
  // The outline of bars, areas and slices (clDefault: a darker shade of the filling); the line
  // of line series (clDefault: the series' colour).
  TChartPen Pen{.Color = clDefault};
  TChartBrush Brush;  // the filling of bars, areas and slices
  TVertAxis VertAxis = TVertAxis::Left;
  THorizAxis HorizAxis = THorizAxis::Bottom;
  int CustomVertAxis = -1;
  int CustomHorizAxis = -1;
  int ExplodeBiggest = 0;  // pies: percent of the radius the biggest slice moves out
  std::vector<TChartPoint> Points;

  // Removes every point.
  void Clear() { Points.clear(); }
  // Appends a point; returns its index.
  int Add(double Value, const std::string& Label = "", TColor Color = clDefault);
  // Appends an empty point of value 0; returns its index.
  int AddNull(const std::string& Label = "");
  // The number of points that are not empty.
  int ValidCount() const;
  // Horizontal bars carry their values along the horizontal axis.
  bool IsHorizontal() const { return Kind == TChartSeriesKind::HorizBar; }
  // Line and point series show a pointer at each point (lines only when it is visible).
  bool HasPointer() const;

  bool operator==(const TChartSeries&) const = default;
};

// Our default palette; DefaultSeriesColor cycles through it.
extern const TColor kChartPalette[16];
TColor DefaultSeriesColor(int Index);

struct TChart {
  std::string Name = "Chart1";
  int Left = 0;
  int Top = 0;
  int Width = 400;
  int Height = 250;
  bool Visible = true;
  TColor Color = clBtnFace;
  TChartGradient Gradient;
  TChartBevel BevelInner = TChartBevel::None;
  TChartBevel BevelOuter = TChartBevel::Raised;
  int BevelWidth = 1;
  TChartPanning AllowPanning = TChartPanning::Both;
  TChartWall BackWall;
  TChartWall LeftWall{.Color = clSilver};
  TChartWall BottomWall;
  TChartTitle Title;
  TChartLegend Legend;
  TChartAxis LeftAxis;
  TChartAxis RightAxis;
  TChartAxis TopAxis;
  TChartAxis BottomAxis;
  std::vector<TChartAxis> CustomAxes;
  bool View3D = true;
  int Chart3DPercent = 15;
  TChart3DOptions View3DOptions;
  TChartMargins Margins{3, 4, 3, 4};  // percent
  TChartMargins PrintMargins{15, 15, 15, 15};
  std::vector<TChartSeries> Series;

  // Appends a series; returns it.
  TChartSeries& AddSeries(TChartSeries S);
  // Removes every series.
  void RemoveAllSeries() { Series.clear(); }
  // The colour a series draws with: its own, or the palette colour of its position.
  TColor SeriesColor(int Index) const;
  // The colour point P of series S draws with (a pie's points take the palette by position).
  TColor PointColor(int S, int P) const;
  // The number of active series.
  int ActiveSeriesCount() const;
  // The vertical / horizontal axis a series draws on; the left / bottom axis when its custom
  // axis does not exist.
  const TChartAxis& VertAxisOf(const TChartSeries& S) const;
  const TChartAxis& HorizAxisOf(const TChartSeries& S) const;

  bool operator==(const TChart&) const = default;
};

}  // namespace quin
