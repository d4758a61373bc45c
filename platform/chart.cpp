#include "platform/chart.h"

#include <iterator>
#include <utility>

namespace quin {

// Strong, well separated colours first, their lighter companions after them, so the first
// eight series never look alike, nor like the white background or the grey axes.
const TColor kChartPalette[16] = {
    RGBToColor(0x2E, 0x75, 0xB6),  // blue
    RGBToColor(0xE0, 0x7B, 0x39),  // orange
    RGBToColor(0x4E, 0x9A, 0x4E),  // green
    RGBToColor(0xC8, 0x3C, 0x3C),  // red
    RGBToColor(0x80, 0x64, 0xA2),  // violet
    RGBToColor(0x2F, 0xA3, 0xB0),  // teal
    RGBToColor(0xD4, 0xA0, 0x17),  // mustard
    RGBToColor(0x6E, 0x6E, 0x6E),  // graphite
    RGBToColor(0x9E, 0x4F, 0x7A),  // plum
    RGBToColor(0x85, 0xB0, 0xDB),  // light blue
    RGBToColor(0xF0, 0xAE, 0x80),  // apricot
    RGBToColor(0x97, 0xC9, 0x84),  // light green
    RGBToColor(0xE3, 0x8E, 0x8A),  // rose
    RGBToColor(0xB3, 0xA2, 0xD0),  // lavender
    RGBToColor(0x86, 0xCC, 0xD4),  // light teal
    RGBToColor(0x8C, 0x6A, 0x3E),  // brown
};

TColor DefaultSeriesColor(int Index) {
  constexpr int N = int(std::size(kChartPalette));
  return kChartPalette[((Index % N) + N) % N];
}

TChartSeries::TChartSeries(TChartSeriesKind AKind) : Kind(AKind) {
  switch (AKind) {
    case TChartSeriesKind::Bar:
    case TChartSeriesKind::HorizBar:
      MultiBar = TMultiBar::Side;
      break;
    case TChartSeriesKind::Line:
    case TChartSeriesKind::Area:
      Pointer.Visible = false;
      break;
    case TChartSeriesKind::Point:
      break;
    case TChartSeriesKind::Pie:
      ColorEachPoint = true;
      Marks.Visible = true;
      Pen.Color = clWhite;
      break;
  }
}

int TChartSeries::Add(double Value, const std::string& Label, TColor PointColor) {
  Points.push_back({Value, Label, PointColor, false});
  return int(Points.size()) - 1;
}

int TChartSeries::AddNull(const std::string& Label) {
  Points.push_back({0, Label, clDefault, true});
  return int(Points.size()) - 1;
}

int TChartSeries::ValidCount() const {
  int N = 0;
  for (const TChartPoint& P : Points) N += P.IsNull ? 0 : 1;
  return N;
}

bool TChartSeries::HasPointer() const {
  return Kind == TChartSeriesKind::Point || (Kind == TChartSeriesKind::Line && Pointer.Visible);
}

TChartSeries& TChart::AddSeries(TChartSeries S) {
  Series.push_back(std::move(S));
  return Series.back();
}

TColor TChart::SeriesColor(int Index) const {
  const TColor C = Series.at(size_t(Index)).Color;
  return C == clDefault ? DefaultSeriesColor(Index) : C;
}

TColor TChart::PointColor(int S, int P) const {
  const TChartSeries& Ser = Series.at(size_t(S));
  const TColor C = Ser.Points.at(size_t(P)).Color;
  if (C != clDefault) return C;
  return Ser.ColorEachPoint ? DefaultSeriesColor(P) : SeriesColor(S);
}

int TChart::ActiveSeriesCount() const {
  int N = 0;
  for (const TChartSeries& S : Series) N += S.Active ? 1 : 0;
  return N;
}

const TChartAxis& TChart::VertAxisOf(const TChartSeries& S) const {
  switch (S.VertAxis) {
    case TVertAxis::Right:
      return RightAxis;
    case TVertAxis::Custom:
      if (S.CustomVertAxis >= 0 && S.CustomVertAxis < int(CustomAxes.size()))
        return CustomAxes[size_t(S.CustomVertAxis)];
      return LeftAxis;
    default:
      return LeftAxis;
  }
}

const TChartAxis& TChart::HorizAxisOf(const TChartSeries& S) const {
  switch (S.HorizAxis) {
    case THorizAxis::Top:
      return TopAxis;
    case THorizAxis::Custom:
      if (S.CustomHorizAxis >= 0 && S.CustomHorizAxis < int(CustomAxes.size()))
        return CustomAxes[size_t(S.CustomHorizAxis)];
      return BottomAxis;
    default:
      return BottomAxis;
  }
}

}  // namespace quin
