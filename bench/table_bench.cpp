// A 40 x 12 table of weighted column percentages over 100,000 and 1,000,000 respondents, and
// the same table of column means of a numeric answer with significance marks. The survey is
// written once per size and read from memory; its columns are decoded on the first table and
// kept, as they are for the tables that follow in a session. With QUIN_BENCH_DUMP set, the
// columns are also written there (rows and columns as int8, ages and weights as float64, -1
// and NaN for missing) for bench/table_compare.py.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "analysis/register.h"
#include "base/langmanager.h"
#include "table_data.h"

namespace quin::bench {
namespace {

struct TSurveyOfSize {
  std::string Bytes;
  std::unique_ptr<TMemoryStream> Stream;
  std::unique_ptr<TPelSurvey> Survey;
};

void Dump(const TTableColumns& C, int N) {
  const char* Dir = std::getenv("QUIN_BENCH_DUMP");
  if (!Dir) return;
  std::ofstream F(std::string(Dir) + "/table_" + std::to_string(N) + ".bin", std::ios::binary);
  for (const std::vector<double>* V : {&C.Row, &C.Col}) {
    std::vector<int8_t> B;
    for (double X : *V) B.push_back(X == kPelMissingDouble ? -1 : static_cast<int8_t>(X));
    F.write(reinterpret_cast<const char*>(B.data()), static_cast<std::streamsize>(B.size()));
  }
  for (const std::vector<double>* V : {&C.Age, &C.W}) {
    std::vector<double> D;
    for (double X : *V) D.push_back(X == kPelMissingDouble ? std::nan("") : X);
    F.write(reinterpret_cast<const char*>(D.data()),
            static_cast<std::streamsize>(D.size() * sizeof(double)));
  }
}

TPelSurvey& SurveyOfSize(int N) {
  static std::map<int, TSurveyOfSize> Surveys;
  auto It = Surveys.find(N);
  if (It != Surveys.end()) return *It->second.Survey;
  RegisterAnalysisClasses();
  const TTableColumns C = TableColumns(N);
  Dump(C, N);
  TSurveyOfSize& S = Surveys[N];
  S.Bytes = TableSurveyBytes(C);
  S.Stream = std::make_unique<TMemoryStream>(std::string_view(S.Bytes));
  S.Survey = New<TPelSurvey>("bench.zos", 1);
  S.Survey->ReadSurveyFile(*S.Stream);
  return *S.Survey;
}

void BM_TableColumnPercent(benchmark::State& State) {
  static std::unique_ptr<TOrvLangManager> Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding(Lang.get());
  TPelSurvey& S = SurveyOfSize(static_cast<int>(State.range(0)));
  TBenchTable T(S, "pctCol", false);
  T.Calculate(false);  // the columns decoded once
  int64_t Apart = 0;
  for (auto _ : State) Apart += T.Calculate(false);
  State.SetItemsProcessed(State.iterations() * State.range(0));
  State.counters["cells_one_by_one"] = static_cast<double>(Apart);
  State.counters["value_0_0"] = T.Cells[0]->Value;
}
BENCHMARK(BM_TableColumnPercent)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_TableColumnMeansWithMarks(benchmark::State& State) {
  static std::unique_ptr<TOrvLangManager> Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding(Lang.get());
  TPelSurvey& S = SurveyOfSize(static_cast<int>(State.range(0)));
  TBenchTable T(S, "meanCol", true);
  T.Calculate(true);
  int64_t Apart = 0;
  for (auto _ : State) Apart += T.Calculate(true);
  int Marks = 0;
  for (auto& C : T.Cells) Marks += C->SigMark != 0;
  State.SetItemsProcessed(State.iterations() * State.range(0));
  State.counters["cells_one_by_one"] = static_cast<double>(Apart);
  State.counters["marks"] = Marks;
}
BENCHMARK(BM_TableColumnMeansWithMarks)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quin::bench
