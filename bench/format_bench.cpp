#include <benchmark/benchmark.h>

#include "base/format.h"

namespace {

void BM_FormatGeneral(benchmark::State& State) {
  const quin::TFormatSettings FS;
  double V = 1234.56789;
  for (auto _ : State) {
    benchmark::DoNotOptimize(quin::Format("%g", {V}, FS));
    V += 0.001;
  }
}
BENCHMARK(BM_FormatGeneral);

void BM_FormatNumberTwoDecimals(benchmark::State& State) {
  quin::TFormatSettings FS;
  FS.DecimalSeparator = ',';
  FS.ThousandSeparator = ' ';
  double V = 1234567.891;
  for (auto _ : State) {
    benchmark::DoNotOptimize(quin::Format("%.2n", {V}, FS));
    V += 0.01;
  }
}
BENCHMARK(BM_FormatNumberTwoDecimals);

void BM_TryStrToFloat(benchmark::State& State) {
  const quin::TFormatSettings FS;
  double V = 0;
  for (auto _ : State) {
    benchmark::DoNotOptimize(quin::TryStrToFloat(" -1234.5678e-3 ", V, FS));
    benchmark::DoNotOptimize(V);
  }
}
BENCHMARK(BM_TryStrToFloat);

}  // namespace
