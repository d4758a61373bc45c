// The pivot table element: 40 rows by 12 columns over 100,000 respondents (two waves,
// weighted), one wave as the layer, column percentages with significance tests and a sort key:
// the time of each phase of a calculation (cells, sorting, hiding, marks, texts) and of the
// HTML rendering.
// The survey is written once per run and read from memory.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/pelres.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "reports/register.h"
#include "tools/surveywriter/zoswriter.h"

namespace quin {
namespace {

constexpr int kRespondents = 100000;
constexpr int kRows = 40;
constexpr int kCols = 12;

std::string Question(const std::string& ID, int Responses) {
  std::string S = "def question id = " + ID + "; name = \"" + ID +
                  "\"; def responseList column = " + ID + ";\r\n";
  for (int R = 1; R <= Responses; ++R)
    S += "  def response id = r" + std::to_string(R) + "; name = \"Response " + std::to_string(R) +
         "\"; code = " + std::to_string(R) + "; end;\r\n";
  return S + "end; end;\r\n";
}

std::string Definition() {
  return "def environ languages = plk, enu; end;\r\n"
         "def survey namespace = ns; id = bench; name = \"Bench\"; wizards = table1d; end;\r\n"
         "def recordset id = resp; name = \"Respondents\";\r\n"
         "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\nend;\r\n"
         "def weights def weight id = wgt; name = \"W\"; column = w; end; end;\r\n"
         "def waves def wave id = w1; name = \"W1\"; end; def wave id = w2; name = \"W2\"; end; "
         "end;\r\ndef data\r\n" +
         Question("rowq", kRows) + Question("colq", kCols) + "end;\r\n";
}

std::string SurveyBytes() {
  std::mt19937 G(7);
  std::uniform_int_distribution<int> RowCode(1, kRows), ColCode(1, kCols);
  std::uniform_real_distribution<double> Weight(0.3, 2.5);
  TSwSurveyRecset R{"resp", {}};
  for (int W = 0; W < 2; ++W) {
    TSwSurveyWave Wave;
    Wave.Records = kRespondents / 2;
    TSwSurveyColumn Rows{"rowq", {}, {}}, Cols{"colq", {}, {}}, Wgt{"w", {}, {}};
    for (int I = 0; I < Wave.Records; ++I) {
      Rows.Values.push_back(RowCode(G));
      Cols.Values.push_back(ColCode(G));
      Wgt.Values.push_back(Weight(G));
    }
    Wave.Columns = {Rows, Cols, Wgt};
    R.Waves.push_back(std::move(Wave));
  }
  return SurveyFileBytes(Definition(), {R});
}

const char* const kReport =
    "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}\";\r\nversion = 1;\r\n"
    "def report survey = bench@ns;\r\n"
    "  def analysis\r\n"
    "    def parameters\r\n"
    "      def varList list = rowq; end;\r\n"
    "      def varList list = colq; end;\r\n"
    "      def statList list = pctCol; sigPct = 1; hideRowsCols = 2; end;\r\n"
    "      def waveList def subpar list = w1; end; def subpar list = w2; end; end;\r\n"
    "    end;\r\n"
    "    dataBasedOn = resp; weight = wgt;\r\n"
    "    def table\r\n"
    "      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n"
    "      def colSortDataInfo def sortDataInfo\r\n"
    "        def dataInfoQuestion question = colq; response = r1; end;\r\n"
    "      end; end;\r\n"
    "    end;\r\n"
    "  end;\r\n"
    "end;\r\n";

struct TTableBench {
  std::unique_ptr<TOrvLangManager> Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding{Lang.get()};
  std::string Bytes;
  std::unique_ptr<TMemoryStream> Stream;
  std::unique_ptr<TPelSurvey> Survey;
  std::unique_ptr<TPelRep> Report;
  TPelRepElemTable* Table = nullptr;

  TTableBench() {
    RegisterReportsClasses();
    Bytes = SurveyBytes();
    Stream = std::make_unique<TMemoryStream>(std::string_view(Bytes));
    Survey = New<TPelSurvey>("bench.zos", 1);
    Survey->ReadSurveyFile(*Stream);
    Report = std::make_unique<TPelRep>(Survey.get());
    TMemoryStream Text{std::string_view(kReport)};
    TOrvMsgList Msgs;
    Report->LoadFromStream(Text, &Msgs);
    Table = As<TPelRepElemTable>(Report->Root()->Child(0)->Child(0));
    Table->Calculate();
    Table->FillCoordinates();
  }
  static TTableBench& Get() {
    static TTableBench B;
    return B;
  }
};

void BM_PivotCells(benchmark::State& State) {
  TPelRepElemTable& T = *TTableBench::Get().Table;
  for (auto _ : State) {
    TPelResManager Manager(T.Survey, T.Analysis()->Parameters->BasedOn);
    T.BuildTableCells(true);
    std::vector<TPelRes*> Cells;
    for (int C = 1; C < T.ColCount; ++C)
      for (int R = 1; R < T.RowCount; ++R)
        if (TPelRes* Cell = T.CellAt(C, R)) Cells.push_back(Cell);
    Manager.CalculateTable(Cells);
    benchmark::DoNotOptimize(Cells.data());
  }
  State.counters["positions"] = T.DataColCount * T.DataRowCount;
  State.counters["records"] = kRespondents;
}
BENCHMARK(BM_PivotCells)->Unit(benchmark::kMillisecond);

// The whole calculation: cells, sort, hiding, marks and texts.
void BM_PivotCalculate(benchmark::State& State) {
  TPelRepElemTable& T = *TTableBench::Get().Table;
  for (auto _ : State) T.Calculate();
}
BENCHMARK(BM_PivotCalculate)->Unit(benchmark::kMillisecond);

void BM_PivotSort(benchmark::State& State) {
  TPelRepElemTable& T = *TTableBench::Get().Table;
  for (auto _ : State) T.ApplySort();
  int Moved = 0;
  for (int B = 0; B < T.VisibleRowCount(); ++B) Moved += T.GridRow(B) != B;
  State.counters["moved"] = Moved;
}
BENCHMARK(BM_PivotSort)->Unit(benchmark::kMicrosecond);

void BM_PivotHide(benchmark::State& State) {
  TPelRepElemTable& T = *TTableBench::Get().Table;
  for (auto _ : State) T.HideEmptyLines();
}
BENCHMARK(BM_PivotHide)->Unit(benchmark::kMicrosecond);

void BM_PivotMarks(benchmark::State& State) {
  TPelRepElemTable& T = *TTableBench::Get().Table;
  for (auto _ : State) T.MarkSignificance();
}
BENCHMARK(BM_PivotMarks)->Unit(benchmark::kMicrosecond);

void BM_PivotFormat(benchmark::State& State) {
  TPelRepElemTable& T = *TTableBench::Get().Table;
  for (auto _ : State) T.FormatCellTexts();
}
BENCHMARK(BM_PivotFormat)->Unit(benchmark::kMicrosecond);

void BM_PivotHtml(benchmark::State& State) {
  TPelRepElemTable& T = *TTableBench::Get().Table;
  size_t Bytes = 0;
  for (auto _ : State) {
    const std::string Html = T.RenderHtmlText();
    Bytes = Html.size();
    benchmark::DoNotOptimize(Html.data());
  }
  State.counters["bytes"] = static_cast<double>(Bytes);
}
BENCHMARK(BM_PivotHtml)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quin
