// Evaluating a target group of five conditions joined by "and", "or" and "not" over 1,000,000
// respondents (two waves), weighted, counting over both waves: records per second. Each
// condition decodes its column and makes one pass over it; the tree combines byte flags in
// one pass per child. The survey is written once per run and read from memory.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "analysis/pelgroup.h"
#include "analysis/pelsurvey.h"
#include "analysis/register.h"
#include "base/langmanager.h"
#include "deflang/rixscanner.h"
#include "tools/surveywriter/zoswriter.h"

namespace quin {
namespace {

constexpr int kRespondents = 1000000;
constexpr int kQuestions = 5;

std::string GroupBenchDefinition() {
  std::string S =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = bench; name = \"Bench\"; wizards = table1d; end;\r\n"
      "def recordset id = resp; name = \"Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\nend;\r\n"
      "def weights def weight id = wgt; name = \"W\"; population = 1000; column = w; end; end;\r\n"
      "def waves def wave id = w1; name = \"W1\"; end; def wave id = w2; name = \"W2\"; end; "
      "end;\r\ndef data\r\n";
  for (int Q = 1; Q <= kQuestions; ++Q) {
    const std::string ID = "q" + std::to_string(Q);
    S += "def question id = " + ID + "; name = \"" + ID + "\"; def responseList column = " + ID +
         ";\r\n";
    for (int R = 1; R <= 4; ++R)
      S += "  def response id = r" + std::to_string(R) +
           "; name = \"R\"; code = " + std::to_string(R) + "; end;\r\n";
    S += "end; end;\r\n";
  }
  return S + "end;\r\n";
}

struct TGroupBench {
  std::string Bytes;
  std::unique_ptr<TMemoryStream> Stream;
  std::unique_ptr<TPelSurvey> Survey;
  std::unique_ptr<TPelGroup> Group;

  TGroupBench() {
    RegisterAnalysisClasses();
    std::mt19937 G(11);
    TSwSurveyRecset R{"resp", {}};
    for (int W = 0; W < 2; ++W) {
      TSwSurveyWave Wave;
      Wave.Records = kRespondents / 2;
      for (int Q = 1; Q <= kQuestions; ++Q) {
        TSwSurveyColumn C{"q" + std::to_string(Q), {}, {}};
        C.Values.reserve(Wave.Records);
        // Codes 1 to 4, a tenth missing.
        for (int I = 0; I < Wave.Records; ++I)
          C.Values.push_back(G() % 10 == 0 ? kPelMissingDouble : 1.0 + G() % 4);
        Wave.Columns.push_back(std::move(C));
      }
      TSwSurveyColumn Wt{"w", {}, {}};
      for (int I = 0; I < Wave.Records; ++I) Wt.Values.push_back(0.5 + (G() % 4) * 0.25);
      Wave.Columns.push_back(std::move(Wt));
      R.Waves.push_back(std::move(Wave));
    }
    Bytes = SurveyFileBytes(GroupBenchDefinition(), {R});
    Stream = std::make_unique<TMemoryStream>(std::string_view(Bytes));
    Survey = New<TPelSurvey>("bench.zos", 1);
    Survey->ReadSurveyFile(*Stream);
    Group = New<TPelGroup>(Survey.get(), nullptr);
    TOrvMsgList Msgs(0, 0);
    auto S = New<TRixScanner>(
        "(q1 = r1 or q2 in [r2, r3]) and not q3 = r4 and (q4 = r1 or not q5 = r2)", &Msgs);
    S->NextToken();
    Group->ParseExpr(*S, Survey.get());
  }
};

void BM_GroupEvaluate(benchmark::State& State) {
  static TGroupBench B;
  const TGimWeight* W = B.Survey->Weights->FindByID("wgt");
  for (auto _ : State) {
    benchmark::DoNotOptimize(B.Group->Evaluate(B.Survey->Waves.get(), W, B.Survey->Recset(0)));
  }
  State.SetItemsProcessed(State.iterations() * kRespondents);
  State.counters["selected"] = B.Group->SelectedCount;
}
BENCHMARK(BM_GroupEvaluate)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quin
