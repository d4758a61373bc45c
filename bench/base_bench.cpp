#include <benchmark/benchmark.h>

#include "base/metaclass.h"
#include "base/register.h"
#include "base/text.h"

namespace {

void BM_ClassLookupByName(benchmark::State& State) {
  quin::RegisterBaseClasses();
  for (auto _ : State) benchmark::DoNotOptimize(quin::ClassRegistry::Find("tobject"));
}
BENCHMARK(BM_ClassLookupByName);

void BM_Cp1250Literal(benchmark::State& State) {
  for (auto _ : State)
    benchmark::DoNotOptimize(quin::Cp1250("<PLK>Błąd krytyczny<ENU>Fatal error"));
}
BENCHMARK(BM_Cp1250Literal);

}  // namespace

#include "base/langmanager.h"
#include "base/orvmessages.h"

namespace {

// Every label and header of a page is translated: thousands per page.
void BM_TranslateText(benchmark::State& State) {
  auto M = quin::New<quin::TOrvLangManager>("enu");
  const std::string Text = quin::Cp1250(
      "<PLK>Wybierz pytania, grupy celowe i fale badania.\\nKliknij Dalej.<ENU>Choose the "
      "questions, target groups and waves of the survey.\\nClick Next.");
  for (auto _ : State) benchmark::DoNotOptimize(M->TranslateText(Text, "<br>"));
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Text.size()));
}
BENCHMARK(BM_TranslateText);

// A text with many "<" and no ">" stays linear.
void BM_TranslateManyOpenBrackets(benchmark::State& State) {
  auto M = quin::New<quin::TOrvLangManager>("enu");
  const std::string Text(size_t(State.range(0)), '<');
  for (auto _ : State) benchmark::DoNotOptimize(M->Translate(Text));
  State.SetComplexityN(State.range(0));
}
BENCHMARK(BM_TranslateManyOpenBrackets)->Range(1 << 10, 1 << 16)->Complexity();

// A long reading with no limits adds messages in constant time each.
void BM_MsgListAdd(benchmark::State& State) {
  static const quin::TOrvMsgClass kWarn{"TBenchMsg_Warning", &quin::TOrvMsgKind_Warning, "w"};
  for (auto _ : State) {
    quin::TOrvMsgList L(0, 1000000);
    for (int I = 0; I < State.range(0); ++I) L.Add(quin::TOrvMsg::Create(kWarn, {}));
    benchmark::DoNotOptimize(L.Count());
  }
  State.SetComplexityN(State.range(0));
}
BENCHMARK(BM_MsgListAdd)->Range(1 << 8, 1 << 14)->Complexity();

}  // namespace
