// Fuzz target of the report-file reader: an input is a whole report file, read for a survey
// with questions, two record sets and a weighting. Odd-sized inputs are read with the session's
// message list, which stops at the first error. Every failure must be one of the program's
// exceptions. A report read without errors is written and read back with all its elements;
// written and read once more it gives the same text. Crashes, hangs, leaks and sanitizer reports
// are findings.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelsurvey.h"
#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "fuzz/fuzz_survey.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/register.h"

using namespace quin;

namespace {

TPelSurvey* Survey = nullptr;

std::string Written(const TPelRep& R) {
  TMemoryStream M;
  R.SaveToStream(M);
  return std::string(reinterpret_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
}

// Reads Text into R; false when the reading raised or reported an error.
bool ReadWithoutErrors(TPelRep& R, std::string_view Text, TOrvMsgList& Msgs) {
  TMemoryStream M(Text);
  try {
    R.LoadFromStream(M, &Msgs);
  } catch (const Exception&) {
    return false;
  }
  return Msgs.ErrorCount() == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterReportsClasses();
  static std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  static TLangManagerBinding Binding(Manager.get());
  static const std::string Bytes = FuzzSurveyBytes(true);
  static TMemoryStream File{std::string_view(Bytes)};
  static std::unique_ptr<TPelSurvey> Owned = New<TPelSurvey>("fuzz.zos", 1);
  Owned->ReadSurveyFile(File);
  Survey = Owned.get();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TOrvMsgList Msgs(0, Size % 2 == 1 ? 1 : 0);
  TPelRep R(Survey);
  const bool Clean =
      ReadWithoutErrors(R, std::string_view(reinterpret_cast<const char*>(Data), Size), Msgs);
  // Every message renders; every element gives its texts.
  for (int I = 0; I < Msgs.Count(); ++I) (void)Msgs.GetItem(I)->MessageText();
  const std::unique_ptr<TPelRepElemList> Elems = R.Tree->CreateElemList();
  for (int I = 0; I < Elems->Count(); ++I) {
    TPelRepElem* E = Elems->GetItem(I);
    (void)E->GetFullCaption();
    (void)E->GetIdentPath(false);
    (void)E->GetDescription(0);
    std::vector<std::string> Lines;
    E->AppendText(Lines, 0);
    if (const auto* A = As<TPelRepElemAnalysis>(E)) (void)A->CalculationRefusal();
  }
  if (!Clean) return 0;
  // The reader normalises blanks around line breaks, so the first text written may lose some
  // of them when read again; from then on the text stays as it is, and no element is lost.
  const std::string First = Written(R);
  TOrvMsgList Again;
  TPelRep Second(Survey);
  if (!ReadWithoutErrors(Second, First, Again) ||
      Second.Tree->CreateElemList()->Count() != Elems->Count())
    __builtin_trap();
  const std::string Text = Written(Second);
  TOrvMsgList Last;
  TPelRep Third(Survey);
  if (!ReadWithoutErrors(Third, Text, Last) || Written(Third) != Text) __builtin_trap();
  return 0;
}
