// Reading a survey-sized definition text through the schema parser into objects, and writing
// those objects back as definition text. Both directions are linear in the text size.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/orvstreams.h"
#include "base/properties.h"
#include "deflang/rixparser.h"
#include "deflang/rixwriter.h"

namespace quin {
namespace {

enum TBenchKind { bkSingle, bkMulti, bkOpen };

struct TBenchQuestion : TOrvPersistent {
  QUIN_CLASS(TBenchQuestion, TOrvPersistent)
 public:
  std::string Name;
  std::string Label;
  int32_t Weight = 0;
  bool Active = false;
  TBenchKind Kind = bkSingle;
  std::vector<std::string> Codes;
};

struct TBenchSurvey : TOrvPersistent {
  QUIN_CLASS(TBenchSurvey, TOrvPersistent)
 public:
  std::string Name;
  TOrvTypedList<TBenchQuestion> Questions{true};
};

void DescribeQuestion(TPropTableBuilder<TBenchQuestion>& P) {
  P.Text("name", &TBenchQuestion::Name);
  P.Text("label", &TBenchQuestion::Label);
  P.Int("weight", &TBenchQuestion::Weight);
  P.Bool("active", &TBenchQuestion::Active);
  P.Enum("kind", &TBenchQuestion::Kind, {"bkSingle", "bkMulti", "bkOpen"});
  P.StringList("codesList", &TBenchQuestion::Codes);
}
void DescribeSurvey(TPropTableBuilder<TBenchSurvey>& P) {
  P.Text("name", &TBenchSurvey::Name);
  P.ObjectList("questionList", &TBenchSurvey::Questions);
}

QUIN_IMPLEMENT_CLASS_WITH_PROPS(TBenchQuestion, TOrvPersistent, DescribeQuestion)
QUIN_IMPLEMENT_CLASS_WITH_PROPS(TBenchSurvey, TOrvPersistent, DescribeSurvey)

class TBenchParser : public TRixParser {
 public:
  TBenchParser() : TRixParser(false) {
    Root().AddDef(std::make_unique<TRixDefSimpleStringLong>("name", rdfMandatory | rdfOnce));
    auto* Q = Root().AddDef(std::make_unique<TRixDefComplex>("question", 0, "", "Bench"));
    Q->AddDef(std::make_unique<TRixDefSimpleIdentifier>("name", rdfMandatory | rdfOnce));
    Q->AddDef(std::make_unique<TRixDefSimpleStringLong>("label", rdfOnce | rdfNotBlank));
    Q->AddDef(std::make_unique<TRixDefSimpleInteger>("weight", rdfOnce));
    Q->AddDef(std::make_unique<TRixDefSimpleBoolean>("active", rdfOnce));
    auto* K = Q->AddDef(std::make_unique<TRixDefSimpleEnum>("type", rdfOnce, "bk"));
    for (const char* N : {"single", "multi", "open"}) K->AddName(N);
    Q->AddDef(std::make_unique<TRixDefSimpleIdentifier>("codes", rdfOnce | rdfList | rdfUnique));
  }
};

void WriteSurvey(TStream& S, const TBenchSurvey& Survey) {
  static const char* const Kinds[] = {"single", "multi", "open"};
  int Indent = 0;
  WriteKeyString(S, Indent, "name", "", Survey.Name);
  for (int I = 0; I < Survey.Questions.Count(); ++I) {
    const TBenchQuestion& Q = *Survey.Questions[I];
    WriteDefStart(S, Indent, "question");
    WriteKeyIdentifier(S, Indent, "name", "", Q.Name);
    WriteKeyString(S, Indent, "label", "", Q.Label);
    WriteKeyInteger(S, Indent, "weight", "", Q.Weight);
    WriteKeyBoolean(S, Indent, "active", "", Q.Active);
    WriteKeyIdentifier(S, Indent, "type", "", Kinds[Q.Kind]);
    std::string Codes;
    for (size_t C = 0; C < Q.Codes.size(); ++C) Codes += (C ? ", " : "") + Q.Codes[C];
    WriteKeyValue(S, Indent, "codes", "", Codes);
    WriteDefEnd(S, Indent);
  }
}

// A survey-like text of about Bytes bytes.
std::string SurveyText(size_t Bytes) {
  TBenchSurvey Survey;
  Survey.Name = "Bench survey";
  size_t Approx = 0;
  for (int I = 0; Approx < Bytes; ++I) {
    auto* Q = Survey.Questions.Add(New<TBenchQuestion>());
    Q->Name = "q" + std::to_string(I);
    Q->Label = "How often do you read title " + std::to_string(I) + " (\"print\" or online)?";
    Q->Weight = I % 97;
    Q->Active = I % 3 != 0;
    Q->Kind = static_cast<TBenchKind>(I % 3);
    for (int C = 0; C < 6; ++C) Q->Codes.push_back("c" + std::to_string(C + I % 5));
    Approx += 190;
  }
  TMemoryStream S;
  WriteSurvey(S, Survey);
  return S.DataString();
}

void ReadText(const std::string& Text, TBenchSurvey& Survey) {
  ClassRegistry::Register(TBenchQuestion::StaticClass());
  TBenchParser P;
  TOrvMsgList Msgs(100, 100);
  auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
  TOrvLangManager* Lang = nullptr;
  P.Parse(Lang, *Scanner, &Survey);
  if (Msgs.Count() != 0) throw Exception("bench text reported problems");
}

void BM_RixParserRead(benchmark::State& State) {
  const std::string Text = SurveyText(static_cast<size_t>(State.range(0)) << 20);
  for (auto _ : State) {
    TBenchSurvey Survey;
    ReadText(Text, Survey);
    benchmark::DoNotOptimize(Survey.Questions.Count());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * Text.size());
}
BENCHMARK(BM_RixParserRead)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_RixWriterWrite(benchmark::State& State) {
  const std::string Text = SurveyText(static_cast<size_t>(State.range(0)) << 20);
  TBenchSurvey Survey;
  ReadText(Text, Survey);
  size_t Written = 0;
  for (auto _ : State) {
    TMemoryStream S;
    WriteSurvey(S, Survey);
    Written = static_cast<size_t>(S.Size());
    benchmark::DoNotOptimize(S.Memory());
  }
  if (Written != Text.size()) State.SkipWithError("written text differs in size from the read");
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * Written);
}
BENCHMARK(BM_RixWriterWrite)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quin
