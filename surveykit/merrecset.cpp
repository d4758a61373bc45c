#include "surveykit/merrecset.h"

#include "base/properties.h"
#include "base/text.h"
#include "surveykit/mersurvey.h"

namespace quin {

namespace {
void DescribeRecset(TPropTableBuilder<TMerRecset>& P) {
  P.Bool("Hidden", &TMerRecset::Hidden);
  P.Text("Join", &TMerRecset::Join);
}
}  // namespace

QUIN_IMPLEMENT_CLASS_WITH_PROPS(TMerRecset, TGimSimpleDataObject, DescribeRecset)
QUIN_IMPLEMENT_CLASS(TMerRecsetList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TMerRecsetCol, TOrvObject)
QUIN_IMPLEMENT_CLASS(TMerRecsetColList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerRespInPanels, TObject)

std::vector<std::string> TMerRecset::GetColumnNames(std::string_view) const { return {}; }
void TMerRecset::LoadColumn(const std::string&, std::vector<double>&) {}

TMerRecset* TMerRecsetList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(GetItem(I)->GetID(), AID)) return GetItem(I);
  return nullptr;
}

// ---- TMerRecsetCol

TMerRecsetCol::TMerRecsetCol(TMerSurvey* ASurvey, std::string_view Spec, TMerRecset* DefaultRecset)
    : Survey(ASurvey) {
  std::string_view ColName = Spec;
  Recset = DefaultRecset;
  if (ASurvey && ASurvey->RecsetList) {
    const TMerRecsetList& L = *ASurvey->RecsetList;
    for (int I = 0; I < L.Count(); ++I) {
      const std::string Ending = "." + L.GetItem(I)->GetID();
      if (Spec.size() >= Ending.size() &&
          SameText(Spec.substr(Spec.size() - Ending.size()), Ending)) {
        Recset = L.GetItem(I);
        ColName = Spec.substr(0, Spec.size() - Ending.size());
        break;
      }
    }
  }
  Name = LowerCase(ColName);
}

TMerRecsetCol::TMerRecsetCol(const TMerRecsetCol& Source)
    : TOrvObject(Source), Name(Source.Name), Recset(Source.Recset), Survey(Source.Survey) {}

void TMerRecsetCol::LoadValues() {
  if (!Recset) {
    FreeValues();
    return;
  }
  const int N = Recset->RecCount();
  if (N <= 0) return;
  if (!Loaded || Values.size() != static_cast<size_t>(N)) Values.assign(N, 0.0);
  Recset->LoadColumn(Name, Values);
  Loaded = true;
}

void TMerRecsetCol::LoadInto(std::vector<double>& Out) const {
  const int N = Recset ? Recset->RecCount() : 0;
  Out.assign(N > 0 ? N : 0, 0.0);
  if (N > 0) Recset->LoadColumn(Name, Out);
}

void TMerRecsetCol::FreeValues() {
  std::vector<double>().swap(Values);
  Loaded = false;
}

// ---- TMerRecsetColList

TMerRecsetCol* TMerRecsetColList::AddUnique(const TMerRecsetCol& Col) {
  const int I = IndexOf(Col);
  if (I >= 0) return GetItem(I);
  return Add(CopyOf(Col));
}

int TMerRecsetColList::IndexOf(const TMerRecsetCol& Col) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->SameCol(Col)) return I;
  return -1;
}

bool TMerRecsetColList::SameCols(const TMerRecsetColList* Other) const {
  if (!Other || Other->Count() != Count()) return false;
  for (int I = 0; I < Count(); ++I)
    if (!GetItem(I)->SameCol(*Other->GetItem(I))) return false;
  return true;
}

void TMerRecsetColList::LoadValues() {
  for (int I = 0; I < Count(); ++I) GetItem(I)->LoadValues();
}

void TMerRecsetColList::FreeValues() {
  for (int I = 0; I < Count(); ++I) GetItem(I)->FreeValues();
}

// ---- TMerRespInPanels

TMerRespInPanels::TCaseRange TMerRespInPanels::CaseRange(int R) const {
  if (R < 0 || static_cast<size_t>(R) >= CaseRanges.size()) return {};
  return CaseRanges[R];
}

}  // namespace quin
