// Charts and series through their component text: what is written reads back as the same
// chart, stored templates load what the model knows and keep the defaults otherwise, and
// texts that are no chart raise.
#include "platform/chartform.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"

namespace quin {
namespace {

TChart RichChart() {
  TChart C;
  C.Width = 686;
  C.Height = 387;
  C.Color = clWhite;
  C.Gradient = {true, RGBToColor(128, 128, 128), clWhite};
  C.BackWall.Brush.Style = TChartBrushStyle::Clear;
  C.Legend.CheckBoxes = true;
  C.Legend.Alignment = TLegendAlignment::Bottom;
  C.Title.Text = {Cp1250("Czytelnictwo"), "by age"};
  C.BottomAxis.LabelsAngle = 90;
  C.BottomAxis.Increment = 72;
  C.RightAxis.Automatic = C.RightAxis.AutomaticMinimum = C.RightAxis.AutomaticMaximum = false;
  C.RightAxis.Maximum = 100;
  C.RightAxis.Title.Caption = "%";
  C.RightAxis.LabelsFont.Bold = true;
  C.View3D = false;
  C.Chart3DPercent = 70;
  C.View3DOptions.HorizOffset = -10;
  C.View3DOptions.Orthogonal = false;
  C.PrintMargins = {15, 26, 15, 26};
  TChartAxis Custom;
  Custom.PositionPercent = -5;
  Custom.OtherSide = true;
  C.CustomAxes = {Custom, Custom};
  C.CustomAxes[1].Horizontal = true;
  TChartSeries Bar(TChartSeriesKind::Bar);
  Bar.Title = "Men";
  Bar.MultiBar = TMultiBar::Stacked100;
  Bar.Color = clRed;
  Bar.Add(12.5, "A");
  Bar.AddNull("B");
  Bar.Add(-3, "C", RGBToColor(1, 2, 3));
  TChartSeries Line(TChartSeriesKind::Line);
  Line.Pointer.Visible = true;
  Line.Pointer.Style = TPointerStyle::DownTriangle;
  Line.VertAxis = TVertAxis::Custom;
  Line.CustomVertAxis = 0;
  Line.Marks.Visible = true;
  Line.Marks.Style = TMarksStyle::LabelPercent;
  TChartSeries Area(TChartSeriesKind::Area);
  Area.MultiBar = TMultiBar::Stacked;
  Area.Brush.Style = TChartBrushStyle::DiagCross;
  TChartSeries Pie(TChartSeriesKind::Pie);
  Pie.ExplodeBiggest = 20;
  C.Series = {Bar,
              Line,
              Area,
              TChartSeries(TChartSeriesKind::HorizBar),
              TChartSeries(TChartSeriesKind::Point),
              Pie};
  return C;
}

TEST(ChartForm, ChartReadsBackFromItsText) {
  TChart C = RichChart();
  const std::string Text = ComponentToText(C, "  ");
  TChart Back = TextToComponent<TChart>(Text);
  // Series get their component names on the way; the rest is the same chart.
  for (size_t I = 0; I < C.Series.size(); ++I)
    EXPECT_EQ(Back.Series[I].Name, "Series" + std::to_string(I + 1));
  for (TChartSeries& S : Back.Series) S.Name.clear();
  EXPECT_TRUE(Back == C) << Text;
  // A value that fifteen digits would round to a whole number comes back exactly.
  for (double Step : {72.00000000000001, 0.1 + 0.2, 1e20 + 16384}) {
    TChart Fine;
    Fine.BottomAxis.Increment = Step;
    const std::string FineText = ComponentToText(Fine, "  ");
    EXPECT_EQ(TextToComponent<TChart>(FineText).BottomAxis.Increment, Step) << FineText;
  }
  // Only what differs from a fresh chart is written.
  EXPECT_EQ(ComponentToText(TChart()), "object Chart1: TChart\r\nend\r\n");
  EXPECT_NE(Text.find("  object Series2: TLineSeries"), std::string::npos) << Text;
  EXPECT_NE(Text.find("MultiArea = maStacked"), std::string::npos) << Text;
}

TEST(ChartForm, SeriesReadsBackFromItsText) {
  const TChart C = RichChart();
  for (const TChartSeries& S : C.Series) {
    const TChartSeries Back = TextToComponent<TChartSeries>(ComponentToText(S));
    EXPECT_TRUE(Back == S) << ComponentToText(S);
  }
}

// A template as the desktop stored it: properties the model knows are taken, the rest (and
// classes it does not know) skipped, values of the wrong kind or range ignored.
TEST(ChartForm, StoredTemplateLoadsWhatTheModelKnows) {
  const char* Text =
      "object Chart1: TChart\r\n"
      "  Left = 1\r\n"
      "  BackWall.Brush.Color = clWhite\r\n"
      "  BackWall.Brush.Style = bsClear\r\n"
      "  Title.Font.Height = -16\r\n"
      "  Title.Font.Style = [fsBold]\r\n"
      "  Title.Text.Strings = (\r\n"
      "    'TChart')\r\n"
      "  Legend.Alignment = laTop\r\n"
      "  Legend.Shadow.HorizSize = 2\r\n"
      "  LeftAxis.Grid.Visible = 'yes'\r\n"
      "  LeftAxis.LabelsAngle = 720\r\n"
      "  BottomAxis.Increment = 72.000000000000000000\r\n"
      "  View3DOptions.Zoom = 90\r\n"
      "  PrintMargins = (15 26 15 26)\r\n"
      "  Color = 16777215\r\n"
      "  CustomAxes = <\r\n"
      "    item\r\n"
      "      Horizontal = True\r\n"
      "      Unknown = 1\r\n"
      "    end>\r\n"
      "  object Series1: TBarSeries\r\n"
      "    Marks.ArrowLength = 20\r\n"
      "    Marks.Visible = False\r\n"
      "    SeriesColor = clRed\r\n"
      "    MultiBar = mbStacked\r\n"
      "    XValues.Order = loAscending\r\n"
      "    Data = {0001}\r\n"
      "  end\r\n"
      "  object ChartTool1: TMarksTipTool\r\n"
      "  end\r\n"
      "  object Series2: TFastLineSeries\r\n"
      "  end\r\n"
      "  object Series3: TPieSeries\r\n"
      "    Circled = True\r\n"
      "  end\r\n"
      "end\r\n";
  const TChart C = TextToComponent<TChart>(Text);
  TChart Want;
  Want.Left = 1;
  Want.BackWall.Brush.Color = clWhite;
  Want.BackWall.Brush.Style = TChartBrushStyle::Clear;
  Want.Title.Font.Size = 12;  // 16 pixels
  Want.Title.Font.Bold = true;
  Want.Title.Text = {"TChart"};
  Want.Legend.Alignment = TLegendAlignment::Top;
  Want.BottomAxis.Increment = 72;
  Want.View3DOptions.Zoom = 90;
  Want.PrintMargins = {15, 26, 15, 26};
  Want.Color = clWhite;
  TChartAxis Custom;
  Custom.Horizontal = true;
  Want.CustomAxes = {Custom};
  TChartSeries Bar(TChartSeriesKind::Bar);
  Bar.Name = "Series1";
  Bar.Marks.ArrowLength = 20;
  Bar.Color = clRed;
  Bar.MultiBar = TMultiBar::Stacked;
  TChartSeries Pie(TChartSeriesKind::Pie);
  Pie.Name = "Series3";
  Want.Series = {Bar, Pie};
  EXPECT_TRUE(C == Want) << ComponentToText(C);
}

TEST(ChartForm, TextsThatAreNoChartRaise) {
  for (const char* Text : {"", "object Series1: TBarSeries\nend", "object Form1: TForm\nend",
                           "object Chart1: TChart\n  Left = \nend"})
    EXPECT_THROW(TextToComponent<TChart>(Text), EFormTextError) << Text;
  EXPECT_THROW(TextToComponent<TChartSeries>("object Chart1: TChart\nend"), EFormTextError);
  EXPECT_NO_THROW(TextToComponent<TChart>("object Chart1: TDBChart\nend"));
}

TEST(ChartForm, SeriesClassNames) {
  const struct {
    TChartSeriesKind Kind;
    const char* Class;
  } Cases[] = {
      {TChartSeriesKind::Bar, "TBarSeries"},     {TChartSeriesKind::HorizBar, "THorizBarSeries"},
      {TChartSeriesKind::Line, "TLineSeries"},   {TChartSeriesKind::Area, "TAreaSeries"},
      {TChartSeriesKind::Point, "TPointSeries"}, {TChartSeriesKind::Pie, "TPieSeries"}};
  for (const auto& C : Cases) {
    EXPECT_EQ(SeriesClassName(C.Kind), C.Class);
    TChartSeriesKind K = TChartSeriesKind::Pie;
    EXPECT_TRUE(SeriesKindOfClass(LowerCase(C.Class), K));
    EXPECT_EQ(K, C.Kind);
  }
  TChartSeriesKind K;
  EXPECT_FALSE(SeriesKindOfClass("TFastLineSeries", K));
}

}  // namespace
}  // namespace quin
