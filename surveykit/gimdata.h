// The survey's data tree: the root module of modules and questions.
#pragma once

#include <memory>
#include <string_view>

#include "surveykit/gimquestions.h"
#include "surveykit/gimreading.h"

namespace quin {

class TRixScanner;
struct TOrvTextPos;

class TGimData : public TOrvObject {
  QUIN_CLASS(TGimData, TOrvObject)
 public:
  explicit TGimData(TMerSurvey* ASurvey = nullptr);
  std::unique_ptr<TGimModule> Root;  // owned, without parent
  TMerSurvey* Survey;                // not owned

  // Reads the body of the "data" block (after "def data").
  void Read(TRixScanner& Scanner, const TOrvTextPos& Pos);
  // The question named by "id", "id@survey@namespace" or "id.survey.namespace" (the survey
  // parts compared without regard to case); null when none. A qualified name of another
  // survey raises EGimWrongSurveyException when RaiseIfOtherSurvey.
  TGimQuestion* FindQuestion(std::string_view QualifiedID, bool RaiseIfOtherSurvey) const;
  // Every question below Node (Node included) with more than one axis, in tree order.
  void CollectGridQuestions(TOrvObjectList& List, TGimSimpleDataObject* Node) const;
  void AddToTreeView(TGimTreeView& Tree, TGimCheckState State);
  void AddToTreeViewSelected(TGimTreeView& Tree, const TOrvObjectList& Selection,
                             bool WholeIfSelected, TGimCheckState State);

 private:
  // Reads a "module" body; Depth counts the modules around it.
  void ReadModule(TRixScanner& Scanner, TGimModule* Module, int Depth);
  // Appends a question to Parent and reads it.
  void ReadQuestion(TRixScanner& Scanner, TGimModule* Parent);
  // The identifiers of the tree's modules and questions while the block is read (empty
  // otherwise).
  TGimIDIndex FReadIDs;
};

}  // namespace quin
