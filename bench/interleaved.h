// Measures a subject against reference runs of the same work in the same benchmark, taking
// turns iteration by iteration, so that both see the same machine load. The benchmark's own
// time is the subject's (manual time); each reference adds a counter with its median time in
// microseconds ("<name>_us") and the subject's median time as a multiple of it ("x_<name>").
// Medians keep the odd iteration that another process disturbed from moving the ratios.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace quin::bench {

class TInterleaved {
 public:
  TInterleaved(benchmark::State& AState, std::vector<std::string> ANames)
      : State(AState), Names(std::move(ANames)), References(Names.size()) {}
  ~TInterleaved() { Report(); }
  TInterleaved(const TInterleaved&) = delete;
  TInterleaved& operator=(const TInterleaved&) = delete;

  // Times one run of the subject and sets it as the iteration's time.
  template <class F>
  void Subject(F&& Fn) {
    const double T = Time(Fn);
    Subjects.push_back(T);
    State.SetIterationTime(T);
  }
  // Times one run of reference I.
  template <class F>
  void Reference(size_t I, F&& Fn) {
    References[I].push_back(Time(Fn));
  }

 private:
  template <class F>
  static double Time(F& Fn) {
    const auto Start = std::chrono::steady_clock::now();
    Fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  }
  static double Median(std::vector<double> V) {
    std::nth_element(V.begin(), V.begin() + V.size() / 2, V.end());
    return V[V.size() / 2];
  }
  void Report() {
    if (Subjects.empty()) return;
    const double S = Median(Subjects);
    for (size_t I = 0; I < Names.size(); ++I) {
      if (References[I].empty()) continue;
      const double R = Median(References[I]);
      State.counters[Names[I] + "_us"] = R * 1e6;
      if (R > 0) State.counters["x_" + Names[I]] = S / R;
    }
  }

  benchmark::State& State;
  std::vector<std::string> Names;
  std::vector<double> Subjects;
  std::vector<std::vector<double>> References;
};

}  // namespace quin::bench
