// Weightings: each record counts with a factor from a weight column; the weighting "off"
// counts every record once. The list prepares the weights of one record set at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "surveykit/gimdataobj.h"
#include "surveykit/merrecset.h"

namespace quin {

class TRixScanner;

class TGimWeight : public TGimSimpleDataObject {
  QUIN_CLASS(TGimWeight, TGimSimpleDataObject)
 public:
  TGimWeight() = default;
  double Population = 0;  // the population the weighting represents; 0 when not given
  std::unique_ptr<TMerRecsetCol> Column;  // null for the weighting "off"
  // "off" without a column.
  std::string GetID() const override;
  // Without a column "no weight" in the session's language.
  std::string GetName() const override;
  bool IsWeighted() const;
  // The weight column Spec ("name" or "name.recset"), record set 0 by default.
  virtual void SetColumn(TRixScanner& Scanner, TMerRecsetList* Recsets, std::string_view Spec);
  // The "weight" body after "def weight", then the checks of identity, name and column.
  void Read(TRixScanner& Scanner, TMerRecsetList* Recsets);
};

class TGimWeightList : public TOrvTypedList<TGimWeight> {
  QUIN_CLASS(TGimWeightList, TOrvObjectList)
 public:
  explicit TGimWeightList(TMerSurvey* ASurvey = nullptr) : TOrvTypedList(true), Survey(ASurvey) {}
  TGimWeightList(const TGimWeightList&) = delete;
  TGimWeightList& operator=(const TGimWeightList&) = delete;
  TMerSurvey* Survey;
  // A new weighting of the list's survey, without parent.
  virtual std::unique_ptr<TGimWeight> CreateWeight();
  // The weighting whose GetID equals AID, case ignored; null when none.
  TGimWeight* FindByID(std::string_view AID) const;
  // Appends the weighting "off".
  TGimWeight* AddNoWeight();
  bool HasNoWeight() const { return FindByID("off") != nullptr; }
  int CountWeighted() const;

  // The "weights" body after "def weights".
  void Read(TRixScanner& Scanner, TMerRecsetList* Recsets);

  // Makes the prepared vector hold the weight of every record of Recset under Weight (null
  // stands for "off"); nothing happens when it was made for the same pair. Weights read in
  // Recset itself are taken as stored; weights carried across the respondent join are
  // averaged per record and scaled to a mean of 1 over the positively weighted records.
  // Missing values count as 0 and never enter sums or scaling.
  void PrepareWeights(const TGimWeight* Weight, TMerRecset* Recset);
  // The prepared vector: one weight per record of PreparedRecset, and their total.
  const std::vector<double>& WeightValues() const { return FWeights; }
  double WeightTotal() const { return FTotal; }
  const TGimWeight* PreparedWeight() const { return FPreparedWeight; }
  const TMerRecset* PreparedRecset() const { return FPreparedRecset; }

 private:
  void ReleaseWeights();
  // Fills FWeights (N records of the Target-th record set) from the weights Col, which lie
  // in another record set, through the respondent join.
  void CarryAcrossJoin(std::vector<double>& Col, int Source, int Target, int N);

  std::vector<double> FWeights;
  double FTotal = 0;
  bool FPrepared = false;
  const TGimWeight* FPreparedWeight = nullptr;
  const TMerRecset* FPreparedRecset = nullptr;
};

}  // namespace quin
