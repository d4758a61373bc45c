// The analysis element: one node below a report's root holding the analysis parameters, the
// data basis and the weighting they are computed with, and the analysis's pivot tables as its
// children.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/pelpar.h"
#include "base/orvexceptions.h"
#include "reports/pelrepelem.h"

namespace quin {

class TPelWiz;

// The analysis cannot be calculated: its report names a data basis or a weighting that the
// survey does not have, or the survey offers none.
class EPelAnalysisNotCalculable : public EOrvException {
 public:
  using EOrvException::EOrvException;
};

class TPelRepElemAnalysis : public TPelRepElem {
  QUIN_CLASS(TPelRepElemAnalysis, TPelRepElem)
 public:
  // The element below Root, with an empty parameter list of the survey.
  TPelRepElemAnalysis(TPelRepElem* ARoot, TPelSurvey* ASurvey);

  // The stored table results cannot be trusted (the data changed, parameters were not
  // restored completely, or the user changed them); tables read into the analysis skip their
  // stored results while it is set.
  bool NeedsRecalc = false;
  // The parameters, owned; the list carries the data basis and the weighting.
  std::unique_ptr<TPelParList> Parameters;
  // The identifiers a report named for the data basis and the weighting when the survey has
  // no such one; empty otherwise. They are written back as they were read.
  std::string UnknownBasedOnID;
  std::string UnknownWeightID;

  // A data basis or weighting that the report left out becomes the survey's first one, and the
  // analysis is marked for recalculation; one named but unknown stays empty.
  void CompleteDataBasis();
  // Why the analysis cannot be calculated, translated; empty when it can.
  std::string CalculationRefusal() const;
  // Raises EPelAnalysisNotCalculable with CalculationRefusal when it is not empty.
  void CheckCalculable() const;

  // A new analysis from a template: the parameters become a prepared copy of the template's
  // (texts cleared), with the template's data basis and weighting where it sets them, and the
  // template builds the tables. Tables the analysis had before are freed with the parameters
  // they lay out. The template's finishing step is not run.
  void FillFromWiz(TPelWiz& Wiz);

  // ---- Overrides
  std::string GetKindCaption() const override;
  std::string GetKindName(bool Short) const override;
  std::string GetDefKeyword() const override { return "analysis"; }
  bool IsContentElement() const override { return true; }
  // "Recordset: <data basis>" with CR LF when the survey has several record sets, then
  // "Data weighting: <weighting's full name>"; a line without its object is left out.
  std::string GetOwnDescription(int Options) override;
  // The full caption, then "Notes" and the notes, then "Comments" and the description, each
  // block one entry ending in CR LF.
  void AppendText(std::vector<std::string>& Lines, int Options) override;
  // The element keys, the "parameters" block, "dataBasedOn" and "weight".
  void WriteKeys(TStream& Stream, int& Indent) const override;
  // The element keys, the "parameters" block, the registered child blocks ("table"),
  // "dataBasedOn" and "weight"; other blocks are reported and skipped, other keys skipped
  // silently. Stale marks the analysis for recalculation. Afterwards CompleteDataBasis.
  void ReadBody(TRixScanner& Scanner, bool& Stale) override;

 private:
  // The bilingual text and arguments of CalculationRefusal; False when nothing refuses.
  bool RefusalTemplate(std::string& Template, TDynStringArr& Args) const;
  void ReadParameters(TRixScanner& Scanner);
  void ReadParameter(TRixScanner& Scanner);
  bool ReadBasisKey(TRixScanner& Scanner);
};

inline TPelRepElemAnalysis* FindEnclosingAnalysis(TPelRepElem* Elem) {
  return FindEnclosing<TPelRepElemAnalysis>(Elem);
}

}  // namespace quin
