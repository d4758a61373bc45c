#include "surveykit/gimweights.h"

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimWeight, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimWeightList, TOrvObjectList)

std::string TGimWeight::GetID() const {
  return Column ? TGimSimpleDataObject::GetID() : std::string("off");
}

std::string TGimWeight::GetName() const {
  if (!Column) return CurrentLangManager().Translate(Cp1250("<PLK>bez ważenia<ENU>no weight"));
  return TGimSimpleDataObject::GetName();
}

bool TGimWeight::IsWeighted() const { return !SameText(GetID(), "off"); }

std::unique_ptr<TGimWeight> TGimWeightList::CreateWeight() {
  return NewInSurvey<TGimWeight>(Survey, nullptr);
}

TGimWeight* TGimWeightList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(GetItem(I)->GetID(), AID)) return GetItem(I);
  return nullptr;
}

TGimWeight* TGimWeightList::AddNoWeight() {
  std::unique_ptr<TGimWeight> W = CreateWeight();
  W->ID = "off";
  return Add(std::move(W));
}

int TGimWeightList::CountWeighted() const {
  int N = 0;
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->IsWeighted()) ++N;
  return N;
}

}  // namespace quin
