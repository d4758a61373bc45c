// Fuzz target of the parameter-definition file reader: an input is a whole parameter file,
// read for a small survey with a coded, a numeric and a grid question and five waves. The
// objects read have their items listed, labelled and made into result elements, and are
// copied; the file is written and read again. Every failure must be one of the program's
// exceptions; crashes, hangs, leaks and sanitizer reports are findings.
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/pelpar.h"
#include "analysis/pelreselem.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "analysis/register.h"
#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvstreams.h"
#include "fuzz/fuzz_survey.h"

using namespace quin;

namespace {

// The elements parameters make, freed at once.
void Free(const TPelResElemVec& Elems) {
  for (TPelResElem* E : Elems) delete E;
}

std::string* GBytes = nullptr;
TPelSurvey* GSurvey = nullptr;

void Exercise(TPelParList& List) {
  for (int I = 0; I < List.Count(); ++I) {
    TPelPar* P = List.GetItem(I);
    P->GetDisplayName();
    P->GetCaption();
    for (bool Selectable : {true, false}) {
      P->GetLabelList(Selectable, !Selectable, true, true, true);
      P->GetLabelList2D(Selectable, !Selectable, true, true, true);
      Free(P->CreateResElemList(Selectable, !Selectable, true));
      Free(P->CreateResElemList2D(Selectable, !Selectable, true));
    }
    P->GetAllLabels();
    Free(P->CreateAllResElems());
    for (int K = -1; K <= P->GetItemCount(); ++K) P->GetItemInfoText(0, K);
    CopyOf(*P);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterAnalysisClasses();
  static std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  static TLangManagerBinding Binding(Manager.get());
  static std::string Bytes = FuzzSurveyBytes(false);
  static TMemoryStream Stream{std::string_view(Bytes)};
  static std::unique_ptr<TPelSurvey> Survey = New<TPelSurvey>("fuzz.zos", 0);
  Survey->ReadSurveyFile(Stream);
  GBytes = &Bytes;
  GSurvey = Survey.get();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TPelRWObjectFile File(GSurvey, 0);
  TMemoryStream In(std::span(Data, Size));
  try {
    File.ReadFromStream(In);
  } catch (const Exception&) {
  }
  // The objects read, as one analysis's parameter list (not owning: the file keeps them).
  TPelParList List(GSurvey, false);
  for (int I = 0; I < File.Elems.Count(); ++I)
    if (auto* P = As<TPelPar>(File.Elems[I]->Obj.get())) {
      List.Add(P);
      P->Owner = &List;
    }
  try {
    Exercise(List);
    TMemoryStream Out;
    File.WriteToStream(Out);
    Out.SetPosition(0);
    TPelRWObjectFile Again(GSurvey, 0);
    Again.ReadFromStream(Out);
  } catch (const Exception&) {
  }
  return 0;
}
