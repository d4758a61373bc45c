// Charts converted into workbook charts: each series kind's chart type, data labels, colours,
// patterns and markers; the axes, legend and title; the chart sheet and its contents line.
#include "reports/orvexportserie.h"

#include <gtest/gtest.h>

#include <cmath>

#include "reports/orvexcel.h"
#include "tests/support/tempfolder.h"
#include "tests/support/xlsxread.h"

namespace quin {
namespace {

TChartSeries Series(TChartSeriesKind Kind, TMultiBar Multi = TMultiBar::None) {
  TChartSeries S(Kind);
  S.MultiBar = Multi;
  S.Title = "Readers";
  S.Add(10, "North");
  S.AddNull("South");
  S.Add(30, "East");
  return S;
}

TXlChart Converted(const TChart& C) {
  TXlChart X;
  X.Series.resize(3);  // whatever the chart held before goes
  ExportChartToExcel(X, C);
  return X;
}

TEST(ChartExport, EachSeriesKindHasItsChartTypeFlatAndInThreeDimensions) {
  using K = TChartSeriesKind;
  using M = TMultiBar;
  using T = TXlChartType;
  struct Case {
    K Kind;
    M Multi;
    T Flat, Deep;
  } Cases[] = {
      {K::Bar, M::Side, T::ColumnClustered, T::Column3DClustered},
      {K::Bar, M::Stacked, T::ColumnStacked, T::Column3DStacked},
      {K::Bar, M::Stacked100, T::ColumnStacked100, T::Column3DStacked100},
      {K::HorizBar, M::None, T::BarClustered, T::Bar3DClustered},
      {K::HorizBar, M::Stacked, T::BarStacked, T::Bar3DStacked},
      {K::HorizBar, M::Stacked100, T::BarStacked100, T::Bar3DStacked100},
      {K::Area, M::None, T::Area, T::Area3D},
      {K::Area, M::Stacked, T::AreaStacked, T::Area3DStacked},
      {K::Area, M::Stacked100, T::AreaStacked100, T::Area3DStacked100},
      {K::Point, M::None, T::Line, T::Line},
      {K::Point, M::Stacked, T::LineStacked, T::LineStacked},
      {K::Line, M::None, T::Line, T::Line3D},
      {K::Line, M::Stacked100, T::LineStacked100, T::LineStacked100},
      {K::Pie, M::None, T::Pie, T::Pie3D},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(int(C.Kind) * 10 + int(C.Multi));
    TChart Chart;
    Chart.AddSeries(Series(C.Kind, C.Multi));
    for (bool Deep : {false, true}) {
      Chart.View3D = Deep;
      const TXlChart X = Converted(Chart);
      ASSERT_EQ(X.Series.size(), 1u);
      EXPECT_EQ(X.Series[0].ChartType, Deep ? C.Deep : C.Flat);
      EXPECT_EQ(FlatChartType(X.Series[0].ChartType), C.Flat);
    }
  }
}

TEST(ChartExport, SeriesKeepTheirValuesLabelsNamesAndLooks) {
  TChart Chart;
  Chart.View3D = false;
  TChartSeries Bars = Series(TChartSeriesKind::Bar);
  Bars.Color = RGBToColor(0x33, 0x66, 0x99);
  Bars.Brush.Style = TChartBrushStyle::DiagCross;
  Bars.Marks.Visible = true;
  Bars.Marks.Style = TMarksStyle::Value;
  Chart.AddSeries(Bars);
  TChartSeries Hidden = Series(TChartSeriesKind::Bar);
  Hidden.Active = false;
  Chart.AddSeries(Hidden);
  TChartSeries Line = Series(TChartSeriesKind::Line);
  Line.Pointer.Visible = true;
  Line.Pointer.Style = TPointerStyle::Star;
  Line.Pointer.HorizSize = 3;
  Line.Pointer.VertSize = 5;
  Line.Pen.Width = 3;
  Line.Pen.Style = TChartPenStyle::Dash;
  Line.Marks.Visible = true;
  Line.Marks.Style = TMarksStyle::Percent;  // no percentages outside pies
  Chart.AddSeries(Line);
  TChartSeries Points = Series(TChartSeriesKind::Point);
  Points.Pointer.Style = TPointerStyle::Circle;
  Chart.AddSeries(Points);

  const TXlChart X = Converted(Chart);
  ASSERT_EQ(X.Series.size(), 3u);  // the inactive series is left out
  const TXlSeries& B = X.Series[0];
  EXPECT_EQ(B.Name, "Readers");
  ASSERT_EQ(B.Values.size(), 3u);
  EXPECT_EQ(B.Values[0], 10);
  EXPECT_TRUE(std::isnan(B.Values[1]));  // an empty point has no value
  EXPECT_EQ(B.Categories, (std::vector<std::string>{"North", "South", "East"}));
  EXPECT_EQ(B.Interior, TXlColor::FromRgb(0x336699));
  EXPECT_EQ(B.Pattern, TXlPattern::OutlinedDiamond);
  EXPECT_EQ(B.DataLabels.Type, TXlDataLabelsType::ShowValue);

  const TXlSeries& L = X.Series[1];
  ASSERT_TRUE(L.Marker);
  EXPECT_EQ(L.Marker->Style, TXlMarkerStyle::Star);
  EXPECT_EQ(L.Marker->Size, 6);  // (3 + 5) / 2 + 2
  EXPECT_EQ(L.Marker->Foreground, TXlColor::FromBgr(std::uint32_t(Chart.SeriesColor(2))));
  EXPECT_FALSE(L.Marker->Background);
  ASSERT_TRUE(L.Border);
  EXPECT_EQ(L.Border->Style, TXlLineStyle::Dash);
  EXPECT_EQ(L.Border->Weight, TXlBorderWeight::Medium);
  EXPECT_EQ(L.DataLabels.Type, TXlDataLabelsType::None);

  const TXlSeries& P = X.Series[2];
  ASSERT_TRUE(P.Border);
  EXPECT_EQ(P.Border->Style, TXlLineStyle::None);  // points are not joined
  ASSERT_TRUE(P.Marker);
  EXPECT_EQ(P.Marker->Style, TXlMarkerStyle::Circle);
  EXPECT_EQ(P.Marker->Background, TXlColor::FromBgr(std::uint32_t(Chart.SeriesColor(3))));
  // Line kinds put their points on the tick marks.
  EXPECT_FALSE(X.CategoryAxis.AxisBetweenCategories);
}

TEST(ChartExport, PiesLabelTheirSlicesAndDropThePlotArea) {
  TChart Chart;
  TChartSeries Pie = Series(TChartSeriesKind::Pie);
  Pie.Marks.Visible = true;
  Pie.Marks.Style = TMarksStyle::LabelPercent;
  Pie.Marks.Transparent = true;
  Chart.AddSeries(Pie);
  const TXlChart X = Converted(Chart);
  const TXlSeries& S = X.Series[0];
  EXPECT_EQ(S.DataLabels.Type, TXlDataLabelsType::ShowLabelAndPercent);
  EXPECT_FALSE(S.DataLabels.Interior);
  ASSERT_EQ(S.Points.size(), 3u);
  EXPECT_EQ(S.Points[2].Interior, TXlColor::FromBgr(std::uint32_t(Chart.PointColor(0, 2))));
  EXPECT_NE(S.Points[0].Interior, S.Points[2].Interior);
  EXPECT_FALSE(X.PlotAreaFill);
  EXPECT_FALSE(X.PlotAreaBorder);
}

TEST(ChartExport, AxesLegendAndTitleFollowTheChart) {
  TChart Chart;
  Chart.AddSeries(Series(TChartSeriesKind::HorizBar));
  Chart.LeftAxis.Inverted = true;  // the categories of horizontal bars
  Chart.BottomAxis.Automatic = false;
  Chart.BottomAxis.AutomaticMaximum = false;
  Chart.BottomAxis.Maximum = 100;
  Chart.BottomAxis.Increment = 20;
  Chart.BottomAxis.LabelsAngle = 90;
  Chart.BottomAxis.Grid.Visible = false;
  Chart.BottomAxis.Title.Caption = "Per cent\r\nof readers";
  Chart.Legend.Alignment = TLegendAlignment::Bottom;
  Chart.Title.Visible = true;
  Chart.Title.Text = {"Readers", "by region"};
  const TXlChart X = Converted(Chart);
  EXPECT_TRUE(X.CategoryAxis.ReversePlotOrder);
  EXPECT_FALSE(X.ValueAxis.ReversePlotOrder);
  EXPECT_EQ(X.ValueAxis.Maximum, 100);
  EXPECT_FALSE(X.ValueAxis.Minimum);
  EXPECT_EQ(X.ValueAxis.MajorUnit, 20);
  EXPECT_EQ(X.ValueAxis.TickLabelOrientation, TXlTickLabelOrientation::Upward);
  EXPECT_FALSE(X.ValueAxis.HasMajorGridlines);
  EXPECT_EQ(X.ValueAxis.Title, "Per cent\rof readers");
  EXPECT_EQ(X.Legend.Position, TXlLegendPosition::Bottom);
  EXPECT_TRUE(X.Title.Visible);
  EXPECT_EQ(X.Title.Text, "Readers\rby region");
}

TEST(ChartExport, AChartSheetIsListedWithoutALinkAndDrawnFlat) {
  TChart Chart;
  Chart.View3D = true;
  Chart.AddSeries(Series(TChartSeriesKind::Bar));
  Chart.AddSeries(Series(TChartSeriesKind::Bar));
  TOrvExcel Excel;
  TXlWorksheet& Contents = *Excel.GetWorksheet(1);
  Excel.SetSheetName(Contents, "TOC");
  TXlChartSheet& Sheet =
      ExportChartSheet(Excel, Chart, "A1T1_Chart1", &Contents, 2, "Analysis - Chart 1");
  EXPECT_EQ(Sheet.Name(), "A1T1_Chart1");
  EXPECT_EQ(Contents.FindHyperlink(5, 1), nullptr);
  ASSERT_NE(Contents.FindCell(5, 1), nullptr);
  EXPECT_EQ(Contents.FindCell(5, 1)->Text, "Analysis - Chart 1");
  EXPECT_EQ(Contents.FindCell(5, 2)->Text, "A1T1_Chart1");

  test::TTempFolder Dir;
  const std::string File = Dir.File("Report.xlsx");
  Excel.SaveAs(File);
  test::TXlsxReader R(File);
  const std::vector<std::string> Charts = R.ChartEntries();
  ASSERT_EQ(Charts.size(), 1u);
  EXPECT_EQ(R.QueryOne(Charts[0], "count(//c:bar3DChart)"), "0");
  EXPECT_EQ(R.QueryOne(Charts[0], "//c:barChart/c:barDir/@val"), "col");
  EXPECT_EQ(R.QueryOne(Charts[0], "count(//c:ser)"), "2");
  EXPECT_EQ(R.CellValue("ChartData", "A3"), "North");
  EXPECT_EQ(R.CellValue("ChartData", "B5"), "30");
}

}  // namespace
}  // namespace quin
