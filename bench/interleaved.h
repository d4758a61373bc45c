// Measures a subject against reference runs of the same work in the same benchmark, taking
// turns iteration by iteration, so that both see the same machine load. The benchmark's own
// time is the subject's (manual time); each reference adds a counter with its mean time in
// microseconds ("<name>_us") and the subject's time as a multiple of it ("x_<name>").
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace quin::bench {

class TInterleaved {
 public:
  TInterleaved(benchmark::State& AState, std::vector<std::string> ANames)
      : State(AState), Names(std::move(ANames)), Totals(Names.size(), 0.0) {}
  ~TInterleaved() { Report(); }

  // Times one run of the subject and sets it as the iteration's time.
  template <class F>
  void Subject(F&& Fn) {
    const double T = Time(Fn);
    SubjectTotal += T;
    State.SetIterationTime(T);
  }
  // Times one run of reference I.
  template <class F>
  void Reference(size_t I, F&& Fn) {
    Totals[I] += Time(Fn);
  }

 private:
  template <class F>
  static double Time(F& Fn) {
    const auto Start = std::chrono::steady_clock::now();
    Fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  }
  void Report() {
    if (SubjectTotal <= 0) return;
    const double N = static_cast<double>(State.iterations());
    for (size_t I = 0; I < Names.size(); ++I) {
      if (Totals[I] <= 0) continue;
      State.counters[Names[I] + "_us"] = Totals[I] / N * 1e6;
      State.counters["x_" + Names[I]] = SubjectTotal / Totals[I];
    }
  }

  benchmark::State& State;
  std::vector<std::string> Names;
  std::vector<double> Totals;
  double SubjectTotal = 0;
};

}  // namespace quin::bench
