#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/orvstrings.h"
#include "base/random.h"

namespace {

// A mask that makes a naive recursive matcher try every split of its stars.
void BM_MatchesWildcardPathological(benchmark::State& State) {
  const std::string Text(size_t(State.range(0)), 'a');
  const std::string Mask = "*a*a*a*a*a*a*a*a*b";
  for (auto _ : State)
    benchmark::DoNotOptimize(quin::MatchesWildcard(Text, Mask, /*Wildcards=*/true, /*Sets=*/false));
  State.SetComplexityN(State.range(0));
}
BENCHMARK(BM_MatchesWildcardPathological)->Arg(200)->Arg(2000)->Arg(20000)->Complexity();

// The everyday use: column names against a mask.
void BM_MatchesWildcardColumnName(benchmark::State& State) {
  for (auto _ : State)
    benchmark::DoNotOptimize(
        quin::MatchesWildcard("q12_3_b", "q1*_?_b", /*Wildcards=*/true, /*Sets=*/false));
}
BENCHMARK(BM_MatchesWildcardColumnName);

std::vector<int32_t> RandomValues(size_t N) {
  std::vector<int32_t> V(N);
  uint32_t State = 7;
  for (int32_t& X : V) {
    State = State * 1664525u + 1013904223u;
    X = int32_t(State >> 1);
  }
  return V;
}

void BM_SortIntegersRandom(benchmark::State& State) {
  const std::vector<int32_t> Source = RandomValues(100000);
  std::vector<int32_t> V;
  for (auto _ : State) {
    V = Source;
    quin::SortIntegers(V.data(), int(V.size()));
    benchmark::DoNotOptimize(V.data());
  }
}
BENCHMARK(BM_SortIntegersRandom)->Unit(benchmark::kMillisecond);

void BM_SortIntegersSorted(benchmark::State& State) {
  std::vector<int32_t> Source(100000);
  for (size_t I = 0; I < Source.size(); ++I) Source[I] = int32_t(I);
  std::vector<int32_t> V;
  for (auto _ : State) {
    V = Source;
    quin::SortIntegers(V.data(), int(V.size()));
    benchmark::DoNotOptimize(V.data());
  }
}
BENCHMARK(BM_SortIntegersSorted)->Unit(benchmark::kMillisecond);

}  // namespace
