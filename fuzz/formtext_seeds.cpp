// Writes the seed corpus of the component-text fuzz target: charts of every series kind and
// their series written by the model, a template as the desktop stored it, and a text with every
// kind of value (collections inside lists too). The last argument names the fuzzer's working
// corpus, emptied here.
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/corpus_folders.h"
#include "platform/chartform.h"

using namespace quin;

namespace {

TChart SampleChart() {
  TChart C;
  C.Color = clWhite;
  C.Gradient.Visible = true;
  C.Legend.CheckBoxes = true;
  C.Legend.Alignment = TLegendAlignment::Bottom;
  C.Title.Text = {"Readers", "by age"};
  C.BottomAxis.LabelsAngle = 90;
  C.BottomAxis.Increment = 72;
  C.RightAxis.Automatic = false;
  C.RightAxis.Maximum = 100;
  C.RightAxis.Title.Caption = "%";
  TChartAxis Custom;
  Custom.PositionPercent = -5;
  Custom.OtherSide = true;
  C.CustomAxes = {Custom};
  for (int K = 0; K < 6; ++K) {
    TChartSeries S{TChartSeriesKind(K)};
    S.Title = "Series of kind " + std::to_string(K);
    S.Marks.Visible = K % 2 == 0;
    S.Marks.Style = TMarksStyle(K);
    S.Pointer.Style = TPointerStyle(K);
    S.MultiBar = K == 0 ? TMultiBar::Stacked : TMultiBar::None;
    if (K == 3) {
      S.VertAxis = TVertAxis::Custom;
      S.CustomVertAxis = 0;
    }
    S.Add(12.5, "Men");
    S.AddNull("Women");
    S.Add(-3, "15-24 years", clRed);
    C.Series.push_back(S);
  }
  return C;
}

const char* kStored =
    "object Chart1: TChart\r\n"
    "  BackWall.Brush.Color = clWhite\r\n"
    "  BackWall.Brush.Style = bsClear\r\n"
    "  Title.Font.Height = -16\r\n"
    "  Title.Font.Style = [fsBold]\r\n"
    "  Title.Text.Strings = (\r\n"
    "    'TChart')\r\n"
    "  Legend.Alignment = laTop\r\n"
    "  BottomAxis.Increment = 72.000000000000000000\r\n"
    "  PrintMargins = (\r\n"
    "    15\r\n"
    "    26\r\n"
    "    15\r\n"
    "    26)\r\n"
    "  object Series1: TBarSeries\r\n"
    "    Marks.ArrowLength = 20\r\n"
    "    Marks.Visible = False\r\n"
    "    SeriesColor = clRed\r\n"
    "    Data = {00010203}\r\n"
    "  end\r\n"
    "  object ChartTool1: TMarksTipTool\r\n"
    "  end\r\n"
    "end\r\n";

const char* kValues =
    "inherited Form1: TForm [0]\r\n"
    "  S = 'It''s'#13#10'two lines' +\r\n"
    "    ' and '#322'#261\r\n"
    "  N = -12\r\n"
    "  H = $FF\r\n"
    "  F = 1.5E-3\r\n"
    "  I = Form1.Chart1\r\n"
    "  E = []\r\n"
    "  W = [akLeft, akTop]\r\n"
    "  L = (1 'a' (2 3))\r\n"
    "  LC = (\r\n"
    "    <\r\n"
    "      item\r\n"
    "        Y = 2\r\n"
    "      end>\r\n"
    "    <\r\n"
    "    >)\r\n"
    "  C = <\r\n"
    "    item\r\n"
    "      X = 1\r\n"
    "    end>\r\n"
    "  B = {0A0B}\r\n"
    "  inline Frame1: TFrame\r\n"
    "  end\r\n"
    "end\r\n";

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(
          argc, argv, 2, "quin_formtext_seeds <seed folder> <working corpus folder>", Seeds, Work))
    return 2;
  const TChart Chart = SampleChart();
  std::ofstream(Seeds / "chart", std::ios::binary) << ComponentToText(Chart, "    ");
  for (size_t I = 0; I < Chart.Series.size(); ++I)
    std::ofstream(Seeds / ("series" + std::to_string(I)), std::ios::binary)
        << ComponentToText(Chart.Series[I]);
  std::ofstream(Seeds / "stored", std::ios::binary) << kStored;
  std::ofstream(Seeds / "values", std::ios::binary) << kValues;
  return 0;
}
