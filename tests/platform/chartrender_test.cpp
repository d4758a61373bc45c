// Drawing charts: the picture's size, its background and series colours (also through JPEG),
// empty points left out, the legend beside the data, round axis steps, percentage marks, axes
// of one repeated value, numbered categories, exploded pies, stacked bars, fitted label texts,
// drawings side by side on several threads, and extreme charts drawn without a fault.
#include "platform/chartrender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

#include "base/text.h"
#include "platform/chartpaint.h"
#include "platform/jpeg.h"
#include "tests/platform/jpegdecode.h"

namespace quin {
namespace {

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

// Runs of pixels of colour C along row Y.
int RunsInRow(const TBitmap& B, int Y, TColor C) {
  int Runs = 0;
  bool In = false;
  for (int X = 0; X < B.Width; ++X) {
    const bool Hit = Near(B.Pixel(X, Y), C, 10);
    Runs += Hit && !In ? 1 : 0;
    In = Hit;
  }
  return Runs;
}

// A white chart as reports show it.
TChart WhiteChart() {
  TChart C;
  C.Color = clWhite;
  C.BevelOuter = TChartBevel::None;
  C.View3D = false;
  return C;
}

TChartSeries Bars(const std::string& Title, std::initializer_list<double> Values) {
  TChartSeries S(TChartSeriesKind::Bar);
  S.Title = Title;
  int I = 0;
  for (double V : Values) S.Add(V, "Label " + std::to_string(++I));
  return S;
}

TEST(ChartRender, DrawsTheRequestedSize) {
  TChart C = WhiteChart();
  C.AddSeries(Bars("A", {1, 2, 3}));
  for (auto [W, H] : {std::pair{686, 387}, {1, 1}, {17, 400}, {2000, 50}}) {
    const TBitmap B = DrawChart(C, W, H);
    EXPECT_EQ(B.Width, W);
    EXPECT_EQ(B.Height, H);
    EXPECT_EQ(B.Rgb.size(), size_t(W) * size_t(H) * 3);
  }
  for (auto [W, H] : {std::pair{0, 10}, {10, -1}, {10001, 10}, {6000, 6000}})
    EXPECT_THROW(DrawChart(C, W, H), EChartError) << W << " x " << H;
}

TEST(ChartRender, WhiteBackgroundAndEverySeriesColourAlsoAfterJpeg) {
  TChart C = WhiteChart();
  C.AddSeries(Bars("Men", {40, 55, 30, 20}));
  C.AddSeries(Bars("Women", {35, 60, 25, 45}));
  TChartSeries Line(TChartSeriesKind::Line);
  for (double V : {10, 20, 15, 30}) Line.Add(V);
  C.AddSeries(Line);
  const TBitmap B = DrawChart(C, 686, 387);
  TBitmap J;
  ASSERT_TRUE(jpegtest::Decode(EncodeJpeg(B, kChartJpegQuality), J));
  ASSERT_EQ(J.Width, 686);
  ASSERT_EQ(J.Height, 387);
  for (const TBitmap* P : {&B, const_cast<const TBitmap*>(&J)}) {
    for (auto [X, Y] : {std::pair{0, 0}, {685, 0}, {0, 386}, {685, 386}, {343, 2}})
      EXPECT_TRUE(Near(P->Pixel(X, Y), clWhite, 6)) << X << "," << Y;
    for (int S = 0; S < 3; ++S)  // bars, and a line two pixels wide
      EXPECT_GT(CountNear(*P, kChartPalette[S], 30), S < 2 ? 5000 : 100) << "series " << S;
  }
}

TEST(ChartRender, EmptyPointsAreLeftOut) {
  // An empty point that still holds a value draws nothing: bars leave a gap, lines break.
  TChart C = WhiteChart();
  C.Legend.Visible = false;
  C.LeftAxis.Automatic = C.LeftAxis.AutomaticMinimum = C.LeftAxis.AutomaticMaximum = false;
  C.LeftAxis.Maximum = 20;
  TChartSeries S(TChartSeriesKind::Bar);
  for (int I = 0; I < 3; ++I) S.Add(10);
  S.Points[1].IsNull = true;
  C.AddSeries(S);
  TBitmap B = DrawChart(C, 400, 300);
  EXPECT_EQ(RunsInRow(B, 200, kChartPalette[0]), 2);

  C.Series[0].Kind = TChartSeriesKind::Line;
  C.Series[0].Pointer.Visible = false;
  C.Series[0].Add(10);
  B = DrawChart(C, 400, 300);
  int Row = 0, Most = 0;  // the line's row
  for (int Y = 0; Y < B.Height; ++Y) {
    int N = 0;
    for (int X = 0; X < B.Width; ++X) N += Near(B.Pixel(X, Y), kChartPalette[0], 10) ? 1 : 0;
    if (N > Most) Most = N, Row = Y;
  }
  EXPECT_EQ(RunsInRow(B, Row, kChartPalette[0]), 2);
}

TEST(ChartRender, LegendStandsBesideTheData) {
  // Bars as high as the plot in every category: a legend drawn over the plot would leave bar
  // pixels below it, right of its left edge.
  TChart C = WhiteChart();
  C.LeftAxis.Automatic = C.LeftAxis.AutomaticMinimum = C.LeftAxis.AutomaticMaximum = false;
  C.LeftAxis.Maximum = 100;
  C.AddSeries(Bars("First series with a long title", {100, 100, 100, 100, 100, 100}));
  C.AddSeries(Bars("Second", {100, 100, 100, 100, 100, 100}));
  const TBitmap B = DrawChart(C, 500, 300);
  // The legend's frame: the leftmost upright line of clGray pixels.
  int FrameLeft = B.Width, FrameBottom = 0;
  for (int X = B.Width - 1; X >= B.Width / 2; --X)
    for (int Y = 0, Run = 0; Y < B.Height; ++Y) {
      Run = B.Pixel(X, Y) == clGray ? Run + 1 : 0;
      if (Run >= 20) FrameLeft = X, FrameBottom = Y;
    }
  ASSERT_LT(FrameLeft, B.Width);
  int Below = 0, Beside = 0;
  for (int Y = FrameBottom + 4; Y < B.Height; ++Y)
    for (int X = 0; X < B.Width; ++X)
      if (Near(B.Pixel(X, Y), kChartPalette[1], 10)) (X >= FrameLeft ? Beside : Below)++;
  EXPECT_GT(Below, 1000);
  EXPECT_EQ(Beside, 0);
}

TEST(ChartRender, SeveralPiesNameTheirSlicesInTheLegend) {
  // Three pies of two slices each with a legend of series: the slices take the first two
  // palette colours, so a third colour in the legend would name a pie by a colour no slice
  // has. The legend lists the two slices instead.
  TChart C = WhiteChart();
  C.Legend.LegendStyle = TLegendStyle::Series;
  for (const char* Title : {"North", "South", "East"}) {
    TChartSeries S(TChartSeriesKind::Pie);
    S.Title = Title;
    S.Add(30, "Readers");
    S.Add(70, "Others");
    C.AddSeries(S);
  }
  const TBitmap B = DrawChart(C, 686, 387);
  EXPECT_EQ(CountNear(B, kChartPalette[2], 10), 0);
  int LegendSquares = 0;
  for (int Y = 0; Y < B.Height; ++Y)
    for (int X = B.Width * 3 / 4; X < B.Width; ++X)
      LegendSquares += Near(B.Pixel(X, Y), kChartPalette[1], 10) ? 1 : 0;
  EXPECT_GT(LegendSquares, 40);
}

TEST(ChartRender, ValueAxesTakeRoundSteps) {
  TChartAxis Auto, Fixed, Desired;
  Fixed.Automatic = Fixed.AutomaticMinimum = Fixed.AutomaticMaximum = false;
  Fixed.Maximum = 100;
  Desired.Increment = 72;
  const double None = std::numeric_limits<double>::infinity();
  const struct {
    const TChartAxis* Axis;
    double Lo, Hi;
    int Steps;
    double Min, Max, Step;
    int Decimals;
  } Cases[] = {
      {&Auto, 0, 4123.5, 8, 0, 5000, 1000, 0},  // 515 a step: the next round one is 1000
      {&Auto, -15.75, 22, 8, -20, 25, 5, 0},
      {&Auto, 12, 33.4, 10, 10, 35, 2.5, 1},
      {&Auto, 0, 0.9, 4, 0, 1, 0.25, 2},
      {&Auto, 5, 5, 5, 5, 5.5, 0.1, 1},       // one value: a range above it
      {&Auto, None, -None, 5, 0, 1, 0.2, 1},  // no data
      {&Fixed, 0, 250, 5, 0, 100, 20, 0},     // fixed ends stay
      {&Desired, 0, 4000, 8, 0, 4000, 500, 0},
      {&Desired, 0, 1000, 40, 0, 1000, 100, 0},  // 25 would do; 72 is the least, 100 round
      {&Desired, 0, 100, 5, 0, 100, 20, 0},      // 72 leaves too few steps: not used
  };
  for (const auto& T : Cases) {
    const TAxisScale S = ChooseAxisScale(*T.Axis, T.Lo, T.Hi, T.Steps);
    EXPECT_DOUBLE_EQ(S.Min, T.Min) << T.Lo << ".." << T.Hi;
    EXPECT_DOUBLE_EQ(S.Max, T.Max) << T.Lo << ".." << T.Hi;
    EXPECT_DOUBLE_EQ(S.Step, T.Step) << T.Lo << ".." << T.Hi;
    EXPECT_EQ(S.Decimals, T.Decimals) << T.Lo << ".." << T.Hi;
  }
  EXPECT_EQ(ChooseAxisScale(Auto, -15.75, 22, 8).Ticks(),
            (std::vector<double>{-20, -15, -10, -5, 0, 5, 10, 15, 20, 25}));
  TFormatSettings Polish;
  Polish.DecimalSeparator = ',';
  Polish.ThousandSeparator = ' ';
  EXPECT_EQ(AxisNumberText(-1250.5, 1, Polish), "-1 250,5");
  EXPECT_EQ(AxisNumberText(-0.0, 0, Polish), "0");
  EXPECT_EQ(ValueText(12.346, Polish), "12,35");
  EXPECT_EQ(ValueText(40, Polish), "40");
}

TEST(ChartRender, PercentagesAreSharesOfTheMagnitudes) {
  // A negative bar's share is of the magnitudes' sum and shows no minus sign.
  TChartSeries S(TChartSeriesKind::Bar);
  S.Add(-25, "Loss");
  S.Add(75, "Gain");
  const TFormatSettings FS;
  const double Total = SeriesTotal(S);
  EXPECT_EQ(Total, 100);
  EXPECT_EQ(MarkText(S, 0, TMarksStyle::Percent, Total, FS), "25%");
  EXPECT_EQ(MarkText(S, 0, TMarksStyle::LabelPercent, Total, FS), "Loss 25%");
  EXPECT_EQ(MarkText(S, 0, TMarksStyle::Value, Total, FS), "-25");
  EXPECT_EQ(MarkText(S, 1, TMarksStyle::Percent, Total, FS), "75%");
}

TEST(ChartRender, OneRepeatedValueStillGetsAnAxisAroundIt) {
  const TChartAxis Auto;
  for (double V : {-5.0, -0.25, -3e6, 7.0}) {
    SCOPED_TRACE(V);
    const TAxisScale S = ChooseAxisScale(Auto, V, V, 5);
    EXPECT_TRUE(std::isfinite(S.Min) && std::isfinite(S.Max) && std::isfinite(S.Step));
    EXPECT_GT(S.Step, 0);
    EXPECT_LT(S.Min, S.Max);
    EXPECT_LE(S.Min, V);
    EXPECT_GE(S.Max, V);
    EXPECT_GE(S.Ticks().size(), 2u);
  }
}

TEST(ChartRender, CategoriesWithoutLabelsAreNumberedFromOne) {
  auto Drawn = [](std::initializer_list<const char*> Labels) {
    TChart C = WhiteChart();
    C.Legend.Visible = false;
    TChartSeries S(TChartSeriesKind::Bar);
    int V = 0;
    if (Labels.size() == 0)
      for (int I = 0; I < 3; ++I) S.Add(++V);
    for (const char* L : Labels) S.Add(++V, L);
    C.AddSeries(S);
    return DrawChart(C, 400, 300).Rgb;
  };
  const auto Unlabelled = Drawn({});
  EXPECT_EQ(Unlabelled, Drawn({"1", "2", "3"}));
  EXPECT_NE(Unlabelled, Drawn({"0", "1", "2"}));
}

// Pixels of colour A with a pixel of colour B at most two pixels away.
int Touching(const TBitmap& Bm, TColor A, TColor B) {
  int N = 0;
  for (int Y = 0; Y < Bm.Height; ++Y)
    for (int X = 0; X < Bm.Width; ++X) {
      if (!Near(Bm.Pixel(X, Y), A, 10)) continue;
      bool Found = false;
      for (int DY = -2; DY <= 2 && !Found; ++DY)
        for (int DX = -2; DX <= 2 && !Found; ++DX) {
          const int X2 = X + DX, Y2 = Y + DY;
          Found = X2 >= 0 && Y2 >= 0 && X2 < Bm.Width && Y2 < Bm.Height &&
                  Near(Bm.Pixel(X2, Y2), B, 10);
        }
      N += Found ? 1 : 0;
    }
  return N;
}

TEST(ChartRender, ExplodingMovesTheBiggestSliceOut) {
  TChart C = WhiteChart();
  C.Legend.Visible = false;
  TChartSeries P(TChartSeriesKind::Pie);
  P.Pen.Visible = false;
  for (double V : {20, 50, 30}) P.Add(V);
  C.AddSeries(P);
  const TColor Small = kChartPalette[0], Big = kChartPalette[1], Third = kChartPalette[2];
  TBitmap B = DrawChart(C, 300, 240);
  EXPECT_GT(Touching(B, Big, Small), 10);
  EXPECT_GT(Touching(B, Big, Third), 10);
  C.Series[0].ExplodeBiggest = 40;
  B = DrawChart(C, 300, 240);
  EXPECT_GT(CountNear(B, Big, 10), 1000);
  EXPECT_EQ(Touching(B, Big, Small), 0);
  EXPECT_EQ(Touching(B, Big, Third), 0);
  EXPECT_GT(Touching(B, Small, Third), 10);  // the others stay together
}

TEST(ChartRender, StackedBarsPutNegativesBelowZeroAndPositivesAbove) {
  TChart C = WhiteChart();
  C.Legend.Visible = false;
  for (double V : {10, -5, 20}) {
    TChartSeries S(TChartSeriesKind::Bar);
    S.MultiBar = TMultiBar::Stacked;
    S.Add(V);
    C.AddSeries(S);
  }
  const TBitmap B = DrawChart(C, 300, 400);
  const int X = B.Width / 2;
  // The rows of each series' colour down the bar's middle.
  struct TSpan {
    int Top = 1 << 30, Bottom = -1;
  } Spans[3];
  for (int Y = 0; Y < B.Height; ++Y)
    for (int K = 0; K < 3; ++K)
      if (Near(B.Pixel(X, Y), kChartPalette[K], 10)) {
        Spans[K].Top = std::min(Spans[K].Top, Y);
        Spans[K].Bottom = std::max(Spans[K].Bottom, Y);
      }
  for (int K = 0; K < 3; ++K) ASSERT_GE(Spans[K].Bottom, 0) << "series " << K;
  // 10 from zero upwards, 20 on top of it, 5 from zero downwards.
  EXPECT_GE(Spans[1].Top, Spans[0].Bottom - 1);
  EXPECT_LE(Spans[2].Bottom, Spans[0].Top + 1);
  const double Unit = (Spans[0].Bottom - Spans[0].Top) / 10.0;
  EXPECT_NEAR(Spans[1].Bottom - Spans[1].Top, 5 * Unit, 3);
  EXPECT_NEAR(Spans[2].Bottom - Spans[2].Top, 20 * Unit, 3);
}

TEST(ChartRender, LabelTextsFitTheirSpace) {
  TCanvas C(100, 100);
  C.SetFont(TChartFont{});
  const std::string Long = Cp1250ToUtf8(Cp1250("Zachodniopomorskie i okolice, kobiety 15-24 lata"));
  for (double Width : {30.0, 80.0, 200.0}) {
    const std::string E = C.Ellipsize(Long, Width);
    EXPECT_LE(C.TextWidth(E), Width);
    for (int Lines : {1, 2, 3}) {
      const auto W = C.Wrap(Long, Width, Lines);
      EXPECT_LE(int(W.size()), Lines);
      for (const std::string& L : W) EXPECT_LE(C.TextWidth(L), Width) << L;
    }
  }
  EXPECT_EQ(C.Ellipsize("short", 200), "short");
  EXPECT_EQ(C.Wrap("Total\r\nMen", 200, 3), (std::vector<std::string>{"Total", "Men"}));
  // Cut on character boundaries: the result stays valid UTF-8 ("ą" is two bytes).
  const std::string Cut = C.Ellipsize("\xC4\x85\xC4\x85\xC4\x85\xC4\x85\xC4\x85\xC4\x85", 20);
  EXPECT_EQ(Cut.substr(Cut.size() - 3), "\xE2\x80\xA6");
  EXPECT_EQ((Cut.size() - 3) % 2, 0u);
}

TEST(ChartRender, DrawingsOnSeveralThreadsMatchDrawingsOnOne) {
  std::vector<TChart> Charts(3, WhiteChart());
  Charts[0].AddSeries(Bars("A", {1, 2, 3, 4}));
  Charts[1].AddSeries(Bars("B", {4, 3, 2, 1})).Kind = TChartSeriesKind::Pie;
  Charts[2].AddSeries(Bars("C", {2, 2, 3})).Kind = TChartSeriesKind::Line;
  std::vector<TBitmap> Serial;
  for (const TChart& C : Charts) Serial.push_back(DrawChart(C, 320, 200));
  std::vector<std::thread> Threads;
  std::vector<int> Mismatches(4, 0);
  for (int T = 0; T < 4; ++T)
    Threads.emplace_back([&, T] {
      for (int R = 0; R < 6; ++R) {
        const size_t K = size_t(T + R) % Charts.size();
        if (DrawChart(Charts[K], 320, 200).Rgb != Serial[K].Rgb) ++Mismatches[size_t(T)];
      }
    });
  for (std::thread& T : Threads) T.join();
  EXPECT_EQ(Mismatches, std::vector<int>(4, 0));
}

TEST(ChartRender, ExtremeChartsDrawWithoutFault) {
  const double Inf = std::numeric_limits<double>::infinity();
  std::vector<TChart> Cases;
  {
    TChart C = WhiteChart();
    for (double V : {1e300, -1e300, Inf, -Inf, std::nan(""), 0.0}) C.AddSeries(Bars("x", {V, 1}));
    Cases.push_back(C);
  }
  {
    TChart C = WhiteChart();  // every kind on axes that do not exist, with odd sizes
    for (int K = 0; K < 6; ++K) {
      TChartSeries& S = C.AddSeries(Bars(std::string(3000, 'W'), {1, -2, 3}));
      S.Kind = TChartSeriesKind(K);
      S.VertAxis = TVertAxis::Custom;
      S.CustomVertAxis = 99;
      S.BarWidthPercent = 0;
      S.Pen.Width = 1000;
      S.Pointer.HorizSize = 50;
      S.Marks.Visible = true;
      S.Marks.Font.Size = 10000;
      S.ExplodeBiggest = 1000;
    }
    C.BottomAxis.LabelsAngle = -450;
    C.LeftAxis.Increment = 1e-300;
    C.Margins = {45, 45, 45, 45};
    Cases.push_back(C);
  }
  {
    TChart C = WhiteChart();  // many points, long labels, every axis fixed to one value
    TChartSeries S(TChartSeriesKind::HorizBar);
    for (int I = 0; I < 20000; ++I) S.Add(I % 7, std::string(200, 'a' + char(I % 26)));
    C.AddSeries(S);
    C.LeftAxis.LabelsMultiLine = true;
    C.BottomAxis.Automatic = false;
    C.BottomAxis.AutomaticMinimum = C.BottomAxis.AutomaticMaximum = false;
    C.BottomAxis.Minimum = C.BottomAxis.Maximum = 3;
    Cases.push_back(C);
  }
  {
    TChart C = WhiteChart();  // pies with nothing to show and a legend of thousands
    TChartSeries P(TChartSeriesKind::Pie);
    for (int I = 0; I < 5000; ++I) P.Add(I % 3 == 0 ? -1 : 1e-300);
    C.AddSeries(P);
    C.AddSeries(TChartSeries(TChartSeriesKind::Pie));
    C.Legend.Alignment = TLegendAlignment::Top;
    Cases.push_back(C);
  }
  for (const TChart& C : Cases)
    for (auto [W, H] : {std::pair{686, 387}, {40, 30}}) {
      const TBitmap B = DrawChart(C, W, H);
      EXPECT_EQ(B.Rgb.size(), size_t(W) * size_t(H) * 3);
    }
}

}  // namespace
}  // namespace quin
