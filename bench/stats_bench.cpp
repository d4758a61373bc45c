#include <benchmark/benchmark.h>

#include "base/orvstats.h"

namespace {

// One significance mark of a mean cell: the variance check and a t-test.
void BM_TwoSampleTestPValue(benchmark::State& State) {
  const double Alphas[2] = {0.05, 0.1};
  int I = 0;
  for (auto _ : State) {
    const double Shift = (I & 7) * 0.01;
    benchmark::DoNotOptimize(
        quin::TwoSampleTestPValue(Alphas[I & 1], 10, 4, 300, 10.4 + Shift, 6.5, 250));
    ++I;
  }
}
BENCHMARK(BM_TwoSampleTestPValue);

// The bounds of a level not yet kept: a full quantile search. The 64 levels in turn are more
// than are kept, so every call computes.
void BM_NormalConfidenceBoundsCold(benchmark::State& State) {
  int I = 0;
  for (auto _ : State) {
    double Lower = 0, Upper = 0;
    quin::NormalConfidenceBounds(Lower, Upper, 0.9 + (I % 64) * 0.001);
    benchmark::DoNotOptimize(Upper);
    ++I;
  }
}
BENCHMARK(BM_NormalConfidenceBoundsCold);

// The same level again, as a table asks for it cell after cell.
void BM_NormalConfidenceBoundsKept(benchmark::State& State) {
  for (auto _ : State) {
    double Lower = 0, Upper = 0;
    quin::NormalConfidenceBounds(Lower, Upper, 0.95);
    benchmark::DoNotOptimize(Upper);
  }
}
BENCHMARK(BM_NormalConfidenceBoundsKept);

void BM_MaxErrorPercent(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(quin::MaxErrorPercent(0.95, 1000));
}
BENCHMARK(BM_MaxErrorPercent);

}  // namespace
