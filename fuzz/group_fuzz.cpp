// Fuzz target of the target-group expressions: an input is the text of a target group's "expr"
// key, read for a small survey with a coded, a numeric and a grid question, five waves and a
// weighting. Odd-sized inputs are read with the session's message list, which stops at the
// first error. Every failure must be one of the program's exceptions. The group read is
// written, and what is written reads back (with no more messages than the input gave) into a
// group that writes the same text; a copy writes it too and counts as the group
// does, with and without the weighting.
// Crashes, hangs, leaks and sanitizer reports are findings.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "analysis/pelgroup.h"
#include "analysis/pelsurvey.h"
#include "analysis/register.h"
#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "deflang/rixscanner.h"
#include "fuzz/fuzz_survey.h"
#include "surveykit/gimdata.h"

using namespace quin;

namespace {

TPelSurvey* GSurvey = nullptr;

// Reads a group's keys from Body; false when the reading raised.
bool ReadGroup(TPelGroup& G, const std::string& Body, TOrvMsgList& Msgs) {
  try {
    auto S = New<TRixScanner>(Body, &Msgs);
    S->NextToken();
    G.ReadBody(*S, GSurvey);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

std::string Written(const TPelGroup& G) {
  TMemoryStream M;
  int Indent = 0;
  G.WriteBody(M, Indent);
  return std::string(reinterpret_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
}

struct TCounts {
  int Selected;
  double Cases, Missing, WSelected, WCases, WMissing;
  bool operator==(const TCounts&) const = default;
};

TCounts Evaluated(TPelGroup& G, const TGimWeight* Weight) {
  const int Selected = G.Evaluate(GSurvey->Waves.get(), Weight, GSurvey->Recset(0));
  return {Selected,           G.CaseCount,     G.MissingCount,
          G.WeightedSelected, G.WeightedCases, G.WeightedMissing};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterAnalysisClasses();
  static std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  static TLangManagerBinding Binding(Manager.get());
  static const std::string Bytes = FuzzSurveyBytes(true);
  static TMemoryStream Stream{std::string_view(Bytes)};
  static std::unique_ptr<TPelSurvey> Survey = New<TPelSurvey>("fuzz.zos", 1);
  Survey->ReadSurveyFile(Stream);
  GSurvey = Survey.get();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Expr(reinterpret_cast<const char*>(Data), Size);
  TOrvMsgList Msgs(0, Size % 2 == 1 ? 1 : 0);
  auto G = New<TPelGroup>(GSurvey, nullptr);
  if (!ReadGroup(*G, "expr = " + Expr + ";\r\nend;", Msgs)) return 0;
  for (int I = 0; I < Msgs.Count(); ++I) (void)Msgs.GetItem(I)->MessageText();
  (void)G->GetText();

  const std::string Text = Written(*G);
  TOrvMsgList Again;
  auto Back = New<TPelGroup>(GSurvey, nullptr);
  // What is written reads back with no more messages than the input gave (a range kept with
  // its warning or error gives it again; what was dropped gives nothing).
  if (!ReadGroup(*Back, Text + "end;", Again) || Again.Count() > Msgs.Count() ||
      Again.ErrorCount() > Msgs.ErrorCount() || Written(*Back) != Text) {
    std::fprintf(stderr, "written:\n%s\nread back (%d messages%s%s):\n%s\n", Text.c_str(),
                 Again.Count(), Again.Count() ? ", the first: " : "",
                 Again.Count() ? Again.GetItem(0)->MessageText().c_str() : "",
                 Written(*Back).c_str());
    __builtin_trap();
  }
  TPelGroup Copy(*G);
  if (Written(Copy) != Text) __builtin_trap();

  const TGimWeight* Weight = GSurvey->Weights->FindByID("wgt");
  for (const TGimWeight* W : {static_cast<const TGimWeight*>(nullptr), Weight}) {
    const TCounts Own = Evaluated(*G, W);
    if (Own.Selected < 0 || Own.Selected + Own.Missing > Own.Cases + 0.5 ||
        !(Evaluated(Copy, W) == Own) || !(Evaluated(*Back, W) == Own))
      __builtin_trap();
  }
  return 0;
}
