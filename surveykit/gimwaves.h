// Fieldwork waves: the survey's wave list holds the waves as its children.
#pragma once

#include <string_view>

#include "surveykit/gimdataobj.h"

namespace quin {

class TGimWaveList : public TGimDataObject {
  QUIN_CLASS(TGimWaveList, TGimDataObject)
  QUIN_COPY(TGimWaveList)
 public:
  TGimWaveList() = default;
  // An empty list of waves, owning them or not, below Parent.
  TGimWaveList(TMerSurvey* ASurvey, bool OwnsWaves, TOrvPersistent* Parent);
  TGimWaveList(const TGimWaveList&) = default;
  int MinSelCount = 1;  // how many waves a user must select at least
  TGimSimpleDataObject* FindByID(std::string_view AID) const;
};

}  // namespace quin
