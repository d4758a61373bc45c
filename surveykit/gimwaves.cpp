#include "surveykit/gimwaves.h"

#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimWaveList, TGimDataObject)

TGimWaveList::TGimWaveList(TMerSurvey* ASurvey, bool OwnsWaves, TOrvPersistent* Parent) {
  Owner = Parent;
  Survey = ASurvey;
  Children = std::make_unique<TGimDataObjectList>(OwnsWaves);
}

TGimSimpleDataObject* TGimWaveList::FindByID(std::string_view AID) const {
  for (int I = 0; I < ChildCount(); ++I)
    if (SameText(Child(I)->GetID(), AID)) return Child(I);
  return nullptr;
}

}  // namespace quin
