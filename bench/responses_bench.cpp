#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "deflang/rixcodereader.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimstat.h"
#include "surveykit/mersurvey.h"

namespace {

using namespace quin;

constexpr int kRecords = 1000000;

// One column of answers held in memory; every tenth record has none.
class TMemRecset : public TMerRecset {
 public:
  int RecCount() const override { return kRecords; }
  void LoadColumn(const std::string&, std::vector<double>& Values) override {
    for (size_t I = 0; I < Values.size(); ++I)
      Values[I] = I % 10 == 9 ? GimValueNoData : static_cast<double>((I * 7919) % 100);
  }
};

// A response with a code list holding single codes and ranges, evaluated over a million
// records whose column is already loaded: the linear pass of a table cell.
void BM_EvaluateResponseCodesAndRange(benchmark::State& State) {
  auto Survey = New<TMerSurvey>("s.zos");
  TMerRecset* Resp = Survey->RecsetList->Add(std::make_unique<TMemRecset>());
  Resp->ID = "resp";
  auto R = Survey->CreateResponse(nullptr);
  R->SetColumn(nullptr, "q");
  {
    TOrvMsgList Msgs;
    auto S = TRixScanner::CreateFromText("1, 3:5, 20:40, >= 90", &Msgs);
    S->NextToken();
    R->Codes = std::make_unique<TRixCodeList>();
    ParseCodeList(*R->Codes, *S, nullptr);
  }
  TMerRecsetColList Cols(Survey.get());
  R->RegisterColumns(Resp, Cols);
  Cols.LoadValues();
  std::vector<uint8_t> Selected(kRecords), Missing(kRecords);
  for (auto _ : State) {
    R->Evaluate(Selected, Missing, true, Cols, Resp);
    benchmark::DoNotOptimize(Selected.data());
    benchmark::ClobberMemory();
  }
  State.SetItemsProcessed(State.iterations() * kRecords);
  State.counters["records/s"] = benchmark::Counter(static_cast<double>(kRecords),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EvaluateResponseCodesAndRange)->Unit(benchmark::kMillisecond);

}  // namespace
