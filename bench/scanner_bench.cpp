#include <benchmark/benchmark.h>

#include <string>

#include "base/orvscanner.h"

namespace {

using namespace quin;

class TBenchSep : public TOrvTerminal {
  QUIN_CLASS(TBenchSep, TOrvTerminal)
};
class TBenchEq : public TOrvTerminal {
  QUIN_CLASS(TBenchEq, TOrvTerminal)
};
QUIN_IMPLEMENT_CLASS(TBenchSep, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TBenchEq, TOrvTerminal)

class TBenchTerminals : public TOrvTerminalList {
 public:
  using TOrvTerminalList::TOrvTerminalList;
  void RegisterTerminals() override {
    AddTerminal(";", TBenchSep::StaticClass());
    AddTerminal("=", TBenchEq::StaticClass());
    for (const char* K : {"def", "end", "and", "or", "not", "in", "[", "]", ",", ":", "-", "/", "<",
                          "<=", ">", ">=", "(", ")", "@"})
      AddKeyword(K);
  }
};

// A definition-language scanner: its terminals and texts on.
class TBenchScanner : public TOrvScanner {
 public:
  using TOrvScanner::TOrvScanner;
  std::unique_ptr<TOrvTerminalList> CreateTerminalList() override {
    return New<TBenchTerminals>(CaseSensitive);
  }
  void SetDefaults() override {
    TOrvScanner::SetDefaults();
    MultiLineStrings = true;
  }
};

// A survey-definition-like text of at least Size bytes, CR LF line ends.
std::string DefinitionText(size_t Size) {
  std::string T;
  T.reserve(Size + 1024);
  for (int I = 0; T.size() < Size; ++I) {
    const std::string N = std::to_string(I);
    T += "def question q" + N + "\r\n";
    T += "  // question " + N + "\r\n";
    T += "  label = \"<PLK>Pytanie \"\"" + N + "\"\"<ENU>Question " + N + "\";\r\n";
    T += "  codes = [1, 2, 3, " + N + ", 1000:1999] ; weight = 1.25E+2; share = 0." + N + ";\r\n";
    T += "  data = $0A1B2C3D4E5F60718293A4B5C6D7E8F9;\r\n";
    T += "  /* block comment\r\n     over two lines */\r\n";
    T += "  note = <<first line of the note\r\nsecond line >>>> with a > sign>>;\r\n";
    T += "  filter = (age >= 18) and not region.code in [4, 5];\r\n";
    T += "end;\r\n";
  }
  return T;
}

void BM_ScanDefinitionText(benchmark::State& State) {
  const std::string Text = DefinitionText(static_cast<size_t>(State.range(0)) << 20);
  size_t Tokens = 0;
  for (auto _ : State) {
    TOrvMsgList Msgs(0, 0);
    TBenchScanner S(Text, &Msgs);
    S.AfterConstruction();
    do {
      S.NextToken();
      ++Tokens;
    } while (!S.Token->Is<TOrvTokenEOF>());
    if (Msgs.Count() != 0) State.SkipWithError("the generated text should scan cleanly");
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) *
                          static_cast<int64_t>(Text.size()));
  State.counters["tokens"] =
      benchmark::Counter(static_cast<double>(Tokens), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanDefinitionText)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

// Hostile shape: one unclosed comment over the whole text ends in one message, in linear time.
void BM_ScanUnclosedComment(benchmark::State& State) {
  const std::string Text = "/*" + std::string(static_cast<size_t>(State.range(0)) << 20, 'x');
  for (auto _ : State) {
    TOrvMsgList Msgs(0, 0);
    TBenchScanner S(Text, &Msgs);
    S.AfterConstruction();
    S.NextToken();
    benchmark::DoNotOptimize(S.Token.get());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) *
                          static_cast<int64_t>(Text.size()));
}
BENCHMARK(BM_ScanUnclosedComment)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
