// Draws a sample of every chart kind, with the look a report's chart has (white, legend with
// check boxes, category labels upright), as PNG and JPEG files into the folder named on the
// command line: quin-chart-samples /tmp/chart-samples
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/chart.h"
#include "platform/chartrender.h"
#include "platform/jpeg.h"

using namespace quin;

namespace {

TChart ReportLook() {
  TChart C;
  C.Width = 686;
  C.Height = 387;
  C.Color = clWhite;
  C.BevelOuter = TChartBevel::None;
  C.BackWall.Brush.Style = TChartBrushStyle::Clear;
  C.Legend.CheckBoxes = true;
  C.Title.Visible = false;
  C.Margins.Left = C.Margins.Right = 4;
  for (TChartAxis* A : {&C.LeftAxis, &C.BottomAxis, &C.RightAxis, &C.TopAxis}) {
    A->Grid.Visible = false;
    A->LabelsMultiLine = true;
  }
  C.BottomAxis.Increment = 72;
  C.BottomAxis.LabelsAngle = 90;
  for (TChartAxis* A : {&C.RightAxis, &C.TopAxis}) {
    A->Automatic = A->AutomaticMinimum = A->AutomaticMaximum = false;
    A->Maximum = 100;
  }
  C.View3D = false;
  return C;
}

const std::vector<std::string> kTitles = {
    "Gazeta Wyborcza",        "Fakt",     "Super Express",   "Rzeczpospolita",
    "Dziennik Gazeta Prawna", "Polityka", "Newsweek Polska", "Wprost"};
const std::vector<std::string> kGroups = {
    "Total", "Men", "Women", "15-24 years", "25-39 years", "40-59 years", "60 years and more"};

TChartSeries Series(TChartSeriesKind Kind, const std::string& Title,
                    const std::vector<std::string>& Labels, const std::vector<double>& Values) {
  TChartSeries S(Kind);
  S.Title = Cp1250(Title);
  S.Marks.Visible = false;
  for (size_t I = 0; I < Values.size(); ++I) {
    const std::string Label = I < Labels.size() ? Cp1250(Labels[I]) : "";
    if (Values[I] != Values[I])  // NaN marks an empty cell
      S.AddNull(Label);
    else
      S.Add(Values[I], Label);
  }
  return S;
}

std::vector<double> Wave(int N, double Base, double Amp, double Phase) {
  std::vector<double> R;
  for (int I = 0; I < N; ++I) R.push_back(Base + Amp * ((I * 37 + int(Phase * 13)) % 17) / 17.0);
  return R;
}

struct TSample {
  std::string Name;
  TChart Chart;
  int Width = 686, Height = 387;
};

std::vector<TSample> Samples() {
  std::vector<TSample> R;
  const double NaN = 0.0 / 0.0;
  {
    TChart C = ReportLook();
    C.AddSeries(Series(TChartSeriesKind::Bar, "Readers (thousands)", kTitles,
                       {4123.5, 3880.2, 1902.7, 712.4, 655.1, 1203.9, 998.3, 702.6}));
    C.Legend.Visible = false;
    R.push_back({"bar_single", C});
  }
  {
    TChart C = ReportLook();
    const std::vector<std::string> Cols = {"Total", "Men", "Women", "15-24", "25-39", "40-59"};
    for (size_t S = 0; S < 4; ++S) {
      C.AddSeries(Series(TChartSeriesKind::Bar, kTitles[S], Cols, Wave(6, 10 + S * 5, 30, S)));
      C.Series.back().VertAxis = TVertAxis::Right;
    }
    C.RightAxis.Title.Caption = "% of column";
    R.push_back({"bar_multi_pct", C});
  }
  {
    TChart C = ReportLook();
    for (size_t S = 0; S < 3; ++S) {
      C.AddSeries(Series(TChartSeriesKind::Bar, kGroups[S + 4], kTitles, Wave(8, 200, 900, S)));
      C.Series.back().MultiBar = TMultiBar::Stacked;
    }
    R.push_back({"bar_stacked", C});
  }
  {
    TChart C = ReportLook();
    for (size_t S = 0; S < 4; ++S) {
      C.AddSeries(Series(TChartSeriesKind::Bar, kGroups[S + 3], kTitles, Wave(8, 100, 400, S)));
      C.Series.back().MultiBar = TMultiBar::Stacked100;
      C.Series.back().Marks.Visible = S == 0;
      C.Series.back().Marks.Style = TMarksStyle::Value;
    }
    R.push_back({"bar_stacked100", C});
  }
  {
    TChart C = ReportLook();
    for (size_t S = 0; S < 2; ++S) {
      C.AddSeries(Series(TChartSeriesKind::HorizBar, kGroups[S + 1], kTitles, Wave(8, 5, 40, S)));
      C.Series.back().HorizAxis = THorizAxis::Top;
      C.Series.back().Marks.Visible = true;
      C.Series.back().Marks.Style = TMarksStyle::Value;
    }
    R.push_back({"hbar_pct", C});
  }
  {
    TChart C = ReportLook();
    const std::vector<std::string> Waves = {"2004 Q1", "2004 Q2", "2004 Q3", "2004 Q4",
                                            "2005 Q1", "2005 Q2", "2005 Q3", "2005 Q4",
                                            "2006 Q1", "2006 Q2", "2006 Q3", "2006 Q4"};
    const TPointerStyle Styles[] = {TPointerStyle::Rectangle, TPointerStyle::Triangle,
                                    TPointerStyle::Circle};
    for (size_t S = 0; S < 3; ++S) {
      std::vector<double> V = Wave(12, 12 + S * 6, 10, S);
      if (S == 1) V[4] = V[5] = NaN;
      C.AddSeries(Series(TChartSeriesKind::Line, kTitles[S], Waves, V));
      C.Series.back().Pointer.Visible = true;
      C.Series.back().Pointer.Style = Styles[S];
    }
    C.BottomAxis.LabelsAngle = 0;
    R.push_back({"line_waves", C});
  }
  {
    TChart C = ReportLook();
    for (size_t S = 0; S < 2; ++S)
      C.AddSeries(Series(TChartSeriesKind::Area, kGroups[S + 1], kTitles, Wave(8, 300, 800, S)));
    R.push_back({"area", C});
  }
  {
    TChart C = ReportLook();
    const TPointerStyle Styles[] = {TPointerStyle::Diamond, TPointerStyle::Star,
                                    TPointerStyle::DownTriangle};
    for (size_t S = 0; S < 3; ++S) {
      C.AddSeries(Series(TChartSeriesKind::Point, kGroups[S + 4], kTitles, Wave(8, 1, 9, S)));
      C.Series.back().Pointer.Style = Styles[S];
    }
    C.Series.back().VertAxis = TVertAxis::Custom;
    C.Series.back().CustomVertAxis = 0;
    TChartAxis Custom;
    Custom.OtherSide = true;
    Custom.PositionPercent = -5;
    Custom.Title.Caption = "Mean";
    C.CustomAxes.push_back(Custom);
    R.push_back({"point_custom_axis", C});
  }
  {
    TChart C = ReportLook();
    C.AddSeries(Series(TChartSeriesKind::Pie, "Share of readers", kTitles,
                       {31.2, 24.8, 12.1, 6.3, 5.2, 9.9, 7.4, 3.1}));
    C.Legend.Visible = false;
    R.push_back({"pie", C});
  }
  {
    TChart C = ReportLook();
    for (size_t S = 0; S < 3; ++S) {
      C.AddSeries(Series(TChartSeriesKind::Pie, kGroups[S], kTitles, Wave(8, 2, 30, S)));
      C.Series.back().Marks.Visible = true;
      C.Series.back().Marks.Style = TMarksStyle::Percent;
    }
    R.push_back({"pies_three", C});
  }
  {
    TChart C = ReportLook();
    C.AddSeries(Series(TChartSeriesKind::Bar, "Change against last wave", kTitles,
                       {12.5, -8.25, 3.1, -15.75, 22.0, NaN, -2.5, 6.0}));
    C.Series.back().Marks.Visible = true;
    C.Series.back().Marks.Style = TMarksStyle::Value;
    C.Legend.Visible = false;
    R.push_back({"bar_negative", C});
  }
  {
    TChart C = ReportLook();
    std::vector<std::string> Labels;
    for (int I = 0; I < 40; ++I)
      Labels.push_back("Region " + std::to_string(I + 1) + ": " +
                       (I % 3 ? "Mazowieckie / Warszawa" : "Zachodniopomorskie and its towns"));
    C.AddSeries(Series(TChartSeriesKind::Bar, "Total", Labels, Wave(40, 50, 500, 0)));
    C.AddSeries(Series(TChartSeriesKind::Line, "Women", Labels, Wave(40, 20, 300, 2)));
    R.push_back({"many_categories", C});
  }
  {
    TChart C = ReportLook();
    std::vector<std::string> Labels;
    for (int I = 0; I < 30; ++I) Labels.push_back("Title number " + std::to_string(I + 1));
    C.AddSeries(Series(TChartSeriesKind::HorizBar, "Total", Labels, Wave(30, 10, 90, 1)));
    C.Legend.Visible = false;
    R.push_back({"hbar_many", C});
  }
  {
    TChart C = ReportLook();
    C.Gradient = {true, RGBToColor(128, 128, 128), clWhite};
    C.Title.Visible = true;
    C.Title.Text = {Cp1250("Czytelnictwo prasy według płci"), "Waves 2005"};
    for (size_t S = 0; S < 2; ++S)
      C.AddSeries(Series(TChartSeriesKind::Bar, kGroups[S + 1], kTitles, Wave(8, 100, 600, S)));
    C.Legend.Alignment = TLegendAlignment::Bottom;
    R.push_back({"gradient_title_legend_bottom", C, 500, 360});
  }
  {
    TChart C;  // a fresh chart with the library's own defaults
    for (size_t S = 0; S < 2; ++S)
      C.AddSeries(Series(TChartSeriesKind::Bar, kGroups[S + 1], kTitles, Wave(8, 100, 600, S)));
    R.push_back({"fresh_defaults", C, 400, 250});
  }
  return R;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quin-chart-samples <folder>\n");
    return 2;
  }
  const std::filesystem::path Folder = argv[1];
  std::filesystem::create_directories(Folder);
  for (const TSample& S : Samples()) {
    const TBitmap B = DrawChart(S.Chart, S.Width, S.Height);
    std::ofstream(Folder / (S.Name + ".png"), std::ios::binary) << EncodePng(B);
    SaveJpegFile(B, kChartJpegQuality, (Folder / (S.Name + ".jpg")).string());
    std::printf("%s\n", (Folder / (S.Name + ".png")).c_str());
  }
  return 0;
}
