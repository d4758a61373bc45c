#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "surveykit/mersurvey.h"

namespace {

using namespace quin;

// A record set whose columns are made in memory on request.
class TBenchRecset : public TMerRecset {
 public:
  int Records = 0;
  int RecCount() const override { return Records; }
  void LoadColumn(const std::string&, std::vector<double>& Values) override {
    for (size_t I = 0; I < Values.size(); ++I)
      Values[I] = I % 97 == 0 ? -1.7e308 : 0.5 + static_cast<double>(I % 13) * 0.25;
  }
};

class TBenchSurvey : public TMerSurvey {
 public:
  using TMerSurvey::TMerSurvey;
  std::unique_ptr<TGimWeightList> CreateWeightList() override {
    return std::make_unique<TGimWeightList>(this);
  }
};

// 1,000,000 respondents, each with two or three panel records; a respondent weighting with a
// population, prepared for the panel (across the join) and for the respondents themselves.
struct TBenchData {
  std::unique_ptr<TBenchSurvey> Survey = New<TBenchSurvey>("bench.zos");
  TBenchRecset* Resp;
  TBenchRecset* Panel;
  TGimWeight* Weight;

  TBenchData() {
    constexpr int Respondents = 1000000;
    Resp = Survey->RecsetList->Add(std::make_unique<TBenchRecset>());
    Resp->ID = "resp";
    Resp->Records = Respondents;
    Panel = Survey->RecsetList->Add(std::make_unique<TBenchRecset>());
    Panel->ID = "panel";
    auto Join = std::make_unique<TMerRespInPanels>(Survey.get(), 1);
    Join->CaseRanges.resize(Respondents);
    int Next = 0;
    for (int R = 0; R < Respondents; ++R) {
      const int Count = 2 + R % 2;
      Join->CaseRanges[R] = {Next, Next + Count - 1, static_cast<double>(R)};
      Next += Count;
    }
    Panel->Records = Next;
    Survey->PanelJoins.resize(2);
    Survey->PanelJoins[1] = std::move(Join);
    auto W = Survey->Weights->CreateWeight();
    W->ID = "w";
    W->Population = 30e6;
    W->Column = Survey->CreateCol(nullptr, "w");
    Weight = Survey->Weights->Add(std::move(W));
  }
};

TBenchData& Data() {
  static TBenchData D;
  return D;
}

// The pair alternates, so that every call prepares the vector anew.
void BM_PrepareWeightsAcrossJoin(benchmark::State& State) {
  TBenchData& D = Data();
  int64_t Records = 0;
  bool Flip = false;
  for (auto _ : State) {
    TMerRecset* Target = Flip ? static_cast<TMerRecset*>(D.Resp) : D.Panel;
    D.Survey->Weights->PrepareWeights(D.Weight, Target);
    benchmark::DoNotOptimize(D.Survey->Weights->WeightTotal());
    Records += Target->RecCount();
    Flip = !Flip;
  }
  State.counters["records/s"] =
      benchmark::Counter(static_cast<double>(Records), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrepareWeightsAcrossJoin)->Unit(benchmark::kMillisecond);

// A prepared pair asked again: the vector is reused.
void BM_PrepareWeightsReused(benchmark::State& State) {
  TBenchData& D = Data();
  D.Survey->Weights->PrepareWeights(D.Weight, D.Panel);
  for (auto _ : State) {
    D.Survey->Weights->PrepareWeights(D.Weight, D.Panel);
    benchmark::DoNotOptimize(D.Survey->Weights->WeightTotal());
  }
}
BENCHMARK(BM_PrepareWeightsReused);

}  // namespace
