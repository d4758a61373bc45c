// Weightings: each record counts with a factor from a weight column; the weighting "off"
// counts every record once.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "surveykit/gimdataobj.h"
#include "surveykit/merrecset.h"

namespace quin {

class TGimWeight : public TGimSimpleDataObject {
  QUIN_CLASS(TGimWeight, TGimSimpleDataObject)
 public:
  TGimWeight() = default;
  std::unique_ptr<TMerRecsetCol> Column;  // null for the weighting "off"
  // "off" without a column.
  std::string GetID() const override;
  // Without a column "no weight" in the session's language.
  std::string GetName() const override;
  bool IsWeighted() const;
};

class TGimWeightList : public TOrvTypedList<TGimWeight> {
  QUIN_CLASS(TGimWeightList, TOrvObjectList)
 public:
  explicit TGimWeightList(TMerSurvey* ASurvey = nullptr)
      : TOrvTypedList(true), Survey(ASurvey) {}
  TMerSurvey* Survey;
  // A new weighting of the list's survey, without parent.
  virtual std::unique_ptr<TGimWeight> CreateWeight();
  TGimWeight* FindByID(std::string_view AID) const;
  // Appends the weighting "off".
  TGimWeight* AddNoWeight();
  bool HasNoWeight() const { return FindByID("off") != nullptr; }
  int CountWeighted() const;
};

}  // namespace quin
