#include <benchmark/benchmark.h>

#include "base/metaclass.h"
#include "base/register.h"
#include "base/text.h"

namespace {

void BM_ClassLookupByName(benchmark::State& State) {
  quin::RegisterAllClasses();
  for (auto _ : State) benchmark::DoNotOptimize(quin::ClassRegistry::Find("tobject"));
}
BENCHMARK(BM_ClassLookupByName);

void BM_Cp1250Literal(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(quin::Cp1250("<PLK>Błąd krytyczny<ENU>Fatal error"));
}
BENCHMARK(BM_Cp1250Literal);

}  // namespace
