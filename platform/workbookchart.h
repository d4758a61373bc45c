// The chart of a chart sheet: series with their kind, values, category labels, colours,
// markers and data labels; the category and value axes, the legend and the title. The kinds
// and codes keep the numbers of the spreadsheet's own enumerations. The file writer draws the
// three-dimensional kinds as their flat counterparts and leaves what it cannot express (walls,
// 3-D view, slice explosion) at the spreadsheet's defaults, so the model holds none of those.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/xltypes.h"

namespace quin {

enum class TXlChartType : int {
  ColumnClustered = 51,
  ColumnStacked = 52,
  ColumnStacked100 = 53,
  Column3DClustered = 54,
  Column3DStacked = 55,
  Column3DStacked100 = 56,
  BarClustered = 57,
  BarStacked = 58,
  BarStacked100 = 59,
  Bar3DClustered = 60,
  Bar3DStacked = 61,
  Bar3DStacked100 = 62,
  Area = 1,
  AreaStacked = 76,
  AreaStacked100 = 77,
  Area3D = -4098,
  Area3DStacked = 78,
  Area3DStacked100 = 79,
  Line = 4,
  LineStacked = 63,
  LineStacked100 = 64,
  Line3D = -4101,
  Pie = 5,
  Pie3D = -4102,
};

bool Is3DChartType(TXlChartType T);
// The flat kind a three-dimensional kind is drawn as (a flat kind stays as it is).
TXlChartType FlatChartType(TXlChartType T);

enum class TXlDataLabelsType : int {
  None = -4142,
  ShowValue = 2,
  ShowPercent = 3,
  ShowLabel = 4,
  ShowLabelAndPercent = 5,
};

enum class TXlMarkerStyle : int {
  Square = 1,
  Diamond = 2,
  Triangle = 3,
  Star = 5,
  Circle = 8,
  Plus = 9,
  X = -4168,
  Dot = -4118,
  None = -4142,
};

// Patterned fills (drawn in the fill colour on white).
enum class TXlPattern : int {
  LightHorizontal = 19,
  LightVertical = 20,
  LightDownwardDiagonal = 21,
  LightUpwardDiagonal = 22,
  LargeGrid = 34,
  OutlinedDiamond = 41,
};

enum class TXlTickLabelOrientation : int {
  Automatic = -4105,
  Horizontal = -4128,
  Upward = -4171,
  Downward = -4170,
};

enum class TXlLegendPosition : int {
  Left = -4131,
  Right = -4152,
  Top = -4160,
  Bottom = -4107,
};

struct TXlFont {
  std::string Name;  // empty: the default font
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strikethrough = false;
  double Size = 0;  // 0: the default size
  std::optional<TXlColor> Color;
};

struct TXlLine {
  TXlLineStyle Style = TXlLineStyle::Continuous;  // None: no line
  TXlBorderWeight Weight = TXlBorderWeight::Hairline;
  std::optional<TXlColor> Color;
};

struct TXlMarker {
  TXlMarkerStyle Style = TXlMarkerStyle::None;
  int Size = 5;  // points, 2..72
  std::optional<TXlColor> Background;
  std::optional<TXlColor> Foreground;
};

struct TXlDataLabels {
  TXlDataLabelsType Type = TXlDataLabelsType::None;
  TXlFont Font;
  std::optional<TXlColor> Interior;
  std::optional<TXlLine> Border;
};

// The look of one point where it differs from its series.
struct TXlPointFormat {
  std::optional<TXlColor> Interior;
  std::optional<TXlPattern> Pattern;  // drawn in Interior (or the series' colour)
  std::optional<TXlColor> LineColor;
};

struct TXlSeries {
  std::string Name;  // Windows-1250
  TXlChartType ChartType = TXlChartType::ColumnClustered;
  std::vector<double> Values;  // NaN: no point
  std::vector<std::string> Categories;
  std::optional<TXlColor> Interior;
  std::optional<TXlPattern> Pattern;  // drawn in Interior
  // The border of bars, areas and slices; the line itself of a line series.
  std::optional<TXlLine> Border;
  // Line kinds without a marker show none (as the plain line kind does).
  std::optional<TXlMarker> Marker;
  TXlDataLabels DataLabels;
  std::vector<TXlPointFormat> Points;  // by point index; may be shorter than Values
};

struct TXlAxis {
  bool ReversePlotOrder = false;
  std::optional<double> Minimum;  // none: automatic
  std::optional<double> Maximum;
  std::optional<double> MajorUnit;
  bool HasMajorGridlines = false;
  bool HasMinorGridlines = false;
  TXlLine MajorGridlines;
  TXlLine MinorGridlines;
  TXlFont TickLabelFont;
  TXlTickLabelOrientation TickLabelOrientation = TXlTickLabelOrientation::Automatic;
  std::string Title;  // empty: no title; CR starts a new line
  TXlFont TitleFont;
  // Category axis: points sit between the tick marks (false: on them).
  bool AxisBetweenCategories = true;
};

struct TXlLegend {
  bool Visible = true;
  TXlLegendPosition Position = TXlLegendPosition::Right;
  TXlFont Font;
};

struct TXlTitle {
  bool Visible = false;
  std::string Text;
  TXlFont Font;
};

// The file writer draws every series with the kind of the first series.
struct TXlChart {
  std::vector<TXlSeries> Series;
  TXlAxis CategoryAxis;
  TXlAxis ValueAxis;
  TXlLegend Legend;
  TXlTitle Title;
  bool PlotAreaFill = true;    // false: the plot area has no fill
  bool PlotAreaBorder = true;  // false: the plot area has no border line
};

}  // namespace quin
