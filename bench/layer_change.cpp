// One layer change of the report window's table, without the transport: the demonstration
// survey (5,000 respondents) and the load report of bench/reports/demo_load.zor (demographics
// by age group, counts and column shares, the waves as the layer). Each iteration selects the
// other wave, recalculates the table and renders it as the table pane does; the counters
// give the heap allocations per change (the server's worker threads share the heap, so every
// allocation there is also a point of contention).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <string>

#include "analysis/pelpar.h"
#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "definitions.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "reports/register.h"

namespace {
std::atomic<int64_t> GAllocations{0};
}  // namespace

// Every allocation of the process is counted; the counting is one relaxed increment.
void* operator new(std::size_t Size) {
  GAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* P = std::malloc(Size == 0 ? 1 : Size)) return P;
  throw std::bad_alloc();
}
// The replaced new takes its memory from malloc, so free is its match (which the compiler
// cannot see).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }
#pragma GCC diagnostic pop

namespace quin {
namespace {

struct TLayerBench {
  std::unique_ptr<TOrvLangManager> Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding{Lang.get()};
  std::filesystem::path Path;
  std::unique_ptr<TPelSurvey> Survey;
  std::unique_ptr<TPelRep> Report;
  TPelRepElemTable* Table = nullptr;
  TPelPar* Layer = nullptr;

  TLayerBench() {
    RegisterReportsClasses();
    Path = std::filesystem::temp_directory_path() /
           ("quin_layer_bench_" + std::to_string(getpid()) + ".zos");
    std::ofstream(Path, std::ios::binary)
        << DemoSurveyFileBytes(bench::DemoDefinitionUtf8(), bench::DemoParams());
    Survey = New<TPelSurvey>(Path.string(), 1);
    Survey->LoadFromFile(Path.string());
    if (!Survey->AfterOpen()) throw Exception("after-open steps failed");
    Report = std::make_unique<TPelRep>(Survey.get());
    std::ifstream In(std::string(QUIN_BENCH_DIR) + "/reports/demo_load.zor", std::ios::binary);
    std::stringstream Text;
    Text << In.rdbuf();
    const std::string Bytes = Text.str();
    TMemoryStream Stream{std::string_view(Bytes)};
    TOrvMsgList Msgs;
    Report->LoadFromStream(Stream, &Msgs);
    Table = As<TPelRepElemTable>(Report->Root()->Child(0)->Child(0));
    if (!Table || Table->LayerParams->Count() == 0) throw Exception("the load report has no layer");
    Layer = Table->LayerParams->GetItem(0);
    Table->Calculate();
  }
  ~TLayerBench() {
    std::error_code E;
    std::filesystem::remove(Path, E);
  }
  static TLayerBench& Get() {
    static TLayerBench B;
    return B;
  }
};

void BM_LayerChange(benchmark::State& State) {
  TLayerBench& B = TLayerBench::Get();
  TPelRepElemTable& T = *B.Table;
  const int Items = B.Layer->GetItemCount();
  int Item = 0;
  size_t Bytes = 0;
  const int64_t Before = GAllocations.load();
  for (auto _ : State) {
    Item = (Item + 1) % Items;
    T.ParSelections->SetSelected(B.Layer, Item);
    T.Calculate();
    // What the table pane does before it renders.
    T.ClearHeaderTexts();
    T.BuildRowHeaders(false);
    T.BuildColHeaders(false);
    T.FillCoordinates();
    T.FormatCellTexts();
    T.ApplySort();
    const std::string Html = T.RenderHtmlText();
    Bytes = Html.size();
    benchmark::DoNotOptimize(Html.data());
  }
  State.counters["allocations"] = static_cast<double>(GAllocations.load() - Before) /
                                  static_cast<double>(std::max<int64_t>(State.iterations(), 1));
  State.counters["cells"] = (T.ColCount - T.FirstDataCol) * (T.RowCount - T.FirstDataRow);
  State.counters["bytes"] = static_cast<double>(Bytes);
}
BENCHMARK(BM_LayerChange)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quin
