// Charts filled from a calculated table: the default look, series per chosen line with their
// titles, labels and values, the axis of each statistic, template and stored series styles,
// empty cells, the legend, unreadable templates, and every chart kind drawn as a JPEG file.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/pelres.h"
#include "platform/chartform.h"
#include "platform/chartrender.h"
#include "platform/formtext.h"
#include "platform/jpeg.h"
#include "reports/pelchart.h"
#include "surveykit/gimstat.h"
#include "tests/platform/jpegdecode.h"
#include "tests/reports/table_fixture.h"

namespace quin::test {
namespace {

// Education by region, wave 1, with Stats: nobody has no education, so that row is left out
// of every chart (its cells hold no value).
struct TChartTable {
  TTableSurvey F;
  TPelRepElemTable* T = nullptr;
  TPelRepElemChart* C = nullptr;

  explicit TChartTable(const std::string& ChartKeys, const std::string& Stats = "pctRow") {
    T =
        &F.Read(TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n"
                            "      def chart\r\n" +
                                ChartKeys + "      end;\r\n",
                            Stats));
    for (int I = 0; I < F.Msgs.Count(); ++I) ADD_FAILURE() << MsgAt(F.Msgs, I);
    T->Calculate();
    C = As<TPelRepElemChart>(T->Child(0));
  }
  TChart Build(bool FreshStyles = true) {
    TChart Chart;
    ApplyChartDefaults(Chart);
    C->BuildChart(Chart, FreshStyles);
    return Chart;
  }
};

// A template chart holding one series object per entry (class and its property lines).
std::string TemplateKeys(const std::vector<std::pair<std::string, std::string>>& Series,
                         const std::string& ChartProps = "") {
  std::string S = "        object <<\r\n          object Chart1: TChart\r\n" + ChartProps;
  int N = 0;
  for (const auto& [Class, Props] : Series)
    S += "            object Series" + std::to_string(++N) + ": " + Class + "\r\n" + Props +
         "            end\r\n";
  return S + "          end\r\n        >>;\r\n";
}

// The row percentage of education E in region R, wave 1, computed from the records.
double RowPct(int E, int R) {
  return WeightOf([&](const TTableRecord& X) { return X.Wave == 1 && X.Edu == E && X.Reg == R; }) /
         WeightOf([&](const TTableRecord& X) { return X.Wave == 1 && X.Edu == E; }) * 100;
}

std::vector<double> Values(const TChartSeries& S) {
  std::vector<double> V;
  for (const TChartPoint& P : S.Points) V.push_back(P.Value);
  return V;
}

std::vector<std::string> Labels(const TChartSeries& S) {
  std::vector<std::string> L;
  for (const TChartPoint& P : S.Points) L.push_back(P.Label);
  return L;
}

void ExpectValues(const TChartSeries& S, const std::vector<double>& Want) {
  const std::vector<double> Got = Values(S);
  ASSERT_EQ(Got.size(), Want.size()) << S.Title;
  for (size_t I = 0; I < Want.size(); ++I)
    EXPECT_NEAR(Got[I], Want[I], 1e-9) << S.Title << " " << I;
}

TEST(ChartDefaults, TheLookOfAReportChart) {
  TChart C;
  ApplyChartDefaults(C);
  EXPECT_EQ(std::vector<int>({C.Left, C.Top, C.Width, C.Height}),
            std::vector<int>({1, 1, 686, 387}));
  EXPECT_TRUE(C.Gradient.Visible);
  EXPECT_EQ(C.Gradient.StartColor, RGBToColor(128, 128, 128));
  EXPECT_EQ(C.Gradient.EndColor, clWhite);
  EXPECT_EQ(C.AllowPanning, TChartPanning::None);
  EXPECT_TRUE(C.Legend.CheckBoxes);
  EXPECT_EQ(C.Legend.LegendStyle, TLegendStyle::Series);
  EXPECT_FALSE(C.Title.Visible);
  EXPECT_EQ(C.BottomAxis.Increment, 72);
  EXPECT_EQ(C.BottomAxis.LabelsAngle, 90);
  for (const TChartAxis* A : {&C.LeftAxis, &C.BottomAxis, &C.RightAxis, &C.TopAxis}) {
    EXPECT_FALSE(A->Grid.Visible);
    EXPECT_TRUE(A->LabelsMultiLine);
  }
  for (const TChartAxis* A : {&C.RightAxis, &C.TopAxis}) {
    EXPECT_FALSE(A->AutoMin());
    EXPECT_FALSE(A->AutoMax());
    EXPECT_EQ(A->Minimum, 0);
    EXPECT_EQ(A->Maximum, 100);
  }
  ASSERT_EQ(C.CustomAxes.size(), 2u);
  EXPECT_FALSE(C.CustomAxes[0].Horizontal);
  EXPECT_TRUE(C.CustomAxes[1].Horizontal);
  for (const TChartAxis& A : C.CustomAxes) {
    EXPECT_TRUE(A.OtherSide);
    EXPECT_EQ(A.PositionPercent, -5);
  }
  EXPECT_FALSE(C.View3D);
  EXPECT_EQ(C.Chart3DPercent, 70);
  EXPECT_EQ(C.View3DOptions, (TChart3DOptions{.Elevation = 345,
                                              .HorizOffset = -10,
                                              .VertOffset = -18,
                                              .OrthoAngle = 50,
                                              .Orthogonal = false,
                                              .Perspective = 100,
                                              .Rotation = 345,
                                              .Zoom = 90,
                                              .ZoomText = false}));
  EXPECT_EQ(C.PrintMargins, (TChartMargins{15, 26, 15, 26}));
  // The look survives the component text.
  EXPECT_EQ(TextToComponent<TChart>(ComponentToText(C)), C);
}

TEST(ChartSeries, OneSeriesPerRowOrColumnWithTheTablesValues) {
  TChartTable X("");
  TChart Chart = X.Build();
  // Without a template: bars side by side without marks, one per row with a value.
  ASSERT_EQ(Chart.Series.size(), 3u);
  const std::vector<std::string> Rows{"Low", "Middle", "High & <b>"};
  const std::vector<std::string> Regions{"Region: North", "Region: South"};
  for (int E = 1; E <= 3; ++E) {
    const TChartSeries& S = Chart.Series[size_t(E - 1)];
    EXPECT_EQ(S.Kind, TChartSeriesKind::Bar);
    EXPECT_EQ(S.MultiBar, TMultiBar::Side);
    EXPECT_FALSE(S.Marks.Visible);
    EXPECT_EQ(S.Title, Rows[size_t(E - 1)]);
    EXPECT_EQ(Labels(S), Regions);
    ExpectValues(S, {RowPct(E, 1), RowPct(E, 2)});
    // Percentages on the right axis.
    EXPECT_EQ(S.VertAxis, TVertAxis::Right);
  }
  EXPECT_TRUE(Chart.RightAxis.Visible);
  EXPECT_TRUE(Chart.BottomAxis.Visible);
  EXPECT_FALSE(Chart.LeftAxis.Visible);
  EXPECT_FALSE(Chart.TopAxis.Visible);
  EXPECT_FALSE(Chart.CustomAxes[0].Visible);
  EXPECT_TRUE(Chart.Legend.Visible);
  EXPECT_TRUE(Chart.Visible);
  EXPECT_TRUE(Chart.LeftAxis.Labels);

  // One series per column, the rows along it.
  X.C->SeriesIn = 1;
  Chart = X.Build();
  ASSERT_EQ(Chart.Series.size(), 2u);
  for (int R = 1; R <= 2; ++R) {
    const TChartSeries& S = Chart.Series[size_t(R - 1)];
    EXPECT_EQ(S.Title, Regions[size_t(R - 1)]);
    EXPECT_EQ(Labels(S), Rows);
    ExpectValues(S, {RowPct(1, R), RowPct(2, R), RowPct(3, R)});
  }
}

TEST(ChartSeries, EachStatisticOnItsAxis) {
  struct TCase {
    std::string Stat;
    TVertAxis Vert;
    THorizAxis Horiz;
  };
  const TCase Cases[] = {{"cntW", TVertAxis::Left, THorizAxis::Bottom},
                         {"pctCol", TVertAxis::Right, THorizAxis::Top},
                         {"index", TVertAxis::Custom, THorizAxis::Custom}};
  for (const TCase& K : Cases) {
    SCOPED_TRACE(K.Stat);
    TChartTable X("", K.Stat);
    TChart Chart = X.Build();
    ASSERT_FALSE(Chart.Series.empty());
    for (const TChartSeries& S : Chart.Series) EXPECT_EQ(S.VertAxis, K.Vert);
    EXPECT_EQ(Chart.LeftAxis.Visible, K.Vert == TVertAxis::Left);
    EXPECT_EQ(Chart.RightAxis.Visible, K.Vert == TVertAxis::Right);
    EXPECT_EQ(Chart.CustomAxes[0].Visible, K.Vert == TVertAxis::Custom);
    if (K.Vert == TVertAxis::Custom) {
      EXPECT_EQ(&Chart.VertAxisOf(Chart.Series[0]), &Chart.CustomAxes[0]);
      // No right axis beside it: the custom axis stands at the plot's edge.
      EXPECT_EQ(Chart.CustomAxes[0].PositionPercent, 0);
      EXPECT_EQ(Chart.Margins.Right, 4);
    }
    if (K.Stat == "cntW")  // counts as they are
      ExpectValues(
          Chart.Series[0],
          {WeightOf([](const TTableRecord& R) { return R.Wave == 1 && R.Edu == 1 && R.Reg == 1; }),
           WeightOf(
               [](const TTableRecord& R) { return R.Wave == 1 && R.Edu == 1 && R.Reg == 2; })});
    // Horizontal bars carry their values along the horizontal axes.
    X.C->Template = "object Chart1: TChart\r\n  object Series1: THorizBarSeries\r\n  end\r\nend";
    Chart = X.Build();
    ASSERT_FALSE(Chart.Series.empty());
    for (const TChartSeries& S : Chart.Series) EXPECT_EQ(S.HorizAxis, K.Horiz);
    EXPECT_EQ(Chart.BottomAxis.Visible, K.Horiz == THorizAxis::Bottom);
    EXPECT_EQ(Chart.TopAxis.Visible, K.Horiz == THorizAxis::Top);
    EXPECT_EQ(Chart.CustomAxes[1].Visible, K.Horiz == THorizAxis::Custom);
    // The categories run down the left axis.
    EXPECT_TRUE(Chart.LeftAxis.Visible);
  }
}

TEST(ChartSeries, TemplateStylesCycleAndStoredStylesAreKept) {
  // Two styles, three rows: styled 1, 2, 1; the third beyond the template takes the default
  // colour of its place; line and point pointers take the styles in turn.
  TChartTable X(TemplateKeys({{"TBarSeries", "              SeriesColor = clRed\r\n"},
                              {"TLineSeries", "              Pointer.Visible = True\r\n"}}));
  TChart Chart = X.Build();
  ASSERT_EQ(Chart.Series.size(), 3u);
  EXPECT_EQ(Chart.Series[0].Kind, TChartSeriesKind::Bar);
  EXPECT_EQ(Chart.Series[0].Color, clRed);
  EXPECT_EQ(Chart.Series[1].Kind, TChartSeriesKind::Line);
  EXPECT_EQ(Chart.Series[1].Pointer.Style, TPointerStyle::Triangle);
  EXPECT_EQ(Chart.Series[2].Kind, TChartSeriesKind::Bar);
  EXPECT_EQ(Chart.Series[2].Color, DefaultSeriesColor(2));
  EXPECT_EQ(Chart.Series[2].Title, "High & <b>");

  // An address with a stored point series: its row takes that style unless fresh styles are
  // asked for, which store the template's style in the address instead.
  TChartTable Y(
      "        def rowChartDataInfo def chartDataInfo\r\n"
      "          def dataInfoQuestion question = edu; response = mid; end;\r\n"
      "          object <<\r\n"
      "            object Series1: TPointSeries\r\n"
      "              SeriesColor = clGreen\r\n"
      "            end\r\n"
      "          >>;\r\n"
      "        end; end;\r\n");
  TPelChartDataInfo& Info = *Y.C->RowChartDataInfo->GetItem(0);
  Chart = Y.Build(false);
  ASSERT_EQ(Chart.Series.size(), 1u);
  EXPECT_EQ(Chart.Series[0].Kind, TChartSeriesKind::Point);
  EXPECT_EQ(Chart.Series[0].Color, clGreen);
  EXPECT_EQ(Chart.Series[0].Title, "Middle");
  ExpectValues(Chart.Series[0], {RowPct(2, 1), RowPct(2, 2)});
  EXPECT_EQ(Info.SeriesClassName(), "TPointSeries");
  Chart = Y.Build(true);
  EXPECT_EQ(Chart.Series[0].Kind, TChartSeriesKind::Bar);
  EXPECT_EQ(Info.SeriesClassName(), "TBarSeries");
  // One series: no legend.
  EXPECT_FALSE(Chart.Legend.Visible);
  // And remembered: the next drawing with the stored styles keeps the bars.
  EXPECT_EQ(Y.Build(false).Series[0].Kind, TChartSeriesKind::Bar);
}

TEST(ChartSeries, EmptyCellsAreEmptyPointsAndPiesLeaveThemOut) {
  TChartTable X("");
  // Low in the South loses its value.
  int A = 1, B = 1;
  X.T->FindFirstCellOfClass(TPelRes::StaticClass(), A, B);
  X.T->SetCellValue(A + 1, B, GimValueNoData);
  TChart Chart = X.Build();
  ASSERT_EQ(Chart.Series.size(), 3u);
  ASSERT_EQ(Chart.Series[0].Points.size(), 2u);
  EXPECT_FALSE(Chart.Series[0].Points[0].IsNull);
  EXPECT_TRUE(Chart.Series[0].Points[1].IsNull);
  EXPECT_EQ(Chart.Series[0].Points[1].Value, 0);
  EXPECT_EQ(Chart.Series[0].Points[1].Label, "Region: South");
  X.C->Template = "object Chart1: TChart\r\n  object Series1: TPieSeries\r\n  end\r\nend";
  Chart = X.Build();
  ASSERT_EQ(Chart.Series.size(), 3u);
  EXPECT_EQ(Labels(Chart.Series[0]), std::vector<std::string>{"Region: North"});
  EXPECT_EQ(Labels(Chart.Series[1]).size(), 2u);
  // Pies use no axis.
  EXPECT_FALSE(Chart.LeftAxis.Visible || Chart.RightAxis.Visible || Chart.BottomAxis.Visible);
}

TEST(ChartSeries, NothingToShowGivesAnInvisibleChart) {
  TChartTable X(
      "        def colChartDataInfo def chartDataInfo\r\n"
      "          def dataInfoQuestion question = edu; response = none; end; end; end;\r\n");
  const TChart Chart = X.Build();
  EXPECT_TRUE(Chart.Series.empty());
  EXPECT_FALSE(Chart.Visible);
}

TEST(ChartTemplate, LookCopiedWithCustomAxesAnUnreadableOneRaises) {
  // A template with custom axes gives its look (but not its size); without them only its 3-D
  // switch counts.
  TChart Look;
  ApplyChartDefaults(Look);
  Look.Legend.Alignment = TLegendAlignment::Bottom;
  Look.Title.Visible = true;
  Look.Title.Text = {"Readers"};
  Look.View3D = true;
  Look.Width = 300;
  TChartTable X("");
  X.C->Template = ComponentToText(Look);
  TChart Chart = X.Build();
  EXPECT_EQ(Chart.Legend.Alignment, TLegendAlignment::Bottom);
  EXPECT_EQ(Chart.Title.Text, std::vector<std::string>{"Readers"});
  EXPECT_TRUE(Chart.View3D);
  EXPECT_EQ(Chart.Width, 686);
  Look.CustomAxes.clear();
  X.C->Template = ComponentToText(Look);
  Chart = X.Build();
  EXPECT_EQ(Chart.Legend.Alignment, TLegendAlignment::Right);
  EXPECT_FALSE(Chart.Title.Visible);
  EXPECT_TRUE(Chart.View3D);

  // An unreadable template: BuildChart raises and leaves the chart alone; the chart the pages
  // get has the default look with bars.
  X.C->Template = "object Chart1: TChart\r\n  Legend.Visible = (\r\n";
  TChart Before;
  ApplyChartDefaults(Before);
  Chart = Before;
  EXPECT_THROW(X.C->BuildChart(Chart, false), EFormTextError);
  EXPECT_EQ(Chart, Before);
  Chart = X.C->CreateChart();
  ASSERT_EQ(Chart.Series.size(), 3u);
  EXPECT_EQ(Chart.Series[0].Kind, TChartSeriesKind::Bar);
  EXPECT_EQ(Chart.CustomAxes.size(), 2u);
}

bool Near(TColor A, TColor B, int Tolerance) {
  return std::abs(ColorRed(A) - ColorRed(B)) <= Tolerance &&
         std::abs(ColorGreen(A) - ColorGreen(B)) <= Tolerance &&
         std::abs(ColorBlue(A) - ColorBlue(B)) <= Tolerance;
}

int CountNear(const TBitmap& B, TColor C, int Tolerance) {
  int N = 0;
  for (int Y = 0; Y < B.Height; ++Y)
    for (int X = 0; X < B.Width; ++X) N += Near(B.Pixel(X, Y), C, Tolerance) ? 1 : 0;
  return N;
}

TEST(ChartImage, EveryKindDrawsAJpegOfTheSizeAskedWithItsColours) {
  // Pixels of each colour at least: filled shapes many; lines, pointers and the outlines of
  // see-through areas over each other a few dozen (JPEG blurs thin lines' colours).
  struct TKind {
    std::string Class, Props;
    int MinPixels;
  };
  const TKind Kinds[] = {{"TBarSeries", "", 500},
                         {"THorizBarSeries", "", 500},
                         {"TLineSeries", "              Pointer.Visible = True\r\n", 20},
                         {"TAreaSeries", "", 20},
                         {"TPointSeries", "", 10},
                         {"TPieSeries", "", 500},
                         {"TBarSeries", "              MultiBar = mbStacked\r\n", 500},
                         {"THorizBarSeries", "              MultiBar = mbStacked100\r\n", 500},
                         {"TAreaSeries", "              MultiArea = maStacked\r\n", 500}};
  for (const TKind& K : Kinds) {
    SCOPED_TRACE(K.Class + " " + K.Props);
    TChartTable X(TemplateKeys({{K.Class, K.Props}}));
    const TChart Chart = X.C->CreateChart();
    ASSERT_EQ(Chart.Series.size(), 3u);
    TBitmap J;
    ASSERT_TRUE(jpegtest::Decode(X.C->RenderJpeg(520, 300, kChartJpegQuality), J));
    EXPECT_EQ(J.Width, 520);
    EXPECT_EQ(J.Height, 300);
    // The corners are white: the web picture has no gradient and no bevel.
    for (auto [PX, PY] : {std::pair{0, 0}, {519, 299}})
      EXPECT_TRUE(Near(J.Pixel(PX, PY), clWhite, 8));
    // Every series colour (the slices' for pies: North and South) is there.
    const bool Pie = K.Class == "TPieSeries";
    for (int S = 0; S < (Pie ? 2 : 3); ++S) {
      const TColor Colour = Pie ? Chart.PointColor(0, S) : Chart.SeriesColor(S);
      EXPECT_GT(CountNear(J, Colour, 30), K.MinPixels) << "colour " << S;
    }
  }
  // A size the renderer refuses raises.
  TChartTable X("");
  EXPECT_THROW(X.C->RenderJpeg(0, 300, kChartJpegQuality), EChartError);
}

}  // namespace
}  // namespace quin::test
