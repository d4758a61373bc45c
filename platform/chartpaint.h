// Inside the chart renderer: the drawing surface over cairo, and the parts that draw the plot
// of axes and series and the pies. Not for use outside platform/chart*.cpp.
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/formatsettings.h"
#include "platform/bitmap.h"
#include "platform/chart.h"

namespace quin {

struct TChartDrawOptions;

struct TRectD {
  double L = 0, T = 0, R = 0, B = 0;
  double W() const { return R - L; }
  double H() const { return B - T; }
  bool Intersects(const TRectD& O) const { return L < O.R && O.L < R && T < O.B && O.T < B; }
};

enum class THAlign : std::uint8_t { Left, Center, Right };
enum class TVAlign : std::uint8_t { Top, Middle, Bottom };

// One picture being drawn. Every text given to it is UTF-8; every colour a TColor (system
// colours resolved). One surface per drawing: nothing is shared between drawings.
class TCanvas {
 public:
  TCanvas(int Width, int Height);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  cairo_t* Cr() const { return FCr; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  void SetColor(TColor C, double Alpha = 1);
  void FillRect(const TRectD& R, TColor C, double Alpha = 1);
  // A pen's line width and dashes (the colour is set separately).
  void SetPen(const TChartPen& Pen, double WidthScale = 1);
  // Fills the current path with a brush (solid, or hatched over white); keeps the path.
  void FillBrush(TChartBrushStyle Style, TColor Color);
  void StrokeRect(const TRectD& R, TColor C, double Width = 1);
  void Line(double X1, double Y1, double X2, double Y2);

  // Text in a font: measurement and drawing. Angle is counter-clockwise in degrees; the
  // alignments refer to the text's own (rotated) box.
  void SetFont(const TChartFont& Font);
  double TextWidth(std::string_view Text);
  double LineHeight() const { return FLineHeight; }
  void Text(double X, double Y, std::string_view Text, THAlign H, TVAlign V, double Angle = 0);
  // Lines of text drawn as a block (Angle 0 or 90).
  void TextLines(double X, double Y, const std::vector<std::string>& Lines, THAlign H, TVAlign V,
                 double Angle = 0);
  double LinesWidth(const std::vector<std::string>& Lines);
  // Text cut to MaxWidth with an ellipsis ("" when not even that fits).
  std::string Ellipsize(std::string_view Text, double MaxWidth);
  // Text wrapped at blanks into at most MaxLines lines of MaxWidth; a word or a last line that
  // does not fit is ellipsized. Line breaks in Text always break.
  std::vector<std::string> Wrap(std::string_view Text, double MaxWidth, int MaxLines);

  TBitmap ToBitmap() const;

 private:
  int FWidth, FHeight;
  cairo_surface_t* FSurface;
  cairo_t* FCr;
  double FAscent = 0, FLineHeight = 0;
};

// A darker (Factor < 1) or lighter (Factor > 1, towards white) shade of a colour.
TColor ShadeColor(TColor C, double Factor);
// The colour a pen draws with: clDefault gives Fallback.
TColor PenColor(const TChartPen& Pen, TColor Fallback);

// The scale of a value axis: its ends, the step between labels and the decimals they show.
struct TAxisScale {
  double Min = 0, Max = 1, Step = 1;
  int Decimals = 0;
  // The label values: the multiples of Step from Min to Max (at most 200).
  std::vector<double> Ticks() const;
  // The position of V between Min (0) and Max (1).
  double Fraction(double V) const { return (V - Min) / (Max - Min); }
};
// The scale of Axis over data from DataMin to DataMax (DataMin > DataMax: no data) with room
// for at most MaxSteps steps: a step of 1, 2, 2.5 or 5 times a power of ten, no smaller than
// the axis' desired increment; automatic ends widened to whole steps, fixed ends kept.
TAxisScale ChooseAxisScale(const TChartAxis& Axis, double DataMin, double DataMax, int MaxSteps);

// Numbers as the axes and marks show them, with the separators of Options.
std::string AxisNumberText(double V, int Decimals, const TFormatSettings& FS);
// A value with at most two decimals, trailing zeros dropped.
std::string ValueText(double V, const TFormatSettings& FS);
// The sum of the magnitudes of a series' values: what percentages are of.
double SeriesTotal(const TChartSeries& S);
// The mark text of point P of a series whose SeriesTotal is Total, by style (UTF-8).
std::string MarkText(const TChartSeries& S, int P, TMarksStyle Style, double Total,
                     const TFormatSettings& FS);
// A series' legend text: its title, else its name, else "Series N" (UTF-8).
std::string SeriesTitleText(const TChart& Chart, int S);
// A point's usable value: false for an empty point or a value that is not finite.
bool PointValue(const TChartPoint& P, double& V);

// Where a mark's box stands from its point.
enum class TMarkSide : std::uint8_t { Above, Below, Right, Left, Center };
// Draws the marks box of one point's text; false (nothing drawn) when it would overlap a box
// drawn before (kept in Placed) or leave Bounds.
bool DrawMarkBox(TCanvas& C, const TChartMarks& Marks, const std::string& Text, double X, double Y,
                 TMarkSide Side, std::vector<TRectD>& Placed, const TRectD& Bounds);
// A pointer of Style centred on (X, Y), HS and VS half its width and height.
void DrawPointer(TCanvas& C, TPointerStyle Style, double X, double Y, double HS, double VS,
                 TColor Fill, TColor Outline);

// The plot of the chart's bar, line, area and point series with their axes inside Area.
void DrawCartesian(TCanvas& C, const TChart& Chart, const TRectD& Area, const TFormatSettings& FS);
// The chart's pie series inside Area. LabelSlices: nothing else names the slices, so each is
// labelled (marks of the label style give its label); otherwise such marks give its share.
void DrawPies(TCanvas& C, const TChart& Chart, const TRectD& Area, const TFormatSettings& FS,
              bool LabelSlices);

}  // namespace quin
