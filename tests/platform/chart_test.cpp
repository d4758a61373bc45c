// The chart model: defaults by series kind, points, the colours series and points draw with,
// axis binding, and copies that are clones.
#include "platform/chart.h"

#include <gtest/gtest.h>

#include <set>

#include "base/colors.h"

namespace quin {
namespace {

TEST(ChartModel, SeriesKindsStartWithTheirOwnDefaults) {
  EXPECT_EQ(TChartSeries(TChartSeriesKind::Bar).MultiBar, TMultiBar::Side);
  EXPECT_EQ(TChartSeries(TChartSeriesKind::HorizBar).MultiBar, TMultiBar::Side);
  EXPECT_EQ(TChartSeries(TChartSeriesKind::Line).MultiBar, TMultiBar::None);
  EXPECT_FALSE(TChartSeries(TChartSeriesKind::Line).HasPointer());
  EXPECT_TRUE(TChartSeries(TChartSeriesKind::Point).HasPointer());
  const TChartSeries Pie(TChartSeriesKind::Pie);
  EXPECT_TRUE(Pie.ColorEachPoint);
  EXPECT_TRUE(Pie.Marks.Visible);
  EXPECT_TRUE(TChartSeries(TChartSeriesKind::HorizBar).IsHorizontal());
}

TEST(ChartModel, PointsKeepTheirPlacesEmptyOnesIncluded) {
  TChartSeries S(TChartSeriesKind::Bar);
  EXPECT_EQ(S.Add(5, "a"), 0);
  EXPECT_EQ(S.AddNull("b"), 1);
  EXPECT_EQ(S.Add(-2.5, "c", clRed), 2);
  ASSERT_EQ(S.Points.size(), 3u);
  EXPECT_TRUE(S.Points[1].IsNull);
  EXPECT_EQ(S.Points[1].Value, 0);
  EXPECT_EQ(S.Points[1].Label, "b");
  EXPECT_EQ(S.ValidCount(), 2);
  S.Clear();
  EXPECT_TRUE(S.Points.empty());
}

TEST(ChartModel, PaletteColoursSeriesAndPointsByPosition) {
  std::set<TColor> Distinct(std::begin(kChartPalette), std::end(kChartPalette));
  EXPECT_EQ(Distinct.size(), std::size(kChartPalette));
  EXPECT_EQ(Distinct.count(clWhite), 0u);
  EXPECT_EQ(DefaultSeriesColor(16), DefaultSeriesColor(0));  // the palette cycles

  TChart C;
  TChartSeries Own(TChartSeriesKind::Bar);
  Own.Color = clRed;
  Own.Add(1);
  Own.Add(2, "", clLime);
  C.AddSeries(Own);
  C.AddSeries(TChartSeries(TChartSeriesKind::Line)).Add(3);
  TChartSeries Pie(TChartSeriesKind::Pie);
  Pie.Add(1);
  Pie.Add(2);
  C.AddSeries(Pie);
  EXPECT_EQ(C.SeriesColor(0), clRed);
  EXPECT_EQ(C.SeriesColor(1), kChartPalette[1]);
  EXPECT_EQ(C.PointColor(0, 0), clRed);   // the series' colour
  EXPECT_EQ(C.PointColor(0, 1), clLime);  // its own
  EXPECT_EQ(C.PointColor(1, 0), kChartPalette[1]);
  EXPECT_EQ(C.PointColor(2, 0), kChartPalette[0]);  // pies: the palette by point
  EXPECT_EQ(C.PointColor(2, 1), kChartPalette[1]);
  C.Series[1].Active = false;
  EXPECT_EQ(C.ActiveSeriesCount(), 2);
}

TEST(ChartModel, SeriesDrawOnTheirAxesAndMissingCustomAxesFallBack) {
  TChart C;
  C.CustomAxes.resize(2);
  TChartSeries S(TChartSeriesKind::Line);
  EXPECT_EQ(&C.VertAxisOf(S), &C.LeftAxis);
  EXPECT_EQ(&C.HorizAxisOf(S), &C.BottomAxis);
  S.VertAxis = TVertAxis::Right;
  S.HorizAxis = THorizAxis::Top;
  EXPECT_EQ(&C.VertAxisOf(S), &C.RightAxis);
  EXPECT_EQ(&C.HorizAxisOf(S), &C.TopAxis);
  S.VertAxis = TVertAxis::Custom;
  S.HorizAxis = THorizAxis::Custom;
  S.CustomVertAxis = 1;
  S.CustomHorizAxis = 0;
  EXPECT_EQ(&C.VertAxisOf(S), &C.CustomAxes[1]);
  EXPECT_EQ(&C.HorizAxisOf(S), &C.CustomAxes[0]);
  S.CustomVertAxis = 2;
  S.CustomHorizAxis = -1;
  EXPECT_EQ(&C.VertAxisOf(S), &C.LeftAxis);
  EXPECT_EQ(&C.HorizAxisOf(S), &C.BottomAxis);
}

TEST(ChartModel, CopyIsAClone) {
  TChart A;
  A.AddSeries(TChartSeries(TChartSeriesKind::Bar)).Add(1, "x");
  TChart B = A;
  B.Series[0].Points[0].Value = 2;
  B.Series[0].Title = "changed";
  EXPECT_EQ(A.Series[0].Points[0].Value, 1);
  EXPECT_EQ(A.Series[0].Title, "");
  EXPECT_FALSE(A == B);
  B = A;
  EXPECT_TRUE(A == B);
}

}  // namespace
}  // namespace quin
