// The definition-language scanner (TRixScanner) reading a survey definition of about 10 MB
// made from the demonstration survey's, token by token, in MB/s; a hand-written tokenizer of
// the same text takes turns with it (bench/interleaved.h): x_hand is the scanner's time as a
// multiple of the tokenizer's (the goal is at most 3). Both must find the same tokens.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/definitions.h"
#include "bench/interleaved.h"
#include "deflang/rixscanner.h"
#include "tools/demosurvey/demosurvey.h"

namespace quin {
namespace {

const std::string& LargeText() {
  static const std::string Text = DemoSurveyDefinition(bench::LargeDefinitionUtf8(10 << 20));
  return Text;
}

// Every token up to the end: their number (the end token not counted) and the sum of their
// lines.
bench::THandTokens ScanAll(TRixScanner& S) {
  bench::THandTokens R;
  for (S.NextToken(); !S.Token->IsExactly<TOrvTokenEOF>(); S.NextToken()) {
    ++R.Tokens;
    R.LineSum += static_cast<size_t>(S.Token->StartPos.Line);
  }
  return R;
}

void BM_RixScannerDefinition(benchmark::State& State) {
  const std::string& Text = LargeText();
  bench::TInterleaved T(State, {"hand"});
  bench::THandTokens Scanned, Hand;
  for (auto _ : State) {
    // The scanner takes the text over, as the survey reader hands it its inflated text; it is
    // freed outside the measured time.
    TOrvMsgList Msgs(100, 100);
    std::string Copy = Text;
    std::unique_ptr<TRixScanner> S;
    T.Subject([&] {
      S = TRixScanner::CreateFromText(std::move(Copy), &Msgs);
      Scanned = ScanAll(*S);
    });
    S.reset();
    if (Msgs.Count() != 0) State.SkipWithError("the definition should scan cleanly");
    T.Reference(0, [&] {
      Hand = bench::HandTokenize(Text);
      benchmark::DoNotOptimize(Hand);
    });
  }
  if (Scanned.Tokens != Hand.Tokens || Scanned.LineSum != Hand.LineSum)
    State.SkipWithError("the scanner and the tokenizer disagree");
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Text.size()));
  State.counters["tokens"] = static_cast<double>(Scanned.Tokens);
}
BENCHMARK(BM_RixScannerDefinition)->UseManualTime()->Unit(benchmark::kMillisecond);

// Hostile shape: one unclosed comment over the whole text ends in one message, in linear time.
void BM_RixScannerUnclosedComment(benchmark::State& State) {
  const std::string Text = "/*" + std::string(static_cast<size_t>(State.range(0)) << 20, 'x');
  for (auto _ : State) {
    TOrvMsgList Msgs(0, 0);
    auto S = TRixScanner::CreateFromText(Text, &Msgs);
    S->NextToken();
    benchmark::DoNotOptimize(S->Token.get());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Text.size()));
}
BENCHMARK(BM_RixScannerUnclosedComment)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quin
